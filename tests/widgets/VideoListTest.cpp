// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Mp4Builder.h"
#include "Pictures.h"
#include "RecordingPrompt.h"
#include "TempDir.h"

#include "mp4title/Title.h"
#include "storage/Catalogue.h"
#include "thumbnail/Cache.h"
#include "widgets/CVideoListCtrl.h"
#include "widgets/VideoListModel.h"
#include "widgets/VideoRowDelegate.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>
#include <QThreadPool>
#include <QToolTip>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Types any text, one key event per character (QTest::keyClicks knows ASCII only).
void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

std::string titleOf(const std::filesystem::path& path) { return mp4title::readTitle(path.string()).title; }

// A shown list of a fixed size, filled from a folder of videos with thumbnails.
class VideoListTest : public testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("REELKEEPER_APPDIR", REELKEEPER_APPDIR);
        list.resize(320, 240);
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
        list.InitList();
    }

    std::filesystem::path addVideo(const std::string& name, std::size_t size = 2048)
    {
        const auto path = dir.write(name, minimalMp4(size));
        writePicture(std::filesystem::path(path).replace_extension(".THM"), 160, 120, Qt::red, "JPEG");
        return path;
    }
    // Until the pictures made from the videos are in too: the scan's worker is done.
    void fill(const TempDir* folder = nullptr)
    {
        QSignalSpy finished(&list, &CVideoListCtrl::fillFinished);
        QSignalSpy pictures(&list, &CVideoListCtrl::picturesFinished);
        list.FillList(storage::videoPattern(qpath((folder ? folder : &dir)->path())));
        EXPECT_TRUE(finished.wait(10000));
        EXPECT_FALSE(list.isFilling());
        EXPECT_TRUE(pictures.count() == 1 || pictures.wait(10000));
    }
    int rowOf(const std::filesystem::path& path) const
    {
        for (int row = 0; row < list.count(); ++row) {
            if (list.entryAt(row)->strPath == qpath(path))
                return row;
        }
        return -1;
    }
    QRect rowRect(int row) const { return list.visualRect(list.model()->index(row, 0)); }
    QPoint titlePoint(int row) const { return rowRect(row).topLeft() + QPoint(60, 8); }
    QLineEdit* editor() const { return list.viewport()->findChild<QLineEdit*>(QStringLiteral("titleEditor")); }
    bool waitForEditor() const { return QTest::qWaitFor([this] { return editor() && editor()->isVisible(); }, 2000); }
    bool startEdit(int row)
    {
        list.setFocus();
        list.setCurrentIndex(list.model()->index(row, 0));
        QTest::keyClick(&list, Qt::Key_F2);
        return waitForEditor();
    }
    // The editor commits and closes from the event loop; the title is written on a worker.
    void pressInEditor(Qt::Key key, bool waitForWrite = true)
    {
        QTest::keyClick(editor(), key);
        ASSERT_TRUE(QTest::qWaitFor([this] { return list.editColumn() == -1; }, 2000));
        QApplication::processEvents();
        if (waitForWrite) {
            ASSERT_TRUE(QTest::qWaitFor([this] { return !list.isWritingTitle(); }, 5000));
        }
    }
    QColor colourAt(int x, int y) { return list.viewport()->grab().toImage().pixelColor(x, y); }
    QColor paletteColour(QPalette::ColorRole role) const { return list.palette().color(QPalette::Active, role); }

    RecordingPrompt prompt;
    TempDir dir;
    // Destroyed after the list: its scans, told to stop, end before the folder goes.
    struct ScansEnded
    {
        ~ScansEnded() { QThreadPool::globalInstance()->waitForDone(); }
    } scansEnded;
    CVideoListCtrl list;
};

// Holds a scan in the size look of a video (while it lists rows) or in the date
// look of the picture cache (while it makes pictures), until opened or 3 s pass.
enum class Phase { Rows, Pictures };
class HeldFileSystem : public FakeFileSystem
{
public:
    explicit HeldFileSystem(Phase phase) : phase(phase) {}
    std::optional<std::uint64_t> readableSize(const QString& path) const override
    {
        hold(Phase::Rows);
        return FakeFileSystem::readableSize(path);
    }
    std::optional<std::time_t> lastWriteTime(const QString& path) const override
    {
        hold(Phase::Pictures);
        return FakeFileSystem::lastWriteTime(path);
    }

    const Phase phase;
    mutable QSemaphore held, open;

private:
    void hold(Phase when) const
    {
        if (when != phase)
            return;
        held.release();
        open.tryAcquire(1, 3000);
    }
};

enum class End { Destroyed, Refilled, Cleared };
struct ScanEnd
{
    Phase phase;
    End end;
};
class ScanEndTest : public VideoListTest, public testing::WithParamInterface<ScanEnd>
{
};

} // namespace

TEST_F(VideoListTest, FillListsEachVideoOnceWithItsSizeThumbnailAndToolTip)
{
    const auto a = addVideo("M4V00001.MP4", 1536);
    const auto longName = addVideo("ABCDEFGHIJKLMNOP.mp4", 1536); // 20 characters
    const auto markup = addVideo("<b>clip.mp4", 1536);
    dir.write("readme.txt", "x");
    fill();
    ASSERT_EQ(list.count(), 3);
    EXPECT_TRUE(list.ContainsPath(qpath(a)));
    EXPECT_FALSE(list.ContainsPath(qpath(a).toLower())); // byte for byte
    const VideoEntry* entry = list.entryAt(rowOf(a));
    ASSERT_TRUE(entry && entry->pThumb);
    EXPECT_EQ(entry->strSize, u"1.50 KB");
    EXPECT_EQ(entry->pThumb->size(), QSize(44, 33));
    EXPECT_EQ(list.entryAt(3), nullptr);

    const auto tip = [this](int row) { return list.model()->index(row, 0).data(Qt::ToolTipRole).toString(); };
    // The made-up videos have no video track.
    EXPECT_EQ(tip(rowOf(longName)), u"Name:ABCDEFGHIJKL\n Size:1.50 KB\nnot a video");
    // What the tooltip shows is that text, also for a name that looks like markup.
    const QPoint centre = rowRect(rowOf(markup)).center();
    QHelpEvent help(QEvent::ToolTip, centre, list.viewport()->mapToGlobal(centre));
    QApplication::sendEvent(list.viewport(), &help);
    QString shown = QToolTip::text();
    if (Qt::mightBeRichText(shown)) {
        QTextDocument document;
        document.setHtml(shown);
        shown = document.toPlainText();
    }
    EXPECT_EQ(shown, u"Name:<b>clip.mp4\n Size:1.50 KB\nnot a video");
    QToolTip::hideText();

    QSignalSpy changed(&list, &CVideoListCtrl::itemSelectionChanged);
    list.selectAll();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(list.selectedRows(), QList<int>({0, 1, 2}));
    // A second fill replaces the rows, signals the selection gone and can still be edited.
    fill();
    EXPECT_EQ(list.count(), 3);
    EXPECT_FALSE(list.hasSelection());
    EXPECT_GE(changed.count(), 2);
    EXPECT_TRUE(startEdit(0));
    EXPECT_TRUE(prompt.texts.isEmpty());
}

TEST_F(VideoListTest, DefaultPictureComesFromTheCurrentFolderThenTheShippedOneElseEachVideoSaysSo)
{
    TempDir cwd, emptyDir;
    writePicture(cwd.path() / "Default.THM", 160, 120, Qt::magenta, "JPEG");
    FakeFileSystem fs;
    fs.cwd = qpath(cwd.path());
    const auto isMagenta = [](QRgb c) { return qRed(c) > 200 && qBlue(c) > 200 && qGreen(c) < 60; };
    const auto empty = dir.write("empty.mp4", minimalMp4(1536));
    dir.write("empty.THM", ""); // no thumbnail of its own
    dir.write("none.mp4", minimalMp4());
    const auto broken = dir.write("broken.mp4", minimalMp4());
    dir.write("broken.THM", "not a picture");
    fill();
    const VideoEntry* withDefault = list.entryAt(rowOf(empty));
    ASSERT_TRUE(withDefault && withDefault->pThumb);
    EXPECT_TRUE(isMagenta(withDefault->pThumb->pixel(22, 16)));
    EXPECT_EQ(withDefault->strSize, u"1.50 KB");
    // A thumbnail that is there but broken doesn't fall back, and leaves no size text.
    const VideoEntry* withBroken = list.entryAt(rowOf(broken));
    ASSERT_TRUE(withBroken && !withBroken->pThumb);
    EXPECT_EQ(withBroken->strSize, QString());
    EXPECT_FALSE(withBroken->strDate.isEmpty());

    fs.cwd = qpath(emptyDir.path());
    fill();
    ASSERT_TRUE(list.entryAt(rowOf(empty))->pThumb);
    EXPECT_FALSE(isMagenta(list.entryAt(rowOf(empty))->pThumb->pixel(22, 16)));
    EXPECT_TRUE(prompt.texts.isEmpty());

    qputenv("REELKEEPER_APPDIR", emptyDir.str().c_str());
    fill();
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(prompt.texts, QStringList(2, QStringLiteral("Default Picture Doesn't exist!")));
}

// After its row, a video without a thumbnail gets a picture made from it; the next fill takes it from the cache.
TEST_F(VideoListTest, VideoWithoutThumbnailShowsItsOwnPictureCachedForTheNextFill)
{
    const auto clip = dir.path() / "clip.mp4";
    std::filesystem::copy_file(REELKEEPER_TEST_DATA "/thumbnail/wide.mp4", clip);
    const auto bad = dir.write("bad.mp4", minimalMp4());
    fill();
    ASSERT_TRUE(list.entryAt(rowOf(bad))->pThumb && list.entryAt(rowOf(clip))->pThumb);
    const QImage own = *list.entryAt(rowOf(clip))->pThumb;
    EXPECT_EQ(own.size(), QSize(44, 33));
    EXPECT_NE(own, *list.entryAt(rowOf(bad))->pThumb); // the default stays for what can't be decoded

    const auto cached = thumbnail::cachedPicture(qpath(clip));
    ASSERT_TRUE(cached);
    const std::filesystem::path cachedPath = cached->toStdString();
    std::filesystem::last_write_time(cachedPath, std::filesystem::file_time_type{});
    fill();
    EXPECT_EQ(*list.entryAt(rowOf(clip))->pThumb, own);
    EXPECT_EQ(std::filesystem::last_write_time(cachedPath), std::filesystem::file_time_type{});

    // A picture arriving under an open title editor keeps what was typed.
    ASSERT_TRUE(startEdit(rowOf(clip)));
    typeText(editor(), QStringLiteral("Typed"));
    list.videoModel()->setThumbnail(qpath(clip), own);
    pressInEditor(Qt::Key_Return);
    EXPECT_EQ(titleOf(clip), "Typed");
}

TEST_F(VideoListTest, SelectionIsHighlightedToTwoPixelsShortOfTheClientWidthButNotUnderAnEditor)
{
    addVideo("a.mp4");
    addVideo("b.mp4");
    fill();
    list.selectionModel()->select(list.model()->index(0, 0), QItemSelectionModel::Select);
    list.selectionModel()->setCurrentIndex(list.model()->index(1, 0), QItemSelectionModel::Select);
    const int y = rowRect(0).top() + 30;
    const int width = list.clientWidth();
    EXPECT_EQ(colourAt(width - 10, y), paletteColour(QPalette::Highlight));
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_F2);
    ASSERT_TRUE(waitForEditor());
    EXPECT_EQ(list.editColumn(), 0);
    EXPECT_EQ(colourAt(width - 10, y), paletteColour(QPalette::Base));
    pressInEditor(Qt::Key_Escape);
    EXPECT_EQ(colourAt(width - 10, y), paletteColour(QPalette::Highlight));

    list.InitList(); // column narrower than the client area again, as before a refit
    EXPECT_EQ(colourAt(width - 3, y), paletteColour(QPalette::Highlight));
    EXPECT_EQ(colourAt(width - 1, y), paletteColour(QPalette::Base));
    EXPECT_EQ(colourAt(width - 3, rowRect(1).top() + 30), paletteColour(QPalette::Base)) << "the edited row ends unselected";
    EXPECT_GT(colourAt(VideoRowDelegate::kIconLeft + 22, rowRect(0).top() + 17).red(), 200) << "thumbnail at the left";

    // Rows cleared under an open editor end the edit unwritten; rows that come back are highlighted again.
    const std::filesystem::path edited = list.entryAt(0)->strPath.toStdString();
    const std::string before = readFileBytes(edited);
    ASSERT_TRUE(startEdit(0));
    QTest::keyClicks(editor(), QStringLiteral("never written"));
    list.videoModel()->clear();
    QApplication::processEvents();
    EXPECT_EQ(list.editColumn(), -1);
    EXPECT_EQ(readFileBytes(edited), before);
    list.videoModel()->append(QStringLiteral("back"), std::make_unique<VideoEntry>());
    list.selectionModel()->select(list.model()->index(0, 0), QItemSelectionModel::Select);
    EXPECT_EQ(colourAt(width - 10, rowRect(0).top() + 30), paletteColour(QPalette::Highlight));
}

TEST_F(VideoListTest, EditsThatWriteNothingOrFailKeepTheFileAndTheEditorTakes255Utf8Bytes)
{
    // A title longer than the editor takes (300 UTF-8 bytes), as another program may write it.
    const QString longTitle(150, QChar(0x00e9));
    const auto video = dir.write("a.mp4", mp4::pspVideo(mp4::usmt(longTitle.toStdU16String())));
    const auto held = dir.write("held.mp4", mp4::pspVideo(mp4::usmt(u"Old")));
    fill();
    const int row = rowOf(video);
    ASSERT_EQ(list.titleAt(row), longTitle);
    const std::string before = readFileBytes(video);

    // Return on the unchanged text, Escape after typing: neither writes.
    for (const auto& [typed, key] : {std::pair{"", Qt::Key_Return}, std::pair{"never written", Qt::Key_Escape}}) {
        ASSERT_TRUE(startEdit(row));
        EXPECT_EQ(editor()->text().toUtf8().size(), 254); // cut to whole characters
        QTest::keyClicks(editor(), QString::fromLatin1(typed));
        pressInEditor(key);
        EXPECT_EQ(readFileBytes(video), before);
        EXPECT_EQ(list.titleAt(row), longTitle);
        EXPECT_FALSE(list.selectionModel()->isRowSelected(row, {}));
        EXPECT_FALSE(list.currentIndex().isValid());
    }
    EXPECT_TRUE(prompt.texts.isEmpty());

    ASSERT_TRUE(startEdit(row));
    editor()->clear();
    QTest::keyClicks(editor(), QString(300, u'x'));
    EXPECT_EQ(editor()->text().toUtf8().size(), 255);
    editor()->clear();
    typeText(editor(), QString(200, QChar(0x00e9))); // two bytes each
    EXPECT_EQ(editor()->text().size(), 127);
    pressInEditor(Qt::Key_Return);
    EXPECT_EQ(titleOf(video).size(), 254u);

    // A file another program holds: the new title shows while the write waits for
    // it, then the old one comes back with the message and the engine's reason.
    const std::string heldBytes = readFileBytes(held);
    const int other = ::open(held.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    ASSERT_TRUE(startEdit(rowOf(held)));
    QTest::keyClicks(editor(), QStringLiteral("new"));
    pressInEditor(Qt::Key_Return, false);
    EXPECT_TRUE(list.isWritingTitle());
    EXPECT_EQ(list.titleAt(rowOf(held)), QStringLiteral("new"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return !list.isWritingTitle(); }, 5000));
    ::close(other);
    EXPECT_EQ(prompt.texts, QStringList{QStringLiteral("Set file title failed, makesure the file is not read only. \n"
                                                       "Otherwise maybe the file is corrupted.\n\n"
                                                       "The file is in use by another program.")});
    EXPECT_EQ(list.titleAt(rowOf(held)), QStringLiteral("Old"));
    EXPECT_EQ(readFileBytes(held), heldBytes);
}

TEST_F(VideoListTest, ANewFillSupersedesARunningOneAndRowsArriveInBatches)
{
    for (int i = 0; i < 150; ++i)
        addVideo("m4v" + std::to_string(10000 + i) + ".mp4");
    TempDir other;
    other.write("only.mp4", minimalMp4());
    QSignalSpy inserted(list.model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy finished(&list, &CVideoListCtrl::fillFinished);
    fill();
    EXPECT_EQ(list.count(), 150);
    // The first row comes alone, before the rest are read; the others follow in batches.
    ASSERT_GE(inserted.count(), 3);
    EXPECT_EQ(inserted.first().at(1).toInt(), 0);
    EXPECT_EQ(inserted.first().at(2).toInt(), 0);

    // A second fill at once: nothing of the first reaches the list, one end is told.
    finished.clear();
    list.FillList(storage::videoPattern(qpath(dir.path())));
    EXPECT_TRUE(list.isFilling());
    fill(&other);
    QTest::qWait(200);
    EXPECT_EQ(finished.count(), 1);
    ASSERT_EQ(list.count(), 1);
    EXPECT_TRUE(list.ContainsPath(qpath(other.path() / "only.mp4")));

    // Cleared while filling: the running scan's rows are dropped and no end is told.
    finished.clear();
    list.FillList(storage::videoPattern(qpath(dir.path())));
    list.Clear();
    EXPECT_FALSE(list.isFilling());
    QTest::qWait(300);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(finished.count(), 0);

    // A folder that is gone ends the fill empty.
    fill(&other);
    list.FillList(QStringLiteral("/nonexistent-folder-of-reelkeeper/*.mp4"));
    EXPECT_TRUE(finished.wait(5000));
    EXPECT_EQ(list.count(), 0);
    EXPECT_TRUE(prompt.texts.isEmpty());

    // A list destroyed during a fill stops the scan; its batches die with it.
    auto doomed = std::make_unique<CVideoListCtrl>();
    doomed->FillList(storage::videoPattern(qpath(dir.path())));
    doomed.reset();
    QTest::qWait(100);
}

// The window never waits for a slow stick or a long decode: a list goes (or
// fills anew, or clears) at once, and its scan stops at the next video without
// anything of it reaching the list, gone or not.
TEST_P(ScanEndTest, ReturnsAtOnceAndTheScanStopsWithoutReachingTheList)
{
    const auto [phase, end] = GetParam();
    for (const char* name : {"a.mp4", "b.mp4", "c.mp4"}) {
        if (phase == Phase::Rows)
            addVideo(name);
        else
            dir.write(name, minimalMp4()); // no thumbnail: a picture is made from the video
    }
    TempDir empty;
    HeldFileSystem fs(phase);
    QSignalSpy finished(&list, &CVideoListCtrl::fillFinished);
    auto doomed = std::make_unique<CVideoListCtrl>();
    (end == End::Destroyed ? *doomed : list).FillList(storage::videoPattern(qpath(dir.path())));
    ASSERT_TRUE(fs.held.tryAcquire(1, 5000));
    QElapsedTimer timer;
    timer.start();
    if (end == End::Destroyed)
        doomed.reset();
    else if (end == End::Refilled)
        list.FillList(storage::videoPattern(qpath(empty.path())));
    else
        list.Clear();
    EXPECT_LT(timer.elapsed(), 500);
    fs.open.release(3);
    QThreadPool::globalInstance()->waitForDone(); // before the held file system goes
    QTest::qWait(50);
    EXPECT_EQ(fs.held.available(), 0) << "the scan went on to the next video";
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(finished.count(), end == End::Refilled ? 1 : 0);
    EXPECT_TRUE(prompt.texts.isEmpty());
}

std::string scanEndName(const testing::TestParamInfo<ScanEnd>& info)
{
    static const char* const ends[] = {"Destroyed", "Refilled", "Cleared"};
    return ends[int(info.param.end)] + std::string(info.param.phase == Phase::Rows ? "InRows" : "InPictures");
}

INSTANTIATE_TEST_SUITE_P(, ScanEndTest,
                         testing::Values(ScanEnd{Phase::Rows, End::Destroyed}, ScanEnd{Phase::Pictures, End::Destroyed},
                                         ScanEnd{Phase::Rows, End::Refilled}, ScanEnd{Phase::Pictures, End::Cleared}),
                         scanEndName);

TEST_F(VideoListTest, RealPspVideosShowTheirTitlesAndAClickOnTheSelectedTitleEditsItIntoTheFile)
{
    const std::filesystem::path samples = REELKEEPER_TEST_DATA "/mp4";
    for (const auto& [from, to] : {std::pair{"hello.mp4", "M4V00001.MP4"}, std::pair{"non-ascii.mp4", "M4V00002.MP4"},
                                   std::pair{"no-title.mp4", "M4V00003.MP4"}})
        std::filesystem::copy_file(samples / from, dir.path() / to);
    fill();
    ASSERT_EQ(list.count(), 3);
    const auto titleOfRow = [this](const char* name) { return list.titleAt(rowOf(dir.path() / name)); };
    EXPECT_EQ(titleOfRow("M4V00001.MP4"), u"Hello");
    EXPECT_EQ(titleOfRow("M4V00002.MP4"), QString::fromUtf8("Caf\xc3\xa9 \xc3\x84\xc3\x96\xc3\x9c \xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e"));
    EXPECT_EQ(titleOfRow("M4V00003.MP4"), QString());

    // The first click selects, one beside the title doesn't edit, one on the selected title does.
    const int row = rowOf(dir.path() / "M4V00003.MP4");
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, titlePoint(row));
    ASSERT_TRUE(list.selectionModel()->isRowSelected(row, {}));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, rowRect(row).topLeft() + QPoint(10, 10));
    QApplication::processEvents();
    EXPECT_FALSE(editor());
    EXPECT_EQ(list.editColumn(), -1);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, titlePoint(row));
    ASSERT_TRUE(waitForEditor());
    typeText(editor(), QStringLiteral("Holiday \u00e9t\u00e9"));
    pressInEditor(Qt::Key_Return);
    EXPECT_EQ(list.titleAt(row), QStringLiteral("Holiday \u00e9t\u00e9"));
    EXPECT_EQ(titleOf(dir.path() / "M4V00003.MP4"), "Holiday \xc3\xa9t\xc3\xa9");
    EXPECT_FALSE(list.selectionModel()->isRowSelected(row, {}));
    EXPECT_FALSE(list.currentIndex().isValid());
    // An emptied title is written like any other: the video has none afterwards.
    ASSERT_TRUE(startEdit(rowOf(dir.path() / "M4V00001.MP4")));
    editor()->selectAll();
    QTest::keyClick(editor(), Qt::Key_Backspace);
    pressInEditor(Qt::Key_Return);
    EXPECT_TRUE(prompt.texts.isEmpty()) << prompt.texts.join(u'|').toStdString();
    EXPECT_EQ(titleOfRow("M4V00001.MP4"), QString());
    EXPECT_EQ(titleOf(dir.path() / "M4V00001.MP4"), "");

    fill();
    EXPECT_EQ(titleOfRow("M4V00003.MP4"), QStringLiteral("Holiday \u00e9t\u00e9"));
    EXPECT_EQ(titleOfRow("M4V00001.MP4"), QString());
}

// Every sort order, on rows that come in two batches; ties keep the folder's order,
// and a selection follows its row.
TEST(VideoListSort, EachKeyOrdersEveryRowAsItArrives)
{
    using Key = VideoListModel::SortKey;
    struct Row { const char* title; const char* path; qint64 time; qint64 size; };
    const Row rows[] = {{"beta", "/v/c.mp4", 300, 20}, {"Alpha", "/v/a.mp4", 100, 30},
                        {"gamma", "/v/b.mp4", 200, 10}, {"alpha2", "/v/d.mp4", 300, 20}};
    const struct
    {
        Key key;
        QStringList order; // file names, top to bottom
    } cases[] = {
        {Key::Folder, {"c", "a", "b", "d"}}, {Key::Title, {"a", "d", "c", "b"}},
        {Key::Date, {"c", "d", "b", "a"}},   {Key::Size, {"a", "c", "d", "b"}},
        {Key::FileName, {"a", "b", "c", "d"}},
    };
    for (const auto& c : cases) {
        VideoListModel model;
        QItemSelectionModel selection(&model);
        QString picked;
        model.setSortKey(c.key);
        for (int batch = 0; batch < 2; ++batch) {
            std::vector<VideoListModel::NewRow> add;
            for (int i = batch * 2; i < batch * 2 + 2; ++i) {
                auto entry = std::make_unique<VideoEntry>();
                entry->strPath = QString::fromLatin1(rows[i].path);
                entry->nTime = rows[i].time;
                entry->nSize = rows[i].size;
                add.push_back({QString::fromLatin1(rows[i].title), std::move(entry)});
            }
            model.appendRows(std::move(add));
            if (batch == 0) {
                selection.select(model.index(1, 0), QItemSelectionModel::Select);
                picked = model.entryAt(1)->strPath;
            }
        }
        QStringList order;
        for (int row = 0; row < model.rowCount(); ++row)
            order << model.entryAt(row)->strPath.mid(3, 1);
        EXPECT_EQ(order, c.order) << static_cast<int>(c.key);
        ASSERT_EQ(selection.selectedRows().size(), 1);
        EXPECT_EQ(model.entryAt(selection.selectedRows()[0].row())->strPath, picked);
    }
}
