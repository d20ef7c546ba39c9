#include "TempDir.h"

#include "skin/GlobalHelper.h"
#include "skin/UxAppPref.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

class Preferences : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(m_dir.str()));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(m_dir.str()));
    }
    TempDir m_dir;
};

TEST_F(Preferences, ValuesSurviveANewStore)
{
    {
        UxAppPref pref;
        EXPECT_EQ(pref.GetString(QStringLiteral("language")), QString());
        EXPECT_TRUE(pref.PutString(QStringLiteral("language"), QStringLiteral("Chinese(Simplified)")));
        EXPECT_TRUE(pref.PutString(QStringLiteral("LocalPath"), QStringLiteral("/home/ann/Vidéos, new/")));
        EXPECT_TRUE(pref.PutString(QStringLiteral("window_rect"),
                                   GlobalHelper::Rect2S(QRect(-10, 20, 640, 480))));
    }
    UxAppPref again;
    EXPECT_EQ(again.GetString(QStringLiteral("language"), QString(), QString()),
              QStringLiteral("Chinese(Simplified)"));
    EXPECT_EQ(again.GetString(QStringLiteral("LocalPath")), QStringLiteral("/home/ann/Vidéos, new/"));
    EXPECT_EQ(GlobalHelper::S2Rect(again.GetString(QStringLiteral("window_rect"))), QRect(-10, 20, 640, 480));
    EXPECT_EQ(again.GetString(QStringLiteral("last_skin")), QString());

    // Kept where the program's settings live: Marrowgate/Reelkeeper, group Settings.
    const QString file = QString::fromStdString(m_dir.str()) + QStringLiteral("/Marrowgate/Reelkeeper.conf");
    ASSERT_TRUE(QFileInfo(file).isFile());
    QSettings raw(file, QSettings::IniFormat);
    EXPECT_EQ(raw.value(QStringLiteral("Settings/language")).toString(), QStringLiteral("Chinese(Simplified)"));
}

TEST_F(Preferences, AppInfoIsACopy)
{
    UxAppPref pref;
    AppInfo info;
    info.windowTitle = QStringLiteral("Reelkeeper");
    info.vendorHomePage = QStringLiteral("https://example.org/");
    pref.SetAppInfo(info);
    info.windowTitle = QStringLiteral("changed");
    EXPECT_EQ(pref.GetAppInfo().windowTitle, QStringLiteral("Reelkeeper"));
    EXPECT_EQ(pref.GetAppInfo().vendorHomePage, QStringLiteral("https://example.org/"));
}

TEST_F(Preferences, AppDirComesFromTheEnvironmentWithoutTrailingSeparator)
{
    const QByteArray saved = qgetenv("REELKEEPER_APPDIR");
    qputenv("REELKEEPER_APPDIR", QByteArray(m_dir.str().c_str()) + "/");
    UxAppPref pref;
    EXPECT_EQ(pref.GetAppDir(), QDir::cleanPath(QString::fromStdString(m_dir.str())));
    EXPECT_FALSE(pref.GetAppDir().endsWith(u'/'));
    qunsetenv("REELKEEPER_APPDIR");
    EXPECT_FALSE(pref.GetAppDir().isEmpty());
    EXPECT_FALSE(pref.GetAppDir().endsWith(u'/'));
    if (!saved.isEmpty())
        qputenv("REELKEEPER_APPDIR", saved);
}

TEST(GlobalHelper, RectTextRoundTripsExactly)
{
    const QRect rects[] = {QRect(0, 0, 620, 466), QRect(-1920, -5, 1, 1), QRect(100, 200, 0, 0),
                           QRect(2147483000, 7, 600, 3), QRect(-2147483647, 0, 100, 100)};
    for (const QRect& r : rects) {
        const QString text = GlobalHelper::Rect2S(r);
        EXPECT_EQ(GlobalHelper::S2Rect(text), r) << qPrintable(text);
    }
    EXPECT_EQ(GlobalHelper::Rect2S(QRect(10, 20, 620, 466)), QStringLiteral("10 20 630 486"));
}

TEST(GlobalHelper, GarbageGivesANullRect)
{
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
