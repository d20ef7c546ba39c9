// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <functional>

namespace platform {

// Every message box of the program goes through this interface, so that tests,
// the headless screenshot mode and the command line can answer them and see
// their texts. The window installs the message-box implementation.
// Ok is a message with the warning icon, Information one with the information
// icon, YesNo a question.
enum class PromptKind { Ok, YesNo, Information };
enum class PromptAnswer { Ok, Yes, No };

/** One message or question; the id tells the requests apart while they wait. */
struct PromptRequest
{
    quint64 id = 0;
    QString text;
    PromptKind kind = PromptKind::Ok;
};

/** Receives the answer, once, on the application's thread. */
using PromptDone = std::function<void(PromptAnswer)>;

/** What a request gets when nobody can answer it: OK for a message, No for a question. */
inline PromptAnswer unanswered(PromptKind kind)
{
    return kind == PromptKind::YesNo ? PromptAnswer::No : PromptAnswer::Ok;
}

class Prompt
{
public:
    virtual ~Prompt() = default;
    // Shows the box with the fixed text and returns (icons: see PromptKind). done
    // gets the answer exactly once, later or before ask returns; a prompt
    // that can no longer answer destroys done unanswered, which counts as
    // unanswered(kind). Always called on the application's thread (see ask() below).
    virtual void ask(const PromptRequest& request, PromptDone done) = 0;
};

/** A prompt that answers before ask returns: the command line, the screenshot, none. */
class ImmediatePrompt : public Prompt
{
public:
    void ask(const PromptRequest& request, PromptDone done) final;
    virtual PromptAnswer answer(const QString& text, PromptKind kind) = 0;
};

// The process-wide prompt. Without one installed, questions are answered No
// and messages are written to stderr: nothing is done without consent.
Prompt& prompt();
// Replaces the process-wide prompt (not owned); nullptr restores the default.
void setPrompt(Prompt* replacement);

// Asks without waiting: the request goes to the prompt on the application's
// thread (carried there from any other thread) and done, when given, gets the
// answer there. Returns the request's id. This is what the window thread uses.
quint64 ask(const QString& text, PromptKind kind, PromptDone done = {});
void showMessage(const QString& text);
void askYesNo(const QString& text, std::function<void(bool yes)> done);

// Asks and waits for the answer: for workers and the command line only. Off the
// application's thread the request is carried there and the caller waits; a
// request the prompt drops unanswered (the window went away) gets
// unanswered(kind). That thread never waits: there, an answer that does not
// come before the prompt's ask returns is dropped and counts as unanswered(kind).
PromptAnswer waitForAnswer(const QString& text, PromptKind kind);
bool waitForYes(const QString& text);
void waitForMessage(const QString& text, PromptKind kind = PromptKind::Ok);

// Answers every box with its default button (OK; Yes for questions) and
// writes the text to stderr; used by --screenshot.
class DefaultAnswerPrompt : public ImmediatePrompt
{
public:
    PromptAnswer answer(const QString& text, PromptKind kind) override;
};

} // namespace platform
