// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Region reading and outline computation, the work of every skin load and resize.
#include "skin/RegionReader.h"
#include "skin/WindowOutline.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QRandomGenerator>

namespace {

void put32(QByteArray& b, int at, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xFF);
}

// A 24-bit bitmap whose pixels are black with the given odds (1 in n).
QByteArray noisyBitmap(int width, int height, int blackOneIn)
{
    const int row = ((24 * width + 31) / 32) * 4;
    QByteArray b(54 + row * height, '\0');
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 10, 54);
    put32(b, 14, 40);
    put32(b, 18, quint32(width));
    put32(b, 22, quint32(height));
    b[28] = 24;
    QRandomGenerator random(1);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (random.bounded(blackOneIn) != 0)
                b[54 + y * row + 3 * x + 1] = char(0x80);
    return b;
}

void BM_RegionFromNoisyBitmap(benchmark::State& state)
{
    const QByteArray data = noisyBitmap(int(state.range(0)), int(state.range(0)) * 3 / 4, 4);
    for (auto _ : state)
        benchmark::DoNotOptimize(RegionReader::FromBytes(data, 0));
    state.SetBytesProcessed(int64_t(state.iterations()) * data.size());
}
BENCHMARK(BM_RegionFromNoisyBitmap)->Arg(16)->Arg(256)->Arg(1024);

void BM_OutlineUpdate(benchmark::State& state)
{
    CornerRegions corners;
    corners.lt = RegionReader::FromBytes(noisyBitmap(12, 12, 2), 0);
    corners.rt = corners.lt;
    corners.lb = corners.lt;
    corners.rb = corners.lt;
    int w = 800;
    for (auto _ : state)
        benchmark::DoNotOptimize(WindowOutline::Compute(corners, w++ % 400 + 620, 500));
}
BENCHMARK(BM_OutlineUpdate);

} // namespace

BENCHMARK_MAIN();
