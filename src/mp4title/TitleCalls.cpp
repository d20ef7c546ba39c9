#include "mp4title/TitleCalls.h"

#include "mp4title/Utf.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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

} // extern "C"

namespace {

// The USMT UUID of the PSP title atom.
const unsigned char kUsmtUuid[16] = {'U', 'S', 'M', 'T', 0x21, 0xD2, 0x4F, 0xCE,
                                     0xBB, 0x88, 0x69, 0x5C, 0xFA, 0xC9, 0xC7, 0x40};
const char kEncoder[] = "avc2.0.11.1110";
const int64_t kCreationTime = 1116229716; // 2005-05-16 07:48:36 UTC
const int64_t kMaxTitleAtom = 1 << 20;    // far above anything the PSP writes

// Where the walk found `moov`, for the shape checks of a write.
struct MoovPlace {
    int64_t start = 0;
    int64_t end = 0;
    bool topLevel = false;
    bool plainSize = false;
    bool walkedToEnd = false; // every child of moov was walked, up to its end
};
MoovPlace moov_place;
bool title_atom_seen = false;

void put_be16(unsigned char* p, unsigned v)
{
    p[0] = static_cast<unsigned char>(v >> 8);
    p[1] = static_cast<unsigned char>(v);
}

void put_be32(unsigned char* p, uint32_t v)
{
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}

std::string be32_bytes(uint32_t v)
{
    unsigned char b[4];
    put_be32(b, v);
    return std::string(reinterpret_cast<char*>(b), 4);
}

int refuse(int outcome)
{
    title_outcome = outcome;
    return -1;
}

bool pread_all(int fd, int64_t pos, unsigned char* buf, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::pread(fd, buf, size, static_cast<off_t>(pos));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        buf += n;
        pos += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool pwrite_all(int fd, int64_t pos, const char* buf, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, buf, size, static_cast<off_t>(pos));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        buf += n;
        pos += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

struct Patch {
    int64_t pos;
    std::string bytes;
};

// Applies the patches and sets the file size, all or nothing: space for growth
// is reserved first, and any failure puts the original bytes and size back.
bool apply_plan(int fd, int64_t oldSize, int64_t newSize, const std::vector<Patch>& patches)
{
    std::vector<Patch> originals;
    for (const Patch& p : patches) {
        if (p.pos >= oldSize)
            continue;
        const int64_t len = std::min<int64_t>(static_cast<int64_t>(p.bytes.size()), oldSize - p.pos);
        std::string saved(static_cast<size_t>(len), '\0');
        if (!pread_all(fd, p.pos, reinterpret_cast<unsigned char*>(saved.data()), saved.size())) {
            title_errno = errno ? errno : EIO;
            return false;
        }
        originals.push_back({p.pos, std::move(saved)});
    }
    if (newSize > oldSize) {
        const int r = ::posix_fallocate(fd, static_cast<off_t>(oldSize), static_cast<off_t>(newSize - oldSize));
        if (r != 0) {
            title_errno = r;
            (void)::ftruncate(fd, static_cast<off_t>(oldSize));
            return false;
        }
    }
    bool ok = true;
    for (const Patch& p : patches) {
        if (!pwrite_all(fd, p.pos, p.bytes.data(), p.bytes.size())) {
            ok = false;
            break;
        }
    }
    if (ok && newSize < oldSize && ::ftruncate(fd, static_cast<off_t>(newSize)) != 0)
        ok = false;
    if (ok)
        return true;
    title_errno = errno ? errno : EIO;
    for (const Patch& p : originals)
        (void)pwrite_all(fd, p.pos, p.bytes.data(), p.bytes.size());
    (void)::ftruncate(fd, static_cast<off_t>(oldSize));
    return false;
}

int stream_fd(ByteStream* pb)
{
    ProtocolHandle* h = stream_handle(pb);
    if (!h || h->protocol != &file_protocol)
        return -1;
    return h->priv_data;
}

int64_t file_size(int fd)
{
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return -1;
    return static_cast<int64_t>(st.st_size);
}

std::string utf16be_bytes(const std::u16string& units)
{
    std::string out;
    for (char16_t u : units) {
        out += static_cast<char>(u >> 8);
        out += static_cast<char>(u & 0xFF);
    }
    out += '\0';
    out += '\0';
    return out;
}

// The shape the in-place writes rely on: a top-level `moov` with a 32-bit
// size that ends the file.
bool moov_ends_file(int64_t size)
{
    if (!moov_place.topLevel || moov_place.end != size)
        return refuse(TITLE_MOOV_NOT_LAST), false;
    if (!moov_place.plainSize)
        return refuse(TITLE_LARGE_SIZE), false;
    return true;
}

// The open file and its size, when the file has the shape an in-place write needs.
bool file_for_write(ByteStream* pb, int& fd, int64_t& size)
{
    fd = stream_fd(pb);
    size = fd >= 0 ? file_size(fd) : -1;
    if (size < 0)
        return refuse(TITLE_CANNOT_OPEN), false;
    return moov_ends_file(size);
}

// Rewrites or removes the title atom at [atomStart, atomStart + S).
// `entryPos` is the title entry's offset in the atom, `oldBytes` its text bytes.
void rewrite_title_atom(MovContext* c, ByteStream* pb, int64_t atomStart, int64_t S, int64_t entryPos, int64_t oldBytes,
                        uint32_t mtdtSize)
{
    int fd = -1;
    int64_t size = 0;
    if (!file_for_write(pb, fd, size))
        return;
    const int level = c->depth;
    if (level != 2 || c->container_type[level] != mktag('m', 'o', 'o', 'v') || atomStart + S != moov_place.end) {
        refuse(TITLE_ATOM_NOT_LAST);
        return;
    }
    if (!c->atom_plain_size) {
        refuse(TITLE_LARGE_SIZE);
        return;
    }
    const int64_t M = moov_place.end - moov_place.start;
    std::vector<Patch> patches;

    if (edit_name[0] == '\0') {
        patches.push_back({moov_place.start, be32_bytes(static_cast<uint32_t>(M - S))});
        nTruncSize = static_cast<int32_t>(S);
        if (!apply_plan(fd, size, size - S, patches))
            refuse(TITLE_WRITE_FAILED);
        return;
    }
    if (entryPos < 0) {
        refuse(TITLE_NO_TITLE_ENTRY);
        return;
    }
    if (mtdtSize != S - 24 || S > kMaxTitleAtom) {
        refuse(TITLE_BAD_ATOM);
        return;
    }

    std::string atom(static_cast<size_t>(S), '\0');
    if (!pread_all(fd, atomStart, reinterpret_cast<unsigned char*>(atom.data()), atom.size())) {
        refuse(TITLE_BAD_ATOM);
        return;
    }
    const std::string text = utf16be_bytes(mp4title::utf8ToUtf16(edit_name));
    const int64_t T = entryPos + 10;
    const int64_t delta = static_cast<int64_t>(text.size()) - oldBytes;
    if (M + delta > 0xFFFFFFFFll || static_cast<int64_t>(text.size()) + 10 > 0xFFFF) {
        refuse(TITLE_LARGE_SIZE);
        return;
    }
    nTitleSize = static_cast<int32_t>(oldBytes / 2);
    std::string rebuilt = atom.substr(0, static_cast<size_t>(T));
    rebuilt += text;
    rebuilt += atom.substr(static_cast<size_t>(T + oldBytes));
    auto* head = reinterpret_cast<unsigned char*>(rebuilt.data());
    put_be32(head, static_cast<uint32_t>(S + delta));
    put_be32(head + 24, static_cast<uint32_t>(S + delta - 24));
    put_be16(head + entryPos, static_cast<unsigned>(text.size() + 10));

    patches.push_back({atomStart, rebuilt});
    if (delta != 0)
        patches.push_back({moov_place.start, be32_bytes(static_cast<uint32_t>(M + delta))});
    if (delta < 0)
        nTruncSize = static_cast<int32_t>(-delta);
    if (!apply_plan(fd, size, size + delta, patches))
        refuse(TITLE_WRITE_FAILED);
}

// Builds the complete title atom for `s->title` in `pb` (a stream over memory)
// and returns its size.
int mov_write_usmt_atom(ByteStream* pb, FormatContext* s)
{
    const int64_t start = stream_tell(pb);
    write_be32(pb, 0);
    write_tag(pb, "uuid");
    write_bytes(pb, kUsmtUuid, 16);
    write_be32(pb, 0);
    write_tag(pb, "MTDT");
    write_be16(pb, 4);

    write_be16(pb, 12);
    write_be32(pb, 11);
    write_be16(pb, 0x55C4);
    write_be16(pb, 0);
    write_be16(pb, 0x021C);

    auto write_text_entry = [pb](uint32_t type, unsigned language, const std::string& text) {
        std::u16string units = mp4title::utf8ToUtf16(text);
        if (units.size() > 255)
            units.resize(255);
        write_be16(pb, static_cast<unsigned>(10 + 2 * (units.size() + 1)));
        write_be32(pb, type);
        write_be16(pb, language);
        write_be16(pb, 1);
        for (char16_t u : units)
            write_be16(pb, u);
        write_be16(pb, 0);
    };
    write_text_entry(4, 0x15C7, kEncoder);
    write_text_entry(1, 0x2A0E, s->title);

    const time_t when = static_cast<time_t>(s->timestamp);
    struct tm t;
    localtime_r(&when, &t);
    char date[80];
    std::snprintf(date, sizeof(date), "%04d/%02d/%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                  t.tm_hour, t.tm_min, t.tm_sec);
    write_text_entry(3, 0x55C4, date);

    const int64_t end = stream_tell(pb);
    const auto size = static_cast<unsigned>(end - start);
    stream_seek(pb, start, SEEK_SET);
    write_be32(pb, size);
    stream_seek(pb, start + 24, SEEK_SET);
    write_be32(pb, size - 24);
    stream_seek(pb, end, SEEK_SET);
    return static_cast<int>(size);
}

} // namespace

extern "C" {

int mov_read_moov_atom(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    moov_size = atom.size;
    moov_found = 1;
    moov_place.start = atom.offset - (c->atom_plain_size ? 8 : 16);
    moov_place.end = atom_end(atom);
    moov_place.topLevel = c->depth == 1;
    moov_place.plainSize = c->atom_plain_size != 0;
    const int openEnded = c->open_ended_count;
    const int err = mov_read_container(c, pb, atom);
    // A child that runs to the end of moov would swallow an appended atom.
    moov_place.walkedToEnd = err == 0 && c->walk_complete && c->open_ended_count == openEnded;
    return -1;
}

int title_read_uuid(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    if (atom.size < 0)
        return 0;
    if (moov_found != 1 || atom.size <= 92) {
        if (atom.size > 1)
            stream_skip(pb, atom.size);
        return 0;
    }
    // Only the PSP's own atom is the title atom: USMT UUID and an MTDT atom.
    unsigned char head[26];
    if (read_bytes(pb, head, 26) != 26 || std::memcmp(head, kUsmtUuid, 16) != 0 || std::memcmp(head + 20, "MTDT", 4) != 0)
        return 0; // an ordinary leaf; the walk skips the rest
    title_atom_seen = true;
    const bool plain = c->atom_plain_size != 0;
    const int64_t atomStart = atom.offset - (plain ? 8 : 16);
    const int64_t S = plain ? atom.size + 8 : 0; // the whole atom; 64-bit sizes are never rewritten
    const uint32_t mtdtSize = (uint32_t(head[16]) << 24) | (uint32_t(head[17]) << 16) | (uint32_t(head[18]) << 8) | head[19];

    // Walk the MTDT entries by their sizes, within MTDT and the atom.
    const int64_t limit = std::min<int64_t>(atom.size, 16 + static_cast<int64_t>(mtdtSize));
    int64_t pos = 26; // payload offset of the first entry, after the entry count
    int64_t entryPos = -1;
    int64_t entrySize = 0;
    while (pos + 10 <= limit) {
        unsigned char e[10];
        if (read_bytes(pb, e, 10) != 10)
            break;
        const int64_t size = (int64_t(e[0]) << 8) | e[1];
        const uint32_t type = (uint32_t(e[2]) << 24) | (uint32_t(e[3]) << 16) | (uint32_t(e[4]) << 8) | e[5];
        if (size < 10 || pos + size > limit)
            break;
        if (type == 1) {
            entryPos = pos + 8; // offset in the atom with an 8-byte head
            entrySize = size;
            break;
        }
        stream_skip(pb, size - 10);
        pos += size;
    }

    int64_t textBytes = 0;
    if (entryPos >= 0) {
        textBytes = entrySize - 10;
        nTitleSize = static_cast<int32_t>(textBytes);
        std::string raw(static_cast<size_t>(textBytes), '\0');
        if (read_bytes(pb, reinterpret_cast<unsigned char*>(raw.data()), static_cast<int>(textBytes)) != textBytes) {
            if (edit_mode != 1)
                return -1; // cut off by the end of the file: no title
            refuse(TITLE_BAD_ATOM);
            return -1;
        }
        if (textBytes > 0) {
            const std::string text =
                mp4title::utf16beToUtf8(reinterpret_cast<const unsigned char*>(raw.data()), raw.size());
            title_name = static_cast<char*>(mem_alloc(static_cast<int64_t>(text.size()) + 1));
            if (title_name)
                std::memcpy(title_name, text.c_str(), text.size() + 1);
        }
    }
    if (edit_mode != 1)
        return -1;
    if (!plain) {
        refuse(TITLE_LARGE_SIZE);
        return -1;
    }
    rewrite_title_atom(c, pb, atomStart, S, entryPos, textBytes, mtdtSize);
    return -1;
}

void title_after_walk(MovContext*, ByteStream* pb)
{
    if (title_name || edit_name[0] == '\0' || title_atom_seen)
        return;
    if (moov_found != 1)
        return;
    int fd = -1;
    int64_t size = 0;
    if (!file_for_write(pb, fd, size))
        return;
    // A title atom appended behind children the walk could not get through
    // would never be read back.
    if (!moov_place.walkedToEnd) {
        refuse(TITLE_BAD_MOOV);
        return;
    }

    // Built in memory, then handed to the file in one go.
    unsigned char buffer[1024];
    ByteStream out;
    init_byte_stream(&out, buffer, sizeof(buffer), 1, nullptr, nullptr, nullptr, nullptr);
    FormatContext ctx;
    std::memset(&ctx, 0, sizeof(ctx));
    std::snprintf(ctx.title, sizeof(ctx.title), "%s", edit_name);
    ctx.timestamp = kCreationTime;
    const int A = mov_write_usmt_atom(&out, &ctx);

    const int64_t M = moov_place.end - moov_place.start;
    if (M + A > 0xFFFFFFFFll) {
        refuse(TITLE_LARGE_SIZE);
        return;
    }
    std::vector<Patch> patches;
    patches.push_back({size, std::string(reinterpret_cast<char*>(buffer), static_cast<size_t>(A))});
    patches.push_back({moov_place.start, be32_bytes(static_cast<uint32_t>(M + A))});
    if (!apply_plan(fd, size, size + A, patches))
        refuse(TITLE_WRITE_FAILED);
}

static int outcome_of_open(int err)
{
    switch (err) {
    case FMT_ERR_IO: return TITLE_CANNOT_OPEN;
    case FMT_ERR_NOFMT: return TITLE_NOT_MP4;
    default: return TITLE_NO_MEMORY;
    }
}

static void reset_call_state()
{
    nTitleSize = 0;
    moov_found = 0;
    title_name = nullptr;
    title_outcome = TITLE_OK;
    title_errno = 0;
    title_atom_seen = false;
    moov_place = MoovPlace();
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
    // The cut happened on the open file, together with the writes, so that a
    // failed cut can be undone.
    mem_free(title_name);
    if (moov_found != 1) {
        title_outcome = TITLE_NO_MOOV;
        return 0;
    }
    return title_outcome == TITLE_OK;
}

} // extern "C"
