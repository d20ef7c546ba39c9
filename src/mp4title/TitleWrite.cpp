// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "mp4title/TitleWrite.h"

#include "mp4title/ByteStream.h"
#include "mp4title/MovReader.h"
#include "mp4title/TitleCalls.h"
#include "mp4title/Utf.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// How a title change is ordered (see docs/ARCHITECTURE.md, "Title engine"):
// new bytes go only where no reader looks yet (beyond the end of the file, or
// into the payload of a `free` atom) and are synced; then one small write (a
// header or a 4-byte type) makes them the title readers take, and is synced.
// Atoms that are no longer needed become `free` by a 4-byte type change and
// are cut off the end of the file when they end it. Every prefix of that
// series, with or without the unsynced writes, is a good file.

namespace {

int real_write_at(int fd, const void* buf, size_t size, int64_t pos)
{
    const char* p = static_cast<const char*>(buf);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, p, size, static_cast<off_t>(pos));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n == 0 ? -EIO : -errno;
        p += n;
        pos += n;
        size -= static_cast<size_t>(n);
    }
    return 0;
}

int real_sync(int fd)
{
    return ::fdatasync(fd) == 0 ? 0 : -errno;
}

int real_truncate(int fd, int64_t size)
{
    return ::ftruncate(fd, static_cast<off_t>(size)) == 0 ? 0 : -errno;
}

} // namespace

extern "C" {
const TitleFileOps title_default_file_ops = {real_write_at, real_sync, real_truncate};
TitleFileOps title_file_ops = title_default_file_ops;
}

namespace mp4title {

const unsigned char kUsmtUuid[16] = {'U', 'S', 'M', 'T', 0x21, 0xD2, 0x4F, 0xCE,
                                     0xBB, 0x88, 0x69, 0x5C, 0xFA, 0xC9, 0xC7, 0x40};

const char kEncoder[] = "avc2.0.11.1110";

namespace {

const int64_t kMax32 = 0xFFFFFFFFll;
const int64_t kMaxMoovInMemory = int64_t(1) << 30;
const int kMaxTopLevelAtoms = 1 << 20;
const int64_t kMaxZeroTail = 1 << 20; // a longer run of zeros is not taken for a leftover

uint32_t get_be32(const unsigned char* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

unsigned get_be16(const unsigned char* p)
{
    return (unsigned(p[0]) << 8) | p[1];
}

std::string be32_bytes(uint32_t v)
{
    const char b[4] = {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                       static_cast<char>(v)};
    return std::string(b, 4);
}

std::string be16_bytes(unsigned v)
{
    const char b[2] = {static_cast<char>(v >> 8), static_cast<char>(v)};
    return std::string(b, 2);
}

bool pread_all(int fd, int64_t pos, void* buf, size_t size)
{
    auto* p = static_cast<char*>(buf);
    while (size > 0) {
        const ssize_t n = ::pread(fd, p, size, static_cast<off_t>(pos));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        pos += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

int64_t file_size(int fd)
{
    struct stat st;
    return ::fstat(fd, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

struct Atom {
    int64_t start = 0;
    int64_t size = 0;   // the whole atom, head included
    int head = 8;       // 16 with a 64-bit size
    char type[4] = {};
    bool toEnd = false; // size field 0: runs to the end of its parent
    bool cut = false;   // runs past the end of its parent
    int64_t end() const { return start + size; }
    bool is(const char* t) const { return std::memcmp(type, t, 4) == 0; }
};

// Reads one atom head from `bytes` (`avail` of them, the parent ending there).
// False when no atom starts here.
bool parse_head(const unsigned char* bytes, int64_t avail, int64_t start, Atom& a)
{
    if (avail < 8)
        return false;
    a = Atom();
    a.start = start;
    std::memcpy(a.type, bytes + 4, 4);
    const uint32_t size = get_be32(bytes);
    if (size == 1) {
        if (avail < 16)
            return false;
        const uint64_t large = (uint64_t(get_be32(bytes + 8)) << 32) | get_be32(bytes + 12);
        a.size = large > uint64_t(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(large);
        a.head = 16;
    } else if (size == 0) {
        a.size = avail;
        a.toEnd = true;
    } else {
        a.size = size;
    }
    if (a.size < a.head)
        return false;
    a.cut = a.size > avail;
    return true;
}

enum Fill { FILLS, ENDS_SHORT, BAD_SIZE, RUNS_PAST };

// The children of the atom list in bytes[begin, end), offsets made absolute by
// `base`; `fill` tells whether they fill the range exactly, or why not.
std::vector<Atom> children_of(const std::string& bytes, int64_t base, int64_t begin, int64_t end, Fill* fill)
{
    std::vector<Atom> out;
    int64_t pos = begin;
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    Fill how = FILLS;
    while (pos < end) {
        Atom a;
        if (!parse_head(b + pos, end - pos, base + pos, a)) {
            how = end - pos >= 16 || (end - pos >= 8 && get_be32(b + pos) != 1) ? BAD_SIZE : ENDS_SHORT;
            break;
        }
        out.push_back(a); // a last one that runs past the end is listed too
        if (a.cut) {
            how = RUNS_PAST;
            break;
        }
        pos += a.size;
    }
    if (fill)
        *fill = how;
    return out;
}

bool is_container(const Atom& a)
{
    static const char* const kTypes[] = {"moov", "trak", "udta", "cprt", "crhd", "dinf", "edts", "mdia", "minf",
                                         "mp4a", "mp4s", "mp4v", "odhd", "sdhd", "stbl", "stdp", "stsh", "tref",
                                         "wave", "clip", "matt", "rmda", "rmra"};
    for (const char* t : kTypes)
        if (a.is(t))
            return true;
    return false;
}

// A PSP title atom: a `uuid` with the USMT UUID holding an MTDT atom. What
// makes it a title atom some reader takes: a payload over 92 bytes (this
// program's reader) or a title entry (any reader).
struct TitleAtom {
    Atom atom;
    bool big = false;
    bool hasTitle = false;
};

bool usmt_payload(const unsigned char* p, int64_t payload)
{
    return payload >= 24 && std::memcmp(p, kUsmtUuid, 16) == 0 && std::memcmp(p + 20, "MTDT", 4) == 0;
}

bool has_title_entry(const unsigned char* p, int64_t payload)
{
    const int64_t limit = std::min<int64_t>(payload, 16 + int64_t(get_be32(p + 16)));
    for (int64_t pos = 26; pos + 10 <= limit;) {
        const int64_t size = get_be16(p + pos);
        if (size < 10 || pos + size > limit)
            return false;
        if (get_be32(p + pos + 2) == 1)
            return true;
        pos += size;
    }
    return false;
}

void find_title_atoms(const std::string& moov, int64_t base, int64_t begin, int64_t end, int depth,
                      std::vector<TitleAtom>& out)
{
    const auto* b = reinterpret_cast<const unsigned char*>(moov.data());
    for (const Atom& a : children_of(moov, base, begin, end, nullptr)) {
        const int64_t at = a.start - base;
        const int64_t payload = a.size - a.head;
        const int64_t present = std::min(payload, end - at - a.head); // less when it runs past its parent
        if (a.is("uuid") && usmt_payload(b + at + a.head, present)) {
            TitleAtom t{a, payload > 92, has_title_entry(b + at + a.head, present)};
            if (t.big || t.hasTitle)
                out.push_back(t);
        } else if (is_container(a) && !a.cut && depth < MOV_MAX_DEPTH) {
            find_title_atoms(moov, base, at + a.head, at + a.size, depth + 1, out);
        }
    }
}

std::string utf16be_text(const std::string& utf8)
{
    std::string out;
    for (char16_t u : utf8ToUtf16(utf8))
        out += be16_bytes(u);
    return out + std::string(2, '\0');
}

std::string text_entry(uint32_t type, unsigned language, const std::string& data)
{
    return be16_bytes(static_cast<unsigned>(data.size() + 10)) + be32_bytes(type) + be16_bytes(language)
        + be16_bytes(1) + data;
}

// The new title atom: the old one's entries with the title entry replaced (or
// added before the date), everything else kept; a fresh one when there is no
// old one or its MTDT entries do not add up.
std::string rebuilt_title_atom(const std::string* old, const std::string& title)
{
    const std::string text = utf16be_text(title);
    std::string atom;
    if (old) {
        Atom a;
        const auto* b = reinterpret_cast<const unsigned char*>(old->data());
        const int64_t n = static_cast<int64_t>(old->size());
        const unsigned char* p = b + 8;
        bool ok = parse_head(b, n, 0, a) && !a.cut && a.size == n && usmt_payload(b + a.head, n - a.head);
        if (ok) {
            p = b + a.head;
            const int64_t payload = n - a.head;
            const int64_t mtdt = get_be32(p + 16);
            ok = mtdt >= 10 && 16 + mtdt <= payload;
            std::vector<std::string> entries;
            int64_t pos = 26;
            while (ok && pos + 10 <= 16 + mtdt) {
                const int64_t size = get_be16(p + pos);
                if (size < 10 || pos + size > 16 + mtdt)
                    break;
                entries.emplace_back(reinterpret_cast<const char*>(p + pos), static_cast<size_t>(size));
                pos += size;
            }
            if (ok) {
                // Bytes of MTDT that form no whole entry are dropped.
                const std::string after(reinterpret_cast<const char*>(p + 16 + mtdt), static_cast<size_t>(payload - 16 - mtdt));
                unsigned count = get_be16(p + 24);
                bool replaced = false;
                for (std::string& e : entries) {
                    if (get_be32(reinterpret_cast<const unsigned char*>(e.data()) + 2) == 1) {
                        e = e.substr(0, 2) + e.substr(2, 8) + text;
                        e.replace(0, 2, be16_bytes(static_cast<unsigned>(e.size())));
                        replaced = true;
                        break;
                    }
                }
                if (!replaced) {
                    auto at = std::find_if(entries.begin(), entries.end(), [](const std::string& e) {
                        return get_be32(reinterpret_cast<const unsigned char*>(e.data()) + 2) == 3;
                    });
                    entries.insert(at, text_entry(1, 0x2A0E, text));
                    count = std::min(count + 1, 0xFFFFu);
                }
                std::string body = be16_bytes(count);
                for (const std::string& e : entries)
                    body += e;
                const std::string mtdtAtom = be32_bytes(static_cast<uint32_t>(body.size() + 8)) + "MTDT" + body;
                atom = std::string(reinterpret_cast<const char*>(kUsmtUuid), 16) + mtdtAtom + after;
                atom = be32_bytes(static_cast<uint32_t>(atom.size() + 8)) + "uuid" + atom;
            }
        }
    }
    if (atom.empty())
        atom = fresh_title_atom(title, 1116229716); // 2005-05-16 07:48:36 UTC
    // This program's reader takes only a title atom with more than 92 payload bytes.
    if (atom.size() < 8 + 93) {
        atom.append(8 + 93 - atom.size(), '\0');
        atom.replace(0, 4, be32_bytes(static_cast<uint32_t>(atom.size())));
    }
    return atom;
}

// --- the plan and its execution ---

struct Step {
    enum Kind { Write, Sync, Truncate } kind;
    int64_t pos;        // or the new size
    std::string bytes;
};

struct Plan {
    std::vector<Step> steps;
    int commitWrite = -1;
    int commitSync = -1;
    bool pendingWrites = false;

    void write(int64_t pos, const std::string& bytes)
    {
        steps.push_back({Step::Write, pos, bytes});
        pendingWrites = true;
    }
    void truncate(int64_t size)
    {
        steps.push_back({Step::Truncate, size, std::string()});
        pendingWrites = true;
    }
    void sync()
    {
        if (pendingWrites)
            steps.push_back({Step::Sync, 0, std::string()});
        pendingWrites = false;
    }
    // The write just added is the commit point; its sync follows at once.
    void commit()
    {
        commitWrite = static_cast<int>(steps.size()) - 1;
        sync();
        commitSync = static_cast<int>(steps.size()) - 1;
    }
};

struct Undo {
    int group;
    int64_t pos;
    std::string before;
};

struct Layout {
    int64_t fileSize = 0;
    std::vector<Atom> top;
    bool tailIsGarbage = false;  // the top level ends in bytes that form no atom and are no leftover
    int moov = -1;
    int lastReal = -1;           // the last top-level atom that is no leftover
    int64_t leftoverStart = 0;
};

// What an interrupted write of this program can leave behind moov: a free
// atom, a title atom, a second moov (whole or cut off), or zeros.
bool is_leftover(int fd, int64_t fileSize, const Atom& a)
{
    if (a.is("free") || a.is("skip") || a.is("moov"))
        return true;
    if (a.is("uuid")) {
        unsigned char id[16] = {};
        const int64_t have = std::min<int64_t>(16, std::min(a.size, fileSize - a.start) - a.head);
        return have >= 0 && pread_all(fd, a.start + a.head, id, static_cast<size_t>(have))
            && std::memcmp(id, kUsmtUuid, static_cast<size_t>(have)) == 0;
    }
    if (std::memcmp(a.type, "\0\0\0\0", 4) == 0 && a.toEnd && a.size <= kMaxZeroTail) {
        std::string rest(static_cast<size_t>(a.size), '\1');
        return pread_all(fd, a.start, rest.data(), rest.size()) && rest.find_first_not_of('\0') == std::string::npos;
    }
    return false;
}

int scan_top_level(int fd, Layout& l)
{
    int64_t pos = 0;
    bool garbage = false;
    while (pos < l.fileSize) {
        if (l.top.size() >= static_cast<size_t>(kMaxTopLevelAtoms))
            return TITLE_FRAGMENTED;
        unsigned char head[16] = {};
        const int64_t avail = l.fileSize - pos;
        if (!pread_all(fd, pos, head, static_cast<size_t>(std::min<int64_t>(16, avail))))
            return TITLE_CANNOT_OPEN;
        Atom a;
        if (!parse_head(head, avail, pos, a)) {
            garbage = avail >= 8; // a whole head with a size below 8; a shorter rest is a cut-off head
            break;
        }
        l.top.push_back(a);
        if (a.cut || a.toEnd)
            break;
        pos += a.size;
    }
    for (size_t i = 0; i < l.top.size(); ++i) {
        if (l.top[i].is("moof"))
            return TITLE_FRAGMENTED;
        if (l.moov < 0 && l.top[i].is("moov"))
            l.moov = static_cast<int>(i);
    }
    if (l.moov < 0)
        return garbage ? TITLE_BAD_SIZE_FIELD : TITLE_MOOV_NESTED;
    // Leftovers of an interrupted write: what follows the last real atom after
    // moov. Bytes that form no atom could be anything: then nothing is cut;
    // nor behind an empty moov, which the reader does not see at the very end.
    l.lastReal = static_cast<int>(l.top.size()) - 1;
    l.tailIsGarbage = garbage;
    const bool mayCut = !garbage && l.top[static_cast<size_t>(l.moov)].size > 8;
    while (mayCut && l.lastReal > l.moov && is_leftover(fd, l.fileSize, l.top[static_cast<size_t>(l.lastReal)]))
        --l.lastReal;
    const Atom& last = l.top[static_cast<size_t>(l.lastReal)];
    l.leftoverStart = !mayCut || last.cut ? l.fileSize : last.end();
    return TITLE_OK;
}

// Whether the walk steps over this top-level atom: no handler, or one that
// neither descends nor can end the walk.
bool walk_steps_over(const Atom& a)
{
    if (a.is("mdat") || a.is("wide"))
        return true;
    const uint32_t type = mktag(a.type[0], a.type[1], a.type[2], a.type[3]);
    for (const AtomHandlerEntry* e = mov_default_parse_table; e->type; ++e)
        if (e->type == type)
            return e->handler == mov_read_leaf;
    return true;
}

class Writer
{
public:
    Writer(int fd, const WalkFindings& walk, const std::string& title, ReadBack readBack, void* context)
        : m_fd(fd), m_walk(walk), m_title(title), m_readBack(readBack), m_context(context)
    {
    }

    WriteOutcome run()
    {
        try {
            m_out.outcome = checkedPlan();
        } catch (const std::bad_alloc&) {
            m_out.outcome = TITLE_NO_MEMORY;
        }
        if (m_out.outcome == TITLE_OK && !m_plan.steps.empty())
            execute();
        if (m_out.outcome == TITLE_OK)
            verify();
        const int64_t size = file_size(m_fd);
        if (size >= 0 && size < m_layout.fileSize)
            m_out.cut = m_layout.fileSize - size;
        return m_out;
    }

private:
    int checkedPlan();
    int plan();
    bool readsRight(int64_t* wrongAtom);
    bool freeable(int64_t start);
    void execute();
    void undo(int failedGroup);
    void verify();
    bool unchanged();
    void free_atom(const Atom& a) { m_plan.write(a.start + 4, "free"); }

    int m_fd;
    const WalkFindings& m_walk;
    const std::string& m_title;
    ReadBack m_readBack;
    void* m_context;
    Layout m_layout;
    Plan m_plan;
    std::vector<Undo> m_undo;
    std::vector<int64_t> m_extraFrees; // title atoms that only the walk finds, freed with the other old ones
    int64_t m_baseSize = -1;    // the size before the first write
    WriteOutcome m_out;
};

// The plan is made from the layout, then checked against what the reader
// itself finds in the file it would leave: a title atom that damaged atoms
// lead the walk to (and the layout does not show) is freed with the other old
// ones, and a change that still would not read as planned is refused before
// the first byte is written.
int Writer::checkedPlan()
{
    const size_t kMaxExtra = 16;
    for (;;) {
        m_layout = Layout();
        m_plan = Plan();
        if (const int r = plan(); r != TITLE_OK)
            return r;
        int64_t wrong = -1;
        if (readsRight(&wrong))
            return TITLE_OK;
        if (m_out.err)
            return TITLE_CANNOT_OPEN;
        if (m_extraFrees.size() >= kMaxExtra || !freeable(wrong))
            return TITLE_HIDDEN;
        m_extraFrees.push_back(wrong);
    }
}

// Whether a reader finds a moov at every synced point of the plan, with the
// old or the new title before the commit is synced and the new one after it.
// Else `wrongAtom` is where the title atom it took starts (-1 for none).
bool Writer::readsRight(int64_t* wrongAtom)
{
    FileView view;
    view.fd = m_fd;
    view.baseSize = view.size = m_layout.fileSize;
    const size_t count = m_plan.steps.size();
    for (size_t i = 0; i <= count; ++i) {
        if (i < count) {
            const Step& s = m_plan.steps[i];
            if (s.kind == Step::Write) {
                view.ops.push_back({false, s.pos, s.bytes});
                view.size = std::max(view.size, s.pos + static_cast<int64_t>(s.bytes.size()));
            } else if (s.kind == Step::Truncate) {
                view.ops.push_back({true, s.pos, std::string()});
                view.size = s.pos;
            }
            if (s.kind != Step::Sync)
                continue;
        }
        std::string title;
        int64_t taken = -1;
        const int found = m_readBack(m_context, &view, &title, &taken);
        if (found < 0) {
            m_out.err = EIO;
            return false;
        }
        const bool committed = i == count || (m_plan.commitSync >= 0 && static_cast<int>(i) >= m_plan.commitSync);
        if (found == 1 && (title == m_title || (!committed && title == m_walk.oldTitle)))
            continue;
        *wrongAtom = found == 1 ? taken : -1;
        return false;
    }
    return true;
}

// Whether an atom the walk takes may be turned free: a `uuid` in or after
// moov that the change keeps, never in the media data.
bool Writer::freeable(int64_t start)
{
    const Layout& l = m_layout;
    const Atom& moov = l.top[static_cast<size_t>(l.moov)];
    if (start < moov.start + 8 || start + 8 > l.leftoverStart)
        return false;
    if (std::find(m_extraFrees.begin(), m_extraFrees.end(), start) != m_extraFrees.end())
        return false;
    for (const Atom& a : l.top)
        if ((a.is("mdat") || a.is("wide")) && start + 8 > a.start && start < a.end())
            return false;
    char type[4];
    return pread_all(m_fd, start + 4, type, 4) && std::memcmp(type, "uuid", 4) == 0;
}

int Writer::plan()
{
    Layout& l = m_layout;
    l.fileSize = file_size(m_fd);
    if (l.fileSize < 0)
        return TITLE_CANNOT_OPEN;
    if (!m_walk.moovTopLevel)
        return TITLE_MOOV_NESTED;
    if (const int r = scan_top_level(m_fd, l); r != TITLE_OK)
        return r;
    const Atom moov = l.top[static_cast<size_t>(l.moov)];
    if (moov.start != m_walk.moovStart)
        return TITLE_MOOV_NESTED;
    if (moov.cut)
        return TITLE_CUT_SHORT;
    if (moov.head != 8)
        return TITLE_LARGE_SIZE;
    if (moov.size > kMaxMoovInMemory)
        return TITLE_NO_MEMORY;
    std::string bytes(static_cast<size_t>(moov.size), '\0');
    if (!pread_all(m_fd, moov.start, bytes.data(), bytes.size()))
        return TITLE_CANNOT_OPEN;
    // Atoms freed before the commit are planned around as free.
    for (const int64_t e : m_extraFrees)
        if (e + 8 <= moov.end())
            std::memcpy(&bytes[static_cast<size_t>(e - moov.start + 4)], "free", 4);
    Fill fill = FILLS;
    std::vector<Atom> kids = children_of(bytes, moov.start, moov.head, moov.size, &fill);
    for (const Atom& k : kids)
        if (k.is("mvex"))
            return TITLE_FRAGMENTED;
    std::vector<TitleAtom> olds;
    find_title_atoms(bytes, moov.start, moov.head, moov.size, 1, olds);
    const TitleAtom* taken = nullptr;
    for (const TitleAtom& t : olds)
        if (t.atom.start == m_walk.takenStart)
            taken = &t;
    if (!taken && m_walk.takenStart > moov.start && m_walk.takenStart < moov.end()) {
        // Inside a child that runs past its parent, which the walk enters and
        // the scan does not. Its type alone changes, safe whatever its size.
        const int64_t at = m_walk.takenStart - moov.start;
        TitleAtom t;
        if (parse_head(reinterpret_cast<const unsigned char*>(bytes.data()) + at, moov.size - at, m_walk.takenStart, t.atom)) {
            t.big = true;
            olds.push_back(t);
            taken = &olds.back();
        }
    }

    const bool setting = !m_title.empty();
    const bool moovEndsFile = l.lastReal == l.moov && !l.tailIsGarbage;
    const Atom& lastReal = l.top[static_cast<size_t>(l.lastReal)];
    std::string atom;
    const Atom* slot = nullptr;
    enum { Slot, Append, Relocate } route = Slot;
    if (setting) {
        if (fill != FILLS)
            return m_walk.walkError ? TITLE_NOT_READ_BACK : fill == BAD_SIZE ? TITLE_BAD_SIZE_FIELD : TITLE_BAD_MOOV;
        std::string old;
        if (taken)
            old = bytes.substr(static_cast<size_t>(taken->atom.start - moov.start), static_cast<size_t>(taken->atom.size));
        atom = rebuilt_title_atom(taken ? &old : nullptr, m_title);
        const int64_t need = static_cast<int64_t>(atom.size());
        for (const Atom& k : kids) {
            if (k.is("free") && k.head == 8 && !k.toEnd && (k.size == need || k.size >= need + 8)
                && k.start < m_walk.reach) {
                slot = &k;
                break;
            }
        }
        if (!slot) {
            route = moovEndsFile ? Append : Relocate;
            // A new last child of moov must be reached by the walk.
            bool reached = m_walk.reach >= moov.end();
            if (!reached && m_walk.walkError == 0 && m_walk.reach == moov.end() - 8 && !kids.empty()) {
                const Atom& k = kids.back();
                reached = k.start == m_walk.reach && !k.is("trak");
            }
            if (!reached)
                return TITLE_NOT_READ_BACK;
            if (moov.size + need > kMax32)
                return TITLE_TOO_BIG;
            if (route == Relocate && (l.tailIsGarbage || lastReal.cut))
                return l.tailIsGarbage ? TITLE_BAD_SIZE_FIELD : TITLE_CUT_SHORT;
            // A cut-off head that stays would end the walk before a moov written after it.
            if (route == Relocate && !l.top.back().toEnd && l.leftoverStart > l.top.back().end())
                return TITLE_CUT_SHORT;
            if (route == Relocate && lastReal.toEnd && (lastReal.head != 8 || lastReal.size > kMax32))
                return TITLE_LARGE_SIZE;
            // Once the old moov is free, the walk must get past what follows it.
            for (int i = l.moov + 1; route == Relocate && i <= l.lastReal; ++i)
                if (!l.top[static_cast<size_t>(i)].is("moov") && !walk_steps_over(l.top[static_cast<size_t>(i)]))
                    return TITLE_STRAY_ATOMS;
        }
    }

    // Leftovers of an interrupted write are cut, and size fields 0 that would
    // take in what is appended get their explicit value (the same meaning).
    if (l.leftoverStart < l.fileSize)
        m_plan.truncate(l.leftoverStart);
    if (setting && route == Append) {
        if (moov.toEnd)
            m_plan.write(moov.start, be32_bytes(static_cast<uint32_t>(moov.size)));
        if (!kids.empty() && kids.back().toEnd)
            m_plan.write(kids.back().start, be32_bytes(static_cast<uint32_t>(kids.back().size)));
    }
    if (setting && route == Relocate && lastReal.toEnd)
        m_plan.write(lastReal.start, be32_bytes(static_cast<uint32_t>(lastReal.size)));
    m_plan.sync();

    // Title atoms other than the one the walk takes go first: the walk still
    // reads the old title.
    for (const TitleAtom& t : olds)
        if (&t != taken)
            free_atom(t.atom);
    for (const int64_t e : m_extraFrees)
        m_plan.write(e + 4, "free");

    auto setKind = [&kids](int64_t start, const char* type) {
        for (Atom& k : kids)
            if (k.start == start)
                std::memcpy(k.type, type, 4);
    };
    for (const TitleAtom& t : olds)
        setKind(t.atom.start, "free");

    const int64_t need = static_cast<int64_t>(atom.size());
    if (!setting) {
        if (taken) {
            m_plan.sync();
            free_atom(taken->atom);
            m_plan.commit();
        } else if (!m_extraFrees.empty()) {
            m_plan.commit();
        } else {
            m_plan.sync();
        }
    } else if (route == Slot) {
        const Atom s = *slot;
        m_plan.write(s.start + 8, atom.substr(8));
        if (s.size > need)
            m_plan.write(s.start + need, be32_bytes(static_cast<uint32_t>(s.size - need)) + "free");
        m_plan.sync();
        // An 8-byte head: torn, it leaves either a free atom or a uuid atom
        // that holds the new title, both of the slot's size.
        m_plan.write(s.start, atom.substr(0, 8));
        if (taken && taken->atom.start < s.start) {
            m_plan.sync();
            free_atom(taken->atom);
            m_plan.commit();
        } else {
            m_plan.commit();
            if (taken)
                free_atom(taken->atom);
        }
        // The slot is now the new atom and what is left of the free space.
        for (size_t i = 0; i < kids.size(); ++i) {
            if (kids[i].start != s.start)
                continue;
            kids[i].size = need;
            std::memcpy(kids[i].type, "uuid", 4);
            if (s.size > need) {
                Atom rest = s;
                rest.start = s.start + need;
                rest.size = s.size - need;
                kids.insert(kids.begin() + static_cast<long>(i) + 1, rest);
            }
            break;
        }
    } else if (route == Append) {
        // Appended as a free atom: torn or cut, it is a free atom behind moov
        // that every reader skips. Growing moov over it and giving it its type
        // are two 4-byte writes; either alone leaves the old title.
        m_plan.write(moov.end(), atom.substr(0, 4) + "free" + atom.substr(8));
        m_plan.sync();
        m_plan.write(moov.start, be32_bytes(static_cast<uint32_t>(moov.size + need)));
        m_plan.write(moov.end() + 4, "uuid");
        if (taken) {
            m_plan.sync();
            free_atom(taken->atom);
        }
        m_plan.commit();
        Atom added;
        added.start = moov.end();
        added.size = need;
        std::memcpy(added.type, "uuid", 4);
        if (!kids.empty())
            kids.back().toEnd = false;
        kids.push_back(added);
    } else {
        // A new moov after the end of the file, without the old title atoms
        // and the free space among its children; the media data stays where
        // it is, so chunk offsets stay valid. Then the old moov becomes free.
        for (const TitleAtom& t : olds)
            std::memcpy(&bytes[static_cast<size_t>(t.atom.start - moov.start + 4)], "free", 4);
        std::string copy = std::string(8, '\0');
        for (const Atom& k : kids) {
            std::string child = bytes.substr(static_cast<size_t>(k.start - moov.start), static_cast<size_t>(k.size));
            if (child.compare(4, 4, "free") == 0)
                continue;
            if (k.toEnd)
                child.replace(0, 4, be32_bytes(static_cast<uint32_t>(k.size)));
            copy += child;
        }
        copy += atom;
        if (static_cast<int64_t>(copy.size()) > kMax32)
            return TITLE_TOO_BIG;
        copy.replace(0, 8, be32_bytes(static_cast<uint32_t>(copy.size())) + "moov");
        // Another moov between the two would become the first one.
        for (int i = l.moov + 1; i <= l.lastReal; ++i)
            if (l.top[static_cast<size_t>(i)].is("moov"))
                free_atom(l.top[static_cast<size_t>(i)]);
        m_plan.write(l.leftoverStart, copy);
        m_plan.sync();
        free_atom(moov);
        m_plan.commit();
        return TITLE_OK;
    }

    // Tidying, once the change is safe: runs of free children become one, and
    // free children that end a moov which ends the file are cut off.
    if (fill != FILLS)
        return TITLE_OK;
    // The reader never reads an empty moov at the end of the file (an 8-byte
    // last atom), so one child always stays.
    size_t keep = kids.size();
    if (moovEndsFile)
        while (keep > 1 && kids[keep - 1].is("free"))
            --keep;
    for (size_t i = 0; i < keep;) {
        size_t j = i;
        int64_t run = 0;
        while (j < keep && kids[j].is("free") && kids[j].head == 8 && !kids[j].toEnd) {
            run += kids[j].size;
            ++j;
        }
        if (j - i >= 2 && run <= kMax32)
            m_plan.write(kids[i].start, be32_bytes(static_cast<uint32_t>(run)));
        i = j > i ? j : i + 1;
    }
    if (keep < kids.size()) {
        m_plan.sync();
        const int64_t newEnd = kids[keep - 1].end();
        m_plan.write(moov.start, be32_bytes(static_cast<uint32_t>(newEnd - moov.start)));
        m_plan.sync();
        // Left uncut by a crash, what follows moov is a leftover the next write cuts.
        m_plan.truncate(newEnd);
    }
    return TITLE_OK;
}

void Writer::execute()
{
    int group = 0;
    int64_t size = m_layout.fileSize;
    for (size_t i = 0; i < m_plan.steps.size(); ++i) {
        const Step& s = m_plan.steps[i];
        int r = 0;
        if (s.kind == Step::Write) {
            if (m_baseSize < 0)
                m_baseSize = size;
            Undo u{group, s.pos, std::string()};
            if (s.pos < size) {
                u.before.resize(static_cast<size_t>(std::min<int64_t>(size - s.pos, static_cast<int64_t>(s.bytes.size()))));
                if (!pread_all(m_fd, s.pos, u.before.data(), u.before.size()))
                    u.before.clear();
            }
            r = title_file_ops.write_at(m_fd, s.bytes.data(), s.bytes.size(), s.pos);
            m_undo.push_back(std::move(u)); // also after a failure: it may have written a part
            if (r == 0)
                size = std::max(size, s.pos + static_cast<int64_t>(s.bytes.size()));
        } else if (s.kind == Step::Truncate) {
            r = title_file_ops.truncate(m_fd, s.pos);
            if (r == 0)
                size = s.pos;
        } else {
            r = title_file_ops.sync(m_fd);
            ++group;
        }
        if (r == 0)
            continue;
        const int at = static_cast<int>(i);
        if (m_plan.commitSync >= 0 && at > m_plan.commitSync)
            return; // the change is on the disk; only the tidying failed
        m_out.outcome = TITLE_WRITE_FAILED;
        m_out.err = -r;
        if (at == m_plan.commitSync) {
            m_out.state = TITLE_STATE_UNCONFIRMED;
            return;
        }
        undo(group);
        std::string now;
        if (unchanged())
            m_out.state = TITLE_STATE_UNCHANGED;
        else if (m_readBack(m_context, nullptr, &now, nullptr) == 1 && now == m_walk.oldTitle)
            m_out.state = TITLE_STATE_OLD;
        else
            m_out.state = TITLE_STATE_UNKNOWN;
        return;
    }
}

// Puts the old bytes back, one group of writes at a time in reverse, with the
// same syncs as on the way in, so that stopping here still leaves a good file.
void Writer::undo(int failedGroup)
{
    int group = failedGroup;
    for (auto it = m_undo.rbegin(); it != m_undo.rend(); ++it) {
        if (it->group != group) {
            title_file_ops.sync(m_fd);
            group = it->group;
        }
        if (!it->before.empty())
            title_file_ops.write_at(m_fd, it->before.data(), it->before.size(), it->pos);
    }
    title_file_ops.sync(m_fd);
    if (m_baseSize >= 0 && file_size(m_fd) != m_baseSize) {
        title_file_ops.truncate(m_fd, m_baseSize);
        title_file_ops.sync(m_fd);
    }
}

bool Writer::unchanged()
{
    if (file_size(m_fd) != m_layout.fileSize)
        return false;
    // Bytes beyond the old end were the writer's own (cut again by the undo).
    for (const Undo& u : m_undo) {
        const size_t n = static_cast<size_t>(std::clamp<int64_t>(m_layout.fileSize - u.pos, 0, static_cast<int64_t>(u.before.size())));
        std::string now(n, '\0');
        if (!pread_all(m_fd, u.pos, now.data(), n) || now.compare(0, n, u.before, 0, n) != 0)
            return false;
    }
    return true;
}

void Writer::verify()
{
    std::string now;
    const int found = m_readBack(m_context, nullptr, &now, nullptr);
    if (found < 0) {
        m_out.outcome = TITLE_WRITE_FAILED;
        m_out.err = EIO;
        m_out.state = TITLE_STATE_UNKNOWN;
    } else if (found == 0 || now != m_title) {
        m_out.outcome = TITLE_READ_BACK_WRONG;
    }
}

} // namespace

} // namespace mp4title

extern "C" {

// Builds the complete title atom for `s->title` in `pb` (a stream over memory)
// and returns its size.
int mov_write_usmt_atom(ByteStream* pb, FormatContext* s)
{
    const int64_t start = stream_tell(pb);
    write_be32(pb, 0);
    write_tag(pb, "uuid");
    write_bytes(pb, mp4title::kUsmtUuid, 16);
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
    write_text_entry(4, 0x15C7, mp4title::kEncoder);
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

} // extern "C"

namespace mp4title {

int64_t view_read(const FileView& view, int64_t pos, unsigned char* buf, int64_t size)
{
    if (pos < 0 || size <= 0 || pos >= view.size)
        return 0;
    size = std::min(size, view.size - pos);
    std::memset(buf, 0, static_cast<size_t>(size));
    const int64_t fromFile = std::min(size, view.baseSize - pos);
    if (fromFile > 0 && !pread_all(view.fd, pos, buf, static_cast<size_t>(fromFile)))
        return 0;
    for (const FileView::Op& op : view.ops) {
        if (op.cut) {
            if (op.pos < pos + size)
                std::memset(buf + std::max<int64_t>(0, op.pos - pos), 0, static_cast<size_t>(pos + size - std::max(pos, op.pos)));
            continue;
        }
        const int64_t from = std::max(pos, op.pos);
        const int64_t to = std::min(pos + size, op.pos + static_cast<int64_t>(op.bytes.size()));
        if (from < to)
            std::memcpy(buf + (from - pos), op.bytes.data() + (from - op.pos), static_cast<size_t>(to - from));
    }
    return size;
}

std::string fresh_title_atom(const std::string& title, int64_t when)
{
    // Built in memory; the largest atom (255 title units) is 656 bytes.
    unsigned char buffer[1024];
    ByteStream out;
    init_byte_stream(&out, buffer, sizeof(buffer), 1, nullptr, nullptr, nullptr, nullptr);
    FormatContext ctx;
    std::memset(&ctx, 0, sizeof(ctx));
    std::snprintf(ctx.title, sizeof(ctx.title), "%s", title.c_str());
    ctx.timestamp = when;
    const int size = mov_write_usmt_atom(&out, &ctx);
    return std::string(reinterpret_cast<const char*>(buffer), static_cast<size_t>(size));
}

WriteOutcome write_title(int fd, const WalkFindings& walk, const std::string& title, ReadBack readBack, void* context)
{
    return Writer(fd, walk, title, readBack, context).run();
}

} // namespace mp4title
