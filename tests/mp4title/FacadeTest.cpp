#include "mp4title/ByteStream.h"
#include "mp4title/Title.h"

#include "Mp4Builder.h"
#include "TempDir.h"
#include "TitleCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <set>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

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
    EXPECT_STREQ(mp4title::describe(mp4title::ReadStatus::InUse), "in use by another program");
    // A folder or a named pipe that carries a video's name is refused at once,
    // never waited on (a pipe without a writer would block a read).
    ASSERT_EQ(::mkfifo((dir.str() + "/pipe.mp4").c_str(), 0666), 0);
    std::filesystem::create_directory(dir.path() / "folder.mp4");
    for (const char* name : {"/pipe.mp4", "/folder.mp4"})
        EXPECT_EQ(mp4title::readTitle(dir.str() + name).status, mp4title::ReadStatus::CannotOpen);
    EXPECT_EQ(mp4title::writeTitle(dir.str() + "/pipe.mp4", "x").reason, "It is not a regular file.");
    EXPECT_EQ(mp4title::writeTitle(dir.str() + "/folder.mp4", "x").reason, "It is a folder, not a file.");
}

TEST(TitleFacade, WriteReasonsNameTheCause)
{
    TempDir dir;
    const std::string hello = mp4::pspVideo(mp4::usmt(u"Hello"));
    const auto f = dir.write("a.mp4", hello);
    EXPECT_TRUE(mp4title::writeTitle(f.string(), "Bye").ok);
    EXPECT_EQ(mp4title::readTitle(f.string()).title, "Bye");
    EXPECT_TRUE(mp4title::clearTitle(f.string()).ok);
    EXPECT_EQ(mp4title::readTitle(f.string()).title, "");

    const struct {
        std::string bytes;
        std::string title;
        const char* reason;
    } cases[] = {
        {hello, std::string(256, 'x'), "The title is longer than 255 bytes."},
        {hello, std::string("a\0b", 3), "The title contains a zero byte."},
        {hello, "Caf\xE9", "The title is not valid UTF-8 text."},
        {"plain text", "x", "The file is not an MP4 video."},
        {mp4::ftyp() + mp4::atom("free", "x"), "x", "The file has no moov atom (it is not a complete MP4 video)."},
        {hello + mp4::atom("moof", ""), "x", "The file is fragmented (it has moof or mvex atoms); its title is not changed."},
        {mp4::ftyp() + mp4::atom64("moov", mp4::mvhd()), "x",
         "The file uses a 64-bit atom size where the title would have to be written."},
        {mp4::pspVideo(mp4::be32(5) + "free" + mp4::trak()), "x",
         "A title written there would not be read back: an atom in the moov atom has a size field below 8."},
    };
    for (const auto& c : cases) {
        const auto g = dir.write("g.mp4", c.bytes);
        const auto w = mp4title::writeTitle(g.string(), c.title);
        EXPECT_FALSE(w.ok);
        EXPECT_EQ(w.reason, c.reason);
        EXPECT_EQ(readFileBytes(g), c.bytes);
    }
    EXPECT_EQ(mp4title::writeTitle(dir.str() + "/missing.mp4", "x").reason, "The file does not exist.");
}

// As root a file's mode does not stop a write; an unprivileged child and a
// read-only mount give the real errors.
TEST(TitleFacade, PermissionAndReadOnlyFileSystemsAreNamed)
{
    TempDir dir;
    const auto f = dir.write("v.mp4", mp4::pspVideo(mp4::usmt(u"Hello")));
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        const std::string reason = ::setuid(65534) == 0 ? mp4title::writeTitle(f.string(), "x").reason : "no setuid";
        (void)!::write(pipeFds[1], reason.data(), reason.size());
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    char buffer[256] = {};
    (void)!::read(pipeFds[0], buffer, sizeof(buffer) - 1);
    ::close(pipeFds[0]);
    ::waitpid(child, nullptr, 0);
    if (std::string(buffer) != "no setuid") {
        EXPECT_STREQ(buffer, "The file cannot be opened for writing: permission denied.");
    }

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
    const auto w = mp4title::writeTitle(f.string(), "Mine");
    const auto waited = Clock::now() - start;
    EXPECT_EQ(w.reason, "The file is in use by another program.");
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
    pid_t holder = ::fork();
    if (holder == 0) {
        const int fd = ::open(f.c_str(), O_RDONLY);
        ::flock(fd, LOCK_EX);
        (void)!::write(ready[1], "x", 1);
        ::usleep(150 * 1000);
        ::_exit(0);
    }
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    EXPECT_TRUE(mp4title::writeTitle(f.string(), "After the wait").ok);
    ::waitpid(holder, nullptr, 0);

    // Two processes retitling the same file all along: each write succeeds or
    // finds the file busy, and the file ends whole with one of their titles.
    std::vector<pid_t> writers;
    for (int p = 0; p < 2; ++p) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            int bad = 0;
            titlecheck::arm(titlecheck::Inject::NoSync);
            for (int i = 0; i < 40; ++i) {
                const auto w = mp4title::writeTitle(f.string(), "Writer " + std::to_string(p) + std::string(i % 7, '!'));
                bad += !w.ok && w.reason != "The file is in use by another program.";
            }
            ::_exit(bad);
        }
        writers.push_back(pid);
    }
    for (pid_t pid : writers) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const std::string after = readFileBytes(f);
    EXPECT_EQ(titlecheck::structureProblem(after), "");
    EXPECT_EQ(mp4title::readTitle(f.string()).title.rfind("Writer ", 0), 0u);
}

TEST(TitleFacade, CallsFromManyThreadsDoNotMix)
{
    TempDir dir;
    std::vector<std::string> paths;
    for (int i = 0; i < 8; ++i)
        paths.push_back(dir.write("v" + std::to_string(i) + ".mp4", mp4::pspVideo(mp4::usmt(u"Title"))).string());
    std::vector<std::thread> threads;
    std::vector<int> failures(paths.size(), 0);
    titlecheck::arm(titlecheck::Inject::NoSync); // the calls are serialised, so the counter is safe
    for (size_t t = 0; t < paths.size(); ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 10; ++round) {
                const std::string title = "Thread " + std::to_string(t) + " round " + std::to_string(round);
                failures[t] += !mp4title::writeTitle(paths[t], title).ok || mp4title::readTitle(paths[t]).title != title;
            }
        });
    for (auto& th : threads)
        th.join();
    titlecheck::disarm();
    EXPECT_EQ(std::count(failures.begin(), failures.end(), 0), 8);
}

} // namespace
