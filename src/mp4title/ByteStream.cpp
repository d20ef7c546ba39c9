// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "mp4title/ByteStream.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {

int edit_mode = 0;
int protocol_errno = 0;

static Protocol* first_protocol = nullptr;

void* mem_alloc(int64_t size)
{
    if (size < 0 || size > INT32_MAX)
        return nullptr;
    return std::calloc(1, size > 0 ? static_cast<size_t>(size) : 1);
}

void mem_free(void* p)
{
    std::free(p);
}

void mem_freep(void* pp)
{
    void** slot = static_cast<void**>(pp);
    std::free(*slot);
    *slot = nullptr;
}

void register_protocol(Protocol* protocol)
{
    Protocol** p = &first_protocol;
    while (*p && *p != protocol)
        p = &(*p)->next;
    *p = protocol;
    protocol->next = nullptr;
}

Protocol* first_protocol_entry()
{
    return first_protocol;
}

// --- the "file" protocol: POSIX calls with 64-bit positions ---

// The title calls lock the whole file while they walk and write it: shared
// for a read, exclusive for a write. flock, not fcntl: an fcntl lock belongs to
// the process and goes away when any descriptor of the file in the process is
// closed, while a flock belongs to this open file. A lock that stays taken for
// the whole wait makes the open fail with EWOULDBLOCK; a file system without
// locks is used without them.
static bool lock_file(int fd, int op)
{
    timespec start;
    ::clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        if (::flock(fd, op | LOCK_NB) == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return true;
        timespec now;
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        const long waited = (now.tv_sec - start.tv_sec) * 1000 + (now.tv_nsec - start.tv_nsec) / 1000000;
        if (waited >= FILE_LOCK_WAIT_MS)
            return false;
        const timespec pause = {0, 10 * 1000 * 1000};
        ::nanosleep(&pause, nullptr);
    }
}

static int file_open(ProtocolHandle* h, const char* path, int flags)
{
    if (std::strncmp(path, "file:", 5) == 0)
        path += 5;
    int mode;
    if (flags & URL_RDWR)
        mode = O_CREAT | O_TRUNC | O_RDWR;
    else if (flags & URL_WRONLY)
        mode = O_CREAT | O_TRUNC | O_WRONLY;
    else
        mode = edit_mode == 1 ? O_RDWR : O_RDONLY;
    // Non-blocking, so that a named pipe given as a video cannot hang the
    // caller; anything but a regular file is refused before it is read.
    const int fd = ::open(path, mode | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0) {
        protocol_errno = errno;
        return MP4_ERR_IO;
    }
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        protocol_errno = S_ISDIR(st.st_mode) ? EISDIR : ENODEV;
        ::close(fd);
        return MP4_ERR_IO;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!(flags & (URL_WRONLY | URL_RDWR)) && !lock_file(fd, edit_mode == 1 ? LOCK_EX : LOCK_SH)) {
        protocol_errno = EWOULDBLOCK;
        ::close(fd);
        return MP4_ERR_IO;
    }
    h->priv_data = fd;
    return 0;
}

static int file_read(ProtocolHandle* h, unsigned char* buf, int size)
{
    ssize_t n;
    do
        n = ::read(h->priv_data, buf, static_cast<size_t>(size));
    while (n < 0 && errno == EINTR);
    return n < 0 ? -errno : static_cast<int>(n);
}

static int file_write(ProtocolHandle* h, const unsigned char* buf, int size)
{
    ssize_t n;
    do
        n = ::write(h->priv_data, buf, static_cast<size_t>(size));
    while (n < 0 && errno == EINTR);
    return n < 0 ? -errno : static_cast<int>(n);
}

static int64_t file_seek(ProtocolHandle* h, int64_t pos, int whence)
{
    const off_t r = ::lseek(h->priv_data, static_cast<off_t>(pos), whence);
    return r < 0 ? -errno : static_cast<int64_t>(r);
}

static int file_close(ProtocolHandle* h)
{
    return ::close(h->priv_data);
}

Protocol file_protocol = {"file", file_open, file_read, file_write, file_seek, file_close, nullptr};

// --- protocol layer ---

int protocol_open(ProtocolHandle** out, const char* path, int flags)
{
    *out = nullptr;
    char name[128];
    int n = 0;
    const char* p = path;
    while (std::isalpha(static_cast<unsigned char>(*p))) {
        if (n < static_cast<int>(sizeof(name)) - 1)
            name[n++] = *p;
        ++p;
    }
    name[n] = '\0';
    // One letter before the colon is a drive letter, not a protocol.
    if (*p != ':' || n <= 1)
        std::strcpy(name, "file");

    Protocol* protocol = first_protocol;
    while (protocol && std::strcmp(protocol->name, name) != 0)
        protocol = protocol->next;
    if (!protocol)
        return MP4_ERR_IO;

    auto* h = static_cast<ProtocolHandle*>(mem_alloc(static_cast<int64_t>(sizeof(ProtocolHandle) + std::strlen(path))));
    if (!h)
        return MP4_ERR_NOMEM;
    std::strcpy(h->filename, path);
    h->protocol = protocol;
    h->flags = flags;
    const int err = protocol->open(h, path, flags);
    if (err < 0) {
        mem_free(h);
        return MP4_ERR_IO;
    }
    *out = h;
    return 0;
}

int protocol_read(ProtocolHandle* h, unsigned char* buf, int size)
{
    if (h->flags & URL_WRONLY)
        return MP4_ERR_IO;
    return h->protocol->read(h, buf, size);
}

int protocol_write(ProtocolHandle* h, const unsigned char* buf, int size)
{
    if (!(h->flags & (URL_WRONLY | URL_RDWR)))
        return MP4_ERR_IO;
    if (h->max_packet_size && size > h->max_packet_size)
        return MP4_ERR_IO;
    return h->protocol->write(h, buf, size);
}

int64_t protocol_seek(ProtocolHandle* h, int64_t pos, int whence)
{
    if (!h->protocol->seek)
        return MP4_ERR_SPIPE;
    return h->protocol->seek(h, pos, whence);
}

int64_t stream_size(ProtocolHandle* h)
{
    if (!h->protocol->seek)
        return MP4_ERR_NOSEEK;
    const int64_t pos = h->protocol->seek(h, 0, SEEK_CUR);
    if (pos < 0)
        return pos;
    const int64_t size = h->protocol->seek(h, 0, SEEK_END);
    h->protocol->seek(h, pos, SEEK_SET);
    return size;
}

int protocol_close(ProtocolHandle* h)
{
    const int r = h->protocol->close ? h->protocol->close(h) : 0;
    mem_free(h);
    return r;
}

// --- the byte stream ---

static int handle_read(void* opaque, unsigned char* buf, int size)
{
    return protocol_read(static_cast<ProtocolHandle*>(opaque), buf, size);
}

static int handle_write(void* opaque, const unsigned char* buf, int size)
{
    // The handle keeps the mode it was opened with: a read-write stream must
    // still read after its first flush.
    return protocol_write(static_cast<ProtocolHandle*>(opaque), buf, size);
}

static int64_t handle_seek(void* opaque, int64_t offset, int whence)
{
    return protocol_seek(static_cast<ProtocolHandle*>(opaque), offset, whence);
}

int init_byte_stream(ByteStream* s, unsigned char* buffer, int buffer_size, int write_flag, void* opaque,
                     int (*read_packet)(void*, unsigned char*, int),
                     int (*write_packet)(void*, const unsigned char*, int),
                     int64_t (*seek)(void*, int64_t, int))
{
    std::memset(s, 0, sizeof(*s));
    s->buffer = buffer;
    s->buffer_size = buffer_size;
    s->buf_ptr = buffer;
    s->buf_end = write_flag ? buffer + buffer_size : buffer;
    s->opaque = opaque;
    s->read_packet = read_packet;
    s->write_packet = write_packet;
    s->seek = seek;
    s->write_flag = write_flag;
    return 0;
}

int stream_open(ByteStream* s, const char* path, int flags)
{
    ProtocolHandle* h = nullptr;
    int err = protocol_open(&h, path, flags);
    if (err < 0)
        return err;
    const int size = h->max_packet_size ? h->max_packet_size : STREAM_BUFFER_SIZE;
    auto* buffer = static_cast<unsigned char*>(mem_alloc(size));
    if (!buffer) {
        protocol_close(h);
        return MP4_ERR_NOMEM;
    }
    const int write_flag = (flags & (URL_WRONLY | URL_RDWR)) ? 1 : 0;
    if (init_byte_stream(s, buffer, size, write_flag, h, handle_read, handle_write, handle_seek) < 0) {
        mem_free(buffer);
        protocol_close(h);
        return MP4_ERR_IO;
    }
    s->max_packet_size = h->max_packet_size;
    return 0;
}

int stream_attach(ByteStream* s, ProtocolHandle* h)
{
    auto* buffer = static_cast<unsigned char*>(mem_alloc(STREAM_BUFFER_SIZE));
    if (!buffer)
        return MP4_ERR_NOMEM;
    init_byte_stream(s, buffer, STREAM_BUFFER_SIZE, 0, h, handle_read, handle_write, handle_seek);
    if (protocol_seek(h, 0, SEEK_SET) != 0) {
        stream_release(s);
        return MP4_ERR_IO;
    }
    return 0;
}

void stream_release(ByteStream* s)
{
    mem_free(s->buffer);
    std::memset(s, 0, sizeof(*s));
}

int stream_set_buffer_size(ByteStream* s, int size)
{
    auto* buffer = static_cast<unsigned char*>(mem_alloc(size));
    if (!buffer)
        return MP4_ERR_NOMEM;
    mem_free(s->buffer);
    s->buffer = buffer;
    s->buffer_size = size;
    s->buf_ptr = buffer;
    s->buf_end = s->write_flag ? buffer + size : buffer;
    return 0;
}

int stream_close(ByteStream* s)
{
    auto* h = static_cast<ProtocolHandle*>(s->opaque);
    mem_free(s->buffer);
    std::memset(s, 0, sizeof(*s));
    return h ? protocol_close(h) : 0;
}

ProtocolHandle* stream_handle(ByteStream* s)
{
    return static_cast<ProtocolHandle*>(s->opaque);
}

// One raw read through the protocol; nothing read marks the end of the file,
// and a failure is kept as the stream's error.
static int read_raw(ByteStream* s, unsigned char* dest, int size)
{
    const int len = s->read_packet ? s->read_packet(s->opaque, dest, size) : 0;
    if (len <= 0) {
        s->eof_reached = 1;
        if (len < 0)
            s->error = len;
    }
    return len;
}

static void fill_buffer(ByteStream* s)
{
    if (s->eof_reached)
        return;
    const int len = read_raw(s, s->buffer, s->buffer_size);
    if (len <= 0)
        return;
    s->pos += len;
    s->buf_ptr = s->buffer;
    s->buf_end = s->buffer + len;
}

int read_u8(ByteStream* s)
{
    if (s->buf_ptr < s->buf_end)
        return *s->buf_ptr++;
    fill_buffer(s);
    if (s->buf_ptr < s->buf_end)
        return *s->buf_ptr++;
    return 0;
}

unsigned read_be16(ByteStream* s)
{
    unsigned v = static_cast<unsigned>(read_u8(s)) << 8;
    return v | static_cast<unsigned>(read_u8(s));
}

unsigned read_be24(ByteStream* s)
{
    unsigned v = read_be16(s) << 8;
    return v | static_cast<unsigned>(read_u8(s));
}

unsigned read_be32(ByteStream* s)
{
    unsigned v = read_be16(s) << 16;
    return v | read_be16(s);
}

unsigned read_le32(ByteStream* s)
{
    unsigned v = static_cast<unsigned>(read_u8(s));
    v |= static_cast<unsigned>(read_u8(s)) << 8;
    v |= static_cast<unsigned>(read_u8(s)) << 16;
    v |= static_cast<unsigned>(read_u8(s)) << 24;
    return v;
}

uint64_t read_be64(ByteStream* s)
{
    uint64_t v = static_cast<uint64_t>(read_be32(s)) << 32;
    return v | read_be32(s);
}

int read_bytes(ByteStream* s, unsigned char* buf, int size)
{
    const int wanted = size;
    while (size > 0) {
        int len = static_cast<int>(s->buf_end - s->buf_ptr);
        if (len > size)
            len = size;
        if (len == 0) {
            if (size > s->buffer_size && !s->update_checksum) {
                len = read_raw(s, buf, size);
                if (len <= 0)
                    break;
                s->pos += len;
                size -= len;
                buf += len;
                s->buf_ptr = s->buffer;
                s->buf_end = s->buffer;
            } else {
                fill_buffer(s);
                if (s->buf_end == s->buf_ptr)
                    break;
            }
        } else {
            std::memcpy(buf, s->buf_ptr, static_cast<size_t>(len));
            buf += len;
            s->buf_ptr += len;
            size -= len;
        }
    }
    return wanted - size;
}

static void flush_buffer(ByteStream* s)
{
    if (s->buf_ptr > s->buffer) {
        const int len = static_cast<int>(s->buf_ptr - s->buffer);
        if (s->write_packet && !s->error) {
            const int r = s->write_packet(s->opaque, s->buffer, len);
            if (r < 0)
                s->error = r;
            else if (r != len)
                s->error = MP4_ERR_IO; // a short write is a failed write
        }
        if (s->update_checksum) {
            s->checksum = s->update_checksum(s->checksum, s->checksum_ptr, static_cast<unsigned>(s->buf_ptr - s->checksum_ptr));
            s->checksum_ptr = s->buffer;
        }
        s->pos += len;
    }
    s->buf_ptr = s->buffer;
}

void write_u8(ByteStream* s, int b)
{
    *s->buf_ptr++ = static_cast<unsigned char>(b);
    if (s->buf_ptr >= s->buf_end)
        flush_buffer(s);
}

void write_be16(ByteStream* s, unsigned v)
{
    write_u8(s, static_cast<int>((v >> 8) & 0xFF));
    write_u8(s, static_cast<int>(v & 0xFF));
}

void write_be32(ByteStream* s, unsigned v)
{
    write_be16(s, v >> 16);
    write_be16(s, v & 0xFFFF);
}

void write_le32(ByteStream* s, unsigned v)
{
    for (int i = 0; i < 4; ++i)
        write_u8(s, static_cast<int>((v >> (8 * i)) & 0xFF));
}

void write_be64(ByteStream* s, uint64_t v)
{
    write_be32(s, static_cast<unsigned>(v >> 32));
    write_be32(s, static_cast<unsigned>(v & 0xFFFFFFFFu));
}

void write_tag(ByteStream* s, const char* tag)
{
    while (*tag)
        write_u8(s, *tag++);
}

void write_cstring(ByteStream* s, const char* text)
{
    if (text) {
        const int len = static_cast<int>(std::strlen(text)) + 1;
        write_bytes(s, reinterpret_cast<const unsigned char*>(text), len);
    } else {
        write_u8(s, 0);
    }
}

void write_bytes(ByteStream* s, const unsigned char* buf, int size)
{
    while (size > 0) {
        int len = static_cast<int>(s->buf_end - s->buf_ptr);
        if (len > size)
            len = size;
        std::memcpy(s->buf_ptr, buf, static_cast<size_t>(len));
        s->buf_ptr += len;
        if (s->buf_ptr >= s->buf_end)
            flush_buffer(s);
        buf += len;
        size -= len;
    }
}

void stream_flush(ByteStream* s)
{
    flush_buffer(s);
    s->must_flush = 0;
}

int64_t stream_seek(ByteStream* s, int64_t offset, int whence)
{
    if (whence != SEEK_CUR && whence != SEEK_SET)
        return MP4_ERR_INVAL;

    if (s->write_flag) {
        int64_t target;
        if (whence == SEEK_CUR) {
            const int64_t base = s->pos + (s->buf_ptr - s->buffer);
            if (offset == 0)
                return base;
            if (__builtin_add_overflow(base, offset, &target))
                return MP4_ERR_INVAL;
        } else {
            target = offset;
        }
        const int64_t in_buffer = target - s->pos;
        if (!s->must_flush && in_buffer >= 0 && in_buffer < s->buf_end - s->buffer) {
            s->buf_ptr = s->buffer + in_buffer;
            return target;
        }
        if (!s->seek)
            return MP4_ERR_SPIPE;
        flush_buffer(s);
        s->must_flush = 1;
        s->buf_ptr = s->buffer;
        const int64_t r = s->seek(s->opaque, target, SEEK_SET);
        if (r < 0)
            return r;
        s->pos = target;
        return target;
    }

    const int64_t buffer_start = s->pos - (s->buf_end - s->buffer);
    int64_t target;
    if (whence == SEEK_CUR) {
        const int64_t base = buffer_start + (s->buf_ptr - s->buffer);
        if (offset == 0)
            return base;
        if (__builtin_add_overflow(base, offset, &target))
            return MP4_ERR_INVAL;
    } else {
        target = offset;
    }
    const int64_t in_buffer = target - buffer_start;
    if (in_buffer >= 0 && in_buffer <= s->buf_end - s->buffer) {
        s->buf_ptr = s->buffer + in_buffer;
        s->eof_reached = 0;
        return target;
    }
    if (!s->seek)
        return MP4_ERR_SPIPE;
    if (target < 0)
        return MP4_ERR_INVAL;
    s->buf_ptr = s->buf_end = s->buffer;
    const int64_t r = s->seek(s->opaque, target, SEEK_SET);
    if (r < 0)
        return r;
    s->pos = target;
    s->eof_reached = 0;
    return target;
}

int64_t stream_skip(ByteStream* s, int64_t offset)
{
    if (offset == 0)
        return stream_tell(s);
    return stream_seek(s, offset, SEEK_CUR);
}

int64_t stream_tell(ByteStream* s)
{
    return stream_seek(s, 0, SEEK_CUR);
}

int stream_eof(ByteStream* s)
{
    return s->eof_reached;
}

} // extern "C"
