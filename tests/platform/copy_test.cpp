// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TempDir.h"

#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "platform/Volumes.h"

#include <gtest/gtest.h>

#include <QString>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fstream>
#include <functional>
#include <tuple>
#include <vector>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace platform;
using Names = std::vector<std::string>;
using Sys = FileOps::Sys;
using Calls = std::vector<Sys>;

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

// The copy routine's promises replayed call by call: the order of the calls
// that make names and durability, a failure of each, a process killed at
// each, names claimed by someone else at the last moment, and the checks
// made before the first byte.
namespace {

bool hasTemporary(const fs::path& folder)
{
    for (const auto& name : entries(folder)) {
        if (FileOps::isTemporaryName(QString::fromStdString(name)))
            return true;
    }
    return false;
}

// Records the calls; fails one of them, stops the process at one, or runs a
// hook before one; can make the file system one without no-replace renames
// or links (a FAT stick through FUSE).
struct ReplayOps : FileOps
{
    explicit ReplayOps(bool noAtomicNames = false) : noAtomicNames(noAtomicNames) {}
    int sys(Sys call, const SysArgs& args) const override
    {
        calls.push_back(call);
        if (before)
            before(call, args);
        if (calls.size() == killAt)
            ::_exit(0);
        if (calls.size() == failAt || (call == failCall && failError)) {
            errno = failError;
            return -1;
        }
        if (noAtomicNames && (call == Sys::RenameNoReplace || call == Sys::Link)) {
            errno = call == Sys::Link ? EPERM : EINVAL;
            return -1;
        }
        return FileOps::sys(call, args);
    }
    mutable Calls calls;
    std::size_t failAt = 0, killAt = 0; // 1-based position in calls; 0: none
    Sys failCall = Sys::VolumeRoom;     // with failError: every call of this kind fails
    int failError = 0;
    bool noAtomicNames = false;
    std::function<void(Sys, const SysArgs&)> before;
};

struct Copy
{
    explicit Copy(bool oldTarget = false)
    {
        if (oldTarget)
            dir.write("psp/m4v00001.mp4", "old");
    }
    TempDir dir;
    fs::path source = dir.write("src/in.mp4", std::string(300'000, 'v'));
    fs::path folder = (fs::create_directory(dir.path() / "psp"), dir.path() / "psp");
    fs::path target = folder / "m4v00001.mp4";
};

const Calls kNew{Sys::LookTarget, Sys::CreateTemp, Sys::VolumeRoom, Sys::SyncFile, Sys::RenameNoReplace,
                 Sys::SyncFolder};
const Calls kNewWithoutAtomicNames{Sys::LookTarget,      Sys::CreateTemp, Sys::VolumeRoom,      Sys::SyncFile,
                                   Sys::RenameNoReplace, Sys::Link,       Sys::CreateExclusive, Sys::Rename,
                                   Sys::SyncFolder};
const Calls kOverwrite{Sys::LookTarget, Sys::CreateTemp, Sys::VolumeRoom, Sys::SyncFile, Sys::Rename,
                       Sys::SyncFolder};

struct Mode
{
    const char* name;
    bool failIfExists, noAtomicNames, oldTarget;
    const Calls* calls;
};
const Mode kModes[] = {
    {"new", true, false, false, &kNew},
    {"new, no atomic names", true, true, false, &kNewWithoutAtomicNames},
    {"overwrite", false, false, true, &kOverwrite},
};

class CopyReplay : public testing::TestWithParam<Mode>
{
};

} // namespace

// The data is synced before the name is taken, the folder before Ok.
TEST_P(CopyReplay, CallsInOrder)
{
    const Mode& m = GetParam();
    Copy c(m.oldTarget);
    ReplayOps ops(m.noAtomicNames);
    ASSERT_TRUE(ops.copyFile(q(c.source), q(c.target), m.failIfExists).ok());
    EXPECT_EQ(ops.calls, *m.calls);
    EXPECT_EQ(readFileBytes(c.target), readFileBytes(c.source));
    EXPECT_EQ(entries(c.folder), Names{"m4v00001.mp4"});
}

// Any call failing fails the copy: never Ok, the source whole, the old target
// (or none) under the name, no temporary left.
TEST_P(CopyReplay, EachCallFailing)
{
    const Mode& m = GetParam();
    for (std::size_t at = 1; at <= m.calls->size(); ++at) {
        SCOPED_TRACE(testing::Message() << m.name << ", call " << at << " fails");
        Copy c(m.oldTarget);
        ReplayOps ops(m.noAtomicNames);
        ops.failAt = at;
        ops.failError = EIO;
        const CopyResult result = ops.copyFile(q(c.source), q(c.target), m.failIfExists);
        const Sys failed = (*m.calls)[at - 1];
        if (failed == Sys::VolumeRoom) {
            // No figures: the copy runs and a real lack of room would show as ENOSPC.
            EXPECT_TRUE(result.ok());
            continue;
        }
        EXPECT_EQ(result.status, CopyStatus::Failed);
        EXPECT_EQ(result.error, EIO);
        EXPECT_EQ(readFileBytes(c.source), std::string(300'000, 'v'));
        EXPECT_FALSE(hasTemporary(c.folder));
        if (m.oldTarget && failed != Sys::SyncFolder) {
            EXPECT_EQ(readFileBytes(c.target), "old");
        } else if (!m.oldTarget) {
            EXPECT_FALSE(fs::exists(c.target)) << "a name that may not survive an unplug is taken back";
        }
    }
}

// A process killed at any call leaves the source whole, under the target name
// the old file or the whole copy, and at most a temporary that the next run
// sweeps. (Without atomic names, a kill between the claim and the rename
// leaves the empty claim: a name, never a part of a video.)
TEST_P(CopyReplay, KilledAtEachCall)
{
    const Mode& m = GetParam();
    for (std::size_t at = 1; at <= m.calls->size(); ++at) {
        SCOPED_TRACE(testing::Message() << m.name << ", killed at call " << at);
        Copy c(m.oldTarget);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ReplayOps ops(m.noAtomicNames);
            ops.killAt = at;
            ops.copyFile(q(c.source), q(c.target), m.failIfExists);
            ::_exit(1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_EQ(readFileBytes(c.source), std::string(300'000, 'v'));
        const std::string under = fs::exists(c.target) ? readFileBytes(c.target) : "<none>";
        const bool claimOnly = m.noAtomicNames && (*m.calls)[at - 1] == Sys::Rename;
        EXPECT_TRUE(under == readFileBytes(c.source) || under == (m.oldTarget ? "old" : "<none>")
                    || (claimOnly && under.empty()))
            << under.size() << " bytes under the name";
        EXPECT_EQ(fileOps().removeStaleTemporaries(q(c.folder), std::time(nullptr) + 2), hasTemporary(c.folder) ? 1 : 0);
        EXPECT_FALSE(hasTemporary(c.folder));
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, CopyReplay, testing::ValuesIn(kModes),
                         [](const auto& info) { return std::to_string(info.index); });

// A name taken by another run between the look and the claim moves on to the
// next name the caller gives, never replacing it; without a next name the
// copy ends as TargetExists. Both with and without atomic renames.
TEST(CopyClaim, ANameTakenAtTheLastMomentMovesOn)
{
    for (const bool noAtomicNames : {false, true}) {
        for (const bool giveNext : {true, false}) {
            SCOPED_TRACE(testing::Message() << "no atomic names " << noAtomicNames << ", next name " << giveNext);
            Copy c;
            ReplayOps ops(noAtomicNames);
            bool raced = false;
            ops.before = [&](Sys call, const FileOps::SysArgs&) {
                if (!raced && (call == Sys::RenameNoReplace)) {
                    raced = true;
                    std::ofstream(c.folder / "m4v00001.mp4") << "the other run's video";
                }
            };
            QStringList asked;
            const CopyResult result = ops.copyFile(q(c.source), q(c.target), true, {}, [&](const QString& taken) {
                asked << taken;
                return giveNext ? std::optional<QString>("m4v00002.mp4") : std::optional<QString>(QString());
            });
            EXPECT_EQ(readFileBytes(c.folder / "m4v00001.mp4"), "the other run's video");
            EXPECT_EQ(asked, QStringList{"m4v00001.mp4"});
            EXPECT_FALSE(hasTemporary(c.folder));
            if (giveNext) {
                ASSERT_TRUE(result.ok());
                EXPECT_EQ(result.target, q(c.folder / "m4v00002.mp4"));
                EXPECT_EQ(readFileBytes(c.folder / "m4v00002.mp4"), readFileBytes(c.source));
            } else {
                EXPECT_EQ(result.status, CopyStatus::TargetExists);
                EXPECT_EQ(entries(c.folder), Names{"m4v00001.mp4"});
            }
        }
    }
}

// Checks before the first byte: the source itself under the target name (by
// any name: the same path, a link, a name differing in case on FAT), a look
// that fails, a file too large for FAT.
TEST(CopyClaim, RefusalsBeforeTheFirstByte)
{
    struct FatEverywhere : Volumes
    {
        FatEverywhere() { setVolumes(this); }
        ~FatEverywhere() override { setVolumes(nullptr); }
        bool isFat(const QString&) const override { return true; }
    };
    for (const bool failIfExists : {true, false}) {
        Copy c;
        fs::create_hard_link(c.source, c.folder / "link.mp4");
        for (const fs::path& same : {c.source, c.folder / "link.mp4"}) {
            const CopyResult result = fileOps().copyFile(q(c.source), q(same), failIfExists);
            EXPECT_EQ(std::pair(result.fault, result.error), std::pair(CopyFault::SameFile, EINVAL));
            EXPECT_EQ(readFileBytes(c.source), std::string(300'000, 'v'));
        }

        ReplayOps failingLook;
        failingLook.failCall = Sys::LookTarget;
        failingLook.failError = EIO;
        const CopyResult looked = failingLook.copyFile(q(c.source), q(c.target), failIfExists);
        EXPECT_EQ(std::pair(looked.fault, looked.error), std::pair(CopyFault::WriteTarget, EIO));
        EXPECT_EQ(entries(c.folder), Names{"link.mp4"}) << "a name that could not be seen is not taken";

        // Sparse: 4 GiB on FAT is refused at once, without a byte written.
        const fs::path big = c.dir.path() / "src" / "big.mp4";
        std::ofstream(big).close();
        fs::resize_file(big, kFatMaxFileSize + 1);
        {
            FatEverywhere fat;
            int reports = 0;
            const CopyResult result =
                fileOps().copyFile(q(big), q(c.target), failIfExists, [&](auto, auto) { return ++reports, true; });
            EXPECT_EQ(std::pair(result.fault, result.error), std::pair(CopyFault::TooLarge, EFBIG));
            EXPECT_EQ(reports, 0);
            EXPECT_EQ(entries(c.folder), Names{"link.mp4"});
        }
        fs::remove(big);
    }
}

// A volume that gives no size (total 0) is not full; one that has no room is.
TEST(CopyClaim, UnknownCapacityIsNotFull)
{
    struct Room : ReplayOps
    {
        int sys(Sys call, const SysArgs& args) const override
        {
            if (call != Sys::VolumeRoom)
                return ReplayOps::sys(call, args);
            *args.vfs = {};
            args.vfs->f_frsize = 4096;
            args.vfs->f_blocks = blocks;
            return 0;
        }
        fsblkcnt_t blocks = 0;
    };
    Copy c;
    Room unknown;
    EXPECT_TRUE(unknown.copyFile(q(c.source), q(c.target), true).ok());
    Room full;
    full.blocks = 1000;
    const CopyResult result = full.copyFile(q(c.source), q(c.folder / "b.mp4"), true);
    EXPECT_EQ(std::pair(result.fault, result.error), std::pair(CopyFault::WriteTarget, ENOSPC));
}

// A chunk that reports more than reached the target is a failure, not a whole copy.
TEST(CopyClaim, AShortWriteIsNotWhole)
{
    struct ShortOps : FileOps
    {
        std::int64_t copyChunk(int source, int target, std::uint64_t offset, std::size_t size, ChunkIo& io) const override
        {
            io.direct = false;
            const std::int64_t n = FileOps::copyChunk(source, target, offset, size, io);
            if (n > 0)
                ::ftruncate(target, static_cast<off_t>(offset + n - 1));
            return n;
        }
    };
    Copy c;
    EXPECT_FALSE(ShortOps().copyFile(q(c.source), q(c.target), true).ok());
    EXPECT_EQ(entries(c.folder), Names{});
}

// Only this program's temporaries that no copy holds and that are older than
// the run go; everything else stays.
TEST(StaleTemporaries, OnlyLeftoversOfThisProgram)
{
    TempDir dir;
    const std::time_t now = std::time(nullptr);
    const auto make = [&](const std::string& name, std::time_t age) {
        const fs::path path = dir.write(name, "x");
        const timespec times[2] = {{now - age, 0}, {now - age, 0}};
        ::utimensat(AT_FDCWD, path.c_str(), times, 0);
        return path;
    };
    make(".reelkeeper-0123456789ab.tmp", 3600);
    const fs::path held = make(".reelkeeper-aaaaaaaaaaaa.tmp", 3600);
    make(".reelkeeper-bbbbbbbbbbbb.tmp", -60); // newer than the run
    make(".reelkeeper-xyz.tmp", 3600);
    make("m4v00001.mp4", 3600);
    make("notes.tmp", 3600);
    const int fd = ::open(held.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    EXPECT_EQ(fileOps().removeStaleTemporaries(q(dir.path()), now), 1);
    ::close(fd);
    EXPECT_EQ(entries(dir.path()), (Names{".reelkeeper-aaaaaaaaaaaa.tmp", ".reelkeeper-bbbbbbbbbbbb.tmp",
                                          ".reelkeeper-xyz.tmp", "m4v00001.mp4", "notes.tmp"}));
}

// The temporary is made exclusively: a file that happens to have its name is
// never written into, the copy takes another name.
TEST(CopyClaim, TheTemporaryIsNeverSomeoneElsesFile)
{
    Copy c;
    ReplayOps ops;
    std::string squatted;
    ops.before = [&](Sys call, const FileOps::SysArgs& args) {
        if (call == Sys::CreateTemp && squatted.empty()) {
            squatted = args.from;
            c.dir.write("psp/" + squatted, "someone's");
        }
    };
    ASSERT_TRUE(ops.copyFile(q(c.source), q(c.target), true).ok());
    EXPECT_EQ(readFileBytes(c.folder / squatted), "someone's");
    EXPECT_EQ(readFileBytes(c.target), readFileBytes(c.source));
}

// A look or a listing the system could not make is told apart from an
// absent name or an empty folder.
TEST(Looks, FailuresAreNotAbsence)
{
    TempDir dir;
    dir.write("a.mp4", "x");
    fs::create_symlink("loop", dir.path() / "loop");
    const FileSystem& files = fileSystem();
    int error = -1;
    EXPECT_EQ(files.lookup(q(dir.path() / "a.mp4"), &error), 1);
    EXPECT_EQ(files.lookup(q(dir.path() / "b.mp4"), &error), 0);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(files.lookup(q(dir.path() / "loop" / "b.mp4"), &error), -1);
    EXPECT_EQ(error, ELOOP);
    EXPECT_EQ(files.lookup(q(dir.path() / std::string(300, 'a')), &error), -1);
    EXPECT_EQ(error, ENAMETOOLONG);

    fs::create_hard_link(dir.path() / "a.mp4", dir.path() / "a.link");
    EXPECT_EQ(files.sameFile(q(dir.path() / "a.mp4"), q(dir.path() / "a.link"), &error), 1);
    EXPECT_EQ(files.sameFile(q(dir.path() / "a.mp4"), q(dir.path() / "b.mp4"), &error), 0);
    EXPECT_EQ(files.sameFile(q(dir.path() / "a.mp4"), q(dir.path() / "loop" / "b.mp4"), &error), -1);
    EXPECT_EQ(error, ELOOP);

    EXPECT_EQ(files.list(q(dir.path()), "*.mp4", &error).size(), 1u);
    EXPECT_EQ(error, 0);
    EXPECT_TRUE(files.list(q(dir.path() / "gone"), "*", &error).empty());
    EXPECT_EQ(error, ENOENT);
}

// A temporary written by another writer (the converter) goes through the same
// steps: exclusive create, sync, no-replace rename, folder sync; a failing step
// or a taken name leaves the target alone and the temporary for the caller to remove.
TEST(PublishTemporary, CallsInOrderAndFailures)
{
    const Calls order{Sys::CreateTemp, Sys::SyncFile, Sys::RenameNoReplace, Sys::SyncFolder};
    for (std::size_t failAt = 0; failAt <= order.size(); ++failAt) {
        for (const bool taken : {false, true}) {
            Copy c;
            if (taken)
                c.dir.write("psp/m4v00001.mp4", "old");
            ReplayOps ops;
            ops.failAt = failAt;
            ops.failError = EIO;
            FileOpResult created;
            const auto temp = ops.createTemporary(q(c.folder), &created);
            if (failAt == 1) {
                EXPECT_FALSE(temp);
                EXPECT_TRUE(entries(c.folder).empty() || taken);
                continue;
            }
            ASSERT_TRUE(temp);
            ASSERT_EQ(::write(temp->fd, "new", 3), 3);
            const FileOpResult published = ops.publishTemporary(*temp, q(c.target));
            ::close(temp->fd);
            const bool ok = failAt == 0 && !taken;
            EXPECT_EQ(published.ok(), ok) << failAt << taken;
            if (failAt == 0) {
                EXPECT_EQ(ops.calls, taken ? Calls(order.begin(), order.end() - 1) : order);
            }
            if (taken && (failAt == 0 || failAt == 4)) {
                EXPECT_EQ(published.status, FileOpStatus::AlreadyExists);
            }
            if (ok || taken) {
                EXPECT_EQ(readFileBytes(c.target), ok ? "new" : "old") << failAt;
            }
            EXPECT_EQ(hasTemporary(c.folder), !ok) << failAt;
            EXPECT_EQ(fs::exists(c.target), ok || taken) << failAt;
        }
    }
}

// Publishing over a file the user agreed to replace: the old file stays whole
// until the one rename; after it a failing folder sync is told, the new file kept.
TEST(PublishTemporary, ReplacingCallsInOrderAndFailures)
{
    const Calls order{Sys::CreateTemp, Sys::SyncFile, Sys::Rename, Sys::SyncFolder};
    for (std::size_t failAt = 0; failAt <= order.size(); ++failAt) {
        if (failAt == 1)
            continue; // no temporary: told above
        Copy c;
        c.dir.write("psp/m4v00001.mp4", "old");
        ReplayOps ops;
        ops.failAt = failAt;
        ops.failError = EIO;
        const auto temp = ops.createTemporary(q(c.folder));
        ASSERT_TRUE(temp);
        ASSERT_EQ(::write(temp->fd, "new", 3), 3);
        const FileOpResult published = ops.publishTemporary(*temp, q(c.target), true);
        ::close(temp->fd);
        EXPECT_EQ(ops.calls, Calls(order.begin(), order.begin() + (failAt == 0 ? order.size() : failAt))) << failAt;
        EXPECT_EQ(published.ok(), failAt == 0) << failAt;
        const bool renamed = failAt == 0 || failAt == 4;
        EXPECT_EQ(readFileBytes(c.target), renamed ? "new" : "old") << failAt;
        EXPECT_EQ(hasTemporary(c.folder), !renamed) << failAt;
    }
}
