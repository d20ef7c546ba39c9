#include "mp4title/TitleCalls.h"

#include "Mp4Builder.h"
#include "TempDir.h"
#include "TitleTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

using titletest::be32At;
using titletest::setTitle;
using titletest::titleOf;
using titletest::kData;
using titletest::withTitleEntryData;

namespace {

class TitleWrite : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The created date entry is in local time.
        const char* tz = std::getenv("TZ");
        m_oldTz = tz ? tz : "";
        m_hadTz = tz != nullptr;
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void TearDown() override
    {
        if (m_hadTz)
            setenv("TZ", m_oldTz.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

    // Sets the title and expects the file to become exactly `expected`.
    void expectRewrite(const std::string& before, const std::string& title, const std::string& expected)
    {
        const auto f = dir.write("v.mp4", before);
        EXPECT_EQ(setTitle(f, title), 1) << title;
        EXPECT_EQ(readFileBytes(f), expected) << title;
    }

    // Sets the title and expects 0 and the file untouched.
    void expectRefused(const std::string& before, const std::string& title, int outcome)
    {
        const auto f = dir.write("v.mp4", before);
        EXPECT_EQ(setTitle(f, title), 0) << title;
        EXPECT_EQ(title_outcome, outcome) << title;
        EXPECT_EQ(readFileBytes(f), before) << title;
    }

    TempDir dir;

private:
    std::string m_oldTz;
    bool m_hadTz = false;
};

TEST_F(TitleWrite, RewritesInPlace)
{
    const std::string hello = mp4::pspVideo(mp4::usmt(u"Hello"));
    // Same length: the file keeps its size.
    expectRewrite(hello, "World", mp4::pspVideo(mp4::usmt(u"World")));
    // Two characters longer or shorter: atom, MTDT, entry and moov sizes follow, the file grows or is cut.
    expectRewrite(hello, "Hello!!", mp4::pspVideo(mp4::usmt(u"Hello!!")));
    expectRewrite(hello, "Hel", mp4::pspVideo(mp4::usmt(u"Hel")));
    // Non-ASCII text is stored as UTF-16.
    expectRewrite(hello, "Caf\xC3\xA9 \xF0\x9F\x8E\xAC", mp4::pspVideo(mp4::usmt(u"Caf\u00e9 \U0001F3AC")));
    // Long titles in both directions.
    const std::string longest(255, 'L');
    expectRewrite(hello, longest, mp4::pspVideo(mp4::usmt(std::u16string(255, u'L'))));
    expectRewrite(mp4::pspVideo(mp4::usmt(std::u16string(200, u'x'))), "Short", mp4::pspVideo(mp4::usmt(u"Short")));
}

TEST_F(TitleWrite, RemovesTheTitleAtom)
{
    const std::string hello = mp4::pspVideo(mp4::usmt(u"Hello"));
    const auto f = dir.write("v.mp4", hello);
    EXPECT_EQ(setTitle(f, ""), 1);
    EXPECT_EQ(readFileBytes(f), mp4::pspVideo(""));
    const auto r = titletest::getTitle(f);
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.buffer, std::string(512, '\0'));
    // Nothing to remove: nothing written, success.
    EXPECT_EQ(setTitle(f, ""), 1);
    EXPECT_EQ(readFileBytes(f), mp4::pspVideo(""));
}

TEST_F(TitleWrite, CreatesATitleAtom)
{
    const std::string plain = mp4::pspVideo("");
    const auto f = dir.write("v.mp4", plain);
    ASSERT_EQ(setTitle(f, "New"), 1);
    const std::string after = readFileBytes(f);
    EXPECT_EQ(after.size(), plain.size() + 146 + 2 * 4);
    EXPECT_EQ(after, mp4::pspVideo(mp4::usmt(u"New", "2005/05/16 07:48:36")));
    EXPECT_EQ(titleOf(f), "New");
    // And from then on it is rewritten, not appended again.
    ASSERT_EQ(setTitle(f, "Newer"), 1);
    EXPECT_EQ(readFileBytes(f), mp4::pspVideo(mp4::usmt(u"Newer")));
}

TEST_F(TitleWrite, EmptyTitleEntryIsRewrittenInPlace)
{
    expectRewrite(mp4::pspVideo(withTitleEntryData("")), "Filled", mp4::pspVideo(mp4::usmt(u"Filled")));
    // An odd entry is replaced whole.
    expectRewrite(mp4::pspVideo(withTitleEntryData(mp4::utf16be(u"Odd") + "\x41")), "Even",
                  mp4::pspVideo(mp4::usmt(u"Even")));
    // So is one without a terminator.
    expectRewrite(mp4::pspVideo(withTitleEntryData(mp4::utf16be(u"Open", false))), "Shut", mp4::pspVideo(mp4::usmt(u"Shut")));
}

TEST_F(TitleWrite, TitlesOverTheLimitAreRefused)
{
    const std::string hello = mp4::pspVideo(mp4::usmt(u"Hello"));
    expectRefused(hello, std::string(256, 'x'), TITLE_TOO_LONG);
    expectRefused(hello, std::string(2000, 'x'), TITLE_TOO_LONG);
    expectRefused(mp4::pspVideo(""), std::string(256, 'x'), TITLE_TOO_LONG);
}

TEST_F(TitleWrite, ShapesThatCannotBeRewrittenAreRefused)
{
    const std::string usmt = mp4::usmt(u"Hello");
    // moov before mdat (fast start): neither rewrite, removal nor creation.
    const std::string faststart = mp4::ftyp() + mp4::atom("moov", mp4::mvhd() + usmt) + mp4::atom("mdat", std::string(64, 'm'));
    expectRefused(faststart, "Other", TITLE_MOOV_NOT_LAST);
    expectRefused(faststart, "", TITLE_MOOV_NOT_LAST);
    expectRefused(mp4::ftyp() + mp4::atom("moov", mp4::mvhd()) + mp4::atom("mdat", "m"), "New", TITLE_MOOV_NOT_LAST);
    // The title atom is not the last child of moov.
    const std::string notLast = mp4::pspVideo(usmt + mp4::atom("free", "pad"));
    expectRefused(notLast, "Other", TITLE_ATOM_NOT_LAST);
    expectRefused(notLast, "", TITLE_ATOM_NOT_LAST);
    // The title atom inside a track.
    expectRefused(mp4::ftyp() + mp4::atom("moov", mp4::mvhd() + mp4::atom("trak", usmt)), "Other", TITLE_ATOM_NOT_LAST);
    // 64-bit or open-ended sizes.
    expectRefused(mp4::ftyp() + mp4::atom64("moov", mp4::mvhd() + usmt), "Other", TITLE_LARGE_SIZE);
    expectRefused(mp4::ftyp() + mp4::atom("moov", mp4::mvhd() + mp4::atom64("uuid", usmt.substr(8))), "Other",
                  TITLE_LARGE_SIZE);
    expectRefused(mp4::ftyp() + mp4::atomToEnd("moov", mp4::mvhd()), "New", TITLE_LARGE_SIZE);
    // moov nested in another atom is not at the top level.
    expectRefused(mp4::ftyp() + mp4::atom("dinf", mp4::atom("moov", mp4::mvhd() + usmt)), "Other", TITLE_MOOV_NOT_LAST);
    // No moov at all: nothing may be written.
    expectRefused(mp4::ftyp() + mp4::atom("free", "abc"), "New", TITLE_NO_MOOV);
    // A title atom without a title entry is not followed by a second one.
    const std::string noEntry = mp4::pspVideo(mp4::usmtWithEntries({mp4::mtdtEntry(4, 0x15C7, 1, mp4::utf16be(u"an encoder name that is long enough"))}));
    expectRefused(noEntry, "New", TITLE_NO_TITLE_ENTRY);
    expectRewrite(noEntry, "", mp4::pspVideo(""));
    // An MTDT atom that does not fill the title atom.
    std::string shortMtdt = usmt;
    shortMtdt[27] = static_cast<char>(shortMtdt[27] - 2);
    expectRefused(mp4::pspVideo(shortMtdt), "Other", TITLE_BAD_ATOM);
}

TEST_F(TitleWrite, OtherVendorsUuidAtomsAreLeftAlone)
{
    const std::string foreign = mp4::atom("uuid", std::string(16, '\x11') + std::string(300, '\x22'));
    const std::string before = mp4::pspVideo(foreign);
    const auto f = dir.write("v.mp4", before);
    ASSERT_EQ(setTitle(f, "Mine"), 1);
    EXPECT_EQ(readFileBytes(f), mp4::pspVideo(foreign + mp4::usmt(u"Mine")));
    EXPECT_EQ(titleOf(f), "Mine");
}

TEST_F(TitleWrite, GarbageAndTruncatedFilesAreNotTouched)
{
    const std::string whole = readFileBytes(kData / "hello.mp4");
    for (size_t n = 0; n < whole.size(); n += 5) {
        const std::string cut = whole.substr(0, n);
        const auto f = dir.write("cut.mp4", cut);
        EXPECT_EQ(setTitle(f, "Changed"), 0) << n;
        EXPECT_EQ(readFileBytes(f), cut) << n;
    }
    expectRefused("not a video, only some text in a file", "New", TITLE_NOT_MP4);
    EXPECT_EQ(setTitle(dir.path() / "missing.mp4", "New"), 0);
    EXPECT_EQ(title_outcome, TITLE_CANNOT_OPEN);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing.mp4"));
}

TEST_F(TitleWrite, FfmpegPspFiles)
{
    // ffmpeg's title atom has no encoder entry; it is found by type and rewritten.
    const auto f = dir.write("hello.mp4", readFileBytes(kData / "hello.mp4"));
    ASSERT_EQ(setTitle(f, "Goodbye, world"), 1);
    EXPECT_EQ(titleOf(f), "Goodbye, world");
    ASSERT_EQ(setTitle(f, ""), 1);
    EXPECT_EQ(titleOf(f), "");
    ASSERT_EQ(setTitle(f, "Again"), 1);
    EXPECT_EQ(titleOf(f), "Again");

    const auto g = dir.write("no-title.mp4", readFileBytes(kData / "no-title.mp4"));
    ASSERT_EQ(setTitle(g, "\xE6\x97\xA5\xE6\x9C\xAC"), 1);
    EXPECT_EQ(titleOf(g), "\xE6\x97\xA5\xE6\x9C\xAC");

    const std::string fast = readFileBytes(kData / "faststart.mp4");
    expectRefused(fast, "Other", TITLE_MOOV_NOT_LAST);
}

TEST_F(TitleWrite, FilesOfSeveralGiB)
{
    const std::string head = mp4::ftyp();
    const int64_t mdat = int64_t(3) << 30;
    const int64_t moovAt = static_cast<int64_t>(head.size()) + mdat;
    const auto f = dir.path() / "big.mp4";
    const std::string mdatHead = mp4::be32(static_cast<uint32_t>(mdat)) + "mdat";
    const std::string plainMoov = mp4::atom("moov", mp4::mvhd());
    titletest::writeSparse(f, head + mdatHead, moovAt, plainMoov);

    ASSERT_EQ(setTitle(f, "Created far out"), 1);
    const std::string withTitle = mp4::atom("moov", mp4::mvhd() + mp4::usmt(u"Created far out"));
    EXPECT_EQ(std::filesystem::file_size(f), static_cast<uintmax_t>(moovAt) + withTitle.size());
    EXPECT_EQ(titletest::readRange(f, moovAt, withTitle.size() + 10), withTitle);

    ASSERT_EQ(setTitle(f, "Short"), 1);
    const std::string shorter = mp4::atom("moov", mp4::mvhd() + mp4::usmt(u"Short"));
    EXPECT_EQ(std::filesystem::file_size(f), static_cast<uintmax_t>(moovAt) + shorter.size());
    EXPECT_EQ(titletest::readRange(f, moovAt, shorter.size() + 10), shorter);
    EXPECT_EQ(titleOf(f), "Short");

    ASSERT_EQ(setTitle(f, ""), 1);
    EXPECT_EQ(titletest::readRange(f, moovAt, 1000), plainMoov);
    EXPECT_EQ(titletest::readRange(f, 0, head.size() + 8), head + mdatHead);
}

// A small tmpfs that fills up gives real "no space" errors.
class FullDisk : public TitleWrite
{
protected:
    void SetUp() override
    {
        TitleWrite::SetUp();
        m_mount = dir.path() / "disk";
        std::filesystem::create_directory(m_mount);
        if (::mount("tmpfs", m_mount.c_str(), "tmpfs", 0, "size=64k") != 0)
            GTEST_SKIP() << "cannot mount a tmpfs here";
        m_mounted = true;
    }
    void TearDown() override
    {
        if (m_mounted)
            ::umount2(m_mount.c_str(), MNT_DETACH);
        TitleWrite::TearDown();
    }

    // Writes `bytes` (padded by the mdat to a whole page) and fills the disk.
    std::filesystem::path fullDiskWith(const std::string& moovTail)
    {
        const size_t plain = mp4::pspVideo(moovTail, 0).size();
        const std::string bytes = mp4::pspVideo(moovTail, 4096 - plain);
        const auto f = m_mount / "v.mp4";
        {
            const int fd = ::open(f.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
            EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
            ::close(fd);
        }
        const int fd = ::open((m_mount / "filler").c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        const std::string block(4096, 'f');
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        ::close(fd);
        return f;
    }

    std::filesystem::path m_mount;
    bool m_mounted = false;
};

TEST_F(FullDisk, WriteErrorsAreReportedAndUndone)
{
    auto f = fullDiskWith(mp4::usmt(u"Hello"));
    std::string before = readFileBytes(f);
    ASSERT_EQ(before.size(), 4096u);
    EXPECT_EQ(setTitle(f, "A much longer title than before"), 0);
    EXPECT_EQ(title_outcome, TITLE_WRITE_FAILED);
    EXPECT_EQ(title_errno, ENOSPC);
    EXPECT_EQ(readFileBytes(f), before);
    // A shorter title needs no space.
    EXPECT_EQ(setTitle(f, "Hi"), 1);
    EXPECT_EQ(titleOf(f), "Hi");

    std::filesystem::remove(m_mount / "filler");
    f = fullDiskWith("");
    before = readFileBytes(f);
    EXPECT_EQ(setTitle(f, "New"), 0);
    EXPECT_EQ(title_outcome, TITLE_WRITE_FAILED);
    EXPECT_EQ(readFileBytes(f), before);
}

} // namespace

namespace {

TEST_F(TitleWrite, NoTitleIsCreatedWhereItWouldNotBeRead)
{
    // The walk of moov ends at a 21st track, or at bytes that are no atom:
    // a title appended behind them would never be found.
    std::string tracks;
    for (int i = 0; i < 20; ++i)
        tracks += mp4::trak();
    expectRefused(mp4::pspVideo(tracks), "New", TITLE_BAD_MOOV);
    expectRefused(mp4::pspVideo(std::string("\0\0\0", 3)), "New", TITLE_BAD_MOOV);
    expectRefused(mp4::pspVideo(mp4::be32(4) + "free"), "New", TITLE_BAD_MOOV);
    // A last child that runs to the end of moov would swallow the new atom.
    expectRefused(mp4::pspVideo(mp4::atomToEnd("free", "pad")), "New", TITLE_BAD_MOOV);
    expectRefused(mp4::pspVideo(mp4::atom("dinf", mp4::atomToEnd("free", "pad"))), "New", TITLE_BAD_MOOV);
}

} // namespace
