#include "mp4title/ByteStream.h"
#include "mp4title/Title.h"

#include "TitleTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

template <typename Body>
pid_t spawn(Body body)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    return pid;
}

int exitCode(pid_t pid)
{
    int status = -1;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(TitleFacade, StatusesAndPlainWrites)
{
    TempDir dir;
    const auto f = dir.write("a.mp4", mp4::pspVideo(mp4::usmt(u"Hello")));
    const auto read = [&](const std::string& name) { return mp4title::readTitle(dir.str() + "/" + name); };
    EXPECT_EQ(read("a.mp4").status, mp4title::ReadStatus::Ok);
    EXPECT_EQ(read("a.mp4").title, "Hello");
    EXPECT_TRUE(mp4title::writeTitle(f.string(), "Bye").ok);
    EXPECT_EQ(read("a.mp4").title, "Bye");
    EXPECT_TRUE(mp4title::clearTitle(f.string()).ok);
    EXPECT_EQ(read("a.mp4").status, mp4title::ReadStatus::Ok);
    EXPECT_EQ(read("a.mp4").title, "");
    EXPECT_EQ(read("missing.mp4").status, mp4title::ReadStatus::CannotOpen);
    dir.write("c.mp4", "plain text, not a video");
    EXPECT_EQ(read("c.mp4").status, mp4title::ReadStatus::NotMp4);
    dir.write("d.mp4", mp4::ftyp() + mp4::atom("free", "x"));
    EXPECT_EQ(read("d.mp4").status, mp4title::ReadStatus::NoMoov);
    EXPECT_STREQ(mp4title::describe(mp4title::ReadStatus::NotMp4), "not an MP4 file");
    EXPECT_STREQ(mp4title::describe(mp4title::ReadStatus::CannotOpen), "cannot open");
    EXPECT_STREQ(mp4title::describe(mp4title::ReadStatus::InUse), "in use by another program");
    // A folder or a named pipe that carries a video's name is refused at once,
    // never waited on (a pipe without a writer would block a read).
    ASSERT_EQ(::mkfifo((dir.str() + "/pipe.mp4").c_str(), 0666), 0);
    std::filesystem::create_directory(dir.path() / "folder.mp4");
    for (const char* name : {"pipe.mp4", "folder.mp4"})
        EXPECT_EQ(read(name).status, mp4title::ReadStatus::CannotOpen);
    EXPECT_EQ(mp4title::writeTitle(dir.str() + "/pipe.mp4", "x").reason, "It is not a regular file.");
    EXPECT_EQ(mp4title::writeTitle(dir.str() + "/folder.mp4", "x").reason, "It is a folder, not a file.");
}

// As root a file's mode does not stop a write; an unprivileged child and a
// read-only mount give the real errors.
TEST(TitleFacade, PermissionAndReadOnlyFileSystemsAreNamed)
{
    TempDir dir;
    const auto f = dir.write("v.mp4", mp4::pspVideo(mp4::usmt(u"Hello")));
    const int denied = exitCode(spawn([&] {
        if (::setuid(65534) != 0)
            return 2;
        return mp4title::writeTitle(f.string(), "x").reason == "The file cannot be opened for writing: permission denied." ? 0 : 1;
    }));
    EXPECT_NE(denied, 1);

    const auto mountPoint = dir.path() / "ro";
    std::filesystem::create_directory(mountPoint);
    if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here";
    const std::string bytes = mp4::pspVideo("");
    const auto g = dir.write("ro/v.mp4", bytes);
    ASSERT_EQ(::mount("tmpfs", mountPoint.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k"), 0);
    EXPECT_EQ(mp4title::writeTitle(g.string(), "x").reason, "The file cannot be opened for writing: the file system is read-only.");
    EXPECT_EQ(readFileBytes(g), bytes);
    ::umount2(mountPoint.c_str(), MNT_DETACH);
}

TEST(TitleFacade, ABusyFileIsReportedAfterAShortWait)
{
    TempDir dir;
    const std::string bytes = mp4::pspVideo(mp4::usmt(u"Hello"));
    const auto f = dir.write("v.mp4", bytes);
    // Another open file (flock locks belong to it, not to the process).
    const int other = ::open(f.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    const auto start = Clock::now();
    EXPECT_EQ(mp4title::writeTitle(f.string(), "Mine").reason, "The file is in use by another program.");
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(FILE_LOCK_WAIT_MS - 20));
    EXPECT_LT(waited, std::chrono::milliseconds(FILE_LOCK_WAIT_MS + 1500));
    EXPECT_EQ(mp4title::readTitle(f.string()).status, mp4title::ReadStatus::InUse);
    // A reader's shared lock keeps writers out, not other readers.
    ASSERT_EQ(::flock(other, LOCK_SH), 0);
    EXPECT_EQ(mp4title::readTitle(f.string()).title, "Hello");
    EXPECT_FALSE(mp4title::writeTitle(f.string(), "Mine").ok);
    EXPECT_EQ(readFileBytes(f), bytes);
    ::close(other);
    EXPECT_TRUE(mp4title::writeTitle(f.string(), "Mine").ok);
}

TEST(TitleFacade, WritersInTwoProcessesTakeTurns)
{
    TempDir dir;
    const auto f = dir.write("v.mp4", mp4::pspVideo(mp4::usmt(u"Start")));
    // A lock held a moment by another process is waited for.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = spawn([&] {
        ::flock(::open(f.c_str(), O_RDONLY), LOCK_EX);
        (void)!::write(ready[1], "x", 1);
        ::usleep(150 * 1000);
        return 0;
    });
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    EXPECT_TRUE(mp4title::writeTitle(f.string(), "After the wait").ok);
    exitCode(holder);

    // Two processes retitling the same file all along: each write succeeds or
    // finds the file busy, and the file ends whole with one of their titles.
    pid_t writers[2];
    for (int p = 0; p < 2; ++p)
        writers[p] = spawn([&] {
            int bad = 0;
            titlecheck::arm(titlecheck::Inject::NoSync);
            for (int i = 0; i < 40; ++i) {
                const auto w = mp4title::writeTitle(f.string(), "Writer " + std::to_string(p) + std::string(i % 7, '!'));
                bad += !w.ok && w.reason != "The file is in use by another program.";
            }
            return bad;
        });
    for (pid_t pid : writers)
        EXPECT_EQ(exitCode(pid), 0);
    EXPECT_EQ(titlecheck::structureProblem(readFileBytes(f)), "");
    EXPECT_EQ(mp4title::readTitle(f.string()).title.rfind("Writer ", 0), 0u);
}

TEST(TitleFacade, CallsFromManyThreadsDoNotMix)
{
    TempDir dir;
    std::vector<std::thread> threads;
    std::vector<int> failures(8, 0);
    titlecheck::arm(titlecheck::Inject::NoSync); // the calls are serialised, so the counter is safe
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&, t, path = dir.write("v" + std::to_string(t) + ".mp4", mp4::pspVideo(mp4::usmt(u"Title"))).string()] {
            for (int round = 0; round < 10; ++round) {
                const std::string title = "Thread " + std::to_string(t) + " round " + std::to_string(round);
                failures[t] += !mp4title::writeTitle(path, title).ok || mp4title::readTitle(path).title != title;
            }
        });
    for (auto& th : threads)
        th.join();
    titlecheck::disarm();
    EXPECT_EQ(failures, std::vector<int>(8, 0));
}

} // namespace
