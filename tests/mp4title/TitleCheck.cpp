// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TitleCheck.h"

#include "mp4title/TitleWrite.h"

#include <algorithm>
#include <cerrno>

namespace titlecheck {

namespace {

uint64_t beAt(const std::string& b, int64_t pos, int bytes)
{
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | static_cast<unsigned char>(b[static_cast<size_t>(pos + i)]);
    return v;
}

struct Head { int64_t size = 0; int head = 8; std::string type; };

// The atom at `pos` of a parent ending at `end`; "" or what is wrong.
std::string headAt(const std::string& b, int64_t pos, int64_t end, Head& h)
{
    const std::string at = " at " + std::to_string(pos);
    if (end - pos < 8)
        return "bytes that form no atom" + at;
    h.type = b.substr(static_cast<size_t>(pos + 4), 4);
    h.size = static_cast<int64_t>(beAt(b, pos, 4));
    h.head = h.size == 1 ? 16 : 8;
    if (h.size == 1 && end - pos < 16)
        return "a cut 64-bit head" + at;
    if (h.size == 1)
        h.size = static_cast<int64_t>(beAt(b, pos + 8, 8) & 0x7FFFFFFFFFFFFFFFull);
    else if (h.size == 0)
        h.size = end - pos;
    if (h.size < h.head)
        return "a size field below its head" + at;
    return h.size > end - pos ? h.type + at + " runs past its parent" : "";
}

std::string checkRange(const std::string& b, int64_t pos, int64_t end, int depth)
{
    static const char kUsmt[] = "USMT\x21\xD2\x4F\xCE\xBB\x88\x69\x5C\xFA\xC9\xC7\x40";
    static const char* const kContainers[] = {"moov", "trak", "mdia", "minf", "stbl", "dinf", "edts"};
    for (Head h; pos < end; pos += h.size) {
        if (std::string p = headAt(b, pos, end, h); !p.empty())
            return p;
        const int64_t payload = pos + h.head;
        if (std::find(std::begin(kContainers), std::end(kContainers), h.type) != std::end(kContainers) && depth < 32) {
            if (std::string p = checkRange(b, payload, pos + h.size, depth + 1); !p.empty())
                return p;
        } else if (h.type == "uuid" && depth > 0 && h.size - h.head >= 24 && b.compare(payload, 16, kUsmt, 16) == 0
                   && b.compare(payload + 20, 4, "MTDT") == 0) {
            const int64_t mtdt = static_cast<int64_t>(beAt(b, payload + 16, 4));
            if (mtdt < 10 || mtdt > h.size - h.head - 16)
                return "an MTDT atom that does not fit its title atom at " + std::to_string(pos);
            for (int64_t e = payload + 26, size; e + 10 <= payload + 16 + mtdt && (size = beAt(b, e, 2)) >= 10; e += size)
                if (e + size > payload + 16 + mtdt)
                    return "an MTDT entry that runs past its atom at " + std::to_string(e);
        }
    }
    return "";
}

// The payloads (start, size) of the top-level atoms of a type.
std::vector<std::pair<int64_t, int64_t>> topLevel(const std::string& b, const char* type)
{
    std::vector<std::pair<int64_t, int64_t>> out;
    const auto end = static_cast<int64_t>(b.size());
    Head h;
    for (int64_t pos = 0; pos < end && headAt(b, pos, end, h).empty(); pos += h.size)
        if (h.type == type)
            out.emplace_back(pos + h.head, h.size - h.head);
    return out;
}

Inject g_mode = Inject::Record;
int g_failAt = 0;
int g_count = 0;
std::vector<FileOp> g_log;

// Counts an operation; true when it is to fail.
bool failsNow(FileOp::Kind kind)
{
    if (kind == FileOp::Sync && g_mode == Inject::NoSync)
        return false;
    ++g_count;
    return (g_mode == Inject::FailFrom && g_failAt > 0 && g_count >= g_failAt) || (g_mode == Inject::FailOnce && g_count == g_failAt);
}

int writeAt(int fd, const void* buf, size_t size, int64_t pos)
{
    const bool fails = failsNow(FileOp::Write);
    if (fails && (g_mode != Inject::FailOnce || size < 2))
        return -EIO;
    const size_t done = fails ? size / 2 : size;
    g_log.push_back({FileOp::Write, pos, std::string(static_cast<const char*>(buf), done)});
    const int r = title_default_file_ops.write_at(fd, buf, done, pos);
    return fails ? -EIO : r;
}

int syncFile(int fd)
{
    if (failsNow(FileOp::Sync))
        return -EIO;
    if (g_mode == Inject::NoSync)
        return 0;
    g_log.push_back({FileOp::Sync, 0, std::string()});
    return title_default_file_ops.sync(fd);
}

int truncateFile(int fd, int64_t size)
{
    if (failsNow(FileOp::Truncate))
        return -EIO;
    g_log.push_back({FileOp::Truncate, size, std::string()});
    return title_default_file_ops.truncate(fd, size);
}

} // namespace

std::string structureProblem(const std::string& bytes)
{
    return checkRange(bytes, 0, static_cast<int64_t>(bytes.size()), 0);
}

bool mediaKept(const std::string& before, const std::string& after)
{
    for (const auto& [pos, size] : topLevel(before, "mdat"))
        if (after.size() < static_cast<size_t>(pos + size) || after.compare(pos, size, before, pos, size) != 0)
            return false;
    return true;
}

int64_t moovStart(const std::string& bytes)
{
    const auto moovs = topLevel(bytes, "moov");
    return moovs.empty() ? -1 : moovs.front().first - 8;
}

void arm(Inject mode, int n)
{
    g_mode = mode;
    g_failAt = n;
    g_count = 0;
    g_log.clear();
    title_file_ops = {writeAt, syncFile, truncateFile};
}

void disarm()
{
    title_file_ops = title_default_file_ops;
}

const std::vector<FileOp>& opLog()
{
    return g_log;
}

size_t unsyncedOps(const std::vector<FileOp>& log, size_t issued)
{
    size_t n = 0;
    while (n < issued && log[issued - n - 1].kind != FileOp::Sync)
        ++n;
    return n;
}

std::string crashState(const std::string& original, const std::vector<FileOp>& log, size_t issued, uint32_t keep)
{
    const size_t synced = issued - unsyncedOps(log, issued);
    std::string file = original;
    for (size_t i = 0; i < issued; ++i) {
        const FileOp& op = log[i];
        if (i >= synced && !((keep >> (i - synced)) & 1u))
            continue;
        const auto end = static_cast<size_t>(op.pos) + op.bytes.size();
        if (op.kind == FileOp::Truncate)
            file.resize(static_cast<size_t>(op.pos), '\0');
        if (op.kind == FileOp::Write) {
            file.resize(std::max(file.size(), end), '\0');
            file.replace(static_cast<size_t>(op.pos), op.bytes.size(), op.bytes);
        }
    }
    return file;
}

} // namespace titlecheck
