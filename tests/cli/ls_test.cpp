// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CliRun.h"
#include "Mp4Builder.h"

#include "mp4title/Title.h"

#include <QString>

#include <sys/time.h>

#include <algorithm>

using namespace std::string_literals;

namespace {

std::string smallMp4(std::size_t payload)
{
    return mp4::ftyp() + mp4::atom("mdat", std::string(payload, 'v')) + mp4::atom("moov", mp4::mvhd());
}

} // namespace

TEST(CliLs, PrintsNameTitleSizeAndDatePerVideo)
{
    qputenv("REELKEEPER_APPDIR", REELKEEPER_APPDIR);
    setenv("TZ", "UTC", 1);
    tzset();
    TempDir dir;
    const auto titled = dir.write("M4V00001.MP4", smallMp4(1400));
    dir.write("M4V00002.mp4", smallMp4(2000));
    dir.write("notes.txt", "x");
    dir.write("M4V00001.THM", "picture bytes");
    ASSERT_TRUE(mp4title::writeTitle(titled.string(), "Beach\tday").ok);
    const timeval times[2] = {{1120576029, 0}, {1120576029, 0}};
    ::utimes(titled.c_str(), times);
    ::utimes((dir.path() / "M4V00002.mp4").c_str(), times);

    const CliRun run = Cli(dir, {"ls", dir.str()}).wait();
    EXPECT_EQ(run.status, 0);
    const std::string out = "\n" + run.out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 3) << run.out;
    const std::size_t first = out.find("\nM4V00001.MP4\tBeach day\t");
    ASSERT_NE(first, std::string::npos) << run.out;
    const std::string line = out.substr(first + 1, out.find('\n', first + 1) - first - 1);
    EXPECT_TRUE(line.ends_with("\t2005/7/5 3:7PM")) << line;
    EXPECT_NE(out.find("\nM4V00002.mp4\t\t2.10 KB\t2005/7/5 3:7PM\n"), std::string::npos);
}

TEST(CliLs, NamesAreEscapedOrRawWithZero)
{
    TempDir dir;
    dir.write("caf\xe9.mp4", smallMp4(10));
    dir.write("a\tb.mp4", smallMp4(10));
    CliRun run = Cli(dir, {"ls", "."}).wait();
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string out = "\n" + run.out;
    EXPECT_NE(out.find("\ncaf\\xe9.mp4\t\t"), std::string::npos) << run.out;
    EXPECT_NE(out.find("\na\\tb.mp4\t\t"), std::string::npos) << run.out;
    run = Cli(dir, {"ls", "-z", "."}).wait();
    EXPECT_NE(run.out.find("caf\xe9.mp4\0\0"s), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("a\tb.mp4\0\0"s), std::string::npos) << run.out;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\0'), 8);
}

TEST(CliLs, WhatIsNoFolderIsAnError)
{
    TempDir dir;
    const auto file = dir.write("a.mp4", smallMp4(10));
    const std::pair<std::vector<std::string>, int> cases[] = {
        {{"/nonexistent-folder-of-reelkeeper"}, 1}, {{file.string()}, 1}, {{}, 2}};
    for (auto [args, status] : cases) {
        args.insert(args.begin(), "ls");
        const CliRun run = Cli(dir, args).wait();
        EXPECT_EQ(run.status, status);
        EXPECT_TRUE(run.out.empty());
        if (status == 1) {
            EXPECT_NE(run.err.find("not an existing folder"), std::string::npos) << run.err;
        }
    }
}

// The tool links the core only: no widget or GUI library is loaded.
TEST(CliLinks, NoGuiLibraries)
{
    FILE* pipe = ::popen("ldd " REELKEEPER_CLI " 2>&1", "r");
    ASSERT_NE(pipe, nullptr);
    std::string libraries;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe))
        libraries += buffer;
    ::pclose(pipe);
    EXPECT_NE(libraries.find("libQt6Core"), std::string::npos) << libraries;
    for (const char* gui : {"libQt6Gui", "libQt6Widgets", "libQt6DBus", "libQt6Concurrent"})
        EXPECT_EQ(libraries.find(gui), std::string::npos) << gui;
}
