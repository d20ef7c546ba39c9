#include "FakeVolumes.h"

#include "widgets/CDriveComboEx.h"
#include "widgets/CPSPVolCtrl.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

TEST(UsageBar, PaintsUsedSelectedAndOverflowSegments)
{
    CPSPVolCtrl bar;
    bar.setFixedSize(102, 14);
    bar.m_nWidth = 100;
    bar.m_nUsedPos = 50;
    bar.m_nSelPos = 75;
    const QColor face = bar.palette().color(QPalette::Active, QPalette::Button);
    // Client x maps to widget x + 1 (the border).
    const auto colourAt = [&bar](int x) { return bar.grab().toImage().pixelColor(1 + x, 7); };
    EXPECT_EQ(colourAt(0), QColor(61, 149, 255));
    EXPECT_EQ(colourAt(49), QColor(61, 149, 255));
    EXPECT_EQ(colourAt(50), QColor(255, 128, 64));
    EXPECT_EQ(colourAt(74), QColor(255, 128, 64));
    EXPECT_EQ(colourAt(75), face);
    // A projected edge that reaches the end draws no selected segment.
    bar.m_nUsedPos = 30;
    bar.m_nSelPos = 100;
    EXPECT_EQ(colourAt(40), face);
    // Overflow: the whole bar is red.
    bar.m_bOverflow = true;
    EXPECT_EQ(colourAt(0), QColor(255, 0, 0));
    EXPECT_EQ(colourAt(99), QColor(255, 0, 0));
    // Cleared: empty.
    bar.m_nUsedPos = bar.m_nSelPos = 0;
    bar.m_bOverflow = false;
    EXPECT_EQ(colourAt(4), face);
}

TEST(DriveSelector, ShowsEveryVolumeWithNameAndIconAndRebuildsWithoutAChoice)
{
    FakeVolumes volumes;
    volumes.add("/b/", false);
    volumes.add("/a/", true);
    CDriveComboEx combo;
    combo.FillDriveList();
    ASSERT_EQ(combo.count(), 2);
    EXPECT_EQ(combo.itemText(0), "Drive /a/");
    EXPECT_EQ(combo.RootAt(0), "/a/");
    EXPECT_EQ(combo.RootAt(1), "/b/");
    EXPECT_EQ(combo.RootAt(2), "");
    EXPECT_FALSE(combo.itemIcon(0).isNull());
    EXPECT_FALSE(combo.itemIcon(1).isNull());
    EXPECT_EQ(combo.FindRoot("/b/"), 1);
    EXPECT_EQ(combo.FindRoot("/B/"), -1);
    EXPECT_EQ(combo.currentIndex(), -1) << "a rebuild selects nothing";

    QSignalSpy chosen(&combo, &QComboBox::activated);
    volumes.add("/c/", true);
    combo.FillDriveList();
    EXPECT_EQ(chosen.count(), 0) << "a rebuild is not a user's choice";
    EXPECT_EQ(combo.count(), 3);
}
