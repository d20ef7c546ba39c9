// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <atomic>
#include <csignal>

namespace cli {

/**
 * While one lives, SIGINT and SIGTERM raise the stop flag that a copy or a
 * conversion reads (the handler only stores to lock-free atomics), and the
 * previous handlers come back when it goes. No SA_RESTART: a question waiting
 * on the terminal gives way. The flag and the signal's number stay readable
 * afterwards, until the next StopSignals clears them.
 */
class StopSignals
{
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    static const std::atomic<bool>& flag();
    /** The number of the signal that stopped the work, 0 when none did. */
    static int number();

private:
    struct sigaction m_oldInt {};
    struct sigaction m_oldTerm {};
};

} // namespace cli
