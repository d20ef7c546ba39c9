// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Mp4Builder.h"
#include "TempDir.h"
#include "TitleCheck.h"

#include "mp4title/TitleCalls.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace titletest {

// The small ffmpeg-made PSP videos under tests/data/mp4.
inline const std::filesystem::path kData = std::filesystem::path(REELKEEPER_TEST_DATA) / "mp4";

struct RawRead { int result; std::string buffer; };

// GetTitleName into a zero-filled 512-byte buffer.
inline RawRead getTitle(const std::filesystem::path& path)
{
    RawRead r{-1, std::string(512, '\0')};
    r.result = GetTitleName(path.c_str(), r.buffer.data());
    return r;
}

inline std::string titleOf(const std::filesystem::path& path) { return getTitle(path).buffer.c_str(); }
inline int setTitle(const std::filesystem::path& path, const std::string& title) { return SetTitleName(path.c_str(), title.c_str()); }

// A sparse file: `head` at 0, `tail` at `tailOffset`, holes elsewhere.
inline void writeSparse(const std::filesystem::path& path, const std::string& head, int64_t tailOffset, const std::string& tail)
{
    const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
    const bool ok = fd >= 0 && ::pwrite(fd, head.data(), head.size(), 0) == static_cast<ssize_t>(head.size())
        && ::pwrite(fd, tail.data(), tail.size(), tailOffset) == static_cast<ssize_t>(tail.size());
    ::close(fd);
    if (!ok)
        throw std::runtime_error("cannot write " + path.string());
}

inline std::string readRange(const std::filesystem::path& path, int64_t offset, size_t size)
{
    std::string out(size, '\0');
    const int fd = ::open(path.c_str(), O_RDONLY);
    const ssize_t n = ::pread(fd, out.data(), size, offset);
    ::close(fd);
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return out;
}

inline uint32_t be32At(const std::string& bytes, size_t offset)
{
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i)
        v = (v << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return v;
}

// A USMT atom with the four entries the PSP writes, the title entry's data given raw.
inline std::string withTitleEntryData(const std::string& titleData)
{
    return mp4::usmtWithEntries({
        mp4::mtdtEntry(11, 0x55C4, 0, mp4::be16(0x021C)),
        mp4::mtdtEntry(4, 0x15C7, 1, mp4::utf16be(u"avc2.0.11.1110")),
        mp4::mtdtEntry(1, 0x2A0E, 1, titleData),
        mp4::mtdtEntry(3, 0x55C4, 1, mp4::utf16be(u"2005/05/16 07:48:36")),
    });
}

// Sets the title and checks what every write must leave: the title reads
// back, the atoms fit, the media data and everything before moov are as in
// `original`. Returns "" or what went wrong.
inline std::string retitleChecked(const std::filesystem::path& path, const std::string& title, const std::string& original)
{
    if (setTitle(path, title) != 1)
        return "SetTitleName failed (" + std::to_string(title_outcome) + ") for \"" + title + "\"";
    const std::string after = readFileBytes(path);
    if (titleOf(path) != title)
        return "reads \"" + titleOf(path) + "\" instead of \"" + title + "\"";
    if (std::string p = titlecheck::structureProblem(after); !p.empty())
        return p;
    if (!titlecheck::mediaKept(original, after))
        return "the media data changed";
    const auto moov = static_cast<size_t>(std::max<int64_t>(titlecheck::moovStart(original), 0));
    return after.compare(0, moov, original, 0, moov) == 0 ? "" : "bytes before moov changed";
}

// Whether the file holds a PSP title atom with a title entry that is not free.
inline bool hasLiveTitleAtom(const std::string& bytes)
{
    const std::string uuid = mp4::usmtUuid();
    for (size_t at = bytes.find("uuid" + uuid); at != std::string::npos; at = bytes.find("uuid" + uuid, at + 1)) {
        if (at < 4 || at + 30 > bytes.size())
            continue;
        const size_t end = std::min<size_t>({bytes.size(), at - 4 + be32At(bytes, at - 4), at + 20 + be32At(bytes, at + 20)});
        for (size_t e = at + 30, size; e + 10 <= end && (size = be32At(bytes, e) >> 16) >= 10; e += size)
            if (be32At(bytes, e + 2) == 1)
                return true;
    }
    return false;
}

} // namespace titletest
