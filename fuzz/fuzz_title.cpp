// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Feeds arbitrary bytes to the title calls as a file, with a title taken from
// the same bytes: read the title, then write one on a scratch copy. A refused
// write must leave the copy as it was. An accepted one must read back, keep
// every atom whole, the media data and the bytes before moov, and take the
// same write again (a damaged input may refuse it, cleanly). Then the write is
// stopped at its Nth operation: the file must read the old or the new title,
// stay whole and take the write once more.

#include "mp4title/TitleCalls.h"

#include "TitleCheck.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

const std::string& scratchPath()
{
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir && *dir ? dir : "/tmp") + "/fuzz-title-" + std::to_string(::getpid()) + ".mp4";
    }();
    return path;
}

void writeFile(const std::string& path, const std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        std::abort();
    ::close(fd);
}

std::string readFile(const std::string& path)
{
    std::string out;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        std::abort();
    char buf[65536];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof(buf))) > 0)
        out.append(buf, static_cast<size_t>(n));
    ::close(fd);
    return out;
}

std::string readTitle(const std::string& path)
{
    // Exactly 512 bytes on the heap, so that any overrun is caught.
    char* buffer = static_cast<char*>(std::calloc(1, 512));
    GetTitleName(path.c_str(), buffer);
    if (buffer[511] != '\0')
        std::abort();
    std::string title(buffer);
    std::free(buffer);
    return title;
}

void check(bool ok)
{
    if (!ok)
        std::abort();
}

const char* const kTitles[] = {"Hi", "A title of a more usual length", "Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\xAC"};

// The last bytes choose the title and the stopping point; they stay part of the file.
std::string titleFor(const std::string& input)
{
    const size_t n = input.size();
    const unsigned mode = n > 0 ? static_cast<unsigned char>(input[n - 1]) : 0;
    if (mode % 4 == 0)
        return "";
    if (mode % 4 == 1)
        return kTitles[(mode / 4) % 3];
    const size_t from = n > 2 ? static_cast<unsigned char>(input[n - 3]) * 131u % n : 0;
    return std::string(input.substr(from, (mode / 4) % 80).c_str()); // up to a zero byte
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string& path = scratchPath();
    writeFile(path, input);
    const std::string oldTitle = readTitle(path);
    const std::string title = titleFor(input);
    const bool wellFormed = titlecheck::structureProblem(input).empty();
    const int64_t moov = titlecheck::moovStart(input);

    // A write that counts its own success must leave a sound file.
    auto soundAfterWrite = [&](const std::string& after) {
        check(readTitle(path) == title);
        check(!wellFormed || titlecheck::structureProblem(after).empty());
        check(titlecheck::mediaKept(input, after));
        check(moov < 0 || after.compare(0, static_cast<size_t>(moov), input, 0, static_cast<size_t>(moov)) == 0);
    };

    // A refused write leaves the file as it was and names a cause other than the write.
    auto write = [&]() {
        const std::string before = readFile(path);
        if (SetTitleName(path.c_str(), title.c_str()) == 1) {
            soundAfterWrite(readFile(path));
            return true;
        }
        check(readFile(path) == before);
        check(title_outcome != TITLE_WRITE_FAILED && title_outcome != TITLE_READ_BACK_WRONG);
        return false;
    };

    if (!write()) {
        ::unlink(path.c_str());
        return 0;
    }
    check(write() || !wellFormed);

    const int stopAt = size > 1 ? static_cast<unsigned char>(input[size - 2]) % 16 : 0;
    if (stopAt > 0) {
        writeFile(path, input);
        titlecheck::arm(titlecheck::Inject::FailFrom, stopAt);
        SetTitleName(path.c_str(), title.c_str());
        titlecheck::disarm();
        const std::string stopped = readFile(path);
        const std::string now = readTitle(path);
        check(now == oldTitle || now == title);
        check(!wellFormed || titlecheck::structureProblem(stopped).empty());
        check(titlecheck::mediaKept(input, stopped));
        check(write() || !wellFormed);
    }
    ::unlink(path.c_str());
    return 0;
}
