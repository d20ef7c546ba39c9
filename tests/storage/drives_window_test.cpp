#include "FakeVolumes.h"
#include "TempDir.h"

#include "RecordingPrompt.h"
#include "platform/FatAttributes.h"
#include "platform/FileSystem.h"
#include "platform/MountWatcher.h"
#include "platform/Volumes.h"
#include "storage/CDriveComboEx.h"
#include "storage/PspDrives.h"
#include "storage/PspWindow.h"
#include "transfer/PspNaming.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <filesystem>
#include <functional>
#include <utility>
#include <sys/mount.h>

namespace fs = std::filesystem;
using namespace storage;
using platform::VolumeEvent;

namespace {

QString q(const fs::path& p)
{
    return QString::fromStdString(p.string());
}

class RefusingMkdir : public platform::EntryAttributes
{
public:
    RefusingMkdir() { platform::setEntryAttributes(this); }
    ~RefusingMkdir() override { platform::setEntryAttributes(nullptr); }
    bool makeDirectory(const QString&) const override { return false; }
};

// The part of the main window the drives need, made of real widgets.
class TestWindow final : public QWidget, public PspWindow
{
public:
    TestWindow()
    {
        auto* layout = new QVBoxLayout(this);
        combo = new CDriveComboEx(this);
        layout->addWidget(combo);
        pspList = new QListWidget(this);
        layout->addWidget(pspList);
        for (const char* text : {"Move->", "Copy->", "<-Move", "<-Copy", "Delete"}) {
            auto* button = new QPushButton(QString::fromLatin1(text), this);
            layout->addWidget(button);
            buttons << button;
        }
        refresh = new QPushButton("&Refresh", this);
        nextNum = new QLineEdit(this);
        spaceText = new QLabel(this);
        usageBar = new QProgressBar(this);
        layout->addWidget(refresh);
        layout->addWidget(nextNum);
        layout->addWidget(spaceText);
        layout->addWidget(usageBar);
    }

    QWidget* PromptParent() override { return this; }
    QString GetPSPPath() const override { return m_strPSPPath; }
    void SetPSPPath(const QString& path) override { m_strPSPPath = path; }
    void EnableTransferButtons(bool enable) override
    {
        for (QPushButton* b : buttons)
            b->setEnabled(enable);
    }
    void EnableRefresh(bool enable) override
    {
        refresh->setEnabled(enable);
        if (!enable)
            ++refreshDisabled;
    }
    void FillPspList(const QString& pattern) override
    {
        EXPECT_FALSE(refresh->isEnabled()) << "a fill runs with Refresh disabled";
        pspList->clear();
        // A real fill lets other events run after each thumbnail.
        if (duringFill)
            std::exchange(duringFill, nullptr)();
        const QString folder = pattern.left(pattern.lastIndexOf('/') + 1);
        for (const auto& e : platform::fileSystem().list(folder, pattern.mid(folder.size())))
            pspList->addItem(e.name);
    }
    void ClearPspList() override { pspList->clear(); }
    void FillNextNum() override { nextNum->setText(transfer::NextNumText(m_strPSPPath)); }
    void ClearNextNum() override { nextNum->clear(); }
    void UpdateSpace(const QString& root) override
    {
        spaceText->setText("space of " + root);
        usageBar->setValue(50);
    }
    void ClearSpace() override
    {
        spaceText->clear();
        usageBar->setValue(0);
    }
    bool IsTransferRunning() const override { return transferRunning; }
    CDriveComboEx& DriveCombo() override { return *combo; }

    bool buttonsEnabled() const
    {
        return std::all_of(buttons.begin(), buttons.end(), [](QPushButton* b) { return b->isEnabled(); });
    }
    bool buttonsDisabled() const
    {
        return std::none_of(buttons.begin(), buttons.end(), [](QPushButton* b) { return b->isEnabled(); });
    }
    QString shownRoot() const { return combo->RootAt(combo->currentIndex()); }

    // Picks an item the way a user does: with the arrow keys when it is next to
    // the current one (each step is a choice), otherwise as a pick from the list.
    void choose(const QString& root)
    {
        const int target = combo->FindRoot(root);
        ASSERT_GE(target, 0);
        combo->setFocus();
        if (target == combo->currentIndex() + 1) {
            QTest::keyClick(combo, Qt::Key_Down);
        } else if (target == combo->currentIndex() - 1 && target >= 0) {
            QTest::keyClick(combo, Qt::Key_Up);
        } else {
            combo->setCurrentIndex(target);
            emit combo->activated(target);
        }
        ASSERT_TRUE(combo->currentIndex() == target || combo->currentIndex() == combo->GetLastSel());
    }

    CDriveComboEx* combo;
    QListWidget* pspList;
    QList<QPushButton*> buttons;
    QPushButton* refresh;
    QLineEdit* nextNum;
    QLabel* spaceText;
    QProgressBar* usageBar;
    QString m_strPSPPath;
    bool transferRunning = false;
    int refreshDisabled = 0;
    std::function<void()> duringFill;
};

struct Stick
{
    TempDir dir;
    explicit Stick(std::initializer_list<const char*> folders)
    {
        for (const char* f : folders)
            fs::create_directories(dir.path() / f);
    }
    QString root() const { return q(dir.path()) + "/"; }
    QString videos() const { return root() + "MP_ROOT/100MNV01/"; }
};

class DriveWindow : public ::testing::Test
{
protected:
    FakeVolumes volumes;
    RecordingPrompt prompt;
    TestWindow window;
    PspDriveHandler handler{window};
};

} // namespace

TEST_F(DriveWindow, StartUpWithoutAPsp)
{
    Stick disk({"PSP/PHOTO"});
    volumes.add(disk.root(), false);
    window.EnableTransferButtons(true);
    handler.InitPspDrive();
    EXPECT_EQ(prompt.texts, QStringList{"You haven't attached your PSP to the Computer!"});
    EXPECT_TRUE(window.buttonsDisabled());
    EXPECT_TRUE(window.GetPSPPath().isEmpty());
    EXPECT_EQ(window.combo->count(), 1);
}

TEST_F(DriveWindow, StartUpOpensTheFirstPsp)
{
    Stick disk({"PSP/PHOTO"});
    Stick psp({"PSP/music", "MP_ROOT/100MNV01"});
    psp.dir.write("MP_ROOT/100MNV01/m4v00007.mp4", "");
    psp.dir.write("MP_ROOT/100MNV01/M4V00003.MP4", "");
    volumes.add(disk.root(), false);
    volumes.add(psp.root(), true);
    handler.InitPspDrive();
    EXPECT_TRUE(prompt.texts.isEmpty());
    EXPECT_EQ(window.GetPSPPath(), psp.videos());
    EXPECT_EQ(window.pspList->count(), 2);
    EXPECT_EQ(window.nextNum->text(), "00008");
    EXPECT_EQ(window.spaceText->text(), "space of " + psp.root());
    EXPECT_EQ(window.shownRoot(), psp.root());
    EXPECT_EQ(window.combo->GetLastSel(), window.combo->currentIndex());
    EXPECT_TRUE(window.buttonsEnabled());
    EXPECT_TRUE(window.refresh->isEnabled());
}

TEST_F(DriveWindow, StartUpMakesTheVideoFolder)
{
    Stick psp({"PSP/PHOTO"});
    volumes.add(psp.root(), true);
    handler.InitPspDrive();
    EXPECT_TRUE(fs::is_directory(psp.dir.path() / "MP_ROOT/100MNV01"));
    EXPECT_EQ(window.GetPSPPath(), psp.videos());
    EXPECT_EQ(window.nextNum->text(), "00001");
}

TEST_F(DriveWindow, StartUpOnANonWriteableDrive)
{
    Stick pspA({"PSP/PHOTO"});
    volumes.add(pspA.root(), true);
    {
        RefusingMkdir refusing;
        window.SetPSPPath("stale");
        handler.InitPspDrive();
    }
    EXPECT_EQ(prompt.texts, QStringList{"You have Selected a non-writeable drive."});
    EXPECT_TRUE(window.GetPSPPath().isEmpty());
    EXPECT_TRUE(window.buttonsDisabled());
    EXPECT_EQ(window.pspList->count(), 0);

    prompt.texts.clear();
    volumes.remove(pspA.root());
    Stick pspB({"PSP/PHOTO"});
    pspB.dir.write("MP_ROOT", "plain file");
    volumes.add(pspB.root(), true);
    handler.InitPspDrive();
    EXPECT_EQ(prompt.texts, QStringList{"You have Selected a non-writeable drivre."});
    EXPECT_TRUE(window.GetPSPPath().isEmpty());
    EXPECT_TRUE(window.buttonsDisabled());
}

TEST_F(DriveWindow, SelectingAnotherPsp)
{
    Stick first({"PSP/PHOTO"});
    Stick second({"PSP/PHOTO", "MP_ROOT/100MNV01"});
    second.dir.write("MP_ROOT/100MNV01/m4v00020.mp4", "");
    volumes.add(first.root(), true);
    volumes.add(second.root(), true);
    handler.InitPspDrive();
    const QString other = window.GetPSPPath() == first.videos() ? second.root() : first.root();
    window.choose(other);
    EXPECT_TRUE(prompt.texts.isEmpty());
    EXPECT_EQ(window.GetPSPPath(), other + "MP_ROOT/100MNV01/");
    EXPECT_EQ(window.combo->GetLastSel(), window.combo->FindRoot(other));
}

TEST_F(DriveWindow, SelectingAWriteableDriveThatIsNotAPsp)
{
    Stick psp({"PSP/PHOTO"});
    psp.dir.write("MP_ROOT/100MNV01/m4v00001.mp4", "");
    Stick disk({});
    volumes.add(psp.root(), true);
    volumes.add(disk.root(), false);
    handler.InitPspDrive();
    ASSERT_EQ(window.pspList->count(), 1);
    window.choose(disk.root());
    EXPECT_EQ(prompt.texts, QStringList{"Your selected drive is not a PSP"});
    EXPECT_TRUE(fs::is_directory(disk.dir.path() / "MP_ROOT/100MNV01"));
    EXPECT_EQ(window.GetPSPPath(), disk.videos());
    EXPECT_EQ(window.pspList->count(), 0) << "the new, empty folder is listed";
    EXPECT_EQ(window.nextNum->text(), "00001");
    EXPECT_EQ(window.combo->GetLastSel(), window.combo->FindRoot(disk.root()));
}

TEST_F(DriveWindow, FailedSelectionStepsBack)
{
    Stick psp({"PSP/PHOTO", "MP_ROOT/100MNV01"});
    psp.dir.write("MP_ROOT/100MNV01/m4v00001.mp4", "");
    Stick badPsp({});
    badPsp.dir.write("MP_ROOT", "plain file");
    Stick readOnly({});
    volumes.add(psp.root(), true);
    volumes.add(badPsp.root(), true);
    volumes.add(readOnly.root(), false);
    handler.InitPspDrive();
    const int inUse = window.combo->currentIndex();
    ASSERT_EQ(window.GetPSPPath(), psp.videos());

    fs::create_directories(badPsp.dir.path() / "PSP/PHOTO");
    window.choose(badPsp.root());
    EXPECT_EQ(prompt.texts, QStringList{"You have Selected a non-writeable drivre."});
    EXPECT_EQ(window.combo->currentIndex(), inUse);
    EXPECT_EQ(window.GetPSPPath(), psp.videos()) << "a PSP that fails keeps the path";
    EXPECT_EQ(window.pspList->count(), 1);

    prompt.texts.clear();
    {
        RefusingMkdir refusing;
        window.choose(readOnly.root());
    }
    EXPECT_EQ(prompt.texts,
              (QStringList{"Your selected drive is not a PSP", "You have Selected a non-writeable drive."}));
    EXPECT_EQ(window.combo->currentIndex(), inUse);
    EXPECT_TRUE(window.GetPSPPath().isEmpty()) << "a drive that isn't a PSP clears the path";
    EXPECT_EQ(window.pspList->count(), 1) << "the list keeps the previous drive";
}

TEST_F(DriveWindow, ArrivalOfAPspOpensIt)
{
    Stick disk({});
    volumes.add(disk.root(), false);
    handler.InitPspDrive();
    prompt.texts.clear();

    Stick psp({"PSP/savedata"});
    psp.dir.write("MP_ROOT/100MNV01/m4v00004.mp4", "");
    volumes.add(psp.root(), true);
    handler.OnDeviceChange({VolumeEvent::Kind::Arrival, {psp.root()}});
    EXPECT_TRUE(prompt.texts.isEmpty());
    EXPECT_EQ(window.GetPSPPath(), psp.videos());
    EXPECT_EQ(window.pspList->count(), 1);
    EXPECT_EQ(window.nextNum->text(), "00005");
    EXPECT_EQ(window.shownRoot(), psp.root());
    EXPECT_EQ(window.combo->count(), 2);
    EXPECT_TRUE(window.buttonsEnabled());
}

TEST_F(DriveWindow, ArrivalConsidersOnlyTheFirstVolume)
{
    Stick psp({"PSP/PHOTO"});
    volumes.add(psp.root(), true);
    handler.InitPspDrive();
    prompt.texts.clear();
    const QString inUse = window.GetPSPPath();

    // Volumes E and G arrive together; E comes first in mount-point order.
    Stick both({"E", "G/PSP/PHOTO"});
    const QString e = both.root() + "E/";
    const QString g = both.root() + "G/";
    volumes.add(e, true);
    volumes.add(g, true);
    handler.OnDeviceChange({VolumeEvent::Kind::Arrival, {e, g}});
    EXPECT_EQ(window.GetPSPPath(), inUse) << "E is no PSP, and G is not looked at";
    EXPECT_EQ(window.shownRoot(), psp.root()) << "the selector still shows the PSP in use";
    EXPECT_EQ(window.combo->count(), 3);
    EXPECT_FALSE(fs::exists(both.dir.path() / "G/MP_ROOT"));

    fs::create_directories(both.dir.path() / "E/PSP/music");
    handler.OnDeviceChange({VolumeEvent::Kind::Arrival, {e, g}});
    EXPECT_EQ(window.GetPSPPath(), e + "MP_ROOT/100MNV01/");
    EXPECT_FALSE(fs::exists(both.dir.path() / "G/MP_ROOT"));
    EXPECT_TRUE(prompt.texts.isEmpty());
}

TEST_F(DriveWindow, ArrivalThatFailsChangesNothing)
{
    Stick psp({"PSP/PHOTO"});
    volumes.add(psp.root(), true);
    handler.InitPspDrive();
    const QString inUse = window.GetPSPPath();

    Stick bad({"PSP/PHOTO"});
    bad.dir.write("MP_ROOT", "plain file");
    volumes.add(bad.root(), true);
    handler.OnDeviceChange({VolumeEvent::Kind::Arrival, {bad.root()}});
    EXPECT_TRUE(prompt.texts.isEmpty());
    EXPECT_EQ(window.GetPSPPath(), inUse);
    EXPECT_EQ(window.shownRoot(), psp.root());
}

TEST_F(DriveWindow, RemovalOfThePspInUse)
{
    Stick psp({"PSP/PHOTO"});
    psp.dir.write("MP_ROOT/100MNV01/m4v00001.mp4", "");
    volumes.add(psp.root(), true);
    handler.InitPspDrive();
    ASSERT_EQ(window.pspList->count(), 1);

    volumes.remove(psp.root());
    handler.OnDeviceChange({VolumeEvent::Kind::Removal, {psp.root()}});
    EXPECT_EQ(prompt.texts, QStringList{"You have disabled the PSP USB connection!"});
    EXPECT_TRUE(window.GetPSPPath().isEmpty());
    EXPECT_EQ(window.pspList->count(), 0);
    EXPECT_TRUE(window.buttonsDisabled());
    EXPECT_TRUE(window.spaceText->text().isEmpty());
    EXPECT_EQ(window.usageBar->value(), 0);
    EXPECT_TRUE(window.nextNum->text().isEmpty());
    EXPECT_EQ(window.combo->count(), 0);
}

TEST_F(DriveWindow, RemovalOfAnotherDriveKeepsThePsp)
{
    Stick psp({"PSP/PHOTO"});
    psp.dir.write("MP_ROOT/100MNV01/m4v00001.mp4", "");
    Stick other({});
    volumes.add(psp.root(), true);
    volumes.add(other.root(), true);
    handler.InitPspDrive();

    volumes.remove(other.root());
    handler.OnDeviceChange({VolumeEvent::Kind::Removal, {other.root()}});
    EXPECT_TRUE(prompt.texts.isEmpty());
    EXPECT_EQ(window.GetPSPPath(), psp.videos());
    EXPECT_EQ(window.pspList->count(), 1);
    EXPECT_EQ(window.nextNum->text(), "00002");
    EXPECT_EQ(window.shownRoot(), psp.root()) << "the selector shows the PSP in use";
    EXPECT_EQ(window.combo->GetLastSel(), window.combo->currentIndex());
}

TEST_F(DriveWindow, NotificationsWaitForTheTransfer)
{
    Stick psp({"PSP/PHOTO"});
    psp.dir.write("MP_ROOT/100MNV01/m4v00001.mp4", "");
    volumes.add(psp.root(), true);
    handler.InitPspDrive();
    const int items = window.combo->count();

    window.transferRunning = true;
    Stick newcomer({"PSP/PHOTO"});
    volumes.add(newcomer.root(), true);
    handler.OnDeviceChange({VolumeEvent::Kind::Arrival, {newcomer.root()}});
    volumes.remove(psp.root());
    handler.OnDeviceChange({VolumeEvent::Kind::Removal, {psp.root()}});
    EXPECT_EQ(handler.HeldCount(), 2);
    EXPECT_EQ(window.GetPSPPath(), psp.videos()) << "the worker's path stays";
    EXPECT_EQ(window.pspList->count(), 1) << "the worker's list stays";
    EXPECT_EQ(window.combo->count(), items);
    EXPECT_TRUE(prompt.texts.isEmpty());

    handler.OnTransferEnded();
    EXPECT_EQ(handler.HeldCount(), 2) << "still running: still held";

    window.transferRunning = false;
    handler.OnTransferEnded();
    EXPECT_EQ(handler.HeldCount(), 0);
    // The arrival opened the newcomer, so the old PSP's removal no longer concerns the PSP in use.
    EXPECT_EQ(window.GetPSPPath(), newcomer.videos());
    EXPECT_EQ(window.shownRoot(), newcomer.root());
    EXPECT_TRUE(prompt.texts.isEmpty());
}

TEST_F(DriveWindow, ChangesDuringAFillWaitForIt)
{
    Stick a({"PSP/PHOTO"});
    a.dir.write("MP_ROOT/100MNV01/m4v00001.mp4", "");
    Stick b({"PSP/PHOTO"});
    b.dir.write("MP_ROOT/100MNV01/m4v00006.mp4", "");
    b.dir.write("MP_ROOT/100MNV01/m4v00007.mp4", "");
    volumes.add(a.root(), true);
    volumes.add(b.root(), true);
    const QString first = std::min(a.root(), b.root());
    const QString second = std::max(a.root(), b.root());
    const Stick& secondStick = second == a.root() ? a : b;

    // The user picks the second PSP while start-up is listing the first.
    window.duringFill = [&] { window.choose(second); };
    handler.InitPspDrive();
    EXPECT_EQ(window.GetPSPPath(), second + "MP_ROOT/100MNV01/");
    EXPECT_EQ(window.pspList->count(), second == a.root() ? 1 : 2);
    EXPECT_EQ(window.shownRoot(), second);
    EXPECT_EQ(window.combo->GetLastSel(), window.combo->FindRoot(second));
    EXPECT_EQ(window.spaceText->text(), "space of " + second);
    EXPECT_EQ(window.nextNum->text(), transfer::NextNumText(secondStick.videos()));

    // The first PSP arrives again and is unplugged while its list is being filled.
    window.duringFill = [&] {
        volumes.remove(first);
        handler.OnDeviceChange({VolumeEvent::Kind::Removal, {first}});
    };
    handler.OnDeviceChange({VolumeEvent::Kind::Arrival, {first}});
    EXPECT_EQ(handler.HeldCount(), 0);
    EXPECT_EQ(prompt.texts, QStringList{"You have disabled the PSP USB connection!"});
    EXPECT_TRUE(window.GetPSPPath().isEmpty());
    EXPECT_EQ(window.pspList->count(), 0);
    EXPECT_TRUE(window.nextNum->text().isEmpty());
    EXPECT_TRUE(window.spaceText->text().isEmpty());
    EXPECT_TRUE(window.buttonsDisabled());
}

// The real watcher on declared volumes (plain folders); the timer's own runs are tested below.
TEST(MountWatcherDeclared, FollowsFoldersThatComeAndGo)
{
    platform::clearDeclaredVolumes();
    TempDir dir;
    const QString e = q(dir.path() / "e") + "/";
    const QString g = q(dir.path() / "g") + "/";
    platform::declareVolume(g);
    platform::declareVolume(e);
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

    fs::create_directories(dir.path() / "g/PSP/PHOTO");
    fs::create_directories(dir.path() / "e");
    watcher.checkNow();
    auto event = nextEvent();
    EXPECT_EQ(event.kind, VolumeEvent::Kind::Arrival);
    EXPECT_EQ(event.roots, (QStringList{e, g})) << "one event, in mount-point order";

    fs::remove_all(dir.path() / "g");
    watcher.checkNow();
    event = nextEvent();
    EXPECT_EQ(event.kind, VolumeEvent::Kind::Removal);
    EXPECT_EQ(event.roots, QStringList{g});
    EXPECT_TRUE(nextEvent().roots.isEmpty()) << "nothing else about them";
    platform::clearDeclaredVolumes();
}

TEST(MountWatcherDeclared, DeclaredPspDriveIsOpenedAndGivenUp)
{
    platform::clearDeclaredVolumes();
    RecordingPrompt prompt;
    TestWindow window;
    PspDriveHandler handler(window);
    TempDir dir;
    const fs::path stick = dir.path() / "stick";
    platform::declareVolume(q(stick));
    platform::MountWatcher watcher;
    watcher.setDeclaredInterval(20);
    handler.Watch(&watcher);

    fs::create_directories(stick / "PSP/PHOTO");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.GetPSPPath().isEmpty(); }, 2000));
    EXPECT_EQ(window.GetPSPPath(), q(stick) + "/MP_ROOT/100MNV01/");
    EXPECT_EQ(window.shownRoot(), q(stick) + "/");

    fs::remove_all(stick);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.GetPSPPath().isEmpty(); }, 2000));
    EXPECT_EQ(prompt.texts, QStringList{"You have disabled the PSP USB connection!"});
    platform::clearDeclaredVolumes();
}

// The real watcher on a real mount; needs the right to mount (CI runs as root).
TEST(MountWatcherReal, SeesATmpfsMountAndUnmount)
{
    TempDir dir;
    const fs::path point = dir.path() / "card";
    fs::create_directories(point);
    platform::MountWatcher watcher;
    if (!watcher.watchingMountTable())
        GTEST_SKIP() << "no mount-table notifications here";
    QSignalSpy spy(&watcher, &platform::MountWatcher::volumesChanged);
    if (::mount("tmpfs", point.c_str(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "may not mount here";
    // Unmounted whatever happens below, so no mount outlives the test.
    struct Unmount
    {
        const fs::path& point;
        ~Unmount() { ::umount2(point.c_str(), MNT_DETACH); }
    } unmount{point};
    const QString root = q(point) + "/";

    // Other programs may mount meanwhile: wait for the arrival of this card.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return std::any_of(spy.begin(), spy.end(), [&](const QList<QVariant>& args) {
                const auto event = args.at(0).value<VolumeEvent>();
                return event.kind == VolumeEvent::Kind::Arrival && event.roots.contains(root);
            });
        },
        3000));

    // The mounted card taken into use, then unmounted under the window.
    RecordingPrompt prompt;
    TestWindow window;
    PspDriveHandler handler(window);
    handler.Watch(&watcher);
    window.combo->FillDriveList();
    // Chosen directly: stepping through the real drives would open each of them.
    const int index = window.combo->FindRoot(root);
    ASSERT_GE(index, 0);
    window.combo->setCurrentIndex(index);
    handler.OnSelChangeDrive();
    ASSERT_EQ(window.GetPSPPath(), root + "MP_ROOT/100MNV01/");

    ASSERT_EQ(::umount(point.c_str()), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.GetPSPPath().isEmpty(); }, 3000));
    EXPECT_EQ(prompt.texts.back(), "You have disabled the PSP USB connection!");
}

TEST_F(DriveWindow, SelectorShowsEveryVolumeWithNameAndIcon)
{
    volumes.add("/b/", false);
    volumes.add("/a/", true);
    window.combo->FillDriveList();
    ASSERT_EQ(window.combo->count(), 2);
    EXPECT_EQ(window.combo->itemText(0), "Drive /a/");
    EXPECT_EQ(window.combo->RootAt(0), "/a/");
    EXPECT_EQ(window.combo->RootAt(1), "/b/");
    EXPECT_EQ(window.combo->RootAt(2), "");
    EXPECT_FALSE(window.combo->itemIcon(0).isNull());
    EXPECT_FALSE(window.combo->itemIcon(1).isNull());
    EXPECT_EQ(window.combo->FindRoot("/b/"), 1);
    EXPECT_EQ(window.combo->FindRoot("/B/"), -1);
    EXPECT_EQ(window.combo->currentIndex(), -1) << "a rebuild selects nothing";

    QSignalSpy chosen(window.combo, &QComboBox::activated);
    volumes.add("/c/", true);
    window.combo->FillDriveList();
    EXPECT_EQ(chosen.count(), 0) << "a rebuild is not a user's choice";
    EXPECT_EQ(window.combo->count(), 3);
}
