// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FakeVolumes.h"
#include "StorageTestSupport.h"
#include "TempDir.h"

#include "platform/FatAttributes.h"
#include "platform/Volumes.h"
#include "storage/DemoStick.h"
#include "storage/PspDrives.h"
#include "transfer/PspNaming.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QHash>

#include <filesystem>

namespace fs = std::filesystem;
using namespace storage;

namespace {

// Gives chosen entries extra attribute bits; the rest keep their real ones.
class MarkedAttributes : public platform::EntryAttributes
{
public:
    MarkedAttributes() { platform::setEntryAttributes(this); }
    ~MarkedAttributes() override { platform::setEntryAttributes(nullptr); }

    std::uint32_t attributes(const QString& path) const override
    {
        return EntryAttributes::attributes(path) | marks.value(path.endsWith('/') ? path.chopped(1) : path);
    }
    bool makeDirectory(const QString& path) const override
    {
        return !refuseMkdir && EntryAttributes::makeDirectory(path);
    }

    QHash<QString, std::uint32_t> marks;
    bool refuseMkdir = false;
};

// A stick folder with the named folders below it.
struct Stick
{
    TempDir dir;
    explicit Stick(std::initializer_list<const char*> folders)
    {
        for (const char* f : folders)
            fs::create_directories(dir.path() / f);
    }
    QString root() const { return qpath(dir.path()) + "/"; }
    QString at(const char* relative) const { return root() + relative; }
};

} // namespace

TEST(IsPSPDrive, NeedsAPlainPspFolderWithAKnownSubfolder)
{
    using namespace platform::attr;
    const struct
    {
        std::initializer_list<const char*> folders;
        bool psp;
        const char* why;
        // Given these attribute bits; without, a link to "real" where that exists, else a file.
        const char* entry = nullptr;
        std::uint32_t bits = 0;
    } cases[] = {
        {{"PSP/PHOTO"}, true, "PHOTO"},
        {{"PSP/music"}, true, "music"},
        {{"PSP/Music"}, true, "Music in mixed case"},
        {{"PSP/SaveData"}, true, "savedata in any case"},
        {{"psp/PHOTO"}, false, "lower-case psp"},
        {{"PSP/GAME"}, false, "only a game folder"},
        {{"PSP"}, false, "an empty PSP folder"},
        {{"MP_ROOT/100MNV01"}, false, "videos but no PSP folder"},
        {{"PSP"}, false, "a file named music", "PSP/music"},
        {{"real/PHOTO"}, false, "PSP as a link", "PSP"},
        {{"PSP/PHOTO"}, false, "PSP with the archive mark", "PSP", Archive},
        {{"PSP/PHOTO"}, false, "read-only PSP", "PSP", ReadOnly},
        {{"PSP/PHOTO"}, false, "hidden PHOTO", "PSP/PHOTO", Hidden},
        {{"PSP/PHOTO", "PSP/SAVEDATA"}, true, "a second, plain subfolder counts", "PSP/PHOTO", Hidden},
    };
    for (const auto& c : cases) {
        FakeVolumes volumes;
        MarkedAttributes marked;
        Stick stick(c.folders);
        volumes.add(stick.root(), true);
        if (c.bits)
            marked.marks[stick.at(c.entry)] = c.bits;
        else if (c.entry && fs::exists(stick.dir.path() / "real"))
            fs::create_directory_symlink(stick.dir.path() / "real", stick.dir.path() / c.entry);
        else if (c.entry)
            stick.dir.write(c.entry, "a file, not a folder");
        EXPECT_EQ(IsPSPDrive(stick.root()), c.psp) << c.why;
    }
}

TEST(IsPSPDrive, NeedsARemovableDriveAndTheFirstInMountPointOrderIsTaken)
{
    FakeVolumes volumes;
    Stick fixed({"PSP/PHOTO", "MP_ROOT/100MNV01"});
    Stick unknown({"PSP/PHOTO"});
    volumes.add(fixed.root(), false);
    EXPECT_FALSE(IsPSPDrive(fixed.root())) << "a fixed disk";
    EXPECT_FALSE(IsPSPDrive(unknown.root())) << "a folder that is no volume";
    EXPECT_FALSE(IsPSPDrive(""));
    EXPECT_FALSE(IsPSPDrive("/no/such/drive/"));

    Stick a({"PSP/PHOTO"});
    Stick b({"PSP/music"});
    Stick notPsp({"PSP/GAME"});
    volumes.add(notPsp.root(), true);
    volumes.add(a.root(), true);
    volumes.add(b.root(), true);
    EXPECT_EQ(FirstPSPRoot(), std::min(a.root(), b.root()));
    EXPECT_TRUE(IsPSPDrive(a.root().chopped(1))) << "the root without its separator";
}

TEST(PspFolder, PathsAndTheirRoots)
{
    EXPECT_EQ(PspFolderOf("/media/PSP/"), "/media/PSP/MP_ROOT/100MNV01/");
    EXPECT_EQ(PspFolderOf("/media/PSP"), "/media/PSP/MP_ROOT/100MNV01/");
    EXPECT_EQ(RootOfPspPath("/media/PSP/MP_ROOT/100MNV01/"), "/media/PSP/");
    EXPECT_EQ(RootOfPspPath("/media/PSP/MP_ROOT/100MNV01"), "");
}

TEST(PspFolder, IsMadeWhereMissingOrSaysWhichStepFailed)
{
    const struct
    {
        std::initializer_list<const char*> folders;
        bool mpRootIsAFile, refuseMkdir;
        PspFolderResult result;
    } cases[] = {
        {{"PSP/PHOTO"}, false, false, PspFolderResult::Ok},
        {{"MP_ROOT"}, false, false, PspFolderResult::Ok},
        {{"MP_ROOT/100MNV01"}, false, false, PspFolderResult::Ok},
        {{}, true, false, PspFolderResult::FailureB},
        {{"PSP/PHOTO"}, false, true, PspFolderResult::FailureA},
        {{"MP_ROOT"}, false, true, PspFolderResult::FailureB},
    };
    for (const auto& c : cases) {
        Stick stick(c.folders);
        MarkedAttributes marked;
        marked.refuseMkdir = c.refuseMkdir;
        const bool hadFolder = fs::is_directory(stick.dir.path() / "MP_ROOT/100MNV01");
        if (c.mpRootIsAFile)
            stick.dir.write("MP_ROOT", "a plain file");
        if (hadFolder)
            stick.dir.write("MP_ROOT/100MNV01/m4v00001.mp4", "video");
        QString path = "unchanged";
        EXPECT_EQ(MakePspFolder(stick.root(), path), c.result) << c.folders.size() << c.refuseMkdir;
        const bool ok = c.result == PspFolderResult::Ok;
        EXPECT_EQ(path, ok ? stick.at("MP_ROOT/100MNV01/") : "unchanged");
        EXPECT_EQ(fs::is_directory(stick.dir.path() / "MP_ROOT/100MNV01"), ok);
        if (c.mpRootIsAFile || hadFolder) {
            EXPECT_EQ(readFileBytes(stick.dir.path() / (hadFolder ? "MP_ROOT/100MNV01/m4v00001.mp4" : "MP_ROOT")),
                      hadFolder ? "video" : "a plain file");
        }
    }
}

TEST(DemoStick, IsAPspWithVideosAndKeepsTheUsersChangesWhenMadeAgain)
{
    TempDir base;
    DemoPaths demo = MakeDemo(qpath(base.path()), QStringLiteral(REELKEEPER_APPDIR "/demo"));
    ASSERT_FALSE(demo.stickRoot.isEmpty());
    EXPECT_EQ(demo.stickRoot, qpath(base.path()) + "/stick/");
    EXPECT_EQ(demo.localFolder, qpath(base.path()) + "/computer");
    platform::clearDeclaredVolumes();
    platform::declareVolume(demo.stickRoot);
    EXPECT_TRUE(IsPSPDrive(demo.stickRoot));
    platform::clearDeclaredVolumes();

    const QString videos = PspFolderOf(demo.stickRoot);
    EXPECT_EQ(QDir(videos).entryList({"*.mp4"}, QDir::Files).size(), 3);
    EXPECT_EQ(QDir(videos).entryList({"*.THM"}, QDir::Files).size(), 3);
    EXPECT_EQ(transfer::GetNextPspFileName(videos), "m4v00004.mp4");
    EXPECT_FALSE(fs::exists(base.path() / "stick.new"));

    fs::remove((videos + "m4v00001.mp4").toStdString());
    fs::remove_all(demo.localFolder.toStdString());
    demo = MakeDemo(qpath(base.path()), QStringLiteral(REELKEEPER_APPDIR "/demo"));
    EXPECT_FALSE(fs::exists((videos + "m4v00001.mp4").toStdString())) << "the stick the user changed stays";
    EXPECT_EQ(QDir(demo.localFolder).entryList({"*.mp4"}, QDir::Files).size(), 2) << "the missing folder is made again";
}

TEST(DemoStick, MissingSourceLeavesNothingHalfMade)
{
    TempDir base;
    const DemoPaths demo = MakeDemo(qpath(base.path()), qpath(base.path() / "no-such-source"));
    EXPECT_TRUE(demo.stickRoot.isEmpty());
    EXPECT_FALSE(fs::exists(base.path() / "stick"));
    EXPECT_FALSE(fs::exists(base.path() / "stick.new"));
}
