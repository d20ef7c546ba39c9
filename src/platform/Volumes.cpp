#include "platform/Volumes.h"

#include "platform/FileSystem.h"
#include "platform/PathCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QStorageInfo>

#include <algorithm>

namespace platform {

namespace {

Volumes g_real;
Volumes* g_current = &g_real;

QMutex g_declaredMutex;
QStringList g_declared;
QList<std::pair<QString, std::uint64_t>> g_nominal; // root, bytes

bool isFatType(const QByteArray& type)
{
    // A FAT stick mounted through FUSE (fusefat) keeps FAT's limits too; exFAT doesn't have them.
    return type == "vfat" || type == "msdos" || type == "fat" || type == "umsdos"
        || (type.startsWith("fuse.") && type.contains("fat") && !type.contains("exfat"));
}

QString readSysfsLine(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readLine()).trimmed();
}

// A removable block device, or one whose device path runs through a USB controller.
bool deviceIsRemovable(const QByteArray& device)
{
    if (!device.startsWith("/dev/"))
        return false;
    const QString node = QFileInfo(decodePath(device)).canonicalFilePath();
    if (node.isEmpty())
        return false;
    const QString name = node.mid(node.lastIndexOf(QLatin1Char('/')) + 1);
    QString sysPath = QFileInfo(QStringLiteral("/sys/class/block/") + name).canonicalFilePath();
    if (sysPath.isEmpty())
        return false;
    if (sysPath.contains(QStringLiteral("/usb")))
        return true;
    // A partition's removable flag sits on its disk, one level up.
    if (QFileInfo::exists(sysPath + QStringLiteral("/partition")))
        sysPath = sysPath.left(sysPath.lastIndexOf(QLatin1Char('/')));
    return readSysfsLine(sysPath + QStringLiteral("/removable")) == QLatin1String("1");
}

QString displayNameFor(const QString& label, const QString& root)
{
    QString mountPoint = root;
    if (mountPoint.size() > 1 && mountPoint.endsWith(QLatin1Char('/')))
        mountPoint.chop(1);
    QString name = label;
    if (name.isEmpty())
        name = mountPoint.mid(mountPoint.lastIndexOf(QLatin1Char('/')) + 1);
    if (name.isEmpty())
        return mountPoint;
    return name + QStringLiteral(" (") + mountPoint + QLatin1Char(')');
}

bool byRoot(const VolumeInfo& a, const VolumeInfo& b)
{
    return a.root < b.root;
}

} // namespace

QString rootOf(const QString& dir)
{
    // Qt's current folder would lose bytes that are not UTF-8.
    const QString absolute = dir.startsWith(QLatin1Char('/')) ? dir : fileSystem().currentDirectory() + QLatin1Char('/') + dir;
    QString root = QDir::cleanPath(absolute);
    if (!root.endsWith(QLatin1Char('/')))
        root += QLatin1Char('/');
    return root;
}

std::vector<VolumeInfo> Volumes::mounted() const
{
    std::vector<VolumeInfo> entries;
    const auto all = QStorageInfo::mountedVolumes();
    for (const QStorageInfo& storage : all) {
        if (!storage.isValid() || !storage.isReady())
            continue;
        VolumeInfo info;
        info.root = rootOf(storage.rootPath());
        info.displayName = displayNameFor(storage.name(), info.root);
        info.removable = deviceIsRemovable(storage.device());
        info.fat = isFatType(storage.fileSystemType());
        entries.push_back(info);
    }
    return visibleVolumes(entries);
}

std::vector<VolumeInfo> visibleVolumes(const std::vector<VolumeInfo>& inMountOrder)
{
    std::vector<VolumeInfo> result;
    for (const VolumeInfo& info : inMountOrder) {
        auto same = std::find_if(result.begin(), result.end(), [&](const VolumeInfo& v) { return v.root == info.root; });
        if (same != result.end())
            *same = info;
        else
            result.push_back(info);
    }
    std::stable_sort(result.begin(), result.end(), byRoot);
    return result;
}

std::vector<VolumeInfo> Volumes::list() const
{
    std::vector<VolumeInfo> result = mounted();
    for (const QString& root : declaredVolumes()) {
        if (!fileSystem().isDirectory(root))
            continue;
        // A declared folder that is also a mount point replaces that entry.
        result.erase(std::remove_if(result.begin(), result.end(), [&](const VolumeInfo& v) { return v.root == root; }),
                     result.end());
        VolumeInfo info;
        info.root = root;
        info.displayName = displayNameFor(QString(), root);
        info.removable = true;
        info.declared = true;
        info.fat = isFat(root);
        result.push_back(info);
    }
    std::sort(result.begin(), result.end(), byRoot);
    return result;
}

bool Volumes::isFat(const QString& path) const
{
    const QStorageInfo storage(path);
    return storage.isValid() && isFatType(storage.fileSystemType());
}

Volumes& volumes()
{
    return *g_current;
}

void setVolumes(Volumes* replacement)
{
    g_current = replacement ? replacement : &g_real;
}

void declareVolume(const QString& dir)
{
    const QString root = rootOf(dir);
    QMutexLocker lock(&g_declaredMutex);
    if (!g_declared.contains(root))
        g_declared << root;
}

void setNominalCapacity(const QString& dir, std::uint64_t bytes)
{
    const QString root = rootOf(dir);
    QMutexLocker lock(&g_declaredMutex);
    g_nominal.removeIf([&](const auto& entry) { return entry.first == root; });
    g_nominal.append({root, bytes});
}

std::optional<std::pair<QString, std::uint64_t>> nominalCapacityFor(const QString& path)
{
    const QString folder = rootOf(path);
    QMutexLocker lock(&g_declaredMutex);
    for (const auto& entry : g_nominal) {
        if (g_declared.contains(entry.first) && folder.startsWith(entry.first))
            return entry;
    }
    return std::nullopt;
}

void clearDeclaredVolumes()
{
    QMutexLocker lock(&g_declaredMutex);
    g_declared.clear();
    g_nominal.clear();
}

QStringList declaredVolumes()
{
    QMutexLocker lock(&g_declaredMutex);
    return g_declared;
}

bool isRemovableRoot(const QString& root)
{
    const auto all = volumes().list();
    return std::any_of(all.begin(), all.end(),
                       [&](const VolumeInfo& v) { return v.removable && sameRoot(v.root, root); });
}

bool sameRoot(const QString& a, const QString& b)
{
    return !a.isEmpty() && a == b;
}

} // namespace platform
