// The main window's side of a transfer: the snapshot at the start, the engine on a
// worker thread, and the end steps when it reports.
#include "shell/CMainDlg.h"

#include "shell/CMainStatusBar.h"
#include "storage/Catalogue.h"
#include "transfer/TransferEngine.h"
#include "widgets/CPSPPrgCtrl.h"
#include "widgets/CVideoListCtrl.h"

#include <QLineEdit>
#include <QThread>

void CMainDlg::StartTransfer(int op, std::vector<transfer::TransferItem> items)
{
    transfer::TransferRequest request;
    request.op = static_cast<TransferOp>(op);
    request.items = std::move(items);
    if (request.items.empty()) {
        // A button: the source list's selection.
        CVideoListCtrl* source = (op == OP_MOVE_TO_PSP || op == OP_COPY_TO_PSP) ? m_pLocalList : m_pPspList;
        for (const int row : source->selectedRows()) {
            if (const VideoEntry* entry = source->entryAt(row))
                request.items.push_back({entry->strPath, source->titleAt(row)});
        }
    }
    request.localFolder = m_pFolderEdit->text();
    request.nextNum = m_pNextNum->text();
    request.nextNumTyped = m_pNextNum->isModified();
    request.pspPath = m_strPSPPath;

    // Start steps 1, 3 and 4 (the input is already locked); the engine does the rest.
    m_pProgress->setValue(0);
    m_pProgress->show();
    UpdateSpace(m_strPSPPath);

    // The worker owns its thread and may outlive the window by a moment: it keeps
    // the cancel flag alive, and its queued reports to a gone window are dropped.
    auto* thread = new QThread;
    auto* engine = new transfer::TransferEngine(std::move(request), *m_bCancel);
    engine->moveToThread(thread);
    connect(thread, &QThread::started, engine, &transfer::TransferEngine::run);
    const int run = ++m_nTransferRun;
    connect(engine, &transfer::TransferEngine::progressChanged, this, [this, run](int percent) {
        if (run == m_nTransferRun)
            OnTransferProgress(percent);
    });
    connect(engine, &transfer::TransferEngine::statusTextChanged, this,
            [this](const QString& text) { m_pStatusBar->SetText(text, 2); });
    connect(engine, &transfer::TransferEngine::nextNumChanged, m_pNextNum, &QLineEdit::setText);
    connect(engine, &transfer::TransferEngine::finished, this, &CMainDlg::OnTransferFinished);
    connect(engine, &transfer::TransferEngine::finished, thread, &QThread::quit);
    connect(thread, &QThread::finished, engine, &QObject::deleteLater);
    connect(thread, &QThread::finished, thread, [thread, keepAlive = m_bCancel] {
        (void)keepAlive;
        thread->deleteLater();
    });
    connect(engine, &transfer::TransferEngine::itemStarted, this, [this] { setCursor(Qt::WaitCursor); });
    connect(engine, &transfer::TransferEngine::itemFinished, this, [this] { unsetCursor(); });
    thread->start();
}

void CMainDlg::OnTransferFinished(const transfer::TransferEnd& end)
{
    switch (end.kind) {
    case transfer::TransferEndKind::Normal:
        if (end.updateSpace)
            UpdateSpace(m_strPSPPath);
        // The left list first; Refresh stays off until both fills are done.
        if (end.rebuildLocal)
            FillLocalList(storage::listedVideoPattern(end.localFolder));
        if (end.rebuildPsp && !m_strPSPPath.isEmpty())
            FillPspList();
        break;
    case transfer::TransferEndKind::InvalidLocalFolder:
        m_pFolderEdit->setText(end.folderEditText);
        FillLocalList(storage::listedVideoPattern(end.folderEditText));
        break;
    case transfer::TransferEndKind::Short:
    case transfer::TransferEndKind::NoPspFolder:
        break;
    }
    m_pProgress->hide();
    m_pLocalList->FitColumn();
    m_pPspList->FitColumn();
    m_pProgress->setValue(0);
    OnTransferEnded();
}

void CMainDlg::OnTransferProgress(int percent)
{
    // After the end steps the bar stays hidden at 0, whatever report comes late.
    if (!IsTransferRunning())
        return;
    m_pProgress->setValue(percent);
}
