// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "widgets/CPSPVolCtrl.h"

#include <QPainter>

CPSPVolCtrl::CPSPVolCtrl(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("1028"));
    setProperty("controlId", 1028);
    // The one-pixel border lies outside the client area the fields measure.
    setContentsMargins(1, 1, 1, 1);
}

void CPSPVolCtrl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    const QRect client = contentsRect();
    painter.setClipRect(client);
    painter.translate(client.topLeft());
    const int height = client.height();
    painter.fillRect(QRect(0, 0, client.width(), height), palette().color(QPalette::Active, QPalette::Button));
    if (m_nUsedPos > 0)
        painter.fillRect(QRect(0, 0, m_nUsedPos, height), QColor::fromRgb(kUsedColour));
    if (m_nUsedPos < m_nSelPos && m_nSelPos < m_nWidth)
        painter.fillRect(QRect(m_nUsedPos, 0, m_nSelPos - m_nUsedPos, height), QColor::fromRgb(kSelectedColour));
    if (m_bOverflow)
        painter.fillRect(QRect(0, 0, client.width(), height), QColor::fromRgb(kOverflowColour));
}
