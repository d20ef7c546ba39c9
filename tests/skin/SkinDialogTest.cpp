#include "skin/UxLanguage.h"
#include "skin/UxSkinDialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSizeGrip>
#include <QTest>

namespace {

class TestDialog : public UxSkinDialog
{
public:
    TestDialog() : UxSkinDialog(102, nullptr) {}
    QStringList calls;
    int refreshes = 0;
    QSize lastSize;

    bool OnInitDialog() override
    {
        calls << QStringLiteral("OnInitDialog");
        return true;
    }
    void RefreshLanguage() override { ++refreshes; }
    void OnSize(int, int cx, int cy) override { lastSize = QSize(cx, cy); }

protected:
    // Like the main window: Enter and Esc never close it.
    void keyPressEvent(QKeyEvent* e) override
    {
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Escape) {
            e->accept();
            return;
        }
        UxSkinDialog::keyPressEvent(e);
    }
};

const QString kDefaultSkin = QStringLiteral(SHIPPED_SKINS "/Default");
const QString kEmberSkin = QStringLiteral(SHIPPED_SKINS "/Ember");

class SkinDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        d.setWindowTitle(QStringLiteral("Reelkeeper"));
        d.LoadSkin(kDefaultSkin);
        d.resize(700, 500);
        d.move(100, 100);
        d.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
        d.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    }
    void TearDown() override { d.systemMenu()->hide(); }

    QPoint captionPoint() const { return QPoint(d.width() / 2, d.titleBarHeight() / 2); }
    QStringList menuEntries() const
    {
        QStringList names;
        for (QAction* a : d.systemMenu()->actions()) {
            if (!a->isSeparator())
                names << a->objectName();
        }
        return names;
    }

    TestDialog d;
};

TEST_F(SkinDialog, InitialisesOnceBeforeTheFirstShow)
{
    EXPECT_EQ(d.calls, QStringList({QStringLiteral("OnInitDialog")}));
    d.hide();
    d.show();
    EXPECT_EQ(d.calls.size(), 1);
    EXPECT_TRUE(d.windowFlags() & Qt::FramelessWindowHint);
}

TEST_F(SkinDialog, DraggingTheTitleBarMovesTheWindow)
{
    const QPoint before = d.pos();
    const QPoint start = captionPoint();
    QTest::mousePress(&d, Qt::LeftButton, {}, start);
    QTest::mouseMove(&d, start + QPoint(50, 30));
    QTest::mouseRelease(&d, Qt::LeftButton, {}, start + QPoint(50, 30));
    EXPECT_EQ(d.pos(), before + QPoint(50, 30));
    EXPECT_EQ(d.size(), QSize(700, 500));

    // A click without travel moves nothing.
    QTest::mouseClick(&d, Qt::LeftButton, {}, start);
    EXPECT_EQ(d.pos(), before + QPoint(50, 30));
}

TEST_F(SkinDialog, DoubleClickOnTheTitleBarMaximisesAndRestores)
{
    QTest::mouseDClick(&d, Qt::LeftButton, {}, captionPoint());
    EXPECT_TRUE(QTest::qWaitFor([&] { return d.isMaximized(); }));
    QTest::mouseDClick(&d, Qt::LeftButton, {}, captionPoint());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !d.isMaximized(); }));
}

TEST_F(SkinDialog, TitleButtonsMinimiseMaximiseAndClose)
{
    QTest::mouseClick(&d, Qt::LeftButton, {}, d.maximizeButtonRect().center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return d.isMaximized(); }));
    QTest::mouseClick(&d, Qt::LeftButton, {}, d.maximizeButtonRect().center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !d.isMaximized(); }));
    QTest::mouseClick(&d, Qt::LeftButton, {}, d.closeButtonRect().center());
    EXPECT_FALSE(d.isVisible());
}

TEST_F(SkinDialog, PressingAButtonAndLeavingItDoesNothing)
{
    QTest::mousePress(&d, Qt::LeftButton, {}, d.closeButtonRect().center());
    QTest::mouseRelease(&d, Qt::LeftButton, {}, QPoint(d.width() / 2, d.height() / 2));
    EXPECT_TRUE(d.isVisible());
}

TEST_F(SkinDialog, MinimiseButtonMinimises)
{
    QTest::mouseClick(&d, Qt::LeftButton, {}, d.minimizeButtonRect().center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return d.isMinimized(); }));
}

TEST_F(SkinDialog, AltSpaceOpensTheWindowMenuWithTheStandardEntries)
{
    auto* edit = new QLineEdit(&d);
    edit->setGeometry(20, 100, 200, 24);
    edit->show();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Space, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return d.systemMenu()->isVisible(); }));
    EXPECT_EQ(edit->text(), QString());
    EXPECT_EQ(menuEntries(), QStringList({QStringLiteral("sysRestore"), QStringLiteral("sysMove"),
                                          QStringLiteral("sysSize"), QStringLiteral("sysMinimize"),
                                          QStringLiteral("sysMaximize"), QStringLiteral("sysClose")}));
    EXPECT_EQ(d.systemAction(UxSkinDialog::SysCommand::Close)->text(), QStringLiteral("&Close"));
    EXPECT_FALSE(d.systemAction(UxSkinDialog::SysCommand::Restore)->isEnabled());
    EXPECT_TRUE(d.systemAction(UxSkinDialog::SysCommand::Maximize)->isEnabled());
}

TEST_F(SkinDialog, IconAndRightClickOpenTheMenu)
{
    QTest::mouseClick(&d, Qt::LeftButton, {}, d.iconRect().center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return d.systemMenu()->isVisible(); }));
    d.systemMenu()->hide();
    QTest::mouseClick(&d, Qt::RightButton, {}, captionPoint());
    EXPECT_TRUE(QTest::qWaitFor([&] { return d.systemMenu()->isVisible(); }));
    d.systemMenu()->hide();
    // Below the title bar a right click is the children's business.
    QTest::mouseClick(&d, Qt::RightButton, {}, QPoint(d.width() / 2, d.height() / 2));
    EXPECT_FALSE(d.systemMenu()->isVisible());
}

TEST_F(SkinDialog, MenuEntriesFollowTheWindowState)
{
    d.showMaximized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return d.isMaximized(); }));
    d.showSystemMenu();
    EXPECT_TRUE(d.systemAction(UxSkinDialog::SysCommand::Restore)->isEnabled());
    EXPECT_FALSE(d.systemAction(UxSkinDialog::SysCommand::Maximize)->isEnabled());
    EXPECT_FALSE(d.systemAction(UxSkinDialog::SysCommand::Move)->isEnabled());
    EXPECT_FALSE(d.systemAction(UxSkinDialog::SysCommand::Size)->isEnabled());
    d.systemAction(UxSkinDialog::SysCommand::Restore)->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !d.isMaximized(); }));
}

TEST_F(SkinDialog, TheProgramCanAddEntries)
{
    d.systemMenu()->addSeparator();
    QAction* about = d.systemMenu()->addAction(QStringLiteral("&About Reelkeeper..."));
    about->setObjectName(QStringLiteral("about"));
    d.showSystemMenu();
    EXPECT_EQ(menuEntries().last(), QStringLiteral("about"));
    EXPECT_TRUE(d.systemMenu()->isVisible());
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
    d.systemAction(UxSkinDialog::SysCommand::Move)->trigger();
    QTest::keyClick(list, Qt::Key_Right);
    QTest::keyClick(list, Qt::Key_Right);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(d.geometry(), before.translated(16, 8));
    EXPECT_EQ(list->currentRow(), 0);

    d.systemAction(UxSkinDialog::SysCommand::Size)->trigger();
    QTest::keyClick(&d, Qt::Key_Right);
    EXPECT_EQ(d.width(), 708);
    QTest::keyClick(&d, Qt::Key_Escape); // cancels
    EXPECT_EQ(d.geometry(), before.translated(16, 8));
    EXPECT_TRUE(d.isVisible());

    // A click ends it too; later keys are the window's again.
    d.systemAction(UxSkinDialog::SysCommand::Move)->trigger();
    QTest::keyClick(&d, Qt::Key_Left);
    QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::keyClick(&d, Qt::Key_Left);
    EXPECT_EQ(d.geometry(), before.translated(8, 8));
}

TEST_F(SkinDialog, EdgesResizeWithinTheMinimumSize)
{
    const int y = d.height() / 2;
    QTest::mousePress(&d, Qt::LeftButton, {}, QPoint(d.width() - 2, y));
    QTest::mouseMove(&d, QPoint(d.width() + 38, y));
    QTest::mouseRelease(&d, Qt::LeftButton, {}, QPoint(d.width() + 38, y));
    EXPECT_EQ(d.size(), QSize(740, 500));
    EXPECT_EQ(d.lastSize, QSize(740, 500));

    d.SetMinWindowSize(600, 400);
    const QRect before = d.geometry();
    QTest::mousePress(&d, Qt::LeftButton, {}, QPoint(1, y));
    QTest::mouseMove(&d, QPoint(401, y));
    QTest::mouseRelease(&d, Qt::LeftButton, {}, QPoint(401, y));
    EXPECT_EQ(d.width(), 600);
    EXPECT_EQ(d.geometry().right(), before.right());
}

TEST_F(SkinDialog, GripSitsInTheCornerWhileNotMaximised)
{
    auto* grip = d.findChild<QSizeGrip*>();
    ASSERT_NE(grip, nullptr);
    EXPECT_TRUE(grip->isVisible());
    EXPECT_TRUE(QRect(QPoint(0, 0), d.size()).contains(grip->geometry()));
    EXPECT_GE(grip->geometry().left(), d.width() - 20);
    EXPECT_GE(grip->geometry().top(), d.height() - 20);
}

TEST_F(SkinDialog, MinimumSizeGrowsASmallerWindow)
{
    d.resize(500, 300);
    d.SetMinWindowSize(620, 466);
    EXPECT_EQ(d.GetMinWindowSize(), QSize(620, 466));
    EXPECT_EQ(d.size(), QSize(620, 466));
    d.resize(100, 100);
    EXPECT_EQ(d.size(), QSize(620, 466));
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

TEST_F(SkinDialog, LanguageChangeRefreshesTextsAndTheMenu)
{
    UxLanguage language;
    language.Init(QStringLiteral(SKIN_TEST_APPDIR), QStringLiteral("German"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return d.refreshes > 0; }));
    EXPECT_EQ(d.systemAction(UxSkinDialog::SysCommand::Close)->text(), QStringLiteral("&Schließen"));
    language.SetLanguage(QStringLiteral("English"));
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return d.systemAction(UxSkinDialog::SysCommand::Close)->text() == QStringLiteral("&Close");
    }));
}

QRgb pixelAt(QWidget& w, QPoint p) { return w.grab().toImage().pixel(p); }

TEST_F(SkinDialog, PaintsTheSkin)
{
    const QRgb title = pixelAt(d, QPoint(d.width() / 2, 8));
    EXPECT_GT(qBlue(title), qRed(title) + 40); // blue title bar
    const QRgb body = pixelAt(d, QPoint(d.width() / 2, d.height() / 2));
    EXPECT_GT(qGray(body), 200); // light body
    EXPECT_EQ(d.palette().color(QPalette::WindowText), QColor(0x16, 0x2A, 0x40));

    d.LoadSkin(kEmberSkin);
    EXPECT_EQ(d.titleBarHeight(), 32);
    EXPECT_EQ(d.GetTitleBarRect().height(), 32);
    const QRgb dark = pixelAt(d, QPoint(d.width() / 2, d.height() / 2));
    EXPECT_LT(qGray(dark), 80);
    EXPECT_EQ(d.palette().color(QPalette::WindowText), QColor(0xE6, 0xE6, 0xE6));
}

TEST_F(SkinDialog, ChildBackgroundColourIsLaidOverTheBody)
{
    d.SetChildBgColor(0x000000FF, 100);
    EXPECT_EQ(d.GetChildBgColor(), 0x000000FFu);
    EXPECT_EQ(d.GetChildBgCompanion(), 100);
    EXPECT_EQ(pixelAt(d, QPoint(d.width() / 2, d.height() / 2)), qRgb(255, 0, 0));
    d.SetChildBgColor(0x000000FF, 0);
    EXPECT_NE(pixelAt(d, QPoint(d.width() / 2, d.height() / 2)), qRgb(255, 0, 0));
}

TEST_F(SkinDialog, MissingSkinStillGivesAUsableWindow)
{
    EXPECT_EQ(d.LoadSkin(QStringLiteral("/no/such/skin")), 1);
    EXPECT_EQ(d.titleBarHeight(), 30);
    const QImage image = d.grab().toImage();
    EXPECT_EQ(image.size(), d.size());
    const QRgb title = image.pixel(d.width() / 2, 8);
    EXPECT_NE(title, image.pixel(d.width() / 2, d.height() / 2)); // a title bar is drawn
    QTest::mouseClick(&d, Qt::LeftButton, {}, d.closeButtonRect().center());
    EXPECT_FALSE(d.isVisible());
}

} // namespace
