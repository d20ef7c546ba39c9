// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Whole-process wall time of the command-line tool: "--version", "title get" on
// one file, and a program that only loads Qt Core, the floor the tool can reach;
// exiftool reading the same title is what a user would otherwise run.
#include <benchmark/benchmark.h>

#include "support/Spawn.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void runMedianOfTen(benchmark::State& state, const std::vector<std::string>& args)
{
    std::vector<double> times;
    for (auto _ : state) {
        const bench::Spawned run = bench::spawnAndWait(args, bench::Output::NoStdout);
        if (!run.started) {
            state.SkipWithError("cannot start the program");
            return;
        }
        times.push_back(run.seconds * 1000.0);
    }
    std::sort(times.begin(), times.end());
    state.counters["median_ms"] = times[times.size() / 2];
}

const std::string kDir = REELKEEPER_BENCH_BIN;

void BM_QtCoreFloor(benchmark::State& state)
{
    runMedianOfTen(state, {kDir + "/qtcore_floor"});
}
BENCHMARK(BM_QtCoreFloor)->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CliVersion(benchmark::State& state)
{
    runMedianOfTen(state, {kDir + "/reelkeeper-cli", "--version"});
}
BENCHMARK(BM_CliVersion)->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CliTitleGet(benchmark::State& state)
{
    runMedianOfTen(state, {kDir + "/reelkeeper-cli", "title", "get", REELKEEPER_BENCH_VIDEO});
}
BENCHMARK(BM_CliTitleGet)->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ExiftoolTitleGet(benchmark::State& state)
{
    if (std::system("command -v exiftool >/dev/null 2>&1") != 0) {
        state.SkipWithError("exiftool is not installed (libimage-exiftool-perl)");
        return;
    }
    runMedianOfTen(state, {"/usr/bin/exiftool", "-s3", "-Title", REELKEEPER_BENCH_VIDEO});
}
BENCHMARK(BM_ExiftoolTitleGet)->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
