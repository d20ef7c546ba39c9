// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "widgets/MessageBoxPrompt.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

namespace widgets {

MessageBoxPrompt::~MessageBoxPrompt()
{
    m_nShownId = 0;
    if (m_box) {
        m_box->disconnect(this);
        delete m_box;
    }
    // Dropping the callbacks answers them as unanswered.
    m_queue.clear();
}

void MessageBoxPrompt::setParentWindow(QWidget* parent)
{
    m_parent = parent;
    m_bHadParent = parent != nullptr;
    m_bWindowGone = false;
}

void MessageBoxPrompt::ask(const platform::PromptRequest& request, platform::PromptDone done)
{
    if (m_bWindowGone || (m_bHadParent && !m_parent)) {
        // The window is gone: nobody could see the box.
        std::fprintf(stderr, "%s\n", request.text.toUtf8().constData());
        done(platform::unanswered(request.kind));
        return;
    }
    m_queue.push_back({request, std::move(done)});
    showNext();
}

void MessageBoxPrompt::showNext()
{
    if (m_nShownId != 0 || m_queue.empty())
        return;
    const platform::PromptRequest& request = m_queue.front().request;
    const bool question = request.kind == platform::PromptKind::YesNo;
    // Over the top-level window, so it is never hidden behind it.
    QWidget* owner = m_parent ? m_parent->window() : nullptr;
    const QMessageBox::Icon icon = question ? QMessageBox::Question
        : request.kind == platform::PromptKind::Information ? QMessageBox::Information
                                                            : QMessageBox::Warning;
    auto* box = new QMessageBox(icon,
                                QApplication::applicationDisplayName(), request.text,
                                question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, owner);
    box->setDefaultButton(question ? QMessageBox::Yes : QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    m_box = box;
    m_nShownId = request.id;
    const quint64 id = request.id;
    connect(box, &QDialog::finished, this, [this, box, id] {
        if (id != m_nShownId)
            return;
        const auto button = box->standardButton(box->clickedButton());
        finish(button == QMessageBox::Yes ? platform::PromptAnswer::Yes
               : button == QMessageBox::Ok ? platform::PromptAnswer::Ok
                                           : platform::unanswered(m_queue.front().request.kind));
    });
    // Destroyed unanswered: its window is going away, and nothing waiting gets consent.
    connect(box, &QObject::destroyed, this, [this, id] {
        if (id != m_nShownId)
            return;
        m_bWindowGone = true;
        m_nShownId = 0;
        m_box = nullptr;
        while (!m_queue.empty()) {
            Pending left = std::move(m_queue.front());
            m_queue.pop_front();
            left.done(platform::unanswered(left.request.kind));
        }
    });
    // open(): window-modal with a parent, application-modal without; never a nested loop.
    box->open();
    box->raise();
    box->activateWindow();
}

void MessageBoxPrompt::finish(platform::PromptAnswer answer)
{
    if (m_queue.empty())
        return;
    Pending answered = std::move(m_queue.front());
    m_queue.pop_front();
    m_box = nullptr;
    m_nShownId = 0;
    answered.done(answer);
    showNext();
}

} // namespace widgets
