// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QRect>
#include <QSize>

#include <map>

namespace shell {

/** Spacing values of a skin, in pixels, as the layout reads them. */
struct LayoutSpacing
{
    int bottom = 0; ///< margin under the status bar
    int left = 0;   ///< left margin
    int right = 0;  ///< right margin
    int vgap = 0;   ///< vertical gap between rows
    int hgap = 0;   ///< horizontal gap between neighbours
};

/** The id under which the status bar's rectangle travels through the layout. */
inline constexpr int kStatusBarId = 1025;

/**
 * Places the main window's controls for a client area of @p client.
 * @p titleBar is the skinned title bar in client coordinates; @p items holds every
 * control's current rectangle by id (1000-1009, 1012, 1020, 1021, 1023, 1025, 1029-1031);
 * widths and heights that the layout keeps come from there. Returns the new rectangle of
 * every control it places. Halves drop their remainder, as integer division does.
 */
std::map<int, QRect> computeLayout(QSize client, const QRect& titleBar, const std::map<int, QRect>& items,
                                   const LayoutSpacing& spacing);

/**
 * Converts a rectangle in dialog units of the window's template font to pixels. The font
 * ("Microsoft Sans Serif" 8 pt at 96 dpi) has base units of 6 x 13 pixels, so one unit is
 * 1.5 pixels across and 1.625 pixels down; each edge is rounded on its own.
 */
QRect dialogUnitsToPixels(const QRect& units);

} // namespace shell
