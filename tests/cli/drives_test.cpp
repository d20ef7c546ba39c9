#include "Commands.h"
#include "TempDir.h"

#include "platform/Volumes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct CliRun
{
    int status;
    std::string out;
    std::string err;
};

template <typename Command>
CliRun runCommand(Command command, const cli::Args& args)
{
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const int status = command(args);
    std::fflush(stdout);
    std::fflush(stderr);
    CliRun result{status, ::testing::internal::GetCapturedStdout(), ::testing::internal::GetCapturedStderr()};
    return result;
}

std::vector<std::string> fields(const std::string& line)
{
    std::vector<std::string> out;
    std::stringstream in(line);
    std::string field;
    while (std::getline(in, field, '\t'))
        out.push_back(field);
    return out;
}

// The output line whose mount point is root, split at the tabs; empty when absent.
std::vector<std::string> lineFor(const std::string& output, const std::string& root)
{
    std::stringstream in(output);
    std::string line;
    while (std::getline(in, line)) {
        auto f = fields(line);
        if (!f.empty() && f[0] == root)
            return f;
    }
    return {};
}

class CliDrives : public ::testing::Test
{
protected:
    void TearDown() override { platform::clearDeclaredVolumes(); }
};

} // namespace

TEST_F(CliDrives, ListsDeclaredVolumesWithTheirPspState)
{
    TempDir psp;
    TempDir plain;
    fs::create_directories(psp.path() / "PSP/PHOTO");
    fs::create_directories(plain.path() / "PSP/GAME");
    const CliRun r = runCommand(cli::runDrives, {"--volume", psp.str(), "--volume", plain.str()});
    ASSERT_EQ(r.status, 0) << r.err;

    const auto pspLine = lineFor(r.out, psp.str() + "/");
    ASSERT_EQ(pspLine.size(), 4u) << r.out;
    EXPECT_EQ(pspLine[1], psp.path().filename().string() + " (" + psp.str() + ")");
    EXPECT_EQ(pspLine[2], "yes");
    EXPECT_EQ(pspLine[3], "yes");

    const auto plainLine = lineFor(r.out, plain.str() + "/");
    ASSERT_EQ(plainLine.size(), 4u);
    EXPECT_EQ(plainLine[2], "yes");
    EXPECT_EQ(plainLine[3], "no");

    const auto rootLine = lineFor(r.out, "/");
    ASSERT_EQ(rootLine.size(), 4u) << "the root file system is listed";
    EXPECT_EQ(rootLine[3], "no");
}

TEST_F(CliDrives, MissingDeclaredFolderIsNotListed)
{
    TempDir dir;
    const std::string gone = (dir.path() / "gone").string();
    const CliRun r = runCommand(cli::runDrives, {"--volume", gone});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(lineFor(r.out, gone + "/").empty());
}

TEST_F(CliDrives, RefusesUnknownArguments)
{
    EXPECT_EQ(runCommand(cli::runDrives, {"--volume"}).status, 2);
    EXPECT_EQ(runCommand(cli::runDrives, {"extra"}).status, 2);
}

TEST(CliNextName, PrintsTheNextFreeName)
{
    TempDir dir;
    dir.write("m4v00041.mp4", "");
    dir.write("holiday.mp4", "");
    CliRun r = runCommand(cli::runNextName, {dir.str()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "m4v00042.mp4\n");
    r = runCommand(cli::runNextName, {dir.str() + "/"});
    EXPECT_EQ(r.out, "m4v00042.mp4\n");

    TempDir empty;
    EXPECT_EQ(runCommand(cli::runNextName, {empty.str()}).out, "m4v00001.mp4\n");
}

TEST(CliNextName, RefusesWhatIsNoFolder)
{
    TempDir dir;
    const auto file = dir.write("m4v00001.mp4", "");
    EXPECT_EQ(runCommand(cli::runNextName, {file.string()}).status, 1);
    EXPECT_EQ(runCommand(cli::runNextName, {(dir.path() / "missing").string()}).status, 1);
    EXPECT_EQ(runCommand(cli::runNextName, {}).status, 2);
    EXPECT_EQ(runCommand(cli::runNextName, {"a", "b"}).status, 2);
}
