// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/FatAttributes.h"

#include "platform/PathCodec.h"


#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

EntryAttributes g_real;
EntryAttributes* g_current = &g_real;

// The DOS attributes of an entry on a FAT volume; false on any other file system.
bool readFatAttributes(const QByteArray& path, std::uint32_t& out)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return false;
    __u32 value = 0;
    const bool ok = ::ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &value) == 0;
    ::close(fd);
    if (ok)
        out = value;
    return ok;
}

QString baseName(const QString& path)
{
    QString p = path;
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return p.mid(p.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

std::uint32_t EntryAttributes::attributes(const QString& path) const
{
    const QByteArray native = encodePath(path);
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0)
        return 0;
    if (S_ISLNK(st.st_mode))
        return attr::Link;

    std::uint32_t fat = 0;
    if (readFatAttributes(native, fat))
        return fat;

    std::uint32_t result = 0;
    if (S_ISDIR(st.st_mode)) {
        result |= attr::Directory;
        if ((st.st_mode & S_IWUSR) == 0)
            result |= attr::ReadOnly;
    } else if ((st.st_mode & S_IWUSR) == 0) {
        result |= attr::ReadOnly;
    }
    if (baseName(path).startsWith(QLatin1Char('.')))
        result |= attr::Hidden;
    if (result == 0)
        result = attr::Normal;
    return result;
}

bool EntryAttributes::makeDirectory(const QString& path) const
{
    return ::mkdir(encodePath(path).constData(), 0777) == 0;
}

EntryAttributes& entryAttributes()
{
    return *g_current;
}

void setEntryAttributes(EntryAttributes* replacement)
{
    g_current = replacement ? replacement : &g_real;
}

} // namespace platform
