// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The real main window: its controls, keys, closing, stored rectangle and settings
// that survive a restart.
#include "ShellFixture.h"

#include "shell/CAboutDlg.h"
#include "shell/CMainStatusBar.h"
#include "shell/WindowPlacement.h"
#include "skin/GlobalHelper.h"
#include "skin/UxButton.h"
#include "skin/UxHyperLink.h"
#include "skin/UxStatic.h"
#include "widgets/CDriveComboEx.h"
#include "widgets/CPSPVolCtrl.h"
#include "widgets/CVideoListCtrl.h"
#include "widgets/CPSPPrgCtrl.h"

#include <QAction>
#include <QLineEdit>


namespace {

// Found the way a language file or an accessibility tool finds it: by its id.
template <typename Widget>
Widget* control(const CMainDlg& window, int id)
{
    QWidget* item = window.findChild<QWidget*>(QString::number(id));
    if (!item || item->property("controlId").toInt() != id)
        return nullptr;
    return qobject_cast<Widget*>(item);
}

QString storedSetting(const char* name)
{
    QSettings settings(QStringLiteral("Marrowgate"), QStringLiteral("Reelkeeper"));
    return settings.value(QStringLiteral("Settings/") + QLatin1String(name)).toString();
}

} // namespace

TEST_F(ShellTest, WindowHasEveryControlWithItsIdClassAndText)
{
    auto window = openWindow();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Reelkeeper"));
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    // The icon serves both the title bar and the task bar, at small and large sizes.
    const QImage smallIcon = window->windowIcon().pixmap(16, 16).toImage();
    const QImage largeIcon = window->windowIcon().pixmap(64, 64).toImage();
    ASSERT_EQ(smallIcon.width(), 16);
    ASSERT_EQ(largeIcon.width(), 64);
    EXPECT_GT(qAlpha(largeIcon.pixel(20, 32)), 0);
    EXPECT_EQ(qAlpha(largeIcon.pixel(0, 0)), 0);

    // Buttons and labels by id and text; the rest by id and class.
    const std::pair<int, const char*> texts[] = {{1003, "Move->"}, {1004, "Copy->"},  {1005, "<-Move"},
                                                 {1006, "<-Copy"}, {1007, "Delete"},  {1008, "About"},
                                                 {1009, "&Refresh"}, {1023, "Browse"}, {1029, "Path:"},
                                                 {1030, "PSP:"},   {1031, "Next Num"}};
    for (const auto& [id, text] : texts) {
        const QWidget* item = id < 1029 ? static_cast<QWidget*>(control<UxButton>(*window, id))
                                        : control<UxStatic>(*window, id);
        ASSERT_NE(item, nullptr) << id;
        EXPECT_EQ(item->property("text").toString(), QString::fromUtf8(text)) << id;
    }
    EXPECT_NE(control<CVideoListCtrl>(*window, 1000), nullptr);
    EXPECT_NE(control<CVideoListCtrl>(*window, 1001), nullptr);
    EXPECT_NE(control<QLineEdit>(*window, 1002), nullptr);
    EXPECT_NE(control<CDriveComboEx>(*window, 1021), nullptr);
    EXPECT_NE(control<CMainStatusBar>(*window, 1025), nullptr);
    EXPECT_NE(control<CPSPPrgCtrl>(*window, 1027), nullptr);
    EXPECT_NE(control<CPSPVolCtrl>(*window, 1028), nullptr);
    const UxPictureHyperLink* header = control<UxPictureHyperLink>(*window, 1020);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->GetURL(), pref.GetAppInfo().vendorHomePage);

    // "Next Num" takes digits only.
    QLineEdit* number = control<QLineEdit>(*window, 1012);
    ASSERT_NE(number, nullptr);
    QTest::keyClicks(number, QStringLiteral("12a3"));
    EXPECT_EQ(number->text(), QStringLiteral("123"));
    // No PSP attached (the rest of that start-up: DrivesListsTest).
    EXPECT_EQ(prompt.texts, QStringList{QStringLiteral("You haven't attached your PSP to the Computer!")});
}

TEST_F(ShellTest, FocusOrderFollowsTheTemplate)
{
    auto window = openWindow();
    EXPECT_EQ(window->focusWidget(), window->LocalList());
    const QList<int> expected{1000, 1001, 1003, 1004, 1005, 1006, 1007, 1012, 1021, 1002, 1023, 1008, 1009};
    QList<int> order;
    QWidget* widget = window->LocalList();
    do {
        const int id = widget->property("controlId").toInt();
        if (expected.contains(id) && !order.contains(id))
            order << id;
        widget = widget->nextInFocusChain();
    } while (widget != window->LocalList());
    EXPECT_EQ(order, expected);
}

TEST_F(ShellTest, EnterAndEscapeNeverCloseTheWindow)
{
    auto window = openWindow();
    int transfers = 0;
    for (int id = 1003; id <= 1007; ++id)
        QObject::connect(control<UxButton>(*window, id), &QPushButton::clicked, [&transfers] { ++transfers; });
    window->Button(ControlId::MoveToPsp)->setEnabled(true);
    for (QWidget* target : std::initializer_list<QWidget*>{window->LocalList(), window->PspList(),
                                                          window->Button(ControlId::MoveToPsp), window->FolderEdit(),
                                                          window->NextNumEdit(), window.get()}) {
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Return);
        QTest::keyClick(target, Qt::Key_Enter);
        QTest::keyClick(target, Qt::Key_Escape);
        EXPECT_TRUE(window->isVisible()) << target->objectName().toStdString();
    }
    EXPECT_EQ(transfers, 0);
    EXPECT_EQ(window->result(), 0);
    EXPECT_TRUE(storedSetting("window_rect").isEmpty());
}

TEST_F(ShellTest, ClosingWhileIdleSavesFolderAndNormalRectangle)
{
    auto window = openWindow();
    window->FolderEdit()->setText(QStringLiteral("/some/where"));
    window->setGeometry(40, 30, 700, 500);
    QApplication::processEvents();
    const QRect outer = window->frameGeometry();
    // Maximised, it stores the rectangle it is restored to, not the screen's.
    window->showMaximized();
    QApplication::processEvents();
    ASSERT_NE(window->frameGeometry(), outer);
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(prompt.texts.filter(QStringLiteral("Stop")).isEmpty());
    EXPECT_EQ(storedSetting("LocalPath"), QStringLiteral("/some/where"));
    EXPECT_EQ(GlobalHelper::S2Rect(storedSetting("window_rect")), outer);
}

TEST(WindowPlacementTest, RestoreRules)
{
    const QList<QRect> screen{QRect(0, 0, 1920, 1080)};
    using shell::restoredWindowRect;
    // Negative edges are moved back to 0, size kept.
    EXPECT_EQ(restoredWindowRect(QRect(-50, 20, 700, 500), screen), QRect(0, 20, 700, 500));
    EXPECT_EQ(restoredWindowRect(QRect(30, -40, 700, 500), screen), QRect(30, 0, 700, 500));
    // Too small: enlarged, left and top kept.
    EXPECT_EQ(restoredWindowRect(QRect(10, 10, 300, 200), screen), QRect(10, 10, 510, 400));
    // Partly off the right or bottom edge: left as it is.
    EXPECT_EQ(restoredWindowRect(QRect(1800, 1000, 700, 500), screen), QRect(1800, 1000, 700, 500));
    // On a screen that is gone: onto the nearest screen's area, size kept.
    EXPECT_EQ(restoredWindowRect(QRect(3000, 100, 700, 500), screen), QRect(1220, 100, 700, 500));
    EXPECT_EQ(restoredWindowRect(QRect(100, 5000, 700, 500), screen), QRect(100, 580, 700, 500));
    const QList<QRect> two{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    EXPECT_EQ(restoredWindowRect(QRect(3500, 200, 700, 500), two), QRect(2500, 200, 700, 500));
    // Larger than the area: its top-left corner.
    EXPECT_EQ(restoredWindowRect(QRect(5000, 5000, 2500, 1500), screen), QRect(0, 0, 2500, 1500));
    // No screens known: only the first rules.
    EXPECT_EQ(restoredWindowRect(QRect(3000, -5, 300, 200), {}), QRect(3000, 0, 510, 400));
}

TEST_F(ShellTest, AboutBoxOpensFromTheButtonAndTheMenu)
{
    auto window = openWindow();
    const auto check = [](CAboutDlg& about) {
        EXPECT_EQ(about.windowTitle(), QStringLiteral("About Reelkeeper"));
        EXPECT_EQ(about.HomeLink()->GetURL(), CAboutDlg::homePage());
        EXPECT_EQ(about.HelpLink()->GetURL(), CAboutDlg::cataloguePage());
        EXPECT_EQ(about.HelpLink()->text(), QStringLiteral("Click here for help"));
        QStringList labels;
        for (const QLabel* label : about.findChildren<QLabel*>()) {
            labels << label->text();
            // Every text is seen whole: one line fits its width, a wrapped one its lines.
            if (label->wordWrap())
                EXPECT_LE(label->heightForWidth(label->width()), label->height()) << label->text().toStdString();
            else
                EXPECT_LE(label->sizeHint().width(), label->width()) << label->text().toStdString();
        }
        EXPECT_TRUE(labels.contains(QStringLiteral("Reelkeeper " REELKEEPER_PROJECT_VERSION))) << "the project's version";
        QTest::keyClick(&about, Qt::Key_Escape);
    };
    EXPECT_TRUE(whileModal<CAboutDlg>([&] { QTest::mouseClick(window->Button(ControlId::About), Qt::LeftButton); }, check));
    EXPECT_TRUE(whileModal<CAboutDlg>([&] { window->AboutAction()->trigger(); }, check));
    EXPECT_TRUE(window->isVisible());
    // Not changed for Japanese systems, unlike the record's addresses.
    EXPECT_FALSE(CAboutDlg::homePage().contains(QStringLiteral("/jp")));
}
