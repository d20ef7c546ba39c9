// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "storage/DroppedVideos.h"

#include "platform/FileSystem.h"
#include "storage/Catalogue.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace storage {

QStringList droppedVideos(const QList<QUrl>& urls, const QString& targetFolder, bool convertible)
{
    static const QStringList globs = QString::fromLatin1(kListedVideoGlobs).split(QLatin1Char(';'));
    const auto isVideoName = [convertible](const QString& name) {
        if (!convertible)
            return name.endsWith(QLatin1String(".mp4"), Qt::CaseInsensitive);
        return std::any_of(globs.cbegin(), globs.cend(), [&name](const QString& glob) {
            return name.endsWith(glob.mid(1), Qt::CaseInsensitive); // "*.mkv" -> ".mkv"
        });
    };
    const platform::FileSystem& fs = platform::fileSystem();
    const QString target = targetFolder.isEmpty() ? QString() : QDir::cleanPath(targetFolder);
    QStringList paths;
    for (const QUrl& url : urls) {
        // A URL with a host names a file elsewhere, even when it is a file URL.
        if (!url.isLocalFile() || !url.host().isEmpty())
            return {};
        const QString path = QDir::cleanPath(url.toLocalFile());
        const QFileInfo info(path);
        if (!info.isAbsolute() || !isVideoName(info.fileName()))
            return {};
        if (!fs.exists(path) || fs.isDirectory(path) || info.path() == target)
            return {};
        paths << path;
    }
    return paths;
}

} // namespace storage
