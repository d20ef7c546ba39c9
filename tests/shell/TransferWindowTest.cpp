// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Transfers driven through the real window's buttons: the engine on its worker (what it does
// with thumbnails: tests/transfer), "Next Num", the lists rebuilt at the end, and a close during a copy.
#include "FakeVolumes.h"
#include "ShellFixture.h"

#include "mp4title/Title.h"
#include "platform/Volumes.h"
#include "shell/CMainStatusBar.h"
#include "skin/UxButton.h"
#include "widgets/CPSPPrgCtrl.h"
#include "widgets/CVideoListCtrl.h"
#include "widgets/VideoListModel.h"
#include "widgets/MessageBoxPrompt.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QToolButton>
#include <QMessageBox>
#include <QSignalSpy>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class TransferWindowTest : public ShellTest
{
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        fs::create_directories(stick / "PSP" / "PHOTO");
        fs::create_directories(videos);
        fs::copy_file(sampleVideo("hello.mp4"), videos / "M4V00001.MP4");
        temp.write("stick/MP_ROOT/100MNV01/M4V00001.THM", "thumbnail one");
        fs::create_directories(local);
        fs::copy_file(sampleVideo("non-ascii.mp4"), local / "b.mp4");
        temp.write("local/b.THM", "thumbnail b");
        platform::declareVolume(qpath(stick));
        pref.PutString(QStringLiteral("LocalPath"), qpath(local));
        window = openWindow();
        ASSERT_EQ(window->PspList()->count(), 1);
        ASSERT_EQ(window->LocalList()->count(), 1);
        prompt.texts.clear();
    }
    void TearDown() override
    {
        window.reset();
        platform::clearDeclaredVolumes();
    }

    void selectAll(CVideoListCtrl* list)
    {
        list->setFocus();
        QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    }
    // Clicks a transfer button once it is enabled and waits for the end and the rebuilt lists.
    void run(ControlId button)
    {
        UxButton* b = window->Button(button);
        ASSERT_TRUE(QTest::qWaitFor([&] { return b->isEnabled(); }, 3000)) << toInt(button);
        QSignalSpy ended(window.get(), &CMainDlg::transferEnded);
        QTest::mouseClick(b, Qt::LeftButton);
        EXPECT_TRUE(window->IsTransferRunning());
        EXPECT_FALSE(window->Button(ControlId::Refresh)->isEnabled());
        ASSERT_TRUE(ended.wait(20000));
        settle(*window);
    }

    TempDir temp;
    const fs::path stick = temp.path() / "stick";
    const fs::path videos = stick / "MP_ROOT" / "100MNV01";
    const fs::path local = temp.path() / "local";
    std::unique_ptr<CMainDlg> window;
};

} // namespace

TEST_F(TransferWindowTest, CopyToThePspAndMoveBackByTitleWithNextNum)
{
    selectAll(window->LocalList());
    run(ControlId::CopyToPsp);
    EXPECT_TRUE(prompt.texts.isEmpty()) << prompt.texts.join(u'|').toStdString();
    EXPECT_TRUE(fs::exists(videos / "m4v00002.mp4"));
    EXPECT_TRUE(fs::exists(local / "b.mp4")) << "a copy keeps its source";
    EXPECT_EQ(window->PspList()->count(), 2);
    EXPECT_EQ(window->NextNumEdit()->text(), QStringLiteral("00003"));
    EXPECT_TRUE(window->StatusBar()->GetText(2).startsWith(QStringLiteral("Used/Total(Selected):")));

    // Back to the computer, moved: named by its title, gone from the PSP.
    CVideoListCtrl* psp = window->PspList();
    psp->setFocus();
    for (int row = 0; row < psp->count(); ++row) {
        if (psp->entryAt(row)->strPath.endsWith(QStringLiteral("M4V00001.MP4")))
            psp->selectionModel()->select(psp->model()->index(row, 0), QItemSelectionModel::ClearAndSelect);
    }
    run(ControlId::MoveFromPsp);
    EXPECT_TRUE(prompt.texts.isEmpty()) << prompt.texts.join(u'|').toStdString();
    EXPECT_TRUE(fs::exists(local / "Hello.mp4"));
    EXPECT_FALSE(fs::exists(videos / "M4V00001.MP4"));
    EXPECT_EQ(window->LocalList()->count(), 2);
    EXPECT_EQ(window->PspList()->count(), 1);
}

// The click that ends a title edit acts: "Copy->" clicked while the editor is open
// commits the title, waits for its write (another program holds the video a
// moment), then copies the selection; the row shows the write's date.
TEST_F(TransferWindowTest, AClickThatEndsATitleEditActsOnceTheTitleIsWritten)
{
    const int other = ::open((local / "b.mp4").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    fs::last_write_time(local / "b.mp4", fs::file_time_type::clock::now() - std::chrono::hours(24 * 400));
    window->OnRefresh();
    settle(*window);
    CVideoListCtrl* list = window->LocalList();
    const QString oldDate = list->entryAt(0)->strDate;
    list->setFocus();
    list->setCurrentIndex(list->model()->index(0, 0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->Button(ControlId::CopyToPsp)->isEnabled(); }, 3000));
    QTest::keyClick(list, Qt::Key_F2);
    QLineEdit* editor = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (editor = list->viewport()->findChild<QLineEdit*>()); }, 2000));
    QTest::keyClicks(editor, QStringLiteral("Renamed"));
    QSignalSpy ended(window.get(), &CMainDlg::transferEnded);
    // The press gives the button the focus, which ends the edit; then the click.
    window->Button(ControlId::CopyToPsp)->setFocus(Qt::MouseFocusReason);
    QTest::mouseClick(window->Button(ControlId::CopyToPsp), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->isWritingTitle(); }, 2000));
    EXPECT_FALSE(window->IsTransferRunning()) << "a video whose title is being written does not travel yet";
    EXPECT_TRUE(list->selectionModel()->isRowSelected(0, {}));
    ::close(other);
    ASSERT_TRUE(ended.wait(10000));
    settle(*window);
    EXPECT_EQ(mp4title::readTitle((videos / "m4v00002.mp4").string()).title, "Renamed");
    EXPECT_EQ(mp4title::readTitle((local / "b.mp4").string()).title, "Renamed");
    EXPECT_NE(list->entryAt(0)->strDate, oldDate) << "the row shows the date the write gave the file";
    EXPECT_EQ(QApplication::focusWidget(), list)
        << "the focus goes back to the list acted on, not "
        << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString() : "none");
    EXPECT_TRUE(prompt.texts.isEmpty()) << prompt.texts.join(u'|').toStdString();
}

// "Stop" beside the bar, while a copy runs: the bar names the video and its
// percent, Stop ends the walk without a failure box, and the idle window has no Stop.
TEST_F(TransferWindowTest, StopEndsTheTransferWithoutAFailureBox)
{
    // A clip with a sparse tail: long to copy, nothing on the disk.
    fs::resize_file(temp.write("local/c.mp4", markedVideo("")), std::uintmax_t{1} << 30);
    window->OnRefresh();
    settle(*window);
    EXPECT_FALSE(window->StopButton()->isVisible());
    CVideoListCtrl* list = window->LocalList();
    ASSERT_EQ(list->count(), 2);
    list->setFocus();
    list->videoModel()->setSortKey(VideoListModel::SortKey::Size); // the large c.mp4 goes first
    list->selectAll();
    QSignalSpy ended(window.get(), &CMainDlg::transferEnded);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->Button(ControlId::CopyToPsp)->isEnabled(); }, 3000));
    QTest::mouseClick(window->Button(ControlId::CopyToPsp), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->ProgressBar()->value() > 0; }, 10000));
    EXPECT_TRUE(window->StopButton()->isVisible());
    EXPECT_TRUE(window->ProgressBar()->Caption().startsWith(QStringLiteral("Hello  "))) // the video's title
        << window->ProgressBar()->Caption().toStdString();
    EXPECT_TRUE(window->ProgressBar()->Caption().contains(u'%'));
    QTest::mouseClick(window->StopButton(), Qt::LeftButton);
    ASSERT_TRUE(ended.wait(5000));
    settle(*window);
    EXPECT_TRUE(prompt.texts.isEmpty()) << prompt.texts.join(u'|').toStdString();
    EXPECT_FALSE(window->StopButton()->isVisible());
    EXPECT_FALSE(window->isHidden());
    EXPECT_EQ(std::distance(fs::directory_iterator(videos), {}), 2) << "no partial copy, and b.mp4 never started";
}

// The lists' keys and menus: Delete in the PSP list asks as "Delete" does, and a
// sort chosen in the menu orders the rows and is kept for the next start.
TEST_F(TransferWindowTest, DeleteKeyAndSortMenu)
{
    CVideoListCtrl* psp = window->PspList();
    psp->setFocus();
    psp->setCurrentIndex(psp->model()->index(0, 0));
    prompt.answers.push_back(platform::PromptAnswer::No);
    QSignalSpy ended(window.get(), &CMainDlg::transferEnded);
    QTest::keyClick(psp, Qt::Key_Delete);
    ASSERT_TRUE(ended.wait(5000));
    EXPECT_EQ(prompt.texts, QStringList{QStringLiteral("Delete the file?")});
    EXPECT_EQ(QApplication::focusWidget(), psp);

    temp.write("local/a.mp4", "small");
    window->OnRefresh();
    settle(*window);
    CVideoListCtrl* list = window->LocalList();
    ASSERT_EQ(list->count(), 2);
    const auto names = [list] {
        QStringList out;
        for (int row = 0; row < list->count(); ++row)
            out << list->entryAt(row)->strPath.section(u'/', -1);
        return out;
    };
    const QList<QAction*> actions = window->ListActions(false);
    ASSERT_EQ(actions.size(), 3 + 5);
    actions[3 + 3]->trigger(); // Size: largest first
    const QStringList bySize = names();
    actions[3 + 4]->trigger(); // File name
    EXPECT_EQ(names(), (QStringList{"a.mp4", "b.mp4"}));
    EXPECT_EQ(bySize, (QStringList{"b.mp4", "a.mp4"}));
    EXPECT_EQ(pref.GetString(QStringLiteral("LocalSort")), QStringLiteral("4"));
}

// "Stop the program?" while a transfer runs, in every order of its answer and the
// transfer's end. The worker is held on its own "Delete the file?", so the test
// decides when the transfer ends.
struct CloseOrder
{
    const char* name;
    bool endFirst; // the transfer ends while the question is still open
    platform::PromptAnswer stop;
};

class CloseOrderTest : public TransferWindowTest, public ::testing::WithParamInterface<CloseOrder>
{
};

TEST_P(CloseOrderTest, YesClosesOnceTheTransferHasEndedAndNoKeepsTheWindow)
{
    const CloseOrder order = GetParam();
    const bool yes = order.stop == platform::PromptAnswer::Yes;
    selectAll(window->PspList());
    prompt.holding = true;
    QSignalSpy ended(window.get(), &CMainDlg::transferEnded);
    QSignalSpy finished(window.get(), &QDialog::finished);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->Button(ControlId::Delete)->isEnabled(); }, 3000));
    QTest::mouseClick(window->Button(ControlId::Delete), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return prompt.held().size() == 1; }, 3000));
    const platform::PromptRequest del = prompt.held()[0];
    EXPECT_TRUE(window->ProgressBar()->isVisible());

    window->close();
    ASSERT_EQ(prompt.held().size(), 2u);
    const platform::PromptRequest stop = prompt.held()[1];
    EXPECT_TRUE(window->IsAskingToClose());
    window->close(); // ignored while the question is open
    EXPECT_EQ(prompt.held().size(), 2u);

    const auto endTransfer = [&] {
        ASSERT_TRUE(prompt.answer(del.id, QStringLiteral("Delete the file?"), platform::PromptAnswer::No));
        ASSERT_TRUE(ended.wait(5000));
    };
    if (order.endFirst) {
        endTransfer();
        EXPECT_TRUE(window->isVisible()) << "the open question decides";
        ASSERT_TRUE(prompt.answer(stop.id, QStringLiteral("Stop the program?"), order.stop));
    } else {
        ASSERT_TRUE(prompt.answer(stop.id, QStringLiteral("Stop the program?"), order.stop));
        EXPECT_EQ(window->IsClosing(), yes);
        EXPECT_TRUE(window->isVisible()) << "not before the worker has ended";
        endTransfer();
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(finished.count(), yes ? 1 : 0);
    EXPECT_NE(window->isVisible(), yes);
    // Every end leaves the bar hidden at 0, and a report arriving late changes nothing.
    EXPECT_FALSE(window->ProgressBar()->isVisible());
    QMetaObject::invokeMethod(window.get(), "OnTransferProgress", Q_ARG(int, 70));
    EXPECT_EQ(window->ProgressBar()->value(), 0);
    EXPECT_FALSE(window->ProgressBar()->isVisible());
    EXPECT_EQ(prompt.texts, (QStringList{QStringLiteral("Delete the file?"), QStringLiteral("Stop the program?")}));
    if (!yes) {
        // "Delete" answered No changed nothing, and the space figures are back at once.
        EXPECT_TRUE(fs::exists(videos / "M4V00001.MP4"));
        EXPECT_TRUE(window->StatusBar()->GetText(2).startsWith(QStringLiteral("Used/Total(Selected):")))
            << window->StatusBar()->GetText(2).toStdString();
        // A later close request works: nothing runs now, so it closes at once.
        EXPECT_FALSE(window->IsClosing());
        EXPECT_TRUE(window->close());
        EXPECT_EQ(finished.count(), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Orders, CloseOrderTest,
                         ::testing::Values(CloseOrder{"EndThenYes", true, platform::PromptAnswer::Yes},
                                           CloseOrder{"EndThenNo", true, platform::PromptAnswer::No},
                                           CloseOrder{"YesThenEnd", false, platform::PromptAnswer::Yes},
                                           CloseOrder{"NoThenEnd", false, platform::PromptAnswer::No}),
                         [](const auto& info) { return std::string(info.param.name); });

// The real message boxes: each question is raised over the window, holds its input
// while open, and its No (a click on the button) ends the transfer with the controls back.
class MessageBoxTest : public TransferWindowTest
{
protected:
    void SetUp() override
    {
        TransferWindowTest::SetUp();
        boxes.setParentWindow(window.get());
        platform::setPrompt(&boxes);
    }
    void TearDown() override
    {
        platform::setPrompt(&prompt);
        TransferWindowTest::TearDown();
    }

    // Clicks button, answers the question text with No through its box, and waits for the end.
    void answerNo(ControlId button, const QString& text)
    {
        QSignalSpy ended(window.get(), &CMainDlg::transferEnded);
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->Button(button)->isEnabled(); }, 3000));
        QTest::mouseClick(window->Button(button), Qt::LeftButton);
        QMessageBox* box = nullptr;
        ASSERT_TRUE(QTest::qWaitFor([&] { return (box = boxes.currentBox()) && box->isVisible(); }, 3000));
        EXPECT_EQ(box->text(), text);
        EXPECT_EQ(box->parentWidget(), window.get());
        EXPECT_EQ(box->windowModality(), Qt::WindowModal);
        EXPECT_EQ(box->icon(), QMessageBox::Question);
        EXPECT_EQ(QApplication::activeModalWidget(), box);
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == box; }, 1000));
        QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
        ASSERT_TRUE(ended.wait(5000));
        EXPECT_EQ(boxes.currentBox(), nullptr);
        settle(*window);
        EXPECT_TRUE(QTest::qWaitFor([&] { return window->Button(ControlId::Refresh)->isEnabled(); }, 3000));
        EXPECT_TRUE(window->Button(ControlId::Browse)->isEnabled());
        EXPECT_TRUE(window->PspList()->isEnabled());
        EXPECT_FALSE(window->ProgressBar()->isVisible());
    }

    widgets::MessageBoxPrompt boxes;
};

TEST_F(MessageBoxTest, DeleteAnsweredNoAHundredTimes)
{
    selectAll(window->PspList());
    for (int i = 0; i < 100 && !HasFatalFailure(); ++i)
        answerNo(ControlId::Delete, QStringLiteral("Delete the file?"));
    EXPECT_TRUE(fs::exists(videos / "M4V00001.MP4"));
}

TEST_F(MessageBoxTest, OverwriteAnsweredNoAHundredTimes)
{
    fs::copy_file(sampleVideo("hello.mp4"), videos / "m4v00002.mp4");
    window->OnRefresh();
    settle(*window);
    for (int i = 0; i < 100 && !HasFatalFailure(); ++i) {
        selectAll(window->LocalList());
        // A typed number that is taken asks before replacing the video.
        window->NextNumEdit()->clear();
        QTest::keyClicks(window->NextNumEdit(), QStringLiteral("00002"));
        QTest::qWait(CMainDlg::kRefreshPauseMs);
        answerNo(ControlId::CopyToPsp,
                 QStringLiteral("The file name you have specified already exists in the target directory. \n"
                                "Overwrite it anyway?"));
    }
    EXPECT_EQ(readFileBytes(videos / "m4v00002.mp4"), readFileBytes(sampleVideo("hello.mp4")));
}
