// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QStringList>
#include <QUrl>

namespace storage {

/**
 * The paths of videos dropped onto a list showing targetFolder, in the order given.
 * Empty (the drop is refused) unless every URL names a local file by an absolute
 * path, the file exists and is no folder, its name ends with ".mp4" in any case,
 * and it does not already lie in targetFolder. An empty targetFolder excludes nothing.
 * With convertible (a drop onto the PSP list), the common video files the
 * computer list shows (kListedVideoGlobs) count too: they are converted on the way.
 */
QStringList droppedVideos(const QList<QUrl>& urls, const QString& targetFolder, bool convertible = false);

} // namespace storage
