// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Fuzzes the corner-bitmap reader: any bytes must give a region or none,
// never a read outside the data, and the region must lie inside the bitmap.
#include "skin/RegionReader.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The reader refuses files beyond its limit; don't spend time on them.
    if (size > 1 << 20)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // A small flush size exercises the partial-region path on small inputs.
    const auto region = RegionReader::FromBytes(bytes, 0, 7);
    if (region && !region->isEmpty()) {
        const QRect box = region->boundingRect();
        if (box.left() < 0 || box.top() < 0)
            std::abort();
    }
    return 0;
}
