// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QColor>
#include <QStyledItemDelegate>

class CVideoListCtrl;

/** Paints a video row (thumbnail, title, date) and makes the title editor. */
class VideoRowDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(VideoRowDelegate)

public:
    static constexpr int kRowHeight = 35;
    static constexpr int kIconLeft = 2;
    static constexpr int kIconTop = 1;

    explicit VideoRowDelegate(CVideoListCtrl* list);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option, const QModelIndex& index) override;

    /** The rectangle a row paints: its bounds, widened to the client width - 2 when they end left of it. */
    QRect rowRect(const QRect& bounds) const;
    /** The label (text) area of a row: right of the thumbnail + 4 to the row's right edge - 4. */
    static QRect labelRect(const QRect& row);
    static QRect iconRect(const QRect& row);
    /** Where the mark of a video the PSP won't play sits: the thumbnail's lower right corner. */
    static QRect markRect(const QRect& row);
    static constexpr int kMarkWidth = 13;
    static constexpr int kMarkHeight = 12;
    static constexpr QColor kMarkColor{255, 186, 0};

private:
    static void paintMark(QPainter* painter, const QRect& r);

    CVideoListCtrl* m_list;
};
