// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "StorageTestSupport.h"
#include "TempDir.h"

#include "storage/SpaceAccounting.h"

#include <gtest/gtest.h>

using namespace storage;

TEST(Space, FiguresOfTheDriveAndTheSelections)
{
    constexpr std::uint64_t MiB = 1 << 20;
    struct Case
    {
        platform::VolumeSpace space; // free to caller, total, total free
        std::uint64_t local, psp;
        const char* text;
        int usedPos, selPos;
        bool overflow;
    };
    const Case cases[] = {
        // Half used, a quarter more selected.
        {{1000 * MiB, 2000 * MiB, 1000 * MiB}, 500 * MiB, 0, "1000(1500)/2000(0)", 50, 75, false},
        // More selected than is free: the mark, and the projected edge beyond the bar.
        {{100 * MiB, 1000 * MiB, 100 * MiB}, 150 * MiB, 0, "900(1050)/1000(0)", 90, 105, true},
        {{100 * MiB, 1000 * MiB, 100 * MiB}, 100 * MiB, 0, "900(1000)/1000(0)", 90, 100, false}, // exactly fits
        {{100 * MiB, 1000 * MiB, 100 * MiB}, 0, 0, "900(900)/1000(0)", 90, 90, false}, // nothing selected
        // Whole mebibytes, truncated; the PSP selection is shown on its own.
        {{500000000, 1000000000, 500000000}, 0, MiB * 19 / 10, "476(476)/953(1)", 50, 50, false},
        // A drive that reports no size is unknown, not full.
        {{0, 0, 0}, 5 * MiB, 2 * MiB, "?(?)/?(2)", 0, 0, false},
        // 32 TiB and a 5 GiB selection stay exact.
        {{1ULL << 44, 1ULL << 45, 1ULL << 44}, 5ULL << 30, 0, "16777216(16782336)/33554432(0)", 50, 50, false}};
    for (const Case& c : cases) {
        const SpaceFigures figures = ComputeSpace(c.space, c.local, c.psp, 100);
        EXPECT_EQ(figures.text, "Used/Total(Selected):  " + QString::fromLatin1(c.text) + " MB ");
        EXPECT_EQ(figures.usedPos, c.usedPos) << c.text;
        EXPECT_EQ(figures.selPos, c.selPos) << c.text;
        EXPECT_EQ(figures.overflow, c.overflow) << c.text;
    }
}

TEST(Space, SumsAreSixtyFourBitAndSkipUnreadableFiles)
{
    TempDir dir;
    const QString big = qpath(dir.write("big.mp4", "x"));
    const QString gone = qpath(dir.path() / "gone.mp4");
    const QString small = qpath(dir.write("small.mp4", std::string(1000, 'x')));
    FakeFileSystem fs;
    fs.sizes = [&](const QString& path) { return path == big ? std::optional<std::uint64_t>(5ULL << 30) : std::nullopt; };
    EXPECT_EQ(SumBytes({big, gone, small}), (5ULL << 30) + 1000);
    EXPECT_EQ(SumBytes({}), 0u);
}
