#include "FakeVolumes.h"
#include "TempDir.h"

#include "platform/FatAttributes.h"
#include "platform/Volumes.h"
#include "storage/PspDrives.h"

#include <gtest/gtest.h>

#include <QHash>

#include <filesystem>

namespace fs = std::filesystem;
using namespace storage;

namespace {

QString q(const fs::path& p)
{
    return QString::fromStdString(p.string());
}

// Gives chosen entries extra attribute bits; the rest keep their real ones.
class MarkedAttributes : public platform::EntryAttributes
{
public:
    MarkedAttributes() { platform::setEntryAttributes(this); }
    ~MarkedAttributes() override { platform::setEntryAttributes(nullptr); }

    std::uint32_t attributes(const QString& path) const override
    {
        QString key = path;
        while (key.endsWith('/'))
            key.chop(1);
        return EntryAttributes::attributes(path) | marks.value(key);
    }
    bool makeDirectory(const QString& path) const override
    {
        return !refuseMkdir && EntryAttributes::makeDirectory(path);
    }

    QHash<QString, std::uint32_t> marks;
    bool refuseMkdir = false;
};

// A stick folder: the named folders are made below it.
struct Stick
{
    TempDir dir;
    explicit Stick(std::initializer_list<const char*> folders)
    {
        for (const char* f : folders)
            fs::create_directories(dir.path() / f);
    }
    QString root() const { return q(dir.path()) + "/"; }
};

} // namespace

TEST(IsPSPDrive, NeedsAPspFolderWithAKnownSubfolder)
{
    FakeVolumes volumes;
    const struct
    {
        std::initializer_list<const char*> folders;
        bool psp;
        const char* why;
    } cases[] = {
        {{"PSP/PHOTO"}, true, "PHOTO"},
        {{"PSP/music"}, true, "music"},
        {{"PSP/Music"}, true, "Music in mixed case"},
        {{"PSP/MUSIC"}, true, "MUSIC in upper case"},
        {{"PSP/SaveData"}, true, "savedata in any case"},
        {{"psp/PHOTO"}, false, "lower-case psp"},
        {{"Psp/PHOTO"}, false, "mixed-case Psp"},
        {{"PSP/GAME"}, false, "only a game folder"},
        {{"PSP"}, false, "an empty PSP folder"},
        {{"MP_ROOT/100MNV01"}, false, "videos but no PSP folder"},
        {{}, false, "an empty drive"},
    };
    for (const auto& c : cases) {
        Stick stick(c.folders);
        volumes.add(stick.root(), true);
        EXPECT_EQ(IsPSPDrive(stick.root()), c.psp) << c.why;
    }
}

TEST(IsPSPDrive, NeedsPlainFolders)
{
    FakeVolumes volumes;
    {
        Stick stick({"PSP/PHOTO"});
        volumes.add(stick.root(), true);
        stick.dir.write("PSP/music", "a file, not a folder");
        fs::remove_all(stick.dir.path() / "PSP/PHOTO");
        EXPECT_FALSE(IsPSPDrive(stick.root())) << "a file named music";
    }
    {
        Stick stick({"real/PHOTO"});
        volumes.add(stick.root(), true);
        fs::create_directory_symlink(stick.dir.path() / "real", stick.dir.path() / "PSP");
        EXPECT_FALSE(IsPSPDrive(stick.root())) << "PSP as a link";
    }
    {
        Stick stick({"PSP/PHOTO"});
        volumes.add(stick.root(), true);
        MarkedAttributes marked;
        marked.marks[q(stick.dir.path() / "PSP")] = platform::attr::Archive;
        EXPECT_FALSE(IsPSPDrive(stick.root())) << "PSP with the archive mark";
        marked.marks.clear();
        marked.marks[q(stick.dir.path() / "PSP/PHOTO")] = platform::attr::Hidden;
        EXPECT_FALSE(IsPSPDrive(stick.root())) << "hidden PHOTO";
        fs::create_directories(stick.dir.path() / "PSP/SAVEDATA");
        EXPECT_TRUE(IsPSPDrive(stick.root())) << "a second, plain subfolder counts";
        marked.marks[q(stick.dir.path() / "PSP")] = platform::attr::ReadOnly;
        EXPECT_FALSE(IsPSPDrive(stick.root())) << "read-only PSP";
    }
}

TEST(IsPSPDrive, NeedsARemovableDrive)
{
    FakeVolumes volumes;
    Stick fixed({"PSP/PHOTO", "MP_ROOT/100MNV01"});
    Stick unknown({"PSP/PHOTO"});
    volumes.add(fixed.root(), false);
    EXPECT_FALSE(IsPSPDrive(fixed.root())) << "a fixed disk";
    EXPECT_FALSE(IsPSPDrive(unknown.root())) << "a folder that is no volume";
    EXPECT_FALSE(IsPSPDrive(""));
    EXPECT_FALSE(IsPSPDrive("/no/such/drive/"));
}

TEST(IsPSPDrive, DeclaredFolderIsARemovableDrive)
{
    platform::clearDeclaredVolumes();
    Stick stick({"PSP/PHOTO"});
    EXPECT_FALSE(IsPSPDrive(stick.root()));
    platform::declareVolume(stick.root());
    EXPECT_TRUE(IsPSPDrive(stick.root()));
    EXPECT_TRUE(IsPSPDrive(q(stick.dir.path()))) << "the root without its separator";
    EXPECT_EQ(FirstPSPRoot(), stick.root());
    platform::clearDeclaredVolumes();
}

TEST(FirstPSP, IsTheFirstInMountPointOrder)
{
    FakeVolumes volumes;
    Stick a({"PSP/PHOTO"});
    Stick b({"PSP/music"});
    Stick notPsp({"PSP/GAME"});
    volumes.add(notPsp.root(), true);
    volumes.add(a.root(), true);
    volumes.add(b.root(), true);
    const QString expected = std::min(a.root(), b.root());
    EXPECT_EQ(FirstPSPRoot(), expected);
}

TEST(PspFolder, PathsAndTheirRoots)
{
    EXPECT_EQ(PspFolderOf("/media/PSP/"), "/media/PSP/MP_ROOT/100MNV01/");
    EXPECT_EQ(PspFolderOf("/media/PSP"), "/media/PSP/MP_ROOT/100MNV01/");
    EXPECT_EQ(RootOfPspPath("/media/PSP/MP_ROOT/100MNV01/"), "/media/PSP/");
    EXPECT_EQ(RootOfPspPath("/media/PSP/MP_ROOT/100MNV01"), "");
    EXPECT_EQ(RootOfPspPath(""), "");
}

TEST(PspFolder, IsMadeWhereMissing)
{
    {
        Stick stick({"PSP/PHOTO"});
        QString path;
        ASSERT_EQ(MakePspFolder(stick.root(), path), PspFolderResult::Ok);
        EXPECT_EQ(path, stick.root() + "MP_ROOT/100MNV01/");
        EXPECT_TRUE(fs::is_directory(stick.dir.path() / "MP_ROOT/100MNV01"));
    }
    {
        Stick stick({"MP_ROOT"});
        QString path;
        ASSERT_EQ(MakePspFolder(stick.root(), path), PspFolderResult::Ok);
        EXPECT_TRUE(fs::is_directory(stick.dir.path() / "MP_ROOT/100MNV01"));
    }
    {
        Stick stick({"MP_ROOT/100MNV01"});
        stick.dir.write("MP_ROOT/100MNV01/m4v00001.mp4", "video");
        QString path;
        ASSERT_EQ(MakePspFolder(stick.root(), path), PspFolderResult::Ok);
        EXPECT_EQ(readFileBytes(stick.dir.path() / "MP_ROOT/100MNV01/m4v00001.mp4"), "video");
    }
}

TEST(PspFolder, FailuresAAndB)
{
    {
        Stick stick({});
        stick.dir.write("MP_ROOT", "a plain file");
        QString path = "unchanged";
        EXPECT_EQ(MakePspFolder(stick.root(), path), PspFolderResult::FailureB);
        EXPECT_EQ(path, "unchanged");
        EXPECT_EQ(readFileBytes(stick.dir.path() / "MP_ROOT"), "a plain file");
    }
    {
        Stick stick({"PSP/PHOTO"});
        MarkedAttributes refusing;
        refusing.refuseMkdir = true;
        QString path;
        EXPECT_EQ(MakePspFolder(stick.root(), path), PspFolderResult::FailureA);
        fs::create_directories(stick.dir.path() / "MP_ROOT");
        EXPECT_EQ(MakePspFolder(stick.root(), path), PspFolderResult::FailureB);
    }
}
