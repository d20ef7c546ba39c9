// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QRect>
#include <QSize>

namespace shell {

/** The smallest rectangle a stored window rectangle is enlarged to before the skin loads. */
inline constexpr QSize kInitialMinimumSize(510, 400);

/**
 * The rectangle a stored "window_rect" restores to. A negative left or top edge is moved
 * back to 0, a rectangle narrower or lower than @p minimum is enlarged (left and top
 * stay). One that then lies on none of @p screens (their available areas; a monitor was
 * removed) is moved onto the nearest one, its size kept, so it can be reached again.
 * With no screens known, only the first two rules apply.
 */
QRect restoredWindowRect(QRect stored, const QList<QRect>& screens, QSize minimum = kInitialMinimumSize);

} // namespace shell
