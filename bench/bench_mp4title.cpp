// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Title engine costs: reading and rewriting a title must cost the atoms in
// front of it and the syncs, not the size of the video; the time per file when
// a folder of small videos is read; and, for comparison, what a user would
// otherwise run: an ffmpeg remux with the new title, of the same file.

#include "mp4title/Title.h"
#include "mp4title/TitleCalls.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
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

// --- retitles with their syncs, against an ffmpeg remux of the same file ---

// The video track of a small ffmpeg-made file: its sample description and its
// first frame, so that ffmpeg accepts the big file built around them.
struct RealTrack {
    std::string stsd;
    std::string frame;
};

uint32_t be32At(const std::string& b, size_t at)
{
    return (uint32_t(uint8_t(b[at])) << 24) | (uint32_t(uint8_t(b[at + 1])) << 16) | (uint32_t(uint8_t(b[at + 2])) << 8)
        | uint8_t(b[at + 3]);
}

const RealTrack& realTrack()
{
    static const RealTrack track = [] {
        const auto path = std::filesystem::path(__FILE__).parent_path().parent_path() / "tests/data/mp4/hello.mp4";
        std::ifstream in(path, std::ios::binary);
        const std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const size_t stsd = b.find("stsd"), stco = b.find("stco"), stsz = b.find("stsz");
        if (stsd == std::string::npos || stco == std::string::npos || stsz == std::string::npos)
            throw std::runtime_error("cannot read " + path.string());
        const uint32_t first = be32At(b, stsz + 8) ? be32At(b, stsz + 8) : be32At(b, stsz + 16);
        return RealTrack{b.substr(stsd - 4, be32At(b, stsd - 4)), b.substr(be32At(b, stco + 12), first)};
    }();
    return track;
}

std::string fullAtom(const char* type, const std::string& payload)
{
    return atom(type, be32(0) + payload);
}

// One video track whose 64 KiB samples fill the media data from `mdatAt` on.
std::string remuxableMoov(int64_t mdatAt, int64_t mdatBytes)
{
    const uint32_t sample = 65536, n = static_cast<uint32_t>(mdatBytes / sample);
    std::string stco = be32(n);
    for (uint32_t k = 0; k < n; ++k)
        stco += be32(static_cast<uint32_t>(mdatAt + int64_t(k) * sample));
    const std::string matrix = be32(0x10000) + be32(0) + be32(0) + be32(0) + be32(0x10000) + be32(0) + be32(0) + be32(0) + be32(0x40000000);
    const std::string stbl = atom("stbl", realTrack().stsd + fullAtom("stts", be32(1) + be32(n) + be32(1000))
                                              + fullAtom("stsc", be32(1) + be32(1) + be32(1) + be32(1))
                                              + fullAtom("stsz", be32(sample) + be32(n)) + fullAtom("stco", stco));
    const std::string minf = atom("minf", fullAtom("vmhd", std::string(8, '\0'))
                                              + atom("dinf", fullAtom("dref", be32(1) + fullAtom("url ", "").substr(0, 8) + be32(1)))
                                              + stbl);
    const std::string mdia = atom("mdia", fullAtom("mdhd", be32(0) + be32(0) + be32(25000) + be32(n * 1000) + be32(0x55C40000))
                                              + fullAtom("hdlr", be32(0) + "vide" + std::string(12, '\0') + "Video" + '\0') + minf);
    const std::string tkhd = fullAtom("tkhd", be32(0) + be32(0) + be32(1) + be32(0) + be32(n * 1000) + std::string(16, '\0')
                                                  + matrix + be32(32u << 16) + be32(16u << 16));
    const std::string mvhd = fullAtom("mvhd", be32(0) + be32(0) + be32(25000) + be32(n * 1000) + be32(0x10000)
                                                  + std::string("\x01\0", 2) + std::string(10, '\0') + matrix
                                                  + std::string(24, '\0') + be32(2));
    return atom("moov", mvhd + atom("trak", tkhd + mdia));
}

const std::string kFtyp = atom("ftyp", std::string("MSNV\x01\x40\0\0MSNVisommp42", 20));

void writeAt(int fd, const std::string& bytes, int64_t at)
{
    if (::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(at)) != static_cast<ssize_t>(bytes.size()))
        throw std::runtime_error("cannot write a benchmark video");
}

// A sparse video of `mdatBytes` media: ftyp, mdat, moov (the PSP's layout), or
// ftyp, moov, mdat when `fastStart`. Its first sample is a real frame.
void makeRemuxable(const std::string& path, int64_t mdatBytes, bool fastStart)
{
    const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
    if (fd < 0)
        throw std::runtime_error("cannot create " + path);
    const std::string mdatHead = be32(static_cast<uint32_t>(mdatBytes + 8)) + "mdat";
    if (fastStart) {
        const int64_t moovSize = static_cast<int64_t>(remuxableMoov(0, mdatBytes).size());
        const int64_t mdatAt = static_cast<int64_t>(kFtyp.size()) + moovSize + 8;
        writeAt(fd, kFtyp + remuxableMoov(mdatAt, mdatBytes) + mdatHead + realTrack().frame, 0);
        if (::ftruncate(fd, static_cast<off_t>(mdatAt + mdatBytes)) != 0)
            throw std::runtime_error("cannot size " + path);
    } else {
        const int64_t mdatAt = static_cast<int64_t>(kFtyp.size()) + 8;
        writeAt(fd, kFtyp + mdatHead + realTrack().frame, 0);
        writeAt(fd, remuxableMoov(mdatAt, mdatBytes), mdatAt + mdatBytes);
    }
    ::close(fd);
}

// Where the videos live: a folder on the disk (TMPDIR or /tmp, or
// REELKEEPER_BENCH_DISK), or tmpfs.
class PlacedDir
{
public:
    explicit PlacedDir(int64_t place)
    {
        const char* disk = std::getenv("REELKEEPER_BENCH_DISK");
        const std::filesystem::path base = place == 1 ? std::filesystem::path("/dev/shm")
            : disk ? std::filesystem::path(disk) : std::filesystem::temp_directory_path();
        std::string pattern = (base / "reelkeeper-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed in " + base.string());
        m_path = pattern;
    }
    ~PlacedDir() { std::filesystem::remove_all(m_path); }
    std::string file(const char* name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

const int64_t kSmall = int64_t(1) << 20;
const int64_t kLarge = int64_t(2200) << 20;

void placeArgs(benchmark::internal::Benchmark* b)
{
    for (int64_t place : {0, 1})
        for (int64_t size : {kSmall, kLarge})
            b->Args({size, place});
    b->ArgNames({"media", "tmpfs"})->Unit(benchmark::kMillisecond);
}

// Alternating a longer and a shorter title: one change appends the new title
// atom, the next takes the space the old one left.
void BM_RetitleSynced(benchmark::State& state)
{
    PlacedDir dir(state.range(1));
    const std::string path = dir.file("v.mp4");
    makeRemuxable(path, state.range(0), false);
    bool longer = false;
    for (auto _ : state) {
        longer = !longer;
        if (SetTitleName(path.c_str(), longer ? "A longer title for a change" : "A title") != 1)
            state.SkipWithError("SetTitleName failed");
    }
}
BENCHMARK(BM_RetitleSynced)->Apply(placeArgs);

// The first retitle of a fast-start file: a new moov after the media data.
void BM_FastStartRetitleSynced(benchmark::State& state)
{
    PlacedDir dir(state.range(1));
    const std::string path = dir.file("v.mp4");
    for (auto _ : state) {
        state.PauseTiming();
        makeRemuxable(path, state.range(0), true);
        state.ResumeTiming();
        if (SetTitleName(path.c_str(), "A title") != 1)
            state.SkipWithError("SetTitleName failed");
    }
}
BENCHMARK(BM_FastStartRetitleSynced)->Apply(placeArgs);

// What a user would otherwise run, on the same file: an ffmpeg remux with the
// new title, and the new file synced as the retitle syncs its change.
void BM_FfmpegRemuxSynced(benchmark::State& state)
{
    PlacedDir dir(state.range(1));
    const std::string path = dir.file("v.mp4");
    const std::string out = dir.file("out.mp4");
    makeRemuxable(path, state.range(0), false);
    for (auto _ : state) {
        pid_t pid = 0;
        const char* argv[] = {"ffmpeg", "-v", "error", "-y", "-i", path.c_str(), "-map", "0", "-c", "copy",
                              "-metadata", "title=A title", out.c_str(), nullptr};
        int status = 0;
        if (::posix_spawnp(&pid, "ffmpeg", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0
            || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("ffmpeg failed (is it installed?)");
            break;
        }
        const int fd = ::open(out.c_str(), O_RDONLY);
        ::fdatasync(fd);
        ::close(fd);
        state.PauseTiming();
        ::unlink(out.c_str());
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FfmpegRemuxSynced)->Apply(placeArgs);

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
