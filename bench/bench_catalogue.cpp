// Catalogue figures: filling a list from a folder of PSP videos, and the space
// update after selecting every row of a long list.
#include "storage/CPSPVolCtrl.h"
#include "storage/CVideoListCtrl.h"
#include "storage/Catalogue.h"
#include "storage/SpaceAccounting.h"
#include "storage/VideoListModel.h"

#include <QApplication>
#include <QImage>
#include <QLabel>

#include <benchmark/benchmark.h>

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

void BM_FillList1000(benchmark::State& state)
{
    const auto folder = makeFolder(1000, true);
    CVideoListCtrl list;
    list.resize(300, 400);
    list.show();
    list.InitList();
    const QString pattern = storage::videoPattern(QString::fromStdString(folder.string()));
    list.FillList(pattern); // warm the cache
    for (auto _ : state) {
        list.FillList(pattern);
        benchmark::DoNotOptimize(list.count());
    }
    if (list.count() != 1000)
        state.SkipWithError("wrong number of rows");
    state.SetItemsProcessed(state.iterations() * 1000);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_FillList1000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SelectAll5000(benchmark::State& state)
{
    const auto folder = makeFolder(5000, false);
    QWidget window;
    auto* local = new CVideoListCtrl(&window);
    auto* psp = new CVideoListCtrl(&window);
    auto* bar = new CPSPVolCtrl(&window);
    auto* status = new QLabel(&window);
    local->resize(300, 400);
    window.show();
    local->InitList();
    bar->m_nWidth = 100;
    for (int i = 0; i < 5000; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/M4V%05d.MP4", i);
        auto entry = std::make_unique<VideoEntry>();
        entry->strPath = QString::fromStdString(folder.string()) + QString::fromLatin1(name);
        local->videoModel()->append(QStringLiteral("Video %1").arg(i), std::move(entry));
    }
    int updates = 0;
    storage::MainWindowParts parts;
    parts.window = &window;
    parts.localList = local;
    parts.pspList = psp;
    parts.usageBar = bar;
    const QString pspPath = QString::fromStdString(folder.string()) + u'/';
    parts.pspPath = [&] { return pspPath; };
    parts.setSpaceText = [&](const QString& text) {
        status->setText(text);
        ++updates;
    };
    storage::SpaceUpdater updater(parts);
    int timedUpdates = 0;
    for (auto _ : state) {
        const int before = updates;
        local->selectAll();
        while (updates == before)
            QCoreApplication::processEvents();
        QCoreApplication::processEvents(); // a second update would show up here
        timedUpdates += updates - before;
        state.PauseTiming();
        local->clearSelection();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    // One space update per select-all, however many rows changed.
    state.counters["space_updates"] = benchmark::Counter(timedUpdates, benchmark::Counter::kAvgIterations);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_SelectAll5000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
