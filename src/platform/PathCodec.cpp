// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/PathCodec.h"

namespace platform {
namespace {

constexpr char16_t kEscapeBase = 0xDC00; // U+DC80..U+DCFF hold the bytes 0x80..0xFF

bool isEscape(char16_t unit)
{
    return unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF;
}

void appendUtf8(QByteArray& out, char32_t code)
{
    out += QString::fromUcs4(&code, 1).toUtf8();
}

// The length of the valid sequence at bytes and its code point; 0 when invalid.
std::size_t decodeOne(const char* bytes, std::size_t size, char32_t& code)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    if (size == 0)
        return 0;
    if (p[0] < 0x80) {
        code = p[0];
        return 1;
    }
    std::size_t length = 0;
    char32_t least = 0;
    if (p[0] >= 0xC2 && p[0] <= 0xDF) {
        length = 2, code = p[0] & 0x1F, least = 0x80;
    } else if (p[0] >= 0xE0 && p[0] <= 0xEF) {
        length = 3, code = p[0] & 0x0F, least = 0x800;
    } else if (p[0] >= 0xF0 && p[0] <= 0xF4) {
        length = 4, code = p[0] & 0x07, least = 0x10000;
    } else {
        return 0; // a continuation byte, C0/C1 (always overlong) or F5..FF
    }
    if (size < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (p[i] & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

std::size_t utf8SequenceLength(const char* bytes, std::size_t size)
{
    char32_t code = 0;
    return decodeOne(bytes, size, code);
}

QString decodePath(const QByteArray& bytes)
{
    QString result;
    result.reserve(bytes.size());
    const char* data = bytes.constData();
    const auto size = static_cast<std::size_t>(bytes.size());
    for (std::size_t i = 0; i < size;) {
        char32_t code = 0;
        const std::size_t length = decodeOne(data + i, size - i, code);
        if (length == 0) {
            result += QChar(static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(data[i])));
            ++i;
        } else {
            result += QChar::fromUcs4(code);
            i += length;
        }
    }
    return result;
}

QByteArray encodePath(const QString& path)
{
    QByteArray result;
    result.reserve(path.size());
    const qsizetype size = path.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = path.at(i).unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(path.at(i + 1).unicode())) {
            appendUtf8(result, QChar::surrogateToUcs4(unit, path.at(++i).unicode()));
        } else if (isEscape(unit)) {
            result += static_cast<char>(unit - kEscapeBase);
        } else if (QChar::isSurrogate(unit)) {
            appendUtf8(result, 0xFFFD); // no byte of a name decodes to it
        } else {
            appendUtf8(result, unit);
        }
    }
    return result;
}

} // namespace platform
