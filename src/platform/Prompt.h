#pragma once

#include <QString>

namespace platform {

// Every message box of the program goes through this interface, so that tests,
// the headless screenshot mode and the command line can answer them and see
// their texts. The window installs the message-box implementation.
enum class PromptKind { Ok, YesNo };
enum class PromptAnswer { Ok, Yes, No };

class Prompt
{
public:
    virtual ~Prompt() = default;
    // Shows a modal box with the fixed text; Yes/No boxes carry the question icon.
    // Always called on the application's thread (see ask() below).
    virtual PromptAnswer ask(const QString& text, PromptKind kind) = 0;
};

// The process-wide prompt. Without one installed, questions are answered No
// and messages are written to stderr: nothing is done without consent.
Prompt& prompt();
// Replaces the process-wide prompt (not owned); nullptr restores the default.
void setPrompt(Prompt* replacement);

// Asks the process-wide prompt from any thread. Off the application's thread
// the question is carried to it and the caller waits for the answer; on it,
// the prompt is called directly.
PromptAnswer ask(const QString& text, PromptKind kind);
void showMessage(const QString& text);
bool askYesNo(const QString& text);

// Answers every box with its default button (OK; Yes for questions) and
// writes the text to stderr; used by --screenshot.
class DefaultAnswerPrompt : public Prompt
{
public:
    PromptAnswer ask(const QString& text, PromptKind kind) override;
};

} // namespace platform
