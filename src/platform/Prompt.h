#pragma once

#include <QString>

class QWidget;

namespace platform {

// Every message box of the program goes through this interface, so that tests
// and the headless screenshot mode can answer them and see their texts.
enum class PromptKind { Ok, YesNo };
enum class PromptAnswer { Ok, Yes, No };

class Prompt
{
public:
    virtual ~Prompt() = default;
    // Shows a modal box with the fixed text; Yes/No boxes carry the question icon.
    virtual PromptAnswer ask(QWidget* parent, const QString& text, PromptKind kind) = 0;
};

// The process-wide prompt. Defaults to real message boxes.
Prompt& prompt();
// Replaces the process-wide prompt (not owned); nullptr restores the default.
void setPrompt(Prompt* replacement);

// Shorthands for the two kinds of box.
void showMessage(QWidget* parent, const QString& text);
bool askYesNo(QWidget* parent, const QString& text);

// Answers every box with its default button (OK; Yes for questions) and
// writes the text to stderr; used by --screenshot.
class DefaultAnswerPrompt : public Prompt
{
public:
    PromptAnswer ask(QWidget* parent, const QString& text, PromptKind kind) override;
};

} // namespace platform
