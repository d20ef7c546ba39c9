#include "TempDir.h"
#include "thumbnail/Cache.h"
#include "thumbnail/Thumbnail.h"

#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const std::string kClips = REELKEEPER_TEST_DATA "/thumbnail/";

QString q(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
}

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

INSTANTIATE_TEST_SUITE_P(Clips, Pictures, ::testing::Values(Clip{"black-start.mp4", false}, Clip{"wide.mp4", true}));

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
    EXPECT_FALSE(thumbnail::writeThumbnail(q(video), q(out), &error));
    EXPECT_TRUE(error.startsWith(QString::fromLatin1(GetParam().reason))) << error.toStdString();
    EXPECT_FALSE(std::filesystem::exists(out));
}

std::string clip(const char* file)
{
    return readFileBytes(kClips + file);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, Refused,
    ::testing::Values(BadInput{"Empty", "", "The file is not an MP4 video."},
                      BadInput{"Garbage", std::string(4096, '\x5a'), "The file is not an MP4 video."},
                      BadInput{"AudioOnly", clip("audio-only.mp4"), "The file holds no video."},
                      BadInput{"CutPictures", clip("wide.mp4").substr(0, 900), "No picture could be decoded"},
                      BadInput{"CutIndex", clip("black-start.mp4").substr(0, 3000), "The file is not an MP4 video."},
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

TEST(Thumbnail, ExistingFileKeptUnlessReplaced)
{
    TempDir dir;
    const auto out = dir.write("v.THM", "mine");
    const QString video = QString::fromStdString(kClips + "wide.mp4");
    QString error;
    EXPECT_FALSE(thumbnail::writeThumbnail(video, q(out), &error));
    EXPECT_EQ(readFileBytes(out), "mine");
    EXPECT_TRUE(thumbnail::writeThumbnail(video, q(out), &error, true));
    EXPECT_EQ(QImage(q(out)).size(), QSize(160, 120));
}

// A picture is made once; a video without one is remembered; a changed video is looked at again.
TEST(Cache, MadeOnceRememberedRenewed)
{
    TempDir dir;
    thumbnail::setCacheRoot(q(dir.path() / "cache"));
    const auto video = dir.write("v.mp4", clip("wide.mp4"));
    const auto bad = dir.write("bad.mp4", clip("audio-only.mp4"));

    const auto first = thumbnail::cachedPicture(q(video));
    ASSERT_TRUE(first);
    std::filesystem::last_write_time(first->toStdString(), std::filesystem::file_time_type{});
    EXPECT_EQ(thumbnail::cachedPicture(q(video)), first);
    EXPECT_EQ(std::filesystem::last_write_time(first->toStdString()), std::filesystem::file_time_type{});

    EXPECT_FALSE(thumbnail::cachedPicture(q(bad)));
    std::filesystem::copy_file(kClips + "wide.mp4", bad, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::last_write_time(bad, std::filesystem::last_write_time(bad) + std::chrono::seconds(5));
    EXPECT_TRUE(thumbnail::cachedPicture(q(bad)));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path() / "cache"), {}), 3);
    thumbnail::setCacheRoot({});
}

} // namespace
