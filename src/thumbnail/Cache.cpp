// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "thumbnail/Cache.h"

#include "platform/FileSystem.h"
#include "platform/PathCodec.h"

#include <QCryptographicHash>
#include <QDir>
#include <QMutex>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <cstdio>

namespace thumbnail {
namespace {

QMutex g_rootLock;
QString g_root;

// Whole entries only, by rename; not synced: a cache entry lost to a crash is made again.
bool store(const QString& path, const QByteArray& bytes)
{
    QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush())
        return false;
    if (std::rename(platform::encodePath(file.fileName()).constData(), platform::encodePath(path).constData()) != 0)
        return false;
    file.setAutoRemove(false);
    return true;
}

} // namespace

QString cacheRoot()
{
    {
        const QMutexLocker lock(&g_rootLock);
        if (!g_root.isEmpty())
            return g_root;
    }
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
        + QStringLiteral("/reelkeeper/thumbnails");
}

void setCacheRoot(const QString& root)
{
    const QMutexLocker lock(&g_rootLock);
    g_root = root;
}

std::optional<QString> cachedPicture(const QString& video, const Limits& limits)
{
    const platform::FileSystem& fs = platform::fileSystem();
    const std::optional<std::uint64_t> size = fs.fileSize(video);
    const std::optional<std::time_t> written = fs.lastWriteTime(video);
    if (!size || !written)
        return std::nullopt;
    QCryptographicHash hash(QCryptographicHash::Sha1);
    // Not QFileInfo: it passes the name through Qt's lossy encoding, so two names could share a key.
    const QString absolute = video.startsWith(u'/') ? video : fs.currentDirectory() + u'/' + video;
    hash.addData(platform::encodePath(QDir::cleanPath(absolute)));
    hash.addData(QByteArrayLiteral("\0"));
    hash.addData(QByteArray::number(static_cast<qulonglong>(*size)) + '/' + QByteArray::number(static_cast<qlonglong>(*written)));
    const QString root = cacheRoot();
    const QString key = root + u'/' + QString::fromLatin1(hash.result().toHex());
    const QString picture = key + QStringLiteral(".jpg");
    const QString none = key + QStringLiteral(".none");
    if (fs.fileSize(picture).value_or(0) > 0)
        return picture;
    if (fs.exists(none))
        return std::nullopt;

    Failure failure = Failure::None;
    const std::optional<QByteArray> jpeg = makeThumbnail(video, nullptr, limits, &failure);
    QDir().mkpath(root);
    if (jpeg)
        return store(picture, *jpeg) ? std::optional<QString>(picture) : std::nullopt;
    // A file that can't be read now, or a busy machine, may do better next time.
    if (failure == Failure::Content)
        store(none, {});
    return std::nullopt;
}

} // namespace thumbnail
