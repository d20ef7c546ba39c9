// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Start-up rules: language detection and web addresses with the names Windows gives,
// the default local folder from the converter's setting, the command line.
#include "ShellFixture.h"

#include "platform/ForeignSettings.h"
#include "platform/Locale.h"
#include "shell/CommandLine.h"
#include "shell/StartupRules.h"

#include <QCommandLineParser>
#include <QDir>
#include <QLineEdit>

#include <set>

namespace {

platform::LocaleNames names(const char* language, const char* country)
{
    platform::LocaleNames result;
    if (language)
        result.language = QString::fromUtf8(language);
    if (country)
        result.country = QString::fromUtf8(country);
    return result;
}

} // namespace

TEST(LanguageDetectionTest, FromTheLocaleWithTheNamesWindowsGives)
{
    EXPECT_EQ(platform::localeNames(QLocale(QLocale::Chinese, QLocale::China)).country,
              QStringLiteral("People's Republic of China"));
    EXPECT_EQ(platform::localeNames(QLocale(QLocale::Chinese, QLocale::Singapore)).country, QStringLiteral("Singapore"));
    EXPECT_EQ(platform::localeNames(QLocale::c()).language, QStringLiteral("English"));
    EXPECT_FALSE(platform::localeNames(QLocale::c()).country.has_value());

    // Chinese depends on the country (in any case); other languages keep their English name,
    // also without a language file of that name.
    const struct
    {
        platform::LocaleNames locale;
        const char* language;
    } cases[] = {
        {platform::localeNames(QLocale(QLocale::Chinese, QLocale::China)), "Chinese(Simplified)"},
        {names("Chinese", "SINGAPORE"), "Chinese(Simplified)"},
        {names("chinese", "Singapore"), "Chinese(Simplified)"},
        {platform::localeNames(QLocale(QLocale::Chinese, QLocale::Taiwan)), "Chinese(Traditional)"},
        {names("Chinese", "Hong Kong"), "Chinese(Traditional)"},
        {names("Chinese", nullptr), "Chinese(Traditional)"},
        {platform::localeNames(QLocale(QLocale::German, QLocale::Austria)), "German"},
        {platform::localeNames(QLocale(QLocale::Japanese, QLocale::Japan)), "Japanese"},
        {names("Swahili", "Kenya"), "Swahili"},
        {names(nullptr, nullptr), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shell::detectLanguage(c.locale), QString::fromUtf8(c.language)) << c.language;
}

TEST_F(ShellTest, StoredLanguageWinsOverTheLocale)
{
    pref.PutString(QStringLiteral("language"), QStringLiteral("Klingon"));
    EXPECT_EQ(CMainApp::StartupLanguage(pref, names("Chinese", "Singapore")), QStringLiteral("Klingon"));
    pref.PutString(QStringLiteral("language"), QString());
    EXPECT_EQ(CMainApp::StartupLanguage(pref, names("Chinese", "Singapore")), QStringLiteral("Chinese(Simplified)"));
}

TEST(WebAddressTest, JapanGetsTheJpVariantsInAnyCase)
{
    const AppInfo plain = CMainApp::MakeAppInfo(names("English", "United States"));
    for (const char* japan : {"Japan", "JAPAN", "japan"}) {
        const AppInfo info = CMainApp::MakeAppInfo(names("Japanese", japan));
        EXPECT_EQ(info.vendorHomePage, plain.vendorHomePage + QStringLiteral("/jp"));
        EXPECT_EQ(info.productPage, QStringLiteral("https://www.marrowgate.example/products/jp/reelkeeper.html"));
        EXPECT_EQ(info.productPage2, info.productPage);
    }
    EXPECT_EQ(plain.productPage, QStringLiteral("https://www.marrowgate.example/products/reelkeeper.html"));
    EXPECT_EQ(plain.productPage2, plain.productPage);
    const AppInfo unknown = CMainApp::MakeAppInfo(names(nullptr, nullptr));
    EXPECT_EQ(unknown.vendorHomePage, plain.vendorHomePage);
    EXPECT_EQ(unknown.productPage, plain.productPage);
    EXPECT_EQ(plain.windowTitle, QStringLiteral("Reelkeeper"));
    EXPECT_EQ(plain.settingsRegKey, QStringLiteral("Software\\Marrowgate\\Reelkeeper\\Settings"));
}

TEST(DefaultLocalFolderTest, FollowsTheConverterSetting)
{
    std::set<QString> existing{QStringLiteral("/videos"), QStringLiteral("/tmpdir")};
    const auto exists = [&existing](const QString& path) { return existing.count(path) > 0; };
    const QString root = QStringLiteral("/home/user/");
    using shell::defaultLocalFolder;
    platform::ConverterOutputDir converter;
    // Key absent: the root, whatever exists elsewhere.
    EXPECT_EQ(defaultLocalFolder(converter, QStringLiteral("/tmpdir"), root, exists), root);
    converter.keyPresent = true;
    converter.value = QStringLiteral("/videos");
    EXPECT_EQ(defaultLocalFolder(converter, QStringLiteral("/tmpdir"), root, exists), QStringLiteral("/videos/"));
    converter.value = QStringLiteral("/gone");
    EXPECT_EQ(defaultLocalFolder(converter, QStringLiteral("/tmpdir"), root, exists), root);
    // Value missing: the fallback folder when it exists, else the root.
    converter.value.reset();
    EXPECT_EQ(defaultLocalFolder(converter, QStringLiteral("/tmpdir"), root, exists), QStringLiteral("/tmpdir/"));
    existing.clear();
    EXPECT_EQ(defaultLocalFolder(converter, QStringLiteral("/tmpdir"), root, exists), root);
}

TEST_F(ShellTest, DefaultLocalFolderComesFromTheForeignSetting)
{
    const TempDir output;
    const QString folder = QString::fromStdString(output.str());
    EXPECT_EQ(shell::defaultLocalFolder(), platform::homeFolderWithSeparator());
    {
        QSettings converter(QStringLiteral("Quillbrook"), QStringLiteral("Clipforge"));
        converter.setValue(QStringLiteral("Settings/OuputDir"), folder);
    }
    EXPECT_EQ(shell::defaultLocalFolder(), folder + QLatin1Char('/'));
    // The window shows it when no "LocalPath" is stored.
    auto window = openWindow();
    EXPECT_EQ(window->FolderEdit()->text(), folder + QLatin1Char('/'));
    // The program never writes the converter's settings.
    QSettings converter(QStringLiteral("Quillbrook"), QStringLiteral("Clipforge"));
    EXPECT_EQ(converter.allKeys(), QStringList{QStringLiteral("Settings/OuputDir")});
}

TEST(CommandLineTest, ParsesScreenshotVolumesAndDemo)
{
    QCommandLineParser parser;
    shell::addCommandLineOptions(parser);
    QString error;
    const auto options = shell::parseCommandLine(
        parser,
        {QStringLiteral("reelkeeper"), QStringLiteral("--screenshot"), QStringLiteral("a.png"),
         QStringLiteral("--volume"), QStringLiteral("/v1"), QStringLiteral("--volume"), QStringLiteral("/v2"),
         QStringLiteral("--demo")},
        &error);
    ASSERT_TRUE(options.has_value());
    EXPECT_EQ(options->screenshotFile, QStringLiteral("a.png"));
    EXPECT_EQ(options->volumes, (QStringList{QStringLiteral("/v1"), QStringLiteral("/v2")}));
    EXPECT_TRUE(options->demo);

    QCommandLineParser other;
    shell::addCommandLineOptions(other);
    EXPECT_FALSE(shell::parseCommandLine(other, {QStringLiteral("reelkeeper"), QStringLiteral("--bogus")}, &error));
    EXPECT_FALSE(error.isEmpty());
}
