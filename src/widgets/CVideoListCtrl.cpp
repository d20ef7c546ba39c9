// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "widgets/CVideoListCtrl.h"

#include "media/Media.h"
#include "platform/Prompt.h"
#include "storage/Catalogue.h"
#include "thumbnail/Cache.h"
#include "widgets/Thumbnail.h"
#include "widgets/VideoListModel.h"
#include "widgets/VideoRowDelegate.h"

#include <QtConcurrent/QtConcurrentRun>
#include <QDropEvent>
#include <QFutureWatcher>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QMutex>
#include <QPromise>
#include <QResizeEvent>

#include <atomic>
#include <chrono>

// Where a scan's results go: to the list while it lives, nowhere after. Posting
// and detaching share a lock, so no post meets a list being destroyed, and a
// call posted before the list went dies with it (Qt drops a gone receiver's events).
struct CVideoListCtrl::ScanSink
{
    explicit ScanSink(CVideoListCtrl* owner) : list(owner) {}

    template <class B>
    void post(void (CVideoListCtrl::*receive)(B&), std::shared_ptr<B> batch)
    {
        const QMutexLocker lock(&mutex);
        if (list) {
            QMetaObject::invokeMethod(
                list, [list = list, receive, batch = std::move(batch)] { (list->*receive)(*batch); },
                Qt::QueuedConnection);
        }
    }
    void detach()
    {
        const QMutexLocker lock(&mutex);
        list = nullptr;
    }

private:
    QMutex mutex;
    CVideoListCtrl* list;
};

CVideoListCtrl::CVideoListCtrl(QWidget* parent)
    : QListView(parent)
    , m_pModel(new VideoListModel(this))
    , m_pDelegate(new VideoRowDelegate(this))
    , m_pSink(std::make_shared<ScanSink>(this))
{
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
    // Rows leave as copies only, so no drop elsewhere ever removes one.
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
    setDropIndicatorShown(false);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &CVideoListCtrl::itemSelectionChanged);
    connect(m_pModel, &VideoListModel::titleWritesChanged, this, &CVideoListCtrl::titleWritesChanged);
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

CVideoListCtrl::~CVideoListCtrl()
{
    // Never waits for a scan (a slow stick or a long decode): cut off from the
    // list, each stops at its next video on its own; its watcher goes with the list.
    m_pSink->detach();
    cancelScans();
}

void CVideoListCtrl::cancelScans()
{
    for (QFutureWatcher<void>* watcher : m_scans)
        watcher->cancel();
}

void CVideoListCtrl::InitList()
{
    m_nColumnWidth = std::max(viewport()->width() - 10, 1);
    m_nClientWidth = viewport()->width();
    doItemsLayout();
}

struct CVideoListCtrl::Batch
{
    int generation = 0;
    bool last = false;
    std::vector<VideoListModel::NewRow> rows;
    int withoutPicture = 0; // videos that got no picture at all
};

struct CVideoListCtrl::PictureBatch
{
    int generation = 0;
    bool last = false;
    std::vector<std::pair<QString, QImage>> pictures; // video path, 44 x 33 thumbnail
};

namespace {
std::atomic<bool> s_playCheck{true};
} // namespace

void CVideoListCtrl::setPlayCheck(bool on)
{
    s_playCheck = on;
}

void CVideoListCtrl::FillList(const QString& pattern)
{
    m_strPattern = pattern;
    ++m_nGeneration;
    cancelScans();
    m_bFilling = true;
    // Clearing the model also ends an edit in progress (see the reset hook).
    m_pModel->clear();
    auto* watcher = new QFutureWatcher<void>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        std::erase(m_scans, watcher);
        watcher->deleteLater();
    });
    m_scans.push_back(watcher);
    watcher->setFuture(QtConcurrent::run(&CVideoListCtrl::scan, m_pSink, pattern, m_nGeneration));
    emit fillingChanged();
}

void CVideoListCtrl::Clear()
{
    ++m_nGeneration;
    cancelScans();
    m_pModel->clear();
    if (m_bFilling) {
        m_bFilling = false;
        emit fillingChanged();
    }
}

namespace {

// A scan's results on their way to the list: queued calls, through the list's
// sink, carrying batches of up to 64 items, or what 40 ms gathered.
template <class Sink, class B>
class Poster
{
public:
    using Clock = std::chrono::steady_clock;

    Poster(std::shared_ptr<Sink> sink, int generation, void (CVideoListCtrl::*receive)(B&))
        : m_sink(std::move(sink)), m_generation(generation), m_receive(receive)
    {
        renew();
    }
    B& batch() { return *m_batch; }
    bool due(std::size_t items) const
    {
        return items >= 64 || (items > 0 && Clock::now() - m_lastPost >= std::chrono::milliseconds(40));
    }
    bool posted() const { return m_posted; }
    void post(bool last)
    {
        m_batch->last = last;
        m_sink->post(m_receive, std::move(m_batch));
        renew();
        m_posted = true;
    }

private:
    void renew()
    {
        m_batch = std::make_shared<B>();
        m_batch->generation = m_generation;
        m_lastPost = Clock::now();
    }

    std::shared_ptr<Sink> m_sink;
    int m_generation;
    void (CVideoListCtrl::*m_receive)(B&);
    std::shared_ptr<B> m_batch;
    Clock::time_point m_lastPost;
    bool m_posted = false;
};

} // namespace

// Holds only what it owns (the sink, the pattern) and process-wide objects,
// so it may outlive the list.
void CVideoListCtrl::scan(QPromise<void>& promise, std::shared_ptr<ScanSink> sink, QString pattern, int generation)
{
    widgets::DefaultThumbnail defaultThumb(storage::defaultPictureCandidates());
    Poster<ScanSink, Batch> poster(sink, generation, &CVideoListCtrl::receiveBatch);
    QStringList withoutThumbnail;
    storage::ScanHooks hooks;
    hooks.cancelled = [&] { return promise.isCanceled(); };
    hooks.add = [&](storage::ScannedVideo&& video) {
        Batch& batch = poster.batch();
        auto entry = std::make_unique<VideoEntry>();
        // Headers only, no decoder: fast enough for every row.
        if (s_playCheck.load(std::memory_order_relaxed))
            entry->verdict = media::judge(video.path);
        entry->bMp4 = storage::isMp4Name(video.fileName);
        // Pictures are made of MP4 files only.
        if (video.thumbnailPath.isEmpty() && video.length && entry->bMp4)
            withoutThumbnail.append(video.path);
        entry->strPath = video.path;
        entry->strDate = video.dateText;
        entry->nTime = static_cast<qint64>(video.lastWrite);
        entry->nSize = video.length ? static_cast<qint64>(*video.length) : -1;
        std::optional<QImage> thumb;
        if (!video.thumbnailPath.isEmpty()) {
            // A thumbnail that is there but broken doesn't fall back to the default.
            thumb = widgets::BuildThumbnail(video.thumbnailPath);
        } else {
            thumb = defaultThumb.get();
            if (!thumb)
                ++batch.withoutPicture;
        }
        if (thumb) {
            entry->pThumb = std::make_unique<QImage>(std::move(*thumb));
            if (video.length)
                entry->strSize = storage::FormatSizeText(*video.length);
        }
        batch.rows.push_back({std::move(video.title), std::move(entry)});
        // The first row goes at once, the rest in batches.
        if (!poster.posted() || poster.due(batch.rows.size()))
            poster.post(false);
    };
    storage::scanPattern(pattern, hooks);
    poster.post(true);
    makePictures(promise, sink, withoutThumbnail, generation);
}

void CVideoListCtrl::makePictures(QPromise<void>& promise, const std::shared_ptr<ScanSink>& sink,
                                  const QStringList& videos, int generation)
{
    Poster<ScanSink, PictureBatch> poster(sink, generation, &CVideoListCtrl::receivePictures);
    for (const QString& video : videos) {
        if (promise.isCanceled())
            return; // superseded or the list is gone: its pictures would be dropped anyway
        // A video that gives no picture keeps the default one.
        if (const std::optional<QString> picture = thumbnail::cachedPicture(video)) {
            if (std::optional<QImage> thumb = widgets::BuildThumbnail(*picture))
                poster.batch().pictures.emplace_back(video, std::move(*thumb));
        }
        if (poster.due(poster.batch().pictures.size()))
            poster.post(false);
    }
    poster.post(true);
}

void CVideoListCtrl::receivePictures(PictureBatch& batch)
{
    if (batch.generation != m_nGeneration)
        return;
    for (auto& [path, picture] : batch.pictures)
        m_pModel->setThumbnail(path, std::move(picture));
    if (batch.last)
        emit picturesFinished();
}

void CVideoListCtrl::receiveBatch(Batch& batch)
{
    if (batch.generation != m_nGeneration)
        return; // a superseded fill
    m_pModel->appendRows(std::move(batch.rows));
    if (batch.last) {
        m_bFilling = false;
        if (m_pModel->rowCount() > 0)
            scrollTo(m_pModel->index(0, 0));
        setFocus(Qt::OtherFocusReason);
        viewport()->update();
        FitColumn();
        emit fillingChanged();
        emit fillFinished();
    }
    // Last: the boxes open without waiting and are shown one after another.
    for (int i = 0; i < batch.withoutPicture; ++i)
        platform::showMessage(QString::fromLatin1(storage::kNoDefaultPicture));
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

bool CVideoListCtrl::isWritingTitle() const
{
    return m_pModel->pendingTitleWrites() > 0;
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
    // Enter and Esc leave the row as the design does; an edit ended by a click
    // on another control keeps the selection that click may act on.
    endEdit(hint != QAbstractItemDelegate::NoHint);
}

void CVideoListCtrl::endEdit(bool deselect)
{
    const int row = m_nEditRow;
    m_nEditColumn = -1;
    m_nEditRow = -1;
    // The edited row ends up neither selected nor focused.
    if (deselect && row >= 0 && row < m_pModel->rowCount()) {
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

bool CVideoListCtrl::isOwnDrag(const QMimeData& data) const
{
    return m_pModel->isOwnDrag(data);
}

bool CVideoListCtrl::judgeDrop(QDropEvent* event) const
{
    if (!m_dropCheck || !event->mimeData() || !m_dropCheck(*event->mimeData())) {
        event->ignore();
        return false;
    }
    // Always a copy: a file manager told "moved" would remove its file itself.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

void CVideoListCtrl::dragEnterEvent(QDragEnterEvent* event)
{
    judgeDrop(event);
}

void CVideoListCtrl::dragMoveEvent(QDragMoveEvent* event)
{
    judgeDrop(event);
}

void CVideoListCtrl::dropEvent(QDropEvent* event)
{
    if (judgeDrop(event))
        emit videosDropped(event->mimeData(), event->modifiers());
}
