// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "skin/WindowOutline.h"

#include <QWidget>

QRegion WindowOutline::Compute(const CornerRegions& corners, int width, int height)
{
    QRegion outline(0, 0, width, height);
    if (corners.lt)
        outline -= *corners.lt;
    // Right and bottom corners are aligned by their pixels' bounding box, so
    // pixels stopping short of the bitmap's edge still end at the window's.
    if (corners.rb && !corners.rb->isEmpty()) {
        const QRect box = corners.rb->boundingRect();
        outline -= corners.rb->translated(width - (box.right() + 1), height - (box.bottom() + 1));
    }
    if (corners.lb && !corners.lb->isEmpty()) {
        const QRect box = corners.lb->boundingRect();
        outline -= corners.lb->translated(0, height - (box.bottom() + 1));
    }
    if (corners.rt && !corners.rt->isEmpty()) {
        const QRect box = corners.rt->boundingRect();
        outline -= corners.rt->translated(width - (box.right() + 1), 0);
    }
    return outline;
}

void WindowOutline::Apply(QWidget* window, const CornerRegions& corners)
{
    if (!window)
        return;
    if (!corners.any()) {
        window->clearMask();
        return;
    }
    window->setMask(Compute(corners, window->width(), window->height()));
    window->update();
}
