// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <functional>

namespace thumbnail {

/** Reads up to size bytes at offset into buffer: the count read (short only at the end), or -1 when the read failed. */
using ReadAt = std::function<std::int64_t(std::int64_t offset, char* buffer, std::int64_t size)>;

enum class TableCheck {
    Fits,
    TooLarge,   // a table or a sample count claims more than the file holds
    ReadFailed,
};

/**
 * Walks an MP4's atoms (moov, moof and the track, edit and sample-table atoms
 * inside them), reading only atom and table headers, and tells whether a
 * table's entry count times its entry size is more than the bytes its atom
 * holds within the file, or the samples declared are more than the file's
 * bytes. FFmpeg's MP4 reader allocates by these counts before it reads the
 * entries, so such a file is refused before it opens it. Anything else
 * (unknown atoms, broken sizes) is left to the reader.
 */
TableCheck checkSampleTables(const ReadAt& read, std::int64_t fileSize);

} // namespace thumbnail
