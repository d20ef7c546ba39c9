// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Fuzzes the file-name codec and the escaping of printed names: any bytes must
// come back from decodePath/encodePath unchanged, valid UTF-8 must decode as Qt
// decodes it, and an escaped field must hold no control byte or invalid UTF-8
// and unescape to the bytes it came from.
#include "cli/Output.h"
#include "platform/PathCodec.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

int hexValue(char c)
{
    return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string unescaped(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
        } else if (i + 1 < text.size() && (text[i + 1] == 't' || text[i + 1] == 'n' || text[i + 1] == '\\')) {
            out += text[i + 1] == 't' ? '\t' : text[i + 1] == 'n' ? '\n' : '\\';
            ++i;
        } else if (i + 3 < text.size() && text[i + 1] == 'x' && hexValue(text[i + 2]) >= 0 && hexValue(text[i + 3]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 2]) * 16 + hexValue(text[i + 3]));
            i += 3;
        } else {
            std::abort(); // a lone backslash: the field is ambiguous
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString decoded = platform::decodePath(bytes);
    if (platform::encodePath(decoded) != bytes)
        std::abort();
    bool escapes = false;
    for (const QChar c : decoded)
        escapes = escapes || (c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF);
    if (!escapes && decoded != QString::fromUtf8(bytes))
        std::abort();

    const std::string field = cli::escaped(bytes);
    for (std::size_t i = 0; i < field.size();) {
        const auto byte = static_cast<unsigned char>(field[i]);
        const std::size_t length = platform::utf8SequenceLength(field.data() + i, field.size() - i);
        if (byte < 0x20 || byte == 0x7F || length == 0)
            std::abort();
        i += length;
    }
    if (unescaped(field) != bytes.toStdString())
        std::abort();
    return 0;
}
