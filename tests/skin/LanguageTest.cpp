#include "TempDir.h"

#include "skin/UxLanguage.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QWidget>

namespace {

const QString kAppDir = QStringLiteral(SKIN_TEST_APPDIR);

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

TEST(Language, ListsTheTranslationsAndStartsInTheChosenOne)
{
    {
        UxLanguage language;
        EXPECT_TRUE(language.Init(kAppDir, QStringLiteral("German")));
        QStringList listed;
        for (int i = -1; i <= language.GetNumLanguageStrings(); ++i)
            listed << language.GetLanguageString(i);
        EXPECT_EQ(listed, QStringList({QString(), QStringLiteral("English"), QStringLiteral("German"), QString()}));
        EXPECT_EQ(language.GetLanguage(), QStringLiteral("German"));
        EXPECT_EQ(probeText(), QStringLiteral("Pfad:"));
    }
    EXPECT_EQ(probeText(), QStringLiteral("Path:")); // the translator leaves with its manager
}

TEST(Language, SwitchingTranslatesAndNotifiesWidgets)
{
    UxLanguage language;
    language.Init(kAppDir, QStringLiteral("English"));
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

TEST(Language, UnknownOrBrokenLanguagesChangeNothing)
{
    TempDir dir;
    dir.write("Language/French.qm", "this is no translation file");
    dir.write("Language/notes.txt", "x");
    const QString appDir = QString::fromStdString(dir.str());
    const QString german = QStringLiteral("/Language/German.qm");
    ASSERT_TRUE(QFile::copy(kAppDir + german, appDir + german));
    UxLanguage language;
    for (const char* name : {"Klingon", "", "French"}) {
        EXPECT_FALSE(language.Init(appDir, QLatin1String(name))) << name;
        EXPECT_EQ(language.GetLanguage(), QStringLiteral("English"));
    }
    EXPECT_EQ(language.GetNumLanguageStrings(), 3);
    ASSERT_TRUE(language.SetLanguage(QStringLiteral("German")));
    for (const char* name : {"german", "Klingon", "French", "", "notes"}) {
        EXPECT_FALSE(language.SetLanguage(QLatin1String(name))) << name;
        EXPECT_EQ(language.GetLanguage(), QStringLiteral("German"));
        EXPECT_EQ(probeText(), QStringLiteral("Pfad:"));
    }

    UxLanguage none;
    EXPECT_FALSE(none.Init(appDir + QStringLiteral("/missing"), QStringLiteral("German")));
    EXPECT_EQ(none.GetNumLanguageStrings(), 1);
    EXPECT_EQ(none.GetLanguage(), QStringLiteral("English"));
}

} // namespace
