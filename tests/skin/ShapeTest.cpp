// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Pictures.h"
#include "TempDir.h"

#include "skin/GlobalHelper.h"
#include "skin/RegionReader.h"
#include "skin/WindowOutline.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QRandomGenerator>
#include <QWidget>

namespace {

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlack = qRgb(0, 0, 0);

QByteArray with(QByteArray b, int at, quint32 v, int bytes = 4)
{
    for (int i = 0; i < bytes; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xFF);
    return b;
}

// A 24-bit bitmap of the given pixels, top row first.
QByteArray bmp(int w, int h, const QList<QRgb>& pixels)
{
    return bitmap24(w, h, [&](int x, int y) { return pixels[y * w + x]; });
}

QByteArray filled(int w, int h, QRgb c) { return bmp(w, h, QList<QRgb>(w * h, c)); }

// QRegion's == compares how the area is split into rectangles; compare the area.
bool sameArea(const QRegion& a, const QRegion& b) { return a.xored(b).isEmpty(); }

TEST(RegionReader, FromBytes)
{
    const QByteArray red = filled(4, 4, kRed);
    struct Case { const char* name; QByteArray data; quint32 key; std::optional<QRegion> want; };
    const Case cases[] = {
        {"runs of the top row", bmp(3, 2, {kRed, kBlack, kRed, kBlack, kBlack, kBlack}), 0,
         QRegion(0, 0, 1, 1) | QRegion(2, 0, 1, 1)},
        {"key is red + green * 256 + blue * 65536", bmp(3, 1, {qRgb(1, 2, 3), qRgb(3, 2, 1), qRgb(1, 2, 3)}),
         0x030201, QRegion(1, 0, 1, 1)},
        {"run to the end of the row", bmp(5, 1, {kBlack, kRed, kRed, kRed, kRed}), 0, QRegion(1, 0, 4, 1)},
        {"negative height", with(red, 22, quint32(-4)), 0, QRegion()},
        {"signature BA", with(red, 0, 'B' | 'A' << 8, 2), 0, std::nullopt},
        {"signature CM", with(red, 0, 'C' | 'M' << 8, 2), 0, std::nullopt},
        {"signature only", QByteArray("BM"), 0, std::nullopt},
        {"pixel offset at the end", with(red, 10, quint32(red.size())), 0, std::nullopt},
        {"pixel offset far past the end", with(red, 10, 0xFFFFFFF0u), 0, std::nullopt},
        // Rows are stored bottom-up: of eight claimed rows the file holds the bottom four.
        {"taller than the file", with(red, 22, 8), 0, QRegion(0, 4, 4, 4)},
        {"huge height", with(red, 22, 0x7FFFFFFF), 0, QRegion(0, 0x7FFFFFFB, 4, 4)},
        {"width past the end", with(red, 18, 0x7FFFFFFF), 0, QRegion()},
        {"top row cut short", filled(4, 3, kRed).left(54 + 12 * 2 + 5), 0, QRegion(0, 1, 4, 2)},
        // 8-bit rows are shorter than the three-byte reads, which would pass the end.
        {"fewer bits per pixel", with(filled(8, 2, kRed).left(54 + 16), 28, 8, 2), 0, QRegion()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto region = RegionReader::FromBytes(c.data, c.key);
        ASSERT_EQ(region.has_value(), c.want.has_value());
        EXPECT_TRUE(!region || sameArea(*region, *c.want));
    }
}

TEST(RegionReader, BatchingGivesTheSameRegionAsOnePass)
{
    QList<QRgb> pixels;
    QRandomGenerator random(42);
    for (int i = 0; i < 211 * 97; ++i)
        pixels << (random.bounded(3) == 0 ? kBlack : qRgb(random.bounded(256), 200, 10));
    const QByteArray data = bmp(211, 97, pixels);
    const auto batched = RegionReader::FromBytes(data, 0);
    const auto onePass = RegionReader::FromBytes(data, 0, 1 << 30);
    const auto tiny = RegionReader::FromBytes(data, 0, 7);
    ASSERT_TRUE(batched && onePass && tiny);
    EXPECT_GT(batched->rectCount(), RegionReader::kFlushEvery); // several partial regions
    EXPECT_TRUE(sameArea(*batched, *onePass));
    EXPECT_TRUE(sameArea(*tiny, *onePass));
}

TEST(RegionReader, ReadsFiles)
{
    TempDir dir;
    const auto path = dir.write("corner.bmp", bmp(3, 1, {kRed, kBlack, kRed}).toStdString());
    const auto region = RegionReader::Read(QString::fromStdString(path.string()), 0);
    EXPECT_TRUE(region && sameArea(*region, QRegion(0, 0, 1, 1) | QRegion(2, 0, 1, 1)));
    EXPECT_FALSE(RegionReader::Read(QString::fromStdString((dir.path() / "none.bmp").string()), 0));
    EXPECT_FALSE(RegionReader::Read(QString::fromStdString(dir.str()), 0)); // a folder

    for (const char* skin : {"Default", "Ember"}) {
        for (const char* corner : {"LT", "RT", "LB", "RB"}) {
            const QString file = QStringLiteral(SHIPPED_SKINS "/%1/region%2.bmp").arg(skin, corner);
            const auto cut = RegionReader::Read(file, 0);
            ASSERT_TRUE(cut.has_value()) << qPrintable(file);
            EXPECT_FALSE(cut->isEmpty()) << qPrintable(file);
            EXPECT_LE(cut->boundingRect().width(), 16) << qPrintable(file);
        }
    }
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
        {&CornerRegions::rb, QRegion(), {}, {{w - 1, h - 1}}}, // present but empty
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
        EXPECT_TRUE(outline.contains(QRect(10, 10, w - 20, h - 20))); // nothing else is cut
    }
    EXPECT_EQ(WindowOutline::Compute(CornerRegions(), w, h), QRegion(0, 0, w, h));
}

TEST(WindowOutline, ApplyMasksTheWindowAtItsCurrentSizeOrNotAtAll)
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
}

TEST(GlobalHelper, RectTextAndColourReferences)
{
    for (const QRect& r : {QRect(0, 0, 620, 466), QRect(-1920, -5, 1, 1), QRect(100, 200, 0, 0),
                           QRect(2147483000, 7, 600, 3), QRect(-2147483647, 0, 100, 100)}) {
        EXPECT_EQ(GlobalHelper::S2Rect(GlobalHelper::Rect2S(r)), r) << qPrintable(GlobalHelper::Rect2S(r));
    }
    EXPECT_EQ(GlobalHelper::Rect2S(QRect(10, 20, 620, 466)), QStringLiteral("10 20 630 486")); // right, bottom
    for (const char* text : {"", "   ", "1 2 3", "1 2 3 4 5", "a b c d", "1,2,3,4", "10 10 5 50", "0 0 1 x",
                             "99999999999 0 1 1", "-2147483648 0 2147483647 1"}) {
        EXPECT_TRUE(GlobalHelper::S2Rect(QString::fromLatin1(text)).isNull()) << text;
    }
    // Colour references hold red in the lowest byte.
    EXPECT_EQ(GlobalHelper::ColorFromRef(0x00332211), QColor(0x11, 0x22, 0x33));
    EXPECT_EQ(GlobalHelper::RefFromColor(QColor(0x11, 0x22, 0x33)), 0x00332211u);
    EXPECT_NE(GlobalHelper::GetSysColor(GlobalHelper::kColorBtnText),
              GlobalHelper::GetSysColor(GlobalHelper::kColorGrayText));
}

} // namespace
