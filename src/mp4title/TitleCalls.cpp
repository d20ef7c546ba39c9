// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "mp4title/TitleCalls.h"

#include "mp4title/TitleWrite.h"
#include "mp4title/Utf.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

extern "C" {

char* title_name = nullptr;
int32_t nTitleSize = 0;
char edit_name[256];
Codec* first_avcodec = nullptr;

int32_t moov_found = 0;
int64_t moov_size = 0;
int32_t nTruncSize = 0;

int title_outcome = TITLE_OK;
int title_errno = 0;
int title_state = 0;
int title_walk_error = 0;

} // extern "C"

namespace {

// What the walk of the current call found.
mp4title::WalkFindings walk_findings;
bool title_atom_seen = false;

int stream_fd(ByteStream* pb)
{
    ProtocolHandle* h = stream_handle(pb);
    if (!h || h->protocol != &file_protocol)
        return -1;
    return h->priv_data;
}

void reset_walk_state()
{
    title_name = nullptr;
    nTitleSize = 0;
    moov_found = 0;
    title_atom_seen = false;
    walk_findings = mp4title::WalkFindings();
}

// A planned state of the file, read by the walk like a file: the writer
// checks what a reader would find before it changes a byte.
const mp4title::FileView* view_now = nullptr;
int64_t view_pos = 0;

int view_read_packet(ProtocolHandle*, unsigned char* buf, int size)
{
    const int64_t n = mp4title::view_read(*view_now, view_pos, buf, size);
    view_pos += n;
    return static_cast<int>(n);
}

int64_t view_seek(ProtocolHandle*, int64_t pos, int whence)
{
    const int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? view_pos : whence == SEEK_END ? view_now->size : -1;
    if (base < 0 || pos < -base)
        return MP4_ERR_INVAL;
    view_pos = base + pos;
    return view_pos;
}

Protocol view_protocol = {"view", nullptr, view_read_packet, nullptr, view_seek, nullptr, nullptr};

// Reads the title again over the handle the write holds open and locked (what
// any reader now gets), or over a planned state of it. The state of the
// running call is kept aside meanwhile.
int read_back(void* context, const mp4title::FileView* view, std::string* title, int64_t* taken)
{
    auto* h = static_cast<ProtocolHandle*>(context);
    ProtocolHandle viewHandle = {};
    if (view) {
        viewHandle.protocol = &view_protocol;
        view_now = view;
        view_pos = 0;
        h = &viewHandle;
    }
    const mp4title::WalkFindings walk = walk_findings;
    const bool seen = title_atom_seen;
    char* const name = title_name;
    const int32_t size = nTitleSize;
    const int32_t found = moov_found;
    const int64_t moovSize = moov_size;
    const int mode = edit_mode;
    reset_walk_state();
    edit_mode = 0;

    int result = -1;
    auto* s = static_cast<FormatContext*>(mem_alloc(sizeof(FormatContext)));
    auto* c = static_cast<MovContext*>(mem_alloc(sizeof(MovContext)));
    if (s && c && stream_attach(&s->pb, h) == 0) {
        s->iformat = &mov_input_format;
        s->priv_data = c;
        mov_read_header(s, nullptr);
        result = s->pb.error != 0 ? -1 : moov_found == 1 ? 1 : 0;
        *title = title_name ? title_name : "";
        if (taken)
            *taken = title_atom_seen ? walk_findings.takenStart : -1;
        mov_input_format.read_close(s);
        for (int i = 0; i < s->nb_streams; ++i)
            mem_freep(&s->streams[i]);
        stream_release(&s->pb);
    }
    mem_free(title_name);
    mem_free(c);
    mem_free(s);
    view_now = nullptr;

    walk_findings = walk;
    title_atom_seen = seen;
    title_name = name;
    nTitleSize = size;
    moov_found = found;
    moov_size = moovSize;
    edit_mode = mode;
    return result;
}

} // namespace

extern "C" {

int mov_read_moov_atom(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    moov_size = atom.size;
    moov_found = 1;
    walk_findings.moovStart = atom.offset - c->atom_head_size;
    walk_findings.moovEnd = atom_end(atom);
    walk_findings.moovTopLevel = c->depth == 1;
    c->walk_error = 0;
    mov_read_container(c, pb, atom);
    walk_findings.reach = c->walk_reach;
    walk_findings.walkError = c->walk_error;
    return -1;
}

int title_read_uuid(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    if (atom.size < 0)
        return 0;
    if (moov_found != 1 || atom.size <= 92 || title_atom_seen) {
        if (atom.size > 1)
            stream_skip(pb, atom.size);
        return 0;
    }
    // Only the PSP's own atom is the title atom: USMT UUID and an MTDT atom.
    unsigned char head[26];
    if (read_bytes(pb, head, 26) != 26 || std::memcmp(head, mp4title::kUsmtUuid, 16) != 0
        || std::memcmp(head + 20, "MTDT", 4) != 0)
        return 0; // an ordinary leaf; the walk skips the rest
    title_atom_seen = true;
    walk_findings.takenStart = atom.offset - c->atom_head_size;
    const uint32_t mtdtSize = (uint32_t(head[16]) << 24) | (uint32_t(head[17]) << 16) | (uint32_t(head[18]) << 8) | head[19];
    // A write goes on walking, to learn how far the walk gets in moov.
    const int done = edit_mode == 1 ? 0 : -1;

    // Walk the MTDT entries by their sizes, within MTDT and the atom.
    const int64_t limit = std::min<int64_t>(atom.size, 16 + static_cast<int64_t>(mtdtSize));
    int64_t pos = 26; // payload offset of the first entry, after the entry count
    while (pos + 10 <= limit) {
        unsigned char e[10];
        if (read_bytes(pb, e, 10) != 10)
            return done;
        const int64_t size = (int64_t(e[0]) << 8) | e[1];
        const uint32_t type = (uint32_t(e[2]) << 24) | (uint32_t(e[3]) << 16) | (uint32_t(e[4]) << 8) | e[5];
        if (size < 10 || pos + size > limit)
            return done;
        if (type == 1) {
            const int64_t textBytes = size - 10;
            nTitleSize = static_cast<int32_t>(textBytes);
            std::string raw(static_cast<size_t>(textBytes), '\0');
            if (read_bytes(pb, reinterpret_cast<unsigned char*>(raw.data()), static_cast<int>(textBytes)) != textBytes)
                return done; // cut off by the end of the file: no title
            if (textBytes > 0) {
                const std::string text =
                    mp4title::utf16beToUtf8(reinterpret_cast<const unsigned char*>(raw.data()), raw.size());
                title_name = static_cast<char*>(mem_alloc(static_cast<int64_t>(text.size()) + 1));
                if (title_name)
                    std::memcpy(title_name, text.c_str(), text.size() + 1);
            }
            return done;
        }
        stream_skip(pb, size - 10);
        pos += size;
    }
    return done;
}

void title_after_walk(MovContext*, ByteStream* pb)
{
    if (edit_mode != 1 || moov_found != 1)
        return;
    nTitleSize /= 2;
    walk_findings.oldTitle = title_name ? title_name : "";
    const mp4title::WriteOutcome r =
        mp4title::write_title(stream_fd(pb), walk_findings, edit_name, read_back, stream_handle(pb));
    title_outcome = r.outcome;
    title_errno = r.err;
    title_state = r.state;
    title_walk_error = walk_findings.walkError;
    nTruncSize = static_cast<int32_t>(std::min<int64_t>(r.cut, INT32_MAX));
}

static int outcome_of_open(int err)
{
    switch (err) {
    case FMT_ERR_IO:
        title_errno = protocol_errno;
        return protocol_errno == EWOULDBLOCK ? TITLE_IN_USE : TITLE_CANNOT_OPEN;
    case FMT_ERR_NOFMT: return TITLE_NOT_MP4;
    default: return TITLE_NO_MEMORY;
    }
}

static void reset_call_state()
{
    reset_walk_state();
    title_outcome = TITLE_OK;
    title_errno = 0;
    title_state = 0;
    title_walk_error = 0;
    protocol_errno = 0;
}

int GetTitleName(const char* path, char* buffer)
{
    register_all();
    reset_call_state();
    edit_mode = 0;
    edit_name[0] = '\0';

    FormatContext* ctx = nullptr;
    const int err = open_input(&ctx, path, nullptr, 0, nullptr);
    if (err < 0) {
        title_outcome = outcome_of_open(err);
        return 0;
    }
    if (title_name) {
        // At most 511 bytes and a terminator, cut at a character boundary.
        const std::string text(title_name);
        const size_t len = mp4title::utf8Cut(text, TITLE_BUFFER_SIZE - 1);
        size_t total = std::max<size_t>(len + 1, nTitleSize > 0 ? static_cast<size_t>(nTitleSize) : 0);
        if (total > TITLE_BUFFER_SIZE)
            total = TITLE_BUFFER_SIZE;
        std::memcpy(buffer, text.data(), len);
        std::memset(buffer + len, 0, total - len);
    }
    mem_free(title_name);
    if (moov_found != 1)
        title_outcome = TITLE_NO_MOOV;
    return moov_found == 1;
}

int SetTitleName(const char* path, const char* title)
{
    register_all();
    reset_call_state();
    if (!title)
        title = "";
    if (std::strlen(title) > TITLE_MAX_BYTES) {
        title_outcome = TITLE_TOO_LONG;
        return 0;
    }
    if (!mp4title::utf8Valid(title)) {
        title_outcome = TITLE_BAD_TEXT;
        return 0;
    }
    std::memcpy(edit_name, title, std::strlen(title) + 1);
    nTruncSize = 0;
    edit_mode = 1;

    FormatContext* ctx = nullptr;
    const int err = open_input(&ctx, path, nullptr, 0, nullptr);
    edit_mode = 0;
    if (err < 0) {
        title_outcome = outcome_of_open(err);
        return 0;
    }
    mem_free(title_name);
    if (moov_found != 1) {
        title_outcome = TITLE_NO_MOOV;
        return 0;
    }
    return title_outcome == TITLE_OK;
}

} // extern "C"
