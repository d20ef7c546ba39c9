// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Fuzzes the picture maker through its in-memory entry: any bytes must give a
// 160 x 120 JPEG or a reason, within the time limit, never a read outside the data.
#include "thumbnail/Thumbnail.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    thumbnail::Limits limits;
    limits.timeLimit = std::chrono::milliseconds(1000);
    QString error;
    const auto jpeg = thumbnail::makeThumbnailFromBytes(bytes, &error, limits);
    if (jpeg ? !jpeg->startsWith("\xFF\xD8") || !error.isEmpty() : error.isEmpty())
        std::abort();
    return 0;
}
