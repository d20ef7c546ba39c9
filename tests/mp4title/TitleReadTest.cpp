// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "mp4title/ByteStream.h"
#include "mp4title/MovReader.h"
#include "mp4title/TitleCalls.h"

#include "TitleTestSupport.h"

#include <gtest/gtest.h>

#include <random>

using titletest::getTitle;
using titletest::kData;
using titletest::titleOf;
using titletest::withTitleEntryData;

namespace {

TEST(ByteStream, ProtocolsReadsAndSeeks)
{
    register_all();
    TempDir dir;
    std::string content;
    for (int i = 0; i < 100000; ++i)
        content += static_cast<char>(i * 7);
    const auto file = dir.write("data.bin", content);
    const auto at = [&](size_t pos) { return static_cast<unsigned char>(content[pos]); };
    ProtocolHandle* h = nullptr;
    ASSERT_EQ(protocol_open(&h, ("file:" + file.string()).c_str(), URL_RDONLY), 0);
    EXPECT_STREQ(h->protocol->name, "file");
    unsigned char b[4];
    ASSERT_EQ(protocol_read(h, b, 4), 4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(b), 4), content.substr(0, 4));
    EXPECT_EQ(protocol_write(h, b, 1), MP4_ERR_IO); // a read-only handle refuses writes
    protocol_close(h);
    EXPECT_EQ(protocol_open(&h, "http://example/video.mp4", URL_RDONLY), MP4_ERR_IO);
    EXPECT_EQ(h, nullptr);
    // One letter and a colon is a drive letter: the file protocol, which cannot find it.
    EXPECT_EQ(protocol_open(&h, "E:video.mp4", URL_RDONLY), MP4_ERR_IO);
    EXPECT_EQ(protocol_open(&h, (dir.str() + "/missing.mp4").c_str(), URL_RDONLY), MP4_ERR_IO);

    ByteStream s;
    ASSERT_EQ(stream_open(&s, file.c_str(), URL_RDONLY), 0);
    std::string got(content.size(), '\0');
    auto* out = reinterpret_cast<unsigned char*>(got.data());
    EXPECT_EQ(read_bytes(&s, out, 5), 5);
    EXPECT_EQ(read_bytes(&s, out + 5, 70000), 70000);
    EXPECT_EQ(read_bytes(&s, out + 70005, 40000), 29995);
    EXPECT_EQ(got, content);
    EXPECT_TRUE(stream_eof(&s));
    EXPECT_EQ(read_u8(&s), 0);
    // read_be32 two bytes before the end: the bytes that exist, then zeros.
    stream_seek(&s, static_cast<int64_t>(content.size()) - 2, SEEK_SET);
    EXPECT_EQ(read_be32(&s), (unsigned(at(content.size() - 2)) << 24) | (unsigned(at(content.size() - 1)) << 16));
    // Seeks within the buffer and beyond it.
    stream_seek(&s, 0, SEEK_SET);
    read_u8(&s);
    EXPECT_EQ(stream_seek(&s, STREAM_BUFFER_SIZE, SEEK_SET), STREAM_BUFFER_SIZE); // exactly the end
    EXPECT_EQ(stream_seek(&s, -100, SEEK_CUR), STREAM_BUFFER_SIZE - 100);
    EXPECT_EQ(read_u8(&s), at(STREAM_BUFFER_SIZE - 100));
    EXPECT_EQ(stream_tell(&s), STREAM_BUFFER_SIZE - 99);
    EXPECT_EQ(stream_seek(&s, 0, SEEK_END), MP4_ERR_INVAL);
    EXPECT_EQ(stream_seek(&s, 90000, SEEK_SET), 90000);
    EXPECT_EQ(read_u8(&s), at(90000));
    stream_close(&s);

    // A read-write stream still reads after a flush.
    edit_mode = 1;
    ASSERT_EQ(stream_open(&s, file.c_str(), URL_RDWR), 0);
    edit_mode = 0;
    write_tag(&s, "moov");
    stream_flush(&s);
    auto* handle = static_cast<ProtocolHandle*>(s.opaque);
    ASSERT_EQ(protocol_seek(handle, 0, SEEK_SET), 0);
    EXPECT_EQ(protocol_read(handle, b, 4), 4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(b), 4), "moov");
    stream_close(&s);
}

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
    // A zero size, or one beyond the sample, ends the probe with what it has.
    EXPECT_EQ(probe(mp4::be32(0) + "skip" + std::string(32, 'a')), 50);
    EXPECT_EQ(probe(mp4::be32(0xFFFFFFF0u) + "uuid" + std::string(32, 'a')), 50);
}

TEST(MovProbe, OpenInputProbesDatFilesAtTheirMediaHead)
{
    register_all();
    TempDir dir;
    FormatContext* ctx = nullptr;
    const std::string video = mp4::pspVideo(""), lateMoov = std::string(70628, '\0') + mp4::atom("moov", mp4::mvhd());
    EXPECT_EQ(open_input(&ctx, dir.write("a.mp4", mp4::atom("abcd", std::string(40, 'x'))).c_str(), nullptr, 0, nullptr), FMT_ERR_NOFMT);
    EXPECT_EQ(open_input(&ctx, dir.write("c.mp4", video).c_str(), nullptr, 0, nullptr), 0);
    EXPECT_EQ(open_input(&ctx, dir.write("d.dat", video).c_str(), nullptr, 0, nullptr), FMT_ERR_NOFMT);
    EXPECT_EQ(open_input(&ctx, dir.write("e.DAT", lateMoov).c_str(), nullptr, 0, nullptr), 0);
}

struct ReadCase {
    std::string name;
    std::string bytes;
    std::string title;
    int result = 1;
};

std::string nested(std::string inner, int levels, bool alternate)
{
    for (int i = 0; i < levels; ++i)
        inner = mp4::atom(alternate && i % 2 ? "mdia" : "dinf", inner);
    return inner;
}

std::vector<ReadCase> readCases()
{
    using mp4::atom, mp4::ftyp, mp4::mvhd, mp4::pspVideo, mp4::usmt;
    std::string tracks;
    for (int i = 0; i < 19; ++i) // pspVideo has one already
        tracks += mp4::trak();
    std::string zeroScale = mvhd();
    zeroScale.replace(20, 4, std::string(4, '\0'));
    const std::string smallUsmt = atom("uuid", mp4::usmtUuid() + std::string(76, 'u')); // 92 payload bytes: a leaf
    const std::string foreign = atom("uuid", std::string("PROF\x21\xD2\x4F\xCE\xBB\x88\x69\x5C\xFA\xC9\xC7\x40", 16) + std::string(200, '\x01'));
    const std::string noMtdt = atom("uuid", mp4::usmtUuid() + atom("XXXX", std::string(120, '\0')));
    const std::string oddEncoder = mp4::usmtWithEntries(
        {mp4::mtdtEntry(4, 0x15C7, 1, mp4::utf16be(u"an encoder of some length")), mp4::mtdtEntry(1, 0x2A0E, 1, mp4::utf16be(u"Typed"))}, 7);
    const std::string edge = mp4::usmtWithEntries({mp4::mtdtEntry(1, 0x2A0E, 1, mp4::utf16be(u"Edge of the atom, and of the file too", false))});
    std::string overrun = usmt(u"Over");
    overrun[86] = '\x7F'; // title entry size 0x7F16
    std::string tiny = usmt(u"Tiny");
    tiny.replace(46, 2, std::string("\0\x04", 2));
    std::string shortMtdt = usmt(u"Hidden");
    shortMtdt.replace(24, 4, mp4::be32(0x40)); // ends before the title entry
    const std::u16string lone = {u'a', char16_t(0xD800), u'b', char16_t(0xDC00)};
    // Table counts far beyond the file, and a table atom claiming far more
    // than the file holds, are neither allocated nor read on past the end.
    const std::string hostile = atom("stco", mp4::be32(0) + mp4::be32(0xFFFFFFFFu))
        + atom("stsz", mp4::be32(0) + mp4::be32(0) + mp4::be32(0x7FFFFFFFu)) + atom("stts", mp4::be32(0) + mp4::be32(0x1FFFFFFEu))
        + atom("avcC", std::string(4, 'a')) + mp4::be32(0x3FFFFFFFu) + "SMI " + std::string(16, 's');
    const std::string past = mp4::be32(0xFFFFFFF0u) + "stss" + mp4::be32(0) + mp4::be32(0x0FFFFFFFu);

    std::vector<ReadCase> cases = {
        {"64-bit mdat, moov to the end", ftyp() + mp4::atom64("mdat", std::string(100, 'm')) + mp4::atomToEnd("moov", mvhd() + usmt(u"Zero")), "Zero"},
        {"64-bit moov and title atom", ftyp() + mp4::atom64("moov", mvhd() + mp4::atom64("uuid", usmt(u"Wide").substr(8))), "Wide"},
        {"title atom to the end of moov", ftyp() + atom("moov", mvhd() + mp4::atomToEnd("uuid", usmt(u"Inner").substr(8))), "Inner"},
        {"a child past the file", ftyp() + atom("moov", mp4::be32(0xFFFFFF00u) + "trak" + mvhd()), ""},
        {"3000 levels deep", ftyp() + atom("moov", nested(usmt(u"Deep"), 3000, true)), ""},
        {"10 levels deep", ftyp() + atom("moov", nested(usmt(u"Shallow"), 10, false)), "Shallow"},
        {"20 tracks", pspVideo(tracks + usmt(u"T20")), "T20"},
        {"21 tracks", pspVideo(tracks + mp4::trak() + usmt(u"T21")), ""},
        {"a second moov", ftyp() + atom("moov", mvhd()) + atom("moov", usmt(u"Late")), ""},
        {"mdat without moov", ftyp() + atom("mdat", "abc"), "", 0},
        {"time scale 0", ftyp() + atom("moov", zeroScale + mp4::trak() + usmt(u"TS")), "TS"},
        {"no mvhd", ftyp() + atom("moov", mp4::trak() + usmt(u"NM")), "NM"},
        {"no uuid", pspVideo(""), ""},
        {"empty title entry", pspVideo(withTitleEntryData("")), ""},
        {"no title entry", pspVideo(mp4::usmtWithEntries({mp4::mtdtEntry(4, 0x15C7, 1, mp4::utf16be(u"an encoder name that is long enough"))})), ""},
        {"92-byte title atom", pspVideo(smallUsmt), ""},
        {"after a 92-byte title atom", pspVideo(smallUsmt + usmt(u"After")), "After"},
        {"after another vendor's uuid", pspVideo(foreign + usmt(u"Mine")), "Mine"},
        {"after a USMT uuid without MTDT", pspVideo(noMtdt + usmt(u"Second")), "Second"},
        {"in a track first", ftyp() + atom("moov", atom("trak", usmt(u"InTrak")) + usmt(u"Top")), "InTrak"},
        {"before moov", ftyp() + usmt(u"Early") + atom("moov", mvhd()), ""},
        {"title entry found by type", pspVideo(oddEncoder), "Typed"},
        {"odd entry size", pspVideo(withTitleEntryData(mp4::utf16be(u"Odd") + "\x41")), "Odd"},
        {"unterminated", pspVideo(withTitleEntryData(mp4::utf16be(u"Open", false))), "Open"},
        {"unterminated at the end of the file", ftyp() + atom("moov", mvhd() + edge), "Edge of the atom, and of the file too"},
        {"entry past its atom", pspVideo(overrun), ""},
        {"entry past its atom into media", ftyp() + atom("moov", mvhd() + overrun) + atom("mdat", std::string(40000, 'A')), ""},
        {"entry below its head", pspVideo(tiny), ""},
        {"MTDT ends before the title", pspVideo(shortMtdt), ""},
        {"non-ASCII", pspVideo(usmt(u"Caf\u00e9 \u65e5\u672c")), "Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC"},
        {"surrogate pair", pspVideo(usmt(u"\U0001F3AC!")), "\xF0\x9F\x8E\xAC!"},
        {"lone surrogates", pspVideo(usmt(lone)), "a?b?"},
        {"hostile table counts", ftyp() + atom("moov", mvhd() + atom("trak", atom("stbl", hostile)) + usmt(u"Tables")), "Tables"},
        {"table past the file", ftyp() + atom("moov", mp4::trak() + atom("trak", atom("stbl", past))), ""},
        {"ffmpeg", readFileBytes(kData / "hello.mp4"), "Hello"},
        {"ffmpeg non-ASCII", readFileBytes(kData / "non-ascii.mp4"), "Caf\xC3\xA9 \xC3\x84\xC3\x96\xC3\x9C \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"},
        {"ffmpeg fast start", readFileBytes(kData / "faststart.mp4"), "Fast start"},
        {"ffmpeg without title", readFileBytes(kData / "no-title.mp4"), ""},
    };
    // Size fields 2 to 7 would move the walk backwards.
    for (uint32_t size = 2; size < 8; ++size)
        cases.push_back({"size field " + std::to_string(size), ftyp() + atom("moov", mp4::be32(size) + "free" + usmt(u"X")), ""});
    for (size_t units : {122u, 123u, 255u})
        cases.push_back({std::to_string(units) + " units", pspVideo(usmt(std::u16string(units, u'a'))), std::string(units, 'a')});
    return cases;
}

TEST(TitleRead, EveryShapeReadsItsTitleOrNone)
{
    TempDir dir;
    for (const ReadCase& c : readCases()) {
        const auto r = getTitle(dir.write("v.mp4", c.bytes));
        EXPECT_EQ(r.result, c.result) << c.name;
        EXPECT_EQ(r.buffer, c.title + std::string(512 - c.title.size(), '\0')) << c.name;
    }
}

TEST(TitleRead, CopiesTheStoredByteCountAndNeverOverruns)
{
    TempDir dir;
    const auto f = dir.write("hello.mp4", mp4::pspVideo(mp4::usmt(u"Hello")));
    std::string buffer(512, '\x7F');
    EXPECT_EQ(GetTitleName(f.c_str(), buffer.data()), 1);
    // Entry size 22: twelve bytes, the title, its terminator and zeros.
    EXPECT_EQ(buffer.substr(0, 13), std::string("Hello\0\0\0\0\0\0\0\x7F", 13));
    EXPECT_EQ(nTitleSize, 12);
    // 200 three-byte characters: 600 bytes of UTF-8, cut to 170 whole ones.
    const auto g = dir.write("cjk.mp4", mp4::pspVideo(mp4::usmt(std::u16string(200, u'\u65E5'))));
    buffer.assign(512, '\0');
    buffer.append(88, 'G');
    EXPECT_EQ(GetTitleName(g.c_str(), buffer.data()), 1);
    std::string expected;
    for (int i = 0; i < 170; ++i)
        expected += "\xE6\x97\xA5";
    EXPECT_EQ(buffer, expected + std::string(2, '\0') + std::string(88, 'G'));
}

TEST(TitleRead, GarbageAndHostileFilesReadCleanly)
{
    TempDir dir;
    const std::string whole = readFileBytes(kData / "hello.mp4");
    std::mt19937 random(1234);
    for (int i = 0; i < 200; ++i) {
        std::string bytes = whole;
        for (int k = 0; k < 8; ++k)
            bytes[random() % bytes.size()] = static_cast<char>(random());
        EXPECT_LE(titleOf(dir.write("noise.mp4", bytes)).size(), 511u);
    }
}

} // namespace
