// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "skin/RegionReader.h"

#include <QFile>

#include <algorithm>
#include <vector>

namespace {

quint32 le32(const QByteArray& d, qint64 at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(d.constData()) + at;
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}

quint16 le16(const QByteArray& d, qint64 at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(d.constData()) + at;
    return quint16(p[0] | (p[1] << 8));
}

constexpr qint64 kHeaderSize = 54;

} // namespace

std::optional<QRegion> RegionReader::Read(const QString& path, quint32 keyColor)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (file.size() > kMaxFileSize)
        return std::nullopt;
    // Read at most one byte over the cap so that a growing file is still caught.
    const QByteArray data = file.read(kMaxFileSize + 1);
    if (data.size() > kMaxFileSize)
        return std::nullopt;
    return FromBytes(data, keyColor);
}

std::optional<QRegion> RegionReader::FromBytes(const QByteArray& data, quint32 keyColor)
{
    return FromBytes(data, keyColor, kFlushEvery);
}

std::optional<QRegion> RegionReader::FromBytes(const QByteArray& data, quint32 keyColor, int flushEvery)
{
    const qint64 size = data.size();
    if (size <= kHeaderSize)
        return std::nullopt;
    if (data[0] != 'B' || data[1] != 'M')
        return std::nullopt;
    if (flushEvery < 1)
        flushEvery = kFlushEvery;

    const qint64 offset = le32(data, 10);
    const qint64 width = qint32(le32(data, 14 + 4));
    const qint64 height = qint32(le32(data, 14 + 8));
    const qint64 bitsPerPixel = le16(data, 14 + 14);
    if (offset >= size)
        return std::nullopt;

    QRegion result;
    if (height <= 0 || width <= 0)
        return result;

    const qint64 rowSize = ((bitsPerPixel * width + 31) / 32) * 4;
    const qint64 pixelBytes = 3 * width; // what one row's scan reads
    std::vector<QRect> rects;
    rects.reserve(kBufferGrow);
    const auto flush = [&] {
        if (rects.empty())
            return;
        QRegion part;
        // One row per band, runs left to right: already the banded order setRects wants.
        part.setRects(rects.data(), int(rects.size()));
        result |= part;
        rects.clear();
    };
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.constData());

    // Only rows that lie wholly inside the file are read: row k (counted from
    // the bottom) needs offset + k * rowSize + 3 * width <= size.
    if (rowSize <= 0 || size - offset < pixelBytes)
        return result;
    const qint64 lastRowInFile = (size - offset - pixelBytes) / rowSize;
    const qint64 firstY = std::max<qint64>(0, height - 1 - lastRowInFile);
    for (qint64 y = firstY; y < height; ++y) {
        const qint64 rowStart = offset + (height - 1 - y) * rowSize;
        const unsigned char* row = bytes + rowStart;
        qint64 x = 0;
        while (x < width) {
            const qint64 x0 = x;
            while (x < width) {
                const unsigned char* px = row + 3 * x;
                const quint32 colour = quint32(px[2]) | (quint32(px[1]) << 8) | (quint32(px[0]) << 16);
                if (colour == keyColor)
                    break;
                ++x;
            }
            if (x > x0) {
                if (rects.size() == rects.capacity())
                    rects.reserve(rects.capacity() + kBufferGrow);
                rects.emplace_back(int(x0), int(y), int(x - x0), 1);
                if (int(rects.size()) >= flushEvery)
                    flush();
            }
            ++x; // skip the key-coloured pixel
        }
    }
    flush();
    return result;
}
