// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <optional>

namespace widgets {

inline constexpr int kThumbWidth = 44;
inline constexpr int kThumbHeight = 33;

/**
 * Loads a picture (JPEG, PNG, BMP) and makes the 44 x 33 thumbnail: white,
 * a grey one-pixel frame, the picture scaled to keep its proportion over it.
 * Nothing when the picture can't be loaded. Safe on any thread.
 */
std::optional<QImage> BuildThumbnail(const QString& picturePath);

/** The first of the candidate pictures that loads, built once per scan. */
class DefaultThumbnail
{
public:
    explicit DefaultThumbnail(QStringList candidates)
        : m_candidates(std::move(candidates))
    {
    }
    const std::optional<QImage>& get();

private:
    QStringList m_candidates;
    std::optional<std::optional<QImage>> m_thumb;
};

} // namespace widgets
