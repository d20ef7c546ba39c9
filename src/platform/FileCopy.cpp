// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/FileCopy.h"

#include "platform/PathCodec.h"
#include "platform/Volumes.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <thread>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/vfs.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace platform {
namespace {

FileOps* g_replacement = nullptr;

// Data on its way to the device while the copy goes on: enough to keep a disk
// busy (a smaller window fell behind cp + sync), little enough that progress
// is close to the device's own and that a cancel, which must wait for what is
// in flight before the partial file goes, stays quick.
constexpr std::uint64_t kWriteBehind = 4 * FileOps::ChunkSize;

class Fd
{
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }
    explicit operator bool() const { return m_fd >= 0; }

private:
    int m_fd;
};

// The temporary a copy writes; removed unless it was renamed to the target.
struct TempFile
{
    std::function<void(const char*)> unlink;
    int dir = -1;
    QByteArray name;
    Fd fd;
    bool committed = false;
    bool cancelled = false;

    ~TempFile()
    {
        if (committed || !fd)
            return;
        unlink(name.constData());
        // Freeing the blocks of a large partial file takes the file system a
        // while (a fifth of a second for 512 MiB on an ext4 disk, as rm does).
        // After a cancel nothing else is copied, so that needn't hold up the
        // caller; after a failure the next copy may need the room back.
        if (cancelled)
            std::thread([fd = fd.release()] { ::close(fd); }).detach();
    }
};

bool isUnsupported(int error)
{
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == ENOTTY || error == ESPIPE;
}

bool sameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

FileOpResult classify(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return {FileOpStatus::AccessDenied, error};
    case ENOENT:
    case ENOTDIR:
        return {FileOpStatus::NotFound, error};
    case EEXIST:
        return {FileOpStatus::AlreadyExists, error};
    default:
        return {FileOpStatus::Failed, error};
    }
}

// An encoded path taken apart: the folder to open ("." or "/" where the path
// gives none), what goes before the name to make a path again, and the name.
struct PathParts
{
    QByteArray folder, prefix, name;
};

PathParts splitPath(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return {slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash),
            slash < 0 ? QByteArray() : path.left(slash + 1), path.mid(slash + 1)};
}

int openFolder(const QByteArray& folder)
{
    return ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// A fresh name for a temporary of this program.
QByteArray temporaryName(int attempt)
{
    unsigned char raw[6];
    if (::getrandom(raw, sizeof raw, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof raw)) {
        const auto mix = static_cast<std::uint64_t>(::getpid()) * 0x9E3779B97F4A7C15ull
            ^ static_cast<std::uint64_t>(std::clock()) ^ static_cast<std::uint64_t>(attempt) << 40;
        std::memcpy(raw, &mix, sizeof raw);
    }
    return QByteArray(".reelkeeper-") + QByteArray(reinterpret_cast<const char*>(raw), sizeof raw).toHex()
        + QByteArray(".tmp");
}

// Writes the copy out to the device as it goes, so that the final fsync has
// little left to do and progress is the device's own.
class WriteOut
{
public:
    explicit WriteOut(int fd) : m_fd(fd) {}

    /** Starts writing out the bytes up to end. Returns 0 or an errno. */
    int start(std::uint64_t end)
    {
        if (!m_supported || end <= m_started)
            return 0;
        const auto from = static_cast<off64_t>(m_started);
        if (::sync_file_range(m_fd, from, static_cast<off64_t>(end) - from, SYNC_FILE_RANGE_WRITE) != 0) {
            if (isUnsupported(errno)) {
                m_supported = false;
                return 0;
            }
            return errno;
        }
        m_started = end;
        return 0;
    }

    /** Waits until no more than the write-behind window is still on its way. Returns 0 or an errno. */
    int settle()
    {
        if (!m_supported || m_started - m_done <= kWriteBehind)
            return 0;
        const auto from = static_cast<off64_t>(m_done);
        const auto length = static_cast<off64_t>(m_started - kWriteBehind - m_done);
        const unsigned flags = SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER;
        if (::sync_file_range(m_fd, from, length, flags) != 0)
            return errno;
        // Written and clean: the copy needn't push other files out of the cache.
        ::posix_fadvise(m_fd, from, length, POSIX_FADV_DONTNEED);
        m_done += static_cast<std::uint64_t>(length);
        return 0;
    }

private:
    int m_fd;
    bool m_supported = true;
    std::uint64_t m_started = 0; // write-out started below this offset
    std::uint64_t m_done = 0;    // on the device below this offset
};

} // namespace

std::int64_t FileOps::copyChunk(int source, int target, std::uint64_t offset, std::size_t size, ChunkIo& io) const
{
    size = std::min(size, ChunkSize);
    if (io.direct) {
        for (;;) {
            off64_t in = static_cast<off64_t>(offset);
            off64_t out = in;
            const ssize_t n = ::copy_file_range(source, &in, target, &out, size, 0);
            if (n > 0)
                return n;
            if (n < 0 && errno == EINTR)
                continue;
            break;
        }
        // An end, an error, or two file systems the kernel can't copy between:
        // read and write from here on; that tells the end of the source from a
        // quirk, and which side an error belongs to.
        io.direct = false;
    }
    if (!io.buffer)
        io.buffer = std::make_unique_for_overwrite<char[]>(ChunkSize);
    char* buffer = io.buffer.get();
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::pread(source, buffer + got, size - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            io.fault = CopyFault::ReadSource;
            return -1;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    for (std::size_t put = 0; put < got;) {
        const ssize_t n = ::pwrite(target, buffer + put, got - put, static_cast<off_t>(offset + put));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            io.fault = CopyFault::WriteTarget;
            return -1;
        }
        put += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(got);
}

int FileOps::sys(Sys call, const SysArgs& a) const
{
    switch (call) {
    case Sys::LookTarget:
        return ::fstatat(a.dir, a.from, a.st, AT_SYMLINK_NOFOLLOW);
    case Sys::CreateTemp:
        return ::openat(a.dir, a.from, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    case Sys::SyncFile:
    case Sys::SyncFolder:
        return ::fsync(a.fd);
    case Sys::RenameNoReplace:
        return ::renameat2(a.dir, a.from, a.dir, a.to, RENAME_NOREPLACE);
    case Sys::Link:
        return ::linkat(a.dir, a.from, a.dir, a.to, 0);
    case Sys::CreateExclusive: {
        const int fd = ::openat(a.dir, a.to, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0)
            return -1;
        ::close(fd);
        return 0;
    }
    case Sys::Rename:
        return ::renameat(a.dir, a.from, a.dir, a.to);
    case Sys::Unlink:
        return ::unlinkat(a.dir, a.from, 0);
    case Sys::VolumeRoom:
        return ::fstatvfs(a.fd, a.vfs);
    }
    errno = EINVAL;
    return -1;
}

int FileOps::renameNoReplace(int dir, const char* from, const char* to) const
{
    const SysArgs names{dir, from, to, -1, nullptr};
    if (sys(Sys::RenameNoReplace, names) == 0)
        return 0;
    if (!isUnsupported(errno))
        return -1;
    // No atomic no-replace rename here: a hard link can't replace either.
    if (sys(Sys::Link, names) == 0) {
        sys(Sys::Unlink, {dir, from, nullptr, -1, nullptr});
        return 0;
    }
    if (errno != EPERM && !isUnsupported(errno))
        return -1;
    // Neither (FAT has no links): the name is claimed by an exclusive create,
    // which fails for every other claimant, then the file is renamed over
    // that empty claim.
    if (sys(Sys::CreateExclusive, names) != 0)
        return -1;
    if (sys(Sys::Rename, names) != 0) {
        const int error = errno;
        sys(Sys::Unlink, {dir, to, nullptr, -1, nullptr});
        errno = error;
        return -1;
    }
    return 0;
}

bool FileOps::isTemporaryName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^\\.reelkeeper-[0-9a-f]{12}\\.tmp$"));
    return pattern.match(name).hasMatch();
}

CopyResult FileOps::copyFile(const QString& sourcePath, const QString& targetPath, bool failIfExists,
                             const CopyProgress& progress, const NextName& nextName) const
{
    CopyResult result;
    const auto fail = [&result](CopyFault fault, int error) {
        result.status = CopyStatus::Failed;
        result.fault = fault;
        result.error = error;
        return result;
    };
    const auto taken = [&result] {
        result.status = CopyStatus::TargetExists;
        result.error = EEXIST;
        return result;
    };

    // The source. Non-blocking open, so that a named pipe can't hold the copy.
    const QByteArray sourceName = encodePath(sourcePath);
    const Fd in(sourceName.isEmpty() ? -1 : ::open(sourceName.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!in)
        return fail(CopyFault::ReadSource, sourceName.isEmpty() ? ENOENT : errno);
    struct stat before {};
    if (::fstat(in.get(), &before) != 0)
        return fail(CopyFault::ReadSource, errno);
    if (!S_ISREG(before.st_mode))
        return fail(CopyFault::ReadSource, S_ISDIR(before.st_mode) ? EISDIR : EINVAL);
    // Keeps a title rewrite that takes the lock from running mid-copy; one
    // that doesn't is caught by the check at the end.
    ::flock(in.get(), LOCK_SH | LOCK_NB);
    ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    const auto total = static_cast<std::uint64_t>(before.st_size);
    result.total = total;
    const auto isSource = [&before](const struct stat& other) {
        return other.st_dev == before.st_dev && other.st_ino == before.st_ino;
    };

    // The target's folder, held open: every later step names entries relative
    // to it, and its removal shows as a zero link count on the temporary.
    const PathParts target = splitPath(encodePath(targetPath));
    QByteArray name = target.name;
    if (name.isEmpty() || name == "." || name == "..")
        return fail(CopyFault::WriteTarget, name.isEmpty() ? ENOENT : EISDIR);
    const Fd dir(openFolder(target.folder));
    if (!dir)
        return fail(CopyFault::WriteTarget, errno);

    // The next name to try after `name` was found taken; false ends the copy
    // with TargetExists, or with the caller's failed look when lookError is set.
    int lookError = 0;
    const auto moveOn = [&]() -> bool {
        if (!nextName)
            return false;
        errno = 0;
        const std::optional<QString> next = nextName(decodePath(name));
        if (!next) {
            lookError = errno ? errno : EIO;
            return false;
        }
        if (next->isEmpty() || next->contains(QLatin1Char('/')))
            return false;
        name = encodePath(*next);
        return true;
    };
    const auto notMovedOn = [&] { return lookError ? fail(CopyFault::WriteTarget, lookError) : taken(); };

    // Whatever stands under the name now. A look that fails is a failure,
    // never "free": a copy must not take a name it could not see.
    for (;;) {
        struct stat existing {};
        if (sys(Sys::LookTarget, {dir.get(), name.constData(), nullptr, -1, &existing}) != 0) {
            if (errno != ENOENT)
                return fail(CopyFault::WriteTarget, errno);
            break;
        }
        // The source itself under this name (a move onto itself, or a name
        // differing in case on FAT): copying would leave one file, and a move
        // would then remove it.
        if (isSource(existing))
            return fail(CopyFault::SameFile, EINVAL);
        if (!failIfExists) {
            if (S_ISDIR(existing.st_mode))
                return fail(CopyFault::WriteTarget, EISDIR);
            break;
        }
        if (!moveOn())
            return notMovedOn();
    }

    // FAT keeps a file's length in 32 bits: say so before the first byte,
    // not after four gigabytes.
    // Only a source that large asks which file system the folder is on.
    if (total > kFatMaxFileSize) {
        struct statfs fsInfo {};
        if ((::fstatfs(dir.get(), &fsInfo) == 0 && fsInfo.f_type == MSDOS_SUPER_MAGIC)
            || volumes().isFat(decodePath(target.folder)))
            return fail(CopyFault::TooLarge, EFBIG);
    }

    // A fresh, uniquely named temporary (mode 0666 before the umask, like any
    // new file); a short fixed-length name, so it fits wherever the target's fits.
    QByteArray tempName;
    int tempFd = -1;
    for (int attempt = 0; attempt < 32 && tempFd < 0; ++attempt) {
        tempName = temporaryName(attempt);
        tempFd = sys(Sys::CreateTemp, {dir.get(), tempName.constData(), nullptr, -1, nullptr});
        if (tempFd < 0 && errno != EEXIST)
            break;
    }
    if (tempFd < 0)
        return fail(CopyFault::WriteTarget, errno);
    const auto unlinkInFolder = [this, &dir](const char* entry) {
        sys(Sys::Unlink, {dir.get(), entry, nullptr, -1, nullptr});
    };
    TempFile temp{unlinkInFolder, dir.get(), tempName, Fd(tempFd)};
    const int out = temp.fd.get();
    // A fresh file: the lock is never contended, it keeps readers that lock
    // out until the data is on the device, and tells the stale-temporary
    // sweep of other runs that this one is alive.
    ::flock(out, LOCK_EX);
    // A stick without room fails now, not after a gigabyte. (Not fallocate:
    // on tmpfs it zeroes the whole length up front and frees it on cancel.)
    // A file system that gives no size at all (some FUSE mounts) is not full:
    // the copy runs and a real lack of room shows as ENOSPC.
    struct statvfs room {};
    if (sys(Sys::VolumeRoom, {dir.get(), nullptr, nullptr, out, nullptr, &room}) == 0 && room.f_frsize > 0
        && room.f_blocks > 0
        && static_cast<std::uint64_t>(room.f_bavail) < total / room.f_frsize + (total % room.f_frsize ? 1 : 0))
        return fail(CopyFault::WriteTarget, ENOSPC);

    if (progress && !progress(total, 0)) {
        result.status = CopyStatus::Cancelled;
        temp.cancelled = true;
        return result;
    }
    ChunkIo io;
    WriteOut writeOut(out);
    while (result.copied < total) {
        const std::uint64_t start = result.copied;
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(ChunkSize, total - start));
        const std::int64_t n = copyChunk(in.get(), out, start, want, io);
        if (n < 0)
            return fail(io.fault, errno);
        if (n == 0)
            return fail(CopyFault::SourceChanged, 0); // it shrank
        if (static_cast<std::uint64_t>(n) > want)
            return fail(CopyFault::WriteTarget, EIO);
        result.copied += static_cast<std::uint64_t>(n);
        struct stat written {};
        if (::fstat(out, &written) == 0 && written.st_nlink == 0)
            return fail(CopyFault::WriteTarget, ENOENT); // the folder was removed
        // Asked before the chunk goes to the device: a cancel drops it unwritten.
        if (progress && !progress(total, result.copied)) {
            result.status = CopyStatus::Cancelled;
            temp.cancelled = true;
            return result;
        }
        if (const int error = writeOut.start(result.copied))
            return fail(CopyFault::WriteTarget, error);
        if (const int error = writeOut.settle())
            return fail(CopyFault::WriteTarget, error);
    }

    struct stat after {};
    if (::fstat(in.get(), &after) != 0)
        return fail(CopyFault::ReadSource, errno);
    if (static_cast<std::uint64_t>(after.st_size) != total || !sameTime(after.st_mtim, before.st_mtim)
        || after.st_nlink == 0)
        return fail(CopyFault::SourceChanged, 0);
    ::flock(in.get(), LOCK_UN); // the source may be the old target below

    // Keep the last-write time, then make data and metadata durable before the name.
    const timespec times[2] = {{0, UTIME_OMIT}, before.st_mtim};
    ::futimens(out, times);
    if (sys(Sys::SyncFile, {dir.get(), nullptr, nullptr, out, nullptr}) != 0)
        return fail(CopyFault::WriteTarget, errno);
    struct stat written {};
    if (::fstat(out, &written) != 0)
        return fail(CopyFault::WriteTarget, errno);
    if (written.st_nlink == 0 || static_cast<std::uint64_t>(written.st_size) != total)
        return fail(CopyFault::WriteTarget, written.st_nlink == 0 ? ENOENT : EIO);

    if (failIfExists) {
        // The name is claimed here, atomically; one taken meanwhile (by another
        // program or another run) moves on to the next name when the caller
        // gave a way to choose one, and is never replaced.
        for (;;) {
            const int renamed = renameNoReplace(dir.get(), temp.name.constData(), name.constData());
            if (renamed == 0)
                break;
            if (errno != EEXIST)
                return fail(CopyFault::WriteTarget, errno);
            if (!moveOn())
                return notMovedOn();
        }
    } else {
        // Let a title rewrite of the old file that holds its lock finish
        // first; one that takes longer loses its writes with the old file.
        const Fd old(::openat(dir.get(), name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
        struct stat oldInfo {};
        if (old && ::fstat(old.get(), &oldInfo) == 0 && isSource(oldInfo))
            return fail(CopyFault::SameFile, EINVAL);
        for (int wait = 0; old && wait < 200 && ::flock(old.get(), LOCK_EX | LOCK_NB) != 0; ++wait)
            ::usleep(10'000);
        if (sys(Sys::Rename, {dir.get(), temp.name.constData(), name.constData(), -1, nullptr}) != 0)
            return fail(CopyFault::WriteTarget, errno);
    }
    temp.committed = true;

    if (sys(Sys::SyncFolder, {dir.get(), nullptr, nullptr, dir.get(), nullptr}) != 0 && !isUnsupported(errno)) {
        const int error = errno;
        // The name may not survive an unplug. A new target is taken back; an
        // overwritten one stays, whole, since the old file is gone already.
        struct stat now {};
        if (failIfExists && ::fstatat(dir.get(), name.constData(), &now, AT_SYMLINK_NOFOLLOW) == 0
            && now.st_ino == written.st_ino && now.st_dev == written.st_dev)
            sys(Sys::Unlink, {dir.get(), name.constData(), nullptr, -1, nullptr});
        return fail(CopyFault::WriteTarget, error);
    }
    result.target = decodePath(target.prefix + name);
    result.status = CopyStatus::Ok;
    return result;
}

FileOpResult FileOps::removeFile(const QString& path) const
{
    const QByteArray encoded = encodePath(path);
    if (encoded.isEmpty())
        return classify(ENOENT);
    if (sys(Sys::Unlink, {AT_FDCWD, encoded.constData(), nullptr, -1, nullptr}) == 0)
        return {FileOpStatus::Ok, 0};
    return classify(errno);
}

std::optional<QString> FileOps::stashFile(const QString& path, FileOpResult* outcome) const
{
    const PathParts parts = splitPath(encodePath(path));
    const QByteArray& name = parts.name;
    const auto report = [outcome](FileOpResult r) {
        if (outcome)
            *outcome = r;
    };
    const Fd dir(openFolder(parts.folder));
    if (!dir || name.isEmpty()) {
        report(classify(dir ? ENOENT : errno));
        return std::nullopt;
    }
    for (int attempt = 0; attempt < 32; ++attempt) {
        const QByteArray stash = temporaryName(attempt);
        const int renamed = renameNoReplace(dir.get(), name.constData(), stash.constData());
        if (renamed == 0) {
            report({FileOpStatus::Ok, 0});
            return decodePath(parts.prefix + stash);
        }
        if (errno != EEXIST) {
            report(classify(errno));
            return std::nullopt;
        }
    }
    report(classify(EEXIST));
    return std::nullopt;
}

FileOpResult FileOps::restoreFile(const QString& stashed, const QString& path) const
{
    const PathParts to = splitPath(encodePath(path));
    const Fd dir(openFolder(to.folder));
    if (!dir)
        return classify(errno);
    const QByteArray fromName = splitPath(encodePath(stashed)).name;
    const int renamed = renameNoReplace(dir.get(), fromName.constData(), to.name.constData());
    return renamed == 0 ? FileOpResult{FileOpStatus::Ok, 0} : classify(errno);
}

std::optional<FileOps::Temporary> FileOps::createTemporary(const QString& folder, FileOpResult* outcome) const
{
    QByteArray prefix = encodePath(folder);
    if (!prefix.isEmpty() && !prefix.endsWith('/'))
        prefix += '/';
    const Fd dir(openFolder(prefix.isEmpty() ? QByteArray(".") : prefix));
    const auto report = [outcome](FileOpResult r) {
        if (outcome)
            *outcome = r;
    };
    if (!dir) {
        report(classify(errno));
        return std::nullopt;
    }
    for (int attempt = 0; attempt < 32; ++attempt) {
        const QByteArray name = temporaryName(attempt);
        const int fd = sys(Sys::CreateTemp, {dir.get(), name.constData(), nullptr, -1, nullptr});
        if (fd >= 0) {
            ::flock(fd, LOCK_EX);
            report({FileOpStatus::Ok, 0});
            return Temporary{fd, decodePath(prefix + name)};
        }
        if (errno != EEXIST) {
            report(classify(errno));
            return std::nullopt;
        }
    }
    report(classify(EEXIST));
    return std::nullopt;
}

FileOpResult FileOps::publishTemporary(const Temporary& temporary, const QString& path, bool replace) const
{
    const PathParts to = splitPath(encodePath(path));
    const Fd dir(openFolder(to.folder));
    if (!dir || to.name.isEmpty())
        return classify(dir ? ENOENT : errno);
    if (sys(Sys::SyncFile, {dir.get(), nullptr, nullptr, temporary.fd, nullptr}) != 0)
        return classify(errno);
    const QByteArray from = splitPath(encodePath(temporary.path)).name;
    const int renamed = replace ? sys(Sys::Rename, {dir.get(), from.constData(), to.name.constData(), -1, nullptr})
                                : renameNoReplace(dir.get(), from.constData(), to.name.constData());
    if (renamed != 0)
        return classify(errno);
    if (sys(Sys::SyncFolder, {dir.get(), nullptr, nullptr, dir.get(), nullptr}) != 0 && !isUnsupported(errno)) {
        const int error = errno;
        if (replace)
            return classify(error);
        // The name may not survive an unplug: it goes back to the temporary.
        sys(Sys::Rename, {dir.get(), to.name.constData(), from.constData(), -1, nullptr});
        return classify(error);
    }
    return {FileOpStatus::Ok, 0};
}

int FileOps::removeStaleTemporaries(const QString& folder, std::time_t notBefore) const
{
    const QByteArray encoded = encodePath(folder);
    const Fd dir(openFolder(encoded.isEmpty() ? QByteArray(".") : encoded));
    if (!dir)
        return 0;
    std::unique_ptr<DIR, int (*)(DIR*)> listing(::fdopendir(::dup(dir.get())), &::closedir);
    if (!listing)
        return 0;
    int removed = 0;
    while (const dirent* item = ::readdir(listing.get())) {
        if (!isTemporaryName(QString::fromLatin1(item->d_name)))
            continue;
        const Fd file(::openat(dir.get(), item->d_name, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
        struct stat info {};
        if (!file || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_mtime >= notBefore)
            continue;
        // A copy that is still running holds its temporary's lock.
        if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        if (sys(Sys::Unlink, {dir.get(), item->d_name, nullptr, -1, nullptr}) == 0)
            ++removed;
    }
    return removed;
}

FileOpResult FileOps::makeDirectory(const QString& path) const
{
    const QByteArray encoded = encodePath(path);
    if (encoded.isEmpty())
        return classify(ENOENT);
    if (::mkdir(encoded.constData(), 0777) == 0)
        return {FileOpStatus::Ok, 0};
    return classify(errno);
}

FileOps& fileOps()
{
    static FileOps real;
    return g_replacement ? *g_replacement : real;
}

void setFileOps(FileOps* replacement)
{
    g_replacement = replacement;
}

} // namespace platform
