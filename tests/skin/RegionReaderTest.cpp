#include "BmpBuilder.h"
#include "TempDir.h"

#include "skin/RegionReader.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRandomGenerator>

namespace {

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlack = qRgb(0, 0, 0);

// QRegion's == compares how the area is split into rectangles; compare the area.
bool sameArea(const QRegion& a, const QRegion& b) { return a.xored(b).isEmpty(); }

QRegion naiveRegion(const BmpBuilder& bmp, quint32 key)
{
    QRegion r;
    for (int y = 0; y < bmp.height; ++y) {
        for (int x = 0; x < bmp.width; ++x) {
            const QRgb c = bmp.pixels[y * bmp.width + x];
            const quint32 v = quint32(qRed(c)) | (quint32(qGreen(c)) << 8) | (quint32(qBlue(c)) << 16);
            if (v != key)
                r |= QRect(x, y, 1, 1);
        }
    }
    return r;
}

TEST(RegionReader, ThreeByTwoGivesTwoRectanglesOfTheTopRow)
{
    BmpBuilder bmp;
    bmp.width = 3;
    bmp.height = 2;
    bmp.pixels = {kRed, kBlack, kRed, kBlack, kBlack, kBlack};
    const auto region = RegionReader::FromBytes(bmp.build(), 0);
    ASSERT_TRUE(region.has_value());
    const QRegion expected = QRegion(0, 0, 1, 1) | QRegion(2, 0, 1, 1);
    EXPECT_EQ(*region, expected);
    EXPECT_EQ(region->rectCount(), 2);
}

TEST(RegionReader, KeyColourIsComparedAsRedGreenBlue)
{
    BmpBuilder bmp;
    bmp.width = 3;
    bmp.height = 1;
    bmp.pixels = {qRgb(1, 2, 3), qRgb(3, 2, 1), qRgb(1, 2, 3)};
    // 0x030201: red 1, green 2, blue 3.
    const auto region = RegionReader::FromBytes(bmp.build(), 0x030201);
    ASSERT_TRUE(region.has_value());
    EXPECT_EQ(*region, QRegion(1, 0, 1, 1));
}

TEST(RegionReader, RunsReachTheEndOfTheRow)
{
    BmpBuilder bmp;
    bmp.width = 5;
    bmp.height = 1;
    bmp.pixels = {kBlack, kRed, kRed, kRed, kRed};
    const auto region = RegionReader::FromBytes(bmp.build(), 0);
    ASSERT_TRUE(region.has_value());
    EXPECT_EQ(*region, QRegion(1, 0, 4, 1));
}

TEST(RegionReader, AllBlackGivesAnEmptyRegion)
{
    const auto region = RegionReader::FromBytes(BmpBuilder::filled(8, 8, kBlack).build(), 0);
    ASSERT_TRUE(region.has_value());
    EXPECT_TRUE(region->isEmpty());
}

TEST(RegionReader, ZeroOrNegativeHeightGivesAnEmptyRegion)
{
    QByteArray data = BmpBuilder::filled(4, 4, kRed).build();
    BmpBuilder::put32(data, 22, 0);
    ASSERT_TRUE(RegionReader::FromBytes(data, 0).has_value());
    EXPECT_TRUE(RegionReader::FromBytes(data, 0)->isEmpty());
    BmpBuilder::put32(data, 22, std::uint32_t(-4));
    ASSERT_TRUE(RegionReader::FromBytes(data, 0).has_value());
    EXPECT_TRUE(RegionReader::FromBytes(data, 0)->isEmpty());
}

TEST(RegionReader, WrongSignatureOrShortFileGivesNoRegion)
{
    QByteArray data = BmpBuilder::filled(4, 4, kRed).build();
    data[0] = 'B';
    data[1] = 'A';
    EXPECT_FALSE(RegionReader::FromBytes(data, 0).has_value());
    data[0] = 'C';
    data[1] = 'M';
    EXPECT_FALSE(RegionReader::FromBytes(data, 0).has_value());

    const QByteArray good = BmpBuilder::filled(4, 4, kRed).build();
    EXPECT_FALSE(RegionReader::FromBytes(good.left(54), 0).has_value());
    EXPECT_FALSE(RegionReader::FromBytes(QByteArray(), 0).has_value());
    EXPECT_FALSE(RegionReader::FromBytes(QByteArray("BM"), 0).has_value());
}

TEST(RegionReader, PixelOffsetPastTheEndGivesNoRegion)
{
    QByteArray data = BmpBuilder::filled(4, 4, kRed).build();
    BmpBuilder::put32(data, 10, std::uint32_t(data.size()));
    EXPECT_FALSE(RegionReader::FromBytes(data, 0).has_value());
    BmpBuilder::put32(data, 10, 0xFFFFFFF0u);
    EXPECT_FALSE(RegionReader::FromBytes(data, 0).has_value());
}

TEST(RegionReader, OnlyRowsInsideTheFileAreRead)
{
    // Four rows of data, but the header claims eight: the file's rows are the
    // image's bottom four (rows are stored bottom-up).
    QByteArray data = BmpBuilder::filled(4, 4, kRed).build();
    BmpBuilder::put32(data, 22, 8);
    auto region = RegionReader::FromBytes(data, 0);
    ASSERT_TRUE(region.has_value());
    EXPECT_TRUE(sameArea(*region, QRegion(0, 4, 4, 4)));

    // A huge height must neither read out of bounds nor loop for ages.
    BmpBuilder::put32(data, 22, 0x7FFFFFFF);
    region = RegionReader::FromBytes(data, 0);
    ASSERT_TRUE(region.has_value());
    EXPECT_EQ(region->boundingRect().bottom(), 0x7FFFFFFE);
    EXPECT_EQ(region->boundingRect().height(), 4);
}

TEST(RegionReader, WidthPastTheEndGivesNoRectangles)
{
    QByteArray data = BmpBuilder::filled(4, 4, kRed).build();
    BmpBuilder::put32(data, 18, 0x7FFFFFFF);
    const auto region = RegionReader::FromBytes(data, 0);
    ASSERT_TRUE(region.has_value());
    EXPECT_TRUE(region->isEmpty());
}

TEST(RegionReader, TruncatedPixelDataKeepsTheWholeRowsOnly)
{
    const QByteArray full = BmpBuilder::filled(4, 3, kRed).build(); // row size 12
    // Cut into the top image row (the last one in the file).
    const auto region = RegionReader::FromBytes(full.left(54 + 12 * 2 + 5), 0);
    ASSERT_TRUE(region.has_value());
    EXPECT_TRUE(sameArea(*region, QRegion(0, 1, 4, 2)));
}

TEST(RegionReader, FewerBitsPerPixelNeverReadPastTheEnd)
{
    // An 8-bit header makes rows shorter than three bytes a pixel; the last
    // row's three-byte reads would pass the end and must be skipped.
    QByteArray data = BmpBuilder::filled(8, 2, kRed).build().left(54 + 8 + 8);
    BmpBuilder::put16(data, 28, 8);
    const auto region = RegionReader::FromBytes(data, 0);
    ASSERT_TRUE(region.has_value());
    EXPECT_TRUE(region->isEmpty());
}

TEST(RegionReader, BatchingGivesTheSameRegionAsOnePass)
{
    BmpBuilder bmp;
    bmp.width = 211;
    bmp.height = 97;
    QRandomGenerator random(42);
    for (int i = 0; i < bmp.width * bmp.height; ++i)
        bmp.pixels << (random.bounded(3) == 0 ? kBlack : qRgb(random.bounded(256), 200, 10));
    const QByteArray data = bmp.build();
    const auto batched = RegionReader::FromBytes(data, 0);
    const auto unbatched = RegionReader::FromBytes(data, 0, 1 << 30);
    const auto tiny = RegionReader::FromBytes(data, 0, 7);
    ASSERT_TRUE(batched && unbatched && tiny);
    EXPECT_GT(batched->rectCount(), RegionReader::kFlushEvery); // several partial regions
    EXPECT_TRUE(sameArea(*batched, *unbatched));
    EXPECT_TRUE(sameArea(*batched, *tiny));
    EXPECT_TRUE(sameArea(*batched, naiveRegion(bmp, 0)));
}

TEST(RegionReader, ReadsFilesAndRefusesMissingOnes)
{
    TempDir dir;
    BmpBuilder bmp;
    bmp.width = 3;
    bmp.height = 2;
    bmp.pixels = {kRed, kBlack, kRed, kBlack, kBlack, kBlack};
    const QByteArray bytes = bmp.build();
    const auto path = dir.write("corner.bmp", bytes.toStdString());
    const auto region = RegionReader::Read(QString::fromStdString(path.string()), 0);
    ASSERT_TRUE(region.has_value());
    EXPECT_EQ(region->rectCount(), 2);
    EXPECT_FALSE(RegionReader::Read(QString::fromStdString((dir.path() / "none.bmp").string()), 0));
    EXPECT_FALSE(RegionReader::Read(QString::fromStdString(dir.str()), 0)); // a folder
}

TEST(RegionReader, ShippedCornersCutSmallCorners)
{
    for (const char* skin : {"Default", "Ember"}) {
        for (const char* name : {"regionLT.bmp", "regionRT.bmp", "regionLB.bmp", "regionRB.bmp"}) {
            const QString path = QStringLiteral(SHIPPED_SKINS "/") + QLatin1String(skin) + u'/' + QLatin1String(name);
            const auto region = RegionReader::Read(path, 0);
            ASSERT_TRUE(region.has_value()) << qPrintable(path);
            EXPECT_FALSE(region->isEmpty()) << qPrintable(path);
            EXPECT_LE(region->boundingRect().width(), 16);
        }
    }
}

} // namespace
