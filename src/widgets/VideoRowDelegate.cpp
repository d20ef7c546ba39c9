// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "widgets/VideoRowDelegate.h"

#include "widgets/CVideoListCtrl.h"
#include "widgets/VideoListModel.h"

#include <QLineEdit>
#include <QHelpEvent>
#include <QPainter>
#include <QPolygonF>
#include <QTextDocument>
#include <QToolTip>
#include <QValidator>

namespace {

// Refuses any text longer than a title may be in the file.
class TitleLengthValidator final : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        return input.toUtf8().size() <= VideoListModel::kMaxTitleBytes ? Acceptable : Invalid;
    }
};

QString cutToTitleLimit(const QString& text)
{
    QString cut = text;
    while (cut.toUtf8().size() > VideoListModel::kMaxTitleBytes)
        cut.chop(cut.size() >= 2 && cut.at(cut.size() - 1).isLowSurrogate() ? 2 : 1);
    return cut;
}

} // namespace

VideoRowDelegate::VideoRowDelegate(CVideoListCtrl* list)
    : QStyledItemDelegate(list)
    , m_list(list)
{
}

QRect VideoRowDelegate::rowRect(const QRect& bounds) const
{
    // The row's bounds are as wide as the single column.
    QRect row(bounds.left(), bounds.top(), std::max(m_list->columnWidth(), 1), bounds.height());
    const int clientWidth = m_list->clientWidth();
    if (row.right() + 1 < clientWidth)
        row.setRight(clientWidth - 3); // right edge (exclusive) at client width - 2
    return row;
}

QRect VideoRowDelegate::iconRect(const QRect& row)
{
    return {row.left() + kIconLeft, row.top() + kIconTop, CVideoListCtrl::kThumbWidth, CVideoListCtrl::kThumbHeight};
}

QRect VideoRowDelegate::labelRect(const QRect& row)
{
    const int left = iconRect(row).right() + 1 + 4;
    return QRect(QPoint(left, row.top()), QPoint(row.right() - 4, row.bottom()));
}

void VideoRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const auto* model = m_list->videoModel();
    const VideoEntry* entry = model->entryAt(index.row());
    painter->save();

    const QRect row = rowRect(option.rect);
    const bool selected = (option.state & QStyle::State_Selected) && m_list->editColumn() == -1;
    const QPalette& palette = m_list->palette();
    const QColor background = palette.color(QPalette::Active, selected ? QPalette::Highlight : QPalette::Base);
    const QColor foreground = palette.color(QPalette::Active, selected ? QPalette::HighlightedText : QPalette::Text);
    painter->fillRect(row, background);

    if (entry && entry->pThumb)
        painter->drawImage(iconRect(row).topLeft(), *entry->pThumb);
    if (model->markedAt(index.row()))
        paintMark(painter, markRect(row));

    const QRect text = labelRect(row);
    const int half = row.height() / 2;
    const QRect titleBand(text.left(), row.top(), text.width(), half);
    const QRect dateBand(text.left(), row.top() + row.height() - half, text.width(), half);
    const QFontMetrics metrics(option.font);
    painter->setFont(option.font);
    painter->setPen(foreground);
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip;
    bool isFileName = false;
    const QString shown = model->shownTextAt(index.row(), &isFileName);
    if (isFileName) // an untitled video shows its file name, greyed
        painter->setPen(palette.color(QPalette::Disabled, QPalette::Text));
    painter->drawText(titleBand, flags, metrics.elidedText(shown, Qt::ElideRight, titleBand.width()));
    painter->setPen(foreground);
    if (entry)
        painter->drawText(dateBand, flags, metrics.elidedText(entry->strDate, Qt::ElideRight, dateBand.width()));

    painter->restore();
}

QRect VideoRowDelegate::markRect(const QRect& row)
{
    const QRect icon = iconRect(row);
    return {icon.right() + 1 - kMarkWidth, icon.bottom() + 1 - kMarkHeight, kMarkWidth, kMarkHeight};
}

void VideoRowDelegate::paintMark(QPainter* painter, const QRect& r)
{
    // A warning triangle: amber with a dark edge and a dark "!".
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QPointF top(r.left() + r.width() / 2.0, r.top() + 0.5);
    const QPolygonF triangle({top, QPointF(r.right() + 0.5, r.bottom() + 0.5), QPointF(r.left() + 0.5, r.bottom() + 0.5)});
    painter->setPen(QPen(QColor(60, 40, 0), 1));
    painter->setBrush(kMarkColor);
    painter->drawPolygon(triangle);
    painter->setPen(QPen(QColor(20, 20, 20), 1.5));
    const qreal x = top.x();
    painter->drawLine(QPointF(x, r.top() + 4), QPointF(x, r.bottom() - 3.5));
    painter->drawPoint(QPointF(x, r.bottom() - 1.5));
    painter->restore();
}

QSize VideoRowDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const
{
    return {std::max(m_list->columnWidth(), 1), kRowHeight};
}

QWidget* VideoRowDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const
{
    auto* editor = new QLineEdit(parent);
    editor->setObjectName(QStringLiteral("titleEditor"));
    editor->setFrame(true);
    editor->setValidator(new TitleLengthValidator(editor));
    return editor;
}

void VideoRowDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    // The view calls this again whenever the row changes (a picture arriving):
    // what the user typed, and the cursor in an unchanged title, stay.
    auto* line = static_cast<QLineEdit*>(editor);
    const QString title = cutToTitleLimit(index.data(Qt::EditRole).toString());
    if (!line->isModified() && line->text() != title)
        line->setText(title);
}

void VideoRowDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    // An untouched editor writes nothing, also when it shows a title that had
    // to be cut to the length a title may have.
    const auto* line = static_cast<QLineEdit*>(editor);
    if (line->isModified())
        model->setData(index, line->text(), Qt::EditRole);
}

void VideoRowDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex&) const
{
    // Pinned at the label's left and one pixel above the row, over the title line.
    const QRect label = labelRect(rowRect(option.rect));
    const int height = std::max(editor->sizeHint().height(), option.rect.height() / 2 + 2);
    editor->setGeometry(label.left(), label.top() - 1, label.width(), height);
}

bool VideoRowDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (event && event->type() == QEvent::ToolTip && index.isValid()) {
        // The tip is plain text: a file name such as "<b>clip.mp4" must not turn it into markup.
        const QString text = index.data(Qt::ToolTipRole).toString();
        if (Qt::mightBeRichText(text)) {
            QToolTip::showText(event->globalPos(),
                QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() + QStringLiteral("</p>"), view,
                option.rect);
            return true;
        }
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}
