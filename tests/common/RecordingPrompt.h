#pragma once

#include "platform/Prompt.h"

#include <QStringList>

#include <deque>
#include <mutex>

// Installs itself as the process-wide prompt, records every text and answers
// questions from a queue (Yes when the queue is empty). Safe to ask from any
// thread, though the program only asks on the application's thread.
class RecordingPrompt : public platform::Prompt
{
public:
    RecordingPrompt() { platform::setPrompt(this); }
    ~RecordingPrompt() override { platform::setPrompt(nullptr); }

    platform::PromptAnswer ask(const QString& text, platform::PromptKind kind) override
    {
        std::lock_guard lock(m_mutex);
        texts << text;
        kinds.push_back(kind);
        if (kind == platform::PromptKind::Ok)
            return platform::PromptAnswer::Ok;
        if (answers.empty())
            return platform::PromptAnswer::Yes;
        const auto answer = answers.front();
        answers.pop_front();
        return answer;
    }

    QStringList textsCopy() const
    {
        std::lock_guard lock(m_mutex);
        return texts;
    }

    QStringList texts;
    std::deque<platform::PromptKind> kinds;
    std::deque<platform::PromptAnswer> answers;

private:
    mutable std::mutex m_mutex;
};
