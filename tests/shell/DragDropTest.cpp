// Drops onto the real window's lists, sent as the events a file manager's drag makes.
#include "ShellFixture.h"
#include "StorageTestSupport.h"

#include "platform/Volumes.h"

#include <QLineEdit>
#include <QMimeData>
#include <QSignalSpy>

namespace fs = std::filesystem;

namespace {

enum class Setting { Ready, NoPsp, InputOff };
// items: files below "outside", whole URLs, or "@psp" / "@computer" for all rows of a list.
struct DropCase { const char* name; bool ontoPsp; QStringList items; Setting setting; bool accepted; };
void PrintTo(const DropCase& c, std::ostream* out) { *out << c.name; }

class DragDropTest : public ShellTest, public testing::WithParamInterface<DropCase>
{
protected:
    void open(bool withPsp = true)
    {
        for (const char* name : {"c.mp4", "c.THM", "D.MP4", "note.txt", "b.mp4", "dir.mp4/x"})
            temp.write(std::string("outside/") + name, name);
        temp.write("stick/PSP/PHOTO/x", "");
        temp.write("stick/MP_ROOT/100MNV01/M4V00001.THM", "thumbnail one");
        temp.write("local/b.mp4", minimalMp4());
        fs::copy_file(fs::path(REELKEEPER_TEST_DATA) / "mp4" / "hello.mp4", videos / "M4V00001.MP4");
        if (withPsp)
            platform::declareVolume(qpath(temp.path() / "stick"));
        pref.PutString(QStringLiteral("LocalPath"), qpath(temp.path() / "local"));
        window = openWindow();
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
        if (CVideoListCtrl* rows = items.value(0).startsWith(u'@') ? list(items[0] == QStringLiteral("@psp")) : nullptr) {
            rows->selectAll();
            return std::unique_ptr<QMimeData>(rows->model()->mimeData(rows->selectionModel()->selectedIndexes()));
        }
        QList<QUrl> urls;
        for (const QString& item : items)
            urls << (item.contains(u':') ? QUrl(item) : QUrl::fromLocalFile(qpath(temp.path() / "outside") + u'/' + item));
        auto data = std::make_unique<QMimeData>();
        data->setUrls(urls);
        return data;
    }
    // Enter and move (and the drop when asked) on the viewport; true when each was taken as a copy.
    bool drag(bool ontoPsp, const QMimeData& data, bool drop = false, Qt::KeyboardModifiers keys = {}) const
    {
        QWidget* viewport = list(ontoPsp)->viewport();
        const auto taken = [viewport](QDropEvent&& event) {
            QApplication::sendEvent(viewport, &event);
            return event.isAccepted() && event.dropAction() == Qt::CopyAction;
        };
        const QPoint at = viewport->rect().center();
        const Qt::DropActions both = Qt::CopyAction | Qt::MoveAction;
        return taken(QDragEnterEvent(at, both, &data, Qt::LeftButton, keys))
            && taken(QDragMoveEvent(at, both, &data, Qt::LeftButton, keys))
            && (!drop || taken(QDropEvent(at, both, &data, Qt::LeftButton, keys)));
    }
    // Drops and waits for the transfer the drop starts; meanwhile runs while it runs.
    void dropAndWait(bool ontoPsp, const QStringList& items, Qt::KeyboardModifiers keys = {},
                     const std::function<void()>& meanwhile = {})
    {
        QSignalSpy ended(window.get(), &CMainDlg::transferEnded);
        ASSERT_TRUE(drag(ontoPsp, *mime(items), true, keys));
        EXPECT_TRUE(window->IsTransferRunning());
        if (meanwhile)
            meanwhile();
        ASSERT_TRUE(ended.wait(20000));
        settle(*window);
    }

    TempDir temp;
    const fs::path videos = temp.path() / "stick" / "MP_ROOT" / "100MNV01";
    const fs::path outside = temp.path() / "outside";
    std::unique_ptr<CMainDlg> window;
};

} // namespace

TEST_P(DragDropTest, AcceptsOnlyLocalVideosFromElsewhereWhileIdle)
{
    const DropCase& c = GetParam();
    open(c.setting != Setting::NoPsp);
    if (c.setting == Setting::InputOff)
        window->EnableInput(false);
    EXPECT_EQ(drag(c.ontoPsp, *mime(c.items)), c.accepted);
}

INSTANTIATE_TEST_SUITE_P(Cases, DragDropTest, testing::Values(
    DropCase{"VideoOntoPsp", true, {"c.mp4"}, Setting::Ready, true},
    DropCase{"UpperCaseOntoComputer", false, {"D.MP4"}, Setting::Ready, true},
    DropCase{"NoPspComputerListStillTakes", false, {"c.mp4"}, Setting::NoPsp, true},
    DropCase{"NoPsp", true, {"c.mp4"}, Setting::NoPsp, false},
    DropCase{"InputOff", false, {"c.mp4"}, Setting::InputOff, false},
    DropCase{"OneNotAVideo", true, {"c.mp4", "note.txt"}, Setting::Ready, false},
    DropCase{"FolderNamedLikeAVideo", true, {"dir.mp4"}, Setting::Ready, false},
    DropCase{"AlreadyInTheFolder", false, {"../local/b.mp4"}, Setting::Ready, false},
    DropCase{"NotLocal", true, {"https://example.org/c.mp4"}, Setting::Ready, false},
    DropCase{"PspOntoItself", true, {"@psp"}, Setting::Ready, false},
    DropCase{"ComputerOntoItself", false, {"@computer"}, Setting::Ready, false},
    DropCase{"PspOntoComputer", false, {"@psp"}, Setting::Ready, true},
    DropCase{"ComputerOntoPsp", true, {"@computer"}, Setting::Ready, true}),
    [](const testing::TestParamInfo<DropCase>& info) { return std::string(info.param.name); });

TEST_F(DragDropTest, ShiftDropMovesOntoThePspUnderItsNextNameAndRefusesMoreMeanwhile)
{
    open();
    dropAndWait(true, {"c.mp4"}, Qt::ShiftModifier, [&] { EXPECT_FALSE(drag(true, *mime({"D.MP4"}))); });
    EXPECT_TRUE(prompt.texts.isEmpty()) << prompt.texts.join(u'|').toStdString();
    EXPECT_EQ(readFileBytes(videos / "m4v00002.mp4"), "c.mp4");
    EXPECT_EQ(readFileBytes(videos / "m4v00002.THM"), "c.THM");
    EXPECT_FALSE(fs::exists(outside / "c.mp4") || fs::exists(outside / "c.THM"));
    EXPECT_EQ(window->NextNumEdit()->text(), QStringLiteral("00003"));
    dropAndWait(true, {"D.MP4"}); // without Shift a copy
    EXPECT_EQ(readFileBytes(videos / "m4v00003.mp4"), "D.MP4");
    EXPECT_TRUE(fs::exists(outside / "D.MP4"));
    EXPECT_EQ(window->PspList()->count(), 3);
}

TEST_F(DragDropTest, PspRowsComeBackAndFilesLandInTheComputerFolder)
{
    open();
    EXPECT_EQ(mime({"@psp"})->urls(), QList<QUrl>{QUrl::fromLocalFile(qpath(videos / "M4V00001.MP4"))});
    EXPECT_EQ(window->PspList()->model()->supportedDragActions(), Qt::CopyAction);
    dropAndWait(false, {"@psp"});
    const fs::path local = temp.path() / "local";
    EXPECT_EQ(readFileBytes(local / "Hello.THM"), "thumbnail one") << "named by its title, as with <-Copy";
    EXPECT_TRUE(fs::exists(videos / "M4V00001.MP4"));

    // A name already there is replaced only when the user says so.
    prompt.answers.push_back(platform::PromptAnswer::No);
    dropAndWait(false, {"c.mp4", "b.mp4"});
    EXPECT_EQ(prompt.texts, QStringList{QStringLiteral("The file name you have specified already exists in the "
                                                       "target directory. \nOverwrite it anyway?")});
    EXPECT_EQ(readFileBytes(local / "c.mp4") + readFileBytes(local / "c.THM"), "c.mp4c.THM");
    EXPECT_EQ(readFileBytes(local / "b.mp4"), minimalMp4());
    EXPECT_EQ(window->LocalList()->count(), 3);
}
