// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Protocol layer and buffered byte stream of the title engine. Module style:
// plain records, operation tables of function pointers, negative error codes.

#include <cstdint>

extern "C" {

enum {
    MP4_ERR_IO = -2,        // unknown protocol, cannot open, refused read/write
    MP4_ERR_NOMEM = -12,    // no memory for a handle or a buffer
    MP4_ERR_INVAL = -22,    // bad seek origin
    MP4_ERR_NOSEEK = -31,   // stream_size on a protocol without seek
    MP4_ERR_SPIPE = -32,    // the protocol cannot seek
};

enum { URL_RDONLY = 0, URL_WRONLY = 1, URL_RDWR = 2 };
enum { STREAM_BUFFER_SIZE = 32768 };
// How long an open of the title calls waits for another program's lock.
enum { FILE_LOCK_WAIT_MS = 400 };

struct ProtocolHandle;

struct Protocol {
    const char* name;
    int (*open)(ProtocolHandle* h, const char* path, int flags);
    int (*read)(ProtocolHandle* h, unsigned char* buf, int size);
    int (*write)(ProtocolHandle* h, const unsigned char* buf, int size);
    int64_t (*seek)(ProtocolHandle* h, int64_t pos, int whence);
    int (*close)(ProtocolHandle* h);
    Protocol* next;
};

struct ProtocolHandle {
    Protocol* protocol;
    int flags;
    int streamed;
    int max_packet_size;
    int priv_data;          // the file descriptor
    char filename[1];       // allocated with room for the whole name
};

struct ByteStream {
    unsigned char* buffer;
    int buffer_size;
    unsigned char* buf_ptr;
    unsigned char* buf_end;
    void* opaque;
    int (*read_packet)(void* opaque, unsigned char* buf, int size);
    int (*write_packet)(void* opaque, const unsigned char* buf, int size);
    int64_t (*seek)(void* opaque, int64_t offset, int whence);
    int64_t pos;
    int must_flush;
    int eof_reached;
    int write_flag;
    int is_streamed;
    int max_packet_size;
    uint32_t checksum;
    unsigned char* checksum_ptr;
    uint32_t (*update_checksum)(uint32_t checksum, const unsigned char* buf, unsigned size);
    int error;
};

// Set by the title calls: a plain read-only open becomes read-write.
extern int edit_mode;
// Why the last failed open of the file protocol failed (an errno value;
// EWOULDBLOCK when another open file held the lock for the whole wait).
extern int protocol_errno;

void* mem_alloc(int64_t size);      // zero-filled; null when size is negative or too big
void mem_free(void* p);
void mem_freep(void* pp);           // frees *(void**)pp and clears it

void register_protocol(Protocol* protocol);
Protocol* first_protocol_entry();
extern Protocol file_protocol;

int protocol_open(ProtocolHandle** out, const char* path, int flags);
int protocol_read(ProtocolHandle* h, unsigned char* buf, int size);
int protocol_write(ProtocolHandle* h, const unsigned char* buf, int size);
int64_t protocol_seek(ProtocolHandle* h, int64_t pos, int whence);
int64_t stream_size(ProtocolHandle* h);
int protocol_close(ProtocolHandle* h);

int init_byte_stream(ByteStream* s, unsigned char* buffer, int buffer_size, int write_flag, void* opaque,
                     int (*read_packet)(void*, unsigned char*, int),
                     int (*write_packet)(void*, const unsigned char*, int),
                     int64_t (*seek)(void*, int64_t, int));
int stream_open(ByteStream* s, const char* path, int flags);
// A reading stream with its own buffer over a handle that stays open when the
// stream is released with stream_release.
int stream_attach(ByteStream* s, ProtocolHandle* h);
void stream_release(ByteStream* s);
int stream_set_buffer_size(ByteStream* s, int size);
int stream_close(ByteStream* s);
ProtocolHandle* stream_handle(ByteStream* s);

int read_u8(ByteStream* s);
unsigned read_be16(ByteStream* s);
unsigned read_be24(ByteStream* s);
unsigned read_be32(ByteStream* s);
unsigned read_le32(ByteStream* s);
uint64_t read_be64(ByteStream* s);
int read_bytes(ByteStream* s, unsigned char* buf, int size);

void write_u8(ByteStream* s, int b);
void write_be16(ByteStream* s, unsigned v);
void write_be32(ByteStream* s, unsigned v);
void write_le32(ByteStream* s, unsigned v);
void write_be64(ByteStream* s, uint64_t v);
void write_tag(ByteStream* s, const char* tag);
void write_cstring(ByteStream* s, const char* text);
void write_bytes(ByteStream* s, const unsigned char* buf, int size);
void stream_flush(ByteStream* s);

int64_t stream_seek(ByteStream* s, int64_t offset, int whence);
int64_t stream_skip(ByteStream* s, int64_t offset);
int64_t stream_tell(ByteStream* s);
int stream_eof(ByteStream* s);

} // extern "C"
