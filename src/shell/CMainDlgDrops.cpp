// The main window's side of drag and drop: which drops the lists take, and the
// transfer each one starts. Rows drag out of the lists by themselves.
#include "shell/CMainDlg.h"

#include "storage/DroppedVideos.h"
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
                            QStringList* videos) const
{
    // The same state as the buttons: nothing while a transfer runs, input is off
    // or a title is still being written (no transfer could start).
    const ControlState state = CurrentControlState();
    if (!state.input || state.writing || target->isOwnDrag(data))
        return OP_NONE;
    const bool toPsp = target == m_pPspList;
    const bool fromPsp = m_pPspList->isOwnDrag(data);
    if ((toPsp || fromPsp) && (!state.transfers || m_strPSPPath.isEmpty()))
        return OP_NONE;
    // The computer list's rows are its selection: they go only when "Copy->" could take them.
    if (toPsp && !state.toPsp && m_pLocalList->isOwnDrag(data))
        return OP_NONE;
    const QStringList dropped = storage::droppedVideos(data.urls(), toPsp ? m_strPSPPath : m_pFolderEdit->text());
    if (dropped.isEmpty())
        return OP_NONE;
    if (videos)
        *videos = dropped;
    if (toPsp)
        return modifiers.testFlag(Qt::ShiftModifier) ? OP_MOVE_TO_PSP : OP_COPY_TO_PSP;
    return fromPsp ? OP_COPY_FROM_PSP : OP_COPY_TO_LOCAL;
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
