// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Catalogue figures: filling a list from a folder of PSP videos while the window
// thread keeps running.
#include "storage/Catalogue.h"
#include "thumbnail/Cache.h"
#include "widgets/CVideoListCtrl.h"
#include "widgets/VideoEntry.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QTimer>

#include <benchmark/benchmark.h>

#include "support/QtBenchMain.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

std::string be32(std::uint32_t v)
{
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

std::string box(const char* type, const std::string& body)
{
    return be32(static_cast<std::uint32_t>(8 + body.size())) + type + body;
}

// A small PSP-style MP4: ftyp, mdat, moov last.
std::string benchMp4(std::size_t payload)
{
    std::string mvhd(100, '\0');
    mvhd[15] = 1;
    return box("ftyp", std::string("MSNV") + be32(0x01000000) + "MSNVisom") + box("mdat", std::string(payload, 'v'))
        + box("moov", box("mvhd", mvhd));
}

std::filesystem::path makeFolder(int videos, bool thumbnails)
{
    const auto root = std::filesystem::temp_directory_path()
        / ("reelkeeper-bench-" + std::to_string(videos) + (thumbnails ? "-thm" : ""));
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root);
    QImage picture(160, 120, QImage::Format_RGB32);
    for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < 160; ++x)
            picture.setPixel(x, y, qRgb(x, y * 2, (x + y) % 256));
    }
    const auto firstThumb = root / "M4V00000.THM";
    if (thumbnails)
        picture.save(QString::fromStdString(firstThumb.string()), "JPEG");
    const std::string video = benchMp4(64 * 1024);
    for (int i = 0; i < videos; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "M4V%05d", i);
        std::ofstream(root / (std::string(name) + ".MP4"), std::ios::binary) << video;
        if (thumbnails && i > 0)
            std::filesystem::copy_file(firstThumb, root / (std::string(name) + ".THM"));
    }
    return root;
}

// The window thread's view of one fill, until the list sends done: a 1 ms timer
// records the longest gap between its ticks (the longest stall), and the times
// to the first row, to the last row and to done, in milliseconds.
struct FillTimes
{
    double firstRow = 0, lastRow = 0, done = 0, longestStall = 0;

    // Sums the times of fills, keeping the longest stall of all.
    void add(const FillTimes& t)
    {
        firstRow += t.firstRow;
        lastRow += t.lastRow;
        done += t.done;
        longestStall = std::max(longestStall, t.longestStall);
    }
    // The mean times to the first and last row and the longest stall, as counters.
    void report(benchmark::State& state) const
    {
        const double n = static_cast<double>(state.iterations());
        state.counters["first_row_ms"] = firstRow / n;
        state.counters["last_row_ms"] = lastRow / n;
        state.counters["longest_stall_ms"] = longestStall;
    }
};

FillTimes timeFill(CVideoListCtrl& list, const QString& pattern, void (CVideoListCtrl::*done)())
{
    QEventLoop loop;
    QElapsedTimer clock;
    QElapsedTimer sinceTick;
    qint64 longest = 0, first = -1, lastRow = 0;
    QTimer ticker;
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longest = std::max(longest, sinceTick.nsecsElapsed());
        sinceTick.restart();
    });
    const auto rows = QObject::connect(list.model(), &QAbstractItemModel::rowsInserted, [&] {
        if (first < 0)
            first = clock.nsecsElapsed();
    });
    const auto end = QObject::connect(&list, &CVideoListCtrl::fillFinished, [&] { lastRow = clock.nsecsElapsed(); });
    const auto quit = QObject::connect(&list, done, &loop, &QEventLoop::quit);
    clock.start();
    sinceTick.start();
    ticker.start();
    list.FillList(pattern);
    loop.exec();
    const FillTimes times{first / 1e6, lastRow / 1e6, clock.nsecsElapsed() / 1e6, longest / 1e6};
    for (const auto& connection : {rows, end, quit})
        QObject::disconnect(connection);
    return times;
}

void BM_FillList1000(benchmark::State& state)
{
    const auto folder = makeFolder(1000, true);
    const QString pattern = storage::videoPattern(QString::fromStdString(folder.string()));
    CVideoListCtrl list;
    list.resize(320, 480);
    list.show();
    FillTimes sum;
    for (auto _ : state) {
        sum.add(timeFill(list, pattern, &CVideoListCtrl::fillFinished));
        if (list.count() != 1000)
            state.SkipWithError("not every video was listed");
    }
    sum.report(state);
    state.counters["videos_per_s"] = benchmark::Counter(1000.0 * state.iterations(), benchmark::Counter::kIsRate);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_FillList1000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// 1000 real clips (H.264 and AAC, moov at the end) with thumbnails beside them.
// Arg 0: the fill without the PSP's verdict; 1: with it (the program's own fill).
void BM_FillListVerdict1000(benchmark::State& state)
{
    const auto folder = std::filesystem::temp_directory_path() / "reelkeeper-bench-verdict-1000";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    QImage picture(160, 120, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    picture.save(QString::fromStdString((folder / "clip0.THM").string()), "JPEG");
    for (int i = 0; i < 1000; ++i) {
        std::filesystem::copy_file(REELKEEPER_BENCH_CLIP, folder / ("clip" + std::to_string(i) + ".mp4"));
        if (i > 0)
            std::filesystem::copy_file(folder / "clip0.THM", folder / ("clip" + std::to_string(i) + ".THM"));
    }
    CVideoListCtrl::setPlayCheck(state.range(0) != 0);
    const QString pattern = storage::listedVideoPattern(QString::fromStdString(folder.string()));
    CVideoListCtrl list;
    list.resize(320, 480);
    list.show();
    FillTimes sum;
    for (auto _ : state) {
        sum.add(timeFill(list, pattern, &CVideoListCtrl::fillFinished));
        if (list.count() != 1000 || (state.range(0) != 0) != list.entryAt(999)->verdict.has_value())
            state.SkipWithError("not every video was listed and judged as asked");
    }
    CVideoListCtrl::setPlayCheck(true);
    sum.report(state);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_FillListVerdict1000)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// 1000 real clips without thumbnails: the rows, then a picture made from each video.
// Arg 0: an empty cache before every fill (each video decoded); 1: the pictures cached.
void BM_FillListMadePictures1000(benchmark::State& state)
{
    const bool cached = state.range(0) != 0;
    const auto folder = std::filesystem::temp_directory_path() / "reelkeeper-bench-clips-1000";
    const auto cache = std::filesystem::temp_directory_path() / "reelkeeper-bench-cache";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    for (int i = 0; i < 1000; ++i)
        std::filesystem::copy_file(REELKEEPER_BENCH_CLIP, folder / ("clip" + std::to_string(i) + ".mp4"));
    std::filesystem::remove_all(cache);
    thumbnail::setCacheRoot(QString::fromStdString(cache.string()));
    const QString pattern = storage::videoPattern(QString::fromStdString(folder.string()));
    CVideoListCtrl list;
    list.resize(320, 480);
    list.show();
    if (cached)
        timeFill(list, pattern, &CVideoListCtrl::picturesFinished);
    FillTimes sum;
    for (auto _ : state) {
        if (!cached) {
            state.PauseTiming();
            std::filesystem::remove_all(cache);
            state.ResumeTiming();
        }
        sum.add(timeFill(list, pattern, &CVideoListCtrl::picturesFinished));
    }
    sum.report(state);
    const double n = static_cast<double>(state.iterations());
    state.counters["pictures_done_ms"] = sum.done / n;
    state.counters["pictures_per_s"] = 1000.0 * n / (sum.done / 1000.0);
    thumbnail::setCacheRoot({});
    std::filesystem::remove_all(folder);
    std::filesystem::remove_all(cache);
}
BENCHMARK(BM_FillListMadePictures1000)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks(argc, argv);
}
