#include "skin/WindowOutline.h"

#include <gtest/gtest.h>

#include <QWidget>

namespace {

qint64 area(const QRegion& r)
{
    qint64 sum = 0;
    for (const QRect& rect : r)
        sum += qint64(rect.width()) * rect.height();
    return sum;
}

TEST(WindowOutline, EachCornerIsCutAtItsEdges)
{
    const int w = 200;
    const int h = 120;
    // Cut-away pixels that stop short of their bitmap's edge (ending at x 5,
    // y 4) still end at the window's edge.
    const QRegion cut = QRegion(2, 1, 4, 1) | QRegion(5, 2, 1, 3);
    struct Case { std::optional<QRegion> CornerRegions::*corner; QRegion region; QList<QPoint> out, in; };
    const Case cases[] = {
        {&CornerRegions::lt, QRegion(0, 0, 3, 1) | QRegion(0, 1, 1, 2), {{0, 0}, {2, 0}, {0, 2}}, {{3, 0}, {1, 1}}},
        {&CornerRegions::rb, cut, {{w - 1, h - 1}, {w - 4, h - 4}}, {{w - 3, h - 3}}},
        {&CornerRegions::lb, cut, {{5, h - 1}, {2, h - 4}}, {{0, h - 1}}},
        {&CornerRegions::rt, cut, {{w - 1, 4}, {w - 4, 1}}, {{w - 1, 0}}},
        {&CornerRegions::rb, QRegion(), {}, {{w - 1, h - 1}}},
    };
    for (const Case& c : cases) {
        CornerRegions corners;
        corners.*c.corner = c.region;
        EXPECT_TRUE(corners.any());
        const QRegion outline = WindowOutline::Compute(corners, w, h);
        SCOPED_TRACE(testing::Message() << "corner " << (&c - cases));
        for (const QPoint p : c.out)
            EXPECT_FALSE(outline.contains(p)) << p.x() << ',' << p.y();
        for (const QPoint p : c.in)
            EXPECT_TRUE(outline.contains(p)) << p.x() << ',' << p.y();
        EXPECT_EQ(area(outline), w * h - area(c.region)); // nothing else is cut
    }
    EXPECT_FALSE(CornerRegions().any());
    EXPECT_EQ(WindowOutline::Compute(CornerRegions(), w, h), QRegion(0, 0, w, h));
}

TEST(WindowOutline, ApplyMasksTheWindowAtItsSizeOrNotAtAll)
{
    QWidget w;
    w.resize(300, 200);
    w.setMask(QRegion(0, 0, 10, 10));
    WindowOutline::Apply(&w, CornerRegions());
    EXPECT_TRUE(w.mask().isEmpty());

    CornerRegions corners;
    corners.rb = QRegion(0, 0, 2, 2);
    WindowOutline::Apply(&w, corners);
    EXPECT_EQ(w.mask(), WindowOutline::Compute(corners, 300, 200));
    w.resize(120, 80);
    WindowOutline::Apply(&w, corners);
    EXPECT_FALSE(w.mask().contains(QPoint(119, 79)));
    EXPECT_TRUE(w.mask().contains(QPoint(117, 77)));
}

} // namespace
