// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The lists' context menus and keyboard commands: sort, play, show in folder,
// edit the title and, on the PSP list, delete.
#include "shell/CMainDlg.h"

#include "convert/Profiles.h"
#include "skin/UxAppPref.h"
#include "transfer/TransferEngine.h"
#include "skin/UxButton.h"
#include "widgets/CVideoListCtrl.h"
#include "widgets/VideoListModel.h"

#include <QAction>
#include <QActionGroup>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMenu>
#include <QUrl>

namespace {

using SortKey = VideoListModel::SortKey;

QString sortSettingKey(bool psp)
{
    return psp ? QStringLiteral("PspSort") : QStringLiteral("LocalSort");
}

QString pathOfCurrent(const CVideoListCtrl& list)
{
    const VideoEntry* entry = list.entryAt(list.currentIndex().row());
    return entry ? entry->strPath : QString();
}

} // namespace

void CMainDlg::CreateListCommands()
{
    for (CVideoListCtrl* list : {m_pLocalList, m_pPspList}) {
        const bool psp = list == m_pPspList;
        const auto add = [this, list](QAction*& action, QKeySequence key, auto handler) {
            action = new QAction(list);
            action->setShortcut(key);
            action->setShortcutContext(Qt::WidgetShortcut);
            list->addAction(action);
            connect(action, &QAction::triggered, this, handler);
        };
        ListCommands& c = m_listCommands[psp ? 1 : 0];
        add(c.play, QKeySequence(Qt::Key_Return), [list] {
            if (const QString path = pathOfCurrent(*list); !path.isEmpty())
                QDesktopServices::openUrl(QUrl::fromLocalFile(path));
        });
        add(c.show, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_O), [list] {
            if (const QString path = pathOfCurrent(*list); !path.isEmpty())
                QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
        });
        add(c.edit, QKeySequence(Qt::Key_F2), [list] {
            // As the list's own F2: its edit() decides (one editor, not while writing).
            if (QAbstractItemView* view = list; list->currentIndex().isValid())
                view->edit(list->currentIndex());
        });
        if (psp) {
            add(c.remove, QKeySequence(QKeySequence::Delete), [this] {
                // The selection's own state, not the button's, which follows it a moment later.
                if (CurrentControls().remove)
                    OnTransferCommand(OP_DELETE_ON_PSP);
            });
        }
        auto* group = new QActionGroup(list);
        for (const SortKey key : {SortKey::Folder, SortKey::Title, SortKey::Date, SortKey::Size, SortKey::FileName}) {
            QAction* action = group->addAction(QString());
            action->setCheckable(true);
            action->setData(static_cast<int>(key));
            c.sort.push_back(action);
        }
        connect(group, &QActionGroup::triggered, this, [this, list, psp](QAction* action) {
            list->videoModel()->setSortKey(static_cast<SortKey>(action->data().toInt()));
            m_pPref->PutString(sortSettingKey(psp), QString::number(action->data().toInt()));
        });
        const int stored = m_pPref->GetString(sortSettingKey(psp)).toInt();
        const int key = stored >= 0 && stored < static_cast<int>(c.sort.size()) ? stored : 0;
        c.sort[static_cast<size_t>(key)]->setChecked(true);
        list->videoModel()->setSortKey(static_cast<SortKey>(key));

        list->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(list, &QWidget::customContextMenuRequested, this, [this, list, psp](const QPoint& at) {
            ShowListMenu(list, psp, at);
        });
    }
    RetranslateListCommands();
}

void CMainDlg::RetranslateListCommands()
{
    for (ListCommands& c : m_listCommands) {
        if (!c.play)
            continue;
        c.play->setText(tr("Play"));
        c.show->setText(tr("Show in folder"));
        c.edit->setText(tr("Edit title"));
        if (c.remove)
            c.remove->setText(tr("Delete"));
        const char* names[] = {QT_TR_NOOP("Folder order"), QT_TR_NOOP("Title"), QT_TR_NOOP("Date"), QT_TR_NOOP("Size"),
                               QT_TR_NOOP("File name")};
        for (size_t i = 0; i < c.sort.size(); ++i)
            c.sort[i]->setText(tr(names[i]));
    }
}

void CMainDlg::ShowListMenu(CVideoListCtrl* list, bool psp, const QPoint& at)
{
    const QModelIndex index = list->indexAt(at);
    if (index.isValid() && !list->selectionModel()->isSelected(index))
        list->setCurrentIndex(index);
    const ListCommands& c = m_listCommands[psp ? 1 : 0];
    const bool row = index.isValid() && list->isEnabled();
    for (QAction* action : {c.play, c.show, c.edit})
        action->setEnabled(row);
    if (c.remove)
        c.remove->setEnabled(row && CurrentControls().remove);
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addActions({c.play, c.show, c.edit});
    if (c.remove)
        menu->addAction(c.remove);
    menu->addSeparator();
    QMenu* sort = menu->addMenu(tr("Sort by"));
    for (QAction* action : c.sort)
        sort->addAction(action);
    // Shown without waiting: the menu runs in the one event loop.
    menu->popup(list->viewport()->mapToGlobal(at));
}

QList<QAction*> CMainDlg::ListActions(bool psp) const
{
    const ListCommands& c = m_listCommands[psp ? 1 : 0];
    QList<QAction*> actions{c.play, c.show, c.edit};
    if (c.remove)
        actions << c.remove;
    for (QAction* action : c.sort)
        actions << action;
    return actions;
}

// --- Conversion settings (window menu) ----------------------------------------

namespace {

const QString kConvertKey = QStringLiteral("ConvertVideos"); // "ask", "always", "never"
const QString kProfileKey = QStringLiteral("VideoFormat");   // a profile id

} // namespace

void CMainDlg::AddConversionMenus(QMenu* menu)
{
    m_pConvertMenu = menu->addMenu(QString());
    m_pConvertMenu->setObjectName(QStringLiteral("convertMenu"));
    auto* policies = new QActionGroup(m_pConvertMenu);
    const QString stored = m_pPref->GetString(kConvertKey);
    for (const char* id : {"ask", "always", "never"}) {
        QAction* action = policies->addAction(QString());
        action->setCheckable(true);
        action->setData(QString::fromLatin1(id));
        action->setChecked(stored == QLatin1String(id));
        m_pConvertMenu->addAction(action);
    }
    // Nothing stored, or a value this version doesn't know: marked as what the transfer does, Ask.
    if (!policies->checkedAction())
        policies->actions().constFirst()->setChecked(true);
    connect(policies, &QActionGroup::triggered, this,
            [this](QAction* action) { m_pPref->PutString(kConvertKey, action->data().toString()); });

    m_pFormatMenu = menu->addMenu(QString());
    m_pFormatMenu->setObjectName(QStringLiteral("formatMenu"));
    auto* formats = new QActionGroup(m_pFormatMenu);
    const QString storedFormat = m_pPref->GetString(kProfileKey);
    for (const convert::Profile& profile : convert::profiles()) {
        const QString id = QString::fromLatin1(profile.id.data(), static_cast<qsizetype>(profile.id.size()));
        QAction* action = formats->addAction(
            QString::fromUtf8(profile.name.data(), static_cast<qsizetype>(profile.name.size())));
        action->setCheckable(true);
        action->setData(id);
        action->setChecked(storedFormat == id);
        m_pFormatMenu->addAction(action);
    }
    // As for the policy: an unknown id converts to the default profile, so that is the one marked.
    if (!formats->checkedAction())
        formats->actions().constFirst()->setChecked(true);
    connect(formats, &QActionGroup::triggered, this,
            [this](QAction* action) { m_pPref->PutString(kProfileKey, action->data().toString()); });
}

void CMainDlg::RetranslateConversionMenus()
{
    if (!m_pConvertMenu)
        return;
    m_pConvertMenu->setTitle(tr("Convert videos the PSP can't play"));
    const char* names[] = {QT_TR_NOOP("Ask"), QT_TR_NOOP("Always"), QT_TR_NOOP("Never")};
    const QList<QAction*> actions = m_pConvertMenu->actions();
    for (qsizetype i = 0; i < actions.size() && i < 3; ++i)
        actions[i]->setText(tr(names[i]));
    m_pFormatMenu->setTitle(tr("PSP video format"));
}

void CMainDlg::FillConversionSettings(transfer::TransferRequest& request) const
{
    const QString policy = m_pPref->GetString(kConvertKey);
    request.convert = policy == QLatin1String("always") ? transfer::ConvertPolicy::Always
        : policy == QLatin1String("never")              ? transfer::ConvertPolicy::Never
                                                        : transfer::ConvertPolicy::Ask;
    request.profile = m_pPref->GetString(kProfileKey);
}
