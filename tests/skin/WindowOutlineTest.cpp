#include "skin/WindowOutline.h"

#include <gtest/gtest.h>

#include <QWidget>

namespace {

TEST(WindowOutline, NoCornersIsThePlainRectangle)
{
    CornerRegions corners;
    EXPECT_FALSE(corners.any());
    EXPECT_EQ(WindowOutline::Compute(corners, 300, 200), QRegion(0, 0, 300, 200));

    QWidget w;
    w.resize(300, 200);
    w.setMask(QRegion(0, 0, 10, 10));
    WindowOutline::Apply(&w, corners);
    EXPECT_TRUE(w.mask().isEmpty());
}

TEST(WindowOutline, TopLeftIsCutWhereItStands)
{
    CornerRegions corners;
    corners.lt = QRegion(0, 0, 3, 1) | QRegion(0, 1, 1, 2);
    const QRegion outline = WindowOutline::Compute(corners, 100, 50);
    EXPECT_FALSE(outline.contains(QPoint(0, 0)));
    EXPECT_FALSE(outline.contains(QPoint(2, 0)));
    EXPECT_FALSE(outline.contains(QPoint(0, 2)));
    EXPECT_TRUE(outline.contains(QPoint(3, 0)));
    EXPECT_TRUE(outline.contains(QPoint(1, 1)));
    EXPECT_TRUE(outline.contains(QPoint(99, 49)));
}

TEST(WindowOutline, OtherCornersAlignByTheirPixelsBoundingBox)
{
    // Cut-away pixels that stop short of their bitmap's edge (a 10 x 10 bitmap
    // whose cut ends at x 5, y 4) still end at the window's edge.
    const QRegion cut = QRegion(2, 1, 4, 1) | QRegion(5, 2, 1, 3);
    CornerRegions corners;
    corners.rb = cut;
    corners.lb = cut;
    corners.rt = cut;
    const int w = 200;
    const int h = 120;
    const QRegion outline = WindowOutline::Compute(corners, w, h);
    // Bottom-right: moved by (w - 6, h - 5).
    EXPECT_FALSE(outline.contains(QPoint(w - 1, h - 1)));
    EXPECT_FALSE(outline.contains(QPoint(w - 4, h - 4)));
    EXPECT_TRUE(outline.contains(QPoint(w - 3, h - 3)));
    // Bottom-left: moved by (0, h - 5), so x stays.
    EXPECT_FALSE(outline.contains(QPoint(5, h - 1)));
    EXPECT_FALSE(outline.contains(QPoint(2, h - 4)));
    EXPECT_TRUE(outline.contains(QPoint(0, h - 1)));
    // Top-right: moved by (w - 6, 0), so y stays.
    EXPECT_FALSE(outline.contains(QPoint(w - 1, 4)));
    EXPECT_FALSE(outline.contains(QPoint(w - 4, 1)));
    EXPECT_TRUE(outline.contains(QPoint(w - 1, 0)));
    // Nothing else is cut.
    EXPECT_TRUE(outline.contains(QRect(10, 10, w - 20, h - 20)));
}

TEST(WindowOutline, EmptyCornerCutsNothingButStillMasks)
{
    CornerRegions corners;
    corners.rb = QRegion();
    EXPECT_TRUE(corners.any());
    EXPECT_EQ(WindowOutline::Compute(corners, 40, 30), QRegion(0, 0, 40, 30));
}

TEST(WindowOutline, ApplyFollowsTheWindowSize)
{
    CornerRegions corners;
    corners.lt = QRegion(0, 0, 2, 2);
    corners.rb = QRegion(0, 0, 2, 2);
    QWidget w;
    w.resize(120, 80);
    WindowOutline::Apply(&w, corners);
    EXPECT_EQ(w.mask(), WindowOutline::Compute(corners, 120, 80));
    w.resize(300, 90);
    WindowOutline::Apply(&w, corners);
    EXPECT_FALSE(w.mask().contains(QPoint(299, 89)));
    EXPECT_TRUE(w.mask().contains(QPoint(297, 87)));
}

} // namespace
