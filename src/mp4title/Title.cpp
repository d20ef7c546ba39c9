#include "mp4title/Title.h"

namespace mp4title {

ReadResult readTitle(const std::string&)
{
    return {};
}

WriteResult writeTitle(const std::string&, const std::string&)
{
    return {false, "cannot open"};
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
    case ReadStatus::NoMoov: return "no moov atom";
    }
    return "unknown error";
}

} // namespace mp4title
