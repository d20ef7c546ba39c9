#include "TempDir.h"

#include "skin/UxAppPref.h"
#include "skin/UxChooseSkinDlg.h"
#include "skin/UxSkinDialog.h"
#include "skin/UxSkinMgr.h"

#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTest>

namespace {

const QString kSkins = QStringLiteral(SHIPPED_SKINS);

class ChooseSkin : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(m_dir.str()));
        mgr.SetSkinLibPath(kSkins);
        mgr.AddItem(&window);
        mgr.LoadSkin(kSkins + QStringLiteral("/Default"));
    }
    void TearDown() override { mgr.RemoveItem(&window); }

    TempDir m_dir;
    UxSkinMgr mgr;
    UxAppPref pref;
    UxSkinDialog window;
};

TEST_F(ChooseSkin, ListsTheSkinsWithTheCurrentOneSelected)
{
    UxChooseSkinDlg chooser(nullptr, &mgr, &pref);
    QListWidget* list = chooser.skinList();
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("Default"));
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("Ember"));
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_TRUE(chooser.isModal());
}

TEST_F(ChooseSkin, AcceptingLoadsTheSkinAtOnceAndStoresIt)
{
    UxChooseSkinDlg chooser(nullptr, &mgr, &pref);
    chooser.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chooser));
    chooser.skinList()->setCurrentRow(1);
    QPushButton* ok = chooser.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    QTest::mouseClick(ok, Qt::LeftButton);
    const QString ember = QDir::cleanPath(kSkins + QStringLiteral("/Ember"));
    EXPECT_EQ(chooser.result(), QDialog::Accepted);
    EXPECT_EQ(mgr.GetCurrentSkinPath(), ember);
    EXPECT_EQ(window.titleBarHeight(), 32); // the window took the skin
    EXPECT_EQ(pref.GetString(QStringLiteral("last_skin")), ember);
    EXPECT_EQ(UxAppPref().GetString(QStringLiteral("last_skin")), ember);
}

TEST_F(ChooseSkin, EnterOnAnEntryChoosesIt)
{
    UxChooseSkinDlg chooser(nullptr, &mgr, &pref);
    chooser.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chooser));
    chooser.skinList()->setFocus();
    chooser.skinList()->setCurrentRow(1);
    QTest::keyClick(chooser.skinList(), Qt::Key_Return);
    EXPECT_EQ(chooser.chosenSkinPath(), QDir::cleanPath(kSkins + QStringLiteral("/Ember")));
}

TEST_F(ChooseSkin, CancelChangesNothing)
{
    UxChooseSkinDlg chooser(nullptr, &mgr, &pref);
    chooser.skinList()->setCurrentRow(1);
    chooser.reject();
    EXPECT_EQ(mgr.GetCurrentSkinPath(), QDir::cleanPath(kSkins + QStringLiteral("/Default")));
    EXPECT_EQ(pref.GetString(QStringLiteral("last_skin")), QString());
    EXPECT_EQ(window.titleBarHeight(), 30);
}

TEST_F(ChooseSkin, WithoutManagersItListsNothing)
{
    UxChooseSkinDlg chooser(nullptr, nullptr, nullptr);
    EXPECT_EQ(chooser.skinList()->count(), 0);
    chooser.accept(); // nothing to load, nothing stored
    EXPECT_TRUE(chooser.chosenSkinPath().isEmpty());
}

} // namespace
