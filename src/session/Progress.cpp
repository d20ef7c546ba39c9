// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "session/Progress.h"

namespace session {

std::optional<qint64> secondsLeft(const TransferClock& c)
{
    if (c.elapsedMs < 1000 || c.allBytes == 0 || c.doneBytes == 0)
        return std::nullopt;
    if (c.doneBytes >= c.allBytes)
        return 0;
    const long double rate = static_cast<long double>(c.doneBytes) / c.elapsedMs; // bytes per millisecond
    const long double leftMs = (c.allBytes - c.doneBytes) / rate;
    return static_cast<qint64>((leftMs + 999) / 1000);
}

} // namespace session
