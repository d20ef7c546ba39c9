// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

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
    const QColor face = bar.palette().color(QPalette::Active, QPalette::Button);
    const QColor used(61, 149, 255), selected(255, 128, 64), red(255, 0, 0);
    struct Case
    {
        int usedPos, selPos;
        bool overflow;
        int x; // client x, widget x + 1 (the border)
        QColor colour;
    };
    const Case cases[] = {{50, 75, false, 0, used}, {50, 75, false, 49, used}, {50, 75, false, 50, selected},
                          {50, 75, false, 74, selected}, {50, 75, false, 75, face},
                          {30, 100, false, 40, face}, // a projected edge at the end draws no selected segment
                          {30, 100, true, 0, red}, {30, 100, true, 99, red}, {0, 0, false, 4, face}};
    for (const Case& c : cases) {
        bar.m_nUsedPos = c.usedPos;
        bar.m_nSelPos = c.selPos;
        bar.m_bOverflow = c.overflow;
        EXPECT_EQ(bar.grab().toImage().pixelColor(1 + c.x, 7), c.colour) << c.usedPos << " " << c.selPos << " " << c.x;
    }
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
    EXPECT_FALSE(combo.itemIcon(0).isNull() || combo.itemIcon(1).isNull());
    EXPECT_EQ(combo.FindRoot("/b/"), 1);
    EXPECT_EQ(combo.FindRoot("/B/"), -1);
    EXPECT_EQ(combo.currentIndex(), -1) << "a rebuild selects nothing";

    QSignalSpy chosen(&combo, &QComboBox::activated);
    volumes.add("/c/", true);
    combo.FillDriveList();
    EXPECT_EQ(chosen.count(), 0) << "a rebuild is not a user's choice";
    EXPECT_EQ(combo.count(), 3);
}
