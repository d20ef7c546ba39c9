// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CliRun.h"

#include "mp4title/Title.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> names(const fs::path& folder)
{
    std::vector<std::string> all;
    for (const auto& entry : fs::directory_iterator(folder))
        all.push_back(entry.path().filename().string());
    std::sort(all.begin(), all.end());
    return all;
}

void makeClip(const TempDir& dir, const std::string& name, const std::string& input)
{
    const std::string command = "ffmpeg -v error -y " + input + " -c:v libx264 -preset ultrafast '" + (dir.path() / name).string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
}

// A conversion lands under OUT only when whole, never over an existing file;
// failures, wrong arguments and stop signals leave nothing behind.
TEST(ConvertCommand, LandsWholeOrNotAtAll)
{
    TempDir dir;
    makeClip(dir, "clip.mkv", "-f lavfi -i testsrc2=s=320x180:d=1");
    dir.write("text.mp4", "not a video");
    dir.write("taken.mp4", "old");
    struct Case
    {
        std::vector<std::string> args;
        int status;
        const char* err;
    } const table[] = {
        {{"--profile", "mpeg4", "clip.mkv", "new.mp4"}, 0, ""},
        {{"clip.mkv", "taken.mp4"}, 1, "taken.mp4: exists already"},
        {{"text.mp4", "bad.mp4"}, 1, "text.mp4: conversion failed (open)"},
        {{"--profile", "h263", "clip.mkv", "bad.mp4"}, 2, "Usage: reelkeeper-cli convert"},
        {{"clip.mkv"}, 2, "Usage"},
    };
    for (const Case& c : table) {
        std::vector<std::string> args{"convert"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun run = Cli(dir, args).wait();
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    }
    EXPECT_EQ(names(dir.path()), (std::vector<std::string>{"clip.mkv", "new.mp4", "stderr.txt", "stdout.txt", "taken.mp4", "text.mp4"}));
    EXPECT_EQ(readFileBytes(dir.path() / "taken.mp4"), "old");
    EXPECT_EQ(mp4title::readTitle((dir.path() / "new.mp4").string()).title, "clip");
}

TEST(ConvertCommand, StopSignalRemovesThePartialFile)
{
    TempDir dir;
    makeClip(dir, "long.mp4", "-f lavfi -i testsrc2=s=1280x720:r=30:d=8");
    const Cli cli(dir, {"convert", "long.mp4", "out.mp4"});
    // Stopped once its temporary is there.
    for (int i = 0; i < 500 && names(dir.path()).size() < 4; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    cli.signal(SIGTERM);
    const CliRun run = cli.wait();
    EXPECT_EQ(run.status, 143);
    EXPECT_EQ(names(dir.path()), (std::vector<std::string>{"long.mp4", "stderr.txt", "stdout.txt"}));
}

} // namespace
