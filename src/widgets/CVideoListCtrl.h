// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "widgets/VideoEntry.h"

#include <QList>
#include <QListView>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QMimeData;
template <class T> class QFutureWatcher;
template <class T> class QPromise;
class VideoListModel;
class VideoRowDelegate;

/**
 * One of the two video lists (ids 1000 and 1001): a thumbnail and two lines
 * (title, date) per row, multiple selection, a tooltip with name and size, and
 * an in-place title editor that writes the title into the video. Rows drag out as
 * file URLs; what may be dropped in is decided by the drop check the owner sets.
 */
class CVideoListCtrl final : public QListView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CVideoListCtrl)

public:
    static constexpr int kThumbWidth = 44;
    static constexpr int kThumbHeight = 33;

    explicit CVideoListCtrl(QWidget* parent = nullptr);
    ~CVideoListCtrl() override;

    /** Prepares the list once, before the first fill. */
    void InitList();
    /**
     * Clears the list and fills it from a folder + "/" + "*.mp4" pattern. The
     * scan (titles, sizes, dates, thumbnails) runs on a worker; rows arrive in
     * batches and fillFinished() tells when the list is complete. Then the same
     * worker gives videos without a thumbnail a picture of their own (from the
     * cache or decoded), also in batches, until picturesFinished(). A new fill
     * supersedes a running one: rows and pictures of the older scan are dropped.
     */
    void FillList(const QString& pattern);
    /** Deletes every row and drops a fill that is still running. */
    void Clear();
    /** Sets the row width to the list's client width; nothing while it is 0. */
    void FitColumn();
    /** True when a row's path equals the path exactly (case-sensitive). */
    bool ContainsPath(const QString& path) const;

    /** Says whether data may be dropped onto the list now; without one, nothing may. */
    using DropCheck = std::function<bool(const QMimeData& data)>;
    void setDropCheck(DropCheck check) { m_dropCheck = std::move(check); }
    /** True when data comes from a drag of this list's rows. */
    bool isOwnDrag(const QMimeData& data) const;

    /** Whether scans judge each video for the PSP (on; off only to measure fills without it). */
    static void setPlayCheck(bool on);

    int count() const;
    /** The row's entry, or nullptr for a row that doesn't exist. */
    const VideoEntry* entryAt(int row) const;
    QString titleAt(int row) const;
    /** Selected rows in index order. */
    QList<int> selectedRows() const;
    bool hasSelection() const;
    /** True while a fill of this list is running. */
    bool isFilling() const { return m_bFilling; }
    /** True while an edited title is still being written into its video. */
    bool isWritingTitle() const;
    /** The pattern of the newest fill. */
    QString fillPattern() const { return m_strPattern; }
    /** Column of the title being edited; -1 when no edit is in progress. */
    int editColumn() const { return m_nEditColumn; }
    int clientWidth() const { return m_nClientWidth; }
    /** Width of the single column (the rows' width). */
    int columnWidth() const { return m_nColumnWidth; }
    VideoListModel* videoModel() const { return m_pModel; }

signals:
    /** The set of selected rows changed (once per user action, not per row). */
    void itemSelectionChanged();
    /** The newest fill has ended: every row of its folder is in the list. */
    void fillFinished();
    /**
     * The newest fill's pictures made from the videos themselves (for videos
     * without a thumbnail) are all in; they follow the rows, from the same worker.
     */
    void picturesFinished();
    /** isFilling() changed. */
    void fillingChanged();
    /** isWritingTitle() may have changed. */
    void titleWritesChanged();
    /** Data the drop check accepted was dropped; data lives only during the call. */
    void videosDropped(const QMimeData* data, Qt::KeyboardModifiers modifiers);

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct Batch;
    struct PictureBatch;
    struct ScanSink;
    static void scan(QPromise<void>& promise, std::shared_ptr<ScanSink> sink, QString pattern, int generation);
    static void makePictures(QPromise<void>& promise, const std::shared_ptr<ScanSink>& sink, const QStringList& videos,
                             int generation);
    /** Tells every running scan to stop at its next video. */
    void cancelScans();
    void receiveBatch(Batch& batch);
    void receivePictures(PictureBatch& batch);
    void endEdit(bool deselect = true);
    /** Takes the drag (as a copy) when the drop check allows it, else refuses it. */
    bool judgeDrop(QDropEvent* event) const;

    VideoListModel* m_pModel = nullptr;
    VideoRowDelegate* m_pDelegate = nullptr;
    int m_nClientWidth = 0;
    int m_nEditColumn = -1;
    int m_nEditRow = -1;
    int m_nColumnWidth = 0;
    bool m_bFilling = false;
    bool m_bSelectionBeforeReset = false;
    QString m_strPattern;
    int m_nGeneration = 0; // of the newest fill; batches of older ones are dropped
    // Shared with the scans, which post through it; the list detaches from it when destroyed.
    std::shared_ptr<ScanSink> m_pSink;
    std::vector<QFutureWatcher<void>*> m_scans; // running scans, children of the list
    DropCheck m_dropCheck;
};
