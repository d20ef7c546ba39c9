// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/Prompt.h"

#include <QStringList>

#include <deque>
#include <mutex>
#include <vector>

// Installs itself as the process-wide prompt and records every text. Answers
// at once from a queue (Yes when the queue is empty, OK for messages), or, while
// holding, keeps each request unanswered until answer(id) gives it its answer,
// so that other events can run while a box is "open", as with the real boxes.
class RecordingPrompt : public platform::Prompt
{
public:
    RecordingPrompt() { platform::setPrompt(this); }
    ~RecordingPrompt() override { platform::setPrompt(nullptr); }

    void ask(const platform::PromptRequest& request, platform::PromptDone done) override
    {
        platform::PromptAnswer given = platform::PromptAnswer::Ok;
        {
            std::lock_guard lock(m_mutex);
            texts << request.text;
            kinds.push_back(request.kind);
            if (holding) {
                m_held.push_back({request, std::move(done)});
                return;
            }
            if (request.kind == platform::PromptKind::YesNo) {
                given = answers.empty() ? platform::PromptAnswer::Yes : answers.front();
                if (!answers.empty())
                    answers.pop_front();
            }
        }
        done(given);
    }

    // The requests held back, oldest first.
    std::vector<platform::PromptRequest> held() const
    {
        std::lock_guard lock(m_mutex);
        std::vector<platform::PromptRequest> requests;
        for (const auto& [request, done] : m_held)
            requests.push_back(request);
        return requests;
    }

    // Answers the held request id, which must carry exactly text; false when it doesn't.
    bool answer(quint64 id, const QString& text, platform::PromptAnswer given)
    {
        platform::PromptDone done;
        {
            std::lock_guard lock(m_mutex);
            for (auto it = m_held.begin(); it != m_held.end(); ++it) {
                if (it->first.id == id && it->first.text == text) {
                    done = std::move(it->second);
                    m_held.erase(it);
                    break;
                }
            }
        }
        if (done)
            done(given);
        return bool(done);
    }

    QStringList texts;
    std::deque<platform::PromptKind> kinds;
    std::deque<platform::PromptAnswer> answers;
    bool holding = false;

private:
    mutable std::mutex m_mutex;
    std::deque<std::pair<platform::PromptRequest, platform::PromptDone>> m_held;
};
