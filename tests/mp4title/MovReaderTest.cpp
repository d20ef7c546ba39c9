#include "mp4title/MovReader.h"
#include "mp4title/TitleCalls.h"

#include "Mp4Builder.h"
#include "TempDir.h"
#include "TitleTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>

using titletest::getTitle;
using titletest::titleOf;

namespace {

int probe(const std::string& bytes)
{
    std::string copy = bytes;
    ProbeData pd = {"x.mp4", reinterpret_cast<unsigned char*>(copy.data()), static_cast<int>(copy.size())};
    return mov_probe_atoms(&pd);
}

TEST(MovProbe, ScoresByTopLevelTags)
{
    EXPECT_EQ(probe(mp4::atom("ftyp", std::string(16, 'a')) + mp4::atom("moov", "")), 100);
    EXPECT_EQ(probe(mp4::atom("free", std::string(8, 'a'))), 95);
    EXPECT_EQ(probe(mp4::atom("ftyp", std::string(16, 'a')) + mp4::atom("abcd", "")), 50);
    EXPECT_EQ(probe(mp4::atom("abcd", std::string(16, 'a'))), 0);
    EXPECT_EQ(probe(mp4::atom("moov", std::string(4, 'a'))), 0); // exactly 12 bytes
    // A zero size cannot advance the probe: it ends with what it has.
    EXPECT_EQ(probe(mp4::be32(0) + "skip" + std::string(32, 'a')), 50);
    // A size that jumps beyond the sample ends it as well.
    EXPECT_EQ(probe(mp4::be32(0xFFFFFFF0u) + "uuid" + std::string(32, 'a')), 50);
}

TEST(MovProbe, OpenInputRejectsWhatIsNotMp4)
{
    register_all();
    TempDir dir;
    FormatContext* ctx = nullptr;
    EXPECT_EQ(open_input(&ctx, dir.write("a.mp4", mp4::atom("abcd", std::string(40, 'x'))).c_str(), nullptr, 0, nullptr),
              FMT_ERR_NOFMT);
    EXPECT_EQ(open_input(&ctx, dir.write("b.mp4", "").c_str(), nullptr, 0, nullptr), FMT_ERR_NOFMT);
    EXPECT_EQ(open_input(&ctx, (dir.str() + "/missing.mp4").c_str(), nullptr, 0, nullptr), FMT_ERR_IO);
    EXPECT_EQ(open_input(&ctx, dir.write("c.mp4", mp4::pspVideo("")).c_str(), nullptr, 0, nullptr), 0);
    // A .dat file is probed at byte 70628.
    const std::string video = mp4::pspVideo(mp4::usmt(u"Dat"));
    EXPECT_EQ(open_input(&ctx, dir.write("d.dat", video).c_str(), nullptr, 0, nullptr), FMT_ERR_NOFMT);
    EXPECT_EQ(open_input(&ctx, dir.write("e.DAT", std::string(70628, '\0') + mp4::atom("moov", mp4::mvhd())).c_str(), nullptr,
                         0, nullptr),
              0);
}

TEST(MovWalk, SizeFieldsZeroAndOne)
{
    TempDir dir;
    // A 64-bit sized mdat before moov, and a moov whose size runs to the end of the file.
    const auto a = dir.write("a.mp4", mp4::ftyp() + mp4::atom64("mdat", std::string(100, 'm'))
                                          + mp4::atomToEnd("moov", mp4::mvhd() + mp4::usmt(u"Zero")));
    EXPECT_EQ(titleOf(a), "Zero");
    // 64-bit moov and title atom sizes read as well.
    const auto b = dir.write("b.mp4", mp4::ftyp() + mp4::atom64("moov", mp4::mvhd() + mp4::usmt(u"Wide")));
    EXPECT_EQ(titleOf(b), "Wide");
    // A child running to the end of its parent inside moov.
    const std::string usmt = mp4::usmt(u"Inner");
    const auto c = dir.write("c.mp4", mp4::ftyp() + mp4::atom("moov", mp4::mvhd() + mp4::atomToEnd("uuid", usmt.substr(8))));
    EXPECT_EQ(titleOf(c), "Inner");
}

TEST(MovWalk, BadSizesEndTheWalkCleanly)
{
    TempDir dir;
    // Size fields 2 to 7 would move the walk backwards.
    for (uint32_t size = 2; size < 8; ++size) {
        const auto f = dir.write("s.mp4", mp4::ftyp() + mp4::atom("moov", mp4::be32(size) + "free" + mp4::usmt(u"X")));
        const auto r = getTitle(f);
        EXPECT_EQ(r.result, 1);
        EXPECT_EQ(r.buffer, std::string(512, '\0'));
    }
    // A child claiming more than the file holds.
    const auto g = dir.write("g.mp4", mp4::ftyp() + mp4::atom("moov", mp4::be32(0xFFFFFF00u) + "trak" + mp4::mvhd()));
    EXPECT_EQ(getTitle(g).result, 1);
}

TEST(MovWalk, NestingDepthIsBounded)
{
    TempDir dir;
    std::string nest = mp4::usmt(u"Deep");
    for (int i = 0; i < 3000; ++i)
        nest = mp4::atom(i % 2 ? "dinf" : "mdia", nest);
    const auto f = dir.write("deep.mp4", mp4::ftyp() + mp4::atom("moov", nest));
    const auto r = getTitle(f);
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.buffer, std::string(512, '\0'));

    // A few levels are fine: a title atom inside a container of moov is read.
    std::string shallow = mp4::usmt(u"Shallow");
    for (int i = 0; i < 10; ++i)
        shallow = mp4::atom("dinf", shallow);
    EXPECT_EQ(titleOf(dir.write("shallow.mp4", mp4::ftyp() + mp4::atom("moov", shallow))), "Shallow");
}

TEST(MovWalk, TwentyFirstTrackEndsTheWalk)
{
    TempDir dir;
    std::string tracks;
    for (int i = 0; i < 19; ++i) // pspVideo has one already
        tracks += mp4::trak();
    EXPECT_EQ(titleOf(dir.write("20.mp4", mp4::pspVideo(tracks + mp4::usmt(u"T20")))), "T20");
    EXPECT_EQ(titleOf(dir.write("21.mp4", mp4::pspVideo(tracks + mp4::trak() + mp4::usmt(u"T21")))), "");
}

TEST(MovWalk, NothingAfterTheFirstMoovIsRead)
{
    TempDir dir;
    const auto f = dir.write("two.mp4", mp4::ftyp() + mp4::atom("moov", mp4::mvhd()) + mp4::atom("moov", mp4::usmt(u"Late")));
    const auto r = getTitle(f);
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.buffer, std::string(512, '\0'));
    // A file with mdat but no moov: not an error of the format, but no moov.
    EXPECT_EQ(getTitle(dir.write("mdat.mp4", mp4::ftyp() + mp4::atom("mdat", "abc"))).result, 0);
}

TEST(MovWalk, MissingOrZeroTimeScaleDoesNotDivide)
{
    TempDir dir;
    std::string mvhd = mp4::mvhd();
    for (int i = 20; i < 24; ++i)
        mvhd[static_cast<size_t>(i)] = '\0'; // time scale 0
    EXPECT_EQ(titleOf(dir.write("ts.mp4", mp4::ftyp() + mp4::atom("moov", mvhd + mp4::trak() + mp4::usmt(u"TS")))), "TS");
    EXPECT_EQ(titleOf(dir.write("nomvhd.mp4", mp4::ftyp() + mp4::atom("moov", mp4::trak() + mp4::usmt(u"NM")))), "NM");
}

TEST(MovWalk, HostileTableCountsAreRefused)
{
    TempDir dir;
    const std::string stbl = mp4::atom("stco", mp4::be32(0) + mp4::be32(0xFFFFFFFFu))
        + mp4::atom("stsz", mp4::be32(0) + mp4::be32(0) + mp4::be32(0x7FFFFFFFu))
        + mp4::atom("stts", mp4::be32(0) + mp4::be32(0x1FFFFFFEu)) + mp4::atom("avcC", std::string(4, 'a'))
        + mp4::be32(0x3FFFFFFFu) + "SMI " + std::string(16, 's');
    // A table whose atom claims far more than the file holds is not read on past the end.
    const std::string past = mp4::be32(0xFFFFFFF0u) + "stss" + mp4::be32(0) + mp4::be32(0x0FFFFFFFu);
    const auto f = dir.write("tables.mp4", mp4::ftyp()
                                               + mp4::atom("moov", mp4::mvhd() + mp4::atom("trak", mp4::atom("stbl", stbl))
                                                                       + mp4::usmt(u"Tables")));
    EXPECT_EQ(getTitle(f).result, 1);
    const auto g = dir.write("past.mp4", mp4::ftyp() + mp4::atom("moov", mp4::trak() + mp4::atom("trak", mp4::atom("stbl", past))));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(getTitle(g).result, 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

} // namespace
