// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "widgets/Thumbnail.h"

#include <QImageReader>
#include <QPainter>

namespace widgets {

std::optional<QImage> BuildThumbnail(const QString& picturePath)
{
    QImageReader reader(picturePath);
    reader.setAutoTransform(false);
    const QImage picture = reader.read();
    if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0)
        return std::nullopt;

    const double r = static_cast<double>(picture.height()) / picture.width();
    int x = 0;
    int y = 0;
    int w = kThumbWidth;
    int h = kThumbHeight;
    if (r > 0.75) {
        w = static_cast<int>(kThumbHeight / r);
        x = (kThumbWidth - w) / 2;
    } else {
        h = static_cast<int>(kThumbWidth * r);
        y = (kThumbHeight - h) / 2;
    }

    QImage thumb(kThumbWidth, kThumbHeight, QImage::Format_RGB32);
    thumb.fill(QColor(255, 255, 255));
    const QRgb grey = qRgb(192, 192, 192);
    for (int i = 0; i < kThumbWidth; ++i) {
        thumb.setPixel(i, 0, grey);
        thumb.setPixel(i, kThumbHeight - 1, grey);
    }
    for (int j = 0; j < kThumbHeight; ++j) {
        thumb.setPixel(0, j, grey);
        thumb.setPixel(kThumbWidth - 1, j, grey);
    }
    if (w > 0 && h > 0) {
        QPainter painter(&thumb);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(x, y, w, h), picture);
    }
    return thumb;
}

const std::optional<QImage>& DefaultThumbnail::get()
{
    // The default picture is the same for every video of a scan: decoded once.
    if (!m_thumb) {
        m_thumb.emplace();
        for (const QString& candidate : m_candidates) {
            *m_thumb = BuildThumbnail(candidate);
            if (*m_thumb)
                break;
        }
    }
    return *m_thumb;
}

} // namespace widgets
