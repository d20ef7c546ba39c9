// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Drops onto the real window's lists, sent as the events a file manager's drag makes.
#include "ShellFixture.h"
#include "StorageTestSupport.h"

#include "platform/Volumes.h"

#include <QLineEdit>
#include <QMimeData>
#include <QSignalSpy>

namespace fs = std::filesystem;

namespace {

enum class Setting { Ready, NoPsp, InputOff, OtherFolderTyped };
// items: files below "outside", or "@psp" / "@computer" for all rows of a list; lands: what an
// accepted drop makes, below the temporary folder. Which files are videos: tests/storage.
struct DropCase { const char* name; bool ontoPsp; QStringList items; Setting setting; const char* lands = nullptr; };
void PrintTo(const DropCase& c, std::ostream* out) { *out << c.name; }

class DragDropTest : public ShellTest, public testing::WithParamInterface<DropCase>
{
protected:
    void open(Setting setting = Setting::Ready)
    {
        for (const char* name : {"c.mp4", "c.THM", "D.MP4", "note.txt", "b.mp4"})
            temp.write(std::string("outside/") + name, QString::fromLatin1(name).endsWith(".mp4", Qt::CaseInsensitive) ? markedVideo(name) : name);
        temp.write("stick/PSP/PHOTO/x", "");
        temp.write("stick/MP_ROOT/100MNV01/M4V00001.THM", "thumbnail one");
        fs::copy_file(fs::path(REELKEEPER_TEST_DATA) / "mp4" / "hello.mp4", videos / "M4V00001.MP4");
        temp.write("local/b.mp4", markedVideo("b"));
        if (setting != Setting::NoPsp)
            platform::declareVolume(qpath(temp.path() / "stick"));
        pref.PutString(QStringLiteral("LocalPath"), qpath(local));
        window = openWindow();
        window->EnableInput(setting != Setting::InputOff);
        if (setting == Setting::OtherFolderTyped)
            window->FolderEdit()->setText(qpath(outside)); // the list still shows its own folder
        prompt.texts.clear();
    }
    void TearDown() override
    {
        window.reset();
        platform::clearDeclaredVolumes();
    }
    CVideoListCtrl* list(bool psp) const { return psp ? window->PspList() : window->LocalList(); }
    std::unique_ptr<QMimeData> mime(const QStringList& items) const
    {
        if (CVideoListCtrl* rows = items[0].startsWith(u'@') ? list(items[0] == QStringLiteral("@psp")) : nullptr) {
            rows->selectAll();
            return std::unique_ptr<QMimeData>(rows->model()->mimeData(rows->selectionModel()->selectedIndexes()));
        }
        QList<QUrl> urls;
        for (const QString& item : items)
            urls << QUrl::fromLocalFile(qpath(outside) + u'/' + item);
        auto data = std::make_unique<QMimeData>();
        data->setUrls(urls);
        return data;
    }
    // Enter and move (and the drop when asked) on the viewport; true when each was taken as a copy.
    bool drag(bool ontoPsp, const QStringList& items, bool drop = false, Qt::KeyboardModifiers keys = {}) const
    {
        QWidget* viewport = list(ontoPsp)->viewport();
        const auto taken = [viewport](QDropEvent&& event) {
            QApplication::sendEvent(viewport, &event);
            return event.isAccepted() && event.dropAction() == Qt::CopyAction;
        };
        const auto data = mime(items);
        const QPoint at = viewport->rect().center();
        const Qt::DropActions both = Qt::CopyAction | Qt::MoveAction;
        return taken(QDragEnterEvent(at, both, data.get(), Qt::LeftButton, keys))
            && taken(QDragMoveEvent(at, both, data.get(), Qt::LeftButton, keys))
            && (!drop || taken(QDropEvent(at, both, data.get(), Qt::LeftButton, keys)));
    }
    // Drops and waits for the transfer the drop starts, which refuses further drops meanwhile.
    void dropAndWait(bool ontoPsp, const QStringList& items, Qt::KeyboardModifiers keys = {})
    {
        QSignalSpy ended(window.get(), &CMainDlg::transferEnded);
        ASSERT_TRUE(drag(ontoPsp, items, true, keys));
        EXPECT_TRUE(window->IsTransferRunning());
        EXPECT_FALSE(drag(true, {"D.MP4"}) || drag(false, {"D.MP4"}));
        ASSERT_TRUE(ended.wait(20000));
        settle(*window);
    }

    TempDir temp;
    const fs::path videos = temp.path() / "stick" / "MP_ROOT" / "100MNV01";
    const fs::path outside = temp.path() / "outside";
    const fs::path local = temp.path() / "local";
    std::unique_ptr<CMainDlg> window;
};

} // namespace

TEST_P(DragDropTest, AcceptsOnlyLocalVideosFromElsewhereWhileIdle)
{
    const DropCase& c = GetParam();
    open(c.setting);
    EXPECT_EQ(drag(c.ontoPsp, c.items), c.lands != nullptr);
    if (c.lands) { // and the drop goes through, without a word
        dropAndWait(c.ontoPsp, c.items);
        EXPECT_TRUE(fs::exists(temp.path() / c.lands)) << c.lands;
        EXPECT_TRUE(prompt.texts.isEmpty()) << prompt.texts.join(u'|').toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, DragDropTest, testing::Values(
    DropCase{"VideoOntoPsp", true, {"c.mp4"}, Setting::Ready, "stick/MP_ROOT/100MNV01/m4v00002.THM"},
    DropCase{"NoPspComputerListStillTakes", false, {"c.mp4"}, Setting::NoPsp, "local/c.THM"},
    DropCase{"NoPsp", true, {"c.mp4"}, Setting::NoPsp},
    DropCase{"InputOff", false, {"c.mp4"}, Setting::InputOff},
    DropCase{"OneNotAVideo", true, {"c.mp4", "note.txt"}, Setting::Ready},
    DropCase{"AlreadyInTheFolder", false, {"../local/b.mp4"}, Setting::Ready},
    DropCase{"PspOntoItself", true, {"@psp"}, Setting::Ready},
    DropCase{"ComputerOntoItself", false, {"@computer"}, Setting::OtherFolderTyped},
    DropCase{"PspOntoComputerByTitle", false, {"@psp"}, Setting::Ready, "local/Hello.THM"},
    DropCase{"ComputerOntoPsp", true, {"@computer"}, Setting::Ready, "stick/MP_ROOT/100MNV01/m4v00002.mp4"}),
    [](const testing::TestParamInfo<DropCase>& info) { return std::string(info.param.name); });

TEST_F(DragDropTest, ShiftMovesOntoThePspAndTheComputerListAsksBeforeReplacing)
{
    open();
    EXPECT_EQ(mime({"@psp"})->urls(), QList<QUrl>{QUrl::fromLocalFile(qpath(videos / "M4V00001.MP4"))});
    EXPECT_EQ(window->PspList()->model()->supportedDragActions(), Qt::CopyAction);
    dropAndWait(true, {"c.mp4"}, Qt::ShiftModifier);
    EXPECT_TRUE(prompt.texts.isEmpty()) << prompt.texts.join(u'|').toStdString();
    EXPECT_EQ(readMarker(videos / "m4v00002.mp4") + readMarker(videos / "m4v00002.THM"), "c.mp4c.THM");
    EXPECT_FALSE(fs::exists(outside / "c.mp4") || fs::exists(outside / "c.THM"));
    EXPECT_EQ(window->NextNumEdit()->text(), QStringLiteral("00003"));

    prompt.answers.push_back(platform::PromptAnswer::No);
    dropAndWait(false, {"D.MP4", "b.mp4"});
    EXPECT_EQ(prompt.texts, QStringList{QStringLiteral("The file name you have specified already exists in the "
                                                       "target directory. \nOverwrite it anyway?")});
    EXPECT_EQ(readMarker(local / "D.MP4"), "D.MP4");
    EXPECT_TRUE(fs::exists(outside / "D.MP4")) << "copied, not moved";
    EXPECT_EQ(readMarker(local / "b.mp4"), "b");
    EXPECT_EQ(window->LocalList()->count(), 2);
}
