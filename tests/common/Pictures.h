// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "StorageTestSupport.h"

#include <QColor>
#include <QImage>
#include <QtEndian>

#include <filesystem>
#include <functional>

/** Writes a picture of one colour; the format follows the given name (e.g. "JPEG", "PNG"). */
inline void writePicture(const std::filesystem::path& path, int width, int height, QColor colour,
                         const char* format = "PNG")
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    image.save(qpath(path), format);
}

// The bytes of a 24-bit bitmap file, rows given top first.
inline QByteArray bitmap24(int width, int height, const std::function<QRgb(int x, int y)>& pixel)
{
    const int rowSize = ((24 * width + 31) / 32) * 4;
    QByteArray bytes(54 + rowSize * height, '\0');
    const quint32 header[][2] = {{2, quint32(bytes.size())}, {10, 54}, {14, 40}, {18, quint32(width)},
                                 {22, quint32(height)}, {26, 1 | 24 << 16}};
    bytes[0] = 'B';
    bytes[1] = 'M';
    for (const auto& [at, value] : header)
        qToLittleEndian(value, bytes.data() + at);
    for (int i = 0; i < width * height; ++i) {
        const QRgb c = pixel(i % width, i / width);
        char* px = bytes.data() + 54 + (height - 1 - i / width) * rowSize + 3 * (i % width);
        px[0] = char(qBlue(c));
        px[1] = char(qGreen(c));
        px[2] = char(qRed(c));
    }
    return bytes;
}
