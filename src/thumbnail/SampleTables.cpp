// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "thumbnail/SampleTables.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace thumbnail {
namespace {

constexpr std::uint32_t tag(const char (&t)[5])
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(t[0])) << 24
        | static_cast<std::uint32_t>(static_cast<unsigned char>(t[1])) << 16
        | static_cast<std::uint32_t>(static_cast<unsigned char>(t[2])) << 8
        | static_cast<std::uint32_t>(static_cast<unsigned char>(t[3]));
}

std::uint32_t be32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16
        | static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

// FFmpeg's reader stops at ten levels; deeper atoms are never parsed.
constexpr int kMaxDepth = 12;
// No real file comes near; a file of tiny atoms must not make the walk slow.
constexpr std::int64_t kMaxAtoms = 1 << 20;
// Largest table header read: full box header, up to three fields, the count.
constexpr int kTableHead = 20;
// The headers of a moov lie close together: read in blocks, not one call per atom.
constexpr int kBlock = 4096;

struct Walk
{
    Walk(const ReadAt& read, std::int64_t fileSize) : read(read), fileSize(fileSize) {}

    const ReadAt& read;
    std::int64_t fileSize;
    std::int64_t atoms = 0;
    std::int64_t samples = 0; // declared over the whole file
    TableCheck result = TableCheck::Fits;
    char block[kBlock];
    std::int64_t blockAt = 0;
    std::int64_t blockLength = 0;

    // Up to size (at most kTableHead) bytes at offset: the count, short only at the end; -1 when the read failed.
    std::int64_t get(std::int64_t offset, unsigned char* out, std::int64_t size)
    {
        if (offset < blockAt || offset + size > blockAt + blockLength) {
            blockAt = offset;
            blockLength = read(offset, block, std::min<std::int64_t>(kBlock, fileSize - offset));
            if (blockLength < 0) {
                blockLength = 0;
                return -1;
            }
        }
        const std::int64_t n = std::min(size, blockAt + blockLength - offset);
        std::memcpy(out, block + (offset - blockAt), static_cast<size_t>(n));
        return n;
    }

    bool fail(TableCheck why)
    {
        result = why;
        return false;
    }

    // A table of count entries of entry bytes after head bytes of its payload.
    bool fits(std::int64_t payload, std::int64_t head, std::uint32_t count, std::int64_t entry)
    {
        if (payload < head || static_cast<std::int64_t>(count) * entry > payload - head)
            return fail(TableCheck::TooLarge);
        return true;
    }

    bool addSamples(std::uint32_t count)
    {
        // Every sample takes at least a byte of the file.
        samples += count;
        return samples <= fileSize || fail(TableCheck::TooLarge);
    }

    static bool isTable(std::uint32_t type)
    {
        switch (type) {
        case tag("stco"): case tag("co64"): case tag("stsc"): case tag("stts"): case tag("ctts"): case tag("stss"):
        case tag("stps"): case tag("elst"): case tag("stsz"): case tag("stz2"): case tag("sbgp"): case tag("saio"):
        case tag("trun"): case tag("tfra"):
            return true;
        default:
            return false;
        }
    }

    bool table(std::uint32_t type, std::int64_t offset, std::int64_t payload)
    {
        unsigned char h[kTableHead] = {};
        const std::int64_t want = std::min<std::int64_t>(payload, kTableHead);
        const std::int64_t got = get(offset, h, want);
        if (got < 0)
            return fail(TableCheck::ReadFailed);
        if (got < want)
            return fail(TableCheck::TooLarge); // the file ends inside the atom's claimed bytes
        const int version = h[0];
        const std::uint32_t flags = be32(h) & 0xFFFFFF;
        switch (type) {
        case tag("stco"): return fits(payload, 8, be32(h + 4), 4);
        case tag("co64"): return fits(payload, 8, be32(h + 4), 8);
        case tag("stsc"): return fits(payload, 8, be32(h + 4), 12);
        case tag("stts"):
        case tag("ctts"): return fits(payload, 8, be32(h + 4), 8);
        case tag("stss"):
        case tag("stps"): return fits(payload, 8, be32(h + 4), 4);
        case tag("elst"): return fits(payload, 8, be32(h + 4), version == 1 ? 20 : 12);
        case tag("stsz"):
            // A sample size of zero means one size per sample follows.
            return fits(payload, 12, be32(h + 8), be32(h + 4) == 0 ? 4 : 0) && addSamples(be32(h + 8));
        case tag("stz2"): {
            const std::uint32_t count = be32(h + 8);
            const std::int64_t bytes = (static_cast<std::int64_t>(count) * h[7] + 7) / 8;
            return fits(payload, 12, 1, bytes) && addSamples(count);
        }
        case tag("sbgp"): return version == 1 ? fits(payload, 16, be32(h + 12), 8) : fits(payload, 12, be32(h + 8), 8);
        case tag("saio"): {
            const int head = flags & 1 ? 16 : 8;
            return fits(payload, head, be32(h + head - 4), version == 1 ? 8 : 4);
        }
        case tag("trun"): {
            const int head = 8 + (flags & 1 ? 4 : 0) + (flags & 4 ? 4 : 0);
            const int entry = 4 * std::popcount(flags & 0xF00);
            return fits(payload, head, be32(h + 4), entry) && addSamples(be32(h + 4));
        }
        case tag("tfra"): {
            const unsigned l = h[11];
            const int entry = (version == 1 ? 16 : 8) + static_cast<int>((l >> 4 & 3) + (l >> 2 & 3) + (l & 3)) + 3;
            return fits(payload, 16, be32(h + 12), entry);
        }
        default: return true;
        }
    }

    // The atoms in [begin, end), which lies within the file.
    bool children(std::int64_t begin, std::int64_t end, int depth)
    {
        std::int64_t at = begin;
        while (end - at >= 8) {
            if (++atoms > kMaxAtoms)
                return fail(TableCheck::TooLarge);
            unsigned char h[16];
            const std::int64_t got = get(at, h, std::min<std::int64_t>(16, end - at));
            if (got < 0)
                return fail(TableCheck::ReadFailed);
            if (got < 8)
                return true;
            std::int64_t size = be32(h);
            const std::uint32_t type = be32(h + 4);
            std::int64_t head = 8;
            if (size == 1) {
                if (got < 16)
                    return true;
                const std::uint64_t large = static_cast<std::uint64_t>(be32(h + 8)) << 32 | be32(h + 12);
                size = large > static_cast<std::uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<std::int64_t>(large);
                head = 16;
            } else if (size == 0) {
                size = end - at;
            }
            if (size < head)
                return true; // a broken size ends the reader's walk here too
            // Like the reader, an atom never reaches past its parent; the file bounds both.
            const std::int64_t payload = std::min(size, end - at) - head;
            const std::int64_t offset = at + head;
            switch (type) {
            case tag("moov"):
            case tag("trak"):
            case tag("mdia"):
            case tag("minf"):
            case tag("stbl"):
            case tag("edts"):
            case tag("moof"):
            case tag("traf"):
            case tag("mfra"):
                if (depth < kMaxDepth && !children(offset, offset + payload, depth + 1))
                    return false;
                break;
            default:
                if (isTable(type) && !table(type, offset, payload))
                    return false;
            }
            at += std::min(size, end - at);
        }
        return true;
    }
};

} // namespace

TableCheck checkSampleTables(const ReadAt& read, std::int64_t fileSize)
{
    Walk walk(read, fileSize);
    walk.children(0, fileSize, 0);
    return walk.result;
}

} // namespace thumbnail
