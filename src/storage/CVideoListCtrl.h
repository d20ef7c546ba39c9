#pragma once

#include "storage/VideoEntry.h"

#include <QList>
#include <QListView>
#include <QString>

class VideoListModel;
class VideoRowDelegate;

/**
 * One of the two video lists (ids 1000 and 1001): a thumbnail and two lines
 * (title, date) per row, multiple selection, a tooltip with name and size, and
 * an in-place title editor that writes the title into the video.
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
     * Clears the list and fills it from a folder + "/" + "*.mp4" pattern.
     * Keeps the window responsive during the scan. A call made while a fill of
     * this list is running is deferred until that fill has ended (the last
     * pattern asked for wins).
     */
    void FillList(const QString& pattern);
    /** Sets the row width to the list's client width; nothing while it is 0. */
    void FitColumn();
    /** True when a row's path equals the path exactly (case-sensitive). */
    bool ContainsPath(const QString& path) const;

    int count() const;
    /** The row's entry, or nullptr for a row that doesn't exist. */
    const VideoEntry* entryAt(int row) const;
    QString titleAt(int row) const;
    /** Selected rows in index order. */
    QList<int> selectedRows() const;
    bool hasSelection() const;
    /** True while a fill of this list is running. */
    bool isFilling() const { return m_bFilling; }
    /** Column of the title being edited; -1 when no edit is in progress. */
    int editColumn() const { return m_nEditColumn; }
    int clientWidth() const { return m_nClientWidth; }
    /** Width of the single column (the rows' width). */
    int columnWidth() const { return m_nColumnWidth; }
    VideoListModel* videoModel() const { return m_pModel; }

signals:
    /** The set of selected rows changed (once per user action, not per row). */
    void itemSelectionChanged();
    /** A fill has ended (after any deferred one as well). */
    void fillFinished();

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void runFill(const QString& pattern);
    void endEdit();

    VideoListModel* m_pModel = nullptr;
    VideoRowDelegate* m_pDelegate = nullptr;
    int m_nClientWidth = 0;
    int m_nEditColumn = -1;
    int m_nEditRow = -1;
    int m_nColumnWidth = 0;
    bool m_bFilling = false;
    bool m_bFillPending = false;
    bool m_bSelectionBeforeReset = false;
    QString m_strPendingPattern;
};
