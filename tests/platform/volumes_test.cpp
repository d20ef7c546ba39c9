// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "StorageTestSupport.h"
#include "TempDir.h"

#include "platform/FatAttributes.h"
#include "platform/FileSystem.h"
#include "platform/Volumes.h"

#include <gtest/gtest.h>

#include <QString>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace platform;

TEST(EntryAttributes, DerivesDosAttributesOffFatAndMakesOneFolder)
{
    TempDir dir;
    for (const char* name : {"PSP", ".hidden", "locked"})
        fs::create_directories(dir.path() / name);
    ::chmod((dir.path() / "locked").c_str(), 0555);
    dir.write("file.mp4", "x");
    fs::create_directory_symlink(dir.path() / "PSP", dir.path() / "link");
    const std::pair<const char*, std::uint32_t> cases[] = {
        {"PSP", attr::Directory}, {"PSP/", attr::Directory}, {".hidden", attr::Directory | attr::Hidden},
        {"locked", attr::Directory | attr::ReadOnly}, {"file.mp4", attr::Normal},
        {"link", attr::Link}, // never a plain folder
        {"missing", 0u}};
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(entryAttributes().attributes(qpath(dir.path()) + "/" + name), expected) << name;
    ::chmod((dir.path() / "locked").c_str(), 0755);

    EXPECT_TRUE(entryAttributes().makeDirectory(qpath(dir.path() / "MP_ROOT")));
    EXPECT_TRUE(fs::is_directory(dir.path() / "MP_ROOT"));
    EXPECT_FALSE(entryAttributes().makeDirectory(qpath(dir.path() / "MP_ROOT")));
    EXPECT_FALSE(entryAttributes().makeDirectory(qpath(dir.path() / "a" / "b"))) << "parents are not made";
    EXPECT_FALSE(entryAttributes().makeDirectory(qpath(dir.path() / "file.mp4" / "100MNV01")));
}

TEST(DeclaredVolumes, AreListedAsRemovableWhileTheyExist)
{
    clearDeclaredVolumes();
    TempDir dir;
    const fs::path stick = dir.path() / "stick";
    fs::create_directories(stick);
    declareVolume(qpath(stick));
    declareVolume(qpath(stick) + "/./");
    ASSERT_EQ(declaredVolumes().size(), 1) << "the same folder twice is one volume";
    const QString root = qpath(stick) + "/";
    EXPECT_EQ(declaredVolumes().front(), root);

    const auto all = volumes().list();
    const auto it = std::find_if(all.begin(), all.end(), [&](const VolumeInfo& v) { return v.root == root; });
    ASSERT_NE(it, all.end());
    EXPECT_TRUE(it->removable && it->declared);
    EXPECT_EQ(it->displayName, "stick (" + qpath(stick) + ")");
    EXPECT_TRUE(isRemovableRoot(root));
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end(), [](auto& a, auto& b) { return a.root < b.root; }));
    const auto mounted = volumes().mounted();
    EXPECT_TRUE(std::none_of(mounted.begin(), mounted.end(), [](const VolumeInfo& v) { return v.declared; }));

    fs::remove_all(stick);
    const auto after = volumes().list();
    EXPECT_TRUE(std::none_of(after.begin(), after.end(), [&](const VolumeInfo& v) { return v.root == root; }));
    EXPECT_FALSE(isRemovableRoot(root));
    clearDeclaredVolumes();
}

TEST(DeclaredVolumes, ANominalCapacityIsTheSpaceLessWhatTheFolderHolds)
{
    clearDeclaredVolumes();
    TempDir dir;
    dir.write("stick/MP_ROOT/100MNV01/M4V00001.MP4", std::string(300 << 10, 'v'));
    dir.write("stick/PSP/x", std::string(100 << 10, 'x'));
    dir.write("beside/big", std::string(700 << 10, 'b'));
    fs::create_directory_symlink(dir.path() / "beside", dir.path() / "stick/link");
    const QString videos = qpath(dir.path() / "stick/MP_ROOT/100MNV01/");
    const auto real = fileSystem().space(videos);
    ASSERT_TRUE(real);
    setNominalCapacity(qpath(dir.path() / "stick"), 1 << 20);
    EXPECT_EQ(fileSystem().space(videos)->total, real->total) << "only a declared folder has one";

    declareVolume(qpath(dir.path() / "stick"));
    auto space = fileSystem().space(videos);
    EXPECT_EQ(space->total, 1u << 20);
    EXPECT_EQ(space->freeToCaller, (1u << 20) - (400u << 10));
    EXPECT_EQ(space->totalFree, space->freeToCaller);
    EXPECT_EQ(fileSystem().space(qpath(dir.path() / "beside"))->total, real->total);
    setNominalCapacity(qpath(dir.path() / "stick"), 200 << 10); // holds more than it may
    EXPECT_EQ(fileSystem().space(videos)->freeToCaller, 0u);
    clearDeclaredVolumes();
    EXPECT_EQ(fileSystem().space(videos)->total, real->total);
}

TEST(Volumes, RootsAreCleanAbsoluteAndCompareExactly)
{
    EXPECT_EQ(rootOf("/media/a/../b//PSP"), "/media/b/PSP/");
    EXPECT_EQ(rootOf("/"), "/");
    EXPECT_TRUE(sameRoot("/media/PSP/", "/media/PSP/"));
    EXPECT_FALSE(sameRoot("/media/PSP/", "/media/psp/")) << "paths are case-sensitive here";
    EXPECT_FALSE(sameRoot("", ""));
    EXPECT_FALSE(isRemovableRoot("/no/such/root/"));
}

TEST(MountedVolumes, AreSortedOnceEachAndShowTheLastFileSystemMountedOnAPoint)
{
    const auto mounted = volumes().mounted();
    for (std::size_t i = 0; i < mounted.size(); ++i) {
        EXPECT_TRUE(i == 0 || mounted[i - 1].root < mounted[i].root);
        EXPECT_TRUE(mounted[i].root.endsWith('/'));
        EXPECT_FALSE(mounted[i].displayName.isEmpty());
        EXPECT_NE(mounted[i].root, "/") << "the root file system is no drive";
    }

    // An automount point first, the card mounted over it later.
    VolumeInfo automount{"/media/card/", "card (/media/card)"};
    VolumeInfo card{"/media/card/", "PSP (/media/card)", true, false, true};
    const auto visible = visibleVolumes({automount, {"/", "/"}, card});
    ASSERT_EQ(visible.size(), 2u);
    EXPECT_EQ(visible[0].root, "/");
    EXPECT_EQ(visible[1].displayName, "PSP (/media/card)");
    EXPECT_TRUE(visible[1].removable && visible[1].fat);
}

struct MountCase
{
    const char* point;
    const char* type;
    const char* options;
    const char* device;
    bool removable;
    bool shown;
};

class DriveRule : public ::testing::TestWithParam<MountCase>
{
};

TEST_P(DriveRule, ShowsTheMountsAUserRecognisesAsTheirDrives)
{
    const MountCase& c = GetParam();
    const MountEntry entry{c.point, c.type, QString(c.options).split(',', Qt::SkipEmptyParts), c.device, c.removable};
    EXPECT_EQ(shouldShowMount(entry, {1000, "alice", "/home/alice"}), c.shown) << c.point << " " << c.type;
}

INSTANTIATE_TEST_SUITE_P(Mounts, DriveRule, ::testing::Values(
    // The user's media folders, home, /mnt and removable devices anywhere else.
    MountCase{"/media/alice/PSP", "vfat", "rw,uid=1000", "/dev/sdb1", true, true},
    MountCase{"/media/PSP", "vfat", "rw", "/dev/sdb1", false, true},
    MountCase{"/run/media/alice/PSP", "vfat", "rw", "/dev/sdb1", true, true},
    MountCase{"/home/alice/stick", "fuse.fusefat", "rw,user_id=1000,group_id=1000", "/dev/fuse", false, true},
    MountCase{"/mnt/card", "exfat", "rw", "/dev/mmcblk0p1", false, true},
    MountCase{"/srv/stick", "vfat", "rw", "/dev/sdc1", true, true},
    MountCase{"/data", "ext4", "rw,x-gvfs-show", "/dev/sda3", false, true},
    // System places, even for a removable device, and a fixed disk elsewhere.
    MountCase{"/", "ext4", "rw", "/dev/sda1", false, false},
    MountCase{"/boot/efi", "vfat", "rw", "/dev/sdb1", true, false},
    MountCase{"/var/lib/docker", "ext4", "rw", "/dev/sda4", false, false},
    MountCase{"/run/user/1000/doc", "fuse.portal", "rw,user_id=1000", "portal", false, false},
    MountCase{"/tmp/x", "vfat", "rw", "/dev/sdd1", true, false},
    MountCase{"/data", "ext4", "rw", "/dev/sda3", false, false},
    MountCase{"/home", "ext4", "rw", "/dev/sda2", false, false},
    // Pseudo and image file systems, wherever they are.
    MountCase{"/mnt/ram", "tmpfs", "rw,x-gvfs-show", "tmpfs", false, false},
    MountCase{"/proc", "proc", "rw", "proc", false, false},
    MountCase{"/snap/core/1", "squashfs", "ro", "/dev/loop3", false, false},
    MountCase{"/mnt/iso", "iso9660", "ro", "/dev/loop0", false, false},
    // Hidden on purpose, and other users' mounts.
    MountCase{"/media/alice/PSP", "vfat", "rw,x-gvfs-hide", "/dev/sdb1", true, false},
    MountCase{"/home/alice/.cache/mnt", "ext4", "rw", "/dev/sdb2", true, false},
    MountCase{"/media/bob/PSP", "vfat", "rw", "/dev/sdb1", true, false},
    MountCase{"/run/media/bob/PSP", "vfat", "rw", "/dev/sdb1", true, false},
    MountCase{"/mnt/bobs", "fuse.sshfs", "rw,user_id=1001,group_id=1001", "bob@host:", false, false}));
