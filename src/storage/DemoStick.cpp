// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "storage/DemoStick.h"

#include "platform/AppDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <functional>

namespace storage {

namespace {

// Copies every file of from into to (made with its parents); false on any failure.
bool copyFiles(const QString& from, const QString& to)
{
    if (!QDir().mkpath(to))
        return false;
    const QFileInfoList files = QDir(from).entryInfoList(QDir::Files, QDir::Name);
    if (files.isEmpty())
        return false;
    for (const QFileInfo& file : files) {
        const QString target = to + QLatin1Char('/') + file.fileName();
        QFile::remove(target);
        if (!QFile::copy(file.filePath(), target))
            return false;
    }
    return true;
}

// Made in a sibling folder and renamed into place, so a half-made demo never stays.
bool makeAfresh(const QString& target, const std::function<bool(const QString&)>& fill)
{
    if (QFileInfo(target).isDir())
        return true;
    const QString staging = target + QStringLiteral(".new");
    QDir(staging).removeRecursively();
    if (!fill(staging) || !QDir().rename(staging, target)) {
        QDir(staging).removeRecursively();
        return false;
    }
    return true;
}

} // namespace

DemoPaths MakeDemo(const QString& base, const QString& source)
{
    const QString root = base.isEmpty()
        ? QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/demo")
        : base;
    const QString from = source.isEmpty() ? platform::appDir() + QStringLiteral("/demo") : source;
    if (!QDir().mkpath(root))
        return {};

    const QString stick = root + QStringLiteral("/stick");
    const bool stickMade = makeAfresh(stick, [&](const QString& folder) {
        QDir dir;
        return dir.mkpath(folder + QStringLiteral("/PSP/PHOTO")) && dir.mkpath(folder + QStringLiteral("/PSP/MUSIC"))
            && dir.mkpath(folder + QStringLiteral("/PSP/SAVEDATA")) && dir.mkpath(folder + QStringLiteral("/PSP/GAME"))
            && copyFiles(from + QStringLiteral("/stick"), folder + QStringLiteral("/MP_ROOT/100MNV01"));
    });
    const QString local = root + QStringLiteral("/computer");
    const bool localMade = makeAfresh(local, [&](const QString& folder) {
        return copyFiles(from + QStringLiteral("/computer"), folder);
    });
    if (!stickMade || !localMade)
        return {};
    return {stick + QLatin1Char('/'), local};
}

} // namespace storage
