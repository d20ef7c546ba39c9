#include "mp4title/TitleCalls.h"

#include "Mp4Builder.h"
#include "TempDir.h"
#include "TitleTestSupport.h"

#include <gtest/gtest.h>

#include <random>

using titletest::getTitle;
using titletest::titleOf;
using titletest::kData;
using titletest::withTitleEntryData;

namespace {

TEST(TitleRead, CopiesTheStoredByteCount)
{
    TempDir dir;
    const auto f = dir.write("hello.mp4", mp4::pspVideo(mp4::usmt(u"Hello")));
    std::string buffer(512, '\x7F');
    EXPECT_EQ(GetTitleName(f.c_str(), buffer.data()), 1);
    // Entry size 22: twelve bytes, the title, its terminator and zeros.
    EXPECT_EQ(buffer.substr(0, 13), std::string("Hello\0\0\0\0\0\0\0\x7F", 13));
    EXPECT_EQ(nTitleSize, 12);
}

TEST(TitleRead, NoTitleLeavesTheBufferAlone)
{
    TempDir dir;
    const auto cases = {
        mp4::pspVideo(""),                                                     // no uuid at all
        mp4::pspVideo(withTitleEntryData("")),                                 // empty title entry (size 10)
        mp4::pspVideo(mp4::usmtWithEntries({mp4::mtdtEntry(4, 0x15C7, 1, mp4::utf16be(u"an encoder name that is long enough"))})),
        mp4::pspVideo(mp4::atom("uuid", mp4::usmtUuid() + std::string(76, 'u'))),  // 92 payload bytes: a leaf
    };
    for (const auto& bytes : cases) {
        const auto r = getTitle(dir.write("v.mp4", bytes));
        EXPECT_EQ(r.result, 1);
        EXPECT_EQ(r.buffer, std::string(512, '\0'));
    }
}

TEST(TitleRead, ThePspAtomIsFoundAmongOthers)
{
    TempDir dir;
    // A 92-byte uuid is skipped and the walk goes on to the next child.
    const std::string small = mp4::atom("uuid", mp4::usmtUuid() + std::string(76, 'u'));
    EXPECT_EQ(titleOf(dir.write("a.mp4", mp4::pspVideo(small + mp4::usmt(u"After")))), "After");
    // Another vendor's large uuid atom is an ordinary leaf.
    const std::string foreign = mp4::atom("uuid", std::string("PROF\x21\xD2\x4F\xCE\xBB\x88\x69\x5C\xFA\xC9\xC7\x40", 16)
                                                      + std::string(200, '\x01'));
    EXPECT_EQ(titleOf(dir.write("b.mp4", mp4::pspVideo(foreign + mp4::usmt(u"Mine")))), "Mine");
    // The USMT UUID without an MTDT atom is not the title atom either.
    const std::string noMtdt = mp4::atom("uuid", mp4::usmtUuid() + mp4::atom("XXXX", std::string(120, '\0')));
    EXPECT_EQ(titleOf(dir.write("c.mp4", mp4::pspVideo(noMtdt + mp4::usmt(u"Second")))), "Second");
    // A title atom inside a track that comes first is taken.
    const std::string trak = mp4::atom("trak", mp4::usmt(u"InTrak"));
    EXPECT_EQ(titleOf(dir.write("d.mp4", mp4::ftyp() + mp4::atom("moov", trak + mp4::usmt(u"Top")))), "InTrak");
    // Before moov a title atom means nothing.
    EXPECT_EQ(titleOf(dir.write("e.mp4", mp4::ftyp() + mp4::usmt(u"Early") + mp4::atom("moov", mp4::mvhd()))), "");
    // The title entry is found by type, whatever the encoder entry looks like.
    const std::string odd = mp4::usmtWithEntries({mp4::mtdtEntry(4, 0x15C7, 1, mp4::utf16be(u"an encoder of some length")),
                                                  mp4::mtdtEntry(1, 0x2A0E, 1, mp4::utf16be(u"Typed"))},
                                                 7);
    EXPECT_EQ(titleOf(dir.write("f.mp4", mp4::pspVideo(odd))), "Typed");
}

TEST(TitleRead, BufferIsNeverOverrun)
{
    TempDir dir;
    // 200 three-byte characters: 600 bytes of UTF-8 for a 512-byte buffer.
    const std::u16string title(200, u'\u65E5');
    const auto f = dir.write("cjk.mp4", mp4::pspVideo(mp4::usmt(title)));
    std::string buffer(600, '\0');
    std::fill(buffer.begin() + 512, buffer.end(), 'G');
    EXPECT_EQ(GetTitleName(f.c_str(), buffer.data()), 1);
    EXPECT_EQ(buffer.substr(512), std::string(88, 'G'));
    std::string expected;
    for (int i = 0; i < 170; ++i)
        expected += "\xE6\x97\xA5";
    EXPECT_EQ(std::string(buffer.c_str()), expected); // 510 bytes: cut before a whole character
    EXPECT_EQ(buffer[510], '\0');
}

TEST(TitleRead, MalformedTitleEntries)
{
    TempDir dir;
    // Odd entry size: the odd byte is ignored.
    EXPECT_EQ(titleOf(dir.write("odd.mp4", mp4::pspVideo(withTitleEntryData(mp4::utf16be(u"Odd") + "\x41")))), "Odd");
    // No terminator: the text ends with the entry.
    EXPECT_EQ(titleOf(dir.write("noterm.mp4", mp4::pspVideo(withTitleEntryData(mp4::utf16be(u"Open", false))))), "Open");
    // The last entry, unterminated, right at the end of the atom and the file.
    const std::u16string edge = u"Edge of the atom, and of the file too";
    const std::string last = mp4::usmtWithEntries({mp4::mtdtEntry(1, 0x2A0E, 1, mp4::utf16be(edge, false))});
    EXPECT_EQ(titleOf(dir.write("last.mp4", mp4::ftyp() + mp4::atom("moov", mp4::mvhd() + last))),
              "Edge of the atom, and of the file too");
    // An entry whose size runs past the atom is not read, even when media data follows.
    std::string overrun = mp4::usmt(u"Over");
    overrun[86] = '\x7F'; // title entry size 0x7F16
    EXPECT_EQ(titleOf(dir.write("over.mp4", mp4::pspVideo(overrun))), "");
    const std::string media = mp4::atom("mdat", std::string(40000, 'A'));
    EXPECT_EQ(titleOf(dir.write("fast.mp4", mp4::ftyp() + mp4::atom("moov", mp4::mvhd() + overrun) + media)), "");
    // An entry smaller than its head ends the entry walk.
    std::string tiny = mp4::usmt(u"Tiny");
    tiny[46] = '\0';
    tiny[47] = '\x04';
    EXPECT_EQ(titleOf(dir.write("tiny.mp4", mp4::pspVideo(tiny))), "");
    // An MTDT size that ends before the title entry hides it.
    std::string shortMtdt = mp4::usmt(u"Hidden");
    shortMtdt[24] = shortMtdt[25] = shortMtdt[26] = '\0';
    shortMtdt[27] = '\x40';
    EXPECT_EQ(titleOf(dir.write("mtdt.mp4", mp4::pspVideo(shortMtdt))), "");
}

TEST(TitleRead, TextIsConverted)
{
    TempDir dir;
    EXPECT_EQ(titleOf(dir.write("a.mp4", mp4::pspVideo(mp4::usmt(u"Caf\u00e9 \u65e5\u672c")))), "Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC");
    EXPECT_EQ(titleOf(dir.write("b.mp4", mp4::pspVideo(mp4::usmt(u"\U0001F3AC!")))), "\xF0\x9F\x8E\xAC!");
    // Lone surrogates become "?".
    const std::u16string lone = {u'a', char16_t(0xD800), u'b', char16_t(0xDC00)};
    EXPECT_EQ(titleOf(dir.write("c.mp4", mp4::pspVideo(mp4::usmt(lone)))), "a?b?");
    for (size_t units : {122u, 123u, 255u})
        EXPECT_EQ(titleOf(dir.write("long.mp4", mp4::pspVideo(mp4::usmt(std::u16string(units, u'a'))))), std::string(units, 'a'));
}

TEST(TitleRead, FfmpegPspFiles)
{
    EXPECT_EQ(titleOf(kData / "hello.mp4"), "Hello");
    EXPECT_EQ(titleOf(kData / "non-ascii.mp4"), "Caf\xC3\xA9 \xC3\x84\xC3\x96\xC3\x9C \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E");
    EXPECT_EQ(titleOf(kData / "faststart.mp4"), "Fast start");
    const auto none = getTitle(kData / "no-title.mp4");
    EXPECT_EQ(none.result, 1);
    EXPECT_EQ(none.buffer, std::string(512, '\0'));
}

TEST(TitleRead, TruncatedAndGarbageFilesReadCleanly)
{
    TempDir dir;
    const std::string whole = readFileBytes(kData / "hello.mp4");
    for (size_t n = 0; n < whole.size(); n += 4) {
        const auto r = getTitle(dir.write("cut" + std::to_string(n) + ".mp4", whole.substr(0, n)));
        const std::string title(r.buffer.c_str());
        EXPECT_TRUE(title.empty() || title == "Hello") << n;
    }
    std::mt19937 random(1234);
    for (int i = 0; i < 200; ++i) {
        std::string bytes = whole;
        for (int k = 0; k < 8; ++k)
            bytes[random() % bytes.size()] = static_cast<char>(random());
        const auto r = getTitle(dir.write("noise" + std::to_string(i) + ".mp4", bytes));
        EXPECT_LE(std::string(r.buffer.c_str()).size(), 511u);
    }
}

TEST(TitleRead, FilesOfSeveralGiB)
{
    TempDir dir;
    // ftyp, a 3 GiB mdat with a 32-bit size, then moov: the moov lies beyond 2 GiB.
    const std::string head = mp4::ftyp();
    const int64_t mdat = int64_t(3) << 30;
    const auto f = dir.path() / "big.mp4";
    titletest::writeSparse(f, head + mp4::be32(static_cast<uint32_t>(mdat)) + "mdat", static_cast<int64_t>(head.size()) + mdat,
                           mp4::atom("moov", mp4::mvhd() + mp4::usmt(u"Three")));
    EXPECT_EQ(titleOf(f), "Three");
    // A 64-bit mdat of 5 GiB.
    const auto g = dir.path() / "bigger.mp4";
    const int64_t mdat64 = int64_t(5) << 30;
    titletest::writeSparse(g, head + mp4::be32(1) + "mdat" + mp4::be64(static_cast<uint64_t>(mdat64)),
                           static_cast<int64_t>(head.size()) + mdat64, mp4::atom("moov", mp4::mvhd() + mp4::usmt(u"Five")));
    EXPECT_EQ(titleOf(g), "Five");
}

} // namespace
