// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QtGlobal>

#include <optional>

namespace session {

/** Where a whole transfer stands, in bytes, and how long it has run. */
struct TransferClock
{
    quint64 allBytes = 0;  // every item's size, taken when it started
    quint64 doneBytes = 0; // items finished, plus what the current copy has copied
    qint64 elapsedMs = 0;
};

/**
 * Seconds left for the whole transfer at the rate so far; nothing in the
 * first second (the rate means little yet) or when there are no bytes to count.
 */
std::optional<qint64> secondsLeft(const TransferClock& clock);

} // namespace session
