// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CliRun.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdlib>

namespace {

// A video the PSP plays, made once for the tests.
std::filesystem::path playable(const TempDir& dir)
{
    const auto path = dir.path() / "plays.mp4";
    const std::string command = "ffmpeg -hide_banner -loglevel error -y -f lavfi -i testsrc=size=480x272:duration=0.2 -f lavfi "
                                "-i sine=duration=0.2 -pix_fmt yuv420p -c:v libx264 -profile:v main -x264-params b-pyramid=none "
                                "-c:a aac -ac 2 '" + path.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return path;
}

} // namespace

// One line per file in argument order, status 1 unless every file plays, and
// a file that can't be read says why on stderr.
TEST(CliCheck, PrintsAVerdictPerFile)
{
    TempDir dir;
    const auto plays = playable(dir);
    dir.write("fake\tname.mp4", "hello world\n");
    CliRun run = Cli(dir, {"check", plays.string()}).wait();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, plays.string() + "\tplays\n");

    run = Cli(dir, {"check", "fake\tname.mp4", plays.string(), "missing.mp4"}).wait();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "fake\\tname.mp4\tnot a video\n" + plays.string() + "\tplays\nmissing.mp4\tcan't judge: can't open it: No such file or directory\n");
    EXPECT_EQ(run.err, "reelkeeper-cli: missing.mp4: can't open it: No such file or directory\n");

    run = Cli(dir, {"check", "-z", "fake\tname.mp4"}).wait();
    EXPECT_EQ(run.out, std::string("fake\tname.mp4\0not a video\0", 26));
    EXPECT_EQ(Cli(dir, {"check"}).wait().status, 2);
}

TEST(CliCheck, JsonGivesTheFacts)
{
    TempDir dir;
    const auto plays = playable(dir);
    const CliRun run = Cli(dir, {"check", "--json", plays.string()}).wait();
    EXPECT_EQ(run.status, 0);
    ASSERT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1);
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object();
    EXPECT_EQ(o["file"].toString().toStdString(), plays.string());
    EXPECT_TRUE(o["plays"].toBool());
    EXPECT_EQ(o["container"].toString(), "mp4");
    EXPECT_EQ(o["video"]["codec"].toString(), "H.264");
    EXPECT_EQ(o["video"]["width"].toInt(), 480);
    EXPECT_EQ(o["audio"]["profile"].toString(), "LC");
    EXPECT_EQ(o["audio"]["channels"].toInt(), 2);
}
