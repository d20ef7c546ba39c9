#include "StorageTestSupport.h"

#include <QFile>

#include <sys/time.h>

namespace {

std::string be32(std::uint32_t v)
{
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

std::string box(const char* type, const std::string& body)
{
    return be32(static_cast<std::uint32_t>(8 + body.size())) + type + body;
}

} // namespace

std::string minimalMp4(std::size_t size)
{
    const std::string ftyp = box("ftyp", std::string("MSNV") + be32(0x01000000) + "MSNVisom");
    std::string mvhd(100, '\0');
    mvhd[15] = 1;                     // time scale 1... enough for a reader
    mvhd.replace(20, 4, be32(0x00010000)); // rate 1.0
    const std::string moov = box("moov", box("mvhd", mvhd));
    const std::size_t fixed = ftyp.size() + moov.size() + 8;
    const std::string mdat = box("mdat", std::string(size > fixed ? size - fixed : 0, '\x11'));
    return ftyp + mdat + moov;
}

QString qpath(const std::filesystem::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

void setMtime(const std::filesystem::path& path, std::time_t stamp)
{
    const timeval times[2] = {{stamp, 0}, {stamp, 0}};
    ::utimes(path.c_str(), times);
}
