#include "transfer/FileOps.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace transfer {
namespace {

FileOps* g_replacement = nullptr;

constexpr std::size_t kChunk = 4 * 1024 * 1024;

class Fd
{
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() { close(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    int close()
    {
        const int result = m_fd >= 0 ? ::close(m_fd) : 0;
        m_fd = -1;
        return result;
    }

private:
    int m_fd;
};

int writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

// Copies the open source into the open target; 0 or an errno value.
int copyData(int in, int out, std::uint64_t total, const CopyProgress& progress)
{
    std::vector<char> buffer(kChunk);
    std::uint64_t copied = 0;
    if (progress && !progress(total, 0))
        return ECANCELED;
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            break;
        if (const int error = writeAll(out, buffer.data(), static_cast<std::size_t>(n)))
            return error;
        copied += static_cast<std::uint64_t>(n);
        if (progress && !progress(total, copied))
            return ECANCELED;
    }
    return 0;
}

// The target folder's entry must reach the device too.
void syncFolderOf(const QByteArray& path)
{
    const int slash = path.lastIndexOf('/');
    const QByteArray folder = slash > 0 ? path.left(slash) : QByteArray(slash == 0 ? "/" : ".");
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

int FileOps::copy(const QString& from, const QString& to, CopyMode mode, const CopyProgress& progress)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    Fd in(::open(source.constData(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0)
        return errno;
    struct stat info {};
    if (::fstat(in.get(), &info) != 0)
        return errno;
    if (!S_ISREG(info.st_mode))
        return S_ISDIR(info.st_mode) ? EISDIR : EINVAL;

    // An overwrite is written beside the target and renamed over it, so the
    // file it replaces stays whole until the copy is.
    const QByteArray written = mode == CopyMode::Overwrite ? target + ".rkpart" : target;
    if (mode == CopyMode::Overwrite)
        ::unlink(written.constData());
    Fd out(::open(written.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (out.get() < 0)
        return errno;

    int error = copyData(in.get(), out.get(), static_cast<std::uint64_t>(info.st_size), progress);
    if (error == 0) {
        const struct timespec times[2] = {info.st_atim, info.st_mtim};
        ::futimens(out.get(), times);
        if (::fsync(out.get()) != 0)
            error = errno;
        // Written into a file whose folder was removed meanwhile: nothing landed.
        else if (::fstat(out.get(), &info) == 0 && info.st_nlink == 0)
            error = ENOENT;
    }
    if (out.close() != 0 && error == 0)
        error = errno;
    if (error == 0 && written != target && ::rename(written.constData(), target.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(written.constData());
        return error;
    }
    syncFolderOf(target);
    return 0;
}

int FileOps::remove(const QString& path)
{
    return ::unlink(QFile::encodeName(path).constData()) == 0 ? 0 : errno;
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

} // namespace transfer
