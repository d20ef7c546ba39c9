// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "storage/PspDrives.h"

#include "platform/FatAttributes.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "platform/Volumes.h"

#include <ctime>

namespace storage {

namespace {

const QString kVideoTail = QStringLiteral("MP_ROOT/100MNV01/");

bool isPlainFolder(const QString& path)
{
    return platform::entryAttributes().attributes(path) == platform::attr::Directory;
}

// A plain folder directly below folder whose name passes the test.
template <typename NameTest>
bool hasPlainFolder(const QString& folder, NameTest test)
{
    for (const platform::DirEntry& entry : platform::fileSystem().list(folder, QStringLiteral("*"))) {
        if (test(entry.name) && isPlainFolder(folder + entry.name))
            return true;
    }
    return false;
}

bool holdsPspTree(const QString& root)
{
    // The name is compared exactly: a "psp" folder is not the PSP's.
    if (!hasPlainFolder(root, [](const QString& name) { return name == QLatin1String("PSP"); }))
        return false;
    return hasPlainFolder(root + QStringLiteral("PSP/"), [](const QString& name) {
        return name.compare(QLatin1String("PHOTO"), Qt::CaseInsensitive) == 0
            || name.compare(QLatin1String("music"), Qt::CaseInsensitive) == 0
            || name.compare(QLatin1String("savedata"), Qt::CaseInsensitive) == 0;
    });
}

QString withSeparator(const QString& root)
{
    return root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
}

} // namespace

QString PspFolderOf(const QString& root)
{
    return withSeparator(root) + kVideoTail;
}

QString RootOfPspPath(const QString& pspPath)
{
    if (!pspPath.endsWith(kVideoTail))
        return {};
    return pspPath.left(pspPath.size() - kVideoTail.size());
}

bool IsPSPVolume(const platform::VolumeInfo& volume)
{
    return volume.removable && holdsPspTree(withSeparator(volume.root));
}

bool IsPSPDrive(const QString& root)
{
    if (root.isEmpty() || !platform::isRemovableRoot(withSeparator(root)))
        return false;
    return holdsPspTree(withSeparator(root));
}

QString FirstPSPRoot()
{
    for (const platform::VolumeInfo& volume : platform::volumes().list()) {
        if (IsPSPVolume(volume))
            return volume.root;
    }
    return {};
}

PspFolderResult MakePspFolder(const QString& root, QString& pspPath)
{
    const platform::FileSystem& fs = platform::fileSystem();
    const platform::EntryAttributes& maker = platform::entryAttributes();
    QString path = withSeparator(root) + QStringLiteral("MP_ROOT");
    if (!fs.exists(path)) {
        if (!maker.makeDirectory(path))
            return PspFolderResult::FailureA;
        maker.makeDirectory(path + QStringLiteral("/100MNV01"));
        pspPath = path + QStringLiteral("/100MNV01/");
        return PspFolderResult::Ok;
    }
    path += QStringLiteral("/100MNV01");
    if (!fs.exists(path) && !maker.makeDirectory(path))
        return PspFolderResult::FailureB;
    pspPath = path + QLatin1Char('/');
    // What killed copies left behind eats the stick's room unseen.
    platform::fileOps().removeStaleTemporaries(pspPath, std::time(nullptr));
    return PspFolderResult::Ok;
}

} // namespace storage
