#include "TempDir.h"

#include "skin/GlobalHelper.h"
#include "skin/UxAppPref.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSettings>

namespace {

class Preferences : public ::testing::Test
{
protected:
    void SetUp() override { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir); }

    TempDir m_dir;
    const QString dir = QString::fromStdString(m_dir.str());
};

TEST_F(Preferences, ValuesSurviveANewStoreInTheProgramsSettings)
{
    const QString path = QStringLiteral("/home/ann/Vidéos, new/");
    {
        UxAppPref pref;
        EXPECT_EQ(pref.GetString(QStringLiteral("language")), QString());
        EXPECT_TRUE(pref.PutString(QStringLiteral("language"), QStringLiteral("Chinese(Simplified)")));
        EXPECT_TRUE(pref.PutString(QStringLiteral("LocalPath"), path));
    }
    UxAppPref again;
    EXPECT_EQ(again.GetString(QStringLiteral("language")), QStringLiteral("Chinese(Simplified)"));
    EXPECT_EQ(again.GetString(QStringLiteral("LocalPath")), path);
    EXPECT_EQ(again.GetString(QStringLiteral("last_skin")), QString());
    const QSettings raw(dir + QStringLiteral("/Marrowgate/Reelkeeper.conf"), QSettings::IniFormat);
    EXPECT_EQ(raw.value(QStringLiteral("Settings/language")).toString(), QStringLiteral("Chinese(Simplified)"));
}

TEST_F(Preferences, KeepsACopyOfTheAppInfoAndTheAppDirWithoutTrailingSeparator)
{
    UxAppPref pref;
    AppInfo info;
    info.windowTitle = QStringLiteral("Reelkeeper");
    pref.SetAppInfo(info);
    info.windowTitle = QStringLiteral("changed");
    EXPECT_EQ(pref.GetAppInfo().windowTitle, QStringLiteral("Reelkeeper"));

    const QByteArray saved = qgetenv("REELKEEPER_APPDIR");
    qputenv("REELKEEPER_APPDIR", QFile::encodeName(dir) + "/");
    EXPECT_EQ(pref.GetAppDir(), QDir::cleanPath(dir));
    qunsetenv("REELKEEPER_APPDIR");
    EXPECT_FALSE(pref.GetAppDir().isEmpty());
    EXPECT_FALSE(pref.GetAppDir().endsWith(u'/'));
    if (!saved.isEmpty())
        qputenv("REELKEEPER_APPDIR", saved);
}

TEST(GlobalHelper, RectTextRoundTripsAndRefusesGarbage)
{
    for (const QRect& r : {QRect(0, 0, 620, 466), QRect(-1920, -5, 1, 1), QRect(100, 200, 0, 0),
                           QRect(2147483000, 7, 600, 3), QRect(-2147483647, 0, 100, 100)}) {
        EXPECT_EQ(GlobalHelper::S2Rect(GlobalHelper::Rect2S(r)), r) << qPrintable(GlobalHelper::Rect2S(r));
    }
    EXPECT_EQ(GlobalHelper::Rect2S(QRect(10, 20, 620, 466)), QStringLiteral("10 20 630 486"));
    for (const char* text : {"", "   ", "1 2 3", "1 2 3 4 5", "a b c d", "1,2,3,4", "10 10 5 50", "0 0 1 x",
                             "99999999999 0 1 1", "-2147483648 0 2147483647 1"}) {
        EXPECT_TRUE(GlobalHelper::S2Rect(QString::fromLatin1(text)).isNull()) << text;
    }
}

TEST(GlobalHelper, ColourReferencesHoldRedInTheLowestByte)
{
    EXPECT_EQ(GlobalHelper::ColorFromRef(0x00332211), QColor(0x11, 0x22, 0x33));
    EXPECT_EQ(GlobalHelper::RefFromColor(QColor(0x11, 0x22, 0x33)), 0x00332211u);
    EXPECT_NE(GlobalHelper::GetSysColor(GlobalHelper::kColorBtnText),
              GlobalHelper::GetSysColor(GlobalHelper::kColorGrayText));
}

} // namespace
