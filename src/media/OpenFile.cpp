// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "media/OpenFile.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace media {

int openRegularFile(const QByteArray& path, struct stat& st, QString& error)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    st = {};
    if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        return fd;
    const int e = fd < 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : errno;
    if (fd >= 0)
        ::close(fd);
    error = QStringLiteral("can't open it: %1").arg(QString::fromLocal8Bit(std::strerror(e ? e : EINVAL)));
    return -1;
}

} // namespace media
