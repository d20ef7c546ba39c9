// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "widgets/CPSPPrgCtrl.h"

#include <QPainter>

CPSPPrgCtrl::CPSPPrgCtrl(QWidget* parent)
    : QProgressBar(parent)
{
    setRange(0, 100);
    setValue(0);
    setTextVisible(false);
}

void CPSPPrgCtrl::SetCaption(const QString& caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    setToolTip(caption);
    update();
}

void CPSPPrgCtrl::paintEvent(QPaintEvent* event)
{
    QProgressBar::paintEvent(event);
    if (m_caption.isEmpty())
        return;
    QPainter painter(this);
    const QRect area = rect().adjusted(4, 0, -4, 0);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(area, Qt::AlignVCenter | Qt::AlignLeft,
                     fontMetrics().elidedText(m_caption, Qt::ElideMiddle, area.width()));
}
