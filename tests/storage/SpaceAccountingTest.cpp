#include "RecordingPrompt.h"
#include "StorageTestSupport.h"
#include "TempDir.h"
#include "TestWindow.h"

#include "storage/Catalogue.h"
#include "storage/VideoListModel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

using namespace storage;

namespace {

constexpr std::uint64_t MiB = 1 << 20;

class SpaceTest : public testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("REELKEEPER_APPDIR", REELKEEPER_APPDIR);
        w.pspPath = qpath(pspDir.path()) + u'/';
        fs.volume = platform::VolumeSpace{1000 * MiB, 2000 * MiB, 1000 * MiB};
        // Real small files stand for videos of any length.
        fs.sizes = [this](const QString& path) -> std::optional<std::uint64_t> {
            const auto it = lengths.find(path);
            if (it == lengths.end())
                return std::nullopt;
            return it->second;
        };
    }

    void addVideo(CVideoListCtrl* list, const TempDir& dir, const std::string& name, std::uint64_t length)
    {
        const auto path = dir.write(name, minimalMp4());
        lengths[qpath(path)] = length;
        auto entry = std::make_unique<VideoEntry>();
        entry->strPath = qpath(path);
        list->videoModel()->append(QString(), std::move(entry));
    }
    void select(CVideoListCtrl* list, int row)
    {
        list->selectionModel()->select(list->model()->index(row, 0), QItemSelectionModel::Select);
    }

    RecordingPrompt prompt;
    FakeFileSystem fs;
    std::map<QString, std::uint64_t> lengths;
    TempDir localDir;
    TempDir pspDir;
    TestWindow w;
};

} // namespace

TEST(SpaceText, FormatIsExact)
{
    EXPECT_EQ(FormatSpaceText(0, 0, 0, 0), u"Used/Total(Selected):  0(0)/0(0) MB ");
    EXPECT_EQ(FormatSpaceText(100 * MiB, 250 * MiB, 1000000000ULL, MiB * 19 / 10),
        u"Used/Total(Selected):  100(250)/953(1) MB ");
    EXPECT_EQ(FormatSpaceText(0, 0, 1ULL << 45, 0), u"Used/Total(Selected):  0(0)/33554432(0) MB ");
}

TEST_F(SpaceTest, OversizedLocalSelectionTurnsTheBarRedAndBlocksSending)
{
    fs.volume = platform::VolumeSpace{100 * MiB, 1000 * MiB, 100 * MiB};
    addVideo(w.localList, localDir, "a.mp4", 100 * MiB);
    addVideo(w.localList, localDir, "b.mp4", 50 * MiB);
    select(w.localList, 0);
    select(w.localList, 1);
    ASSERT_TRUE(UpdateSpace(w.parts, w.pspPath));
    EXPECT_EQ(w.status->text(), u"Used/Total(Selected):  900(1050)/1000(0) MB ");
    EXPECT_TRUE(w.bar->m_bOverflow);
    EXPECT_EQ(w.bar->m_nUsedPos, 90);
    EXPECT_EQ(w.bar->m_nSelPos, 105);
    EXPECT_FALSE(w.moveTo->isEnabled());
    EXPECT_FALSE(w.copyTo->isEnabled());

    // The whole bar is red.
    const QImage image = w.bar->grab().toImage();
    EXPECT_EQ(image.pixelColor(1, 7), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(100, 7), QColor(255, 0, 0));

    // A selection that fits clears the mark and lets sending again.
    w.localList->selectionModel()->clearSelection();
    select(w.localList, 1);
    ASSERT_TRUE(UpdateSpace(w.parts, w.pspPath));
    EXPECT_FALSE(w.bar->m_bOverflow);
    EXPECT_TRUE(w.moveTo->isEnabled());
    EXPECT_TRUE(w.copyTo->isEnabled());
}

TEST_F(SpaceTest, EmptySelectionClearsTheOverflowMark)
{
    fs.volume = platform::VolumeSpace{100 * MiB, 1000 * MiB, 100 * MiB};
    addVideo(w.localList, localDir, "a.mp4", 150 * MiB);
    select(w.localList, 0);
    ASSERT_TRUE(UpdateSpace(w.parts, w.pspPath));
    ASSERT_TRUE(w.bar->m_bOverflow);
    w.localList->selectionModel()->clearSelection();
    ASSERT_TRUE(UpdateSpace(w.parts, w.pspPath));
    EXPECT_FALSE(w.bar->m_bOverflow);
    EXPECT_FALSE(w.moveTo->isEnabled()); // the selection rule: nothing selected
    EXPECT_FALSE(w.copyTo->isEnabled());
}

TEST_F(SpaceTest, BarSegmentsFollowUsedAndProjectedSpace)
{
    addVideo(w.localList, localDir, "a.mp4", 500 * MiB);
    select(w.localList, 0);
    ASSERT_TRUE(UpdateSpace(w.parts, w.pspPath));
    EXPECT_EQ(w.status->text(), u"Used/Total(Selected):  1000(1500)/2000(0) MB ");
    EXPECT_EQ(w.bar->m_nUsedPos, 50);
    EXPECT_EQ(w.bar->m_nSelPos, 75);
    EXPECT_FALSE(w.bar->m_bOverflow);

    const QImage image = w.bar->grab().toImage();
    const QColor face = w.bar->palette().color(QPalette::Active, QPalette::Button);
    // Client x maps to widget x + 1 (the border).
    EXPECT_EQ(image.pixelColor(1 + 0, 7), QColor(61, 149, 255));
    EXPECT_EQ(image.pixelColor(1 + 49, 7), QColor(61, 149, 255));
    EXPECT_EQ(image.pixelColor(1 + 50, 7), QColor(255, 128, 64));
    EXPECT_EQ(image.pixelColor(1 + 74, 7), QColor(255, 128, 64));
    EXPECT_EQ(image.pixelColor(1 + 75, 7), face);
}

TEST_F(SpaceTest, ProjectedSegmentIsEmptyWhenItReachesTheEnd)
{
    w.bar->m_nUsedPos = 30;
    w.bar->m_nSelPos = 100; // not < m_nWidth
    w.bar->update();
    const QImage image = w.bar->grab().toImage();
    EXPECT_EQ(image.pixelColor(1 + 40, 7), w.bar->palette().color(QPalette::Active, QPalette::Button));
}

TEST_F(SpaceTest, TotalIsShownInWholeMebibytesAndPspSelectionTruncated)
{
    fs.volume = platform::VolumeSpace{500000000, 1000000000, 500000000};
    addVideo(w.pspList, pspDir, "M4V00001.MP4", MiB * 19 / 10);
    select(w.pspList, 0);
    ASSERT_TRUE(UpdateSpace(w.parts, w.pspPath));
    EXPECT_EQ(w.status->text(), u"Used/Total(Selected):  476(476)/953(1) MB ");
}

TEST_F(SpaceTest, SumsAreSixtyFourBitAndSkipUnreadableFiles)
{
    addVideo(w.localList, localDir, "big.mp4", 5ULL << 30);
    addVideo(w.localList, localDir, "gone.mp4", 7 * MiB);
    addVideo(w.localList, localDir, "other.mp4", MiB);
    lengths.erase(qpath(localDir.path() / "gone.mp4"));
    fs.unreadable = [](const QString& path) { return path.endsWith(u"gone.mp4"); };
    for (int row = 0; row < 3; ++row)
        select(w.localList, row);
    EXPECT_EQ(SumSelectedBytes(*w.localList, w.pspPath), (5ULL << 30) + MiB);
    EXPECT_EQ(SumSelectedBytes(*w.localList, QString()), 0u); // no PSP in use
}

TEST_F(SpaceTest, FailedQueryChangesNothing)
{
    w.status->setText(QStringLiteral("before"));
    w.moveTo->setEnabled(true);
    w.bar->m_nUsedPos = 7;
    EXPECT_FALSE(UpdateSpace(w.parts, QString()));
    fs.volume.reset();
    EXPECT_FALSE(UpdateSpace(w.parts, QStringLiteral("/nonexistent-volume-of-reelkeeper")));
    EXPECT_EQ(w.status->text(), u"before");
    EXPECT_TRUE(w.moveTo->isEnabled());
    EXPECT_EQ(w.bar->m_nUsedPos, 7);
}

TEST_F(SpaceTest, ClearSpaceEmptiesTheBarAndTheText)
{
    fs.volume = platform::VolumeSpace{100 * MiB, 1000 * MiB, 100 * MiB};
    addVideo(w.localList, localDir, "a.mp4", 150 * MiB);
    select(w.localList, 0);
    ASSERT_TRUE(UpdateSpace(w.parts, w.pspPath));
    ClearSpace(w.parts);
    EXPECT_EQ(w.status->text(), QString());
    EXPECT_EQ(w.bar->m_nUsedPos, 0);
    EXPECT_EQ(w.bar->m_nSelPos, 0);
    EXPECT_FALSE(w.bar->m_bOverflow);
    EXPECT_EQ(w.bar->grab().toImage().pixelColor(5, 7), w.bar->palette().color(QPalette::Active, QPalette::Button));
}

TEST_F(SpaceTest, ZeroSizedDriveDoesNotDivideByZero)
{
    fs.volume = platform::VolumeSpace{0, 0, 0};
    ASSERT_TRUE(UpdateSpace(w.parts, w.pspPath));
    EXPECT_EQ(w.bar->m_nUsedPos, 0);
    EXPECT_EQ(w.bar->m_nSelPos, 0);
}

TEST_F(SpaceTest, TransferButtonsFollowTheSelections)
{
    addVideo(w.localList, localDir, "a.mp4", MiB);
    addVideo(w.pspList, pspDir, "M4V00001.MP4", MiB);
    EnableTransferButtons(w.parts, true);
    for (auto* button : w.transferButtons())
        EXPECT_FALSE(button->isEnabled()) << button->text().toStdString();

    select(w.pspList, 0);
    EnableTransferButtons(w.parts, true);
    EXPECT_TRUE(w.moveFrom->isEnabled());
    EXPECT_TRUE(w.copyFrom->isEnabled());
    EXPECT_TRUE(w.deleteOnPsp->isEnabled());
    EXPECT_FALSE(w.moveTo->isEnabled());

    select(w.localList, 0);
    EnableTransferButtons(w.parts, true);
    EXPECT_TRUE(w.moveTo->isEnabled());
    EXPECT_TRUE(w.copyTo->isEnabled());

    w.refresh->setEnabled(true);
    EnableTransferButtons(w.parts, false);
    for (auto* button : w.transferButtons())
        EXPECT_FALSE(button->isEnabled());
    EXPECT_TRUE(w.refresh->isEnabled()); // not one of the five
}

TEST_F(SpaceTest, ChangesBeforeTheEventLoopTurnsAreOneUpdate)
{
    for (int i = 0; i < 5; ++i)
        addVideo(w.localList, localDir, "v" + std::to_string(i) + ".mp4", MiB);
    addVideo(w.pspList, pspDir, "M4V00001.MP4", MiB);
    SpaceUpdater updater(w.parts);
    select(w.localList, 3);
    select(w.localList, 4);
    select(w.pspList, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.textUpdates > 0; }, 2000));
    QApplication::processEvents();
    EXPECT_EQ(updater.updateCount(), 1);
    EXPECT_EQ(w.textUpdates, 1);
    EXPECT_EQ(w.status->text(), u"Used/Total(Selected):  1000(1002)/2000(1) MB ");
    EXPECT_TRUE(w.copyTo->isEnabled());
    EXPECT_TRUE(w.deleteOnPsp->isEnabled());
}

TEST_F(SpaceTest, SelectingAllOfFiveThousandVideosIsOneUpdate)
{
    for (int i = 0; i < 5000; ++i) {
        auto entry = std::make_unique<VideoEntry>();
        entry->strPath = qpath(localDir.path()) + QStringLiteral("/m4v%1.mp4").arg(i, 5, 10, QLatin1Char('0'));
        lengths[entry->strPath] = MiB;
        w.localList->videoModel()->append(QString(), std::move(entry));
    }
    SpaceUpdater updater(w.parts);
    w.localList->selectAll();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.textUpdates > 0; }, 5000));
    EXPECT_EQ(updater.updateCount(), 1);
    EXPECT_EQ(w.status->text(), u"Used/Total(Selected):  1000(6000)/2000(0) MB ");
    EXPECT_TRUE(w.bar->m_bOverflow);
}
