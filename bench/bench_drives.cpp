// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Finding the PSP and filling the drive selector with 20 volumes, and what an
// idle mount watch costs.
#include "platform/MountWatcher.h"
#include "platform/Volumes.h"
#include "widgets/CDriveComboEx.h"
#include "storage/PspDrives.h"

#include <benchmark/benchmark.h>

#include "support/QtBenchMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <filesystem>
#include <memory>
#include <vector>

#include <sys/resource.h>

namespace {

// 20 declared volumes; only the last in mount-point order is a PSP.
struct TwentyVolumes
{
    TwentyVolumes()
    {
        platform::clearDeclaredVolumes();
        for (int i = 0; i < 20; ++i) {
            const auto root = std::filesystem::path(dir.path().toStdString()) / ("vol" + std::to_string(10 + i));
            std::filesystem::create_directories(root / (i == 19 ? "PSP/PHOTO" : "PSP/GAME"));
            platform::declareVolume(QString::fromStdString(root.string()));
        }
    }
    ~TwentyVolumes() { platform::clearDeclaredVolumes(); }
    QTemporaryDir dir;
};

void BM_FindFirstPsp20(benchmark::State& state)
{
    TwentyVolumes volumes;
    for (auto _ : state) {
        const QString root = storage::FirstPSPRoot();
        if (root.isEmpty())
            state.SkipWithError("no PSP found");
        benchmark::DoNotOptimize(root);
    }
}
BENCHMARK(BM_FindFirstPsp20)->Unit(benchmark::kMillisecond);

void BM_FillDriveList20(benchmark::State& state)
{
    TwentyVolumes volumes;
    CDriveComboEx combo;
    for (auto _ : state) {
        combo.FillDriveList();
        benchmark::DoNotOptimize(combo.count());
    }
    state.counters["items"] = combo.count();
}
BENCHMARK(BM_FillDriveList20)->Unit(benchmark::kMillisecond);

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// One second of an idle event loop with the watcher running: the CPU it takes.
void BM_IdleMountWatch(benchmark::State& state)
{
    platform::clearDeclaredVolumes();
    platform::MountWatcher watcher;
    int events = 0;
    QObject::connect(&watcher, &platform::MountWatcher::volumesChanged, [&] { ++events; });
    for (auto _ : state) {
        const double before = cpuSeconds();
        QEventLoop loop;
        QTimer::singleShot(1000, &loop, &QEventLoop::quit);
        loop.exec();
        state.counters["cpu_ms_per_idle_s"] = (cpuSeconds() - before) * 1000.0;
    }
    state.counters["events"] = events;
    state.counters["kernel_notify"] = watcher.watchingMountTable() ? 1 : 0;
}
BENCHMARK(BM_IdleMountWatch)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks(argc, argv);
}
