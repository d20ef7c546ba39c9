// The real main window with its lists, space figures and PSP drives wired: start-up with
// a declared PSP volume, selections, the folder field, a PSP arriving and going away, and
// the demonstration data.
#include "ShellFixture.h"

#include "platform/FileSystem.h"
#include "platform/MountWatcher.h"
#include "platform/Volumes.h"
#include "shell/CMainStatusBar.h"
#include "shell/CommandLine.h"
#include "skin/GlobalHelper.h"
#include "skin/UxButton.h"
#include "storage/CDriveComboEx.h"
#include "storage/CPSPVolCtrl.h"
#include "storage/CVideoListCtrl.h"
#include "storage/LocalFolder.h"
#include "mp4title/Title.h"

#include <QDir>
#include <QLineEdit>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

const QString kSpacePrefix = QStringLiteral("Used/Total(Selected):  ");
const QString kDisconnected = QStringLiteral("You have disabled the PSP USB connection!");
const QString kNoPsp = QStringLiteral("You haven't attached your PSP to the Computer!");

QString q(const fs::path& path)
{
    return QString::fromStdString(path.string());
}

fs::path sample(const char* name)
{
    return fs::path(REELKEEPER_TEST_DATA) / "mp4" / name;
}

// A memory stick: PSP/PHOTO and two videos (numbers 1 and 7) in the PSP video folder.
void makeStick(const fs::path& root)
{
    fs::create_directories(root / "PSP" / "PHOTO");
    const fs::path videos = root / "MP_ROOT" / "100MNV01";
    fs::create_directories(videos);
    fs::copy_file(sample("hello.mp4"), videos / "M4V00001.MP4");
    fs::copy_file(sample("no-title.mp4"), videos / "M4V00007.MP4");
}

// A computer folder with three videos.
void makeLocalFolder(const fs::path& folder)
{
    fs::create_directories(folder);
    fs::copy_file(sample("hello.mp4"), folder / "a.mp4");
    fs::copy_file(sample("non-ascii.mp4"), folder / "b.mp4");
    fs::copy_file(sample("faststart.mp4"), folder / "c.mp4");
}

// A PSP of 1000 MiB with 100 MiB free on which every video is 75 MiB long.
class SmallPspFileSystem : public platform::FileSystem
{
public:
    SmallPspFileSystem() { platform::setFileSystem(this); }
    ~SmallPspFileSystem() override { platform::setFileSystem(nullptr); }

    std::optional<platform::VolumeSpace> space(const QString& path) const override
    {
        if (path.isEmpty())
            return std::nullopt;
        return platform::VolumeSpace{100ull << 20, 1000ull << 20, 100ull << 20};
    }
    std::optional<std::uint64_t> readableSize(const QString&) const override { return 75ull << 20; }
};

class DrivesListsTest : public ShellTest
{
protected:
    void TearDown() override { platform::clearDeclaredVolumes(); }

    std::unique_ptr<CMainDlg> openWindowOn(const QString& startFolder)
    {
        auto window = std::make_unique<CMainDlg>();
        window->SetStartFolder(startFolder);
        window->show();
        EXPECT_TRUE(window->IsInitialised());
        return window;
    }

    static QString spaceText(const CMainDlg& window) { return window.StatusBar()->GetText(2); }

    static void expectTransferButtons(const CMainDlg& window, bool toPsp, bool fromPsp)
    {
        EXPECT_EQ(window.Button(CMainDlg::IDC_MOVE_TO_PSP)->isEnabled(), toPsp);
        EXPECT_EQ(window.Button(CMainDlg::IDC_COPY_TO_PSP)->isEnabled(), toPsp);
        EXPECT_EQ(window.Button(CMainDlg::IDC_MOVE_FROM_PSP)->isEnabled(), fromPsp);
        EXPECT_EQ(window.Button(CMainDlg::IDC_COPY_FROM_PSP)->isEnabled(), fromPsp);
        EXPECT_EQ(window.Button(CMainDlg::IDC_DELETE)->isEnabled(), fromPsp);
    }

    TempDir temp;
    const fs::path stick = temp.path() / "stick";
    const fs::path local = temp.path() / "local";
};

} // namespace

TEST_F(DrivesListsTest, StartUpOpensTheDeclaredPspAndFollowsSelections)
{
    makeStick(stick);
    makeLocalFolder(local);
    platform::declareVolume(q(stick));
    pref.PutString(QStringLiteral("LocalPath"), q(local));

    auto window = openWindow();
    EXPECT_FALSE(prompt.texts.contains(kNoPsp)) << prompt.texts.join(u'|').toStdString();
    EXPECT_EQ(window->m_strPSPPath, platform::rootOf(q(stick)) + QStringLiteral("MP_ROOT/100MNV01/"));

    // The right list shows the PSP video folder, the left the stored folder.
    CVideoListCtrl* psp = window->PspList();
    ASSERT_EQ(psp->count(), 2);
    EXPECT_TRUE(psp->ContainsPath(q(stick / "MP_ROOT" / "100MNV01" / "M4V00001.MP4")));
    EXPECT_TRUE(psp->ContainsPath(q(stick / "MP_ROOT" / "100MNV01" / "M4V00007.MP4")));
    EXPECT_EQ(window->LocalList()->count(), 3);
    EXPECT_EQ(window->FolderEdit()->text(), q(local));

    EXPECT_EQ(window->NextNumEdit()->text(), QStringLiteral("00008"));
    EXPECT_TRUE(spaceText(*window).startsWith(kSpacePrefix)) << spaceText(*window).toStdString();
    EXPECT_TRUE(spaceText(*window).endsWith(QStringLiteral(" MB ")));
    EXPECT_GT(window->VolumeBar()->m_nWidth, 0);
    EXPECT_EQ(window->VolumeBar()->m_nWidth, window->VolumeBar()->width());
    EXPECT_EQ(window->DriveCombo().RootAt(window->DriveCombo().currentIndex()), platform::rootOf(q(stick)));

    // Nothing selected: no transfer button.
    QApplication::processEvents();
    expectTransferButtons(*window, false, false);

    // Selecting every local row is one change and costs one space update.
    const int before = window->SpaceUpdater()->updateCount();
    window->LocalList()->setFocus();
    QTest::keyClick(window->LocalList(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(window->LocalList()->selectedRows().size(), 3);
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(window->SpaceUpdater()->updateCount(), before + 1);
    EXPECT_TRUE(spaceText(*window).startsWith(kSpacePrefix));
    expectTransferButtons(*window, true, false);

    // A click on a PSP row turns on the buttons that take videos from the PSP.
    const QRect row = psp->visualRect(psp->model()->index(0, 0));
    QTest::mouseClick(psp->viewport(), Qt::LeftButton, {}, row.center());
    QApplication::processEvents();
    EXPECT_EQ(psp->selectedRows(), QList<int>{0});
    expectTransferButtons(*window, true, true);

    // A transfer locks the input; its end unlocks it, the buttons by the selections. About stays.
    const QList<QWidget*> inputs{window->Button(CMainDlg::IDC_BROWSE), window->FolderEdit(), &window->DriveCombo(),
                                 window->NextNumEdit(), window->Button(CMainDlg::IDC_REFRESH),
                                 window->LocalList(), psp};
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->Button(CMainDlg::IDC_REFRESH)->isEnabled(); }, 1000));
    window->EnableInput(false);
    expectTransferButtons(*window, false, false);
    for (const QWidget* input : inputs)
        EXPECT_FALSE(input->isEnabled()) << input->objectName().toStdString();
    EXPECT_TRUE(window->Button(CMainDlg::IDC_ABOUT)->isEnabled());
    window->EnableInput(true);
    expectTransferButtons(*window, true, true);
    for (const QWidget* input : inputs)
        EXPECT_TRUE(input->isEnabled()) << input->objectName().toStdString();
}

TEST_F(DrivesListsTest, SelectionsMoveTheUsageBarAndMarkAnOverflow)
{
    makeStick(stick);
    makeLocalFolder(local);
    platform::declareVolume(q(stick));
    pref.PutString(QStringLiteral("LocalPath"), q(local));
    SmallPspFileSystem small;
    auto window = openWindow();
    const CPSPVolCtrl* bar = window->VolumeBar();
    const int width = bar->m_nWidth;
    ASSERT_GT(width, 0);
    EXPECT_EQ(spaceText(*window), QStringLiteral("Used/Total(Selected):  900(900)/1000(0) MB "));
    EXPECT_EQ(bar->m_nUsedPos, width * 9 / 10);

    // One local video fits.
    CVideoListCtrl* localList = window->LocalList();
    QTest::mouseClick(localList->viewport(), Qt::LeftButton, {},
                      localList->visualRect(localList->model()->index(0, 0)).center());
    QApplication::processEvents();
    EXPECT_EQ(spaceText(*window), QStringLiteral("Used/Total(Selected):  900(975)/1000(0) MB "));
    EXPECT_EQ(bar->m_nSelPos, static_cast<int>(975.0 / 1000 * width));
    EXPECT_FALSE(bar->m_bOverflow);
    expectTransferButtons(*window, true, false);

    // Two do not: the bar turns red and nothing may go to the PSP.
    QTest::mouseClick(localList->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      localList->visualRect(localList->model()->index(1, 0)).center());
    QApplication::processEvents();
    EXPECT_EQ(localList->selectedRows().size(), 2);
    EXPECT_EQ(spaceText(*window), QStringLiteral("Used/Total(Selected):  900(1050)/1000(0) MB "));
    EXPECT_TRUE(bar->m_bOverflow);
    expectTransferButtons(*window, false, false);

    // Nothing selected: the mark goes away.
    localList->clearSelection();
    QApplication::processEvents();
    EXPECT_FALSE(bar->m_bOverflow);
    EXPECT_EQ(bar->m_nSelPos, bar->m_nUsedPos);
}

TEST_F(DrivesListsTest, RefreshListsBothSidesAgainAndPausesTheButton)
{
    makeStick(stick);
    makeLocalFolder(local);
    platform::declareVolume(q(stick));
    pref.PutString(QStringLiteral("LocalPath"), q(local));
    auto window = openWindow();

    fs::copy_file(sample("hello.mp4"), stick / "MP_ROOT" / "100MNV01" / "M4V00020.MP4");
    fs::remove(local / "c.mp4");
    QTest::qWait(150);
    UxButton* refresh = window->Button(CMainDlg::IDC_REFRESH);
    ASSERT_TRUE(refresh->isEnabled());
    QTest::mouseClick(refresh, Qt::LeftButton);

    EXPECT_EQ(window->PspList()->count(), 3);
    EXPECT_EQ(window->LocalList()->count(), 2);
    EXPECT_EQ(window->NextNumEdit()->text(), QStringLiteral("00021"));
    EXPECT_TRUE(spaceText(*window).startsWith(kSpacePrefix));
    // Refresh comes back after its pause.
    EXPECT_FALSE(refresh->isEnabled());
    EXPECT_TRUE(QTest::qWaitFor([&] { return refresh->isEnabled(); }, 1000));
}

TEST_F(DrivesListsTest, EnterWithABadFolderSaysSoAndListsTheFallback)
{
    makeLocalFolder(local);
    pref.PutString(QStringLiteral("LocalPath"), q(local));
    auto window = openWindow();
    ASSERT_EQ(window->LocalList()->count(), 3);
    prompt.texts.clear();

    QLineEdit* field = window->FolderEdit();
    field->setText(q(temp.path() / "missing"));
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(prompt.texts, QStringList{QStringLiteral("Invalid file path!")});
    EXPECT_EQ(field->text(), storage::fallbackLocalFolder());
    EXPECT_TRUE(window->isVisible());

    // A good folder is listed without a word.
    prompt.texts.clear();
    field->setText(q(local));
    QTest::keyClick(field, Qt::Key_Enter);
    EXPECT_TRUE(prompt.texts.isEmpty());
    EXPECT_EQ(window->LocalList()->count(), 3);
}

TEST_F(DrivesListsTest, BrowseListsTheChosenFolderOnce)
{
    makeLocalFolder(local);
    auto window = openWindow();
    QStringList titles;
    storage::setFolderPicker([&](QWidget*, const QString& title) {
        titles << title;
        return q(local);
    });
    int fills = 0;
    QObject::connect(window->LocalList(), &CVideoListCtrl::fillFinished, [&fills] { ++fills; });
    QTest::mouseClick(window->Button(CMainDlg::IDC_BROWSE), Qt::LeftButton);
    storage::setFolderPicker({});

    EXPECT_EQ(titles, QStringList{QStringLiteral("Please select source folder.")});
    EXPECT_EQ(fills, 1);
    EXPECT_EQ(window->FolderEdit()->text(), q(local));
    EXPECT_EQ(window->LocalList()->count(), 3);
}

TEST_F(DrivesListsTest, PspGoingAwayEmptiesItsSideAndComingBackFillsIt)
{
    makeStick(stick);
    platform::declareVolume(q(stick));
    auto window = openWindow();
    ASSERT_EQ(window->PspList()->count(), 2);
    ASSERT_NE(window->Watcher(), nullptr);
    window->PspList()->selectAll();
    QApplication::processEvents();
    expectTransferButtons(*window, false, true);
    prompt.texts.clear();

    // Unplugged: the declared folder is gone.
    const fs::path away = temp.path() / "away";
    fs::rename(stick, away);
    window->Watcher()->checkNow();
    EXPECT_EQ(prompt.texts, QStringList{kDisconnected});
    EXPECT_TRUE(window->m_strPSPPath.isEmpty());
    EXPECT_EQ(window->PspList()->count(), 0);
    EXPECT_TRUE(window->NextNumEdit()->text().isEmpty());
    EXPECT_TRUE(spaceText(*window).isEmpty());
    EXPECT_EQ(window->VolumeBar()->m_nUsedPos, 0);
    expectTransferButtons(*window, false, false);

    // Plugged in again: opened without a word.
    prompt.texts.clear();
    fs::rename(away, stick);
    window->Watcher()->checkNow();
    EXPECT_TRUE(prompt.texts.isEmpty()) << prompt.texts.join(u'|').toStdString();
    EXPECT_EQ(window->PspList()->count(), 2);
    EXPECT_EQ(window->NextNumEdit()->text(), QStringLiteral("00008"));
    EXPECT_TRUE(spaceText(*window).startsWith(kSpacePrefix));
}

// With no PSP, and equally with one whose video folder cannot be made, the right side stays
// empty and the rest of the start-up runs: skin, minimum size, stored rectangle, Refresh.
TEST_F(DrivesListsTest, StartUpWithoutAUsablePspStillFinishesTheWindow)
{
    makeLocalFolder(local);
    const fs::path blocked = temp.path() / "blocked";
    fs::create_directories(blocked / "PSP" / "PHOTO");
    temp.write("blocked/MP_ROOT", "a plain file where the folder belongs");
    const std::pair<fs::path, QString> cases[] = {
        {stick, kNoPsp}, // declared, but not there
        {blocked, QStringLiteral("You have Selected a non-writeable drivre.")},
    };
    for (const auto& [root, message] : cases) {
        platform::clearDeclaredVolumes();
        platform::declareVolume(q(root));
        prompt.texts.clear();
        pref.PutString(QStringLiteral("LocalPath"), q(local));
        pref.PutString(QStringLiteral("window_rect"), GlobalHelper::Rect2S(QRect(-20, 15, 300, 200)));
        auto window = openWindow();
        EXPECT_EQ(prompt.texts, QStringList{message});
        EXPECT_TRUE(window->m_strPSPPath.isEmpty());
        EXPECT_EQ(window->PspList()->count(), 0);
        EXPECT_TRUE(window->NextNumEdit()->text().isEmpty());
        EXPECT_TRUE(spaceText(*window).isEmpty());
        expectTransferButtons(*window, false, false);

        EXPECT_TRUE(skinMgr.GetCurrentSkinPath().endsWith(QStringLiteral("/Default")));
        EXPECT_TRUE(window->GetCornerRegions().any());
        EXPECT_EQ(window->geometry(), QRect(QPoint(0, 15), window->GetMinWindowSize()));
        EXPECT_EQ(window->LocalList()->count(), 3);
    }
}

TEST_F(DrivesListsTest, DemoShowsItsVideosOnBothSidesAndKeepsTheStoredFolder)
{
    const QByteArray oldData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((temp.path() / "data").string()));
    shell::CommandLineOptions options;
    options.demo = true;
    QString startFolder;
    QString error;
    const bool made = shell::applyVolumeOptions(options, &startFolder, &error);
    if (oldData.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", oldData);
    ASSERT_TRUE(made) << error.toStdString();
    EXPECT_TRUE(startFolder.startsWith(q(temp.path() / "data")));
    ASSERT_EQ(platform::declaredVolumes().size(), 1);

    pref.PutString(QStringLiteral("LocalPath"), QStringLiteral("/my/own/videos"));
    auto window = openWindowOn(startFolder);
    EXPECT_FALSE(prompt.texts.contains(kNoPsp));
    EXPECT_EQ(window->FolderEdit()->text(), startFolder);
    EXPECT_GE(window->LocalList()->count(), 2);
    EXPECT_GE(window->PspList()->count(), 3);
    for (int row = 0; row < window->PspList()->count(); ++row)
        EXPECT_FALSE(window->PspList()->titleAt(row).isEmpty()) << row;
    EXPECT_FALSE(window->NextNumEdit()->text().isEmpty());
    EXPECT_TRUE(spaceText(*window).startsWith(kSpacePrefix));

    // The demonstration folder never replaces the user's own folder.
    EXPECT_TRUE(window->close());
    EXPECT_EQ(pref.GetString(QStringLiteral("LocalPath")), QStringLiteral("/my/own/videos"));
}

TEST_F(DrivesListsTest, AFolderChosenDuringTheDemoIsKept)
{
    makeLocalFolder(local);
    pref.PutString(QStringLiteral("LocalPath"), QStringLiteral("/my/own/videos"));
    auto window = openWindowOn(q(temp.path()));
    QLineEdit* field = window->FolderEdit();
    field->setText(q(local));
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(pref.GetString(QStringLiteral("LocalPath")), q(local));
}

TEST_F(DrivesListsTest, TitleEditorWritesThroughTheWindowsPspList)
{
    makeStick(stick);
    platform::declareVolume(q(stick));
    auto window = openWindow();
    CVideoListCtrl* list = window->PspList();
    ASSERT_EQ(list->count(), 2);
    const auto editor = [list] { return list->viewport()->findChild<QLineEdit*>(QStringLiteral("titleEditor")); };

    list->setFocus();
    list->setCurrentIndex(list->model()->index(0, 0));
    QTest::keyClick(list, Qt::Key_F2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return editor() && editor()->isVisible(); }, 2000));
    editor()->selectAll();
    QTest::keyClicks(editor(), QStringLiteral("On the PSP"));
    QTest::keyClick(editor(), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->editColumn() == -1; }, 2000));

    EXPECT_TRUE(prompt.texts.filter(QStringLiteral("title")).isEmpty()) << prompt.texts.join(u'|').toStdString();
    EXPECT_EQ(list->titleAt(0), QStringLiteral("On the PSP"));
    EXPECT_EQ(mp4title::readTitle(list->entryAt(0)->strPath.toStdString()).title, "On the PSP");
}

TEST_F(DrivesListsTest, ChoosingADriveInTheSelectorOpensIt)
{
    makeStick(stick);
    const fs::path other = temp.path() / "other";
    fs::create_directories(other);
    platform::declareVolume(q(other));
    platform::declareVolume(q(stick));
    auto window = openWindow();
    CDriveComboEx& combo = window->DriveCombo();
    const int stickIndex = combo.FindRoot(platform::rootOf(q(stick)));
    const int otherIndex = combo.FindRoot(platform::rootOf(q(other)));
    ASSERT_GE(stickIndex, 0);
    ASSERT_GE(otherIndex, 0);
    EXPECT_EQ(combo.currentIndex(), stickIndex);
    prompt.texts.clear();

    // A drive that is no PSP: said so.
    combo.setCurrentIndex(otherIndex);
    emit combo.activated(otherIndex);
    EXPECT_TRUE(prompt.texts.contains(QStringLiteral("Your selected drive is not a PSP")));
    EXPECT_EQ(window->PspList()->count(), 0);

    // Back to the PSP: its videos, number and space again.
    prompt.texts.clear();
    combo.setCurrentIndex(stickIndex);
    emit combo.activated(stickIndex);
    EXPECT_TRUE(prompt.texts.isEmpty()) << prompt.texts.join(u'|').toStdString();
    EXPECT_EQ(window->PspList()->count(), 2);
    EXPECT_EQ(window->NextNumEdit()->text(), QStringLiteral("00008"));
    EXPECT_TRUE(spaceText(*window).startsWith(kSpacePrefix));
}

TEST(CommandLineVolumesTest, DeclaresEveryVolumeInOrder)
{
    const TempDir a;
    const TempDir b;
    shell::CommandLineOptions options;
    options.volumes = {q(a.path()), q(b.path())};
    QString startFolder = QStringLiteral("stale");
    ASSERT_TRUE(shell::applyVolumeOptions(options, &startFolder, nullptr));
    EXPECT_TRUE(startFolder.isEmpty());
    EXPECT_EQ(platform::declaredVolumes(), (QStringList{platform::rootOf(q(a.path())), platform::rootOf(q(b.path()))}));
    platform::clearDeclaredVolumes();
}
