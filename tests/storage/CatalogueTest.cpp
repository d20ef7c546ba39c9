#include "StorageTestSupport.h"
#include "TempDir.h"

#include "storage/Catalogue.h"

#include <gtest/gtest.h>

#include <QDir>

#include <vector>

using namespace storage;

TEST(SizeText, BoundariesBetweenUnits)
{
    EXPECT_EQ(FormatSizeText(0), u"0 BYTES");
    EXPECT_EQ(FormatSizeText(512), u"512 BYTES");
    EXPECT_EQ(FormatSizeText(1024), u"1024 BYTES");
    EXPECT_EQ(FormatSizeText(1025), u"1.00 KB");
    EXPECT_EQ(FormatSizeText(1536), u"1.50 KB");
    EXPECT_EQ(FormatSizeText(2047), u"1.99 KB"); // 1.999023..., not rounded up
    EXPECT_EQ(FormatSizeText(1048576), u"1024.00 KB");
    EXPECT_EQ(FormatSizeText(1049599), u"1024.99 KB");
    EXPECT_EQ(FormatSizeText(1049600), u"1.00 MB");
    EXPECT_EQ(FormatSizeText(1572864), u"1.50 MB");
    EXPECT_EQ(FormatSizeText(3758096384ULL), u"3584.00 MB");
}

TEST(SizeText, LengthsBeyond4GiBAreNotWrapped)
{
    EXPECT_EQ(FormatSizeText(5ULL << 30), u"5120.00 MB");
    EXPECT_EQ(FormatSizeText(~0ULL), u"17592186044416.00 MB");
}

TEST(SizeText, MegabytesComeFromWholeKilobytes)
{
    // 1025 KiB + 1023 bytes: the spare bytes don't reach the MB figure.
    EXPECT_EQ(FormatSizeText(1025 * 1024 + 1023), u"1.00 MB");
    EXPECT_EQ(FormatDecimal2(1.0), u"1.00");
    EXPECT_EQ(FormatDecimal2(1.9999996), u"2.00"); // six decimals round first
    EXPECT_EQ(FormatDecimal2(12.345678), u"12.34");
}

TEST(DateText, DropsLeadingZerosAndUsesTwelveHourClock)
{
    // 5 July 2005, 15:07:09 UTC (the tests run in UTC).
    EXPECT_EQ(FormatFileTime(1120576029, kDateFormat), u"2005/7/5 3:7PM");
    // Noon, midnight and a morning hour.
    EXPECT_EQ(FormatFileTime(1120564800, kDateFormat), u"2005/7/5 12:0PM");
    EXPECT_EQ(FormatFileTime(1120521600, kDateFormat), u"2005/7/5 12:0AM");
    EXPECT_EQ(FormatFileTime(1134464400 + 60 * 45, kDateFormat), u"2005/12/13 9:45AM");
    EXPECT_EQ(FormatFileTime(1120576029, "%Y-%m-%d %H:%M:%S %%"), u"2005-07-05 15:07:09 %");
}

TEST(DateText, TooLongTextIsEmpty)
{
    const std::string longFormat(130, 'x');
    EXPECT_EQ(FormatFileTime(0, longFormat.c_str()), QString());
}

namespace {

QRgb at(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xffffff;
}

bool near(QRgb a, QRgb b, int tolerance = 12)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance
        && std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

constexpr QRgb kWhite = 0xffffff;
constexpr QRgb kGrey = 0xc0c0c0;
constexpr QRgb kRed = 0xff0000;

} // namespace

TEST(Thumbnail, FourByThreeFillsTheWholeArea)
{
    TempDir dir;
    writePicture(dir.path() / "a.png", 160, 120, Qt::red);
    const auto thumb = BuildThumbnail(qpath(dir.path() / "a.png"));
    ASSERT_TRUE(thumb);
    ASSERT_EQ(thumb->size(), QSize(44, 33));
    for (const QPoint p : {QPoint(0, 0), QPoint(43, 0), QPoint(0, 32), QPoint(43, 32), QPoint(22, 16)})
        EXPECT_EQ(at(*thumb, p.x(), p.y()), kRed) << p.x() << "," << p.y();
}

TEST(Thumbnail, WidePictureIsCentredVerticallyOnWhite)
{
    TempDir dir;
    writePicture(dir.path() / "wide.png", 160, 90, Qt::red);
    const auto thumb = BuildThumbnail(qpath(dir.path() / "wide.png"));
    ASSERT_TRUE(thumb);
    // 44 x 24 at y = 4: frame, white above and below.
    EXPECT_EQ(at(*thumb, 20, 0), kGrey);
    EXPECT_EQ(at(*thumb, 20, 3), kWhite);
    EXPECT_EQ(at(*thumb, 20, 4), kRed);
    EXPECT_EQ(at(*thumb, 0, 10), kRed); // the picture hides the frame
    EXPECT_EQ(at(*thumb, 20, 27), kRed);
    EXPECT_EQ(at(*thumb, 20, 28), kWhite);
    EXPECT_EQ(at(*thumb, 20, 32), kGrey);
}

TEST(Thumbnail, TallPictureIsCentredHorizontally)
{
    TempDir dir;
    writePicture(dir.path() / "tall.png", 90, 160, Qt::red);
    const auto thumb = BuildThumbnail(qpath(dir.path() / "tall.png"));
    ASSERT_TRUE(thumb);
    // r = 1.777..: w = trunc(33 / r) = 18, x = 13.
    EXPECT_EQ(at(*thumb, 0, 16), kGrey);
    EXPECT_EQ(at(*thumb, 12, 16), kWhite);
    EXPECT_EQ(at(*thumb, 13, 16), kRed);
    EXPECT_EQ(at(*thumb, 30, 16), kRed);
    EXPECT_EQ(at(*thumb, 31, 16), kWhite);
    EXPECT_EQ(at(*thumb, 13, 0), kRed);
}

TEST(Thumbnail, JpegThumbnailFileIsRead)
{
    TempDir dir;
    writePicture(dir.path() / "M4V00001.THM", 160, 120, QColor(0, 0, 255), "JPEG");
    const auto thumb = BuildThumbnail(qpath(dir.path() / "M4V00001.THM"));
    ASSERT_TRUE(thumb);
    EXPECT_TRUE(near(at(*thumb, 22, 16), 0x0000ff));
}

TEST(Thumbnail, GarbageTruncatedOrMissingPictureGivesNothing)
{
    TempDir dir;
    dir.write("garbage.THM", std::string(500, '\x5a'));
    writePicture(dir.path() / "whole.jpg", 160, 120, Qt::green, "JPEG");
    const std::string whole = readFileBytes(dir.path() / "whole.jpg");
    dir.write("truncated.THM", whole.substr(0, 20));
    EXPECT_FALSE(BuildThumbnail(qpath(dir.path() / "garbage.THM")));
    EXPECT_FALSE(BuildThumbnail(qpath(dir.path() / "truncated.THM")));
    EXPECT_FALSE(BuildThumbnail(qpath(dir.path() / "missing.THM")));
    EXPECT_EQ(readFileBytes(dir.path() / "garbage.THM"), std::string(500, '\x5a'));
}

TEST(Thumbnail, PathIsTheVideoPathUpToItsLastDot)
{
    EXPECT_EQ(thumbnailPathFor(QStringLiteral("/m/MP_ROOT/100MNV01/M4V00001.MP4")), u"/m/MP_ROOT/100MNV01/M4V00001.THM");
    EXPECT_EQ(thumbnailPathFor(QStringLiteral("/a.b/clip.x.mp4")), u"/a.b/clip.x.THM");
}

namespace {

std::vector<ScannedVideo> scan(const QString& pattern, QStringList* missingDefault = nullptr, int* pumps = nullptr)
{
    std::vector<ScannedVideo> videos;
    ScanHooks hooks;
    hooks.add = [&](ScannedVideo&& v) { videos.push_back(std::move(v)); };
    hooks.noDefaultPicture = [&](const QString& path) {
        if (missingDefault)
            missingDefault->append(path);
    };
    hooks.pump = [&] {
        if (pumps)
            ++*pumps;
    };
    scanPattern(pattern, hooks);
    return videos;
}

} // namespace

TEST(Scan, MatchesTheWildcardCaseInsensitivelyAndFillsEntries)
{
    TempDir dir;
    dir.write("M4V00001.MP4", minimalMp4(1536));
    dir.write("clip.mp4", minimalMp4(1024));
    dir.write("notes.txt", "x");
    dir.write("clip.mp4.bak", "x");
    writePicture(dir.path() / "M4V00001.THM", 160, 120, Qt::red, "JPEG");
    writePicture(dir.path() / "clip.THM", 160, 120, Qt::red, "PNG");
    setMtime(dir.path() / "M4V00001.MP4", 1120576029);

    QStringList missing;
    int pumps = 0;
    auto videos = scan(videoPattern(qpath(dir.path())), &missing, &pumps);
    ASSERT_EQ(videos.size(), 2u);
    std::sort(videos.begin(), videos.end(), [](auto& a, auto& b) { return a.fileName < b.fileName; });
    EXPECT_EQ(videos[0].fileName, u"M4V00001.MP4");
    EXPECT_EQ(videos[0].entry.strPath, qpath(dir.path() / "M4V00001.MP4"));
    EXPECT_EQ(videos[0].entry.strSize, u"1.50 KB");
    EXPECT_EQ(videos[0].entry.strDate, u"2005/7/5 3:7PM");
    EXPECT_TRUE(videos[0].entry.pThumb);
    EXPECT_EQ(videos[0].title, QString()); // no title: empty text, not the file name
    EXPECT_EQ(videos[1].entry.strSize, u"1024 BYTES");
    EXPECT_TRUE(missing.isEmpty());
    EXPECT_EQ(pumps, 2); // once per thumbnail
}

TEST(Scan, DoubledSeparatorBeforeTheWildcardIsOneSeparator)
{
    TempDir dir;
    dir.write("a.mp4", minimalMp4());
    const auto videos = scan(qpath(dir.path()) + QStringLiteral("//*.mp4"));
    ASSERT_EQ(videos.size(), 1u);
    EXPECT_EQ(videos[0].entry.strPath, qpath(dir.path() / "a.mp4"));
}

TEST(Scan, SamePathListedTwiceIsShownOnce)
{
    TempDir dir;
    dir.write("a.mp4", minimalMp4());
    dir.write("b.mp4", minimalMp4());
    FakeFileSystem fs;
    fs.duplicateListing = true;
    EXPECT_EQ(scan(videoPattern(qpath(dir.path()))).size(), 2u);
}

TEST(Scan, EmptyThumbnailFileGetsTheDefaultPictureFromTheCurrentFolderFirst)
{
    TempDir dir;
    TempDir cwd;
    dir.write("a.mp4", minimalMp4(1536));
    dir.write("a.THM", "");
    writePicture(cwd.path() / "Default.THM", 160, 120, Qt::green, "JPEG");
    FakeFileSystem fs;
    fs.cwd = qpath(cwd.path());
    const auto videos = scan(videoPattern(qpath(dir.path())));
    ASSERT_EQ(videos.size(), 1u);
    ASSERT_TRUE(videos[0].entry.pThumb);
    EXPECT_TRUE(near(at(*videos[0].entry.pThumb, 22, 16), 0x00ff00));
    EXPECT_EQ(videos[0].entry.strSize, u"1.50 KB");
}

TEST(Scan, MissingThumbnailFallsBackToTheShippedDefault)
{
    TempDir dir;
    TempDir emptyCwd;
    dir.write("a.mp4", minimalMp4());
    FakeFileSystem fs;
    fs.cwd = qpath(emptyCwd.path());
    qputenv("REELKEEPER_APPDIR", REELKEEPER_APPDIR);
    QStringList missing;
    const auto videos = scan(videoPattern(qpath(dir.path())), &missing);
    ASSERT_EQ(videos.size(), 1u);
    EXPECT_TRUE(videos[0].entry.pThumb);
    EXPECT_TRUE(missing.isEmpty());
}

TEST(Scan, BrokenThumbnailDoesNotFallBackAndLeavesNoSizeText)
{
    TempDir dir;
    TempDir cwd;
    dir.write("a.mp4", minimalMp4());
    dir.write("a.THM", "not a picture");
    writePicture(cwd.path() / "Default.THM", 160, 120, Qt::green, "JPEG");
    FakeFileSystem fs;
    fs.cwd = qpath(cwd.path());
    QStringList missing;
    int pumps = 0;
    const auto videos = scan(videoPattern(qpath(dir.path())), &missing, &pumps);
    ASSERT_EQ(videos.size(), 1u);
    EXPECT_FALSE(videos[0].entry.pThumb);
    EXPECT_EQ(videos[0].entry.strSize, QString());
    EXPECT_FALSE(videos[0].entry.strDate.isEmpty());
    EXPECT_TRUE(missing.isEmpty());
    EXPECT_EQ(pumps, 0);
}

TEST(Scan, NoDefaultPictureAnywhereIsReportedForEachVideo)
{
    TempDir dir;
    TempDir emptyCwd;
    TempDir emptyAppDir;
    dir.write("a.mp4", minimalMp4());
    dir.write("b.mp4", minimalMp4());
    FakeFileSystem fs;
    fs.cwd = qpath(emptyCwd.path());
    qputenv("REELKEEPER_APPDIR", emptyAppDir.str().c_str());
    QStringList missing;
    const auto videos = scan(videoPattern(qpath(dir.path())), &missing);
    qputenv("REELKEEPER_APPDIR", REELKEEPER_APPDIR);
    EXPECT_EQ(videos.size(), 2u);
    EXPECT_EQ(missing.size(), 2);
    for (const auto& v : videos) {
        EXPECT_FALSE(v.entry.pThumb);
        EXPECT_EQ(v.entry.strSize, QString());
    }
}

TEST(Scan, UnreadableVideoOrFolderHasNoSizeText)
{
    TempDir dir;
    dir.write("a.mp4", minimalMp4());
    writePicture(dir.path() / "a.THM", 160, 120, Qt::red);
    // A folder that matches the pattern is listed, but it has no length.
    std::filesystem::create_directory(dir.path() / "b.mp4");
    writePicture(dir.path() / "b.THM", 160, 120, Qt::red);
    FakeFileSystem fs;
    fs.unreadable = [](const QString& path) { return path.endsWith(u"a.mp4"); };
    const auto videos = scan(videoPattern(qpath(dir.path())));
    ASSERT_EQ(videos.size(), 2u);
    for (const ScannedVideo& v : videos) {
        EXPECT_TRUE(v.entry.pThumb) << v.fileName.toStdString();
        EXPECT_EQ(v.entry.strSize, QString()) << v.fileName.toStdString();
    }
}

TEST(Scan, MissingFolderGivesNothing)
{
    EXPECT_TRUE(scan(QStringLiteral("/nonexistent-folder-of-reelkeeper/*.mp4")).empty());
}
