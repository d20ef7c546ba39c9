// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/Prompt.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <deque>



namespace widgets {

/**
 * The prompt of the window: real message boxes over the main window, one at a
 * time in the order asked. A box is window-modal over the top-level window,
 * raised and activated, and opened with open(): nothing waits for it, its
 * answer goes to the request's callback.
 */
class MessageBoxPrompt final : public QObject, public platform::Prompt
{
    Q_OBJECT

public:
    MessageBoxPrompt() = default;
    /** Answers what is still waiting as unanswered (No; OK for messages). */
    ~MessageBoxPrompt() override;
    /** Parent of the boxes (not owned). Once it has gone away, requests are answered as unanswered. */
    void setParentWindow(QWidget* parent);
    void ask(const platform::PromptRequest& request, platform::PromptDone done) override;
    /** The box on the screen, or nullptr. */
    QMessageBox* currentBox() const { return m_box; }

private:
    struct Pending
    {
        platform::PromptRequest request;
        platform::PromptDone done;
    };
    void showNext();
    void finish(platform::PromptAnswer answer);

    QPointer<QWidget> m_parent;
    bool m_bHadParent = false;
    bool m_bWindowGone = false; // a box went away unanswered with its window
    std::deque<Pending> m_queue; // the front one is on the screen while m_box is set
    QPointer<QMessageBox> m_box;
    quint64 m_nShownId = 0; // the request on the screen
};

} // namespace widgets
