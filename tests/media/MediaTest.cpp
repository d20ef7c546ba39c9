// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Mp4Builder.h"
#include "TempDir.h"

#include "media/Media.h"
#include "media/Mp4Facts.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <cstdlib>
#include <sys/stat.h>
#include <memory>

namespace {

QString qpath(const std::filesystem::path& p) { return QString::fromStdString(p.string()); }

// A source ffmpeg makes, and what the PSP makes of it.
struct Made
{
    const char* name;
    const char* ffmpeg; // arguments between the inputs and the output name
    std::vector<const char*> reasons; // empty: plays
    media::Verdict::Kind kind = media::Verdict::Kind::WontPlay;
};

void PrintTo(const Made& m, std::ostream* os) { *os << m.name; }

constexpr char kAudio[] = " -f lavfi -i sine=duration=0.4:sample_rate=48000 -ac 2 -c:a aac";
std::string video(const char* size, const char* rate = "30")
{
    return std::string("-f lavfi -i testsrc=size=") + size + ":rate=" + rate + ":duration=0.4";
}
// As the PSP presets: no B-pyramid, so the SPS asks for no more references than given.
constexpr char kMain[] = " -c:v libx264 -preset veryfast -profile:v main -x264-params b-pyramid=none";

class MadeTest : public testing::TestWithParam<Made>
{
public:
    static void SetUpTestSuite() { s_dir = std::make_unique<TempDir>(); }
    static void TearDownTestSuite() { s_dir.reset(); }

protected:
    static std::unique_ptr<TempDir> s_dir;
};
std::unique_ptr<TempDir> MadeTest::s_dir;

const Made kMade[] = {
    {"hd.mp4", "1920x1080|-c:v libx264 -preset veryfast -profile:v high|audio",
     {"H.264 High profile", "H.264 level 4.0 is above 3.0", "1920x1080 is larger than 480x272", "4 reference frames is more than 3"}},
    {"hevc.mp4", "320x240|-c:v libx265 -x265-params log-level=none -tag:v hvc1|audio", {"HEVC video"}},
    {"vp9.webm", "320x240|-c:v libvpx-vp9 -deadline realtime| -f lavfi -i sine=duration=0.4 -c:a libopus",
     {"WebM container", "VP9 video", "Opus audio"}},
    {"asp.avi", "320x240|-c:v mpeg4 -vtag XVID -bf 2| -f lavfi -i sine=duration=0.4 -c:a libmp3lame",
     {"AVI container", "MPEG-4 Part 2 Advanced Simple profile", "MP3 audio"}},
    {"fps60.mp4", "320x240@60|main|audio", {"60 fps is more than 30 fps"}},
    {"portrait.mp4", "480x272|main|audio|-metadata:s:v:0 rotate=90", {"rotated 90 degrees (the PSP plays it unrotated)"}},
    {"surround.mp4", "480x272|main| -f lavfi -i sine=duration=0.4:sample_rate=48000 -ac 6 -c:a aac",
     {"6 audio channels is more than 2"}},
    {"silent.mp4", "480x272|main|", {"no audio track"}},
    {"sliced.mp4", "480x272|main -slices 4|audio", {"4 slices per picture"}},
    {"cbr.mp4", "480x272|-c:v libx264 -preset veryfast -profile:v main -b:v 6M -maxrate 6M -bufsize 2M "
                "-x264-params b-pyramid=none:nal-hrd=cbr:force-cfr=1|audio", {"~ kbit/s is more than 4000 kbit/s"}},
    {"fragmented.mp4", "480x272|main -movflags frag_keyframe+empty_moov|audio", {"fragmented MP4"}},
    {"10bit.mp4", "480x272|-c:v libx264 -preset veryfast -profile:v high10 -x264-params b-pyramid=none -pix_fmt yuv420p10le|audio",
     {"H.264 High 10 profile", "10-bit video"}},
    {"psp.mp4", "480x272@30000/1001|main -level 3.0 -refs 3|audio", {}, media::Verdict::Kind::Plays},
    {"sp.mp4", "320x240@30000/1001|-c:v mpeg4 -profile:v 0|audio", {}, media::Verdict::Kind::Plays},
    {"fake.mp4", nullptr, {"not a video"}, media::Verdict::Kind::NotVideo},
};

// "SIZE[@RATE]|VIDEO|AUDIO[|REMUX]": main and audio stand for the usual choices;
// REMUX options are applied by a stream copy (how ffmpeg writes a rotation).
std::filesystem::path make(const TempDir& dir, const Made& m)
{
    if (!m.ffmpeg)
        return dir.write(m.name, "hello world\n");
    QStringList parts = QString::fromLatin1(m.ffmpeg).split(u'|');
    const QStringList size = parts[0].split(u'@');
    const QString codec = parts[1].startsWith(QLatin1String("main")) ? QLatin1String(kMain) + parts[1].mid(4) : parts[1];
    const QString audio = parts[2] == QLatin1String("audio") ? QLatin1String(kAudio) : parts[2];
    const auto out = dir.path() / m.name;
    const std::string first = parts.size() > 3 ? (dir.path() / ("pre-" + std::string(m.name))).string() : out.string();
    std::string command = "ffmpeg -hide_banner -loglevel error -y " + video(size[0].toLatin1().constData(), size.size() > 1 ? size[1].toLatin1().constData() : "30")
        + audio.toStdString() + " -pix_fmt yuv420p " + codec.toStdString() + " -shortest '" + first + "'";
    if (parts.size() > 3)
        command += " && ffmpeg -hide_banner -loglevel error -y -i '" + first + "' -c copy " + parts[3].toStdString() + " '" + out.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return out;
}

} // namespace

TEST_P(MadeTest, GivesEveryReason)
{
    const Made& m = GetParam();
    const media::Verdict v = media::judge(qpath(make(*s_dir, m)));
    // "~ TEXT": a reason that ends in TEXT, after a measured number.
    QStringList expected;
    for (const char* r : m.reasons) {
        const QString reason = QString::fromLatin1(r);
        const qsizetype at = reason.startsWith(u'~') ? v.reasons.indexOf(QRegularExpression(QStringLiteral("^\\d+") + QRegularExpression::escape(reason.mid(1)) + u'$')) : -1;
        expected << (at >= 0 ? v.reasons[at] : reason);
    }
    EXPECT_EQ(v.reasons.join(u'|').toStdString(), expected.join(u'|').toStdString()) << v.text().toStdString();
    EXPECT_EQ(v.kind, m.kind) << v.text().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Ffmpeg, MadeTest, testing::ValuesIn(kMade),
                         [](const auto& info) { return QString::fromLatin1(info.param.name).replace(u'.', u'_').toStdString(); });

TEST(MediaFactsTest, ReadsThePspFileWhole)
{
    TempDir dir;
    const auto path = make(dir, *std::find_if(std::begin(kMade), std::end(kMade), [](const Made& m) { return m.name == std::string("psp.mp4"); }));
    QString error;
    const auto facts = media::probe(qpath(path), &error);
    ASSERT_TRUE(facts) << error.toStdString();
    EXPECT_EQ(facts->container, u"mp4");
    EXPECT_EQ(facts->videoTracks, 1);
    EXPECT_EQ(facts->audioTracks, 1);
    ASSERT_TRUE(facts->video && facts->audio);
    const media::VideoFacts& v = *facts->video;
    EXPECT_EQ(v.codec, u"H.264");
    EXPECT_EQ(v.profile, u"Main");
    EXPECT_EQ(v.level, u"3.0");
    EXPECT_EQ(v.width, 480);
    EXPECT_EQ(v.height, 272);
    EXPECT_NEAR(v.displayAspect, 480.0 / 272.0, 0.001);
    EXPECT_NEAR(v.frameRate, 29.97, 0.001);
    EXPECT_EQ(v.entropy, u"CABAC");
    EXPECT_EQ(v.refFrames, 3);
    EXPECT_EQ(v.slices, 1);
    EXPECT_GT(facts->bitrate, 0);
    EXPECT_LT(facts->bitrate, 4000);
    EXPECT_EQ(v.chroma, u"4:2:0");
    EXPECT_EQ(facts->audio->profile, u"LC");
    EXPECT_EQ(facts->audio->sampleRate, 48000);
    EXPECT_EQ(facts->audio->channels, 2);
    EXPECT_EQ(facts->fileSize, std::filesystem::file_size(path));
}

namespace {

// Damaged and hostile MP4 files: a clean "can't judge" (or "not a video"), never a crash.
struct Hostile
{
    const char* name;
    std::string bytes;
    media::Verdict::Kind kind;
};

void PrintTo(const Hostile& h, std::ostream* os) { *os << h.name; }

std::string nested(int depth)
{
    std::string inner = mp4::atom("free", "");
    for (int i = 0; i < depth; ++i)
        inner = mp4::atom(i % 2 ? "mdia" : "trak", inner);
    return inner;
}

std::string stsdWith(const std::string& entry, const std::string& tables = {})
{
    const std::string stsd = mp4::atom("stsd", mp4::be32(0) + mp4::be32(1) + entry) + tables;
    const std::string hdlr = mp4::atom("hdlr", mp4::be32(0) + mp4::be32(0) + "vide" + std::string(12, '\0'));
    return mp4::atom("trak", mp4::atom("mdia", hdlr + mp4::atom("minf", mp4::atom("stbl", stsd))));
}

std::string avc1(const std::string& avcC)
{
    return mp4::atom("avc1", std::string(24, '\0') + mp4::be16(480) + mp4::be16(272) + std::string(50, '\0') + mp4::atom("avcC", avcC));
}

const std::uint32_t kMdatData = static_cast<std::uint32_t>(mp4::ftyp().size() + 8);

// An H.264 track whose first sample is said to lie at offset, size bytes long.
std::string firstSampleAt(std::uint32_t offset, std::uint32_t size, const std::string& mdat)
{
    const std::string avcC("\x01\x4D\x00\x1E\xFF\xE0\x00", 7);
    const std::string tables = mp4::atom("stco", mp4::be32(0) + mp4::be32(1) + mp4::be32(offset))
        + mp4::atom("stsz", mp4::be32(0) + mp4::be32(0) + mp4::be32(1) + mp4::be32(size));
    return mp4::ftyp() + mp4::atom("mdat", mdat) + mp4::atom("moov", stsdWith(avc1(avcC), tables));
}

using K = media::Verdict::Kind;
const Hostile kHostile[] = {
    {"empty", "", K::NotVideo},
    {"ftyp only", mp4::ftyp(), K::Unknown},
    {"moov claims 4 GiB", mp4::ftyp() + mp4::be32(0xFFFFFFF0u) + "moov" + mp4::mvhd(), K::Unknown},
    {"64-bit size past the end", mp4::ftyp() + mp4::be32(1) + "moov" + mp4::be64(~0ull >> 1) + mp4::mvhd(), K::Unknown},
    {"child larger than moov", mp4::ftyp() + mp4::atom("moov", mp4::be32(4096) + "trak" + mp4::mvhd()), K::Unknown},
    {"nested 40 deep", mp4::ftyp() + mp4::atom("moov", nested(40)), K::Unknown},
    {"nested 20 deep", mp4::ftyp() + mp4::atom("moov", nested(20)), K::NotVideo},
    {"size field 3", mp4::ftyp() + mp4::atom("moov", mp4::be32(3) + "trak" + mp4::mvhd()), K::Unknown},
    {"avcC lengths past the end",
     mp4::ftyp() + mp4::atom("moov", stsdWith(avc1(std::string("\x01\x64\x00\x28\xFF\xE1\xFF\xF0\x67", 9)))), K::WontPlay},
    {"avcC SPS of ones", mp4::ftyp() + mp4::atom("moov", stsdWith(avc1(std::string("\x01\x4D\x00\x1E\xFF\xE1\x00\x08\x67", 9) + std::string(8, '\xFF')))), K::WontPlay},
    {"stsd entry past stsd", mp4::ftyp() + mp4::atom("moov", stsdWith(mp4::be32(0x7FFFFFFF) + "avc1")), K::Unknown},
    {"garbage", std::string(4096, '\x5A'), K::NotVideo},
    {"first sample past the end", firstSampleAt(0x7FFFFFF0u, 0x7FFFFFF0u, ""), K::WontPlay},
    {"NAL length past the sample", firstSampleAt(kMdatData, 8, mp4::be32(0x7FFFFFFF) + std::string("\x65\x88", 2)), K::WontPlay},
    {"slices of empty NAL units", firstSampleAt(kMdatData, 64, std::string(64, '\0')), K::WontPlay},
};

class HostileTest : public testing::TestWithParam<Hostile>
{
};

} // namespace

TEST_P(HostileTest, EndsCleanly)
{
    const Hostile& h = GetParam();
    TempDir dir;
    const auto path = dir.write("video.mp4", h.bytes);
    const media::Verdict v = media::judge(qpath(path));
    EXPECT_EQ(v.kind, h.kind) << v.text().toStdString();
    EXPECT_EQ(v.kind == K::Unknown, !v.error.isEmpty());
    EXPECT_EQ(readFileBytes(path), h.bytes); // read only
    // The in-memory entry of the fuzz target agrees with the file.
    const media::mp4::Result r = media::mp4::readBytes(QByteArray::fromStdString(h.bytes));
    EXPECT_EQ(r.facts.has_value(), v.kind != K::Unknown && r.isMp4);
}

INSTANTIATE_TEST_SUITE_P(Mp4, HostileTest, testing::ValuesIn(kHostile), [](const auto& info) {
    std::string name = info.param.name;
    for (char& c : name)
        c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
});

TEST(MediaFactsTest, UnreadableFileCantBeJudged)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir.path() / "pipe.mp4").c_str(), 0600), 0); // no writer: a blocking open would never return
    for (const auto& path : {dir.path() / "missing.mp4", dir.path(), dir.path() / "pipe.mp4"}) {
        const media::Verdict v = media::judge(qpath(path));
        EXPECT_EQ(v.kind, K::Unknown);
        EXPECT_TRUE(v.text().startsWith(u"can't judge: can't open it")) << v.text().toStdString();
    }
}
