#include "widgets/MessageBoxPrompt.h"

#include <QApplication>
#include <QMessageBox>

namespace widgets {

platform::PromptAnswer MessageBoxPrompt::ask(const QString& text, platform::PromptKind kind)
{
    const QString caption = QApplication::applicationDisplayName();
    if (kind == platform::PromptKind::Ok) {
        QMessageBox::warning(m_parent, caption, text, QMessageBox::Ok, QMessageBox::Ok);
        return platform::PromptAnswer::Ok;
    }
    const auto answer = QMessageBox::question(m_parent, caption, text, QMessageBox::Yes | QMessageBox::No,
                                              QMessageBox::Yes);
    return answer == QMessageBox::Yes ? platform::PromptAnswer::Yes : platform::PromptAnswer::No;
}

} // namespace widgets
