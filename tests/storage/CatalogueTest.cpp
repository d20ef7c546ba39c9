// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "StorageTestSupport.h"
#include "TempDir.h"

#include "storage/Catalogue.h"
#include "storage/DroppedVideos.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <vector>

using namespace storage;

// Date texts are checked in UTC, however the binary is run.
[[maybe_unused]] static const bool kInUtc = (setenv("TZ", "UTC", 1), tzset(), true);

TEST(SizeText, UnitsBoundariesAndTruncation)
{
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, "0 BYTES"}, {1024, "1024 BYTES"}, {1025, "1.00 KB"}, {1536, "1.50 KB"},
        {2047, "1.99 KB"}, // 1.999023..., not rounded up
        {1049599, "1024.99 KB"}, {1049600, "1.00 MB"},
        {1025 * 1024 + 1023, "1.00 MB"}, // megabytes come from whole kilobytes
        {3758096384ULL, "3584.00 MB"},
        {5ULL << 30, "5120.00 MB"}, // beyond 4 GiB, not wrapped
        {~0ULL, "17592186044416.00 MB"},
    };
    for (const auto& [length, text] : cases)
        EXPECT_EQ(FormatSizeText(length), QString::fromLatin1(text)) << length;
    EXPECT_EQ(FormatDecimal2(1.9999996), u"2.00"); // six decimals round first
    EXPECT_EQ(FormatDecimal2(12.345678), u"12.34");
}

TEST(DateText, DropsLeadingZerosUsesTwelveHoursAndRefusesLongTexts)
{
    // 5 July 2005, 15:07:09 UTC; noon; midnight; a morning.
    EXPECT_EQ(FormatFileTime(1120576029, kDateFormat), u"2005/7/5 3:7PM");
    EXPECT_EQ(FormatFileTime(1120564800, kDateFormat), u"2005/7/5 12:0PM");
    EXPECT_EQ(FormatFileTime(1120521600, kDateFormat), u"2005/7/5 12:0AM");
    EXPECT_EQ(FormatFileTime(1134464400 + 60 * 45, kDateFormat), u"2005/12/13 9:45AM");
    EXPECT_EQ(FormatFileTime(1120576029, "%Y-%m-%d %H:%M:%S %%"), u"2005-07-05 15:07:09 %");
    EXPECT_EQ(FormatFileTime(0, std::string(130, 'x').c_str()), QString());
}

static std::vector<ScannedVideo> scan(const QString& pattern, const std::function<bool()>& cancelled = {})
{
    std::vector<ScannedVideo> videos;
    ScanHooks hooks;
    hooks.cancelled = cancelled;
    hooks.add = [&](ScannedVideo&& v) { videos.push_back(std::move(v)); };
    scanPattern(pattern, hooks);
    std::sort(videos.begin(), videos.end(), [](auto& a, auto& b) { return a.fileName < b.fileName; });
    return videos;
}

TEST(Scan, MatchesTheWildcardCaseInsensitivelyAndFillsRecordsWithTheirPictures)
{
    TempDir dir;
    dir.write("M4V00001.MP4", minimalMp4(1536));
    dir.write("M4V00001.THM", "picture bytes");
    dir.write("clip.mp4", minimalMp4(1024));
    dir.write("clip.THM", ""); // empty: no thumbnail of its own
    dir.write("notes.txt", "x");
    dir.write("clip.mp4.bak", "x");
    setMtime(dir.path() / "M4V00001.MP4", 1120576029);

    const auto videos = scan(videoPattern(qpath(dir.path())));
    ASSERT_EQ(videos.size(), 2u);
    EXPECT_EQ(videos[0].fileName, u"M4V00001.MP4");
    EXPECT_EQ(videos[0].path, qpath(dir.path() / "M4V00001.MP4"));
    EXPECT_EQ(videos[0].length, 1536u);
    EXPECT_EQ(videos[0].dateText, u"2005/7/5 3:7PM");
    EXPECT_EQ(videos[0].thumbnailPath, qpath(dir.path() / "M4V00001.THM"));
    EXPECT_EQ(videos[0].title, QString()); // no title: empty text, not the file name
    EXPECT_EQ(videos[1].length, 1024u);
    EXPECT_EQ(videos[1].thumbnailPath, QString());
    // The picture's name is the video's up to its last dot.
    EXPECT_EQ(thumbnailPathFor(QStringLiteral("/a.b/clip.x.mp4")), u"/a.b/clip.x.THM");
}

TEST(Scan, EachPathOnceUnreadableWithoutLengthAndStopsWhenCancelled)
{
    TempDir dir;
    for (const char* name : {"a.mp4", "b.mp4", "c.mp4", "d.mp4"})
        dir.write(name, minimalMp4());
    std::filesystem::create_directory(dir.path() / "e.mp4"); // listed, but no length
    // A doubled separator before the wildcard counts once.
    const auto doubled = scan(qpath(dir.path()) + QStringLiteral("//*.mp4"));
    ASSERT_EQ(doubled.size(), 5u);
    EXPECT_EQ(doubled[0].path, qpath(dir.path() / "a.mp4"));
    EXPECT_TRUE(doubled[0].length);
    EXPECT_TRUE(scan(QStringLiteral("/nonexistent-folder-of-reelkeeper/*.mp4")).empty());

    FakeFileSystem fs;
    fs.duplicateListing = true;
    fs.unreadable = [](const QString& path) { return path.endsWith(u"a.mp4"); };
    const auto videos = scan(videoPattern(qpath(dir.path())));
    ASSERT_EQ(videos.size(), 5u);
    EXPECT_FALSE(videos[0].length);
    EXPECT_FALSE(videos[4].length);

    int asked = 0;
    EXPECT_EQ(scan(videoPattern(qpath(dir.path())), [&] { return ++asked > 2; }).size(), 2u);
}

// A drop carries all its files as videos, or none: local, absolute, existing files named
// ".mp4" in any case, none of them from the folder the list shows.
TEST(DroppedVideos, AllOrNothing)
{
    TempDir dir;
    for (const char* name : {"a.mp4", "B.MP4", "note.txt", "dir.mp4/x", "shown/c.mp4", "d.MKV"})
        dir.write(name, "x");
    const QString base = qpath(dir.path()) + u'/';
    const auto file = [&](const char* name) { return QUrl::fromLocalFile(base + QLatin1String(name)); };
    const struct
    {
        QList<QUrl> urls;
        QStringList videos;
    } cases[] = {
        {{file("B.MP4"), file("shown/../a.mp4")}, {base + "B.MP4", base + "a.mp4"}},
        {{file("a.mp4"), file("note.txt")}, {}},
        {{file("dir.mp4")}, {}},
        {{file("gone.mp4")}, {}},
        {{file("a.mp4"), file("shown/c.mp4")}, {}},
        {{QUrl("https://example.org/a.mp4")}, {}},
        {{QUrl("file:/" + base + "a.mp4")}, {}}, // a host: its path's first folder, as a share's name
        {{QUrl("file:a.mp4")}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(droppedVideos(c.urls, base + "shown/").join(u'|').toStdString(), c.videos.join(u'|').toStdString());
    EXPECT_EQ(droppedVideos({file("shown/c.mp4")}, QString()), QStringList{base + "shown/c.mp4"});
    // Onto the PSP list other video files come too, to be converted; never onto the computer's.
    EXPECT_EQ(droppedVideos({file("d.MKV"), file("a.mp4")}, QString(), true), (QStringList{base + "d.MKV", base + "a.mp4"}));
    EXPECT_TRUE(droppedVideos({file("d.MKV")}, QString()).isEmpty());
    EXPECT_TRUE(droppedVideos({file("note.txt")}, QString(), true).isEmpty());
}
