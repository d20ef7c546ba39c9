// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CliRun.h"

#include <filesystem>

using namespace std::string_literals;

namespace {

const std::string kClip = REELKEEPER_TEST_DATA "/thumbnail/wide.mp4";

struct Case
{
    const char* name;
    std::vector<std::string> args; // "@" stands for the video in the folder
    const char* existing;          // bytes already at the target, or nullptr
    int status;
    bool replaced;                 // the target now holds a JPEG
    const char* err;               // part of stderr
};

class ThumbnailCommand : public ::testing::TestWithParam<Case>
{
};

// The target beside the video by default; an existing one only goes with --force; a refusal or a bad video leaves it.
TEST_P(ThumbnailCommand, WritesOrKeeps)
{
    const Case& c = GetParam();
    TempDir dir;
    std::filesystem::copy_file(kClip, dir.path() / "clip.mp4");
    dir.write("text.mp4", "not a video");
    if (c.existing)
        dir.write("clip.THM", c.existing);
    std::vector<std::string> args{"thumbnail"};
    for (const std::string& arg : c.args)
        args.push_back(arg);
    const CliRun run = Cli(dir, args).wait();
    EXPECT_EQ(run.status, c.status);
    EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    const auto out = dir.path() / "clip.THM";
    const std::string bytes = std::filesystem::exists(out) ? readFileBytes(out) : "";
    EXPECT_EQ(bytes.rfind("\xFF\xD8", 0) == 0, c.replaced);
    if (c.existing && !c.replaced) {
        EXPECT_EQ(bytes, c.existing);
    }
    EXPECT_EQ(run.out, c.replaced ? "clip.THM\n" : "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ThumbnailCommand,
    ::testing::Values(Case{"Beside", {"clip.mp4"}, nullptr, 0, true, ""},
                      Case{"Kept", {"clip.mp4"}, "old", 1, false, "clip.THM: exists already"},
                      Case{"Forced", {"--force", "clip.mp4"}, "old", 0, true, ""},
                      Case{"BadVideo", {"--force", "text.mp4", "clip.THM"}, "old", 1, false, "text.mp4: The file is not an MP4 video."},
                      Case{"NoVideo", {}, nullptr, 2, false, "Usage: reelkeeper-cli thumbnail"},
                      Case{"UnknownOption", {"-f", "clip.mp4"}, nullptr, 2, false, "Usage"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

// The default target takes the file name's stem, never a folder's; names keep their bytes.
TEST(ThumbnailTarget, StaysBesideTheVideo)
{
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "my.videos");
    std::filesystem::copy_file(kClip, dir.path() / "my.videos/clip");
    std::filesystem::copy_file(kClip, dir.path() / "caf\xe9.mp4");
    dir.write("my.THM", "unrelated");
    CliRun run = Cli(dir, {"thumbnail", "--force", "my.videos/clip"}).wait();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "my.videos/clip.THM\n");
    EXPECT_TRUE(readFileBytes(dir.path() / "my.THM") == "unrelated");
    EXPECT_EQ(readFileBytes(dir.path() / "my.videos/clip.THM").rfind("\xFF\xD8", 0), 0u);

    run = Cli(dir, {"thumbnail", "-z", "caf\xe9.mp4"}).wait();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "caf\xe9.THM\0"s);
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "caf\xe9.THM"));
}
