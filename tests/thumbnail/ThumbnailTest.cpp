// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "StorageTestSupport.h"
#include "TempDir.h"
#include "thumbnail/Cache.h"
#include "thumbnail/Thumbnail.h"

#include <QImage>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::string kClips = REELKEEPER_TEST_DATA "/thumbnail/";

bool dark(QRgb pixel)
{
    return qGray(pixel) < 24;
}

struct Clip
{
    const char* file;
    bool bars; // 16:9: black above and below the picture
};

class Pictures : public ::testing::TestWithParam<Clip>
{
};

// Baseline JPEG of the PSP's size, from a key frame past the black start, with bars only where the shape asks.
TEST_P(Pictures, Baseline160x120)
{
    QString error;
    const auto jpeg = thumbnail::makeThumbnail(QString::fromStdString(kClips + GetParam().file), &error);
    ASSERT_TRUE(jpeg) << error.toStdString();
    EXPECT_TRUE(jpeg->startsWith("\xFF\xD8\xFF\xE0")) << "no JFIF header";
    EXPECT_TRUE(jpeg->contains("\xFF\xC0")) << "no baseline frame header";
    EXPECT_FALSE(jpeg->contains("\xFF\xC2")) << "progressive";
    const QImage image = QImage::fromData(*jpeg, "JPEG");
    ASSERT_EQ(image.size(), QSize(160, 120));
    EXPECT_FALSE(dark(image.pixel(80, 60)));
    EXPECT_EQ(dark(image.pixel(80, 4)) && dark(image.pixel(20, 115)), GetParam().bars);
    // The in-memory entry (the fuzzer's) reads the same picture.
    const QByteArray bytes = QByteArray::fromStdString(readFileBytes(kClips + GetParam().file));
    EXPECT_EQ(thumbnail::makeThumbnailFromBytes(bytes, nullptr), jpeg);
}

INSTANTIATE_TEST_SUITE_P(Clips, Pictures, ::testing::Values(Clip{"black-start.mp4", false}, Clip{"wide.mp4", true},
                                                           Clip{"fragmented.mp4", true}));

struct BadInput
{
    const char* name;
    std::string bytes;
    const char* reason;
};

class Refused : public ::testing::TestWithParam<BadInput>
{
};

// Bad input gives its reason and no file at all.
TEST_P(Refused, NoFile)
{
    TempDir dir;
    const auto video = GetParam().bytes == "missing" ? dir.path() / "gone.mp4" : dir.write("v.mp4", GetParam().bytes);
    const auto out = dir.path() / "v.THM";
    QString error;
    EXPECT_FALSE(thumbnail::writeThumbnail(qpath(video), qpath(out), &error));
    EXPECT_TRUE(error.startsWith(QString::fromLatin1(GetParam().reason))) << error.toStdString();
    EXPECT_FALSE(std::filesystem::exists(out));
}

std::string clip(const char* file)
{
    return readFileBytes(kClips + file);
}

// A clip with big-endian words put at byte offsets.
std::string patched(const char* file, std::initializer_list<std::pair<int, std::uint32_t>> words)
{
    std::string bytes = clip(file);
    for (const auto& [at, word] : words)
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<char>(word >> (24 - 8 * i));
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, Refused,
    ::testing::Values(BadInput{"Empty", "", "The file is not an MP4 video."},
                      BadInput{"Garbage", std::string(4096, '\x5a'), "The file is not an MP4 video."},
                      BadInput{"AudioOnly", clip("audio-only.mp4"), "The file holds no video."},
                      BadInput{"CutPictures", clip("wide.mp4").substr(0, 900), "No picture could be decoded"},
                      BadInput{"CutIndex", clip("black-start.mp4").substr(0, 3000), "The file is not an MP4 video."},
                      // wide.mp4's chunk offsets and sample sizes claim more entries than their atoms hold,
                      // or samples of one byte each outnumber the file's bytes.
                      BadInput{"ChunkCount", patched("wide.mp4", {{785, 0x10000}}), "The file is damaged"},
                      BadInput{"SizeCount", patched("wide.mp4", {{721, 0x10000}}), "The file is damaged"},
                      BadInput{"SameSizeSamples", patched("wide.mp4", {{717, 1}, {721, 0x100000}}),
                               "The file is damaged"},
                      BadInput{"Missing", "missing", "The file could not be opened"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Thumbnail, TimeLimitEndsTheDecode)
{
    thumbnail::Limits limits;
    limits.timeLimit = std::chrono::milliseconds(0);
    thumbnail::Failure failure = thumbnail::Failure::None;
    QString error;
    EXPECT_FALSE(thumbnail::makeThumbnail(QString::fromStdString(kClips + "wide.mp4"), &error, limits, &failure));
    EXPECT_EQ(error, QStringLiteral("Making the picture took too long."));
    EXPECT_EQ(failure, thumbnail::Failure::Passing);
}

struct Hostile
{
    const char* name;
    std::uint32_t samples;  // claimed by a fragment of wide.mp4, without per-sample fields
    std::int64_t fileSize;  // grown with a hole
    const char* reason;
};

class Bounded : public ::testing::TestWithParam<Hostile>
{
};

// FFmpeg allocates by a fragment's sample count while reading the header, where the time limit
// doesn't reach it: 84 million in 1,548 bytes took 2.7 GB and 23 s. Refused by the table check;
// where the file is large enough to hold the count, the allocation cap stops it.
TEST_P(Bounded, PeakAndTime)
{
    TempDir dir;
    std::string bytes = readFileBytes(REELKEEPER_TEST_DATA "/../../fuzz/corpus-thumbnail/trun-oom-1548.mp4");
    const auto at = bytes.find("trun") + 8;
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>(GetParam().samples >> (24 - 8 * i));
    const auto video = dir.write("v.mp4", bytes);
    std::filesystem::resize_file(video, std::max<std::int64_t>(GetParam().fileSize, bytes.size()));

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::alarm(30);
        QString error;
        const bool refused = !thumbnail::makeThumbnail(qpath(video), &error)
            && error.startsWith(QString::fromLatin1(GetParam().reason));
        ::_exit(refused ? 0 : 1);
    }
    int status = 0;
    rusage usage{};
    ASSERT_EQ(::wait4(child, &status, 0, &usage), child);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    EXPECT_LT(usage.ru_maxrss, 200 * 1024) << "peak KB";
    EXPECT_LT(took, std::chrono::seconds(2));
}

INSTANTIATE_TEST_SUITE_P(
    Files, Bounded,
    ::testing::Values(Hostile{"FuzzedFile", 0x5000000, 0, "The file is damaged"},
                      Hostile{"BelowTheCap", 0x100000, 0, "The file is damaged"},
                      Hostile{"LargeEnough", 0x3000000, std::int64_t(1) << 30, "The file is damaged"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Thumbnail, ExistingFileKeptUnlessReplaced)
{
    TempDir dir;
    const auto out = dir.write("v.THM", "mine");
    const QString video = QString::fromStdString(kClips + "wide.mp4");
    QString error;
    EXPECT_FALSE(thumbnail::writeThumbnail(video, qpath(out), &error));
    EXPECT_EQ(readFileBytes(out), "mine");
    EXPECT_TRUE(thumbnail::writeThumbnail(video, qpath(out), &error, true));
    EXPECT_EQ(QImage(qpath(out)).size(), QSize(160, 120));
}

// A picture is made once; a video without one is remembered; a changed video is looked at again.
TEST(Cache, MadeOnceRememberedRenewed)
{
    TempDir dir;
    thumbnail::setCacheRoot(qpath(dir.path() / "cache"));
    const auto video = dir.write("v.mp4", clip("wide.mp4"));
    const auto bad = dir.write("bad.mp4", clip("audio-only.mp4"));

    const auto first = thumbnail::cachedPicture(qpath(video));
    ASSERT_TRUE(first);
    std::filesystem::last_write_time(first->toStdString(), std::filesystem::file_time_type{});
    EXPECT_EQ(thumbnail::cachedPicture(qpath(video)), first);
    EXPECT_EQ(std::filesystem::last_write_time(first->toStdString()), std::filesystem::file_time_type{});

    EXPECT_FALSE(thumbnail::cachedPicture(qpath(bad)));
    std::filesystem::copy_file(kClips + "wide.mp4", bad, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::last_write_time(bad, std::filesystem::last_write_time(bad) + std::chrono::seconds(5));
    EXPECT_TRUE(thumbnail::cachedPicture(qpath(bad)));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path() / "cache"), {}), 3);
    thumbnail::setCacheRoot({});
}

} // namespace
