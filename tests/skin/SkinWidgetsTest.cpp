// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TempDir.h"

#include "skin/UxButton.h"
#include "skin/UxHyperLink.h"
#include "skin/UxLanguage.h"
#include "skin/UxSkinDialog.h"
#include "skin/UxStatic.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>
#include <QSizeGrip>
#include <QTest>
#include <QUrl>

namespace {

using Sys = UxSkinDialog::SysCommand;
const QString kAppDir = QStringLiteral(SKIN_TEST_APPDIR);
const QString kDefaultSkin = QStringLiteral(SHIPPED_SKINS "/Default");

QString probeText() { return QCoreApplication::translate("LanguageProbe", "Path:"); }

struct TestDialog : UxSkinDialog
{
    bool OnInitDialog() override { ++inits; return true; }
    void OnSize(int, int cx, int cy) override { lastSize = QSize(cx, cy); }
    int inits = 0;
    QSize lastSize;
};

class SkinDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        d.LoadSkin(kDefaultSkin);
        d.resize(700, 500);
        d.move(100, 100);
        d.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
        d.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    }

    QPoint caption() const { return QPoint(d.width() / 2, d.titleBarHeight() / 2); }
    QPoint middle() const { return QPoint(d.width() / 2, d.height() / 2); }
    void drag(QPoint from, QPoint to)
    {
        QTest::mousePress(&d, Qt::LeftButton, {}, from);
        QTest::mouseMove(&d, to);
        QTest::mouseRelease(&d, Qt::LeftButton, {}, to);
    }
    bool maximised(bool on) { return QTest::qWaitFor([&] { return d.isMaximized() == on; }); }
    bool menuOpened()
    {
        const bool shown = QTest::qWaitFor([&] { return d.systemMenu()->isVisible(); });
        d.systemMenu()->hide();
        return shown;
    }

    TestDialog d;
};

TEST_F(SkinDialog, InitialisesOnceAndMovesByTheTitleBar)
{
    EXPECT_TRUE(d.windowFlags() & Qt::FramelessWindowHint);
    d.hide();
    d.show();
    EXPECT_EQ(d.inits, 1); // before the first show only
    const QPoint before = d.pos();
    drag(caption(), caption() + QPoint(50, 30));
    EXPECT_EQ(d.pos(), before + QPoint(50, 30));
    EXPECT_EQ(d.size(), QSize(700, 500));
    QTest::mouseClick(&d, Qt::LeftButton, {}, caption()); // no travel, no move
    EXPECT_EQ(d.pos(), before + QPoint(50, 30));
}

TEST_F(SkinDialog, TitleBarAndWindowMenuChangeTheWindowState)
{
    auto* grip = d.findChild<QSizeGrip*>();
    ASSERT_NE(grip, nullptr);
    QTest::mouseDClick(&d, Qt::LeftButton, {}, caption());
    EXPECT_TRUE(maximised(true));
    EXPECT_FALSE(grip->isVisible());
    QTest::mouseDClick(&d, Qt::LeftButton, {}, caption());
    EXPECT_TRUE(maximised(false));
    EXPECT_TRUE(grip->isVisible());

    QTest::mouseClick(&d, Qt::LeftButton, {}, d.maximizeButtonRect().center());
    EXPECT_TRUE(maximised(true));
    d.showSystemMenu();
    EXPECT_TRUE(d.systemAction(Sys::Restore)->isEnabled());
    for (Sys disabled : {Sys::Maximize, Sys::Move, Sys::Size})
        EXPECT_FALSE(d.systemAction(disabled)->isEnabled());
    d.systemAction(Sys::Restore)->trigger();
    EXPECT_TRUE(maximised(false));
    d.systemMenu()->hide();
    QTest::mouseClick(&d, Qt::LeftButton, {}, d.maximizeButtonRect().center());
    EXPECT_TRUE(maximised(true));
    QTest::mouseClick(&d, Qt::LeftButton, {}, d.maximizeButtonRect().center());
    EXPECT_TRUE(maximised(false));

    QTest::mousePress(&d, Qt::LeftButton, {}, d.closeButtonRect().center()); // and leave it: nothing
    QTest::mouseRelease(&d, Qt::LeftButton, {}, middle());
    EXPECT_TRUE(d.isVisible());
    QTest::mouseClick(&d, Qt::LeftButton, {}, d.minimizeButtonRect().center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return d.isMinimized(); }));
}

TEST_F(SkinDialog, AltSpaceTheIconAndARightClickOnTheTitleBarOpenTheWindowMenu)
{
    auto* edit = new QLineEdit(&d);
    edit->setGeometry(20, 100, 200, 24);
    edit->show();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Space, Qt::AltModifier);
    EXPECT_TRUE(menuOpened());
    QTest::mouseClick(&d, Qt::LeftButton, {}, d.iconRect().center());
    EXPECT_TRUE(menuOpened());
    QTest::mouseClick(&d, Qt::RightButton, {}, caption());
    EXPECT_TRUE(menuOpened());
    EXPECT_EQ(edit->text(), QString());
    QTest::mouseClick(&d, Qt::RightButton, {}, middle()); // the children's business
    EXPECT_FALSE(d.systemMenu()->isVisible());

    // The program's own entries follow the standard ones.
    d.systemMenu()->addAction(QStringLiteral("&About Reelkeeper..."))->setObjectName(QStringLiteral("about"));
    d.showSystemMenu();
    QStringList names;
    for (QAction* a : d.systemMenu()->actions()) {
        if (!a->isSeparator())
            names << a->objectName();
    }
    EXPECT_EQ(names, QStringLiteral("sysRestore sysMove sysSize sysMinimize sysMaximize sysClose about").split(u' '));
    EXPECT_FALSE(d.systemAction(Sys::Restore)->isEnabled());
    EXPECT_TRUE(d.systemAction(Sys::Maximize)->isEnabled());
}

TEST_F(SkinDialog, MoveAndSizeFromTheMenuUseTheKeyboard)
{
    // The keys reach a focused child first; the operation must still get them.
    auto* list = new QListWidget(&d);
    list->addItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    list->setGeometry(20, 100, 200, 200);
    list->show();
    list->setFocus();
    list->setCurrentRow(0);
    const QRect before = d.geometry();
    d.systemAction(Sys::Move)->trigger();
    for (Qt::Key key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Down, Qt::Key_Return})
        QTest::keyClick(list, key);
    EXPECT_EQ(d.geometry(), before.translated(16, 8));
    EXPECT_EQ(list->currentRow(), 0);

    d.systemAction(Sys::Size)->trigger();
    QTest::keyClick(&d, Qt::Key_Right);
    EXPECT_EQ(d.width(), 708);
    QTest::keyClick(&d, Qt::Key_Escape); // cancels
    EXPECT_EQ(d.geometry(), before.translated(16, 8));
    EXPECT_TRUE(d.isVisible());

    // A click ends it too; later keys are the window's again.
    d.systemAction(Sys::Move)->trigger();
    QTest::keyClick(&d, Qt::Key_Left);
    QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::keyClick(&d, Qt::Key_Left);
    EXPECT_EQ(d.geometry(), before.translated(8, 8));
}

TEST_F(SkinDialog, EdgesResizeWithinTheMinimumSizeAndTheGripFollows)
{
    const int y = d.height() / 2;
    drag(QPoint(d.width() - 2, y), QPoint(d.width() + 38, y));
    EXPECT_EQ(d.size(), QSize(740, 500));
    EXPECT_EQ(d.lastSize, QSize(740, 500));

    d.SetMinWindowSize(600, 400);
    const QRect before = d.geometry();
    drag(QPoint(1, y), QPoint(401, y));
    EXPECT_EQ(d.width(), 600);
    EXPECT_EQ(d.geometry().right(), before.right());
    const QSizeGrip* grip = d.findChild<QSizeGrip*>();
    EXPECT_TRUE(grip && QRect(d.width() - 20, d.height() - 20, 20, 20).contains(grip->geometry()));
}

TEST_F(SkinDialog, ChildRectanglesAreInClientCoordinates)
{
    auto* box = new QWidget(&d);
    box->setGeometry(10, 40, 300, 200);
    auto* a = new QWidget(box);
    UxSkinDialog::SetControlId(a, 1003);
    a->setGeometry(5, 6, 30, 20);
    auto* b = new QWidget(&d);
    b->setObjectName(QStringLiteral("1004"));
    b->setGeometry(100, 300, 50, 10);
    EXPECT_EQ(a->property("controlId").toInt(), 1003);
    EXPECT_EQ(d.GetDlgItem(1003), a);
    EXPECT_EQ(d.GetDlgItemRect(1003), QRect(15, 46, 30, 20));
    EXPECT_EQ(d.GetDlgItemRect(1004), QRect(100, 300, 50, 10));
    EXPECT_TRUE(d.GetDlgItemRect(1999).isNull());
    const int ids[] = {1003, 1004, 1999, -1, 77};
    EXPECT_EQ(d.GetDlgItemMaxSize(ids), QSize(50, 20));
    EXPECT_EQ(d.GetDlgItemMaxSize({1004, -1, 1003}), QSize(50, 10));
    EXPECT_EQ(d.GetTitleBarRect(), QRect(0, 0, 700, 30));
}

QRgb pixelAt(QWidget& w, QPoint p) { return w.grab().toImage().pixel(p); }

TEST_F(SkinDialog, PaintsTheSkinOrABuiltInLook)
{
    const QRgb title = pixelAt(d, QPoint(d.width() / 2, 8));
    EXPECT_GT(qBlue(title), qRed(title) + 40); // blue title bar
    EXPECT_GT(qGray(pixelAt(d, middle())), 200); // light body
    EXPECT_EQ(d.palette().color(QPalette::WindowText), QColor(0x16, 0x2A, 0x40));
    d.SetChildBgColor(0x000000FF, 100);
    EXPECT_EQ(pixelAt(d, middle()), qRgb(255, 0, 0));
    d.SetChildBgColor(0x000000FF, 0);
    EXPECT_GT(qGray(pixelAt(d, middle())), 200);
    d.LoadSkin(QStringLiteral(SHIPPED_SKINS "/Ember"));
    EXPECT_EQ(d.titleBarHeight(), 32);
    EXPECT_LT(qGray(pixelAt(d, middle())), 80);
    EXPECT_EQ(d.palette().color(QPalette::WindowText), QColor(0xE6, 0xE6, 0xE6));
    EXPECT_EQ(d.LoadSkin(QStringLiteral("/no/such/skin")), 1);
    EXPECT_EQ(d.titleBarHeight(), 30);
    EXPECT_NE(pixelAt(d, QPoint(d.width() / 2, 8)), pixelAt(d, middle())); // a title bar is drawn
    QTest::mouseClick(&d, Qt::LeftButton, {}, d.closeButtonRect().center());
    EXPECT_FALSE(d.isVisible());
}

TEST(Language, ListsTheTranslationsAndRefusesUnknownOrBrokenOnes)
{
    TempDir dir;
    dir.write("Language/French.qm", "this is no translation file");
    dir.write("Language/notes.txt", "x");
    const QString appDir = QString::fromStdString(dir.str());
    const QString german = QStringLiteral("/Language/German.qm");
    ASSERT_TRUE(QFile::copy(kAppDir + german, appDir + german));
    {
        UxLanguage language;
        EXPECT_FALSE(language.Init(appDir, QStringLiteral("Klingon")));
        EXPECT_EQ(language.GetLanguage(), QStringLiteral("English"));
        EXPECT_TRUE(language.Init(appDir, QStringLiteral("German")));
        QStringList listed;
        for (int i = -1; i <= language.GetNumLanguageStrings(); ++i)
            listed << language.GetLanguageString(i);
        EXPECT_EQ(listed, QStringLiteral(",English,French,German,").split(u','));
        for (const char* name : {"german", "Klingon", "French", "", "notes"}) {
            EXPECT_FALSE(language.SetLanguage(QLatin1String(name))) << name;
            EXPECT_EQ(language.GetLanguage(), QStringLiteral("German"));
            EXPECT_EQ(probeText(), QStringLiteral("Pfad:"));
        }
    }
    EXPECT_EQ(probeText(), QStringLiteral("Path:")); // the translator leaves with its manager

    UxLanguage none;
    EXPECT_FALSE(none.Init(appDir + QStringLiteral("/missing"), QStringLiteral("German")));
    EXPECT_EQ(none.GetNumLanguageStrings(), 1);
}

class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void handle(const QUrl& url) { urls << url; }
};

TEST(Button, TakesSizeAndFramesFromItsStripOrKeepsADrawnLook)
{
    const QString wide = kDefaultSkin + QStringLiteral("/WideBtn.bmp");
    const QImage strip(wide);
    UxButton button(QStringLiteral("MM"));
    EXPECT_FALSE(button.autoDefault());
    ASSERT_TRUE(button.SetBitmapFile(wide));
    button.Resize(button.GetWindowSize());
    EXPECT_EQ(button.minimumSize(), QSize(100, 24));
    EXPECT_EQ(button.maximumSize(), QSize(100, 24));
    button.setFont(QFont(button.font().family(), 15, QFont::Bold));
    button.SetTextColor(0x000000FF, 0x0000FF00, 0x00FF0000, 0x00FF00FF);
    struct Case { bool down; bool enabled; int frame; QRgb text; };
    for (const Case c : {Case{false, true, 0, qRgb(255, 0, 0)}, Case{true, true, 1, qRgb(0, 255, 0)},
                         Case{false, false, 3, qRgb(255, 0, 255)}}) {
        button.setDown(c.down);
        button.setEnabled(c.enabled);
        const QImage shown = button.grab().toImage();
        for (const QPoint probe : {QPoint(2, 12), QPoint(15, 20), QPoint(97, 12)})
            EXPECT_EQ(shown.pixel(probe), strip.pixel(probe + QPoint(100 * c.frame, 0))) << c.frame;
        bool hasText = false;
        for (int i = 0; i < shown.width() * shown.height(); ++i)
            hasText = hasText || shown.pixel(i % shown.width(), i / shown.width()) == c.text;
        EXPECT_TRUE(hasText) << c.frame;
    }

    button.Resize(QSize(80, 22));
    const QString odd = kDefaultSkin + QStringLiteral("/regionLT.bmp"); // 9 wide: not four frames
    for (const QString& bad : {odd, odd + u'x', QString()}) {
        EXPECT_FALSE(button.SetBitmapFile(bad)) << qPrintable(bad);
        EXPECT_FALSE(button.HasBitmap());
        EXPECT_EQ(button.GetWindowSize(), QSize(80, 22));
    }
    EXPECT_FALSE(button.grab().isNull()); // the drawn look
    ASSERT_TRUE(button.SetBitmapFile(kDefaultSkin + QStringLiteral("/Btn.bmp")));
    EXPECT_EQ(button.GetWindowSize(), QSize(72, 24));
}

TEST(HyperLink, ClickOpensTheAddress)
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "handle");
    UxHyperLink link(QStringLiteral("Click here for help"));
    link.SetURL(QStringLiteral("https://example.org/help"));
    link.resize(200, 20);
    QSignalSpy clicked(&link, &UxHyperLink::clicked);
    QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(catcher.urls, QList<QUrl>{QUrl(QStringLiteral("https://example.org/help"))});
    QTest::mouseClick(&link, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(catcher.urls.size(), 1);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

TEST(PictureHyperLink, TakesThePictureSizeAndStretchesAtTheSplit)
{
    const QString path = kDefaultSkin + QStringLiteral("/logo.bmp");
    const QImage logo(path);
    UxPictureHyperLink link;
    ASSERT_TRUE(link.SetPictureFile(path));
    link.SetSize();
    EXPECT_EQ(link.size(), logo.size());
    link.SetSplitPos(0, 300);
    link.resize(logo.width() + 200, logo.height());
    const QImage shown = link.grab().toImage();
    const int y = logo.height() / 2;
    EXPECT_EQ(shown.pixel(10, y), logo.pixel(10, y));                              // left part in place
    EXPECT_EQ(shown.pixel(shown.width() - 5, y), logo.pixel(logo.width() - 5, y)); // right part at the edge
    EXPECT_EQ(shown.pixel(400, y), logo.pixel(300, y));                            // split column stretched
    EXPECT_FALSE(link.SetPictureFile(QStringLiteral("/no/such/logo.bmp")));
    EXPECT_FALSE(link.grab().isNull());
}

TEST(Static, TextColour)
{
    UxStatic label(QStringLiteral("Path:"));
    label.SetTextColor(0x00332211);
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0x11, 0x22, 0x33));
    label.SetTextColor(0xFFFFFFFF);
    EXPECT_NE(label.palette().color(QPalette::WindowText), QColor(0x11, 0x22, 0x33));
}

} // namespace

#include "SkinWidgetsTest.moc"
