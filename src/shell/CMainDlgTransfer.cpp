// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The main window's side of a transfer: the snapshot at the start, the engine on a
// worker thread, and the end steps when it reports.
#include "shell/CMainDlg.h"

#include "shell/CMainStatusBar.h"
#include "platform/FileSystem.h"
#include "storage/Catalogue.h"
#include "transfer/TransferJob.h"
#include "widgets/CPSPPrgCtrl.h"
#include "widgets/CVideoListCtrl.h"

#include <QLineEdit>
#include <QPointer>

void CMainDlg::StartTransfer(int op, std::vector<transfer::TransferItem> items)
{
    transfer::TransferRequest request;
    request.op = static_cast<TransferOp>(op);
    request.items = std::move(items);
    const bool toPsp = op == OP_MOVE_TO_PSP || op == OP_COPY_TO_PSP;
    CVideoListCtrl* source = toPsp ? m_pLocalList : m_pPspList;
    // A drop acts on the list it fell on.
    CVideoListCtrl* actedOn = !request.items.empty() ? (toPsp ? m_pPspList : m_pLocalList) : source;
    if (request.items.empty()) {
        // A button: the source list's selection.
        for (const int row : source->selectedRows()) {
            if (const VideoEntry* entry = source->entryAt(row))
                request.items.push_back({entry->strPath, source->titleAt(row)});
        }
    }
    request.localFolder = m_pFolderEdit->text();
    request.nextNum = m_pNextNum->text();
    request.nextNumTyped = m_pNextNum->isModified();
    request.pspPath = m_session.pspPath();
    FillConversionSettings(request);

    // Start steps 1, 3 and 4 (the input is already locked); the engine does the rest.
    m_pProgress->setValue(0);
    ShowTransferProgress(true);
    m_progress.list = actedOn;
    for (const transfer::TransferItem& item : request.items) {
        m_progress.titles.insert(item.path, item.title);
        m_progress.all += platform::fileSystem().fileSize(item.path).value_or(0);
    }
    m_pProgress->show();
    UpdateSpace(m_session.pspPath());

    // The job runs the walk on its own thread; its questions come here to be shown.
    m_pJob = std::make_unique<transfer::TransferJob>(std::move(request));
    transfer::TransferJob* job = m_pJob.get();
    connect(job, &transfer::TransferJob::progressChanged, this,
            [this](int percent, quint64 copied) { OnTransferProgress(percent, copied); });
    connect(job, &transfer::TransferJob::statusTextChanged, this,
            [this](const QString& text) { m_pStatusBar->SetText(text, 2); });
    connect(job, &transfer::TransferJob::nextNumChanged, m_pNextNum, &QLineEdit::setText);
    connect(job, &transfer::TransferJob::question, this,
            [job = QPointer<transfer::TransferJob>(job)](quint64 id, platform::PromptKind kind, const QString& text) {
                platform::ask(text, kind, [job, id](platform::PromptAnswer answer) {
                    if (job)
                        job->answer(id, answer != platform::PromptAnswer::No);
                });
            });
    connect(job, &transfer::TransferJob::finished, this, &CMainDlg::OnTransferFinished);
    connect(job, &transfer::TransferJob::itemStarted, this, [this](const QString& source) {
        setCursor(Qt::WaitCursor);
        OnTransferItemStarted(source);
    });
    connect(job, &transfer::TransferJob::itemFinished, this, [this] {
        unsetCursor();
        OnTransferItemFinished();
    });
    job->start();
}

void CMainDlg::OnTransferFinished(const transfer::TransferEnd& end)
{
    // The job has said its last; it goes once this signal has returned.
    if (m_pJob) {
        m_pJob->disconnect(this);
        m_pJob.release()->deleteLater();
    }
    switch (end.kind) {
    case transfer::TransferEndKind::Normal:
        if (end.updateSpace)
            UpdateSpace(m_session.pspPath());
        // The left list first; Refresh stays off until both fills are done.
        if (end.rebuildLocal)
            FillLocalList(storage::listedVideoPattern(end.localFolder));
        if (end.rebuildPsp && !m_session.pspPath().isEmpty())
            FillPspList();
        break;
    case transfer::TransferEndKind::InvalidLocalFolder:
        m_pFolderEdit->setText(end.folderEditText);
        FillLocalList(storage::listedVideoPattern(end.folderEditText));
        break;
    case transfer::TransferEndKind::Short:
        // Nothing ran: the busy text gives way to the space figures at once.
        UpdateSpace(m_session.pspPath());
        break;
    case transfer::TransferEndKind::NoPspFolder:
        break;
    }
    m_pProgress->hide();
    CVideoListCtrl* actedOn = m_progress.list;
    ShowTransferProgress(false);
    m_pLocalList->FitColumn();
    m_pPspList->FitColumn();
    m_pProgress->setValue(0);
    OnTransferEnded();
    // The focus goes back where the user acted, not to whichever button the
    // disabling left it on, nor to the list whose refill ended last.
    m_pFocusAfterFills = actedOn;
    RestoreFocusAfterFills();
}

void CMainDlg::RestoreFocusAfterFills()
{
    if (!m_pFocusAfterFills || m_pLocalList->isFilling() || m_pPspList->isFilling())
        return;
    if (isVisible() && m_pFocusAfterFills->isEnabled())
        m_pFocusAfterFills->setFocus(Qt::OtherFocusReason);
    m_pFocusAfterFills = nullptr;
}
