// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// UTF-8 is the narrow encoding of the title engine; the file holds UTF-16 big-endian.

#include <cstddef>
#include <cstdint>
#include <string>

namespace mp4title {

// Decodes big-endian UTF-16 up to the first zero unit or the end of the bytes
// (an odd last byte is ignored). A lone surrogate becomes "?".
std::string utf16beToUtf8(const unsigned char* data, size_t size);

// Encodes UTF-8 as UTF-16 units (no terminator). Bytes that are not valid
// UTF-8 become "?".
std::u16string utf8ToUtf16(const std::string& text);

// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or
// values beyond U+10FFFF).
bool utf8Valid(const std::string& text);

// The longest prefix of `text` of at most `maxBytes` bytes that ends on a
// character boundary.
size_t utf8Cut(const std::string& text, size_t maxBytes);

} // namespace mp4title
