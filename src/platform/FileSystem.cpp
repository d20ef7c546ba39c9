// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/FileSystem.h"

#include "platform/PathCodec.h"
#include "platform/Volumes.h"

#include <QDir>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <filesystem>
#include <memory>

namespace platform {
namespace {

FileSystem* g_replacement = nullptr;

QByteArray encode(const QString& path)
{
    return encodePath(path);
}

bool globMatchAt(const QString& glob, qsizetype g, const QString& name, qsizetype n)
{
    while (g < glob.size()) {
        const QChar c = glob.at(g);
        if (c == u'*') {
            // Collapse runs of '*' and try every split point.
            while (g < glob.size() && glob.at(g) == u'*')
                ++g;
            if (g == glob.size())
                return true;
            for (qsizetype k = n; k <= name.size(); ++k) {
                if (globMatchAt(glob, g, name, k))
                    return true;
            }
            return false;
        }
        if (n >= name.size())
            return false;
        if (c != u'?' && c.toCaseFolded() != name.at(n).toCaseFolded())
            return false;
        ++g;
        ++n;
    }
    return n == name.size();
}

// The lengths of the files below a folder; links are not followed.
std::uint64_t bytesBelow(const QString& folder)
{
    namespace fs = std::filesystem;
    std::uint64_t sum = 0;
    std::error_code error;
    for (fs::recursive_directory_iterator it(encode(folder).toStdString(), fs::directory_options::skip_permission_denied, error), end;
         !error && it != end; it.increment(error)) {
        std::error_code sizeError;
        if (it->is_regular_file(sizeError) && !it->is_symlink(sizeError)) {
            const auto size = it->file_size(sizeError);
            if (!sizeError)
                sum += size;
        }
    }
    return sum;
}

} // namespace

bool globMatch(const QString& glob, const QString& name)
{
    return globMatchAt(glob, 0, name, 0);
}

std::vector<DirEntry> FileSystem::list(const QString& folder, const QString& glob, int* error) const
{
    std::vector<DirEntry> result;
    if (error)
        *error = 0;
    const QByteArray encoded = encode(folder.isEmpty() ? QStringLiteral(".") : folder);
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(encoded.constData()), &::closedir);
    if (!dir) {
        if (error)
            *error = errno ? errno : EIO;
        return result;
    }
    const QString prefix = folder.endsWith(u'/') || folder.isEmpty() ? folder : folder + u'/';
    for (;;) {
        errno = 0;
        const dirent* item = ::readdir(dir.get());
        if (!item) {
            // The end, or a read that failed: a short listing must not pass for a whole one.
            if (errno != 0 && error)
                *error = errno;
            break;
        }
        const QString name = decodePath(item->d_name);
        if (name == u"." || name == u".." || !globMatch(glob, name))
            continue;
        DirEntry entry;
        entry.name = name;
        entry.path = prefix + name;
        struct stat info {};
        if (::stat(encode(entry.path).constData(), &info) == 0) {
            entry.isDirectory = S_ISDIR(info.st_mode);
            entry.lastWrite = info.st_mtime;
        }
        result.push_back(std::move(entry));
    }
    return result;
}

bool FileSystem::exists(const QString& path) const
{
    return lookup(path) != 0;
}

int FileSystem::lookup(const QString& path, int* error) const
{
    if (error)
        *error = 0;
    if (path.isEmpty())
        return 0;
    struct stat info {};
    if (::lstat(encode(path).constData(), &info) == 0)
        return 1;
    if (errno == ENOENT || errno == ENOTDIR)
        return 0;
    if (error)
        *error = errno;
    return -1;
}

int FileSystem::sameFile(const QString& a, const QString& b, int* error) const
{
    if (error)
        *error = 0;
    struct stat first {}, second {};
    for (const auto& [path, info] : {std::pair{&a, &first}, std::pair{&b, &second}}) {
        if (path->isEmpty())
            return 0;
        if (::stat(encode(*path).constData(), info) == 0)
            continue;
        if (errno == ENOENT || errno == ENOTDIR)
            return 0;
        if (error)
            *error = errno;
        return -1;
    }
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino ? 1 : 0;
}

bool FileSystem::isDirectory(const QString& path) const
{
    struct stat info {};
    return !path.isEmpty() && ::stat(encode(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::optional<std::uint64_t> FileSystem::readableSize(const QString& path) const
{
    if (path.isEmpty())
        return std::nullopt;
    // Non-blocking, so that a named pipe can't hold the caller; only a regular
    // file has a length (a folder can't be opened as a file on a FAT stick).
    const int fd = ::open(encode(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    const bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(fd);
    if (!ok)
        return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
}

std::optional<std::uint64_t> FileSystem::fileSize(const QString& path) const
{
    struct stat info {};
    if (path.isEmpty() || ::stat(encode(path).constData(), &info) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
}

std::optional<std::time_t> FileSystem::lastWriteTime(const QString& path) const
{
    struct stat info {};
    if (path.isEmpty() || ::stat(encode(path).constData(), &info) != 0)
        return std::nullopt;
    return info.st_mtime;
}

std::optional<VolumeSpace> FileSystem::space(const QString& path) const
{
    if (path.isEmpty())
        return std::nullopt;
    struct statvfs info {};
    if (::statvfs(encode(path).constData(), &info) != 0)
        return std::nullopt;
    VolumeSpace result;
    result.freeToCaller = static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
    result.total = static_cast<std::uint64_t>(info.f_blocks) * info.f_frsize;
    result.totalFree = static_cast<std::uint64_t>(info.f_bfree) * info.f_frsize;
    if (const auto nominal = nominalCapacityFor(path)) {
        // A folder standing in for a card: its own capacity, never more room than the disk has.
        const std::uint64_t held = bytesBelow(nominal->first);
        const std::uint64_t left = nominal->second > held ? nominal->second - held : 0;
        result.total = nominal->second;
        result.freeToCaller = std::min(left, result.freeToCaller);
        result.totalFree = std::min(left, result.totalFree);
    }
    return result;
}

QString FileSystem::currentDirectory() const
{
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer) == nullptr)
        return QDir::currentPath();
    return decodePath(buffer);
}

FileSystem& fileSystem()
{
    static FileSystem real;
    return g_replacement ? *g_replacement : real;
}

void setFileSystem(FileSystem* replacement)
{
    g_replacement = replacement;
}

} // namespace platform
