// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/WindowPlacement.h"

#include <algorithm>
#include <limits>

namespace shell {
namespace {

// Squared distance between two rectangles; 0 when they touch or overlap.
long long distanceSquared(const QRect& a, const QRect& b)
{
    const long long dx = std::max({0LL, static_cast<long long>(b.left()) - a.right(),
                                   static_cast<long long>(a.left()) - b.right()});
    const long long dy = std::max({0LL, static_cast<long long>(b.top()) - a.bottom(),
                                   static_cast<long long>(a.top()) - b.bottom()});
    return dx * dx + dy * dy;
}

} // namespace

QRect restoredWindowRect(QRect stored, const QList<QRect>& screens, QSize minimum)
{
    // Negative edges are shifted back by their own amount, which puts them at 0.
    if (stored.left() < 0)
        stored.moveLeft(0);
    if (stored.top() < 0)
        stored.moveTop(0);
    if (stored.width() < minimum.width())
        stored.setWidth(minimum.width());
    if (stored.height() < minimum.height())
        stored.setHeight(minimum.height());

    if (screens.isEmpty())
        return stored;
    for (const QRect& screen : screens) {
        if (screen.intersects(stored))
            return stored;
    }

    const QRect* nearest = &screens.front();
    long long best = std::numeric_limits<long long>::max();
    for (const QRect& screen : screens) {
        const long long d = distanceSquared(stored, screen);
        if (d < best) {
            best = d;
            nearest = &screen;
        }
    }
    // Inside the area where it fits; a window larger than the area starts at its top-left.
    const int x = std::max(nearest->left(), std::min(stored.left(), nearest->right() + 1 - stored.width()));
    const int y = std::max(nearest->top(), std::min(stored.top(), nearest->bottom() + 1 - stored.height()));
    stored.moveTo(x, y);
    return stored;
}

} // namespace shell
