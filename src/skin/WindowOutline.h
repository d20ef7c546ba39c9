// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QRegion>

#include <optional>

class QWidget;

/** The four cut-away corner regions of a skin; each may be absent. */
struct CornerRegions
{
    std::optional<QRegion> lt;
    std::optional<QRegion> rt;
    std::optional<QRegion> lb;
    std::optional<QRegion> rb;

    bool any() const { return lt || rt || lb || rb; }
    void reset() { lt.reset(); rt.reset(); lb.reset(); rb.reset(); }
};

/**
 * The window outline: (0, 0, W, H) minus the corners, the top-left in place
 * and the others moved so that their cut-away pixels' bounding box ends at
 * the window's right and/or bottom edge.
 */
class WindowOutline
{
public:
    /** The outline; (0, 0, W, H) when no corner exists. */
    static QRegion Compute(const CornerRegions& corners, int width, int height);
    /** Sets the window's mask from its current size, or clears the mask when
     *  no corner exists. */
    static void Apply(QWidget* window, const CornerRegions& corners);
};
