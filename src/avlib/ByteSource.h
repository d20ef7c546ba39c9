// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "avlib/AvOwners.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>

namespace avlib {

/**
 * What FFmpeg's custom I/O reads: a file by descriptor, read by position (so
 * nothing else moves its offset and no file name is ever opened again), or
 * bytes in memory. The callers' read and seek callbacks add their own stop
 * checks and hand the rest to read() and seek().
 */
struct ByteSource
{
    int fd = -1;
    const char* data = nullptr; // read instead of fd when set
    std::int64_t size = 0;
    std::int64_t pos = 0;
    int readErrno = 0; // the errno of the last read that failed, 0 when none did

    /** Up to want bytes at pos, as an AVIOContext's read_packet returns them. */
    int read(std::uint8_t* buf, int want);
    /** An AVIOContext's seek, AVSEEK_SIZE included; never past either end of the numbers. */
    std::int64_t seek(std::int64_t offset, int whence);
};

/**
 * A ByteSource that FFmpeg stops reading once its deadline has passed or its
 * cancel flag is set; each caller sets its own limits. Owns file.fd: closes it
 * when it goes.
 */
struct StoppableSource
{
    using Clock = std::chrono::steady_clock;

    ByteSource file;
    std::optional<Clock::time_point> deadline; // none: no time limit
    const std::atomic<bool>* cancel = nullptr;  // none: no cancel

    StoppableSource() = default;
    StoppableSource(const StoppableSource&) = delete;
    StoppableSource& operator=(const StoppableSource&) = delete;
    ~StoppableSource();

    bool timedOut() const { return deadline && Clock::now() > *deadline; }
    bool stopped() const { return (cancel && cancel->load(std::memory_order_relaxed)) || timedOut(); }

    /** The read-only custom I/O over this source; nothing when out of memory. */
    IoPtr makeIo(int bufferSize);
    /** Stops FFmpeg's own waits between reads (an AVFormatContext's interrupt_callback). */
    AVIOInterruptCB interrupter() const;
};

} // namespace avlib
