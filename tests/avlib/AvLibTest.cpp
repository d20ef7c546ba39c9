// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "avlib/ByteSource.h"

#include <gtest/gtest.h>

#include <cerrno>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

using Clock = avlib::StoppableSource::Clock;

struct Stop
{
    const char* name;
    std::optional<std::chrono::milliseconds> deadlineIn; // from now; none: no deadline
    bool cancelled;
    bool stops;
};

class Stopping : public ::testing::TestWithParam<Stop>
{
};

// FFmpeg's reads and its waits stop once the deadline has passed or the flag is set, and only then.
TEST_P(Stopping, ReadsAndWaitsStopTogether)
{
    ASSERT_TRUE(avlib::load());
    const Stop& c = GetParam();
    const char bytes[] = "0123456789";
    const std::atomic<bool> cancel{c.cancelled};
    avlib::StoppableSource source;
    source.file.data = bytes;
    source.file.size = 10;
    source.cancel = &cancel;
    if (c.deadlineIn)
        source.deadline = Clock::now() + *c.deadlineIn;
    const avlib::IoPtr io = source.makeIo(4096);
    ASSERT_TRUE(io);
    const AVIOInterruptCB interrupt = source.interrupter();
    uint8_t buf[4] = {};
    EXPECT_EQ(io->read_packet(io->opaque, buf, 4), c.stops ? AVERROR_EXIT : 4);
    EXPECT_EQ(interrupt.callback(interrupt.opaque), c.stops ? 1 : 0);
    EXPECT_EQ(source.stopped(), c.stops);
    // Seeking is no read: it goes on, so that FFmpeg can close cleanly.
    EXPECT_EQ(io->seek(io->opaque, 7, SEEK_SET), 7);
}

INSTANTIATE_TEST_SUITE_P(Cases, Stopping,
                         ::testing::Values(Stop{"NoLimits", std::nullopt, false, false},
                                           Stop{"BeforeDeadline", std::chrono::minutes(10), false, false},
                                           Stop{"PastDeadline", std::chrono::milliseconds(-1), false, true},
                                           Stop{"Cancelled", std::chrono::minutes(10), true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// The source owns its descriptor: nothing leaks on any of the callers' ways out.
TEST(StoppableSource, ClosesItsDescriptor)
{
    const int fd = ::memfd_create("source", MFD_CLOEXEC);
    ASSERT_GE(fd, 0);
    {
        avlib::StoppableSource source;
        source.file.fd = fd;
    }
    errno = 0;
    EXPECT_EQ(::fcntl(fd, F_GETFD), -1);
    EXPECT_EQ(errno, EBADF);
}

} // namespace
