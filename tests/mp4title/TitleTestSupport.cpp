#include "TitleTestSupport.h"

#include "Mp4Builder.h"
#include "TitleCheck.h"

#include "mp4title/TitleCalls.h"

#include <algorithm>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace titletest {

RawRead getTitle(const std::filesystem::path& path)
{
    RawRead r;
    r.buffer.assign(512, '\0');
    r.result = GetTitleName(path.c_str(), r.buffer.data());
    return r;
}

std::string titleOf(const std::filesystem::path& path)
{
    return std::string(getTitle(path).buffer.c_str());
}

int setTitle(const std::filesystem::path& path, const std::string& title)
{
    return SetTitleName(path.c_str(), title.c_str());
}

void writeSparse(const std::filesystem::path& path, const std::string& head, int64_t tailOffset, const std::string& tail)
{
    const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
    if (fd < 0)
        throw std::runtime_error("cannot create " + path.string());
    bool ok = ::pwrite(fd, head.data(), head.size(), 0) == static_cast<ssize_t>(head.size());
    ok = ok && ::pwrite(fd, tail.data(), tail.size(), tailOffset) == static_cast<ssize_t>(tail.size());
    ::close(fd);
    if (!ok)
        throw std::runtime_error("cannot write " + path.string());
}

std::string readRange(const std::filesystem::path& path, int64_t offset, size_t size)
{
    std::string out(size, '\0');
    const int fd = ::open(path.c_str(), O_RDONLY);
    const ssize_t n = fd >= 0 ? ::pread(fd, out.data(), size, offset) : -1;
    if (fd >= 0)
        ::close(fd);
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return out;
}

uint32_t be32At(const std::string& bytes, size_t offset)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data()) + offset;
    return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
}

std::string withTitleEntryData(const std::string& titleData)
{
    return mp4::usmtWithEntries({
        mp4::mtdtEntry(11, 0x55C4, 0, mp4::be16(0x021C)),
        mp4::mtdtEntry(4, 0x15C7, 1, mp4::utf16be(u"avc2.0.11.1110")),
        mp4::mtdtEntry(1, 0x2A0E, 1, titleData),
        mp4::mtdtEntry(3, 0x55C4, 1, mp4::utf16be(u"2005/05/16 07:48:36")),
    });
}

std::string retitleChecked(const std::filesystem::path& path, const std::string& title, const std::string& original)
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
    const int64_t moov = titlecheck::moovStart(original);
    if (moov > 0 && after.compare(0, static_cast<size_t>(moov), original, 0, static_cast<size_t>(moov)) != 0)
        return "bytes before moov changed";
    return "";
}

bool hasLiveTitleAtom(const std::string& bytes)
{
    const std::string uuid = mp4::usmtUuid();
    for (size_t at = bytes.find(uuid); at != std::string::npos; at = bytes.find(uuid, at + 1)) {
        if (at < 8 || bytes.compare(at - 4, 4, "uuid") != 0 || at + 26 > bytes.size())
            continue;
        const size_t end = std::min<size_t>({bytes.size(), at - 8 + be32At(bytes, at - 8), at + 16 + be32At(bytes, at + 16)});
        for (size_t e = at + 26; e + 10 <= end;) {
            const size_t size = (static_cast<unsigned char>(bytes[e]) << 8) | static_cast<unsigned char>(bytes[e + 1]);
            if (size < 10)
                break;
            if (be32At(bytes, e + 2) == 1)
                return true;
            e += size;
        }
    }
    return false;
}

} // namespace titletest
