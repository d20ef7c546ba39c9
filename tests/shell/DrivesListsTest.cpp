// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The real main window with its lists, space figures and PSP drives: start-up, selections,
// the folder field, drive choices, volumes arriving and going away (also in the middle of a
// list fill), the demonstration data and the mount watcher.
#include "FakeVolumes.h"
#include "ShellFixture.h"

#include "mp4title/Title.h"
#include "platform/FatAttributes.h"
#include "platform/FileSystem.h"
#include "platform/MountWatcher.h"
#include "platform/Volumes.h"
#include "shell/CMainStatusBar.h"
#include "shell/CommandLine.h"
#include "skin/GlobalHelper.h"
#include "skin/UxButton.h"
#include "storage/LocalFolder.h"
#include "widgets/CDriveComboEx.h"
#include "widgets/CPSPVolCtrl.h"
#include "widgets/CVideoListCtrl.h"

#include <QLineEdit>
#include <QFileDialog>
#include <QSignalSpy>
#include <QStorageInfo>

#include <filesystem>
#include <sys/mount.h>
#include <unistd.h>

namespace fs = std::filesystem;
using platform::VolumeEvent;

namespace {

const QString kSpacePrefix = QStringLiteral("Used/Total(Selected):  ");
const QString kDisconnected = QStringLiteral("You have disabled the PSP USB connection!");
const QString kNoPsp = QStringLiteral("You haven't attached your PSP to the Computer!");
const QString kNotAPsp = QStringLiteral("Your selected drive is not a PSP");

// A memory stick: PSP/PHOTO and videos numbered as given in the PSP video folder.
void makeStick(const fs::path& root, std::initializer_list<int> numbers = {1, 7})
{
    fs::create_directories(root / "PSP" / "PHOTO");
    const fs::path videos = root / "MP_ROOT" / "100MNV01";
    fs::create_directories(videos);
    for (const int n : numbers) {
        const QString name = QStringLiteral("M4V%1.MP4").arg(n, 5, 10, QLatin1Char('0'));
        fs::copy_file(sampleVideo(n == 1 ? "hello.mp4" : "no-title.mp4"), videos / name.toStdString());
    }
}

// A computer folder with three videos.
void makeLocalFolder(const fs::path& folder)
{
    fs::create_directories(folder);
    fs::copy_file(sampleVideo("hello.mp4"), folder / "a.mp4");
    fs::copy_file(sampleVideo("non-ascii.mp4"), folder / "b.mp4");
    fs::copy_file(sampleVideo("faststart.mp4"), folder / "c.mp4");
}

class RefusingMkdir : public platform::EntryAttributes
{
public:
    RefusingMkdir() { platform::setEntryAttributes(this); }
    ~RefusingMkdir() override { platform::setEntryAttributes(nullptr); }
    bool makeDirectory(const QString&) const override { return false; }
};

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

    static QString spaceText(const CMainDlg& window) { return window.StatusBar()->GetText(2); }
    static QString shownRoot(const CMainDlg& window)
    {
        return window.DriveCombo()->RootAt(window.DriveCombo()->currentIndex());
    }
    static void expectTransferButtons(const CMainDlg& window, bool toPsp, bool fromPsp)
    {
        EXPECT_EQ(window.Button(ControlId::MoveToPsp)->isEnabled(), toPsp);
        EXPECT_EQ(window.Button(ControlId::CopyToPsp)->isEnabled(), toPsp);
        EXPECT_EQ(window.Button(ControlId::MoveFromPsp)->isEnabled(), fromPsp);
        EXPECT_EQ(window.Button(ControlId::CopyFromPsp)->isEnabled(), fromPsp);
        EXPECT_EQ(window.Button(ControlId::Delete)->isEnabled(), fromPsp);
    }
    // The user's pick of a drive in the selector.
    static void choose(CMainDlg& window, const QString& root)
    {
        CDriveComboEx* combo = window.DriveCombo();
        const int index = combo->FindRoot(root);
        ASSERT_GE(index, 0) << root.toStdString();
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    // Nothing of a PSP is shown, and nothing may travel: not even every computer row, with
    // the controls worked out again.
    static void expectNoPspInUse(CMainDlg& window)
    {
        window.LocalList()->selectAll();
        window.EnableInput(true);
        EXPECT_TRUE(window.PSPPath().isEmpty());
        EXPECT_EQ(window.PspList()->count(), 0);
        EXPECT_TRUE(window.NextNumEdit()->text().isEmpty());
        EXPECT_TRUE(spaceText(window).isEmpty());
        EXPECT_EQ(window.VolumeBar()->m_nUsedPos, 0);
        expectTransferButtons(window, false, false);
    }

    TempDir temp;
    const fs::path stick = temp.path() / "stick";
    const fs::path local = temp.path() / "local";
};

} // namespace

// Start-up with a declared PSP, then selections that fit and one that doesn't, locked input, Refresh.
TEST_F(DrivesListsTest, StartUpOpensTheDeclaredPspAndFollowsSelections)
{
    makeStick(stick);
    makeLocalFolder(local);
    platform::declareVolume(qpath(stick));
    pref.PutString(QStringLiteral("LocalPath"), qpath(local));
    SmallPspFileSystem small;
    auto window = openWindow();
    EXPECT_TRUE(prompt.texts.isEmpty()) << prompt.texts.join(u'|').toStdString();
    EXPECT_EQ(window->PSPPath(), platform::rootOf(qpath(stick)) + QStringLiteral("MP_ROOT/100MNV01/"));

    // The right list shows the PSP video folder, the left the stored folder.
    CVideoListCtrl* psp = window->PspList();
    ASSERT_EQ(psp->count(), 2);
    EXPECT_TRUE(psp->ContainsPath(qpath(stick / "MP_ROOT" / "100MNV01" / "M4V00001.MP4")));
    EXPECT_EQ(window->LocalList()->count(), 3);
    EXPECT_EQ(window->FolderEdit()->text(), qpath(local));
    EXPECT_EQ(window->NextNumEdit()->text(), QStringLiteral("00008"));
    EXPECT_EQ(shownRoot(*window), platform::rootOf(qpath(stick)));
    const CPSPVolCtrl* bar = window->VolumeBar();
    const int width = bar->m_nWidth;
    EXPECT_EQ(width, bar->width());
    EXPECT_EQ(spaceText(*window), QStringLiteral("Used/Total(Selected):  900(900)/1000(0) MB "));
    EXPECT_EQ(bar->m_nUsedPos, width * 9 / 10);
    expectTransferButtons(*window, false, false);

    // One local video fits; a click on a PSP row turns on the buttons that take videos from the PSP.
    const auto click = [](CVideoListCtrl* list, int row) {
        const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    };
    click(window->LocalList(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return spaceText(*window).contains(QLatin1String("900(975)/1000(0)")); }, 2000))
        << spaceText(*window).toStdString();
    EXPECT_EQ(bar->m_nSelPos, static_cast<int>(975.0 / 1000 * width));
    EXPECT_FALSE(bar->m_bOverflow);
    click(psp, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->Button(ControlId::Delete)->isEnabled(); }, 2000));
    expectTransferButtons(*window, true, true);

    // Locked input: every input control is off, About stays; unlocked: back by the selections.
    const QList<QWidget*> inputs{window->Button(ControlId::Browse), window->FolderEdit(), window->DriveCombo(),
                                 window->NextNumEdit(), window->Button(ControlId::Refresh), window->LocalList(), psp};
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->Button(ControlId::Refresh)->isEnabled(); }, 1000));
    for (const bool on : {false, true}) {
        window->EnableInput(on);
        expectTransferButtons(*window, on, on);
        for (const QWidget* input : inputs)
            EXPECT_EQ(input->isEnabled(), on) << input->objectName().toStdString();
        EXPECT_TRUE(window->Button(ControlId::About)->isEnabled());
    }

    // Every local row is one change and one space update, and too much: the bar turns red and
    // nothing may go to the PSP. Nothing selected: the mark goes away.
    const int before = window->SpaceUpdateCount();
    window->LocalList()->setFocus();
    QTest::keyClick(window->LocalList(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(window->LocalList()->selectedRows().size(), 3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->SpaceUpdateCount() > before; }, 2000));
    QTest::qWait(20);
    EXPECT_EQ(window->SpaceUpdateCount(), before + 1);
    EXPECT_EQ(spaceText(*window), QStringLiteral("Used/Total(Selected):  900(1125)/1000(75) MB "));
    EXPECT_TRUE(bar->m_bOverflow);
    expectTransferButtons(*window, false, true);
    window->LocalList()->clearSelection();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !bar->m_bOverflow; }, 2000));
    EXPECT_EQ(bar->m_nSelPos, bar->m_nUsedPos);

    // Refresh lists both sides again and pauses its button; a second click meanwhile does nothing.
    fs::copy_file(sampleVideo("hello.mp4"), stick / "MP_ROOT" / "100MNV01" / "M4V00020.MP4");
    fs::remove(local / "c.mp4");
    UxButton* refresh = window->Button(ControlId::Refresh);
    QTest::mouseClick(refresh, Qt::LeftButton);
    EXPECT_FALSE(refresh->isEnabled());
    QTest::mouseClick(refresh, Qt::LeftButton);
    settle(*window);
    EXPECT_EQ(window->PspList()->count(), 3);
    EXPECT_EQ(window->LocalList()->count(), 2);
    EXPECT_EQ(window->NextNumEdit()->text(), QStringLiteral("00021"));
    EXPECT_TRUE(spaceText(*window).startsWith(kSpacePrefix));
    EXPECT_TRUE(QTest::qWaitFor([&] { return refresh->isEnabled(); }, 1000));
}

TEST_F(DrivesListsTest, FolderFieldAndBrowseListTheFolderOrSayItIsInvalid)
{
    makeLocalFolder(local);
    pref.PutString(QStringLiteral("LocalPath"), qpath(local));
    auto window = openWindow();
    ASSERT_EQ(window->LocalList()->count(), 3);
    QLineEdit* field = window->FolderEdit();
    // A folder that doesn't exist, one with a trailing separator, and the root are refused.
    for (const QString& bad : {qpath(temp.path() / "missing"), qpath(local) + u'/', QStringLiteral("/")}) {
        prompt.texts.clear();
        field->setText(bad);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Return);
        EXPECT_EQ(prompt.texts, QStringList{QStringLiteral("Invalid file path!")}) << bad.toStdString();
        EXPECT_EQ(field->text(), storage::fallbackLocalFolder());
        EXPECT_TRUE(window->isVisible());
        settle(*window);
    }
    prompt.texts.clear();
    field->setText(qpath(local));
    QTest::keyClick(field, Qt::Key_Enter);
    settle(*window);
    EXPECT_TRUE(prompt.texts.isEmpty());
    EXPECT_EQ(window->LocalList()->count(), 3);

    // Browse: the chosen folder is listed once; a cancelled choice lists the field's folder.
    QStringList titles;
    QString answer = qpath(local);
    CMainDlg::setFolderPicker([&](QWidget*, const QString& title, const std::function<void(const QString&)>& done) {
        titles << title;
        done(answer);
    });
    QSignalSpy fills(window->LocalList(), &CVideoListCtrl::fillFinished);
    field->setText(qpath(temp.path()));
    QTest::mouseClick(window->Button(ControlId::Browse), Qt::LeftButton);
    settle(*window);
    EXPECT_EQ(field->text(), qpath(local));
    EXPECT_EQ(window->LocalList()->count(), 3);
    answer.clear();
    QTest::mouseClick(window->Button(ControlId::Browse), Qt::LeftButton);
    settle(*window);
    CMainDlg::setFolderPicker({});
    EXPECT_EQ(titles, QStringList(2, QStringLiteral("Please select source folder.")));
    EXPECT_EQ(fills.count(), 2);
    EXPECT_EQ(field->text(), qpath(local));

    // The real chooser opens without waiting; its choice is listed when it closes.
    const QString other = qpath(temp.path());
    EXPECT_TRUE(whileModal<QFileDialog>([&] { QTest::mouseClick(window->Button(ControlId::Browse), Qt::LeftButton); },
                                        [&](QFileDialog& chooser) {
                                            EXPECT_EQ(chooser.windowTitle(), QStringLiteral("Please select source folder."));
                                            EXPECT_EQ(chooser.fileMode(), QFileDialog::Directory);
                                            EXPECT_EQ(field->text(), qpath(local)) << "nothing changes before it";
                                            chooser.setDirectory(other);
                                            chooser.selectFile(other);
                                            static_cast<QDialog&>(chooser).accept();
                                        }));
    settle(*window);
    EXPECT_EQ(field->text(), other);
    EXPECT_EQ(fills.count(), 3);
}

// With no PSP, and equally with one whose video folder cannot be made, the right side stays
// empty and the rest of the start-up runs: skin, minimum size, stored rectangle, Refresh.
// (Which message a folder that cannot be made gives: ChoosingDrivesInTheSelector.)
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
        platform::declareVolume(qpath(root));
        prompt.texts.clear();
        pref.PutString(QStringLiteral("LocalPath"), qpath(local));
        pref.PutString(QStringLiteral("window_rect"), GlobalHelper::Rect2S(QRect(-20, 15, 300, 200)));
        auto window = openWindow();
        EXPECT_EQ(prompt.texts, QStringList{message});
        expectNoPspInUse(*window);
        EXPECT_TRUE(skinMgr.GetCurrentSkinPath().endsWith(QStringLiteral("/Default")));
        EXPECT_TRUE(window->GetCornerRegions().any());
        EXPECT_EQ(window->geometry(), QRect(QPoint(0, 15), window->GetMinWindowSize()));
        EXPECT_EQ(window->LocalList()->count(), 3);
    }
}

TEST_F(DrivesListsTest, ChoosingDrivesInTheSelector)
{
    FakeVolumes volumes;
    makeStick(stick);
    const fs::path second = temp.path() / "z-second";
    makeStick(second, {20});
    const fs::path disk = temp.path() / "z-disk";
    fs::create_directories(disk);
    const fs::path badPsp = temp.path() / "z-badpsp";
    fs::create_directories(badPsp / "PSP" / "PHOTO");
    temp.write("z-badpsp/MP_ROOT", "plain file");
    for (const fs::path& root : {stick, second, badPsp})
        volumes.add(qpath(root), true);
    volumes.add(qpath(disk), false);
    auto window = openWindow();
    const QString stickRoot = qpath(stick) + u'/';
    ASSERT_EQ(window->PSPPath(), stickRoot + QStringLiteral("MP_ROOT/100MNV01/"));

    // Another PSP: opened without a word.
    prompt.texts.clear();
    choose(*window, qpath(second) + u'/');
    settle(*window);
    EXPECT_TRUE(prompt.texts.isEmpty());
    EXPECT_EQ(window->PSPPath(), qpath(second) + QStringLiteral("/MP_ROOT/100MNV01/"));
    EXPECT_EQ(window->NextNumEdit()->text(), QStringLiteral("00021"));
    EXPECT_EQ(window->DriveCombo()->GetLastSel(), window->DriveCombo()->FindRoot(qpath(second) + u'/'));

    // A PSP whose video folder can't be made: said so; the selector steps back, the path stays.
    const int inUse = window->DriveCombo()->currentIndex();
    choose(*window, qpath(badPsp) + u'/');
    EXPECT_EQ(prompt.texts, QStringList{QStringLiteral("You have Selected a non-writeable drivre.")});
    EXPECT_EQ(window->DriveCombo()->currentIndex(), inUse);
    EXPECT_EQ(window->PSPPath(), qpath(second) + QStringLiteral("/MP_ROOT/100MNV01/"));

    // A drive that is no PSP and can't be written: the path is cleared, the list kept.
    prompt.texts.clear();
    {
        RefusingMkdir refusing;
        choose(*window, qpath(disk) + u'/');
    }
    EXPECT_EQ(prompt.texts, (QStringList{kNotAPsp, QStringLiteral("You have Selected a non-writeable drive.")}));
    EXPECT_EQ(window->DriveCombo()->currentIndex(), inUse);
    EXPECT_TRUE(window->PSPPath().isEmpty());
    EXPECT_EQ(window->PspList()->count(), 1);

    // A writeable drive that is no PSP: said so, then its folders are made and listed.
    prompt.texts.clear();
    choose(*window, qpath(disk) + u'/');
    settle(*window);
    EXPECT_EQ(prompt.texts, QStringList{kNotAPsp});
    EXPECT_TRUE(fs::is_directory(disk / "MP_ROOT/100MNV01"));
    EXPECT_EQ(window->PSPPath(), qpath(disk) + QStringLiteral("/MP_ROOT/100MNV01/"));
    EXPECT_EQ(window->PspList()->count(), 0);
    EXPECT_EQ(window->NextNumEdit()->text(), QStringLiteral("00001"));
}

TEST_F(DrivesListsTest, VolumesArrivingAndGoingAway)
{
    FakeVolumes volumes;
    const fs::path disk = temp.path() / "disk";
    fs::create_directories(disk);
    volumes.add(qpath(disk), false);
    auto window = openWindow();
    ASSERT_EQ(prompt.texts, QStringList{kNoPsp});
    prompt.texts.clear();

    // A PSP arrives: opened without a word.
    makeStick(stick, {4});
    volumes.add(qpath(stick), true);
    window->OnDeviceChange({VolumeEvent::Kind::Arrival, {qpath(stick) + u'/'}});
    settle(*window);
    EXPECT_TRUE(prompt.texts.isEmpty());
    EXPECT_EQ(window->PSPPath(), qpath(stick) + QStringLiteral("/MP_ROOT/100MNV01/"));
    EXPECT_EQ(window->PspList()->count(), 1);
    EXPECT_EQ(window->NextNumEdit()->text(), QStringLiteral("00005"));
    EXPECT_EQ(shownRoot(*window), qpath(stick) + u'/');
    EXPECT_EQ(window->DriveCombo()->count(), 2);

    // Volumes E and G arrive together: only E, the first, is looked at.
    const fs::path both = temp.path() / "both";
    fs::create_directories(both / "E");
    fs::create_directories(both / "G/PSP/PHOTO");
    const QString e = qpath(both / "E") + u'/';
    const QString g = qpath(both / "G") + u'/';
    volumes.add(e, true);
    volumes.add(g, true);
    window->OnDeviceChange({VolumeEvent::Kind::Arrival, {e, g}});
    EXPECT_EQ(window->PSPPath(), qpath(stick) + QStringLiteral("/MP_ROOT/100MNV01/"));
    EXPECT_EQ(shownRoot(*window), qpath(stick) + u'/') << "the selector still shows the PSP in use";
    EXPECT_FALSE(fs::exists(both / "G/MP_ROOT"));

    // A PSP whose folder can't be made arrives: nothing changes, nothing is said.
    const fs::path bad = temp.path() / "bad";
    fs::create_directories(bad / "PSP/PHOTO");
    temp.write("bad/MP_ROOT", "plain file");
    volumes.add(qpath(bad), true);
    window->OnDeviceChange({VolumeEvent::Kind::Arrival, {qpath(bad) + u'/'}});
    EXPECT_EQ(window->PSPPath(), qpath(stick) + QStringLiteral("/MP_ROOT/100MNV01/"));

    // Another drive goes away: the PSP stays.
    volumes.remove(qpath(disk) + u'/');
    window->OnDeviceChange({VolumeEvent::Kind::Removal, {qpath(disk) + u'/'}});
    EXPECT_TRUE(prompt.texts.isEmpty());
    EXPECT_EQ(window->PspList()->count(), 1);
    EXPECT_EQ(shownRoot(*window), qpath(stick) + u'/');
    EXPECT_EQ(window->DriveCombo()->GetLastSel(), window->DriveCombo()->currentIndex());

    // The PSP goes away: its side empties.
    volumes.remove(qpath(stick) + u'/');
    window->OnDeviceChange({VolumeEvent::Kind::Removal, {qpath(stick) + u'/'}});
    EXPECT_EQ(prompt.texts, QStringList{kDisconnected});
    expectNoPspInUse(*window);
}

TEST_F(DrivesListsTest, DriveChangesDuringFillsLeaveOneDriveNamedEverywhere)
{
    FakeVolumes volumes;
    makeStick(stick, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    const fs::path second = temp.path() / "z-second";
    makeStick(second, {30});
    volumes.add(qpath(stick), true);
    volumes.add(qpath(second), true);
    auto window = openWindow();
    const QString stickRoot = qpath(stick) + u'/';
    ASSERT_EQ(window->PspList()->count(), 12);

    // Unplugged while Refresh fills the PSP list: no row of the gone stick, no number of ".".
    QTest::qWait(CMainDlg::kRefreshPauseMs + 20);
    window->OnRefresh();
    ASSERT_TRUE(window->PspList()->isFilling());
    volumes.remove(stickRoot);
    window->OnDeviceChange({VolumeEvent::Kind::Removal, {stickRoot}});
    settle(*window);
    QTest::qWait(100);
    EXPECT_EQ(prompt.texts.back(), kDisconnected);
    expectNoPspInUse(*window);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->Button(ControlId::Refresh)->isEnabled(); }, 1000));

    // Plugged in again while another PSP is chosen during its fill: the choice wins everywhere.
    volumes.add(qpath(stick), true);
    window->OnDeviceChange({VolumeEvent::Kind::Arrival, {stickRoot}});
    ASSERT_TRUE(window->PspList()->isFilling());
    choose(*window, qpath(second) + u'/');
    settle(*window);
    QTest::qWait(100);
    EXPECT_EQ(window->PSPPath(), qpath(second) + QStringLiteral("/MP_ROOT/100MNV01/"));
    EXPECT_EQ(window->PspList()->count(), 1);
    EXPECT_EQ(shownRoot(*window), qpath(second) + u'/');
    EXPECT_EQ(window->NextNumEdit()->text(), QStringLiteral("00031"));
    EXPECT_TRUE(spaceText(*window).startsWith(kSpacePrefix));

    // A window closed while its lists fill goes at once.
    window->OnRefresh();
    EXPECT_TRUE(window->close());
    window.reset();
}

TEST_F(DrivesListsTest, NotificationsWaitForTheTransfer)
{
    FakeVolumes volumes;
    makeStick(stick);
    volumes.add(qpath(stick), true);
    makeLocalFolder(local);
    pref.PutString(QStringLiteral("LocalPath"), qpath(local));
    auto window = openWindow();
    const QString stickRoot = qpath(stick) + u'/';
    const int items = window->DriveCombo()->count();

    // The transfer took its paths when it started: they stay until it has ended.
    const fs::path newcomer = temp.path() / "newcomer";
    makeStick(newcomer, {});
    QSignalSpy ended(window.get(), &CMainDlg::transferEnded);
    window->OnTransferCommand(OP_COPY_FROM_PSP);
    volumes.add(qpath(newcomer), true);
    window->OnDeviceChange({VolumeEvent::Kind::Arrival, {qpath(newcomer) + u'/'}});
    volumes.remove(stickRoot);
    window->OnDeviceChange({VolumeEvent::Kind::Removal, {stickRoot}});
    EXPECT_EQ(window->HeldDriveEvents(), 2);
    EXPECT_EQ(window->PSPPath(), stickRoot + QStringLiteral("MP_ROOT/100MNV01/"));
    EXPECT_EQ(window->PspList()->count(), 2);
    EXPECT_EQ(window->DriveCombo()->count(), items);
    EXPECT_TRUE(prompt.texts.isEmpty());

    ASSERT_TRUE(ended.wait(5000));
    settle(*window);
    EXPECT_EQ(window->HeldDriveEvents(), 0);
    // The arrival opened the newcomer, so the old PSP's removal no longer concerns the PSP in use.
    EXPECT_EQ(window->PSPPath(), qpath(newcomer) + QStringLiteral("/MP_ROOT/100MNV01/"));
    EXPECT_EQ(shownRoot(*window), qpath(newcomer) + u'/');
    EXPECT_TRUE(prompt.texts.isEmpty());
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
    EXPECT_TRUE(startFolder.startsWith(qpath(temp.path() / "data")));
    ASSERT_EQ(platform::declaredVolumes().size(), 1);

    pref.PutString(QStringLiteral("LocalPath"), QStringLiteral("/my/own/videos"));
    auto window = openWindow(startFolder);
    EXPECT_FALSE(prompt.texts.contains(kNoPsp));
    EXPECT_EQ(window->FolderEdit()->text(), startFolder);
    EXPECT_GE(window->LocalList()->count(), 2);
    EXPECT_GE(window->PspList()->count(), 3);
    for (int row = 0; row < window->PspList()->count(); ++row)
        EXPECT_FALSE(window->PspList()->titleAt(row).isEmpty()) << row;
    // The stick is as large as a real 1 GiB card, whatever the disk holding it.
    EXPECT_TRUE(spaceText(*window).contains(QStringLiteral("/1024(0) MB"))) << spaceText(*window).toStdString();

    // The demonstration folder never replaces the user's own folder; one chosen since does.
    EXPECT_TRUE(window->close());
    EXPECT_EQ(pref.GetString(QStringLiteral("LocalPath")), QStringLiteral("/my/own/videos"));
    makeLocalFolder(local);
    window = openWindow(startFolder);
    window->FolderEdit()->setText(qpath(local));
    window->FolderEdit()->setFocus();
    QTest::keyClick(window->FolderEdit(), Qt::Key_Return);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(pref.GetString(QStringLiteral("LocalPath")), qpath(local));
}

// The real watcher: declared folders that come and go, then a real mount (needs the right
// to mount; CI runs as root).
TEST_F(DrivesListsTest, MountWatcherFollowsDeclaredFoldersAndRealMounts)
{
    const QString e = qpath(temp.path() / "e") + u'/';
    const QString g = qpath(temp.path() / "g") + u'/';
    platform::declareVolume(g);
    platform::declareVolume(e);
    {
        platform::MountWatcher watcher;
        QSignalSpy spy(&watcher, &platform::MountWatcher::volumesChanged);
        // Only the declared folders' events: the real mount table may change meanwhile.
        const auto nextEvent = [&] {
            while (!spy.isEmpty()) {
                const auto event = spy.takeFirst().at(0).value<VolumeEvent>();
                if (event.roots.contains(e) || event.roots.contains(g))
                    return event;
            }
            return VolumeEvent{VolumeEvent::Kind::Arrival, {}};
        };
        fs::create_directories(temp.path() / "g/PSP/PHOTO");
        fs::create_directories(temp.path() / "e");
        watcher.checkNow();
        auto event = nextEvent();
        EXPECT_EQ(event.kind, VolumeEvent::Kind::Arrival);
        EXPECT_EQ(event.roots, (QStringList{e, g})) << "one event, in mount-point order";
        fs::remove_all(temp.path() / "g");
        watcher.checkNow();
        event = nextEvent();
        EXPECT_EQ(event.kind, VolumeEvent::Kind::Removal);
        EXPECT_EQ(event.roots, QStringList{g});
        EXPECT_TRUE(nextEvent().roots.isEmpty()) << "nothing else about them";
    }
    platform::clearDeclaredVolumes();

    // A folder bound under /mnt, where the drive rule shows mounts of real file systems.
    const fs::path point = fs::path("/mnt") / ("reelkeeper-card-" + std::to_string(::getpid()));
    std::error_code made;
    fs::create_directories(point, made);
    auto window = openWindow();
    if (made || !window->Watcher()->watchingMountTable())
        GTEST_SKIP() << "no mount-table notifications or no /mnt here";
    fs::create_directories(temp.path() / "card");
    if (::mount(temp.path().c_str(), point.c_str(), nullptr, MS_BIND, nullptr) != 0) {
        fs::remove(point);
        GTEST_SKIP() << "may not mount here";
    }
    // Unmounted whatever happens below, so no mount outlives the test.
    struct Unmount
    {
        const fs::path& point;
        ~Unmount()
        {
            ::umount2(point.c_str(), MNT_DETACH);
            std::error_code ignored;
            fs::remove(point, ignored);
        }
    } unmount{point};
    if (!platform::shouldShowMount({qpath(point), QString::fromLatin1(QStorageInfo(qpath(temp.path())).fileSystemType()), {}, {}, false},
                                   {::getuid(), {}, {}}))
        GTEST_SKIP() << "the folder's file system is not one a user's drive list shows";
    const QString root = qpath(point) + u'/';
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->DriveCombo()->FindRoot(root) >= 0; }, 3000));
    choose(*window, root);
    settle(*window);
    ASSERT_EQ(window->PSPPath(), root + QStringLiteral("MP_ROOT/100MNV01/"));
    ASSERT_EQ(::umount(point.c_str()), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->PSPPath().isEmpty(); }, 3000));
    EXPECT_EQ(prompt.texts.back(), kDisconnected);
}
