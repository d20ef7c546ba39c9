// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Transfers driven through the real window's buttons: the engine on its worker (what it does
// with thumbnails: tests/transfer), "Next Num", the lists rebuilt at the end, a close during a copy,
// and the window menu's conversion settings.
#include "FakeVolumes.h"
#include "ShellFixture.h"

#include "media/Media.h"
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
#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

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

// The window menu's conversion settings, chosen through their actions, reach the
// transfer: a video the PSP can't play is asked about, converted or copied as it is,
// in the chosen format, and the choice shows its one mark again after a restart.
namespace {

const QString kConvertMenu = QStringLiteral("Convert videos the PSP can't play");
const QString kFormatMenu = QStringLiteral("PSP video format");
const QString kDefaultFormat = QStringLiteral("H.264 480x272 (system software 3.30 and later)");

QMenu* windowSubmenu(const CMainDlg& window, const QString& title)
{
    for (QAction* action : window.systemMenu()->actions()) {
        if (action->menu() && action->text() == title)
            return action->menu();
    }
    return nullptr;
}

QAction* menuAction(const CMainDlg& window, const QString& menu, const QString& text)
{
    QMenu* sub = windowSubmenu(window, menu);
    for (QAction* action : sub ? sub->actions() : QList<QAction*>{}) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

// The texts of the checked actions of a window submenu, joined by "|".
std::string marked(const CMainDlg& window, const QString& menu)
{
    QStringList out;
    QMenu* sub = windowSubmenu(window, menu);
    for (QAction* action : sub ? sub->actions() : QList<QAction*>{}) {
        if (action->isChecked())
            out << action->text();
    }
    return out.join(u'|').toStdString();
}

// The first video stream as "codec WxH".
std::string probeVideo(const fs::path& file)
{
    const std::string command = "ffprobe -v error -select_streams v:0 -show_entries stream=codec_name,width,height "
                                "-of csv=p=0:s=x '" + file.string() + "'";
    std::string out(256, '\0');
    FILE* pipe = ::popen(command.c_str(), "r");
    out.resize(pipe ? std::fread(out.data(), 1, out.size(), pipe) : 0);
    if (pipe)
        ::pclose(pipe);
    // "h264x480x272\n" -> "h264 480x272"
    if (const auto x = out.find('x'); x != std::string::npos)
        out[x] = ' ';
    return out.substr(0, out.find('\n'));
}

struct ConvertChoice
{
    const char* name;
    const char* setting; // in "Convert videos the PSP can't play"
    const char* format;  // in "PSP video format"; null: the default
    std::optional<platform::PromptAnswer> answer; // to the one question, when asked
    const char* landed;  // the PSP copy's video; "as is": the source's
};

class ConvertMenuTest : public TransferWindowTest, public ::testing::WithParamInterface<ConvertChoice>
{
};

} // namespace

TEST_P(ConvertMenuTest, TheChoiceReachesTheCopyAndIsKept)
{
    const ConvertChoice c = GetParam();
    const QString setting = QString::fromLatin1(c.setting);
    const QString format = c.format ? QString::fromLatin1(c.format) : kDefaultFormat;
    EXPECT_EQ(marked(*window, kConvertMenu), "Ask") << "the default";
    EXPECT_EQ(marked(*window, kFormatMenu), kDefaultFormat.toStdString());
    for (const auto& [menu, text] : {std::pair{kConvertMenu, setting}, std::pair{kFormatMenu, format}}) {
        QAction* action = menuAction(*window, menu, text);
        ASSERT_TRUE(action) << text.toStdString();
        action->trigger();
        EXPECT_EQ(marked(*window, menu), text.toStdString()) << "one mark, on the choice";
    }

    // H.264 High, which the PSP doesn't play, selected alone in the computer list.
    const fs::path clip = local / "high.mp4";
    const std::string make = "ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc2=size=320x180:rate=30 -t 1 "
                             "-c:v libx264 -profile:v high '" + clip.string() + "'";
    ASSERT_EQ(std::system(make.c_str()), 0) << make;
    const media::Verdict verdict = media::judge(qpath(clip));
    ASSERT_EQ(verdict.kind, media::Verdict::Kind::WontPlay) << verdict.text().toStdString();
    window->OnRefresh();
    settle(*window);
    CVideoListCtrl* list = window->LocalList();
    list->setFocus();
    for (int row = 0; row < list->count(); ++row) {
        if (list->entryAt(row)->strPath == qpath(clip))
            list->selectionModel()->select(list->model()->index(row, 0), QItemSelectionModel::ClearAndSelect);
    }
    ASSERT_EQ(list->selectedRows().size(), 1u);
    if (c.answer)
        prompt.answers.push_back(*c.answer);
    run(ControlId::CopyToPsp);

    const QString question =
        QStringLiteral("The PSP can't play %1 (%2).\nConvert it while copying? No copies it as it is.")
            .arg(qpath(clip), verdict.reasons.join(QStringLiteral("; ")));
    EXPECT_EQ(prompt.texts.join(u'|').toStdString(), c.answer ? question.toStdString() : "");
    const fs::path landed = videos / "m4v00002.mp4";
    ASSERT_TRUE(fs::exists(landed));
    const bool asIs = std::string(c.landed) == "as is";
    EXPECT_EQ(probeVideo(landed), asIs ? probeVideo(clip) : c.landed);
    EXPECT_EQ(media::judge(qpath(landed)).plays(), !asIs) << media::judge(qpath(landed)).text().toStdString();

    window.reset();
    window = openWindow();
    EXPECT_EQ(marked(*window, kConvertMenu), setting.toStdString()) << "kept for the next start";
    EXPECT_EQ(marked(*window, kFormatMenu), format.toStdString());
}

INSTANTIATE_TEST_SUITE_P(Choices, ConvertMenuTest, ::testing::Values(
    ConvertChoice{"AskedYes", "Ask", nullptr, platform::PromptAnswer::Yes, "h264 480x272"},
    ConvertChoice{"AskedNo", "Ask", nullptr, platform::PromptAnswer::No, "as is"},
    ConvertChoice{"Always", "Always", nullptr, {}, "h264 480x272"},
    ConvertChoice{"Never", "Never", nullptr, {}, "as is"},
    ConvertChoice{"AlwaysMpeg4", "Always", "MPEG-4 320x240 (every PSP)", {}, "mpeg4 368x208"}),
    [](const auto& info) { return std::string(info.param.name); });

// A stored choice this version doesn't know is marked as what the transfer does with it: the default.
TEST_F(TransferWindowTest, AnUnknownStoredChoiceMarksTheDefault)
{
    window.reset();
    pref.PutString(QStringLiteral("ConvertVideos"), QStringLiteral("sometimes"));
    pref.PutString(QStringLiteral("VideoFormat"), QStringLiteral("vp9"));
    window = openWindow();
    EXPECT_EQ(marked(*window, kConvertMenu), "Ask");
    EXPECT_EQ(marked(*window, kFormatMenu), kDefaultFormat.toStdString());
}
