// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/Volumes.h"

#include "platform/FileSystem.h"
#include "platform/PathCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QMutex>
#include <QStorageInfo>

#include <algorithm>
#include <pwd.h>
#include <unistd.h>

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

// File systems that hold no one's files: the kernel's views, in-memory
// scratch space, automount triggers and the desktop's own FUSE helpers.
bool isPseudoFs(const QString& type)
{
    static const QStringList kTypes = {
        QStringLiteral("autofs"),     QStringLiteral("binfmt_misc"), QStringLiteral("bpf"),
        QStringLiteral("cgroup"),     QStringLiteral("cgroup2"),     QStringLiteral("configfs"),
        QStringLiteral("debugfs"),    QStringLiteral("devpts"),      QStringLiteral("devtmpfs"),
        QStringLiteral("efivarfs"),   QStringLiteral("fusectl"),     QStringLiteral("hugetlbfs"),
        QStringLiteral("mqueue"),     QStringLiteral("nfsd"),        QStringLiteral("nsfs"),
        QStringLiteral("proc"),       QStringLiteral("pstore"),      QStringLiteral("ramfs"),
        QStringLiteral("rootfs"),     QStringLiteral("rpc_pipefs"),  QStringLiteral("securityfs"),
        QStringLiteral("selinuxfs"),  QStringLiteral("sysfs"),       QStringLiteral("tmpfs"),
        QStringLiteral("tracefs"),    QStringLiteral("overlay"),     QStringLiteral("fuse.gvfsd-fuse"),
        QStringLiteral("fuse.portal"), QStringLiteral("fuse.lxcfs"), QStringLiteral("fuse.doc")};
    return kTypes.contains(type);
}

// Packages and apps mounted read-only from an image file: snaps, AppImages, loop devices.
bool isImage(const MountEntry& entry)
{
    return entry.fsType == QLatin1String("squashfs") || entry.fsType == QLatin1String("fuse.snapfuse")
        || entry.fsType == QLatin1String("fuse.squashfuse") || entry.fsType.startsWith(QLatin1String("fuse.appimage"))
        || entry.device.startsWith(QLatin1String("/dev/loop"));
}

// The value of the first "key=value" option, empty when there is none.
QString optionValue(const QStringList& options, QLatin1String key)
{
    for (const QString& option : options) {
        if (option.size() > key.size() && option.startsWith(key) && option.at(key.size()) == QLatin1Char('='))
            return option.mid(key.size() + 1);
    }
    return {};
}

bool isBelow(const QString& path, const QString& folder)
{
    return !folder.isEmpty() && path.size() > folder.size() + 1 && path.startsWith(folder)
        && path.at(folder.size()) == QLatin1Char('/');
}

// Mount points below the folders the operating system keeps for itself.
bool isSystemPath(const QString& path)
{
    static const QStringList kFolders = {
        QStringLiteral("bin"),  QStringLiteral("boot"),  QStringLiteral("dev"),   QStringLiteral("efi"),
        QStringLiteral("etc"),  QStringLiteral("lib"),   QStringLiteral("lib32"), QStringLiteral("lib64"),
        QStringLiteral("proc"), QStringLiteral("root"),  QStringLiteral("run"),   QStringLiteral("sbin"),
        QStringLiteral("snap"), QStringLiteral("sys"),   QStringLiteral("tmp"),
        QStringLiteral("usr"),  QStringLiteral("var")};
    const QString top = path.section(QLatin1Char('/'), 1, 1);
    return kFolders.contains(top);
}

// For /media/NAME/... and /run/media/NAME/...: the NAME, else nothing.
std::optional<QString> mediaOwner(const QString& path)
{
    for (const QString& folder : {QStringLiteral("/media/"), QStringLiteral("/run/media/")}) {
        if (!path.startsWith(folder))
            continue;
        const QString rest = path.mid(folder.size());
        const int slash = rest.indexOf(QLatin1Char('/'));
        // /media/STICK is a drive of its own; below /run/media only user folders hold drives.
        if (slash < 0)
            return folder == QLatin1String("/media/") ? std::nullopt : std::optional<QString>(QString());
        return rest.left(slash);
    }
    return std::nullopt;
}

// Undoes the octal escapes (\040 for a space) of the kernel's and fstab's fields.
QByteArray unescapeField(const QByteArray& field)
{
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field.mid(i + 1, 3).toInt(nullptr, 8) > 0) {
            out += char(field.mid(i + 1, 3).toInt(nullptr, 8));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

// Options by mount point: the mount's and the file system's from the kernel
// (the last mount on a point wins), then what fstab says for the point, where
// x-gvfs-show and x-gvfs-hide are written.
QHash<QString, QStringList> mountOptions()
{
    QHash<QString, QStringList> options;
    QFile mountInfo(QStringLiteral("/proc/self/mountinfo"));
    if (mountInfo.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : mountInfo.readAll().split('\n')) {
            const QList<QByteArray> fields = line.split(' ');
            const qsizetype dash = fields.indexOf("-");
            if (fields.size() < 6 || dash < 6 || dash + 3 >= fields.size())
                continue;
            const QString point = decodePath(unescapeField(fields[4]));
            options[point] = QString::fromUtf8(fields[5] + ',' + fields[dash + 3]).split(QLatin1Char(','));
        }
    }
    QFile fstab(QStringLiteral("/etc/fstab"));
    if (fstab.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : fstab.readAll().split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() < 4 || fields[0].startsWith('#'))
                continue;
            const QString point = QDir::cleanPath(decodePath(unescapeField(fields[1])));
            if (options.contains(point))
                options[point] += QString::fromUtf8(fields[3]).split(QLatin1Char(','));
        }
    }
    return options;
}

MountUser currentUser()
{
    MountUser user;
    user.uid = ::getuid();
    if (const passwd* entry = ::getpwuid(user.uid))
        user.name = QString::fromLocal8Bit(entry->pw_name);
    else
        user.name = qEnvironmentVariable("USER");
    user.home = QDir::cleanPath(decodePath(qgetenv("HOME")));
    if (user.home == QLatin1String("/") || user.home == QLatin1String("."))
        user.home.clear();
    return user;
}

} // namespace

bool shouldShowMount(const MountEntry& entry, const MountUser& user)
{
    const QString& path = entry.mountPoint;
    if (path.isEmpty() || path == QLatin1String("/") || entry.options.contains(QLatin1String("x-gvfs-hide")))
        return false;
    if (isPseudoFs(entry.fsType) || isImage(entry))
        return false;
    // A FUSE file system names the user who mounted it; only that user can open it.
    if (entry.fsType == QLatin1String("fuse") || entry.fsType.startsWith(QLatin1String("fuse."))) {
        const QString owner = optionValue(entry.options, QLatin1String("user_id"));
        if (!owner.isEmpty() && owner != QString::number(user.uid))
            return false;
    }
    if (entry.options.contains(QLatin1String("x-gvfs-show")))
        return true;
    // A hidden folder on the way was meant to keep the mount out of sight.
    if (path.contains(QLatin1String("/.")))
        return false;
    if (const auto owner = mediaOwner(path))
        return *owner == user.name;
    if (isBelow(path, user.home))
        return true;
    if (isSystemPath(path))
        return false;
    return entry.removable || isBelow(path, QStringLiteral("/mnt")) || path.startsWith(QLatin1String("/media/"));
}

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
    const QHash<QString, QStringList> options = mountOptions();
    const MountUser user = currentUser();
    QSet<QString> hidden;
    for (const QStorageInfo& storage : all) {
        if (!storage.isValid() || !storage.isReady())
            continue;
        MountEntry entry{QDir::cleanPath(storage.rootPath()), QString::fromUtf8(storage.fileSystemType()), {},
                         decodePath(storage.device()), deviceIsRemovable(storage.device())};
        entry.options = options.value(entry.mountPoint);
        VolumeInfo info;
        info.root = rootOf(storage.rootPath());
        info.displayName = displayNameFor(storage.name(), info.root);
        info.removable = entry.removable;
        info.fat = isFatType(storage.fileSystemType());
        // What was mounted last on a point decides, as for visibleVolumes.
        if (shouldShowMount(entry, user))
            hidden.remove(info.root);
        else
            hidden.insert(info.root);
        entries.push_back(info);
    }
    std::vector<VolumeInfo> result = visibleVolumes(entries);
    result.erase(std::remove_if(result.begin(), result.end(), [&](const VolumeInfo& v) { return hidden.contains(v.root); }),
                 result.end());
    return result;
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
