// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CliRun.h"

#include <filesystem>

namespace fs = std::filesystem;

using namespace std::string_literals;

namespace {

// The line a declared folder gets: mount point, name, removable, holds a PSP.
std::string lineOf(const TempDir& dir, const std::string& psp)
{
    return "\n" + dir.str() + "/\t" + dir.path().filename().string() + " (" + dir.str() + ")\tyes\t" + psp + "\n";
}

} // namespace

TEST(CliDrives, ListsDeclaredVolumesWithTheirPspState)
{
    TempDir psp, plain;
    fs::create_directories(psp.path() / "PSP/PHOTO");
    fs::create_directories(plain.path() / "PSP/GAME");
    const std::string gone = (plain.path() / "gone").string();
    const CliRun r = Cli(psp, {"drives", "--volume", psp.str(), "--volume", plain.str(), "--volume", gone}).wait();
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string out = "\n" + r.out;
    EXPECT_NE(out.find(lineOf(psp, "yes")), std::string::npos) << r.out;
    EXPECT_NE(out.find(lineOf(plain, "no")), std::string::npos);
    EXPECT_EQ(out.find("\n" + gone), std::string::npos) << "a missing declared folder is not listed";
    EXPECT_EQ(out.find("\n/\t"), std::string::npos) << "the root file system is not a drive";

    EXPECT_EQ(Cli(psp, {"drives", "--volume"}).wait().status, 2);
    EXPECT_EQ(Cli(psp, {"drives", "extra"}).wait().status, 2);
}

TEST(CliNextName, PrintsTheNextFreeNameOfAFolder)
{
    TempDir dir, empty;
    dir.write("m4v00041.mp4", "");
    dir.write("holiday.mp4", "");
    dir.write("v\xe9/m4v00007.mp4", "");
    const struct
    {
        std::vector<std::string> args;
        int status;
        std::string out;
    } cases[] = {
        {{dir.str()}, 0, "m4v00042.mp4\n"},
        {{dir.str() + "/"}, 0, "m4v00042.mp4\n"},
        {{"-z", dir.str()}, 0, "m4v00042.mp4\0"s},
        {{dir.str() + "/v\xe9"}, 0, "m4v00008.mp4\n"},
        {{empty.str()}, 0, "m4v00001.mp4\n"},
        {{(dir.path() / "m4v00041.mp4").string()}, 1, ""},
        {{(dir.path() / "missing").string()}, 1, ""},
        {{}, 2, ""},
        {{"a", "b"}, 2, ""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"next-name"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun r = Cli(empty, args).wait();
        EXPECT_EQ(r.status, c.status) << (c.args.empty() ? "" : c.args[0]);
        EXPECT_EQ(r.out, c.out);
    }
}
