#include "RecordingPrompt.h"
#include "StorageTestSupport.h"
#include "TempDir.h"
#include "TestWindow.h"

#include "storage/Catalogue.h"
#include "storage/LocalFolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSignalSpy>
#include <QTest>

using namespace storage;

namespace {

class LocalFolderTest : public testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("REELKEEPER_APPDIR", REELKEEPER_APPDIR);
        folder.write("clip.mp4", minimalMp4());
        other.write("a.mp4", minimalMp4());
        other.write("b.MP4", minimalMp4());
        w.window.setFocus();
    }
    void TearDown() override { setFolderPicker({}); }

    void pressEnterInEdit()
    {
        w.folderEdit->setFocus();
        QTest::keyClick(w.folderEdit, Qt::Key_Return);
    }

    RecordingPrompt prompt;
    TempDir folder;
    TempDir other;
    TestWindow w;
    LocalFolderController controller{w.parts, w.browse};
};

} // namespace

TEST_F(LocalFolderTest, EnterListsTheTypedFolderAndIsConsumed)
{
    QSignalSpy returnPressed(w.folderEdit, &QLineEdit::returnPressed);
    w.folderEdit->setText(qpath(folder.path()));
    pressEnterInEdit();
    EXPECT_EQ(w.localList->count(), 1);
    EXPECT_TRUE(w.localList->ContainsPath(qpath(folder.path() / "clip.mp4")));
    EXPECT_EQ(returnPressed.count(), 0); // never reaches anything else
    EXPECT_TRUE(w.refresh->isEnabled());
    EXPECT_TRUE(prompt.texts.isEmpty());
}

TEST_F(LocalFolderTest, InvalidTypedFolderFallsBackToHome)
{
    for (const QString& bad : {qpath(folder.path() / "missing"), qpath(folder.path()) + u'/', QStringLiteral("/")}) {
        prompt.texts.clear();
        w.folderEdit->setText(bad);
        pressEnterInEdit();
        EXPECT_EQ(prompt.texts, QStringList(QStringLiteral("Invalid file path!"))) << bad.toStdString();
        EXPECT_EQ(w.folderEdit->text(), QDir::homePath());
        EXPECT_TRUE(w.refresh->isEnabled());
    }
}

TEST_F(LocalFolderTest, BrowseListsTheChosenFolder)
{
    QString askedTitle;
    setFolderPicker([&](QWidget*, const QString& title) {
        askedTitle = title;
        return qpath(other.path());
    });
    w.folderEdit->setText(qpath(folder.path()));
    QTest::mouseClick(w.browse, Qt::LeftButton);
    EXPECT_EQ(askedTitle, u"Please select source folder.");
    EXPECT_EQ(w.folderEdit->text(), qpath(other.path()));
    EXPECT_EQ(w.localList->count(), 2);
}

TEST_F(LocalFolderTest, CancelledBrowseListsTheFolderOfTheField)
{
    setFolderPicker([](QWidget*, const QString&) { return QString(); });
    w.folderEdit->setText(qpath(folder.path()));
    QTest::mouseClick(w.browse, Qt::LeftButton);
    EXPECT_EQ(w.folderEdit->text(), qpath(folder.path()));
    EXPECT_EQ(w.localList->count(), 1);
}

TEST_F(LocalFolderTest, StartUpListsTheDefaultFolder)
{
    initLists(w.parts, qpath(other.path()) + u'/');
    EXPECT_EQ(w.localList->count(), 2);
    EXPECT_EQ(w.pspList->count(), 0);
    EXPECT_TRUE(w.localList->ContainsPath(qpath(other.path() / "a.mp4")));
    EXPECT_EQ(w.localList->columnWidth(), w.localList->viewport()->width());
    EXPECT_TRUE(w.refresh->isEnabled());
}

TEST_F(LocalFolderTest, RefreshSideListsTheFieldTextUnchanged)
{
    w.folderEdit->setText(qpath(other.path()) + u'/'); // a trailing separator still lists
    listLocalFolder(w.parts);
    EXPECT_EQ(w.localList->count(), 2);
    EXPECT_TRUE(w.localList->ContainsPath(qpath(other.path() / "a.mp4")));
}

TEST_F(LocalFolderTest, RefreshStaysDisabledWhileAnotherFillRuns)
{
    bool refreshEnabledMidFill = true;
    QTimer::singleShot(0, w.localList, [&] {
        // A second request from an event handled during the fill.
        fillGuarded(w.parts, w.localList, videoPattern(qpath(other.path())));
        refreshEnabledMidFill = w.refresh->isEnabled();
    });
    fillGuarded(w.parts, w.localList, videoPattern(qpath(folder.path())));
    EXPECT_FALSE(refreshEnabledMidFill);
    EXPECT_TRUE(w.refresh->isEnabled());
    EXPECT_EQ(w.localList->count(), 2); // the later request won
}
