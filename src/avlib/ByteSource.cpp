// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "avlib/ByteSource.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include <unistd.h>

namespace avlib {
namespace {

int readStoppable(void* opaque, uint8_t* buf, int want)
{
    auto* s = static_cast<StoppableSource*>(opaque);
    if (s->stopped())
        return AVERROR_EXIT;
    return s->file.read(buf, want);
}

int64_t seekStoppable(void* opaque, int64_t offset, int whence)
{
    return static_cast<StoppableSource*>(opaque)->file.seek(offset, whence);
}

int interruptStoppable(void* opaque)
{
    return static_cast<const StoppableSource*>(opaque)->stopped() ? 1 : 0;
}

} // namespace

int ByteSource::read(std::uint8_t* buf, int want)
{
    const std::int64_t n = std::min<std::int64_t>(want, size - pos);
    if (n <= 0)
        return AVERROR_EOF;
    if (data) {
        std::memcpy(buf, data + pos, static_cast<size_t>(n));
        pos += n;
        return static_cast<int>(n);
    }
    ssize_t got;
    do
        got = ::pread(fd, buf, static_cast<size_t>(n), pos);
    while (got < 0 && errno == EINTR);
    if (got < 0) {
        readErrno = errno;
        return AVERROR(errno);
    }
    if (got == 0)
        return AVERROR_EOF;
    pos += got;
    return static_cast<int>(got);
}

std::int64_t ByteSource::seek(std::int64_t offset, int whence)
{
    if (whence & AVSEEK_SIZE)
        return size;
    std::int64_t base = 0;
    switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = pos; break;
    case SEEK_END: base = size; break;
    default: return AVERROR(EINVAL);
    }
    if (offset > INT64_MAX - base || base + offset < 0)
        return AVERROR(EINVAL);
    pos = base + offset;
    return pos;
}

StoppableSource::~StoppableSource()
{
    if (file.fd >= 0)
        ::close(file.fd);
}

IoPtr StoppableSource::makeIo(int bufferSize)
{
    return avlib::makeIo(bufferSize, false, this, &readStoppable, nullptr, &seekStoppable);
}

AVIOInterruptCB StoppableSource::interrupter() const
{
    return {&interruptStoppable, const_cast<StoppableSource*>(this)};
}

} // namespace avlib
