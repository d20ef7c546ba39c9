// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "mp4title/ByteStream.h"
#include "mp4title/Title.h"

#include "TitleTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <random>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

using titlecheck::Inject;
using namespace titletest;

namespace {

class TitleWrite : public ::testing::Test
{
protected:
    TempDir dir;
};

const std::string kHello = mp4::usmt(u"Hello");

std::string tracks(int n)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += mp4::trak();
    return out;
}

std::string fastStart(const std::string& moovTail)
{
    return mp4::ftyp() + mp4::atom("moov", mp4::mvhd() + mp4::trak() + moovTail) + mp4::atom("mdat", std::string(64, 'm'));
}

TEST_F(TitleWrite, EveryShapeIsRetitledWithoutTouchingTheMedia)
{
    std::string overrun = kHello;
    overrun[86] = '\x7F'; // the title entry runs past its atom, into the media data of a fast-start file
    std::string shortMtdt = kHello;
    shortMtdt[27] = static_cast<char>(shortMtdt[27] - 2); // MTDT does not fill its atom
    const std::string decoy = mp4::usmtWithEntries({mp4::mtdtEntry(1, 0x2A0E, 1, mp4::utf16be(u"Decoy title here"))});
    const struct {
        const char* name;
        std::string bytes;
        std::vector<std::string> titles;
    } cases[] = {
        {"title atom last", mp4::pspVideo(kHello),
         {"World", "Hello!!", "Hel", "Caf\xC3\xA9 \xF0\x9F\x8E\xAC", std::string(255, 'L'), "Short", "", "Back"}},
        {"empty title entry", mp4::pspVideo(withTitleEntryData("")), {"Filled"}},
        {"odd title entry", mp4::pspVideo(withTitleEntryData(mp4::utf16be(u"Odd") + "\x41")), {"Even"}},
        {"unterminated", mp4::pspVideo(withTitleEntryData(mp4::utf16be(u"Open", false))), {"Shut"}},
        {"no title entry",
         mp4::pspVideo(mp4::usmtWithEntries({mp4::mtdtEntry(4, 0x15C7, 1, mp4::utf16be(u"an encoder name that is long enough"))})),
         {"Added"}},
        {"MTDT short of its atom", mp4::pspVideo(shortMtdt), {"Other"}},
        {"title atom not last", mp4::pspVideo(kHello + mp4::atom("free", "pad") + mp4::trak()), {"Other", "Longer than that", ""}},
        {"title atom in a track", mp4::ftyp() + mp4::atom("mdat", "mm") + mp4::atom("moov", mp4::mvhd() + mp4::atom("trak", kHello)), {"Other"}},
        {"a small second title atom", mp4::pspVideo(kHello + decoy), {"One", ""}},
        {"64-bit title atom", mp4::pspVideo(mp4::atom64("uuid", kHello.substr(8))), {"Other"}},
        {"moov size 0", mp4::ftyp() + mp4::atom("mdat", "m") + mp4::atomToEnd("moov", mp4::mvhd()), {"New", "Newer"}},
        {"last child size 0", mp4::pspVideo(mp4::atomToEnd("free", "pad")), {"New"}},
        {"empty last child", mp4::pspVideo(mp4::atom("free", "")), {"New"}},
        {"fast start", fastStart(kHello), {"Other", "Second", "", "Third"}},
        {"fast start, entry past its atom", fastStart(overrun), {"Fixed"}},
        {"fast start, size-0 mdat", mp4::ftyp() + mp4::atom("moov", mp4::mvhd()) + mp4::atomToEnd("mdat", "media"), {"New"}},
        {"fast start, a stale second moov", fastStart(kHello) + mp4::atom("moov", mp4::usmt(u"Stale")) + mp4::atom("mdat", "m"), {"Other"}},
        // Leftovers of an interrupted write, cut by the next one (the checks fail while they stay).
        {"after a cut moov", mp4::pspVideo(kHello) + mp4::atom("moov", mp4::mvhd()).substr(0, 50), {"Next"}},
        {"after free space and a cut head", mp4::pspVideo(kHello) + mp4::atom("free", "x") + std::string("\0\0\1", 3), {"Next"}},
        {"fast start, media after media", fastStart(kHello) + mp4::atom("mdat", "more media"), {"Next"}},
        {"other vendor's uuid", mp4::pspVideo(mp4::atom("uuid", std::string(16, '\x11') + std::string(300, '\x22'))), {"Mine"}},
        {"ffmpeg", readFileBytes(kData / "hello.mp4"), {"Goodbye, world", "", "Again"}},
        {"ffmpeg without title", readFileBytes(kData / "no-title.mp4"), {"\xE6\x97\xA5\xE6\x9C\xAC"}},
        {"ffmpeg fast start", readFileBytes(kData / "faststart.mp4"), {"Other", "A longer one this time", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto f = dir.write("v.mp4", c.bytes);
        for (const std::string& title : c.titles)
            EXPECT_EQ(retitleChecked(f, title, c.bytes), "") << title;
    }
}

TEST_F(TitleWrite, TheUsualLayoutComesBack)
{
    // A new title atom is the last child of moov, as the PSP writes it, dated
    // 2005-05-16 07:48:36 UTC in local time.
    const time_t when = 1116229716;
    struct tm local;
    localtime_r(&when, &local);
    char date[32];
    std::strftime(date, sizeof(date), "%Y/%m/%d %H:%M:%S", &local);
    const auto f = dir.write("v.mp4", mp4::pspVideo(""));
    ASSERT_EQ(setTitle(f, "Hello"), 1);
    EXPECT_EQ(readFileBytes(f), mp4::pspVideo(mp4::usmt(u"Hello", date)));
    // A change goes beside the old atom, which becomes free; the next one
    // takes that space when it fits, and the file is as compact as before.
    ASSERT_EQ(setTitle(f, "World"), 1);
    EXPECT_EQ(readFileBytes(f), mp4::pspVideo(mp4::atom("free", mp4::usmt(u"Hello", date).substr(8)) + mp4::usmt(u"World", date)));
    ASSERT_EQ(setTitle(f, "Again"), 1);
    EXPECT_EQ(readFileBytes(f), mp4::pspVideo(mp4::usmt(u"Again", date)));
    ASSERT_EQ(setTitle(f, ""), 1);
    EXPECT_EQ(readFileBytes(f), mp4::pspVideo(""));
    // Nothing to remove: nothing written.
    ASSERT_EQ(setTitle(f, ""), 1);
    EXPECT_EQ(readFileBytes(f), mp4::pspVideo(""));
    // Fast start with free space in moov: written in place, nothing moves.
    const std::string roomy = fastStart(kHello + mp4::atom("free", std::string(400, '\0')));
    const auto g = dir.write("g.mp4", roomy);
    EXPECT_EQ(retitleChecked(g, "In place", roomy), "");
    EXPECT_EQ(readFileBytes(g).size(), roomy.size());
}

TEST_F(TitleWrite, ClearRemovesEveryTitleAtomAReaderWouldTake)
{
    const std::string small = mp4::usmtWithEntries({mp4::mtdtEntry(1, 0x2A0E, 1, mp4::utf16be(u"Decoy"))});
    ASSERT_LE(small.size(), 100u);
    // ffmpeg's per-track USMT atoms hold no title; they stay as they are.
    for (const std::string& bytes : {mp4::pspVideo(tracks(20) + kHello), mp4::pspVideo(small), mp4::pspVideo(kHello + small),
                                     mp4::pspVideo(mp4::atom("trak", small) + kHello), readFileBytes(kData / "hello.mp4")}) {
        const auto f = dir.write("v.mp4", bytes);
        ASSERT_TRUE(hasLiveTitleAtom(bytes));
        EXPECT_EQ(retitleChecked(f, "", bytes), "");
        EXPECT_FALSE(hasLiveTitleAtom(readFileBytes(f)));
    }
    EXPECT_EQ(readFileBytes(dir.path() / "v.mp4").find("free" + mp4::usmtUuid()), std::string::npos);
}

TEST_F(TitleWrite, WhatNoSafeWriteHandlesIsRefusedWithItsReason)
{
    // The reasons are made from title_outcome, title_errno and the walk's error, so they check those too.
    const std::string hello = mp4::pspVideo(kHello), cut = fastStart(kHello), back = "A title written there would not be read back: ";
    const std::string badText = "The title is not valid UTF-8 text.", badSize = "The file is damaged: an atom has a size field below 8.";
    const std::string fragmented = "The file is fragmented (it has moof or mvex atoms); its title is not changed.";
    const struct {
        std::string bytes, title, reason;
    } cases[] = {
        {hello, std::string(256, 'x'), "The title is longer than 255 bytes."},
        {hello, std::string("a\0b", 3), "The title contains a zero byte."},
        {hello, "\xC3", badText},
        {hello, "Caf\xE9", badText},
        {hello, "\xC0\xAF", badText},         // overlong
        {hello, "\xED\xA0\x80", badText},     // a surrogate
        {hello, "\xF4\x90\x80\x80", badText}, // beyond U+10FFFF
        {"not a video, only some text in a file", "x", "The file is not an MP4 video."},
        {mp4::ftyp() + mp4::atom64("moov", mp4::mvhd() + kHello), "x", "The file uses a 64-bit atom size where the title would have to be written."},
        {hello + mp4::atom("moof", "x"), "x", fragmented},
        {mp4::pspVideo(mp4::atom("mvex", mp4::atom("trex", std::string(24, '\0')))), "x", fragmented},
        {mp4::ftyp() + mp4::atom("dinf", mp4::atom("moov", mp4::mvhd() + kHello)), "x", "The file's moov atom is not at its top level."},
        {mp4::ftyp() + mp4::atom("free", "abc"), "x", "The file has no moov atom (it is not a complete MP4 video)."},
        {mp4::pspVideo(std::string("\0\0\0", 3)), "x", "The file's moov atom is damaged: its atoms do not add up to its size."},
        {cut.substr(0, cut.size() - 10), "x", "The file is cut short: an atom runs past its end."},
        {fastStart(kHello) + mp4::be32(3) + "junk", "x", badSize},
        {mp4::pspVideo(mp4::be32(4) + "free"), "x", badSize},
        {fastStart(kHello) + mp4::atom("minf", mp4::be32(4000) + "dinf"), "x", back + "the file has header atoms after its moov atom."},
        // A title after a 21st track, or after a broken atom, would not be read.
        {mp4::pspVideo(tracks(20)), "x", back + "the moov atom has more than 20 tracks."},
        {mp4::pspVideo(mp4::be32(5) + "free" + mp4::trak()), "x", back + "an atom in the moov atom has a size field below 8."},
    };
    for (const auto& c : cases) {
        const auto f = dir.write("v.mp4", c.bytes);
        EXPECT_EQ(mp4title::writeTitle(f.string(), c.title).reason, c.reason);
        EXPECT_EQ(readFileBytes(f), c.bytes) << c.reason;
    }
    EXPECT_EQ(mp4title::writeTitle((dir.path() / "missing.mp4").string(), "x").reason, "The file does not exist.");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing.mp4"));
    const std::string whole = readFileBytes(kData / "hello.mp4");
    for (size_t n = 0; n < whole.size(); n += 5) {
        const auto f = dir.write("cut.mp4", whole.substr(0, n));
        const std::string title = titleOf(f);
        EXPECT_TRUE(title.empty() || title == "Hello") << n;
        EXPECT_EQ(setTitle(f, "Changed"), 0) << n;
        EXPECT_EQ(readFileBytes(f), whole.substr(0, n)) << n;
    }
}

// Damaged layouts found by fuzzing (fuzz/corpus): the reader's walk goes
// where the layout does not, so a change is planned from what it reads. Each
// ends in a change that reads back, or in a refusal that leaves every byte.
struct Damaged {
    const char* file;
    bool clears, sets;
};

void PrintTo(const Damaged& d, std::ostream* out) { *out << d.file; }

class DamagedLayout : public ::testing::TestWithParam<Damaged>
{
protected:
    TempDir dir;
};

TEST_P(DamagedLayout, EndsInAChangeThatReadsBackOrACleanRefusal)
{
    const std::string bytes = readFileBytes(std::filesystem::path(REELKEEPER_TITLE_CORPUS) / GetParam().file);
    ASSERT_FALSE(bytes.empty());
    for (const auto& [title, done] : {std::pair<std::string, bool>{"", GetParam().clears}, {"New title", GetParam().sets}}) {
        const auto f = dir.write("v.mp4", bytes);
        const mp4title::WriteResult r = mp4title::writeTitle(f.string(), title);
        EXPECT_EQ(r.ok, done) << '"' << title << "\": " << r.reason;
        if (r.ok) {
            EXPECT_EQ(titleOf(f), title);
            EXPECT_TRUE(titlecheck::mediaKept(bytes, readFileBytes(f)));
        } else {
            EXPECT_EQ(readFileBytes(f), bytes) << r.reason;
            EXPECT_EQ(r.reason.find("Writing the file failed"), std::string::npos) << r.reason;
            EXPECT_EQ(r.reason.rfind("The title was", 0), std::string::npos) << r.reason;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Findings, DamagedLayout,
                         ::testing::Values(Damaged{"clear-long-dinf-title-behind-moov.mp4", true, true},
                                           Damaged{"clear-64bit-long-dinf-title-behind-moov.mp4", true, true},
                                           Damaged{"clear-long-mdia-title-in-trak-behind-moov.mp4", true, false},
                                           Damaged{"clear-long-dinf-title-in-media-data.mp4", false, false},
                                           Damaged{"set-empty-moov-stray-tail.mp4", true, false},
                                           Damaged{"set-empty-moov-free-stray-tail.mp4", true, false},
                                           Damaged{"set-empty-moov-long-media-stray-tail.mp4", true, false}),
                         [](const ::testing::TestParamInfo<Damaged>& info) {
                             std::string name = info.param.file;
                             name = name.substr(0, name.size() - 4);
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST_F(TitleWrite, StaysCompactOverManyRetitles)
{
    // Only the layout counts here; the syncs are checked elsewhere.
    titlecheck::arm(Inject::NoSync);
    std::mt19937 random(7);
    for (const std::string& start : {mp4::pspVideo(kHello), readFileBytes(kData / "faststart.mp4")}) {
        const auto f = dir.write("v.mp4", start);
        size_t largest = 0;
        for (int i = 0; i < 200; ++i) {
            const size_t length = random() % 5 == 0 ? 0 : 1 + random() % 120;
            std::string title;
            for (size_t k = 0; k < length; ++k)
                title += random() % 4 == 0 ? "\xC3\xA9" : std::string(1, static_cast<char>('a' + random() % 26));
            title = title.substr(0, 255 - (title.size() > 255 && (title[254] & 0xC0) == 0xC0));
            ASSERT_EQ(retitleChecked(f, title, start), "") << i;
            largest = std::max<size_t>(largest, std::filesystem::file_size(f));
        }
        // At most a relocated moov, the largest title atom and its free twin.
        EXPECT_LE(largest, start.size() + 1600 + 2 * 700);
    }
    titlecheck::disarm();
}

TEST_F(TitleWrite, FilesOfSeveralGiB)
{
    // A 3 GiB mdat with a 32-bit size and a 5 GiB one with a 64-bit size: moov lies beyond 2 and 4 GiB.
    const std::string head = mp4::ftyp(), moov = mp4::atom("moov", mp4::mvhd());
    for (const std::string& mdatHead : {mp4::be32(3u << 30) + "mdat", mp4::be32(1) + "mdat" + mp4::be64(uint64_t(5) << 30)}) {
        const int64_t moovAt = static_cast<int64_t>(head.size()) + (mdatHead.size() == 8 ? int64_t(3) << 30 : int64_t(5) << 30);
        const auto f = dir.path() / "big.mp4";
        writeSparse(f, head + mdatHead, moovAt, moov);
        for (const char* title : {"Created far out", "Short", "Longer again", ""}) {
            ASSERT_EQ(setTitle(f, title), 1);
            EXPECT_EQ(titleOf(f), title);
            EXPECT_EQ(readRange(f, moovAt, 4), mp4::be32(static_cast<uint32_t>(std::filesystem::file_size(f) - moovAt)));
        }
        EXPECT_EQ(readRange(f, moovAt, 1000), moov);
        EXPECT_EQ(readRange(f, 0, head.size() + mdatHead.size()), head + mdatHead);
    }
}

// A small tmpfs that fills up gives real "no space" errors.
class FullDisk : public TitleWrite
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directory(m_mount);
        if (::mount("tmpfs", m_mount.c_str(), "tmpfs", 0, "size=64k") != 0)
            GTEST_SKIP() << "cannot mount a tmpfs here";
        m_mounted = true;
    }
    void TearDown() override
    {
        if (m_mounted)
            ::umount2(m_mount.c_str(), MNT_DETACH);
    }

    // A video of a whole page, perhaps retitled once, then the disk filled up.
    std::filesystem::path fullDiskWith(const std::string& moovTail, const std::string& firstTitle = "")
    {
        std::filesystem::remove(m_mount / "filler");
        const auto f = dir.write("disk/v.mp4", mp4::pspVideo(moovTail, 4096 - mp4::pspVideo(moovTail, 0).size()));
        EXPECT_TRUE(firstTitle.empty() || setTitle(f, firstTitle) == 1);
        const int fd = ::open((m_mount / "filler").c_str(), O_CREAT | O_WRONLY, 0644);
        const std::string block(4096, 'f');
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        ::close(fd);
        return f;
    }

    const std::filesystem::path m_mount = dir.path() / "disk";
    bool m_mounted = false;
};

TEST_F(FullDisk, AWriteWithoutRoomIsUndoneAndReported)
{
    for (const std::string& tail : {kHello, std::string()}) {
        const auto f = fullDiskWith(tail);
        const std::string before = readFileBytes(f);
        EXPECT_EQ(mp4title::writeTitle(f.string(), "A much longer title than before").reason,
                  "Writing the file failed: No space left on device. The file was left as it was.");
        EXPECT_EQ(readFileBytes(f), before);
    }
    // A removal needs no room, nor a title that fits the space an earlier one left.
    for (const auto& [first, title] : {std::pair{"Hello again", "Hi"}, {"", ""}}) {
        const auto f = fullDiskWith(kHello, first);
        EXPECT_EQ(setTitle(f, title), 1);
        EXPECT_EQ(titleOf(f), title);
    }
}

template <typename Body>
pid_t spawn(Body body)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    return pid;
}

int exitCode(pid_t pid)
{
    int status = -1;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(TitleFacade, StatusesAndPlainWrites)
{
    TempDir dir;
    const auto f = dir.write("a.mp4", mp4::pspVideo(mp4::usmt(u"Hello")));
    dir.write("c.mp4", "plain text, not a video");
    dir.write("d.mp4", mp4::ftyp() + mp4::atom("free", "x"));
    dir.write("e.mp4", "");
    // A folder or a named pipe that carries a video's name is refused at once,
    // never waited on (a pipe without a writer would block a read).
    ASSERT_EQ(::mkfifo((dir.str() + "/pipe.mp4").c_str(), 0666), 0);
    std::filesystem::create_directory(dir.path() / "folder.mp4");
    const auto read = [&](const std::string& name) { return mp4title::readTitle(dir.str() + "/" + name); };
    using S = mp4title::ReadStatus;
    for (const auto& [name, status] : {std::pair{"a.mp4", S::Ok}, {"missing.mp4", S::CannotOpen}, {"c.mp4", S::NotMp4}, {"d.mp4", S::NoMoov},
                                       {"e.mp4", S::NotMp4}, {"pipe.mp4", S::CannotOpen}, {"folder.mp4", S::CannotOpen}})
        EXPECT_EQ(read(name).status, status) << name;
    EXPECT_EQ(mp4title::writeTitle(dir.str() + "/pipe.mp4", "x").reason, "It is not a regular file.");
    EXPECT_EQ(mp4title::writeTitle(dir.str() + "/folder.mp4", "x").reason, "It is a folder, not a file.");
    EXPECT_TRUE(mp4title::writeTitle(f.string(), "Bye").ok);
    EXPECT_EQ(read("a.mp4").title, "Bye");
    EXPECT_TRUE(mp4title::clearTitle(f.string()).ok);
    EXPECT_EQ(read("a.mp4").title, "");
    EXPECT_STREQ(mp4title::describe(S::NotMp4), "not an MP4 file");
    EXPECT_STREQ(mp4title::describe(S::CannotOpen), "cannot open");
    EXPECT_STREQ(mp4title::describe(S::InUse), "in use by another program");
}

// As root a file's mode does not stop a write; an unprivileged child and a
// read-only mount give the real errors.
TEST(TitleFacade, PermissionAndReadOnlyFileSystemsAreNamed)
{
    TempDir dir;
    const auto f = dir.write("v.mp4", mp4::pspVideo(mp4::usmt(u"Hello")));
    const int denied = exitCode(spawn([&] {
        if (::setuid(65534) != 0)
            return 2;
        return mp4title::writeTitle(f.string(), "x").reason == "The file cannot be opened for writing: permission denied." ? 0 : 1;
    }));
    EXPECT_NE(denied, 1);

    const auto mountPoint = dir.path() / "ro";
    std::filesystem::create_directory(mountPoint);
    if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here";
    const std::string bytes = mp4::pspVideo("");
    const auto g = dir.write("ro/v.mp4", bytes);
    ASSERT_EQ(::mount("tmpfs", mountPoint.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k"), 0);
    EXPECT_EQ(mp4title::writeTitle(g.string(), "x").reason, "The file cannot be opened for writing: the file system is read-only.");
    EXPECT_EQ(readFileBytes(g), bytes);
    ::umount2(mountPoint.c_str(), MNT_DETACH);
}

TEST(TitleFacade, ABusyFileIsReportedAfterAShortWait)
{
    TempDir dir;
    const std::string bytes = mp4::pspVideo(mp4::usmt(u"Hello"));
    const auto f = dir.write("v.mp4", bytes);
    // Another open file (flock locks belong to it, not to the process).
    const int other = ::open(f.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(mp4title::writeTitle(f.string(), "Mine").reason, "The file is in use by another program.");
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(FILE_LOCK_WAIT_MS - 20));
    EXPECT_LT(waited, std::chrono::milliseconds(FILE_LOCK_WAIT_MS + 1500));
    EXPECT_EQ(mp4title::readTitle(f.string()).status, mp4title::ReadStatus::InUse);
    // A reader's shared lock keeps writers out, not other readers.
    ASSERT_EQ(::flock(other, LOCK_SH), 0);
    EXPECT_EQ(mp4title::readTitle(f.string()).title, "Hello");
    EXPECT_FALSE(mp4title::writeTitle(f.string(), "Mine").ok);
    EXPECT_EQ(readFileBytes(f), bytes);
    ::close(other);
    EXPECT_TRUE(mp4title::writeTitle(f.string(), "Mine").ok);
}

TEST(TitleFacade, WritersInTwoProcessesTakeTurns)
{
    TempDir dir;
    const auto f = dir.write("v.mp4", mp4::pspVideo(mp4::usmt(u"Start")));
    // A lock held a moment by another process is waited for.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = spawn([&] {
        ::flock(::open(f.c_str(), O_RDONLY), LOCK_EX);
        (void)!::write(ready[1], "x", 1);
        ::usleep(150 * 1000);
        return 0;
    });
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    EXPECT_TRUE(mp4title::writeTitle(f.string(), "After the wait").ok);
    exitCode(holder);

    // Two processes retitling the same file all along: each write succeeds or
    // finds the file busy, and the file ends whole with one of their titles.
    pid_t writers[2];
    for (int p = 0; p < 2; ++p)
        writers[p] = spawn([&] {
            int bad = 0;
            titlecheck::arm(Inject::NoSync);
            for (int i = 0; i < 40; ++i) {
                const auto w = mp4title::writeTitle(f.string(), "Writer " + std::to_string(p) + std::string(i % 7, '!'));
                bad += !w.ok && w.reason != "The file is in use by another program.";
            }
            return bad;
        });
    for (pid_t pid : writers)
        EXPECT_EQ(exitCode(pid), 0);
    EXPECT_EQ(titlecheck::structureProblem(readFileBytes(f)), "");
    EXPECT_EQ(mp4title::readTitle(f.string()).title.rfind("Writer ", 0), 0u);
}

TEST(TitleFacade, CallsFromManyThreadsDoNotMix)
{
    TempDir dir;
    std::vector<std::thread> threads;
    std::vector<int> failures(8, 0);
    titlecheck::arm(Inject::NoSync); // the calls are serialised, so the counter is safe
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&, t, path = dir.write("v" + std::to_string(t) + ".mp4", mp4::pspVideo(mp4::usmt(u"Title"))).string()] {
            for (int round = 0; round < 10; ++round) {
                const std::string title = "Thread " + std::to_string(t) + " round " + std::to_string(round);
                failures[t] += !mp4title::writeTitle(path, title).ok || mp4title::readTitle(path).title != title;
            }
        });
    for (auto& th : threads)
        th.join();
    titlecheck::disarm();
    EXPECT_EQ(failures, std::vector<int>(8, 0));
}

// Every stopping point of every kind of title write, replayed: a crash after
// any operation, with any of the unsynced ones lost, and a failing operation
// (once, or from then on as when the stick is pulled) must leave a good file
// and a truthful report.

struct Kind {
    const char *name;
    std::string (*bytes)();
    const char *prepare, *title; // prepare: written first, so that the change under test meets this layout
};

std::string withTitle() { return mp4::pspVideo(mp4::usmt(u"Hello there")); }

const Kind kKinds[] = {
    {"Create", [] { return mp4::pspVideo(""); }, nullptr, "New title"},
    {"Grow", withTitle, nullptr, "Hello there, world"},
    {"ShrinkIntoFreeSpace", withTitle, "Long title", "Hi"},
    {"Clear", withTitle, "Long title", ""},
    {"FastStart", [] { return readFileBytes(kData / "faststart.mp4"); }, nullptr, "Moved"},
    {"FastStartInPlace", [] { return fastStart(kHello + mp4::atom("free", std::string(300, '\0'))); }, nullptr, "In place"},
    {"AmongDecoys",
     [] {
         const std::string decoy = mp4::usmtWithEntries({mp4::mtdtEntry(1, 0x2A0E, 1, mp4::utf16be(u"Decoy"))});
         return mp4::pspVideo(mp4::atom("trak", decoy) + mp4::usmt(u"Hello") + mp4::trak());
     },
     nullptr, "Other"},
    {"AfterLeftovers", [] { return withTitle() + mp4::usmt(u"Half").substr(0, 40); }, nullptr, "Next one"},
    {"Ffmpeg", [] { return readFileBytes(kData / "hello.mp4"); }, nullptr, "Goodbye"},
    {"FfmpegCreate", [] { return readFileBytes(kData / "no-title.mp4"); }, nullptr, "Created"},
};

// Whether ffprobe (when installed) opens the file without an error.
bool ffprobeReads(const std::string& path)
{
    return std::system(("ffprobe -v quiet " + path + " 2>/dev/null").c_str()) == 0;
}

bool haveFfprobe()
{
    static const bool have = std::system("ffprobe -version >/dev/null 2>&1") == 0;
    return have;
}

void PrintTo(const Kind& kind, std::ostream* out) { *out << kind.name; }

class CrashTest : public ::testing::TestWithParam<Kind>
{
protected:
    void SetUp() override
    {
        m_file = dir.write("v.mp4", GetParam().bytes());
        ASSERT_TRUE(!GetParam().prepare || setTitle(m_file, GetParam().prepare) == 1);
        m_original = readFileBytes(m_file);
        m_oldTitle = titleOf(m_file);
        m_wellFormed = titlecheck::structureProblem(m_original).empty(); // not so with leftovers
        titlecheck::arm(Inject::Record);
        ASSERT_EQ(setTitle(m_file, GetParam().title), 1);
        titlecheck::disarm();
        m_log = titlecheck::opLog();
        ASSERT_EQ(titlecheck::crashState(m_original, m_log, m_log.size(), ~0u), readFileBytes(m_file));
    }
    void TearDown() override { titlecheck::disarm(); }

    // What every stopping point must leave; the next retitle is checked
    // without syncs, which only make it slower.
    void expectGood(const std::string& bytes, const std::string& title, const std::string& where)
    {
        EXPECT_TRUE(title == m_oldTitle || title == GetParam().title) << where << ": reads " << title;
        EXPECT_EQ(m_wellFormed ? titlecheck::structureProblem(bytes) : "", "") << where;
        EXPECT_TRUE(titlecheck::mediaKept(m_original, bytes)) << where;
        const auto next = fresh(bytes);
        titlecheck::arm(Inject::NoSync);
        EXPECT_EQ(retitleChecked(next, "Next", bytes), "") << where;
        titlecheck::disarm();
    }

    // A new file each time: rewriting one name makes the file system flush it.
    std::filesystem::path fresh(const std::string& bytes) { return dir.write(std::to_string(++m_files) + ".mp4", bytes); }

    TempDir dir;
    int m_files = 0;
    std::filesystem::path m_file;
    std::string m_original, m_oldTitle;
    bool m_wellFormed = true;
    std::vector<titlecheck::FileOp> m_log;
};

TEST_P(CrashTest, EveryStoppingPointLeavesAGoodFile)
{
    for (size_t issued = 0; issued <= m_log.size(); ++issued) {
        const size_t open = titlecheck::unsyncedOps(m_log, issued);
        ASSERT_LE(open, 6u);
        for (uint32_t keep = 0; keep < (1u << open); ++keep) {
            const std::string state = titlecheck::crashState(m_original, m_log, issued, keep);
            expectGood(state, titleOf(fresh(state)),
                       "after " + std::to_string(issued) + " of " + std::to_string(m_log.size()) + ", kept " + std::to_string(keep));
        }
    }
    // Success is reported once the change is synced.
    EXPECT_EQ(titleOf(fresh(titlecheck::crashState(m_original, m_log, m_log.size(), 0))), GetParam().title);
}

TEST_P(CrashTest, FailedWritesSayWhatTheyLeft)
{
    const int count = static_cast<int>(m_log.size());
    for (const Inject mode : {Inject::FailFrom, Inject::FailOnce}) {
        for (int n = 1; n <= count; ++n) {
            const std::string where = (mode == Inject::FailOnce ? "once at " : "from ") + std::to_string(n);
            const auto f = fresh(m_original);
            titlecheck::arm(mode, n);
            const mp4title::WriteResult r = mp4title::writeTitle(f.string(), GetParam().title);
            titlecheck::disarm();
            const std::string bytes = readFileBytes(f);
            const std::string title = titleOf(f);
            if (r.ok) {
                EXPECT_EQ(title, GetParam().title) << where;
            } else if (r.reason.find("left as it was") != std::string::npos) {
                EXPECT_EQ(bytes, m_original) << where;
            } else if (r.reason.find("still has its old title") != std::string::npos) {
                EXPECT_EQ(title, m_oldTitle) << where;
                // A single failure is undone, but leftovers cut before it stay cut.
                EXPECT_TRUE(mode == Inject::FailFrom || !m_wellFormed) << where;
            } else {
                EXPECT_NE(r.reason.find("could not be confirmed"), std::string::npos) << where << ": " << r.reason;
            }
            EXPECT_TRUE(r.ok || r.reason.rfind("Writing the file failed: Input/output error.", 0) == 0) << r.reason;
            expectGood(bytes, title, where);
        }
    }
}

TEST_P(CrashTest, TornWritesLeaveAReadableFile)
{
    // A write cut after its head or halfway, everything before it done: the
    // file reads as before or as after here, and for ffprobe.
    const bool probe = haveFfprobe() && ffprobeReads(fresh(m_original).string());
    for (size_t i = 0; i < m_log.size(); ++i) {
        const titlecheck::FileOp& op = m_log[i];
        if (op.kind != titlecheck::FileOp::Write || op.bytes.size() <= 8)
            continue;
        for (const size_t cut : {size_t(8), op.bytes.size() / 2}) {
            std::string state = titlecheck::crashState(m_original, m_log, i, ~0u);
            state.resize(std::max(state.size(), static_cast<size_t>(op.pos) + cut), '\0');
            state.replace(static_cast<size_t>(op.pos), cut, op.bytes, 0, cut);
            const auto f = fresh(state);
            const std::string where = "write " + std::to_string(i + 1) + " cut at " + std::to_string(cut);
            const std::string title = titleOf(f);
            EXPECT_TRUE(title == m_oldTitle || title == GetParam().title) << where << ": reads " << title;
            EXPECT_TRUE(!probe || ffprobeReads(f.string())) << where << ": ffprobe fails";
            // What ffmpeg's reader rejects: a uuid atom behind moov cut off by the end of the file.
            for (size_t at = 0, size = 8; at + 8 <= state.size() && size >= 8; at += size) {
                size = be32At(state, at);
                EXPECT_FALSE(at + size > state.size() && state.compare(at + 4, 4, "uuid") == 0) << where;
            }
        }
    }
}

TEST_P(CrashTest, AFailedCommitSyncIsNoSuccess)
{
    // The commit's sync is the first one after which the synced file reads the new title.
    size_t commit = 0;
    while (commit < m_log.size()
           && (m_log[commit].kind != titlecheck::FileOp::Sync
               || titleOf(fresh(titlecheck::crashState(m_original, m_log, commit + 1, 0))) != GetParam().title))
        ++commit;
    ASSERT_LT(commit, m_log.size());
    const auto f = fresh(m_original);
    titlecheck::arm(Inject::FailOnce, static_cast<int>(commit) + 1);
    const mp4title::WriteResult r = mp4title::writeTitle(f.string(), GetParam().title);
    titlecheck::disarm();
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.reason.find("could not be confirmed"), std::string::npos) << r.reason;
}

INSTANTIATE_TEST_SUITE_P(Kinds, CrashTest, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<Kind>& info) { return std::string(info.param.name); });

} // namespace
