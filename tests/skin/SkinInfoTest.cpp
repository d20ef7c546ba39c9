#include "TempDir.h"

#include "skin/SkinKit.h"
#include "skin/UxSkinInfo.h"
#include "skin/UxSkinItem.h"
#include "skin/UxSkinMgr.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

namespace {

QString qs(const std::filesystem::path& p) { return QString::fromStdString(p.string()); }

TEST(SkinInfo, MissingDescriptionGivesTheDefaults)
{
    TempDir dir;
    const UxSkinInfo info(qs(dir.path() / "NoSuchSkin"));
    EXPECT_FALSE(info.IsValid());
    EXPECT_EQ(info.GetInt(QStringLiteral("ChildBgColor"), 0), 0);
    EXPECT_EQ(info.GetInt(QStringLiteral("ButtonTextColor_Up"), -1), -1);
    EXPECT_EQ(info.GetInt(QStringLiteral("MinSize_X"), 620), 620);
    EXPECT_EQ(info.GetInt(QStringLiteral("BgVSplitter"), 100, QStringLiteral("Logo")), 100);
    SpacingInfo spacing;
    info.GetSpacingInfo(&spacing);
    EXPECT_EQ(spacing.nBottomMargin, UxSkinInfo::kDefaultSpacing);
    EXPECT_EQ(spacing.nHorzGap, UxSkinInfo::kDefaultSpacing);
    EXPECT_TRUE(info.GetPicturePath(QStringLiteral("logo.bmp")).isEmpty());
}

TEST(SkinInfo, ReadsMainAndNamedSections)
{
    TempDir dir;
    dir.write("Blue/skin.ini",
              "; comment\n"
              "[General]\n"
              "ChildBgColor=0x00A0B0C0\n"
              "ButtonTextColor_Up=0xFFFFFFFF\n"
              "ButtonTextColor_Down=-1\n"
              "MinSize_X=800\n"
              "MinSize_Y=abc\n"
              "Huge=0x1FFFFFFFF\n"
              "Spacing_Top=1\nSpacing_Bottom=2\nSpacing_Left=3\nSpacing_Right=4\nSpacing_VGap=5\nSpacing_HGap=6\n"
              "[Logo]\n"
              "BgVSplitter=240\n");
    const UxSkinInfo info(qs(dir.path() / "Blue"));
    EXPECT_TRUE(info.IsValid());
    EXPECT_EQ(info.GetInt(QStringLiteral("ChildBgColor"), 0), 0x00A0B0C0);
    EXPECT_EQ(info.GetInt(QStringLiteral("ButtonTextColor_Up"), 7), -1);
    EXPECT_EQ(info.GetInt(QStringLiteral("ButtonTextColor_Down"), 7), -1);
    EXPECT_EQ(info.GetInt(QStringLiteral("MinSize_X"), 620), 800);
    EXPECT_EQ(info.GetInt(QStringLiteral("MinSize_Y"), 466), 466); // not a number
    EXPECT_EQ(info.GetInt(QStringLiteral("Huge"), 9), 9);            // beyond 32 bits
    EXPECT_EQ(info.GetInt(QStringLiteral("BgVSplitter"), 100, QStringLiteral("Logo")), 240);
    EXPECT_EQ(info.GetInt(QStringLiteral("BgVSplitter"), 100), 100); // other section
    SpacingInfo spacing;
    info.GetSpacingInfo(&spacing);
    EXPECT_EQ(spacing.nTopMargin, 1);
    EXPECT_EQ(spacing.nBottomMargin, 2);
    EXPECT_EQ(spacing.nLeftMargin, 3);
    EXPECT_EQ(spacing.nRightMargin, 4);
    EXPECT_EQ(spacing.nVertGap, 5);
    EXPECT_EQ(spacing.nHorzGap, 6);
}

TEST(SkinInfo, GarbageDescriptionNeverYieldsNonsense)
{
    TempDir dir;
    static const char bytes[] = "\x00\xff\x01[[[=\n=\n\xfe\xfe";
    const std::string garbage(bytes, sizeof bytes - 1);
    dir.write("Bad/skin.ini", garbage + "\nMinSize_X\n");
    const UxSkinInfo info(qs(dir.path() / "Bad"));
    EXPECT_EQ(info.GetInt(QStringLiteral("MinSize_X"), 620), 620);
    EXPECT_EQ(info.GetInt(QStringLiteral("ButtonTextColor_Disabled"), -1), -1);
}

TEST(SkinInfo, MissingPicturesComeFromTheDefaultSkin)
{
    TempDir dir;
    dir.write("Default/skin.ini", "[General]\n");
    QImage logo(4, 3, QImage::Format_RGB32);
    logo.fill(Qt::green);
    ASSERT_TRUE(logo.save(qs(dir.path() / "Default" / "logo.bmp")));
    dir.write("Other/skin.ini", "[General]\n");
    dir.write("Other/background.bmp", "not a picture");

    const UxSkinInfo other(qs(dir.path() / "Other"));
    EXPECT_EQ(QDir::cleanPath(other.GetPicturePath(QStringLiteral("logo.bmp"))),
              QDir::cleanPath(qs(dir.path() / "Default" / "logo.bmp")));
    EXPECT_EQ(other.LoadPicture(QStringLiteral("logo.bmp")).size(), QSize(4, 3));
    // Unreadable in the skin and absent from the default: nothing.
    EXPECT_TRUE(other.GetPicturePath(QStringLiteral("background.bmp")).isEmpty());
    EXPECT_TRUE(other.LoadPicture(QStringLiteral("background.bmp")).isNull());
}

class RecordingItem : public UxSkinItem
{
public:
    int LoadSkin(const QString& path) override
    {
        loaded << path;
        return 1;
    }
    QStringList loaded;
};

TEST(SkinMgr, LoadsAndAppliesToEveryItem)
{
    TempDir dir;
    dir.write("Default/skin.ini", "[General]\n");
    dir.write("Blue/skin.ini", "[General]\n");
    UxSkinMgr mgr;
    mgr.SetSkinLibPath(qs(dir.path()));
    RecordingItem a;
    RecordingItem b;
    mgr.AddItem(&a);
    mgr.AddItem(&b);
    mgr.AddItem(&a); // once only
    EXPECT_EQ(mgr.LoadSkin(qs(dir.path() / "Blue")), 1);
    EXPECT_EQ(mgr.GetCurrentSkinPath(), QDir::cleanPath(qs(dir.path() / "Blue")));
    EXPECT_EQ(a.loaded, QStringList{mgr.GetCurrentSkinPath()});
    EXPECT_EQ(b.loaded, QStringList{mgr.GetCurrentSkinPath()});
    mgr.RemoveItem(&b);
    mgr.LoadSkin(qs(dir.path() / "Default"));
    EXPECT_EQ(a.loaded.size(), 2);
    EXPECT_EQ(b.loaded.size(), 1);
}

TEST(SkinMgr, MissingOrBrokenFolderFallsBackToDefault)
{
    TempDir dir;
    dir.write("Default/skin.ini", "[General]\n");
    dir.write("NoDescription/readme.txt", "x");
    UxSkinMgr mgr;
    mgr.SetSkinLibPath(qs(dir.path()));
    RecordingItem item;
    mgr.AddItem(&item);
    const QString fallback = QDir::cleanPath(qs(dir.path() / "Default"));
    EXPECT_EQ(mgr.LoadSkin(qs(dir.path() / "Gone")), 0);
    EXPECT_EQ(mgr.GetCurrentSkinPath(), fallback);
    EXPECT_EQ(mgr.LoadSkin(qs(dir.path() / "NoDescription")), 0);
    EXPECT_EQ(mgr.GetCurrentSkinPath(), fallback);
    EXPECT_EQ(mgr.LoadSkin(QString()), 0);
    EXPECT_EQ(item.loaded, QStringList({fallback, fallback, fallback}));
}

TEST(SkinMgr, WithoutADefaultTheFolderIsKeptAndReportedAsNotLoaded)
{
    TempDir dir;
    UxSkinMgr mgr;
    mgr.SetSkinLibPath(qs(dir.path()));
    RecordingItem item;
    mgr.AddItem(&item);
    EXPECT_EQ(mgr.LoadSkin(qs(dir.path() / "Gone")), 0);
    EXPECT_EQ(mgr.GetCurrentSkinPath(), QDir::cleanPath(qs(dir.path() / "Gone")));
    EXPECT_EQ(item.loaded.size(), 1); // the window still gets its built-in look
}

TEST(SkinMgr, ListsOnlyFoldersWithADescription)
{
    TempDir dir;
    dir.write("Default/skin.ini", "[General]\n");
    dir.write("Ember/skin.ini", "[General]\n");
    dir.write("Empty/readme.txt", "x");
    dir.write("skin.ini", "[General]\n");
    UxSkinMgr mgr;
    EXPECT_TRUE(mgr.GetSkinNames().isEmpty());
    mgr.SetSkinLibPath(qs(dir.path()));
    EXPECT_EQ(mgr.GetSkinNames(), QStringList({QStringLiteral("Default"), QStringLiteral("Ember")}));
}

TEST(SkinMgr, AnItemLeavesTheManagerWhenDestroyed)
{
    UxSkinMgr mgr;
    RecordingItem survivor;
    mgr.AddItem(&survivor);
    {
        RecordingItem item;
        mgr.AddItem(&item);
    }
    mgr.LoadSkin(QString()); // must not touch the destroyed item
    EXPECT_EQ(survivor.loaded.size(), 1);
}

TEST(SkinMgr, AnItemBelongsToOneManagerAndMayOutliveIt)
{
    RecordingItem item;
    UxSkinMgr second;
    {
        UxSkinMgr first;
        first.AddItem(&item);
        second.AddItem(&item);
        first.LoadSkin(QString());
        EXPECT_TRUE(item.loaded.isEmpty());
        second.AddItem(&item);
        first.AddItem(&item);
    }
    second.LoadSkin(QString());
    EXPECT_TRUE(item.loaded.isEmpty());
}

} // namespace
