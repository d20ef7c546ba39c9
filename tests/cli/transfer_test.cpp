// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CliRun.h"
#include "Mp4Builder.h"

#include <chrono>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

using namespace std::string_literals;

namespace {

// A memory stick folder ("stick", with PSP/PHOTO) and a computer folder ("pc").
class CliTransfer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fs::create_directories(dir.path() / "stick/PSP/PHOTO");
        fs::create_directories(psp);
    }
    CliRun run(std::vector<std::string> args) const
    {
        args.insert(args.begin() + 1, {"--psp", "stick"});
        return Cli(dir, args).wait();
    }
    std::string pspPath(const std::string& name) const { return (psp / name).string(); }

    TempDir dir;
    const fs::path psp = dir.path() / "stick/MP_ROOT/100MNV01";
    const fs::path pc = dir.path() / "pc";
};

} // namespace

TEST_F(CliTransfer, EachVideoThatLandsIsPrintedWithItsTarget)
{
    dir.write("pc/a.mp4", markedVideo("A"));
    dir.write("pc/a.THM", "thumb");
    dir.write("pc/b.mp4", markedVideo("B"));
    CliRun r = run({"copy-to-psp", "--next-num", "5", "pc/a.mp4", "pc/b.mp4"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "pc/a.mp4\t" + pspPath("m4v00005.mp4") + "\npc/b.mp4\t" + pspPath("m4v00006.mp4") + "\n");
    EXPECT_TRUE(fs::exists(pc / "a.mp4"));

    r = run({"move-to-psp", "pc/a.mp4"});
    EXPECT_EQ(r.out, "pc/a.mp4\t" + pspPath("m4v00007.mp4") + "\n");
    EXPECT_EQ(readMarker(psp / "m4v00007.THM"), "thumb");
    EXPECT_FALSE(fs::exists(pc / "a.mp4") || fs::exists(pc / "a.THM"));

    // Back by name in the stick's video folder, named by title.
    const std::string video = mp4::pspVideo(mp4::usmt(u"Holiday"));
    dir.write("stick/MP_ROOT/100MNV01/m4v00001.mp4", video);
    r = run({"copy-from-psp", "pc/", "m4v00001.mp4", "m4v00005.mp4"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, pspPath("m4v00001.mp4") + "\t" + (pc / "Holiday.mp4").string() + "\n" + pspPath("m4v00005.mp4")
                         + "\t" + (pc / "Hello.mp4").string() + "\n");
    r = run({"move-from-psp", "pc", "m4v00001.mp4"});
    EXPECT_EQ(r.out, pspPath("m4v00001.mp4") + "\t" + (pc / "Holiday(1).mp4").string() + "\n");
    EXPECT_TRUE(readMarker(pc / "Holiday(1).mp4") == video);
    EXPECT_FALSE(fs::exists(psp / "m4v00001.mp4"));
}

TEST_F(CliTransfer, QuestionsNeedConsent)
{
    for (const std::string option : {"--yes", "--no", ""}) {
        const bool yes = option == "--yes";
        dir.write("stick/MP_ROOT/100MNV01/m4v00001.mp4", "old");
        dir.write("pc/a.mp4", markedVideo("new"));
        for (std::vector<std::string> args : {std::vector<std::string>{"copy-to-psp", "--next-num", "1", "pc/a.mp4"},
                                              std::vector<std::string>{"delete", "m4v00001.mp4"}}) {
            if (!option.empty())
                args.insert(args.begin() + 1, option);
            const CliRun r = run(args);
            EXPECT_EQ(r.status, 0) << option << r.err;
            const bool del = args[0] == "delete";
            const std::string question = del ? "Delete the file? "
                : "reelkeeper-cli: pc/a.mp4: The file name you have specified already exists in the target "
                  "directory. Overwrite it anyway? ";
            EXPECT_NE(r.err.find(question + (yes ? "yes" : "no")), std::string::npos) << r.err;
            if (del)
                EXPECT_EQ(fs::exists(psp / "m4v00001.mp4"), !yes) << option;
            else
                EXPECT_EQ(readMarker(psp / "m4v00001.mp4"), yes ? "new" : "old") << option;
        }
    }
}

TEST_F(CliTransfer, FailuresNameTheFileAndSetTheStatus)
{
    dir.write("stick/MP_ROOT/100MNV01/m4v00001.mp4", "A");
    CliRun r = run({"copy-to-psp", "pc/missing.mp4"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "reelkeeper-cli: pc/missing.mp4: Coyp file failed (No such file or directory)\n");

    r = run({"delete", "--yes", "m4v00009.mp4", "m4v00001.mp4"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(pspPath("m4v00009.mp4") + ": No such file or directory\n"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(psp / "m4v00001.mp4")) << "the walk goes on";

    r = run({"copy-from-psp", "pc/missing", "m4v00001.mp4"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Invalid local file path!"), std::string::npos) << r.err;

    fs::create_directories(dir.path() / "plain/PSP/GAME");
    r = Cli(dir, {"delete", "--psp", "plain", "--yes", "m4v00001.mp4"}).wait();
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "reelkeeper-cli: plain: Your selected drive is not a PSP\n");
}

TEST_F(CliTransfer, WrongArgumentsAreRefused)
{
    const std::vector<std::vector<std::string>> cases = {
        {"copy-to-psp"}, {"copy-to-psp", "--yes", "--no", "a.mp4"}, {"copy-to-psp", "--next-num", "x1", "a.mp4"},
        {"copy-to-psp", "--next-num"}, {"move-to-psp", "--force", "a.mp4"}, {"copy-from-psp", "pc"},
        {"move-from-psp", "pc", "../../etc/passwd"}, {"delete", "--next-num", "1", "m4v00001.mp4"},
        {"delete", "sub/m4v00001.mp4"},
    };
    for (const auto& args : cases) {
        const CliRun r = Cli(dir, args).wait();
        EXPECT_EQ(r.status, 2) << args[0] << " " << (args.size() > 1 ? args[1] : "");
        EXPECT_EQ(r.err.rfind("Usage: reelkeeper-cli ", 0), 0u) << r.err;
    }
}

TEST_F(CliTransfer, StopSignalsRemoveThePartialCopyAndStartNothingMore)
{
    for (const int number : {SIGINT, SIGTERM}) {
        // A sparse source: large to copy, nothing on the disk.
        const fs::path big = dir.write("pc/big.mp4", markedVideo(""));
        fs::resize_file(big, std::uintmax_t{8} << 30);
        dir.write("pc/small.mp4", markedVideo("S"));
        const Cli cli(dir, {"move-to-psp", "--psp", "stick", "pc/big.mp4", "pc/small.mp4"});
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        // The copy has begun once anything (its file or a temporary) stands in the folder.
        while (fs::is_empty(psp) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        cli.signal(number);
        const CliRun r = cli.wait();
        EXPECT_EQ(r.status, 128 + number) << r.err;
        EXPECT_TRUE(fs::is_empty(psp)) << "no partial video and no second item";
        EXPECT_EQ(fs::file_size(big), std::uintmax_t{8} << 30);
        EXPECT_TRUE(fs::exists(pc / "small.mp4"));
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("big.mp4: cancelled"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("failed"), std::string::npos) << r.err;
    }
}

// Names with control characters or bytes that are not UTF-8 travel byte for byte, and each
// record stays one line (escaped) or two NUL-ended fields (-z).
TEST_F(CliTransfer, AnyNameTravelsAndIsRecordedFaithfully)
{
    dir.write("pc/caf\xe9.mp4", markedVideo("A"));
    dir.write("pc/caf\xe9.THM", "thumb");
    dir.write("pc/a\tb.mp4", markedVideo("B"));
    dir.write("pc/back\\slash\n.mp4", markedVideo("C"));
    dir.write("pc/e\x1b\xc2\x9b\xc3\xa9.mp4", markedVideo("D"));
    CliRun r = run({"copy-to-psp", "--next-num", "1", "pc/caf\xe9.mp4", "pc/a\tb.mp4", "pc/back\\slash\n.mp4",
                    "pc/e\x1b\xc2\x9b\xc3\xa9.mp4"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "pc/caf\\xe9.mp4\t" + pspPath("m4v00001.mp4") + "\npc/a\\tb.mp4\t" + pspPath("m4v00002.mp4")
                         + "\npc/back\\\\slash\\n.mp4\t" + pspPath("m4v00003.mp4") + "\npc/e\\x1b\\xc2\\x9b\xc3\xa9.mp4\t"
                         + pspPath("m4v00004.mp4") + "\n");
    EXPECT_EQ(readMarker(psp / "m4v00001.THM"), "thumb");

    r = run({"move-to-psp", "-z", "pc/caf\xe9.mp4"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "pc/caf\xe9.mp4\0"s + pspPath("m4v00005.mp4") + '\0');
    EXPECT_FALSE(fs::exists(pc / "caf\xe9.mp4") || fs::exists(pc / "caf\xe9.THM"));
    EXPECT_EQ(readMarker(psp / "m4v00005.THM"), "thumb");

    // Back into a folder so named, under a title from the stick.
    dir.write("stick/MP_ROOT/100MNV01/m4v00009.mp4", mp4::pspVideo(mp4::usmt(u"Tab\there")));
    fs::create_directories(dir.path() / "pc\xe9");
    r = run({"move-from-psp", "pc\xe9", "m4v00009.mp4"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, pspPath("m4v00009.mp4") + "\t" + dir.str() + "/pc\\xe9/Tab\\there.mp4\n");
    EXPECT_TRUE(fs::exists(dir.path() / "pc\xe9/Tab\there.mp4"));
    EXPECT_FALSE(fs::exists(psp / "m4v00009.mp4"));
}

// A failed write of stdout is a failure of every command, told on stderr.
TEST_F(CliTransfer, StdoutWriteErrorsFail)
{
    dir.write("pc/a.mp4", markedVideo("A"));
    dir.write("pc/b.mp4", mp4::pspVideo(""));
    const std::vector<std::vector<std::string>> cases = {
        {"--help"}, {"--version"}, {"ls", "pc"}, {"next-name", "pc"}, {"title", "get", "pc/b.mp4"},
        {"drives", "--volume", "stick"}, {"copy-to-psp", "--psp", "stick", "pc/a.mp4"},
    };
    for (const auto& args : cases) {
        const CliRun r = Cli(dir, args, "/dev/full").wait();
        EXPECT_EQ(r.status, 1) << args[0];
        EXPECT_EQ(r.err, "reelkeeper-cli: write error: No space left on device\n") << args[0];
    }
    EXPECT_TRUE(fs::exists(psp / "m4v00001.mp4"));
}
