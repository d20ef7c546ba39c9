#include "CliRun.h"

#include <filesystem>

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
