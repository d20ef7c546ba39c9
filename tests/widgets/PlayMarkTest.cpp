// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The PSP's verdict in the lists: the mark on the picture, the reasons in the
// tooltip, other video files on the computer list, file names of untitled videos.
#include "Mp4Builder.h"
#include "Pictures.h"
#include "TempDir.h"

#include "storage/Catalogue.h"
#include "widgets/CVideoListCtrl.h"
#include "widgets/VideoListModel.h"
#include "widgets/VideoRowDelegate.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>

#include <cstdlib>

namespace {

QString qpath(const std::filesystem::path& p) { return QString::fromStdString(p.string()); }

class PlayMarkTest : public testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("REELKEEPER_APPDIR", REELKEEPER_APPDIR);
        // One video the PSP plays, titled; one MP4 without a video track, untitled.
        const std::string made = (dir.path() / "plays.mp4").string();
        ASSERT_EQ(std::system(("ffmpeg -hide_banner -loglevel error -y -f lavfi -i testsrc=size=480x272:duration=0.2 -f lavfi "
                               "-i sine=duration=0.2 -pix_fmt yuv420p -c:v libx264 -profile:v main -x264-params b-pyramid=none -c:a aac -ac 2 "
                               "-metadata title=Hello -f psp '" + made + "'").c_str()),
                  0);
        dir.write("nothing.mp4", mp4::ftyp() + mp4::atom("moov", mp4::mvhd()));
        ASSERT_EQ(std::system(("ffmpeg -hide_banner -loglevel error -y -i '" + made + "' -c copy -f matroska '"
                               + (dir.path() / "other.MKV").string() + "'").c_str()),
                  0);
        dir.write("notes.txt", "not listed");
        for (const char* name : {"plays.THM", "nothing.THM", "other.THM"})
            writePicture(dir.path() / name, 160, 120, Qt::blue, "JPEG");
        list.resize(320, 240);
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
        list.InitList();
        QSignalSpy finished(&list, &CVideoListCtrl::fillFinished);
        list.FillList(storage::listedVideoPattern(qpath(dir.path())));
        ASSERT_TRUE(finished.wait(10000));
    }
    void TearDown() override { QThreadPool::globalInstance()->waitForDone(); }
    int rowOf(const char* name) const
    {
        for (int row = 0; row < list.count(); ++row) {
            if (list.entryAt(row)->strPath.endsWith(QLatin1String(name)))
                return row;
        }
        return -1;
    }
    QString tip(int row) const { return list.model()->index(row, 0).data(Qt::ToolTipRole).toString(); }
    // A point inside the mark's triangle, clear of its "!".
    bool marked(int row)
    {
        const QRect mark = VideoRowDelegate::markRect(list.visualRect(list.model()->index(row, 0)));
        const QColor c = list.viewport()->grab().toImage().pixelColor(mark.left() + 3, mark.bottom() - 1);
        return c == VideoRowDelegate::kMarkColor;
    }

    TempDir dir;
    CVideoListCtrl list;
};

} // namespace

TEST_F(PlayMarkTest, MarksWhatThePspWontPlayWithItsReasons)
{
    ASSERT_EQ(list.count(), 3);
    const int plays = rowOf("plays.mp4");
    const int nothing = rowOf("nothing.mp4");
    const int other = rowOf("other.MKV");
    ASSERT_GE(plays, 0);
    ASSERT_GE(nothing, 0);
    ASSERT_GE(other, 0);

    EXPECT_FALSE(marked(plays));
    EXPECT_FALSE(tip(plays).contains(u'\n' + QStringLiteral("plays")));
    EXPECT_EQ(tip(plays).count(u'\n'), 1) << tip(plays).toStdString();

    EXPECT_TRUE(marked(nothing));
    EXPECT_TRUE(tip(nothing).endsWith(u"\nnot a video")) << tip(nothing).toStdString();

    EXPECT_TRUE(marked(other));
    EXPECT_TRUE(tip(other).endsWith(QStringLiteral("\nMatroska container\n") + QLatin1String(VideoListModel::kConverted)))
        << tip(other).toStdString();
    // Only MP4 files hold a title: no editor on the others.
    EXPECT_FALSE(list.model()->flags(list.model()->index(other, 0)) & Qt::ItemIsEditable);
    EXPECT_FALSE(list.model()->setData(list.model()->index(other, 0), QStringLiteral("x"), Qt::EditRole));
    EXPECT_TRUE(list.model()->flags(list.model()->index(plays, 0)) & Qt::ItemIsEditable);
}

TEST_F(PlayMarkTest, UntitledVideoShowsItsFileNameAndEditsFromEmpty)
{
    bool isName = false;
    EXPECT_EQ(list.videoModel()->shownTextAt(rowOf("plays.mp4"), &isName), u"Hello");
    EXPECT_FALSE(isName);
    const int nothing = rowOf("nothing.mp4");
    EXPECT_EQ(list.videoModel()->shownTextAt(nothing, &isName), u"nothing.mp4");
    EXPECT_TRUE(isName);

    list.setFocus();
    list.setCurrentIndex(list.model()->index(nothing, 0));
    QTest::keyClick(&list, Qt::Key_F2);
    QLineEdit* editor = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (editor = list.viewport()->findChild<QLineEdit*>(QStringLiteral("titleEditor"))); }, 2000));
    EXPECT_EQ(editor->text(), u"");
    QTest::keyClick(editor, Qt::Key_Escape);
}
