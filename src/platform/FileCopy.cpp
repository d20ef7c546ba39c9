#include "platform/FileCopy.h"

#include "platform/PathCodec.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <thread>
#include <utility>

#include <fcntl.h>
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
    int dir = -1;
    QByteArray name;
    Fd fd;
    bool committed = false;
    bool cancelled = false;

    ~TempFile()
    {
        if (committed || !fd)
            return;
        ::unlinkat(dir, name.constData(), 0);
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

// Creates a fresh, uniquely named temporary in the folder (mode 0666 before
// the umask, like any new file). A short fixed-length name, so that it fits
// wherever the target's own name fits.
int createTemp(int dir, QByteArray& name)
{
    for (int attempt = 0; attempt < 32; ++attempt) {
        unsigned char raw[6];
        if (::getrandom(raw, sizeof raw, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof raw)) {
            const auto mix = static_cast<std::uint64_t>(::getpid()) * 0x9E3779B97F4A7C15ull
                ^ static_cast<std::uint64_t>(std::clock()) ^ static_cast<std::uint64_t>(attempt) << 40;
            std::memcpy(raw, &mix, sizeof raw);
        }
        name = QByteArray(".reelkeeper-") + QByteArray(reinterpret_cast<const char*>(raw), sizeof raw).toHex()
            + QByteArray(".tmp");
        const int fd = ::openat(dir, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
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

CopyResult FileOps::copyFile(const QString& sourcePath, const QString& targetPath, bool failIfExists,
                             const CopyProgress& progress) const
{
    CopyResult result;
    const auto fail = [&result](CopyFault fault, int error) {
        result.status = CopyStatus::Failed;
        result.fault = fault;
        result.error = error;
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

    // The target's folder, held open: every later step names entries relative
    // to it, and its removal shows as a zero link count on the temporary.
    const QByteArray targetName = encodePath(targetPath);
    const qsizetype slash = targetName.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : targetName.left(slash);
    const QByteArray name = targetName.mid(slash + 1);
    if (name.isEmpty() || name == "." || name == "..")
        return fail(CopyFault::WriteTarget, name.isEmpty() ? ENOENT : EISDIR);
    const Fd dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir)
        return fail(CopyFault::WriteTarget, errno);
    struct stat existing {};
    const bool exists = ::fstatat(dir.get(), name.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
    if (exists && failIfExists) {
        result.status = CopyStatus::TargetExists;
        result.error = EEXIST;
        return result;
    }
    if (exists && S_ISDIR(existing.st_mode))
        return fail(CopyFault::WriteTarget, EISDIR);

    QByteArray tempName;
    const int tempFd = createTemp(dir.get(), tempName);
    if (tempFd < 0)
        return fail(CopyFault::WriteTarget, errno);
    TempFile temp{dir.get(), tempName, Fd(tempFd)};
    const int out = temp.fd.get();
    // A fresh file: the lock is never contended, it keeps readers that lock
    // out until the data is on the device.
    ::flock(out, LOCK_EX);
    // A stick without room fails now, not after a gigabyte. (Not fallocate:
    // on tmpfs it zeroes the whole length up front and frees it on cancel.)
    struct statvfs room {};
    if (::fstatvfs(out, &room) == 0 && room.f_frsize > 0
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
    if (::fsync(out) != 0)
        return fail(CopyFault::WriteTarget, errno);
    struct stat written {};
    if (::fstat(out, &written) != 0)
        return fail(CopyFault::WriteTarget, errno);
    if (written.st_nlink == 0)
        return fail(CopyFault::WriteTarget, ENOENT);

    if (failIfExists) {
        int renamed = ::renameat2(dir.get(), temp.name.constData(), dir.get(), name.constData(), RENAME_NOREPLACE);
        if (renamed != 0 && isUnsupported(errno)) {
            // No atomic no-replace rename here: a hard link can't replace either.
            renamed = ::linkat(dir.get(), temp.name.constData(), dir.get(), name.constData(), 0);
            if (renamed == 0)
                ::unlinkat(dir.get(), temp.name.constData(), 0);
            else if (errno != EEXIST) {
                // Neither (FAT has no links): look, then rename.
                struct stat taken {};
                if (::fstatat(dir.get(), name.constData(), &taken, AT_SYMLINK_NOFOLLOW) == 0)
                    errno = EEXIST;
                else
                    renamed = ::renameat(dir.get(), temp.name.constData(), dir.get(), name.constData());
            }
        }
        if (renamed != 0 && errno == EEXIST) {
            result.status = CopyStatus::TargetExists;
            result.error = EEXIST;
            return result;
        }
        if (renamed != 0)
            return fail(CopyFault::WriteTarget, errno);
    } else {
        // Let a title rewrite of the old file that holds its lock finish
        // first; one that takes longer loses its writes with the old file.
        const Fd old(::openat(dir.get(), name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
        for (int wait = 0; old && wait < 200 && ::flock(old.get(), LOCK_EX | LOCK_NB) != 0; ++wait)
            ::usleep(10'000);
        if (::renameat(dir.get(), temp.name.constData(), dir.get(), name.constData()) != 0)
            return fail(CopyFault::WriteTarget, errno);
    }
    temp.committed = true;

    if (::fsync(dir.get()) != 0 && !isUnsupported(errno)) {
        const int error = errno;
        // The name may not survive an unplug. A new target is taken back; an
        // overwritten one stays, whole, since the old file is gone already.
        struct stat now {};
        if (failIfExists && ::fstatat(dir.get(), name.constData(), &now, AT_SYMLINK_NOFOLLOW) == 0
            && now.st_ino == written.st_ino && now.st_dev == written.st_dev)
            ::unlinkat(dir.get(), name.constData(), 0);
        return fail(CopyFault::WriteTarget, error);
    }
    result.status = CopyStatus::Ok;
    return result;
}

FileOpResult FileOps::removeFile(const QString& path) const
{
    const QByteArray encoded = encodePath(path);
    if (encoded.isEmpty())
        return classify(ENOENT);
    if (::unlink(encoded.constData()) == 0)
        return {FileOpStatus::Ok, 0};
    return classify(errno);
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
