// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The main window's side of drag and drop: which drops the lists take, and the
// transfer each one starts. Rows drag out of the lists by themselves.
#include "shell/CMainDlg.h"

#include "storage/DroppedVideos.h"
#include "session/Rules.h"
#include "transfer/TransferEngine.h"
#include "widgets/CVideoListCtrl.h"

#include <QHash>
#include <QLineEdit>
#include <QMimeData>

void CMainDlg::ConnectDrops()
{
    for (CVideoListCtrl* list : {m_pLocalList, m_pPspList}) {
        list->setDropCheck([this, list](const QMimeData& data) {
            return DropOperation(list, data, Qt::NoModifier) != OP_NONE;
        });
        connect(list, &CVideoListCtrl::videosDropped, this,
                [this, list](const QMimeData* data, Qt::KeyboardModifiers modifiers) {
                    OnListDrop(list, data, modifiers);
                });
    }
}

int CMainDlg::DropOperation(const CVideoListCtrl* target, const QMimeData& data, Qt::KeyboardModifiers modifiers,
                            QStringList* videos)
{
    const session::ControlStates controls = CurrentControls();
    session::DropFacts drop;
    drop.target = target == m_pPspList ? session::ListSide::Psp : session::ListSide::Local;
    drop.source = m_pPspList->isOwnDrag(data)     ? session::DragSource::PspList
        : m_pLocalList->isOwnDrag(data)           ? session::DragSource::LocalList
                                                  : session::DragSource::Outside;
    drop.shift = modifiers.testFlag(Qt::ShiftModifier);
    drop.pspFolder = m_session.hasPsp();
    // Which files are videos to take is asked only of a drop the rules could take.
    drop.carriesVideos = true;
    if (session::dropOperation(controls, drop) == OP_NONE)
        return OP_NONE;
    const bool ontoPsp = drop.target == session::ListSide::Psp;
    const QStringList dropped =
        storage::droppedVideos(data.urls(), ontoPsp ? m_session.pspPath() : m_pFolderEdit->text(), ontoPsp);
    drop.carriesVideos = !dropped.isEmpty();
    if (videos)
        *videos = dropped;
    return session::dropOperation(controls, drop);
}

void CMainDlg::OnListDrop(CVideoListCtrl* target, const QMimeData* data, Qt::KeyboardModifiers modifiers)
{
    QStringList videos;
    const int op = DropOperation(target, *data, modifiers, &videos);
    if (op == OP_NONE)
        return;
    // Videos coming back from the PSP are named by their titles, as with "<-Copy".
    QHash<QString, QString> titles;
    if (op == OP_COPY_FROM_PSP) {
        for (int row = 0; row < m_pPspList->count(); ++row)
            titles.insert(m_pPspList->entryAt(row)->strPath, m_pPspList->titleAt(row));
    }
    std::vector<transfer::TransferItem> items;
    for (const QString& path : videos)
        items.push_back({path, titles.value(path)});
    BeginTransfer(op, std::move(items));
}
