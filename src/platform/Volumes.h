// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace platform {

/** One mounted (or declared) volume, as the drive selector shows it. */
struct VolumeInfo
{
    QString root;        // mount point with a trailing separator, e.g. "/media/alice/PSP/"
    QString displayName; // label (or folder name) followed by the mount point in brackets
    bool removable = false;
    bool declared = false; // named with --volume rather than found in the mount table
    bool fat = false;      // FAT file system: DOS attributes and FAT's file-name rules apply
};

/**
 * The volumes of the computer. The real implementation lists the mounted,
 * ready file systems plus the declared volumes that currently exist; tests
 * install a replacement with volumes of their choice.
 */
class Volumes
{
public:
    virtual ~Volumes() = default;
    /** All volumes, sorted by mount point. */
    virtual std::vector<VolumeInfo> list() const;
    /** Mounted volumes that shouldShowMount() lets through (no declared ones), sorted by mount point. */
    virtual std::vector<VolumeInfo> mounted() const;
    /** Is the volume holding path a FAT file system? */
    virtual bool isFat(const QString& path) const;
};

/** One entry of the mount table, as the drive rule below sees it. */
struct MountEntry
{
    QString mountPoint;     // without a trailing separator; "/" for the root
    QString fsType;         // as the kernel names it: "vfat", "ext4", "fuse.fusefat", ...
    QStringList options;    // the mount's and the file system's options, and those fstab gives the point
    QString device;         // "/dev/sdb1", or the source a FUSE or pseudo file system names
    bool removable = false; // its block device is removable or sits on USB
};

/** Whose drives are shown. */
struct MountUser
{
    unsigned uid = 0;
    QString name; // login name, for /media/NAME and /run/media/NAME
    QString home; // without a trailing separator
};

/**
 * Would the user recognise this mount as one of their drives? Shown are
 * removable devices, mounts below /media (not another user's /media/NAME/),
 * /run/media/NAME/ of the user, $HOME/ and /mnt/, and anything marked
 * x-gvfs-show; hidden are x-gvfs-hide, the root, system folders, pseudo and
 * image file systems, loop devices, paths through a hidden folder and other
 * users' mounts (a FUSE mount whose user_id= is not the user's).
 */
bool shouldShowMount(const MountEntry& entry, const MountUser& user);

/**
 * Volumes from mount-table entries in mount order: where several file systems
 * are mounted on one point (an automount point and the card over it), the
 * last one is what the path shows and the only one kept. Sorted by mount point.
 */
std::vector<VolumeInfo> visibleVolumes(const std::vector<VolumeInfo>& inMountOrder);

/** The process-wide volume list (the real one unless a test replaced it). */
Volumes& volumes();
/** Replaces the process-wide volume list (not owned); nullptr restores the real one. */
void setVolumes(Volumes* replacement);

/**
 * Makes a folder behave exactly like a removable drive: it is listed while it
 * exists and is followed when it appears or goes away. Paths are made
 * absolute and cleaned; declaring the same folder twice has no effect.
 */
void declareVolume(const QString& dir);
/**
 * Gives a declared folder the capacity of a real card: its space is then
 * reported as @p bytes in all, less what the folder holds.
 */
void setNominalCapacity(const QString& dir, std::uint64_t bytes);
/** The nominal capacity of the declared folder holding @p path, with its root; nothing when none applies. */
std::optional<std::pair<QString, std::uint64_t>> nominalCapacityFor(const QString& path);
/** Forgets every declared volume. */
void clearDeclaredVolumes();
/** The declared volumes' roots (with trailing separator), in the order they were declared. */
QStringList declaredVolumes();

/** The volume with exactly this root, if listed; removable is false for an unknown root. */
bool isRemovableRoot(const QString& root);
/** Do two volume roots name the same volume? (Paths are case-sensitive here.) */
bool sameRoot(const QString& a, const QString& b);
/** The root form of a folder: absolute, cleaned, with one trailing separator. */
QString rootOf(const QString& dir);

} // namespace platform
