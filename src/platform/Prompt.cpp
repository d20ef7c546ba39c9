#include "platform/Prompt.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

namespace platform {
namespace {

class MessageBoxPrompt : public Prompt
{
public:
    PromptAnswer ask(QWidget* parent, const QString& text, PromptKind kind) override
    {
        const QString caption = QApplication::applicationDisplayName();
        if (kind == PromptKind::Ok) {
            QMessageBox::warning(parent, caption, text, QMessageBox::Ok, QMessageBox::Ok);
            return PromptAnswer::Ok;
        }
        const auto answer = QMessageBox::question(parent, caption, text,
                                                  QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        return answer == QMessageBox::Yes ? PromptAnswer::Yes : PromptAnswer::No;
    }
};

MessageBoxPrompt g_messageBoxPrompt;
Prompt* g_prompt = nullptr;

} // namespace

Prompt& prompt()
{
    return g_prompt ? *g_prompt : g_messageBoxPrompt;
}

void setPrompt(Prompt* replacement)
{
    g_prompt = replacement;
}

void showMessage(QWidget* parent, const QString& text)
{
    prompt().ask(parent, text, PromptKind::Ok);
}

bool askYesNo(QWidget* parent, const QString& text)
{
    return prompt().ask(parent, text, PromptKind::YesNo) == PromptAnswer::Yes;
}

PromptAnswer DefaultAnswerPrompt::ask(QWidget*, const QString& text, PromptKind kind)
{
    // The default button of a Yes/No box is Yes, as with the real boxes.
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    return kind == PromptKind::Ok ? PromptAnswer::Ok : PromptAnswer::Yes;
}

} // namespace platform
