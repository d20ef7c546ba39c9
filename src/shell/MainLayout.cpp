// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/MainLayout.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace shell {
namespace {

// Edges in the window system's sense: right and bottom lie just outside the rectangle.
int rightOf(const QRect& r) { return r.x() + r.width(); }
int bottomOf(const QRect& r) { return r.y() + r.height(); }

int maxHeight(const std::map<int, QRect>& items, std::initializer_list<int> ids)
{
    int height = 0;
    for (const int id : ids) {
        const auto it = items.find(id);
        if (it != items.end())
            height = std::max(height, it->second.height());
    }
    return height;
}

QRect at(const std::map<int, QRect>& items, int id)
{
    const auto it = items.find(id);
    return it == items.end() ? QRect() : it->second;
}

// Rounds half away from zero, as the window system's dialog-unit conversion does.
int scale(int units, int numerator, int denominator)
{
    const long long scaled = static_cast<long long>(units) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / denominator : -((-scaled + half) / denominator));
}

} // namespace

std::map<int, QRect> computeLayout(QSize client, const QRect& titleBar, const std::map<int, QRect>& items,
                                   const LayoutSpacing& spacing)
{
    const int CW = client.width();
    const int CH = client.height();
    const int B = spacing.bottom;
    const int L = spacing.left;
    const int R = spacing.right;
    const int V = spacing.vgap;
    const int H = spacing.hgap;
    std::map<int, QRect> out;

    const QRect header(titleBar.x(), bottomOf(titleBar), titleBar.width(), at(items, 1020).height());
    out[1020] = header;

    const int RH = maxHeight(items, {1029, 1002, 1023, 1030});
    const int RY = bottomOf(header) + V;
    const int C = at(items, 1003).width();

    const QRect path(L, RY, at(items, 1029).width(), RH);
    out[1029] = path;
    const int browseWidth = at(items, 1023).width();
    const int folderLeft = rightOf(path) + H;
    const QRect folder(folderLeft, RY, CW / 2 - C / 2 - 2 * H - folderLeft - browseWidth, RH);
    out[1002] = folder;
    const QRect browse(rightOf(folder) + H, RY, browseWidth, RH);
    out[1023] = browse;
    const QRect psp(rightOf(browse) + 2 * H + C, RY, at(items, 1030).width(), RH);
    out[1030] = psp;
    out[1021] = QRect(rightOf(psp) + H, RY, CW - rightOf(psp) - R - H, RH);

    const int BH = maxHeight(items, {1009, 1031, 1012});
    const int SH = at(items, kStatusBarId).height();
    const int LY = bottomOf(header) + 2 * V + RH;
    const int LH = CH - bottomOf(header) - 4 * V - RH - BH - SH - B;

    const QRect local(L, LY, CW / 2 - C / 2 - H - L, LH);
    out[1000] = local;
    const QRect pspList(CW / 2 + C / 2 + H, LY, CW / 2 - C / 2 - R - H, LH);
    out[1001] = pspList;

    const int buttonsLeft = rightOf(local) + H;
    const QSize moveTo = at(items, 1003).size();
    const QRect move(QPoint(buttonsLeft, LY + moveTo.height()), moveTo);
    out[1003] = move;
    const QRect copy(QPoint(buttonsLeft, bottomOf(move) + V), at(items, 1004).size());
    out[1004] = copy;
    const QSize moveFromSize = at(items, 1005).size();
    const QRect moveFrom(QPoint(buttonsLeft, bottomOf(copy) + V + moveFromSize.height()), moveFromSize);
    out[1005] = moveFrom;
    const QRect copyFrom(QPoint(buttonsLeft, bottomOf(moveFrom) + V), at(items, 1006).size());
    out[1006] = copyFrom;
    out[1007] = QRect(QPoint(buttonsLeft, bottomOf(copyFrom) + V), at(items, 1007).size());
    const QSize aboutSize = at(items, 1008).size();
    out[1008] = QRect(QPoint(buttonsLeft, bottomOf(local) - aboutSize.height()), aboutSize);

    out[1009] = QRect(QPoint(L, bottomOf(local) + V), at(items, 1009).size());
    const QRect nextNum(pspList.x(), bottomOf(pspList) + V, at(items, 1031).width(), BH);
    out[1031] = nextNum;
    const QRect number(rightOf(nextNum) + H, bottomOf(pspList) + V, at(items, 1012).width(), BH);
    out[1012] = number;
    out[kStatusBarId] = QRect(L, bottomOf(number) + V, CW - L - R, SH);
    return out;
}

QRect dialogUnitsToPixels(const QRect& units)
{
    const int left = scale(units.x(), 3, 2);
    const int top = scale(units.y(), 13, 8);
    const int right = scale(units.x() + units.width(), 3, 2);
    const int bottom = scale(units.y() + units.height(), 13, 8);
    return QRect(left, top, right - left, bottom - top);
}

} // namespace shell
