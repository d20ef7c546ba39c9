// The copy routine's promises replayed call by call: the order of the calls
// that make names and durability, a failure of each, a process killed at
// each, names claimed by someone else at the last moment, and the checks
// made before the first byte.
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
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace platform;
using Sys = FileOps::Sys;
using Calls = std::vector<Sys>;
using Names = std::vector<std::string>;

namespace {

QString q(const fs::path& p) { return QString::fromStdString(p.string()); }

Names entries(const fs::path& folder)
{
    Names names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

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
    Copy c;
    if (m.oldTarget)
        c.dir.write("psp/m4v00001.mp4", "old");
    ReplayOps ops;
    ops.noAtomicNames = m.noAtomicNames;
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
        Copy c;
        if (m.oldTarget)
            c.dir.write("psp/m4v00001.mp4", "old");
        ReplayOps ops;
        ops.noAtomicNames = m.noAtomicNames;
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
        Copy c;
        if (m.oldTarget)
            c.dir.write("psp/m4v00001.mp4", "old");
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ReplayOps ops;
            ops.noAtomicNames = m.noAtomicNames;
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
            ReplayOps ops;
            ops.noAtomicNames = noAtomicNames;
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

    EXPECT_EQ(files.list(q(dir.path()), "*.mp4", &error).size(), 1u);
    EXPECT_EQ(error, 0);
    EXPECT_TRUE(files.list(q(dir.path() / "gone"), "*", &error).empty());
    EXPECT_EQ(error, ENOENT);
}
