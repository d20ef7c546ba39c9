// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "widgets/VideoListModel.h"

#include "mp4title/Title.h"
#include "platform/FileSystem.h"
#include "platform/PathCodec.h"
#include "platform/Prompt.h"
#include "storage/Catalogue.h"

#include <QCoreApplication>
#include <QFile>
#include <QFutureWatcher>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <QMimeData>
#include <QUrl>

#include <algorithm>

namespace {
constexpr int kNameChars = 12;
constexpr int kToolTipChars = 79;
// Names the list a drag came from, so that a list can refuse its own rows.
const QString kDragMarkType = QStringLiteral("application/x-reelkeeper-list");
} // namespace

VideoListModel::VideoListModel(QObject* parent)
    : QAbstractListModel(parent)
    // Unique among the lists of every running copy of the program.
    , m_dragMark(QByteArray::number(QCoreApplication::applicationPid()) + ':'
                 + QByteArray::number(reinterpret_cast<quintptr>(this), 16))
{
}

VideoListModel::~VideoListModel() = default;

int VideoListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant VideoListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Row& row = m_rows[static_cast<size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return row.title;
    case Qt::ToolTipRole:
        return toolTipAt(index.row());
    default:
        return {};
    }
}

bool VideoListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.row() >= rowCount())
        return false;
    Row& row = m_rows[static_cast<size_t>(index.row())];
    if (!row.entry->bMp4)
        return false; // only MP4 files hold a PSP title
    const QString text = value.toString();
    if (text == row.title)
        return false;
    const QByteArray utf8 = text.toUtf8();
    if (utf8.size() > kMaxTitleBytes)
        return false;
    // Shown at once; the write (with its syncs) runs off the window thread and the
    // old title comes back if it fails.
    const QString oldTitle = row.title;
    const QString path = row.entry->strPath;
    row.title = text;
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    auto* watcher = new QFutureWatcher<TitleWrite>(this);
    connect(watcher, &QFutureWatcher<TitleWrite>::finished, this, [this, watcher, path, text, oldTitle] {
        watcher->deleteLater();
        titleWritten(path, text, oldTitle, watcher->result());
    });
    ++m_nTitleWrites;
    emit titleWritesChanged();
    watcher->setFuture(QtConcurrent::run(titleWriter(), [path, utf8 = utf8.toStdString()] {
        TitleWrite done;
        done.result = mp4title::writeTitle(platform::encodePath(path).toStdString(), utf8);
        // The row shows the date the write gave the file.
        if (done.result.ok)
            done.lastWrite = platform::fileSystem().lastWriteTime(path);
        return done;
    }));
    return true;
}

QThreadPool* VideoListModel::titleWriter()
{
    // One thread for every list: edits of one video are written in the order they were made.
    static QThreadPool* pool = [] {
        auto* writer = new QThreadPool(QCoreApplication::instance());
        writer->setMaxThreadCount(1);
        return writer;
    }();
    return pool;
}

void VideoListModel::titleWritten(const QString& path, const QString& title, const QString& oldTitle,
                                  const TitleWrite& written)
{
    --m_nTitleWrites;
    const mp4title::WriteResult& result = written.result;
    if (result.ok && written.lastWrite) {
        if (const auto found = m_rowOfPath.constFind(path); found != m_rowOfPath.constEnd()) {
            VideoEntry& entry = *m_rows[static_cast<size_t>(*found)].entry;
            entry.nTime = static_cast<qint64>(*written.lastWrite);
            entry.strDate = storage::FormatFileTime(*written.lastWrite, storage::kDateFormat);
            const QModelIndex changed = index(*found, 0);
            emit dataChanged(changed, changed);
        }
    }
    if (!result.ok) {
        const auto found = m_rowOfPath.constFind(path);
        if (found != m_rowOfPath.constEnd() && m_rows[static_cast<size_t>(*found)].title == title) {
            m_rows[static_cast<size_t>(*found)].title = oldTitle;
            const QModelIndex changed = index(*found, 0);
            emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
        }
        // The fixed message first; the reason below it says what to do.
        QString text = QString::fromLatin1(kWriteFailed);
        if (!result.reason.empty())
            text += QStringLiteral("\n\n") + QString::fromStdString(result.reason);
        platform::showMessage(text);
    }
    emit titleWritesChanged();
}

Qt::ItemFlags VideoListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    const VideoEntry* entry = entryAt(index.row());
    return entry && entry->bMp4 ? flags | Qt::ItemIsEditable : flags;
}

QStringList VideoListModel::mimeTypes() const
{
    return {QStringLiteral("text/uri-list"), kDragMarkType};
}

QMimeData* VideoListModel::mimeData(const QModelIndexList& indexes) const
{
    QList<int> rows;
    for (const QModelIndex& index : indexes) {
        if (index.isValid() && index.row() < rowCount())
            rows << index.row();
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QList<QUrl> urls;
    for (const int row : rows)
        urls << QUrl::fromLocalFile(m_rows[static_cast<size_t>(row)].entry->strPath);
    auto* data = new QMimeData;
    data->setUrls(urls);
    data->setData(kDragMarkType, m_dragMark);
    return data;
}

bool VideoListModel::isOwnDrag(const QMimeData& data) const
{
    return data.data(kDragMarkType) == m_dragMark;
}

void VideoListModel::clear()
{
    if (m_rows.empty())
        return;
    beginResetModel();
    m_rows.clear();
    m_rowOfPath.clear();
    endResetModel();
}

void VideoListModel::append(const QString& title, std::unique_ptr<VideoEntry> entry)
{
    std::vector<NewRow> rows;
    rows.push_back({title, std::move(entry)});
    appendRows(std::move(rows));
}

void VideoListModel::appendRows(std::vector<NewRow>&& rows)
{
    std::erase_if(rows, [this](const NewRow& row) { return m_rowOfPath.contains(row.entry->strPath); });
    if (rows.empty())
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    for (NewRow& row : rows) {
        m_rowOfPath.insert(row.entry->strPath, rowCount());
        m_rows.push_back(Row{std::move(row.title), std::move(row.entry), m_nAppended++});
    }
    endInsertRows();
    if (m_sortKey != SortKey::Folder)
        sortRows();
}

void VideoListModel::setSortKey(SortKey key)
{
    if (key == m_sortKey)
        return;
    m_sortKey = key;
    sortRows();
}

void VideoListModel::sortRows()
{
    const auto fileName = [](const Row& row) { return row.entry->strPath.section(QLatin1Char('/'), -1); };
    const auto less = [&](const Row& a, const Row& b) {
        switch (m_sortKey) {
        case SortKey::Title: {
            const int c = QString::localeAwareCompare(a.title, b.title);
            if (c != 0)
                return c < 0;
            break;
        }
        case SortKey::Date:
            if (a.entry->nTime != b.entry->nTime)
                return a.entry->nTime > b.entry->nTime; // newest first, as file managers do
            break;
        case SortKey::Size:
            if (a.entry->nSize != b.entry->nSize)
                return a.entry->nSize > b.entry->nSize; // largest first
            break;
        case SortKey::FileName: {
            const int c = QString::localeAwareCompare(fileName(a), fileName(b));
            if (c != 0)
                return c < 0;
            break;
        }
        case SortKey::Folder:
            break;
        }
        return a.order < b.order;
    };
    // Selections and an open editor follow their rows through the persistent indexes.
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<QString> paths;
    paths.reserve(static_cast<size_t>(before.size()));
    for (const QModelIndex& index : before)
        paths.push_back(index.row() < rowCount() ? m_rows[static_cast<size_t>(index.row())].entry->strPath : QString());
    std::stable_sort(m_rows.begin(), m_rows.end(), less);
    m_rowOfPath.clear();
    for (int row = 0; row < rowCount(); ++row)
        m_rowOfPath.insert(m_rows[static_cast<size_t>(row)].entry->strPath, row);
    QModelIndexList after;
    for (qsizetype i = 0; i < before.size(); ++i)
        after << index(m_rowOfPath.value(paths[static_cast<size_t>(i)], before[i].row()), before[i].column());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

const VideoEntry* VideoListModel::entryAt(int row) const
{
    if (row < 0 || row >= rowCount())
        return nullptr;
    return m_rows[static_cast<size_t>(row)].entry.get();
}

QString VideoListModel::titleAt(int row) const
{
    if (row < 0 || row >= rowCount())
        return {};
    return m_rows[static_cast<size_t>(row)].title;
}

bool VideoListModel::containsPath(const QString& path) const
{
    return m_rowOfPath.contains(path);
}

void VideoListModel::setThumbnail(const QString& path, QImage thumbnail)
{
    const auto found = m_rowOfPath.constFind(path);
    if (found == m_rowOfPath.constEnd())
        return;
    m_rows[static_cast<size_t>(*found)].entry->pThumb = std::make_unique<QImage>(std::move(thumbnail));
    const QModelIndex changed = index(*found, 0);
    emit dataChanged(changed, changed, {Qt::DecorationRole});
}

QString VideoListModel::toolTipAt(int row) const
{
    const VideoEntry* entry = entryAt(row);
    if (!entry)
        return {};
    const QString name = entry->strPath.mid(entry->strPath.lastIndexOf(u'/') + 1).left(kNameChars);
    const QString text = QStringLiteral("Name:") + name + QStringLiteral("\n") + QStringLiteral(" Size:") + entry->strSize;
    QString tip = text.left(kToolTipChars);
    if (markedAt(row)) {
        const bool notVideo = entry->verdict && entry->verdict->kind == media::Verdict::Kind::NotVideo;
        if (entry->verdict && !entry->verdict->plays())
            tip += u'\n' + entry->verdict->text();
        if (!entry->bMp4 && !notVideo)
            tip += u'\n' + QLatin1String(kConverted);
    }
    return tip;
}

QString VideoListModel::shownTextAt(int row, bool* isFileName) const
{
    const QString title = titleAt(row);
    const VideoEntry* entry = entryAt(row);
    const bool name = title.isEmpty() && entry;
    if (isFileName)
        *isFileName = name;
    return name ? entry->strPath.mid(entry->strPath.lastIndexOf(u'/') + 1) : title;
}

bool VideoListModel::markedAt(int row) const
{
    const VideoEntry* entry = entryAt(row);
    return entry && (!entry->bMp4 || (entry->verdict && !entry->verdict->plays()));
}
