// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Thumbnails per second over a folder of the test clips: the program's own
// maker in one process, the same through "reelkeeper-cli thumbnail" per file,
// and what a user would run per file: ffmpeg with a seek, one frame and a
// scale-and-pad filter.
#include "thumbnail/Thumbnail.h"

#include <QString>

#include <benchmark/benchmark.h>

#include "support/Spawn.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// 20 copies of each clip (4:3 with a black start, 16:9), so the file cache is warm but each file is its own.
std::vector<fs::path> clipFolder()
{
    static std::vector<fs::path> files;
    if (!files.empty())
        return files;
    const fs::path root = fs::temp_directory_path() / "reelkeeper-bench-clips";
    fs::remove_all(root);
    fs::create_directories(root);
    for (int i = 0; i < 20; ++i) {
        for (const char* clip : {"black-start", "wide"}) {
            const fs::path to = root / (std::string(clip) + "-" + std::to_string(i) + ".mp4");
            fs::copy_file(fs::path(REELKEEPER_BENCH_CLIPS) / (std::string(clip) + ".mp4"), to);
            files.push_back(to);
        }
    }
    return files;
}

void perFile(benchmark::State& state, const std::function<bool(const fs::path&, const fs::path&)>& make)
{
    const auto files = clipFolder();
    const fs::path out = fs::temp_directory_path() / "reelkeeper-bench-out.jpg";
    for (auto _ : state) {
        for (const fs::path& file : files) {
            if (!make(file, out)) {
                state.SkipWithError("no thumbnail made");
                return;
            }
        }
    }
    state.counters["thumbnails_per_s"] = benchmark::Counter(static_cast<double>(files.size() * state.iterations()),
                                                            benchmark::Counter::kIsRate);
}

void BM_MakeThumbnail(benchmark::State& state)
{
    perFile(state, [](const fs::path& file, const fs::path&) {
        return thumbnail::makeThumbnail(QString::fromStdString(file.string()), nullptr).has_value();
    });
}
BENCHMARK(BM_MakeThumbnail)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CliThumbnail(benchmark::State& state)
{
    perFile(state, [](const fs::path& file, const fs::path& out) {
        return bench::spawnAndWait({REELKEEPER_BENCH_BIN "/reelkeeper-cli", "thumbnail", "--force", file.string(), out.string()},
                                   bench::Output::NoStdout).ok;
    });
}
BENCHMARK(BM_CliThumbnail)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FfmpegThumbnail(benchmark::State& state)
{
    perFile(state, [](const fs::path& file, const fs::path& out) {
        return bench::spawnAndWait({"ffmpeg", "-v", "error", "-y", "-ss", "0.2", "-i", file.string(), "-frames:v", "1",
                                    "-vf", "scale=160:120:force_original_aspect_ratio=decrease,pad=160:120:(ow-iw)/2:(oh-ih)/2",
                                    out.string()},
                                   bench::Output::NoStdout).ok;
    });
}
BENCHMARK(BM_FfmpegThumbnail)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
