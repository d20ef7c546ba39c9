// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Pictures.h"
#include "TempDir.h"

#include "widgets/Thumbnail.h"

#include <gtest/gtest.h>

namespace {

constexpr QRgb kWhite = 0xffffff, kGrey = 0xc0c0c0, kRed = 0xff0000;

struct Shape
{
    int width, height;
    std::vector<std::pair<QPoint, QRgb>> pixels;
};

} // namespace

TEST(Thumbnail, KeepsTheProportionOnWhiteInsideAGreyFrame)
{
    const Shape shapes[] = {
        // 4:3 fills the whole area, frame included.
        {160, 120, {{{0, 0}, kRed}, {{43, 32}, kRed}, {{22, 16}, kRed}}},
        // Wide: 44 x 24 at y = 4.
        {160, 90, {{{20, 0}, kGrey}, {{20, 3}, kWhite}, {{20, 4}, kRed}, {{0, 10}, kRed},
                   {{20, 27}, kRed}, {{20, 28}, kWhite}, {{20, 32}, kGrey}}},
        // Tall: r = 1.777..., w = trunc(33 / r) = 18 at x = 13.
        {90, 160, {{{0, 16}, kGrey}, {{12, 16}, kWhite}, {{13, 16}, kRed}, {{30, 16}, kRed},
                   {{31, 16}, kWhite}, {{13, 0}, kRed}}}};
    TempDir dir;
    for (const Shape& shape : shapes) {
        writePicture(dir.path() / "p.png", shape.width, shape.height, Qt::red);
        const auto thumb = widgets::BuildThumbnail(qpath(dir.path() / "p.png"));
        ASSERT_TRUE(thumb);
        ASSERT_EQ(thumb->size(), QSize(44, 33));
        for (const auto& [point, colour] : shape.pixels)
            EXPECT_EQ(thumb->pixel(point) & 0xffffff, colour) << shape.width << "x" << shape.height << " at "
                                                              << point.x() << "," << point.y();
    }
}

TEST(Thumbnail, ReadsJpegAndRefusesGarbageTruncatedOrMissingPictures)
{
    TempDir dir;
    writePicture(dir.path() / "M4V00001.THM", 160, 120, QColor(0, 0, 255), "JPEG");
    const auto thumb = widgets::BuildThumbnail(qpath(dir.path() / "M4V00001.THM"));
    ASSERT_TRUE(thumb);
    EXPECT_GT(qBlue(thumb->pixel(22, 16)), 230);

    dir.write("garbage.THM", std::string(500, '\x5a'));
    dir.write("truncated.THM", readFileBytes(dir.path() / "M4V00001.THM").substr(0, 20));
    for (const char* name : {"garbage.THM", "truncated.THM", "missing.THM"})
        EXPECT_FALSE(widgets::BuildThumbnail(qpath(dir.path() / name))) << name;
    EXPECT_EQ(readFileBytes(dir.path() / "garbage.THM"), std::string(500, '\x5a'));
}
