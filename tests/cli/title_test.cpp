// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CliRun.h"
#include "Mp4Builder.h"

namespace {

class TitleCommand : public ::testing::Test
{
protected:
    CliRun run(const std::vector<std::string>& args) const
    {
        std::vector<std::string> all{"title"};
        all.insert(all.end(), args.begin(), args.end());
        return Cli(dir, all).wait();
    }
    std::string error(const std::filesystem::path& file, const std::string& why) const
    {
        return "reelkeeper-cli: " + file.string() + ": " + why + "\n";
    }
    TempDir dir;
};

TEST_F(TitleCommand, GetPrintsOneLinePerFile)
{
    const auto a = dir.write("a.mp4", mp4::pspVideo(mp4::usmt(u"Caf\u00e9")));
    const auto b = dir.write("b.mp4", mp4::pspVideo(""));
    const CliRun ok = run({"get", a.string(), b.string()});
    EXPECT_EQ(ok.status, 0);
    EXPECT_EQ(ok.out, "Caf\xC3\xA9\n\n");
    EXPECT_EQ(ok.err, "");

    const auto text = dir.write("text.mp4", "this is not a video");
    const auto noMoov = dir.write("nomoov.mp4", mp4::ftyp() + mp4::atom("free", "x"));
    const auto missing = dir.path() / "missing.mp4";
    const CliRun bad = run({"get", a.string(), text.string(), missing.string(), noMoov.string()});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.out, "Caf\xC3\xA9\n\n\n\n");
    EXPECT_EQ(bad.err, error(text, "not an MP4 file") + error(missing, "cannot open")
                           + error(noMoov, "no moov atom (not a complete MP4 file)"));
}

TEST_F(TitleCommand, SetAndClearRewriteInPlace)
{
    const auto f = dir.write("v.mp4", mp4::pspVideo(""));
    for (const std::string title : {"Holiday 2025", "Trip"}) {
        const CliRun r = run({"set", f.string(), title});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(run({"get", f.string()}).out, title + "\n");
    }
    EXPECT_EQ(run({"clear", f.string()}).status, 0);
    EXPECT_EQ(readFileBytes(f), mp4::pspVideo(""));
}

TEST_F(TitleCommand, FailuresSayWhyAndLeaveTheFile)
{
    const auto g = dir.write("g.mp4", mp4::pspVideo(mp4::usmt(u"Hello")));
    const auto text = dir.write("t.mp4", "not a video");
    const auto missing = dir.path() / "missing.mp4";
    const struct
    {
        std::vector<std::string> args;
        std::filesystem::path file;
        std::string why;
    } cases[] = {
        {{"set", g.string(), std::string(256, 'x')}, g, "The title is longer than 255 bytes."},
        {{"set", g.string(), "Caf\xE9"}, g, "The title is not valid UTF-8 text."},
        {{"clear", text.string()}, text, "The file is not an MP4 video."},
        {{"set", missing.string(), "x"}, missing, "The file does not exist."},
    };
    for (const auto& c : cases) {
        const std::string before = std::filesystem::exists(c.file) ? readFileBytes(c.file) : "";
        const CliRun r = run(c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, error(c.file, c.why));
        EXPECT_EQ(std::filesystem::exists(c.file) ? readFileBytes(c.file) : "", before);
    }
}

TEST_F(TitleCommand, WrongArgumentsShowTheUsage)
{
    for (const auto& args : std::vector<std::vector<std::string>>{{}, {"get"}, {"set", "a.mp4"}, {"clear"}, {"rename", "a", "b"}}) {
        const CliRun r = run(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("Usage: reelkeeper-cli title get FILE..."), std::string::npos);
    }
}

} // namespace
