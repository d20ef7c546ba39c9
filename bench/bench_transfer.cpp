// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The window thread during a copy and a conversion: the engine on its worker, its coalesced progress
// reports going to a real progress bar, and a 1 ms timer on the window thread that
// records the longest gap between its ticks.
#include "transfer/TransferJob.h"
#include "widgets/CPSPPrgCtrl.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include "support/QtBenchMain.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// Runs one job as the window does (its own thread, reports queued here) and
// gives the longest gap between ticks of a 1 ms timer on this thread.
double runJob(transfer::TransferRequest request, CPSPPrgCtrl& bar, int& reports)
{
    transfer::TransferJob job(std::move(request));
    QEventLoop loop;
    // Nothing here answers Yes: a question would mean the bench measures the wrong thing.
    QObject::connect(&job, &transfer::TransferJob::question, &job, [&](quint64 id, platform::PromptKind, const QString& text) {
        qWarning("unexpected question: %s", qPrintable(text));
        job.answer(id, false);
    });
    QObject::connect(&job, &transfer::TransferJob::progressChanged, &bar, [&](int percent) {
        bar.setValue(percent);
        ++reports;
    });
    QObject::connect(&job, &transfer::TransferJob::finished, &loop, &QEventLoop::quit);
    QElapsedTimer sinceTick;
    qint64 longest = 0;
    QTimer ticker;
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longest = std::max(longest, sinceTick.nsecsElapsed());
        sinceTick.restart();
    });
    sinceTick.start();
    ticker.start();
    job.start();
    loop.exec();
    return longest / 1e6;
}

// Copies (or converts) source to a fresh stick folder once per iteration.
void measureJobs(benchmark::State& state, const fs::path& root, const fs::path& source, transfer::ConvertPolicy policy)
{
    CPSPPrgCtrl bar;
    bar.show();
    double longestMs = 0;
    int reports = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(root / "stick/MP_ROOT/100MNV01");
        fs::create_directories(root / "stick/MP_ROOT/100MNV01");
        state.ResumeTiming();
        transfer::TransferRequest request;
        request.op = OP_COPY_TO_PSP;
        request.items = {{QString::fromStdString(source.string()), QString()}};
        request.localFolder = QString::fromStdString((root / "local").string());
        request.nextNum = QStringLiteral("1");
        request.pspPath = QString::fromStdString((root / "stick/MP_ROOT/100MNV01/").string());
        request.convert = policy;
        longestMs = std::max(longestMs, runJob(std::move(request), bar, reports));
    }
    state.counters["longest_stall_ms"] = longestMs;
    state.counters["progress_reports"] = static_cast<double>(reports) / state.iterations();
}

void BM_WindowDuringCopy(benchmark::State& state)
{
    const fs::path root = fs::temp_directory_path() / "reelkeeper-bench-transfer";
    fs::remove_all(root);
    fs::create_directories(root / "local");
    fs::create_directories(root / "stick/PSP/PHOTO");
    fs::create_directories(root / "stick/MP_ROOT/100MNV01");
    {
        // A short clip the PSP plays, then the bulk: the engine judges it a video.
        std::ofstream video(root / "local/big.mp4", std::ios::binary);
        std::ifstream clip(REELKEEPER_BENCH_CLIP, std::ios::binary);
        video << clip.rdbuf();
        const std::string chunk(1 << 20, '\x5a');
        for (int i = 0; i < state.range(0); ++i)
            video << chunk;
    }
    measureJobs(state, root, root / "local/big.mp4", transfer::ConvertPolicy::Never);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0) << 20);
    fs::remove_all(root);
}
BENCHMARK(BM_WindowDuringCopy)->Arg(512)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same during a conversion: a 720p H.264 High clip of range(0) seconds,
// converted on its way to the stick.
void BM_WindowDuringConversion(benchmark::State& state)
{
    const fs::path root = fs::temp_directory_path() / "reelkeeper-bench-conversion";
    fs::remove_all(root);
    fs::create_directories(root / "local");
    fs::create_directories(root / "stick/PSP/PHOTO");
    const fs::path source = root / "local/phone.mp4";
    const std::string make = "ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc2=size=1280x720:rate=30 -f lavfi -i sine "
                             "-t " + std::to_string(state.range(0)) + " -c:v libx264 -preset veryfast -profile:v high -c:a aac '"
        + source.string() + "'";
    if (std::system(make.c_str()) != 0) {
        state.SkipWithError("ffmpeg could not make the clip");
        return;
    }
    measureJobs(state, root, source, transfer::ConvertPolicy::Always);
    fs::remove_all(root);
}
BENCHMARK(BM_WindowDuringConversion)->Arg(20)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks(argc, argv);
}
