// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/AppIcon.h"

#include <QPainter>
#include <QPixmap>
#include <QRadialGradient>

#include <cmath>

namespace shell {

QImage appIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(size / 2.0, size / 2.0);
    const double r = size * 0.46;
    QRadialGradient g(c - QPointF(r * 0.35, r * 0.35), r * 1.5);
    g.setColorAt(0, QColor(0x7F, 0xA8, 0xDD));
    g.setColorAt(1, QColor(0x22, 0x4A, 0x82));
    p.setPen(QPen(QColor(0x1A, 0x3A, 0x68), std::max(1.0, size / 32.0)));
    p.setBrush(g);
    p.drawEllipse(c, r, r);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xF4, 0xF7, 0xFB));
    for (int i = 0; i < 5; ++i) {
        const double a = i * 2 * M_PI / 5 - M_PI / 2;
        p.drawEllipse(c + QPointF(std::cos(a), std::sin(a)) * r * 0.55, r * 0.2, r * 0.2);
    }
    p.drawEllipse(c, r * 0.12, r * 0.12);
    p.end();
    return image;
}

QIcon appIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(appIconImage(size)));
    return icon;
}

} // namespace shell
