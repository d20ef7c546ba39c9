#include "TempDir.h"

#include "platform/FatAttributes.h"
#include "platform/Volumes.h"

#include <gtest/gtest.h>

#include <QString>

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace platform;

namespace {

QString q(const fs::path& p)
{
    return QString::fromStdString(p.string());
}

class DeclaredVolumes : public ::testing::Test
{
protected:
    void SetUp() override { clearDeclaredVolumes(); }
    void TearDown() override { clearDeclaredVolumes(); }
};

} // namespace

TEST(EntryAttributes, DerivesDosAttributesOffFat)
{
    TempDir dir;
    fs::create_directories(dir.path() / "PSP");
    fs::create_directories(dir.path() / ".hidden");
    fs::create_directories(dir.path() / "locked");
    ::chmod((dir.path() / "locked").c_str(), 0555);
    dir.write("file.mp4", "x");
    fs::create_directory_symlink(dir.path() / "PSP", dir.path() / "link");

    const EntryAttributes& attributes = entryAttributes();
    EXPECT_EQ(attributes.attributes(q(dir.path() / "PSP")), attr::Directory);
    EXPECT_EQ(attributes.attributes(q(dir.path() / "PSP") + "/"), attr::Directory);
    EXPECT_EQ(attributes.attributes(q(dir.path() / ".hidden")), attr::Directory | attr::Hidden);
    EXPECT_EQ(attributes.attributes(q(dir.path() / "locked")), attr::Directory | attr::ReadOnly);
    EXPECT_EQ(attributes.attributes(q(dir.path() / "file.mp4")), attr::Normal);
    EXPECT_EQ(attributes.attributes(q(dir.path() / "link")), attr::Link) << "a link is never a plain folder";
    EXPECT_EQ(attributes.attributes(q(dir.path() / "missing")), 0u);
    ::chmod((dir.path() / "locked").c_str(), 0755);
}

TEST(EntryAttributes, MakesOneFolderAndRefusesWhatExists)
{
    TempDir dir;
    const EntryAttributes& attributes = entryAttributes();
    EXPECT_TRUE(attributes.makeDirectory(q(dir.path() / "MP_ROOT")));
    EXPECT_TRUE(fs::is_directory(dir.path() / "MP_ROOT"));
    EXPECT_FALSE(attributes.makeDirectory(q(dir.path() / "MP_ROOT")));
    EXPECT_FALSE(attributes.makeDirectory(q(dir.path() / "a" / "b"))) << "parents are not made";
    dir.write("plain", "x");
    EXPECT_FALSE(attributes.makeDirectory(q(dir.path() / "plain" / "100MNV01")));
}

TEST(EntryAttributes, ReplacementIsUsedAndRestored)
{
    struct Archived : EntryAttributes
    {
        std::uint32_t attributes(const QString&) const override { return attr::Directory | attr::Archive; }
    } fake;
    setEntryAttributes(&fake);
    EXPECT_EQ(entryAttributes().attributes("/"), attr::Directory | attr::Archive);
    setEntryAttributes(nullptr);
    EXPECT_EQ(entryAttributes().attributes("/"), attr::Directory);
}

TEST_F(DeclaredVolumes, AreListedAsRemovableWhileTheyExist)
{
    TempDir dir;
    const fs::path stick = dir.path() / "stick";
    fs::create_directories(stick);
    declareVolume(q(stick));
    declareVolume(q(stick) + "/./");
    ASSERT_EQ(declaredVolumes().size(), 1) << "the same folder twice is one volume";
    const QString root = q(stick) + "/";
    EXPECT_EQ(declaredVolumes().front(), root);

    auto all = volumes().list();
    auto it = std::find_if(all.begin(), all.end(), [&](const VolumeInfo& v) { return v.root == root; });
    ASSERT_NE(it, all.end());
    EXPECT_TRUE(it->removable);
    EXPECT_TRUE(it->declared);
    EXPECT_EQ(it->displayName, "stick (" + q(stick) + ")");
    EXPECT_TRUE(isRemovableRoot(root));
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end(),
                               [](const VolumeInfo& a, const VolumeInfo& b) { return a.root < b.root; }));

    const auto mounted = volumes().mounted();
    EXPECT_TRUE(std::none_of(mounted.begin(), mounted.end(), [](const VolumeInfo& v) { return v.declared; }));

    fs::remove_all(stick);
    all = volumes().list();
    EXPECT_TRUE(std::none_of(all.begin(), all.end(), [&](const VolumeInfo& v) { return v.root == root; }));
    EXPECT_FALSE(isRemovableRoot(root));
}

TEST_F(DeclaredVolumes, RootsAreCleanAbsoluteAndCompareExactly)
{
    EXPECT_EQ(rootOf("/media/a/../b//PSP"), "/media/b/PSP/");
    EXPECT_EQ(rootOf("/"), "/");
    EXPECT_TRUE(sameRoot("/media/PSP/", "/media/PSP/"));
    EXPECT_FALSE(sameRoot("/media/PSP/", "/media/psp/")) << "paths are case-sensitive here";
    EXPECT_FALSE(sameRoot("", ""));
    EXPECT_FALSE(isRemovableRoot("/no/such/root/"));
}

TEST(MountedVolumes, IncludeTheRootFileSystemOnce)
{
    const auto mounted = volumes().mounted();
    ASSERT_FALSE(mounted.empty());
    for (std::size_t i = 1; i < mounted.size(); ++i)
        EXPECT_LT(mounted[i - 1].root, mounted[i].root);
    for (const VolumeInfo& v : mounted) {
        EXPECT_TRUE(v.root.endsWith('/'));
        EXPECT_FALSE(v.displayName.isEmpty());
    }
}

TEST(MountedVolumes, ShowTheLastFileSystemMountedOnAPoint)
{
    // An automount point first, the card mounted over it later.
    VolumeInfo automount{"/media/card/", "card (/media/card)"};
    VolumeInfo card{"/media/card/", "PSP (/media/card)", true, false, true};
    VolumeInfo root{"/", "/"};
    const auto visible = visibleVolumes({automount, root, card});
    ASSERT_EQ(visible.size(), 2u);
    EXPECT_EQ(visible[0].root, "/");
    EXPECT_EQ(visible[1].displayName, "PSP (/media/card)");
    EXPECT_TRUE(visible[1].removable);
    EXPECT_TRUE(visible[1].fat);
}
