// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The copy routine of a transfer against cp and cp + sync, its peak memory,
// and how long a cancel takes to come back.
#include "platform/FileCopy.h"
#include "support/Spawn.h"

#include <benchmark/benchmark.h>

#include <QString>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>


namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::uint64_t kSize = std::uint64_t{1} << 30;

// A folder made for the run and removed after it.
struct Folder
{
    explicit Folder(const fs::path& parent)
    {
        std::string pattern = (parent / "reelkeeper-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            path = pattern;
    }
    ~Folder()
    {
        std::error_code ec;
        if (!path.empty())
            fs::remove_all(path, ec);
    }
    fs::path path;
};

// 1 GiB of incompressible bytes on the disk, written once per run.
const fs::path& source()
{
    static Folder folder(fs::temp_directory_path());
    static const fs::path path = [] {
        const fs::path file = folder.path / "source.mp4";
        const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        std::vector<std::uint64_t> block((std::size_t{4} << 20) / sizeof(std::uint64_t));
        std::uint64_t x = 0x9E3779B97F4A7C15ull;
        for (std::uint64_t written = 0; written < kSize; written += block.size() * sizeof block[0]) {
            for (auto& word : block) {
                x ^= x << 13;
                x ^= x >> 7;
                x ^= x << 17;
                word = x;
            }
            if (::write(fd, block.data(), block.size() * sizeof block[0]) < 0)
                break;
        }
        ::fsync(fd);
        ::close(fd);
        return file;
    }();
    return path;
}

// Where the copies go: 0 the same disk as the source, 1 tmpfs, 2 the folder
// named by REELKEEPER_BENCH_STICK (a mounted stick, say).
fs::path targetParent(std::int64_t where)
{
    if (where == 0)
        return fs::temp_directory_path();
    if (where == 1)
        return "/dev/shm";
    const char* stick = std::getenv("REELKEEPER_BENCH_STICK");
    return stick ? fs::path(stick) : fs::path();
}

// Settles the target's file system so that no run pays for the one before.
void settle(const fs::path& folder, const fs::path& file)
{
    std::error_code ec;
    fs::remove(file, ec);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::syncfs(fd);
    ::close(fd);
}

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Each iteration copies the source three ways, back to back: copyFile (timed),
// cp, and cp followed by sync of the new file. The ratio counters are the
// median over iterations of the other's time over copyFile's, so 1.0 means as
// fast and more means faster; interleaving keeps a busy moment of the machine
// from falling on one side only.
void BM_CopyGiB(benchmark::State& state)
{
    const fs::path parent = targetParent(state.range(0));
    if (parent.empty() || !fs::is_directory(parent)) {
        state.SkipWithError("no such target folder");
        return;
    }
    const fs::path& from = source();
    const Folder folder(parent);
    const fs::path to = folder.path / "M4V00001.MP4";
    const QString qFrom = QString::fromStdString(from.string());
    const QString qTo = QString::fromStdString(to.string());
    std::vector<double> vsCp, vsCpSync;
    double cp = 0, cpSync = 0;
    for (auto _ : state) {
        settle(folder.path, to);
        auto start = Clock::now();
        const platform::CopyResult result = platform::fileOps().copyFile(qFrom, qTo, true);
        const double ours = seconds(Clock::now() - start);
        if (!result.ok()) {
            state.SkipWithError("copy failed");
            return;
        }
        state.SetIterationTime(ours);

        settle(folder.path, to);
        start = Clock::now();
        bench::spawnAndWait({"cp", from.string(), to.string()});
        const double plain = seconds(Clock::now() - start);

        settle(folder.path, to);
        start = Clock::now();
        bench::spawnAndWait({"cp", from.string(), to.string()});
        bench::spawnAndWait({"sync", to.string()});
        const double synced = seconds(Clock::now() - start);

        vsCp.push_back(plain / ours);
        vsCpSync.push_back(synced / ours);
        cp += plain;
        cpSync += synced;
    }
    settle(folder.path, to);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kSize));
    state.counters["vs_cp"] = median(vsCp);
    state.counters["vs_cp_sync"] = median(vsCpSync);
    state.counters["cp_MiBps"] = static_cast<double>(state.iterations()) * 1024 / cp;
    state.counters["cp_sync_MiBps"] = static_cast<double>(state.iterations()) * 1024 / cpSync;
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024;
}

void targets(benchmark::internal::Benchmark* b)
{
    b->Arg(0)->Arg(1);
    if (std::getenv("REELKEEPER_BENCH_STICK"))
        b->Arg(2);
}

BENCHMARK(BM_CopyGiB)->Apply(targets)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

// From the moment the cancel flag is raised, an eighth into the copy, to
// copyFile's return with its partial target removed.
void BM_CancelLatency(benchmark::State& state)
{
    const fs::path parent = targetParent(state.range(0));
    if (parent.empty() || !fs::is_directory(parent)) {
        state.SkipWithError("no such target folder");
        return;
    }
    const fs::path& from = source();
    const Folder folder(parent);
    const fs::path to = folder.path / "M4V00001.MP4";
    double worst = 0;
    for (auto _ : state) {
        settle(folder.path, to);
        std::atomic<bool> cancel{false};
        std::atomic<std::uint64_t> copied{0};
        std::atomic<Clock::rep> raised{0};
        std::thread closer([&] {
            while (copied < kSize / 8)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            raised = Clock::now().time_since_epoch().count();
            cancel = true;
        });
        const platform::CopyResult result = platform::fileOps().copyFile(
            QString::fromStdString(from.string()), QString::fromStdString(to.string()), true,
            [&](std::uint64_t, std::uint64_t done) {
                copied = done;
                return !cancel.load();
            });
        const auto returned = Clock::now();
        closer.join();
        if (result.status != platform::CopyStatus::Cancelled || fs::exists(to)) {
            state.SkipWithError("the copy was not cancelled cleanly");
            return;
        }
        const double latency = seconds(returned - Clock::time_point(Clock::duration(raised.load())));
        state.SetIterationTime(latency);
        worst = std::max(worst, latency);
    }
    state.counters["worst_ms"] = worst * 1000;
}
BENCHMARK(BM_CancelLatency)->Apply(targets)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
