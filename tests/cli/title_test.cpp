#include "Mp4Builder.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string quote(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

CliRun runCli(const TempDir& dir, const std::vector<std::string>& args)
{
    std::string command = quote(REELKEEPER_CLI);
    for (const auto& a : args)
        command += " " + quote(a);
    const std::string errFile = (dir.path() / "stderr.txt").string();
    command += " 2>" + quote(errFile);
    CliRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof(buf), pipe)) > 0)
        run.out.append(buf, n);
    const int raw = ::pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.err = readFileBytes(errFile);
    return run;
}

class TitleCommand : public ::testing::Test
{
protected:
    TempDir dir;
};

TEST_F(TitleCommand, GetPrintsOneLinePerFile)
{
    const auto a = dir.write("a.mp4", mp4::pspVideo(mp4::usmt(u"Caf\u00e9")));
    const auto b = dir.write("b.mp4", mp4::pspVideo(""));
    const CliRun ok = runCli(dir, {"title", "get", a.string(), b.string()});
    EXPECT_EQ(ok.status, 0);
    EXPECT_EQ(ok.out, "Caf\xC3\xA9\n\n");
    EXPECT_EQ(ok.err, "");

    const auto text = dir.write("text.mp4", "this is not a video");
    const auto noMoov = dir.write("nomoov.mp4", mp4::ftyp() + mp4::atom("free", "x"));
    const auto missing = dir.path() / "missing.mp4";
    const CliRun bad = runCli(dir, {"title", "get", a.string(), text.string(), missing.string(), noMoov.string()});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.out, "Caf\xC3\xA9\n\n\n\n");
    EXPECT_EQ(bad.err, "reelkeeper-cli: " + text.string() + ": not an MP4 file\n" + "reelkeeper-cli: " + missing.string()
                           + ": cannot open\n" + "reelkeeper-cli: " + noMoov.string()
                           + ": no moov atom (not a complete MP4 file)\n");
}

TEST_F(TitleCommand, SetAndClearRewriteInPlace)
{
    const auto f = dir.write("v.mp4", mp4::pspVideo(""));
    CliRun r = runCli(dir, {"title", "set", f.string(), "Holiday 2025"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(runCli(dir, {"title", "get", f.string()}).out, "Holiday 2025\n");
    r = runCli(dir, {"title", "set", f.string(), "Trip"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(runCli(dir, {"title", "get", f.string()}).out, "Trip\n");
    r = runCli(dir, {"title", "clear", f.string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(readFileBytes(f), mp4::pspVideo(""));
}

TEST_F(TitleCommand, FastStartFilesAreRetitled)
{
    const std::string fast = mp4::ftyp() + mp4::atom("moov", mp4::mvhd() + mp4::usmt(u"Hello")) + mp4::atom("mdat", "m");
    const auto f = dir.write("fast.mp4", fast);
    const CliRun r = runCli(dir, {"title", "set", f.string(), "Other"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(runCli(dir, {"title", "get", f.string()}).out, "Other\n");
}

TEST_F(TitleCommand, FailuresSayWhyAndLeaveTheFile)
{
    const std::string plain = mp4::pspVideo(mp4::usmt(u"Hello"));
    const auto g = dir.write("g.mp4", plain);
    const auto text = dir.write("t.mp4", "not a video");
    const auto missing = dir.path() / "missing.mp4";
    const struct {
        std::vector<std::string> args;
        std::filesystem::path file;
        std::string reason;
    } cases[] = {
        {{"title", "set", g.string(), std::string(256, 'x')}, g, "The title is longer than 255 bytes."},
        {{"title", "set", g.string(), "Caf\xE9"}, g, "The title is not valid UTF-8 text."},
        {{"title", "clear", text.string()}, text, "The file is not an MP4 video."},
        {{"title", "set", missing.string(), "x"}, missing, "The file does not exist."},
    };
    for (const auto& c : cases) {
        const std::string before = std::filesystem::exists(c.file) ? readFileBytes(c.file) : "";
        const CliRun r = runCli(dir, c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "reelkeeper-cli: " + c.file.string() + ": " + c.reason + "\n");
        EXPECT_EQ(std::filesystem::exists(c.file) ? readFileBytes(c.file) : "", before);
    }
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(TitleCommand, WrongArgumentsShowTheUsage)
{
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"title"}, {"title", "get"}, {"title", "set", "a.mp4"}, {"title", "clear"}, {"title", "rename", "a", "b"}}) {
        const CliRun r = runCli(dir, args);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("Usage: reelkeeper-cli title get FILE..."), std::string::npos);
    }
}

} // namespace
