#pragma once

#include "platform/Prompt.h"

#include <QPointer>
#include <QWidget>

namespace widgets {

/** The prompt of the window: real message boxes over the main window. */
class MessageBoxPrompt final : public platform::Prompt
{
public:
    /** Parent of the boxes (not owned; may go away first). */
    void setParentWindow(QWidget* parent) { m_parent = parent; }
    platform::PromptAnswer ask(const QString& text, platform::PromptKind kind) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace widgets
