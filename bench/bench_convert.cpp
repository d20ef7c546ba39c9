// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Conversion of a 60 s 1080p30 H.264 High clip (made by ffmpeg at the first
// run) to each profile: "reelkeeper-cli convert" against the ffmpeg command
// with the same settings, both as child processes with the same thread count
// (2 decoder and 2 encoder threads). Wall time per conversion, and the child's
// peak resident memory as a counter (wait4).
#include <benchmark/benchmark.h>

#include "support/Spawn.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kRoot = fs::temp_directory_path() / "reelkeeper-bench-convert";

const fs::path& clip()
{
    static const fs::path path = [] {
        fs::create_directories(kRoot);
        const fs::path p = kRoot / "clip-1080p30-60s.mp4";
        if (!fs::exists(p))
            bench::spawnAndWait({"ffmpeg", "-y", "-f", "lavfi", "-i", "testsrc2=s=1920x1080:r=30:d=60", "-f", "lavfi",
                                 "-i", "sine=f=440:d=60", "-c:v", "libx264", "-preset", "veryfast", "-profile:v", "high",
                                 "-pix_fmt", "yuv420p", "-c:a", "aac", "-b:a", "128k", p.string()},
                                bench::Output::None);
        return p;
    }();
    return path;
}

// ffmpeg's settings for each profile, as in the profile table.
std::vector<std::string> ffmpegArgs(const std::string& profile, const fs::path& out)
{
    std::vector<std::string> a{"ffmpeg", "-y", "-threads", "2", "-i", clip().string(), "-threads", "2", "-sws_flags", "bicubic"};
    if (profile == "avc480") {
        a.insert(a.end(), {"-vf", "scale=480:272:force_original_aspect_ratio=decrease,pad=480:272:-1:-1,setsar=1",
                           "-r", "30", "-pix_fmt", "yuv420p", "-c:v", "libx264", "-profile:v", "main", "-level", "21",
                           "-refs", "2", "-bf", "1", "-b-pyramid", "none", "-coder", "cabac", "-slices", "1", "-g", "300",
                           "-crf", "21", "-maxrate", "1500k", "-bufsize", "3000k", "-c:a", "aac", "-b:a", "128k",
                           "-ar", "48000", "-ac", "2"});
    } else {
        a.insert(a.end(), {"-vf", "scale=368:208:force_original_aspect_ratio=decrease,pad=368:208:-1:-1,setsar=1",
                           "-r", "30000/1001", "-pix_fmt", "yuv420p", "-c:v", "mpeg4", "-b:v", "640k", "-maxrate",
                           "640k", "-bufsize", "1280k", "-bf", "0", "-g", "300", "-mbd", "2", "-c:a", "aac", "-b:a",
                           "96k", "-ar", "24000", "-ac", "2"});
    }
    a.insert(a.end(), {"-metadata", "title=clip-1080p30-60s", "-f", "psp", out.string()});
    return a;
}

void convertWith(benchmark::State& state, const std::string& profile, bool ours)
{
    const fs::path out = kRoot / ("out-" + profile + (ours ? "-ours" : "-ffmpeg") + ".mp4");
    long peak = 0;
    for (auto _ : state) {
        fs::remove(out);
        const bench::Spawned run = bench::spawnAndWait(
            ours ? std::vector<std::string>{REELKEEPER_BENCH_BIN "/reelkeeper-cli", "convert", "--profile", profile,
                                            clip().string(), out.string()}
                 : ffmpegArgs(profile, out),
            bench::Output::None);
        if (!run.ok) {
            state.SkipWithError("conversion failed");
            return;
        }
        state.SetIterationTime(run.seconds);
        peak = std::max(peak, run.peakKb);
    }
    state.counters["peak_MiB"] = static_cast<double>(peak) / 1024.0;
    state.counters["out_MiB"] = static_cast<double>(fs::file_size(out)) / (1024.0 * 1024.0);
}

void BM_Convert_avc480_ours(benchmark::State& s) { convertWith(s, "avc480", true); }
void BM_Convert_avc480_ffmpeg(benchmark::State& s) { convertWith(s, "avc480", false); }
void BM_Convert_mpeg4_ours(benchmark::State& s) { convertWith(s, "mpeg4", true); }
void BM_Convert_mpeg4_ffmpeg(benchmark::State& s) { convertWith(s, "mpeg4", false); }

} // namespace

BENCHMARK(BM_Convert_avc480_ours)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_Convert_avc480_ffmpeg)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_Convert_mpeg4_ours)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_Convert_mpeg4_ffmpeg)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_MAIN();
