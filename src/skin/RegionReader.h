// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QRegion>
#include <QString>

#include <optional>

/**
 * Reads a window region from a bitmap: every pixel whose colour
 * (red + green x 256 + blue x 65536) is not the key colour belongs to the
 * region. Pixels are read as 24-bit blue, green, red; rows bottom-up.
 * Rectangles are gathered 500 at a time and turned into a partial region
 * every 2000.
 *
 * No region (nullopt) when the file cannot be read, is 54 bytes or shorter,
 * is larger than kMaxFileSize, does not start with "BM", or its pixel data
 * offset lies outside it. Rows that lie (partly) outside the file are
 * skipped: the file is never read past its end. A height of 0 or less gives
 * an empty region.
 */
class RegionReader
{
public:
    static std::optional<QRegion> Read(const QString& path, quint32 keyColor);
    static std::optional<QRegion> FromBytes(const QByteArray& data, quint32 keyColor);
    /** The same with another flush size (tests compare batchings). */
    static std::optional<QRegion> FromBytes(const QByteArray& data, quint32 keyColor, int flushEvery);

    static constexpr int kBufferGrow = 500;
    static constexpr int kFlushEvery = 2000;
    static constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;
};
