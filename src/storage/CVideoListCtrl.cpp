#include "storage/CVideoListCtrl.h"

#include "platform/Prompt.h"
#include "storage/Catalogue.h"
#include "storage/VideoListModel.h"
#include "storage/VideoRowDelegate.h"

#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QResizeEvent>

CVideoListCtrl::CVideoListCtrl(QWidget* parent)
    : QListView(parent)
    , m_pModel(new VideoListModel(this))
    , m_pDelegate(new VideoRowDelegate(this))
{
    m_pModel->setMessageParent(this);
    setModel(m_pModel);
    setItemDelegate(m_pDelegate);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Editing stays on for the life of the list: a click on the selected row's
    // title or F2 opens the title editor.
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setMouseTracking(true);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &CVideoListCtrl::itemSelectionChanged);
    // Clearing the rows drops the selection without a selection signal; the
    // window still has to hear that nothing is selected any more.
    // Rows cleared under an open editor (a PSP taken away) drop the editor
    // without closing it: the edit is over all the same.
    connect(m_pModel, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        m_bSelectionBeforeReset = selectionModel()->hasSelection();
        m_nEditColumn = -1;
        m_nEditRow = -1;
    });
    connect(m_pModel, &QAbstractItemModel::modelReset, this, [this] {
        if (m_bSelectionBeforeReset)
            emit itemSelectionChanged();
        m_bSelectionBeforeReset = false;
    });
}

CVideoListCtrl::~CVideoListCtrl() = default;

void CVideoListCtrl::InitList()
{
    m_nColumnWidth = std::max(viewport()->width() - 10, 1);
    m_nClientWidth = viewport()->width();
    doItemsLayout();
}

void CVideoListCtrl::FillList(const QString& pattern)
{
    // A fill dispatches events after each thumbnail; a fill asked for from one
    // of those events waits until this one has ended.
    if (m_bFilling) {
        m_bFillPending = true;
        m_strPendingPattern = pattern;
        return;
    }
    runFill(pattern);
    while (m_bFillPending) {
        m_bFillPending = false;
        runFill(m_strPendingPattern);
    }
    emit fillFinished();
}

void CVideoListCtrl::runFill(const QString& pattern)
{
    m_bFilling = true;
    // Clearing the model also ends an edit in progress (see the reset hook).
    m_pModel->clear();

    storage::ScanHooks hooks;
    hooks.isListed = [this](const QString& path) { return m_pModel->containsPath(path); };
    hooks.pump = [] { QCoreApplication::processEvents(); };
    hooks.noDefaultPicture = [this](const QString&) {
        platform::showMessage(window(), QString::fromLatin1(storage::kNoDefaultPicture));
    };
    hooks.add = [this](storage::ScannedVideo&& video) {
        m_pModel->append(video.title, std::make_unique<VideoEntry>(std::move(video.entry)));
    };
    storage::scanPattern(pattern, hooks);
    m_bFilling = false;

    if (m_pModel->rowCount() > 0)
        scrollTo(m_pModel->index(0, 0));
    setFocus(Qt::OtherFocusReason);
    viewport()->update();
    FitColumn();
}

void CVideoListCtrl::FitColumn()
{
    const int width = viewport()->width();
    if (width <= 0)
        return;
    if (width != m_nColumnWidth) {
        m_nColumnWidth = width;
        doItemsLayout();
    }
}

bool CVideoListCtrl::ContainsPath(const QString& path) const
{
    return m_pModel->containsPath(path);
}

int CVideoListCtrl::count() const
{
    return m_pModel->rowCount();
}

const VideoEntry* CVideoListCtrl::entryAt(int row) const
{
    return m_pModel->entryAt(row);
}

QString CVideoListCtrl::titleAt(int row) const
{
    return m_pModel->titleAt(row);
}

QList<int> CVideoListCtrl::selectedRows() const
{
    QList<int> rows;
    const QModelIndexList indexes = selectionModel()->selectedIndexes();
    rows.reserve(indexes.size());
    for (const QModelIndex& index : indexes)
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool CVideoListCtrl::hasSelection() const
{
    return selectionModel()->hasSelection();
}

bool CVideoListCtrl::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    if (!index.isValid() || m_bFilling)
        return false;
    if (trigger == SelectedClicked) {
        // Only a click on the title (the row's label) starts an edit.
        const auto* mouse = dynamic_cast<QMouseEvent*>(event);
        if (!mouse || !VideoRowDelegate::labelRect(m_pDelegate->rowRect(visualRect(index))).contains(mouse->position().toPoint()))
            return false;
        trigger = AllEditTriggers; // open now, not after the double-click delay
    } else if (trigger == EditKeyPressed) {
        if (index != currentIndex())
            return false;
    } else if (trigger != AllEditTriggers || m_nEditColumn != -1) {
        return QListView::edit(index, trigger, event);
    }
    m_nEditColumn = 0;
    m_nEditRow = index.row();
    viewport()->update();
    if (!QListView::edit(index, trigger, event)) {
        m_nEditColumn = -1;
        m_nEditRow = -1;
        viewport()->update();
        return false;
    }
    return true;
}

void CVideoListCtrl::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    QListView::closeEditor(editor, hint);
    endEdit();
}

void CVideoListCtrl::endEdit()
{
    const int row = m_nEditRow;
    m_nEditColumn = -1;
    m_nEditRow = -1;
    // The edited row ends up neither selected nor focused.
    if (row >= 0 && row < m_pModel->rowCount()) {
        const QModelIndex index = m_pModel->index(row, 0);
        selectionModel()->select(index, QItemSelectionModel::Deselect);
        if (currentIndex() == index)
            selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
    viewport()->update();
}

void CVideoListCtrl::resizeEvent(QResizeEvent* event)
{
    m_nClientWidth = viewport()->width();
    QListView::resizeEvent(event);
    m_nClientWidth = viewport()->width();
}
