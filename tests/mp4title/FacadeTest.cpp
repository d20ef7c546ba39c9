#include "mp4title/Title.h"

#include "Mp4Builder.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <thread>
#include <vector>

namespace {

TEST(TitleFacade, ReadStatuses)
{
    TempDir dir;
    auto r = mp4title::readTitle(dir.write("a.mp4", mp4::pspVideo(mp4::usmt(u"Hello"))).string());
    EXPECT_EQ(r.status, mp4title::ReadStatus::Ok);
    EXPECT_EQ(r.title, "Hello");
    r = mp4title::readTitle(dir.write("b.mp4", mp4::pspVideo("")).string());
    EXPECT_EQ(r.status, mp4title::ReadStatus::Ok);
    EXPECT_EQ(r.title, "");
    EXPECT_EQ(mp4title::readTitle(dir.str() + "/missing.mp4").status, mp4title::ReadStatus::CannotOpen);
    EXPECT_EQ(mp4title::readTitle(dir.write("c.mp4", "plain text, not a video").string()).status,
              mp4title::ReadStatus::NotMp4);
    EXPECT_EQ(mp4title::readTitle(dir.write("d.mp4", mp4::ftyp() + mp4::atom("free", "x")).string()).status,
              mp4title::ReadStatus::NoMoov);
    EXPECT_STREQ(mp4title::describe(mp4title::ReadStatus::NotMp4), "not an MP4 file");
    EXPECT_STREQ(mp4title::describe(mp4title::ReadStatus::CannotOpen), "cannot open");
}

// A folder or a named pipe that carries a video's name is no video: it must be
// refused at once, never waited on (a pipe without a writer would block a read).
TEST(TitleFacade, WhatIsNoRegularFileCannotBeOpened)
{
    TempDir dir;
    const std::string pipe = dir.str() + "/pipe.mp4";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0666), 0);
    EXPECT_EQ(mp4title::readTitle(pipe).status, mp4title::ReadStatus::CannotOpen);
    EXPECT_FALSE(mp4title::writeTitle(pipe, "x").ok);
    std::filesystem::create_directory(dir.path() / "folder.mp4");
    EXPECT_EQ(mp4title::readTitle(dir.str() + "/folder.mp4").status, mp4title::ReadStatus::CannotOpen);
}

TEST(TitleFacade, WriteReasons)
{
    TempDir dir;
    const auto f = dir.write("a.mp4", mp4::pspVideo(mp4::usmt(u"Hello")));
    EXPECT_TRUE(mp4title::writeTitle(f.string(), "Bye").ok);
    EXPECT_EQ(mp4title::readTitle(f.string()).title, "Bye");
    EXPECT_TRUE(mp4title::clearTitle(f.string()).ok);
    EXPECT_EQ(mp4title::readTitle(f.string()).title, "");

    auto w = mp4title::writeTitle(f.string(), std::string(256, 'x'));
    EXPECT_FALSE(w.ok);
    EXPECT_EQ(w.reason, "the title is longer than 255 bytes");
    w = mp4title::writeTitle(f.string(), std::string("a\0b", 3));
    EXPECT_FALSE(w.ok);
    const auto g = dir.write("b.mp4", mp4::ftyp() + mp4::atom("moov", mp4::mvhd()) + mp4::atom("mdat", "m"));
    w = mp4title::writeTitle(g.string(), "New");
    EXPECT_FALSE(w.ok);
    EXPECT_EQ(w.reason, "the title cannot be written in place: the moov atom is not at the end of the file");
    EXPECT_EQ(mp4title::writeTitle(dir.str() + "/missing.mp4", "x").reason, "cannot open");
}

TEST(TitleFacade, CallsFromManyThreadsDoNotMix)
{
    TempDir dir;
    std::vector<std::string> paths;
    for (int i = 0; i < 8; ++i)
        paths.push_back(dir.write("v" + std::to_string(i) + ".mp4", mp4::pspVideo(mp4::usmt(u"Title"))).string());
    std::vector<std::thread> threads;
    std::vector<int> failures(paths.size(), 0);
    for (size_t t = 0; t < paths.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 40; ++round) {
                const std::string title = "Thread " + std::to_string(t) + " round " + std::to_string(round);
                if (!mp4title::writeTitle(paths[t], title).ok || mp4title::readTitle(paths[t]).title != title)
                    ++failures[t];
            }
        });
    }
    for (auto& th : threads)
        th.join();
    for (size_t t = 0; t < paths.size(); ++t)
        EXPECT_EQ(failures[t], 0) << t;
}

} // namespace
