// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The layout's exact rectangles, the dialog-unit conversion, and the layout as the
// real window runs it on every size change.
#include "ShellFixture.h"

#include "shell/CMainStatusBar.h"
#include "shell/MainLayout.h"
#include "widgets/CPSPVolCtrl.h"
#include "widgets/CPSPPrgCtrl.h"

namespace {

std::map<int, QRect> sampleItems(int buttonWidth)
{
    std::map<int, QRect> items;
    items[1020] = QRect(0, 0, 500, 60);
    items[1029] = QRect(0, 0, 32, 13);
    items[1002] = QRect(0, 0, 100, 20);
    items[1023] = QRect(0, 0, 63, 23);
    items[1030] = QRect(0, 0, 26, 15);
    items[1021] = QRect(0, 0, 200, 22);
    items[1000] = QRect(0, 0, 10, 10);
    items[1001] = QRect(0, 0, 10, 10);
    for (int id = 1003; id <= 1009; ++id)
        items[id] = QRect(0, 0, buttonWidth, 23);
    items[1031] = QRect(0, 0, 113, 13);
    items[1012] = QRect(0, 0, 75, 23);
    items[shell::kStatusBarId] = QRect(0, 0, 300, 25);
    return items;
}

} // namespace

TEST(LayoutTest, PlacesEveryControlToThePixel)
{
    const shell::LayoutSpacing spacing{4, 6, 8, 5, 3}; // bottom, left, right, vertical, horizontal
    const auto r = shell::computeLayout(QSize(700, 500), QRect(0, 0, 700, 30), sampleItems(96), spacing);
    EXPECT_EQ(r.at(1020), QRect(0, 30, 700, 60));
    EXPECT_EQ(r.at(1029), QRect(6, 95, 32, 23));
    EXPECT_EQ(r.at(1002), QRect(41, 95, 192, 23));
    EXPECT_EQ(r.at(1023), QRect(236, 95, 63, 23));
    EXPECT_EQ(r.at(1030), QRect(401, 95, 26, 23));
    EXPECT_EQ(r.at(1021), QRect(430, 95, 262, 23));
    EXPECT_EQ(r.at(1000), QRect(6, 123, 293, 315));
    EXPECT_EQ(r.at(1001), QRect(401, 123, 291, 315));
    EXPECT_EQ(r.at(1003), QRect(302, 146, 96, 23));
    EXPECT_EQ(r.at(1004), QRect(302, 174, 96, 23));
    EXPECT_EQ(r.at(1005), QRect(302, 225, 96, 23));
    EXPECT_EQ(r.at(1006), QRect(302, 253, 96, 23));
    EXPECT_EQ(r.at(1007), QRect(302, 281, 96, 23));
    EXPECT_EQ(r.at(1008), QRect(302, 415, 96, 23));
    EXPECT_EQ(r.at(1009), QRect(6, 443, 96, 23));
    EXPECT_EQ(r.at(1031), QRect(401, 443, 113, 23));
    EXPECT_EQ(r.at(1012), QRect(517, 443, 75, 23));
    EXPECT_EQ(r.at(shell::kStatusBarId), QRect(6, 471, 686, 25));
}

TEST(LayoutTest, DialogUnitsRoundEachEdge)
{
    EXPECT_EQ(shell::dialogUnitsToPixels(QRect(8, 56, 21, 8)), QRect(12, 91, 32, 13));
    EXPECT_EQ(shell::dialogUnitsToPixels(QRect(0, 0, 448, 332)), QRect(0, 0, 672, 540));
    EXPECT_EQ(shell::dialogUnitsToPixels(QRect(191, 124, 64, 14)), QRect(287, 202, 96, 22));
}

// The exact rectangles are computeLayout's (above); here the window feeds it its sizes.
TEST_F(ShellTest, WindowRunsTheLayoutOnEverySizeChange)
{
    auto window = openWindow();
    const SpacingInfo& s = window->GetSpacingInfo();
    for (const QSize size : {QSize(700, 520), QSize(1001, 777)}) {
        window->resize(size);
        QApplication::processEvents();
        ASSERT_EQ(window->size(), size);
        const QRect status = window->StatusBar()->geometry();
        EXPECT_EQ(status.y() + status.height(), size.height() - s.nBottomMargin);
        EXPECT_EQ(status.width(), size.width() - s.nLeftMargin - s.nRightMargin);
        const int C = window->Control(ControlId::MoveToPsp)->geometry().width();
        const QRect psp = window->Control(ControlId::PspList)->geometry();
        EXPECT_EQ(psp.x(), size.width() / 2 + C / 2 + s.nHorzGap);
        // An odd client width leaves its last pixel right of the PSP list.
        EXPECT_EQ(psp.x() + psp.width(), 2 * (size.width() / 2) - s.nRightMargin);
    }
}

TEST_F(ShellTest, StatusBarPartsStayFixedWhileTheBarStretches)
{
    auto window = openWindow();
    CMainStatusBar* bar = window->StatusBar();
    const auto parts = bar->GetParts();
    const int W = shell::dialogUnitsToPixels(QRect(QPoint(0, 0), CMainDlg::kTemplateSize)).width(); // at creation
    ASSERT_EQ(W, 672);
    EXPECT_EQ(parts[2], -1);
    EXPECT_EQ(parts[0], W / 4);
    EXPECT_EQ(parts[1], W - W / 2);
    EXPECT_EQ(bar->height(), CMainStatusBar::kMinHeight);
    EXPECT_EQ(window->VolumeBar()->parentWidget(), bar);
    EXPECT_EQ(window->VolumeBar()->geometry(), QRect(parts[0] + 2, 6, parts[1] - 2 - parts[0] - 2, 25 - 4 - 6));
    EXPECT_TRUE(window->VolumeBar()->isVisible());
    EXPECT_EQ(window->ProgressBar()->parentWidget(), bar);
    EXPECT_EQ(window->ProgressBar()->geometry(), QRect(2, 2, parts[0] - 2 - 2, 25 - 2));
    EXPECT_TRUE(window->ProgressBar()->isHidden());

    window->resize(window->width() + 200, window->height() + 50);
    QApplication::processEvents();
    EXPECT_EQ(bar->GetParts(), parts);
}
