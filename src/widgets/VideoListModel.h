// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "mp4title/Title.h"
#include "widgets/VideoEntry.h"

#include <QAbstractListModel>
#include <QHash>
#include <QImage>

class QThreadPool;

#include <ctime>
#include <memory>
#include <optional>
#include <vector>

/**
 * The rows of a video list: each row owns its title and its VideoEntry (with the
 * thumbnail); removing the row frees both. An edited title shows at once and is
 * written into the video on a worker; the old title comes back when that fails.
 */
class VideoListModel final : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(VideoListModel)

public:
    /** Largest title the editor accepts, in UTF-8 bytes. */
    static constexpr int kMaxTitleBytes = 255;
    static constexpr char kWriteFailed[] =
        "Set file title failed, makesure the file is not read only. \nOtherwise maybe the file is corrupted.";

    explicit VideoListModel(QObject* parent = nullptr);
    ~VideoListModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    /** A drag carries the rows' file URLs (and this model's mark), to be copied, never moved. */
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }
    /** True when data comes from a drag of this model's rows (in this process). */
    bool isOwnDrag(const QMimeData& data) const;

    /** Deletes every row and its entry. */
    void clear();
    /** Appends a row that takes over the entry. */
    void append(const QString& title, std::unique_ptr<VideoEntry> entry);
    struct NewRow
    {
        QString title;
        std::unique_ptr<VideoEntry> entry;
    };
    /** Appends rows in one insertion, skipping paths already listed. */
    void appendRows(std::vector<NewRow>&& rows);
    const VideoEntry* entryAt(int row) const;
    QString titleAt(int row) const;
    bool containsPath(const QString& path) const;
    /** Gives the row of a path a new thumbnail; nothing when no row has the path. */
    void setThumbnail(const QString& path, QImage thumbnail);
    /** How the rows are ordered; Folder keeps the order the listing gave. */
    enum class SortKey { Folder, Title, Date, Size, FileName };
    /** Orders the rows now and every row that comes later. */
    void setSortKey(SortKey key);
    SortKey sortKey() const { return m_sortKey; }

    /** Title writes started and not yet ended. */
    int pendingTitleWrites() const { return m_nTitleWrites; }
    /**
     * "Name:" + first 12 characters of the file name + "\n" + " Size:" + size, at most 79 characters;
     * then, for a video the PSP won't play as it is, a line with the reasons (and for other
     * than MP4 files one saying it is converted when copied).
     */
    QString toolTipAt(int row) const;
    /** The text a row shows: its title, or its file name (greyed) when it has none. */
    QString shownTextAt(int row, bool* isFileName = nullptr) const;
    /** True when the row gets the mark of a video the PSP won't play as it is. */
    bool markedAt(int row) const;
    static constexpr char kConverted[] = "converted when copied to the PSP";

signals:
    /** pendingTitleWrites() changed. */
    void titleWritesChanged();

private:
    static QThreadPool* titleWriter();
    struct TitleWrite
    {
        mp4title::WriteResult result;
        std::optional<std::time_t> lastWrite;
    };
    void titleWritten(const QString& path, const QString& title, const QString& oldTitle, const TitleWrite& written);

    struct Row
    {
        QString title;
        std::unique_ptr<VideoEntry> entry;
        quint64 order = 0; // place in the listing's order
    };
    void sortRows();

    std::vector<Row> m_rows;
    QHash<QString, int> m_rowOfPath; // rebuilt whenever the rows are reordered
    SortKey m_sortKey = SortKey::Folder;
    quint64 m_nAppended = 0; // numbers the rows in the order the listing gave them
    int m_nTitleWrites = 0;
    const QByteArray m_dragMark;
};
