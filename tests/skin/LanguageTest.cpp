#include "TempDir.h"

#include "skin/UxLanguage.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace {

class LanguageProbe : public QWidget
{
public:
    int changes = 0;

protected:
    void changeEvent(QEvent* e) override
    {
        if (e->type() == QEvent::LanguageChange)
            ++changes;
        QWidget::changeEvent(e);
    }
};

QString probeText() { return QCoreApplication::translate("LanguageProbe", "Path:"); }

TEST(Language, ListsEnglishAndTheTranslationFiles)
{
    UxLanguage language;
    EXPECT_TRUE(language.Init(QStringLiteral(SKIN_TEST_APPDIR), QStringLiteral("German")));
    ASSERT_EQ(language.GetNumLanguageStrings(), 2);
    EXPECT_EQ(language.GetLanguageString(0), QStringLiteral("English"));
    EXPECT_EQ(language.GetLanguageString(1), QStringLiteral("German"));
    EXPECT_EQ(language.GetLanguageString(2), QString());
    EXPECT_EQ(language.GetLanguageString(-1), QString());
    EXPECT_EQ(language.GetLanguage(), QStringLiteral("German"));
    EXPECT_EQ(probeText(), QStringLiteral("Pfad:"));
}

TEST(Language, SwitchingTranslatesAndNotifiesWidgets)
{
    UxLanguage language;
    language.Init(QStringLiteral(SKIN_TEST_APPDIR), QStringLiteral("English"));
    EXPECT_EQ(probeText(), QStringLiteral("Path:"));
    LanguageProbe probe;
    probe.show();
    EXPECT_TRUE(language.SetLanguage(QStringLiteral("German")));
    EXPECT_EQ(probeText(), QStringLiteral("Pfad:"));
    QCoreApplication::processEvents();
    EXPECT_GE(probe.changes, 1);

    const int before = probe.changes;
    EXPECT_TRUE(language.SetLanguage(QStringLiteral("English")));
    EXPECT_EQ(language.GetLanguage(), QStringLiteral("English"));
    EXPECT_EQ(probeText(), QStringLiteral("Path:"));
    QCoreApplication::processEvents();
    EXPECT_GT(probe.changes, before);
}

TEST(Language, UnknownNamesChangeNothing)
{
    UxLanguage language;
    // An unknown or empty name at start gives the built-in language.
    EXPECT_FALSE(language.Init(QStringLiteral(SKIN_TEST_APPDIR), QStringLiteral("Klingon")));
    EXPECT_EQ(language.GetLanguage(), QStringLiteral("English"));
    EXPECT_FALSE(language.Init(QStringLiteral(SKIN_TEST_APPDIR), QString()));
    EXPECT_EQ(language.GetLanguage(), QStringLiteral("English"));

    ASSERT_TRUE(language.SetLanguage(QStringLiteral("German")));
    EXPECT_FALSE(language.SetLanguage(QStringLiteral("german"))); // names match exactly
    EXPECT_FALSE(language.SetLanguage(QStringLiteral("Klingon")));
    EXPECT_EQ(language.GetLanguage(), QStringLiteral("German"));
    EXPECT_EQ(probeText(), QStringLiteral("Pfad:"));
    language.SetLanguage(QStringLiteral("English"));
}

TEST(Language, BrokenOrMissingFilesKeepTheCurrentLanguage)
{
    TempDir dir;
    dir.write("Language/French.qm", "this is no translation file");
    dir.write("Language/notes.txt", "x");
    UxLanguage language;
    language.Init(QString::fromStdString(dir.str()), QStringLiteral("English"));
    EXPECT_EQ(language.GetNumLanguageStrings(), 2);
    EXPECT_FALSE(language.SetLanguage(QStringLiteral("French")));
    EXPECT_EQ(language.GetLanguage(), QStringLiteral("English"));

    UxLanguage none;
    none.Init(QString::fromStdString((dir.path() / "missing").string()), QStringLiteral("German"));
    EXPECT_EQ(none.GetNumLanguageStrings(), 1);
    EXPECT_EQ(none.GetLanguage(), QStringLiteral("English"));
}

TEST(Language, DestroyingTheManagerRemovesItsTranslator)
{
    {
        UxLanguage language;
        language.Init(QStringLiteral(SKIN_TEST_APPDIR), QStringLiteral("German"));
        EXPECT_EQ(probeText(), QStringLiteral("Pfad:"));
    }
    EXPECT_EQ(probeText(), QStringLiteral("Path:"));
}

} // namespace
