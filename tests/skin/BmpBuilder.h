#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>

#include <cstdint>

// Builds bitmap files byte by byte, so tests control every header field.
struct BmpBuilder
{
    int width = 0;
    int height = 0;
    int bitsPerPixel = 24;
    QList<QRgb> pixels; // top row first, width x height

    static void put32(QByteArray& b, int at, std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            b[at + i] = char((v >> (8 * i)) & 0xFF);
    }
    static void put16(QByteArray& b, int at, std::uint16_t v)
    {
        b[at] = char(v & 0xFF);
        b[at + 1] = char(v >> 8);
    }

    int rowSize() const { return ((bitsPerPixel * width + 31) / 32) * 4; }

    QByteArray build() const
    {
        const int rows = height > 0 ? height : 0;
        QByteArray b(54 + rowSize() * rows, '\0');
        b[0] = 'B';
        b[1] = 'M';
        put32(b, 2, std::uint32_t(b.size()));
        put32(b, 10, 54);
        put32(b, 14, 40);
        put32(b, 18, std::uint32_t(width));
        put32(b, 22, std::uint32_t(height));
        put16(b, 26, 1);
        put16(b, 28, std::uint16_t(bitsPerPixel));
        for (int y = 0; y < rows; ++y) {
            const int row = 54 + (rows - 1 - y) * rowSize();
            for (int x = 0; x < width; ++x) {
                const QRgb c = pixels.value(y * width + x);
                b[row + 3 * x] = char(qBlue(c));
                b[row + 3 * x + 1] = char(qGreen(c));
                b[row + 3 * x + 2] = char(qRed(c));
            }
        }
        return b;
    }

    static BmpBuilder filled(int w, int h, QRgb colour)
    {
        BmpBuilder bmp;
        bmp.width = w;
        bmp.height = h;
        bmp.pixels = QList<QRgb>(w * h, colour);
        return bmp;
    }
};
