// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "skin/GlobalHelper.h"

#include <QApplication>
#include <QPalette>
#include <QStringList>

QString GlobalHelper::Rect2S(const QRect& rect)
{
    const qint64 right = qint64(rect.x()) + rect.width();
    const qint64 bottom = qint64(rect.y()) + rect.height();
    return QStringLiteral("%1 %2 %3 %4").arg(rect.x()).arg(rect.y()).arg(right).arg(bottom);
}

QRect GlobalHelper::S2Rect(const QString& text)
{
    const QStringList parts = text.split(u' ', Qt::SkipEmptyParts);
    if (parts.size() != 4)
        return QRect();
    qint64 v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].toInt(&ok, 10);
        if (!ok)
            return QRect();
    }
    const qint64 width = v[2] - v[0];
    const qint64 height = v[3] - v[1];
    if (width < 0 || height < 0 || width > INT_MAX || height > INT_MAX)
        return QRect();
    return QRect(int(v[0]), int(v[1]), int(width), int(height));
}

QColor GlobalHelper::ColorFromRef(quint32 colorRef)
{
    return QColor(int(colorRef & 0xFF), int((colorRef >> 8) & 0xFF), int((colorRef >> 16) & 0xFF));
}

quint32 GlobalHelper::RefFromColor(const QColor& color)
{
    return quint32(color.red()) | (quint32(color.green()) << 8) | (quint32(color.blue()) << 16);
}

quint32 GlobalHelper::GetSysColor(int index)
{
    const QPalette palette = QApplication::palette();
    switch (index) {
    case kColorBtnText:
        return RefFromColor(palette.color(QPalette::Active, QPalette::ButtonText));
    case kColorGrayText:
        return RefFromColor(palette.color(QPalette::Disabled, QPalette::WindowText));
    default:
        return RefFromColor(palette.color(QPalette::Active, QPalette::WindowText));
    }
}
