// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "media/Media.h"

#include <QImage>
#include <QString>

#include <memory>
#include <optional>

/**
 * One record per list row. The row's title is the row's own text, not a field.
 * The list owns the entry and its thumbnail; both go away with the row.
 */
struct VideoEntry
{
    QString strSize;                // size text ("1.50 MB", "512 BYTES"); empty when unknown
    QString strDate;                // last-write date text
    QString strPath;                // full path of the video as the listing gives it
    qint64 nSize = -1;              // bytes, -1 when unknown (for sorting)
    qint64 nTime = 0;               // last write, seconds since the epoch (for sorting)
    std::unique_ptr<QImage> pThumb; // the 44 x 33 thumbnail, may be absent
    std::optional<media::Verdict> verdict; // whether the PSP plays it, made by the scan; nothing: not judged
    bool bMp4 = true;               // named "*.mp4": its title can be edited, it goes to the PSP as it is
};
