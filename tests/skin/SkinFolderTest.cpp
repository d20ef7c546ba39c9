// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TempDir.h"

#include "skin/UxAppPref.h"
#include "skin/UxChooseSkinDlg.h"
#include "skin/UxSkinInfo.h"
#include "skin/UxSkinItem.h"
#include "skin/UxSkinMgr.h"

#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include <array>

namespace {

QString qs(const std::filesystem::path& p) { return QDir::cleanPath(QString::fromStdString(p.string())); }

std::array<int, 6> spacing(const UxSkinInfo& info)
{
    SpacingInfo s;
    info.GetSpacingInfo(&s);
    return {s.nTopMargin, s.nBottomMargin, s.nLeftMargin, s.nRightMargin, s.nVertGap, s.nHorzGap};
}

struct RecordingItem : UxSkinItem
{
    int LoadSkin(const QString& path) override { loaded << path; return 1; }
    QStringList loaded;
};

// A skin library (Default with a logo, Blue with a broken background, Bad with
// a garbage description, a folder without one and a stray description) and a
// settings store of its own.
class SkinLibrary : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path("settings"));
        dir.write("Default/skin.ini", "[General]\n");
        QImage logo(4, 3, QImage::Format_RGB32);
        logo.fill(Qt::green);
        ASSERT_TRUE(logo.save(path("Default/logo.bmp")));
        dir.write("Blue/skin.ini", "; comment\n[General]\nChildBgColor=0x00A0B0C0\nButtonTextColor_Up=0xFFFFFFFF\n"
                                   "ButtonTextColor_Down=-1\nMinSize_X=800\nMinSize_Y=abc\nHuge=0x1FFFFFFFF\n"
                                   "Spacing_Top=1\nSpacing_Bottom=2\nSpacing_Left=3\n"
                                   "Spacing_Right=4\nSpacing_VGap=5\nSpacing_HGap=6\n[Logo]\nBgVSplitter=240\n");
        dir.write("Blue/background.bmp", "not a picture");
        static const char garbage[] = "\x00\xff\x01[[[=\n=\n\xfe\xfe\nMinSize_X\n";
        dir.write("Bad/skin.ini", std::string(garbage, sizeof garbage - 1));
        dir.write("NoDescription/readme.txt", "x");
        dir.write("skin.ini", "[General]\n");
        mgr.SetSkinLibPath(path(""));
        mgr.AddItem(&item);
    }
    QString path(const char* name) const { return qs(dir.path() / name); }

    TempDir dir;
    UxSkinMgr mgr;
    RecordingItem item;
};
using SkinInfo = SkinLibrary;
using SkinMgr = SkinLibrary;
using Preferences = SkinLibrary;
using ChooseSkin = SkinLibrary;

TEST_F(SkinInfo, ReadsValuesAndPicturesOrFallsBackToTheDefaults)
{
    const UxSkinInfo blue(path("Blue"));
    const UxSkinInfo missing(path("NoSuchSkin"));
    const UxSkinInfo bad(path("Bad"));
    EXPECT_TRUE(blue.IsValid());
    EXPECT_FALSE(missing.IsValid());
    struct Case { const UxSkinInfo& info; const char* key; const char* section; int def; int want; };
    const Case cases[] = {
        {blue, "ChildBgColor", "", 0, 0x00A0B0C0},
        {blue, "ButtonTextColor_Up", "", 7, -1}, // 32-bit values wrap
        {blue, "ButtonTextColor_Down", "", 7, -1},
        {blue, "MinSize_X", "", 620, 800},
        {blue, "MinSize_Y", "", 466, 466}, // not a number
        {blue, "Huge", "", 9, 9},          // beyond 32 bits
        {blue, "BgVSplitter", "Logo", 100, 240},
        {blue, "BgVSplitter", "", 100, 100}, // other section
        {missing, "MinSize_X", "", 620, 620},
        {bad, "MinSize_X", "", 620, 620},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.info.GetInt(QLatin1String(c.key), c.def, QLatin1String(c.section)), c.want)
            << c.key << " in " << qPrintable(c.info.GetSkinPath());
    }
    EXPECT_EQ(spacing(blue), (std::array<int, 6>{1, 2, 3, 4, 5, 6}));
    const int d = UxSkinInfo::kDefaultSpacing;
    EXPECT_EQ(spacing(missing), (std::array<int, 6>{d, d, d, d, d, d}));

    // Pictures missing from a skin come from the default skin.
    EXPECT_EQ(QDir::cleanPath(blue.GetPicturePath(QStringLiteral("logo.bmp"))), path("Default/logo.bmp"));
    EXPECT_EQ(blue.LoadPicture(QStringLiteral("logo.bmp")).size(), QSize(4, 3));
    // Unreadable in the skin and absent from the default: nothing.
    EXPECT_TRUE(blue.GetPicturePath(QStringLiteral("background.bmp")).isEmpty());
    EXPECT_TRUE(blue.LoadPicture(QStringLiteral("background.bmp")).isNull());
}

TEST_F(SkinMgr, ListsDescribedFoldersAndAppliesASkinToItsItems)
{
    EXPECT_EQ(mgr.GetSkinNames(), QStringLiteral("Bad Blue Default").split(u' '));
    {
        RecordingItem gone; // leaves the manager when destroyed
        mgr.AddItem(&gone);
    }
    RecordingItem other;
    mgr.AddItem(&other);
    mgr.AddItem(&item); // once only
    EXPECT_EQ(mgr.LoadSkin(path("Blue") + u'/'), 1);
    EXPECT_EQ(mgr.GetCurrentSkinPath(), path("Blue"));
    EXPECT_EQ(item.loaded, QStringList{path("Blue")});
    EXPECT_EQ(other.loaded, QStringList{path("Blue")});
    mgr.RemoveItem(&other);
    mgr.LoadSkin(path("Default"));
    EXPECT_EQ(item.loaded.size(), 2);
    EXPECT_EQ(other.loaded.size(), 1);

    // An item belongs to one manager and may outlive it.
    {
        UxSkinMgr second;
        second.AddItem(&item);
        mgr.LoadSkin(QString());
        EXPECT_EQ(item.loaded.size(), 2);
        mgr.AddItem(&item);
        second.AddItem(&item);
    }
    mgr.LoadSkin(QString());
    EXPECT_EQ(item.loaded.size(), 2);
}

TEST_F(SkinMgr, MissingOrBrokenFolderFallsBackToDefault)
{
    for (const QString& asked : {path("Gone"), path("NoDescription"), QString()}) {
        EXPECT_EQ(mgr.LoadSkin(asked), 0) << qPrintable(asked);
        EXPECT_EQ(mgr.GetCurrentSkinPath(), path("Default"));
    }
    EXPECT_EQ(item.loaded, QStringList(3, path("Default")));
    // Without a default the folder is kept: the items take their built-in look.
    QDir(path("Default")).removeRecursively();
    EXPECT_EQ(mgr.LoadSkin(path("Gone")), 0);
    EXPECT_EQ(mgr.GetCurrentSkinPath(), path("Gone"));
    EXPECT_EQ(item.loaded.size(), 4);
}

TEST_F(Preferences, KeepValuesAndTheAppDir)
{
    const QString local = QStringLiteral("/home/ann/Vidéos, new/");
    EXPECT_EQ(UxAppPref().GetString(QStringLiteral("LocalPath")), QString());
    EXPECT_TRUE(UxAppPref().PutString(QStringLiteral("LocalPath"), local));
    EXPECT_EQ(UxAppPref().GetString(QStringLiteral("LocalPath")), local);
    const QSettings raw(path("settings/Marrowgate/Reelkeeper.conf"), QSettings::IniFormat);
    EXPECT_EQ(raw.value(QStringLiteral("Settings/LocalPath")).toString(), local);

    UxAppPref pref;
    const QByteArray saved = qgetenv("REELKEEPER_APPDIR");
    qputenv("REELKEEPER_APPDIR", QFile::encodeName(path("Blue")) + "/");
    EXPECT_EQ(pref.GetAppDir(), path("Blue"));
    qputenv("REELKEEPER_APPDIR", saved); // empty means unset
}

TEST_F(ChooseSkin, ListsTheSkinsWithTheCurrentOneSelectedAndCancelChangesNothing)
{
    UxAppPref pref;
    mgr.LoadSkin(path("Blue"));
    UxChooseSkinDlg chooser(nullptr, &mgr, &pref);
    QStringList listed;
    for (int i = 0; i < chooser.skinList()->count(); ++i)
        listed << chooser.skinList()->item(i)->text();
    EXPECT_EQ(listed, mgr.GetSkinNames());
    EXPECT_EQ(chooser.skinList()->currentRow(), 1);
    EXPECT_TRUE(chooser.isModal());
    chooser.skinList()->setCurrentRow(2);
    chooser.reject();
    EXPECT_EQ(item.loaded, QStringList{path("Blue")});
    EXPECT_EQ(pref.GetString(QStringLiteral("last_skin")), QString());

    UxChooseSkinDlg alone(nullptr, nullptr, nullptr);
    EXPECT_EQ(alone.skinList()->count(), 0);
    alone.accept(); // nothing to load, nothing stored
    EXPECT_TRUE(alone.chosenSkinPath().isEmpty());
}

TEST_F(ChooseSkin, OkEnterOrDoubleClickLoadsTheSkinAtOnceAndStoresIt)
{
    UxAppPref pref;
    for (const int way : {0, 1, 2}) {
        mgr.LoadSkin(path("Default"));
        pref.PutString(QStringLiteral("last_skin"), QString());
        UxChooseSkinDlg chooser(nullptr, &mgr, &pref);
        chooser.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&chooser));
        QListWidget* list = chooser.skinList();
        list->setFocus();
        list->setCurrentRow(1);
        if (way == 0) {
            QTest::mouseClick(chooser.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
        } else if (way == 1) {
            QTest::keyClick(list, Qt::Key_Return);
        } else { // a double click follows a click
            const QPoint at = list->visualItemRect(list->item(1)).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        }
        EXPECT_EQ(chooser.result(), QDialog::Accepted) << way;
        EXPECT_EQ(chooser.chosenSkinPath(), path("Blue"));
        EXPECT_EQ(item.loaded.last(), path("Blue"));
        EXPECT_EQ(UxAppPref().GetString(QStringLiteral("last_skin")), path("Blue"));
    }
}

} // namespace
