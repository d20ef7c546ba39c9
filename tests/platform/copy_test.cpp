#include "TempDir.h"

#include "platform/FileCopy.h"

#include <gtest/gtest.h>

#include <QString>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <tuple>
#include <vector>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace platform;
using Names = std::vector<std::string>;

namespace {

constexpr std::uint64_t kChunk = FileOps::ChunkSize;
constexpr timespec kSourceTime{1'000'000'000, 123'456'789};

QString q(const fs::path& p) { return QString::fromStdString(p.string()); }

std::string pattern(std::size_t size, char seed)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(seed + i * 7 + i / 4093);
    return bytes;
}

void keepTime(const fs::path& path)
{
    const timespec times[2] = {kSourceTime, kSourceTime};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

fs::path makeSource(const TempDir& dir, std::size_t size, const std::string& name = "src/in.mp4")
{
    const fs::path path = dir.write(name, pattern(size, 'a'));
    keepTime(path);
    return path;
}

Names entries(const fs::path& folder)
{
    Names names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void expectFailed(const CopyResult& result, CopyFault fault, int error)
{
    EXPECT_EQ(result.status, CopyStatus::Failed);
    EXPECT_EQ(result.fault, fault);
    EXPECT_EQ(result.error, error);
}

// Fails every chunk from `limit` bytes on with ENOSPC, as a device that fills
// up does; with `direct` false it also keeps copy_file_range out.
struct FailingOps : FileOps
{
    FailingOps(std::uint64_t limit, bool direct) : limit(limit), direct(direct) {}
    std::int64_t copyChunk(int source, int target, std::uint64_t offset, std::size_t size, ChunkIo& io) const override
    {
        io.direct = io.direct && direct;
        if (offset < limit)
            return FileOps::copyChunk(source, target, offset, std::min<std::uint64_t>(size, limit - offset), io);
        io.fault = CopyFault::WriteTarget;
        errno = ENOSPC;
        return -1;
    }
    std::uint64_t limit;
    bool direct;
};

// A tmpfs of the given size mounted on a fresh folder, or nothing where mount isn't permitted.
struct SmallTmpfs
{
    explicit SmallTmpfs(const char* size) : mounted(::mount("tmpfs", dir.path().c_str(), "tmpfs", 0, size) == 0) {}
    ~SmallTmpfs() { mounted && ::umount2(dir.path().c_str(), MNT_DETACH); }
    TempDir dir;
    bool mounted;
};

} // namespace

// Every copy, whole, failing after N bytes or cancelled at the Nth report,
// writes aside under a lock; only a whole copy takes the target name, with
// the source's bytes and time. Otherwise an old target stays as it was.
TEST(FileCopy, WritesAsideAndKeepsTheOldTargetUnlessWhole)
{
    constexpr std::uint64_t kWhole = UINT64_MAX, kBig = 3 * kChunk + 17;
    struct Case
    {
        std::size_t size;
        bool failIfExists, targetExists, direct; // targetExists: an older file there (overwrite only)
        std::uint64_t failAfter;
        std::size_t cancelAtReport; // 0: no cancel
    };
    const Case cases[] = {
        {0, true, false, true, kWhole, 0},          {0, false, true, true, kWhole, 0},
        {1000, true, false, true, kWhole, 0},       {1000, false, true, false, kWhole, 0},
        {kBig, true, false, true, kWhole, 0},       {kBig, false, true, true, kWhole, 0},
        {kBig, true, false, false, kWhole, 0},      {kBig, false, false, false, kWhole, 0},
        {kBig, true, false, true, kChunk + 5000, 0}, {kBig, false, true, true, kChunk + 5000, 0},
        {kBig, false, true, false, 0, 0},           {kBig, true, false, false, 2 * kChunk, 0},
        {kBig, true, false, true, kWhole, 1},       {kBig, false, true, true, kWhole, 2},
        {kBig, true, false, false, kWhole, 3},      {kBig, false, true, false, kWhole, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << " " << c.failIfExists << c.targetExists << c.direct << " "
                                        << c.failAfter << " " << c.cancelAtReport);
        TempDir dir;
        const fs::path source = makeSource(dir, c.size);
        const std::string original = readFileBytes(source), old = c.targetExists ? "old video" : "";
        const fs::path target = dir.path() / "dst" / "out.mp4";
        fs::create_directory(dir.path() / "dst");
        if (c.targetExists)
            dir.write("dst/out.mp4", old);

        std::vector<std::uint64_t> reports;
        const auto progress = [&](std::uint64_t total, std::uint64_t copied) {
            EXPECT_EQ(total, c.size);
            reports.push_back(copied);
            EXPECT_EQ(fs::exists(target) ? readFileBytes(target) : "", old);
            for (const auto& name : entries(dir.path() / "dst")) {
                const int fd = ::open((dir.path() / "dst" / name).c_str(), O_RDONLY | O_CLOEXEC);
                EXPECT_TRUE(name == "out.mp4" || ::flock(fd, LOCK_SH | LOCK_NB) != 0) << name << " is not locked";
                ::close(fd);
            }
            return reports.size() != c.cancelAtReport;
        };
        const CopyResult result =
            FailingOps(c.failAfter, c.direct).copyFile(q(source), q(target), c.failIfExists, progress);
        EXPECT_EQ(readFileBytes(source), original);
        if (c.cancelAtReport) {
            EXPECT_EQ(result.status, CopyStatus::Cancelled);
            EXPECT_EQ(reports.size(), c.cancelAtReport) << "no report after the cancel";
        } else if (c.failAfter != kWhole) {
            expectFailed(result, CopyFault::WriteTarget, ENOSPC);
            EXPECT_EQ(result.copied, c.failAfter);
        }
        if (!result.ok()) {
            EXPECT_EQ(entries(dir.path() / "dst"), c.targetExists ? Names{"out.mp4"} : Names{});
            EXPECT_EQ(fs::exists(target) ? readFileBytes(target) : "", old);
            continue;
        }
        ASSERT_EQ(c.failAfter, kWhole) << "a failure reported as success";
        EXPECT_EQ(result.total, c.size);
        EXPECT_EQ(result.copied, c.size);
        EXPECT_EQ(readFileBytes(target), original);
        EXPECT_EQ(entries(dir.path() / "dst"), Names{"out.mp4"}) << "no temporary left";
        struct stat info {};
        ASSERT_EQ(::stat(target.c_str(), &info), 0);
        EXPECT_EQ(info.st_mtim.tv_sec, kSourceTime.tv_sec);
        EXPECT_EQ(info.st_mtim.tv_nsec, kSourceTime.tv_nsec);
        ASSERT_FALSE(reports.empty());
        EXPECT_EQ(reports.front(), 0u);
        EXPECT_EQ(reports.back(), c.size);
        EXPECT_EQ(std::adjacent_find(reports.begin(), reports.end(), std::greater_equal<>()), reports.end());
        EXPECT_GE(reports.size(), 1 + (c.size + kChunk - 1) / kChunk) << "a report after every chunk";
    }
}

// A taken name stops fail-if-exists before any byte moves.
TEST(FileCopy, TakenTargetNames)
{
    TempDir dir;
    const fs::path source = makeSource(dir, 5000);
    const fs::path target = dir.write("dst/out.mp4", "mine");
    int calls = 0;
    const CopyResult result = fileOps().copyFile(q(source), q(target), true, [&](auto, auto) { return ++calls, true; });
    EXPECT_EQ(result.status, CopyStatus::TargetExists);
    EXPECT_EQ(result.error, EEXIST);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(readFileBytes(target), "mine");
    EXPECT_EQ(entries(dir.path() / "dst"), Names{"out.mp4"});
}

// Failures of the real system, before the copy or at its first report.
TEST(FileCopy, FailuresNameTheSide)
{
    using Change = std::function<void(fs::path& source, const fs::path& folder)>;
    struct Case
    {
        const char* what;
        Change before, during;
        CopyFault fault;
        int error;
    };
    const Case cases[] = {
        {"missing source", [](fs::path& s, auto&) { s += ".gone"; }, {}, CopyFault::ReadSource, ENOENT},
        {"source is a folder", [](fs::path& s, auto&) { s = s.parent_path(); }, {}, CopyFault::ReadSource, EISDIR},
        {"no target folder", [](auto&, auto& f) { fs::remove(f); }, {}, CopyFault::WriteTarget, ENOENT},
        {"target is a folder", [](auto&, auto& f) { fs::create_directory(f / "out.mp4"); }, {}, CopyFault::WriteTarget,
         EISDIR},
        {"target folder removed", {}, [](auto&, auto& f) { fs::remove_all(f); }, CopyFault::WriteTarget, ENOENT},
        {"source grows, same time", {},
         [](auto& s, auto&) { std::ofstream(s, std::ios::app) << "more", keepTime(s); }, CopyFault::SourceChanged, 0},
        {"source rewritten", {}, [](auto& s, auto&) { std::fstream(s, std::ios::in | std::ios::out) << "new"; },
         CopyFault::SourceChanged, 0},
        {"source shrinks", {}, [](auto& s, auto&) { fs::resize_file(s, kChunk); }, CopyFault::SourceChanged, 0},
        {"source deleted", {}, [](auto& s, auto&) { fs::remove(s); }, CopyFault::SourceChanged, 0},
    };
    for (const Case& c : cases) {
        for (const bool failIfExists : {true, false}) {
            SCOPED_TRACE(testing::Message() << c.what << ", fail-if-exists " << failIfExists);
            TempDir dir;
            fs::path source = makeSource(dir, 2 * kChunk + 1);
            const fs::path folder = dir.path() / "dst";
            fs::create_directory(folder);
            if (c.before)
                c.before(source, folder);
            const bool targetIsFolder = fs::is_directory(folder / "out.mp4");
            expectFailed(fileOps().copyFile(q(source), q(folder / "out.mp4"), failIfExists && !targetIsFolder,
                                            [&](auto, std::uint64_t copied) {
                                                if (copied == 0 && c.during)
                                                    c.during(source, folder);
                                                return true;
                                            }),
                         c.fault, c.error);
            EXPECT_TRUE(!fs::exists(folder) || entries(folder).size() == (targetIsFolder ? 1u : 0u))
                << "nothing left behind";
        }
    }
}

TEST(FileCopy, FullFileSystemFailsAndCleansUp)
{
    SmallTmpfs stick("size=1m");
    if (!stick.mounted)
        GTEST_SKIP() << "mount not permitted";
    TempDir dir;
    const fs::path fits = makeSource(dir, 600 * 1024, "src/fits.mp4");
    const fs::path big = makeSource(dir, 700 * 1024, "src/big.mp4");
    const std::string original = readFileBytes(big);

    const fs::path small = makeSource(dir, 200 * 1024, "src/small.mp4");
    EXPECT_TRUE(fileOps().copyFile(q(fits), q(stick.dir.path() / "a.mp4"), true).ok());
    // Too big for the room left, both ways (an overwrite needs room for both
    // files until the rename, so the old one stays); or room at the start,
    // taken by someone else during the copy.
    for (const auto& [from, to, failIfExists, fillDuring] :
         {std::tuple{big, "b.mp4", true, false}, std::tuple{big, "b.mp4", false, false},
          std::tuple{fits, "a.mp4", false, false}, std::tuple{small, "c.mp4", true, true}}) {
        int calls = 0;
        expectFailed(fileOps().copyFile(q(from), q(stick.dir.path() / to), failIfExists,
                                        [&](auto, auto) {
                                            if (fillDuring)
                                                std::ofstream(stick.dir.path() / "filler") << pattern(1 << 20, 'f');
                                            return ++calls, true;
                                        }),
                     CopyFault::WriteTarget, ENOSPC);
        EXPECT_EQ(calls == 0, !fillDuring) << "known to be too big before the first byte";
        EXPECT_EQ(entries(stick.dir.path()), (fillDuring ? Names{"a.mp4", "filler"} : Names{"a.mp4"}));
        EXPECT_EQ(readFileBytes(stick.dir.path() / "a.mp4"), readFileBytes(fits));
        EXPECT_EQ(readFileBytes(big), original);
    }
}

TEST(FileOps, RemoveAndMakeDirectoryClassifyErrors)
{
    TempDir dir;
    const fs::path file = dir.write("a.mp4", "x");
    const fs::path locked = dir.write("locked.mp4", "x");
    fs::create_directory(dir.path() / "folder");

    // An immutable file refuses even root (EPERM), as a read-only PSP video would.
    const int fd = ::open(locked.c_str(), O_RDONLY | O_CLOEXEC);
    int flags = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0
        && (flags |= FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0)) {
        const FileOpResult refused = fileOps().removeFile(q(locked));
        flags &= ~FS_IMMUTABLE_FL;
        ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        EXPECT_EQ(refused.status, FileOpStatus::AccessDenied);
        EXPECT_TRUE(fs::exists(locked));
    }
    ::close(fd);

    const std::tuple<FileOpResult, FileOpStatus, int> cases[] = {
        {fileOps().removeFile(q(file)), FileOpStatus::Ok, 0},
        {fileOps().removeFile(q(file)), FileOpStatus::NotFound, ENOENT},
        {fileOps().removeFile(q(dir.path() / "folder")), FileOpStatus::Failed, EISDIR},
        {fileOps().makeDirectory(q(dir.path() / "new")), FileOpStatus::Ok, 0},
        {fileOps().makeDirectory(q(dir.path() / "new")), FileOpStatus::AlreadyExists, EEXIST},
        {fileOps().makeDirectory(q(dir.path() / "no" / "new")), FileOpStatus::NotFound, ENOENT},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(std::pair(std::get<0>(cases[i]).status, std::get<0>(cases[i]).error),
                  std::pair(std::get<1>(cases[i]), std::get<2>(cases[i]))) << "case " << i;
    EXPECT_FALSE(fs::exists(file));
    EXPECT_TRUE(fs::is_directory(dir.path() / "new"));
}
