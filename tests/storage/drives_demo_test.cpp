#include "TempDir.h"

#include "platform/Volumes.h"
#include "storage/DemoStick.h"
#include "storage/PspDrives.h"
#include "transfer/PspNaming.h"

#include <gtest/gtest.h>

#include <QDir>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

QString q(const fs::path& p)
{
    return QString::fromStdString(p.string());
}

const QString kSource = QStringLiteral(REELKEEPER_APPDIR "/demo");

} // namespace

TEST(DemoStick, IsAPspWithVideosAndKeepsTheUsersChangesWhenMadeAgain)
{
    TempDir base;
    storage::DemoPaths demo = storage::MakeDemo(q(base.path()), kSource);
    ASSERT_FALSE(demo.stickRoot.isEmpty());
    EXPECT_EQ(demo.stickRoot, q(base.path()) + "/stick/");
    EXPECT_EQ(demo.localFolder, q(base.path()) + "/computer");
    platform::clearDeclaredVolumes();
    platform::declareVolume(demo.stickRoot);
    EXPECT_TRUE(storage::IsPSPDrive(demo.stickRoot));
    platform::clearDeclaredVolumes();

    const QString videos = storage::PspFolderOf(demo.stickRoot);
    EXPECT_EQ(QDir(videos).entryList({"*.mp4"}, QDir::Files).size(), 3);
    EXPECT_EQ(QDir(videos).entryList({"*.THM"}, QDir::Files).size(), 3);
    EXPECT_EQ(transfer::GetNextPspFileName(videos), "m4v00004.mp4");
    EXPECT_FALSE(fs::exists(base.path() / "stick.new"));

    fs::remove((videos + "m4v00001.mp4").toStdString());
    fs::remove_all(demo.localFolder.toStdString());
    demo = storage::MakeDemo(q(base.path()), kSource);
    EXPECT_FALSE(fs::exists((videos + "m4v00001.mp4").toStdString())) << "the stick the user changed stays";
    EXPECT_EQ(QDir(demo.localFolder).entryList({"*.mp4"}, QDir::Files).size(), 2) << "the missing folder is made again";
}

TEST(DemoStick, MissingSourceLeavesNothingHalfMade)
{
    TempDir base;
    const storage::DemoPaths demo = storage::MakeDemo(q(base.path()), q(base.path() / "no-such-source"));
    EXPECT_TRUE(demo.stickRoot.isEmpty());
    EXPECT_FALSE(fs::exists(base.path() / "stick"));
    EXPECT_FALSE(fs::exists(base.path() / "stick.new"));
}
