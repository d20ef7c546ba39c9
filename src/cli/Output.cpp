// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Output.h"

#include "platform/PathCodec.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace cli {
namespace {

// The first failed write's errno: the stream forgets it once its buffer is dropped.
int g_writeError = 0;

} // namespace

std::string escaped(const QByteArray& bytes)
{
    static const char hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(static_cast<std::size_t>(bytes.size()));
    const char* data = bytes.constData();
    const auto size = static_cast<std::size_t>(bytes.size());
    for (std::size_t i = 0; i < size;) {
        const auto byte = static_cast<unsigned char>(data[i]);
        const std::size_t length = platform::utf8SequenceLength(data + i, size - i);
        // C1 controls (C2 80..C2 9F) steer terminals as the C0 ones do.
        const bool control = byte < 0x20 || byte == 0x7F || (byte == 0xC2 && length == 2 && static_cast<unsigned char>(data[i + 1]) < 0xA0);
        if (byte == '\t') {
            out += "\\t";
        } else if (byte == '\n') {
            out += "\\n";
        } else if (byte == '\\') {
            out += "\\\\";
        } else if (length == 0 || control) {
            for (std::size_t k = 0; k < std::max<std::size_t>(length, 1); ++k) {
                const auto b = static_cast<unsigned char>(data[i + k]);
                out += {'\\', 'x', hex[b >> 4], hex[b & 0xF]};
            }
        } else {
            out.append(data + i, length);
        }
        i += std::max<std::size_t>(length, 1);
    }
    return out;
}

std::string escapedPath(const QString& path)
{
    return escaped(platform::encodePath(path));
}

bool takeZeroOption(Args& args)
{
    bool zero = false;
    for (auto it = args.begin(); it != args.end();) {
        if (*it == "--") {
            args.erase(it);
            break;
        }
        if (*it == "-z" || *it == "--zero") {
            zero = true;
            it = args.erase(it);
        } else {
            ++it;
        }
    }
    return zero;
}

void print(std::string_view text)
{
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() && g_writeError == 0)
        g_writeError = errno;
}

void flushStdout()
{
    if (std::fflush(stdout) != 0 && g_writeError == 0)
        g_writeError = errno;
}

void writeRecord(bool zero, std::initializer_list<QByteArray> fields)
{
    std::string record;
    bool first = true;
    for (const QByteArray& field : fields) {
        if (zero) {
            record.append(field.constData(), static_cast<std::size_t>(field.size()));
            record += '\0';
        } else {
            if (!first)
                record += '\t';
            record += escaped(field);
        }
        first = false;
    }
    if (!zero)
        record += '\n';
    print(record);
}

int closeStdout(int status)
{
    // As coreutils' close_stdout: an earlier failed write or the last flush both count.
    const bool earlier = std::ferror(stdout) != 0;
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    int error = g_writeError != 0 ? g_writeError : flushed ? 0 : errno;
    const bool closed = std::fclose(stdout) == 0;
    if (!closed && error == 0)
        error = errno;
    // A closed stdout that nothing was written to is no failure.
    if (!earlier && flushed && (closed || error == EBADF))
        return status;
    if (error != 0)
        std::fprintf(stderr, "reelkeeper-cli: write error: %s\n", std::strerror(error));
    else
        std::fputs("reelkeeper-cli: write error\n", stderr);
    return status == 0 ? 1 : status;
}

} // namespace cli
