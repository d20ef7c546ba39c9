// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "mp4title/Utf.h"

namespace mp4title {

static void appendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string utf16beToUtf8(const unsigned char* data, size_t size)
{
    std::string out;
    const size_t units = size / 2;
    for (size_t i = 0; i < units; ++i) {
        const uint32_t u = (uint32_t(data[2 * i]) << 8) | data[2 * i + 1];
        if (u == 0)
            break;
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
            const uint32_t low = (uint32_t(data[2 * i + 2]) << 8) | data[2 * i + 3];
            if (low >= 0xDC00 && low <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF)
            out += '?';
        else
            appendUtf8(out, u);
    }
    return out;
}

// Decodes the character at s[i]; its length in bytes, or 0 when it is not
// well-formed UTF-8.
static size_t decodeUtf8(const unsigned char* s, size_t n, size_t i, uint32_t& cp)
{
    const unsigned char b = s[i];
    size_t len = 0;
    uint32_t min = 0;
    if (b < 0x80) {
        cp = b;
        return 1;
    }
    if ((b & 0xE0) == 0xC0) {
        cp = b & 0x1F;
        len = 2;
        min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        cp = b & 0x0F;
        len = 3;
        min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        cp = b & 0x07;
        len = 4;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > n)
        return 0;
    for (size_t k = 1; k < len; ++k) {
        if ((s[i + k] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (s[i + k] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

std::u16string utf8ToUtf16(const std::string& text)
{
    std::u16string out;
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        uint32_t cp = 0;
        const size_t len = decodeUtf8(s, n, i, cp);
        if (len == 0) {
            out += u'?';
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        i += len;
    }
    return out;
}

bool utf8Valid(const std::string& text)
{
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    uint32_t cp = 0;
    for (size_t i = 0, len = 0; i < text.size(); i += len)
        if ((len = decodeUtf8(s, text.size(), i, cp)) == 0)
            return false;
    return true;
}

size_t utf8Cut(const std::string& text, size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text.size();
    size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return cut;
}

} // namespace mp4title
