// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TempDir.h"

#include "convert/Convert.h"
#include "mp4title/Title.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string run(const std::string& command)
{
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;)
            out.append(buf, n);
        ::pclose(pipe);
    }
    return out;
}

// Makes a clip with ffmpeg (arguments between the input and the output name).
fs::path makeClip(const TempDir& dir, const std::string& name, const std::string& args)
{
    const fs::path path = dir.path() / name;
    run("ffmpeg -v error -y " + args + " '" + path.string() + "' 2>&1");
    return path;
}

using Fields = std::map<std::string, std::string>;
// One map per stream of ffprobe's description.
std::vector<Fields> probe(const fs::path& file)
{
    std::istringstream lines(run("ffprobe -v error -show_entries stream=codec_type,codec_name,profile,level,width,height,"
                                 "r_frame_rate,pix_fmt,sample_rate,channels -of compact '" + file.string() + "'"));
    std::vector<Fields> streams;
    for (std::string line; std::getline(lines, line);) {
        Fields fields;
        std::istringstream parts(line);
        for (std::string part; std::getline(parts, part, '|');) {
            const auto eq = part.find('=');
            if (eq != std::string::npos)
                fields[part.substr(0, eq)] = part.substr(eq + 1);
        }
        streams.push_back(fields);
    }
    return streams;
}

// Counts of H.264 header fields over the whole stream, as "name value".
std::map<std::string, int> traceHeaders(const fs::path& file)
{
    std::istringstream lines(run("ffmpeg -v trace -i '" + file.string()
                                 + "' -map 0:v -c copy -bsf:v trace_headers -f null - 2>&1"));
    std::map<std::string, int> counts;
    for (std::string line; std::getline(lines, line);) {
        for (const char* name : {"entropy_coding_mode_flag", "max_num_ref_frames", "first_mb_in_slice", "bottom_field_pic_order_in_frame_present_flag"}) {
            const auto at = line.find(std::string(" ") + name + " ");
            if (at == std::string::npos)
                continue;
            std::istringstream words(line.substr(at));
            std::string key, bits, value;
            words >> key >> bits >> value;
            ++counts[key + " " + line.substr(line.find_last_of(' ') + 1)];
        }
    }
    return counts;
}

// The grey value of column x, averaged over the middle row of the first picture.
int columnLuma(const fs::path& file, int width, int height, int x)
{
    const std::string raw = run("ffmpeg -v error -i '" + file.string() + "' -frames:v 1 -f rawvideo -pix_fmt gray -");
    if (raw.size() < static_cast<std::size_t>(width * height))
        return -1;
    int sum = 0;
    for (int y = height / 4; y < height * 3 / 4; ++y)
        sum += static_cast<unsigned char>(raw[y * width + x]);
    return sum / (height / 2);
}

struct Converted
{
    convert::ConvertResult result;
    fs::path out;
};

Converted convertFile(const TempDir& dir, const fs::path& in, const convert::Profile& profile, const std::string& name,
                      const convert::Limits& limits = {})
{
    Converted c;
    c.out = dir.path() / name;
    const int fd = ::open(c.out.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    convert::ConvertRequest request;
    request.input = QString::fromStdString(in.string());
    request.outputFd = fd;
    request.profile = &profile;
    request.title = QStringLiteral("Clip \u00e9t\u00e9 \u65e5\u672c");
    request.limits = limits;
    const std::atomic<bool> cancel{false};
    c.result = convert::convertVideo(request, cancel, {});
    ::close(fd);
    return c;
}

const char kTitle[] = "Clip \xc3\xa9t\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac";

struct Source
{
    const char* name;
    const char* file;
    const char* args;
    const char* avcRate; // the frame rate of the avc480 result
    bool wide;           // the mpeg4 result is 368x208
    int blackColumn;     // a column of the avc480 result that is a bar, or -1
    bool turn = false;   // the track's matrix turns it a quarter
};

// Sets the first track's matrix to a quarter turn, as a phone's portrait video has.
void turnFirstTrack(const fs::path& file)
{
    std::string bytes = readFileBytes(file);
    const std::size_t tkhd = bytes.find("tkhd");
    ASSERT_NE(tkhd, std::string::npos);
    const unsigned char matrix[36] = {0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0,
                                      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x40, 0, 0, 0};
    bytes.replace(tkhd + 44, sizeof matrix, reinterpret_cast<const char*>(matrix), sizeof matrix);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

const Source kSources[] = {
    {"H264High1080p", "a.mp4", "-f lavfi -i testsrc2=s=1920x1080:r=30:d=1 -f lavfi -i sine=d=1 -c:v libx264 -preset ultrafast -profile:v high -c:a aac", "30/1", true, -1},
    {"Hevc", "a.mp4", "-f lavfi -i testsrc2=s=640x360:r=25:d=1 -f lavfi -i sine=d=1 -c:v libx265 -x265-params log-level=none -c:a aac", "25/1", true, -1},
    {"Vp9Webm", "a.webm", "-f lavfi -i testsrc2=s=320x240:r=24000/1001:d=1 -f lavfi -i sine=d=1 -c:v libvpx-vp9 -deadline realtime -c:a libopus", "24000/1001", false, 20},
    {"Mpeg4AspAvi", "a.avi", "-f lavfi -i testsrc2=s=352x288:r=25:d=1 -f lavfi -i sine=d=1 -c:v mpeg4 -vtag XVID -bf 2 -c:a mp3", "25/1", false, 20},
    {"Rate5994", "a.mp4", "-f lavfi -i testsrc2=s=320x180:r=60000/1001:d=1 -f lavfi -i sine=d=1 -c:v libx264 -preset ultrafast -c:a aac", "30000/1001", true, -1},
    {"PortraitTurned", "a.mp4", "-f lavfi -i testsrc2=s=320x180:r=30:d=1 -f lavfi -i sine=d=1 -c:v libx264 -preset ultrafast -c:a aac", "30/1", false, 60, true},
    {"Surround51", "a.mp4", "-f lavfi -i testsrc2=s=320x180:r=30:d=1 -f lavfi -i sine=d=1 -ac 6 -c:v libx264 -preset ultrafast -c:a aac", "30/1", true, -1},
    {"NoAudio", "a.mp4", "-f lavfi -i testsrc2=s=320x180:r=30:d=1 -c:v libx264 -preset ultrafast", "30/1", true, -1},
    {"TenBit", "a.mkv", "-f lavfi -i testsrc2=s=320x180:r=30:d=1 -f lavfi -i sine=d=1 -c:v libx264 -preset ultrafast -pix_fmt yuv420p10le -c:a flac", "30/1", true, -1},
    {"AlreadyPsp", "a.mp4", "-f lavfi -i testsrc2=s=480x272:r=30000/1001:d=1 -f lavfi -i sine=d=1:sample_rate=48000 -c:v libx264 -profile:v main -level 21 -c:a aac -f psp", "30000/1001", true, -1},
};

struct Case
{
    const Source* source;
    const convert::Profile* profile;
};

std::vector<Case> cases()
{
    std::vector<Case> all;
    for (const Source& source : kSources)
        for (const convert::Profile& profile : convert::profiles())
            all.push_back({&source, &profile});
    return all;
}

class Sources : public testing::TestWithParam<Case>
{
};

// Every source becomes one video and one audio stream in the profile's codecs,
// size, rate and sound, with one slice per picture, CABAC and at most two
// reference frames for H.264, the picture in its display shape, and the title.
TEST_P(Sources, BecomePspFiles)
{
    const Source& s = *GetParam().source;
    const convert::Profile& p = *GetParam().profile;
    TempDir dir;
    const fs::path in = makeClip(dir, s.file, s.args);
    ASSERT_TRUE(fs::exists(in)) << "ffmpeg could not make " << s.name;
    if (s.turn)
        turnFirstTrack(in);
    const Converted c = convertFile(dir, in, p, "out.mp4");
    ASSERT_EQ(c.result.status, convert::Status::Done) << convert::errorName(c.result.error) << ": " << c.result.detail;
    EXPECT_EQ(c.result.bytes, static_cast<std::int64_t>(fs::file_size(c.out)));

    const std::vector<Fields> streams = probe(c.out);
    ASSERT_EQ(streams.size(), 2u);
    Fields video = streams[0], audio = streams[1];
    if (video["codec_type"] != "video")
        std::swap(video, audio);
    ASSERT_EQ(video["codec_type"], "video");
    ASSERT_EQ(audio["codec_type"], "audio");
    EXPECT_EQ(video["pix_fmt"], "yuv420p");
    EXPECT_EQ(audio["codec_name"], "aac");
    EXPECT_EQ(audio["profile"], "LC");
    EXPECT_EQ(audio["channels"], "2");
    EXPECT_EQ(audio["sample_rate"], std::to_string(p.sampleRate));
    const bool avc = p.id == "avc480";
    if (avc) {
        EXPECT_EQ(video["codec_name"], "h264");
        EXPECT_EQ(video["profile"], "Main");
        EXPECT_EQ(video["level"], "21");
        EXPECT_EQ(video["width"] + "x" + video["height"], "480x272");
        EXPECT_EQ(video["r_frame_rate"], s.avcRate);
        const auto headers = traceHeaders(c.out);
        EXPECT_EQ(headers.count("entropy_coding_mode_flag 0"), 0u);
        EXPECT_GT(headers.count("entropy_coding_mode_flag 1"), 0u);
        EXPECT_GT(headers.count("max_num_ref_frames 2") + headers.count("max_num_ref_frames 1"), 0u);
        // One slice per picture: every slice starts at the first macroblock.
        for (const auto& [field, count] : headers)
            EXPECT_TRUE(field.rfind("first_mb_in_slice", 0) != 0 || field == "first_mb_in_slice 0") << field;
    } else {
        EXPECT_EQ(video["codec_name"], "mpeg4");
        EXPECT_EQ(video["profile"], "Simple Profile");
        EXPECT_EQ(video["width"] + "x" + video["height"], s.wide ? "368x208" : "320x240");
        EXPECT_EQ(video["r_frame_rate"], "30000/1001");
    }
    if (avc && s.blackColumn >= 0) {
        // Bars left and right: the picture kept its (turned) display shape.
        EXPECT_LT(columnLuma(c.out, 480, 272, s.blackColumn), 24);
        EXPECT_GT(columnLuma(c.out, 480, 272, 240), 24);
    }
    const mp4title::ReadResult title = mp4title::readTitle(c.out.string());
    EXPECT_EQ(title.status, mp4title::ReadStatus::Ok);
    EXPECT_EQ(title.title, kTitle);
    // Another reader sees the same title, and every packet decodes.
    EXPECT_EQ(run("exiftool -s3 -Title '" + c.out.string() + "'"), std::string(kTitle) + "\n");
    EXPECT_EQ(run("ffmpeg -v error -xerror -i '" + c.out.string() + "' -f null - 2>&1"), "");
}

INSTANTIATE_TEST_SUITE_P(Table, Sources, testing::ValuesIn(cases()), [](const auto& info) {
    return std::string(info.param.source->name) + "_" + std::string(info.param.profile->id);
});

// Inputs that can't be converted fail cleanly with their kind.
TEST(BadInput, FailsWithItsKind)
{
    TempDir dir;
    const fs::path good = makeClip(dir, "good.mp4", "-f lavfi -i testsrc2=s=160x90:r=30:d=1 -f lavfi -i sine=d=1 "
                                                    "-c:v libx264 -preset ultrafast -c:a aac");
    const std::string bytes = readFileBytes(good);
    const std::string front = readFileBytes(makeClip(dir, "front.mp4", "-f lavfi -i testsrc2=s=160x90:r=30:d=2 -f lavfi -i sine=d=2 "
                                                                      "-c:v libx264 -preset ultrafast -c:a aac -movflags +faststart"));
    const std::string webm = readFileBytes(makeClip(dir, "w.webm", "-f lavfi -i testsrc2=s=160x90:r=30:d=4 -c:v libvpx-vp9 -deadline realtime"));
    std::string damaged = front;
    for (std::size_t i = damaged.size() / 2; i < damaged.size() / 2 + 3000; ++i)
        damaged[i] = static_cast<char>(i * 37);
    std::string unknownCodec = bytes;
    for (std::size_t at = 0; (at = unknownCodec.find("avc1", at)) != std::string::npos;)
        unknownCodec.replace(at, 4, "qqqq");
    struct Case
    {
        const char* name;
        std::string bytes;
        convert::Error error;
    } const table[] = {
        {"garbage", std::string(5000, '\x5a'), convert::Error::Open},
        {"empty", "", convert::Error::Open},
        {"cut before its index", bytes.substr(0, bytes.size() / 2), convert::Error::Open},
        {"unknown codec", unknownCodec, convert::Error::Unsupported},
        {"cut in its pictures", front.substr(0, front.size() * 6 / 10), convert::Error::Decode},
        {"damaged in the middle", damaged, convert::Error::Decode},
        {"webm cut short", webm.substr(0, webm.size() / 2), convert::Error::Decode},
    };
    for (const Case& c : table) {
        const fs::path in = dir.write(std::string(c.name) + ".in", c.bytes);
        const Converted out = convertFile(dir, in, convert::defaultProfile(), std::string(c.name) + ".mp4");
        EXPECT_EQ(out.result.status, convert::Status::Failed) << c.name;
        EXPECT_EQ(out.result.error, c.error) << c.name << ": " << out.result.detail;
    }
    const fs::path sound = makeClip(dir, "sound.m4a", "-f lavfi -i sine=d=1 -c:a aac");
    EXPECT_EQ(convertFile(dir, sound, convert::defaultProfile(), "sound.mp4").result.error, convert::Error::NoVideo);
    const fs::path big = makeClip(dir, "big.mkv", "-f lavfi -i color=s=8208x64:d=0.1 -c:v ffv1");
    EXPECT_EQ(convertFile(dir, big, convert::defaultProfile(), "big.mp4").result.error, convert::Error::Unsupported);
    EXPECT_EQ(convertFile(dir, dir.path() / "missing.mp4", convert::defaultProfile(), "missing.out").result.errnum, ENOENT);
}

// A full disk and the size limit fail the conversion with their kind and errno.
TEST(Output, WriteFailuresAreTold)
{
    TempDir dir;
    const fs::path in = makeClip(dir, "in.mp4", "-f lavfi -i testsrc2=s=160x90:r=30:d=1 -c:v libx264 -preset ultrafast");
    convert::ConvertRequest request;
    request.input = QString::fromStdString(in.string());
    request.outputFd = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    const std::atomic<bool> cancel{false};
    const convert::ConvertResult full = convert::convertVideo(request, cancel, {});
    ::close(request.outputFd);
    EXPECT_EQ(full.error, convert::Error::Write);
    EXPECT_EQ(full.errnum, ENOSPC);

    convert::Limits limits;
    limits.maxOutputBytes = 20'000;
    const Converted large = convertFile(dir, in, convert::defaultProfile(), "large.mp4", limits);
    EXPECT_EQ(large.result.error, convert::Error::TooLarge);
    EXPECT_LE(fs::file_size(large.out), 20'000u);
}

// Cancel stops a conversion within half a second; progress comes at most ~30 times a second.
TEST(Cancel, StopsWithinHalfASecond)
{
    TempDir dir;
    const fs::path in = makeClip(dir, "in.mp4", "-f lavfi -i testsrc2=s=1280x720:r=30:d=8 -c:v libx264 -preset ultrafast");
    const int fd = ::open((dir.path() / "out.mp4").c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    convert::ConvertRequest request;
    request.input = QString::fromStdString(in.string());
    request.outputFd = fd;
    std::atomic<bool> cancel{false};
    std::vector<std::chrono::steady_clock::time_point> reports;
    std::chrono::steady_clock::time_point raised;
    const convert::ConvertResult result = convert::convertVideo(request, cancel, [&](std::int64_t done, std::int64_t total) {
        reports.push_back(std::chrono::steady_clock::now());
        EXPECT_GT(total, 7'000'000);
        EXPECT_LE(done, total + 100'000);
        if (done > 1'000'000 && !cancel) {
            raised = std::chrono::steady_clock::now();
            cancel = true;
        }
    });
    const auto took = std::chrono::steady_clock::now() - raised;
    ::close(fd);
    EXPECT_EQ(result.status, convert::Status::Cancelled);
    ASSERT_TRUE(cancel);
    EXPECT_LT(took, 500ms);
    for (std::size_t i = 1; i < reports.size(); ++i)
        EXPECT_GE(reports[i] - reports[i - 1], 30ms);
}

// Timestamps that jump by an hour (two recordings joined) are taken out, not filled.
TEST(Timing, JumpsAreTakenOut)
{
    TempDir dir;
    const std::string args = "-f lavfi -i testsrc2=s=160x90:r=25:d=1 -f lavfi -i sine=d=1 -c:v mpeg2video -c:a mp2 ";
    const std::string first = readFileBytes(makeClip(dir, "1.ts", args));
    const std::string second = readFileBytes(makeClip(dir, "2.ts", args + "-output_ts_offset 3600"));
    const fs::path joined = dir.write("joined.ts", first + second);
    const Converted c = convertFile(dir, joined, convert::defaultProfile(), "out.mp4");
    ASSERT_EQ(c.result.status, convert::Status::Done) << c.result.detail;
    EXPECT_NEAR(c.result.durationUs, 2'000'000, 200'000);
    EXPECT_LT(fs::file_size(c.out), 1u << 20);
}

TEST(ChooseTitle, PspTitleThenContainerThenName)
{
    TempDir dir;
    const std::string args = "-f lavfi -i testsrc2=s=160x90:d=0.2 -f lavfi -i sine=d=0.2 -c:v libx264 -preset ultrafast ";
    const fs::path mp4 = makeClip(dir, "tagged.clip.mp4", args + "-metadata title='From the tag'");
    const fs::path mkv = makeClip(dir, "tagged.mkv", args + "-metadata title='Matroska title'");
    const fs::path plain = makeClip(dir, "plain.name.mp4", args);
    const fs::path psp = makeClip(dir, "psp.mp4", args + "-c:a aac -metadata title='PSP title' -f psp");
    EXPECT_EQ(convert::chooseTitle(QString::fromStdString(mp4.string())), QStringLiteral("From the tag"));
    EXPECT_EQ(convert::chooseTitle(QString::fromStdString(mkv.string())), QStringLiteral("Matroska title"));
    EXPECT_EQ(convert::chooseTitle(QString::fromStdString(plain.string())), QStringLiteral("plain.name"));
    ASSERT_TRUE(mp4title::writeTitle(psp.string(), "Stick title").ok);
    EXPECT_EQ(convert::chooseTitle(QString::fromStdString(psp.string())), QStringLiteral("Stick title"));
}

} // namespace
