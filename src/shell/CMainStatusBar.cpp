// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/CMainStatusBar.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <cstdlib>

CMainStatusBar::CMainStatusBar(QWidget* parent)
    : QStatusBar(parent)
{
    setSizeGripEnabled(false);
    setMinimumHeight(kMinHeight);
}

void CMainStatusBar::SetParts(const std::array<int, kParts>& rightEdges)
{
    m_parts = rightEdges;
    update();
}

int CMainStatusBar::PartRight(int part) const
{
    if (part < 0 || part >= kParts)
        return 0;
    return m_parts[part] < 0 ? width() : m_parts[part];
}

void CMainStatusBar::SetText(const QString& text, int part)
{
    if (part < 0 || part >= kParts || m_texts[part] == text)
        return;
    m_texts[part] = text;
    update();
}

QString CMainStatusBar::GetText(int part) const
{
    return part >= 0 && part < kParts ? m_texts[part] : QString();
}

void CMainStatusBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    painter.fillRect(rect(), palette().window());
    // A skin may give the window a light text colour for its dark body; the
    // bar keeps its own background, so its text must contrast with that.
    const QColor background = palette().color(QPalette::Window);
    QColor textColor = palette().color(QPalette::WindowText);
    if (std::abs(textColor.lightness() - background.lightness()) < 96)
        textColor = background.lightness() > 127 ? QColor(Qt::black) : QColor(Qt::white);
    int left = 0;
    for (int part = 0; part < kParts; ++part) {
        const int right = PartRight(part);
        const QRect box(left, 1, std::max(0, right - left - 2), height() - 2);
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        if (!m_texts[part].isEmpty()) {
            painter.setPen(textColor);
            const QRect textBox = box.adjusted(4, 0, -4, 0);
            painter.drawText(textBox, Qt::AlignVCenter | Qt::AlignLeft,
                             fontMetrics().elidedText(m_texts[part], Qt::ElideRight, textBox.width()));
        }
        left = right;
    }
}
