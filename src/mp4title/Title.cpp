#include "mp4title/Title.h"

#include "mp4title/TitleCalls.h"

#include <cstring>
#include <mutex>

namespace mp4title {

namespace {

// The exported calls keep their state in process-wide variables.
std::mutex& titleLock()
{
    static std::mutex lock;
    return lock;
}

std::string writeReason(int outcome, int err)
{
    switch (outcome) {
    case TITLE_CANNOT_OPEN: return describe(ReadStatus::CannotOpen);
    case TITLE_NOT_MP4: return describe(ReadStatus::NotMp4);
    case TITLE_NO_MOOV: return describe(ReadStatus::NoMoov);
    case TITLE_TOO_LONG: return "the title is longer than 255 bytes";
    case TITLE_MOOV_NOT_LAST:
        return "the title cannot be written in place: the moov atom is not at the end of the file";
    case TITLE_ATOM_NOT_LAST:
        return "the title cannot be written in place: the title atom is not at the end of the moov atom";
    case TITLE_LARGE_SIZE: return "the title cannot be written in place: the file uses 64-bit atom sizes";
    case TITLE_NO_TITLE_ENTRY: return "the file's title atom has no title entry";
    case TITLE_BAD_ATOM: return "the file's title atom is damaged";
    case TITLE_BAD_MOOV: return "the file's moov atom is damaged";
    case TITLE_WRITE_FAILED:
        return std::string("write error: ") + (err ? std::strerror(err) : "unknown error") + "; the file was left as it was";
    case TITLE_NO_MEMORY: return "out of memory";
    default: return "the title could not be written";
    }
}

} // namespace

ReadResult readTitle(const std::string& path)
{
    std::lock_guard<std::mutex> guard(titleLock());
    char buffer[TITLE_BUFFER_SIZE] = {};
    const int found = GetTitleName(path.c_str(), buffer);
    ReadResult result;
    if (found == 1) {
        result.status = ReadStatus::Ok;
        result.title = buffer;
        return result;
    }
    switch (title_outcome) {
    case TITLE_NOT_MP4: result.status = ReadStatus::NotMp4; break;
    case TITLE_NO_MOOV: result.status = ReadStatus::NoMoov; break;
    default: result.status = ReadStatus::CannotOpen; break;
    }
    return result;
}

WriteResult writeTitle(const std::string& path, const std::string& utf8Title)
{
    if (utf8Title.find('\0') != std::string::npos)
        return {false, "the title contains a zero byte"};
    std::lock_guard<std::mutex> guard(titleLock());
    if (SetTitleName(path.c_str(), utf8Title.c_str()) == 1)
        return {true, std::string()};
    return {false, writeReason(title_outcome, title_errno)};
}

WriteResult clearTitle(const std::string& path)
{
    return writeTitle(path, std::string());
}

const char* describe(ReadStatus status)
{
    switch (status) {
    case ReadStatus::Ok: return "ok";
    case ReadStatus::CannotOpen: return "cannot open";
    case ReadStatus::NotMp4: return "not an MP4 file";
    case ReadStatus::NoMoov: return "no moov atom (not a complete MP4 file)";
    }
    return "unknown error";
}

} // namespace mp4title
