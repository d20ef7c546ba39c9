// Feeds arbitrary bytes to the title calls: read them, then write a title on
// a temporary copy. A refused write must leave the copy as it was; an
// accepted one must read back.

#include "mp4title/TitleCalls.h"

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

void writeFile(const std::string& path, const uint8_t* data, size_t size)
{
    const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0)
        std::abort();
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n <= 0)
            std::abort();
        data += n;
        size -= static_cast<size_t>(n);
    }
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

std::string readTitle(const std::string& path, int* result)
{
    // Exactly 512 bytes on the heap, so that any overrun is caught.
    char* buffer = static_cast<char*>(std::calloc(1, 512));
    *result = GetTitleName(path.c_str(), buffer);
    if (buffer[511] != '\0')
        std::abort();
    std::string title(buffer);
    std::free(buffer);
    return title;
}

const char* const kTitles[] = {"", "Hi", "A title of a more usual length",
                               "Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\xAC",
                               "255xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"
                               "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"
                               "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string& path = scratchPath();
    writeFile(path, data, size);
    int found = 0;
    readTitle(path, &found);

    const char* title = kTitles[size > 0 ? data[size - 1] % (sizeof(kTitles) / sizeof(kTitles[0])) : 0];
    if (std::strlen(title) > 255)
        std::abort();
    const int written = SetTitleName(path.c_str(), title);
    const std::string after = readFile(path);
    if (written != 1) {
        if (after != std::string(reinterpret_cast<const char*>(data), size))
            std::abort(); // a refused write changed the file
    } else {
        int again = 0;
        if (readTitle(path, &again) != title || again != 1)
            std::abort(); // an accepted write does not read back
    }
    ::unlink(path.c_str());
    return 0;
}
