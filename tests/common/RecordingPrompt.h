#pragma once

#include "platform/Prompt.h"

#include <QStringList>

#include <deque>

// Installs itself as the process-wide prompt, records every text and answers
// questions from a queue (Yes when the queue is empty).
class RecordingPrompt : public platform::Prompt
{
public:
    RecordingPrompt() { platform::setPrompt(this); }
    ~RecordingPrompt() override { platform::setPrompt(nullptr); }

    platform::PromptAnswer ask(QWidget*, const QString& text, platform::PromptKind kind) override
    {
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

    QStringList texts;
    std::deque<platform::PromptKind> kinds;
    std::deque<platform::PromptAnswer> answers;
};
