// Title engine costs: reading and rewriting a title must cost the atoms in
// front of it, not the size of the video; and the time per file when a folder
// of small videos is read.

#include "mp4title/Title.h"
#include "mp4title/TitleCalls.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

std::string be32(uint32_t v)
{
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

std::string atom(const char* type, const std::string& payload)
{
    return be32(static_cast<uint32_t>(payload.size() + 8)) + type + payload;
}

std::string utf16be(const std::string& ascii)
{
    std::string out;
    for (char c : ascii) {
        out += '\0';
        out += c;
    }
    return out + std::string(2, '\0');
}

std::string entry(uint32_t type, uint16_t language, const std::string& data)
{
    const auto size = static_cast<uint16_t>(data.size() + 10);
    return std::string{static_cast<char>(size >> 8), static_cast<char>(size)} + be32(type)
        + std::string{static_cast<char>(language >> 8), static_cast<char>(language), 0, 1} + data;
}

// A moov like the ones a PSP-style encoder writes: mvhd, two tracks with
// sample tables, and the title atom last.
std::string pspMoov(const std::string& title)
{
    std::string trak;
    for (int t = 0; t < 2; ++t) {
        std::string stsz = be32(0) + be32(0) + be32(300);
        std::string stco = be32(0) + be32(300);
        for (int i = 0; i < 300; ++i) {
            stsz += be32(1000 + static_cast<uint32_t>(i));
            stco += be32(4096 + 1000 * static_cast<uint32_t>(i));
        }
        const std::string stbl = atom("stsd", be32(0) + be32(1) + atom("mp4v", std::string(78, '\0')))
            + atom("stts", be32(0) + be32(1) + be32(300) + be32(3003)) + atom("stsz", stsz) + atom("stco", stco);
        trak += atom("trak", atom("tkhd", std::string(84, '\0'))
                                 + atom("mdia", atom("mdhd", std::string(24, '\0'))
                                                    + atom("hdlr", be32(0) + be32(0) + "vide" + std::string(13, '\0'))
                                                    + atom("minf", atom("stbl", stbl))));
    }
    const std::string mtdt = std::string("\0\4", 2) + entry(11, 0x55C4, std::string("\x02\x1C", 2))
        + entry(4, 0x15C7, utf16be("avc2.0.11.1110")) + entry(1, 0x2A0E, utf16be(title))
        + entry(3, 0x55C4, utf16be("2005/05/16 07:48:36"));
    const std::string usmt = atom("uuid", std::string("USMT\x21\xD2\x4F\xCE\xBB\x88\x69\x5C\xFA\xC9\xC7\x40", 16)
                                              + atom("MTDT", mtdt));
    return atom("moov", atom("mvhd", std::string(100, '\0')) + trak + usmt);
}

class ScratchDir
{
public:
    ScratchDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "reelkeeper-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~ScratchDir() { std::filesystem::remove_all(m_path); }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// ftyp, an mdat of `mdatBytes` (a hole: the file is sparse), then the moov.
std::string makeVideo(const std::filesystem::path& path, int64_t mdatBytes, const std::string& title)
{
    const std::string head = atom("ftyp", std::string("MSNV\x01\x40\0\0MSNVisommp42", 20)) + be32(static_cast<uint32_t>(mdatBytes + 8)) + "mdat";
    const std::string moov = pspMoov(title);
    const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
    bool ok = fd >= 0 && ::pwrite(fd, head.data(), head.size(), 0) == static_cast<ssize_t>(head.size());
    ok = ok && ::pwrite(fd, moov.data(), moov.size(), static_cast<off_t>(head.size()) + mdatBytes) == static_cast<ssize_t>(moov.size());
    if (fd >= 0)
        ::close(fd);
    if (!ok)
        throw std::runtime_error("cannot write " + path.string());
    return path.string();
}

void BM_ReadTitle(benchmark::State& state)
{
    ScratchDir dir;
    const std::string path = makeVideo(dir.path() / "v.mp4", state.range(0), "A title");
    for (auto _ : state) {
        char buffer[512] = {};
        benchmark::DoNotOptimize(GetTitleName(path.c_str(), buffer));
    }
}
BENCHMARK(BM_ReadTitle)->Arg(int64_t(1) << 20)->Arg(int64_t(1) << 30)->Unit(benchmark::kMicrosecond);

void BM_RewriteTitle(benchmark::State& state)
{
    ScratchDir dir;
    const std::string path = makeVideo(dir.path() / "v.mp4", state.range(0), "A title");
    bool longer = false;
    for (auto _ : state) {
        // Alternating lengths: the file grows and is cut each time.
        longer = !longer;
        if (SetTitleName(path.c_str(), longer ? "A longer title" : "A title") != 1)
            state.SkipWithError("SetTitleName failed");
    }
}
BENCHMARK(BM_RewriteTitle)->Arg(int64_t(1) << 20)->Arg(int64_t(1) << 30)->Unit(benchmark::kMicrosecond);

void BM_ReadFolderOf1000(benchmark::State& state)
{
    ScratchDir dir;
    std::vector<std::string> paths;
    for (int i = 0; i < 1000; ++i) {
        char name[32];
        std::snprintf(name, sizeof(name), "m4v%05d.mp4", i);
        paths.push_back(makeVideo(dir.path() / name, 4096, "Video " + std::to_string(i)));
    }
    for (auto _ : state) {
        for (const auto& p : paths)
            benchmark::DoNotOptimize(mp4title::readTitle(p));
    }
    state.SetItemsProcessed(state.iterations() * 1000);
    state.counters["per_file"] = benchmark::Counter(static_cast<double>(state.iterations()) * 1000,
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
                                                       benchmark::Counter::kIs1000);
}
BENCHMARK(BM_ReadFolderOf1000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
