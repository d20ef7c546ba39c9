// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Skins and languages as the main window takes them: loading, the outline from the
// corner bitmaps, switching through the window menu, and the fallbacks.
#include "Pictures.h"
#include "ShellFixture.h"

#include "shell/CMainStatusBar.h"
#include "skin/GlobalHelper.h"
#include "skin/UxButton.h"
#include "skin/UxChooseSkinDlg.h"
#include "skin/UxHyperLink.h"
#include "skin/UxSkinInfo.h"
#include "widgets/CVideoListCtrl.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>

#include <filesystem>

namespace {

constexpr QRgb kBlack = 0xff000000;
constexpr QRgb kRed = 0xffff0000;

const char* const kTestSkinIni = R"(ChildBgColor=0x00112233
ButtonTextColor_Up=0x000000FF
MinSize_X=800
MinSize_Y=560
Spacing_Top=1
Spacing_Bottom=3
Spacing_Left=11
Spacing_Right=13
Spacing_VGap=7
Spacing_HGap=5

[Logo]
BgVSplitter=40
)";

// A skins folder of its own: the test skin, a plain one, and the shipped Default beside them.
class SkinTest : public ShellTest
{
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        std::filesystem::create_directory_symlink((appDir() + QStringLiteral("/Skin/Default")).toStdString(),
                                                  skins.path() / "Default");
        skins.write("Test/skin.ini", kTestSkinIni);
        // Top row red, black, red; bottom row black: cuts (0,0) and (2,0).
        skins.write("Test/regionLT.bmp", bitmap24(3, 2, [](int x, int y) {
                        return y == 0 && x != 1 ? kRed : kBlack;
                    }).toStdString());
        // One cut-away pixel short of the bitmap's right and bottom edges.
        skins.write("Test/regionRB.bmp", bitmap24(4, 3, [](int x, int y) {
                        return x == 1 && y == 0 ? kRed : kBlack;
                    }).toStdString());
        skins.write("Plain/skin.ini", "MinSize_X=600\nMinSize_Y=450\n");
    }

    QString skinPath(const char* name) const { return QString::fromStdString((skins.path() / name).string()); }

    TempDir skins;
};

QAction* languageAction(const CMainDlg& window, const QString& name)
{
    for (QAction* action : window.LanguageActions()) {
        if (action->text() == name)
            return action;
    }
    return nullptr;
}

} // namespace

TEST_F(SkinTest, LoadingASkinSetsColoursSpacingPicturesAndMinimumSize)
{
    pref.PutString(QStringLiteral("last_skin"), skinPath("Test"));
    auto window = openWindow();
    EXPECT_EQ(skinMgr.GetCurrentSkinPath(), skinPath("Test"));
    EXPECT_EQ(window->GetChildBgColor(), 0x00112233u);
    EXPECT_EQ(window->GetChildBgCompanion(), 0);
    EXPECT_EQ(window->Header()->GetSplitPos(), 40);
    EXPECT_EQ(window->Header()->GetBgMode(), 0);
    // Missing pictures come from the Default skin beside it.
    EXPECT_TRUE(window->Button(ControlId::About)->HasBitmap());
    EXPECT_EQ(window->Button(ControlId::About)->size(), window->Button(ControlId::About)->GetWindowSize());

    // The skin's spacing (read as in tests/skin) reaches the layout.
    EXPECT_EQ(window->LocalList()->x(), 11);
    const QRect status = window->StatusBar()->geometry();
    EXPECT_EQ(status.y() + status.height(), window->height() - 3);
    const QRect psp = window->PspList()->geometry();
    EXPECT_EQ(psp.x() + psp.width(), window->width() - 13);

    // The 672-pixel template grows to the skin's minimum at once.
    EXPECT_EQ(window->GetMinWindowSize(), QSize(800, 560));
    EXPECT_EQ(window->size(), QSize(800, 560));
}

TEST_F(SkinTest, CornerBitmapsCutTheOutlineAtEverySize)
{
    pref.PutString(QStringLiteral("last_skin"), skinPath("Test"));
    auto window = openWindow();
    const CornerRegions& corners = window->GetCornerRegions();
    ASSERT_TRUE(corners.lt.has_value());
    EXPECT_EQ(*corners.lt, QRegion(0, 0, 1, 1) + QRegion(2, 0, 1, 1));
    EXPECT_FALSE(corners.rt.has_value());
    EXPECT_FALSE(corners.lb.has_value());
    ASSERT_TRUE(corners.rb.has_value());

    // Cut again at a new size; where each corner lands: tests/skin.
    window->resize(913, 701);
    QApplication::processEvents();
    const QRegion mask = window->mask();
    for (const QPoint out : {QPoint(0, 0), QPoint(2, 0), QPoint(912, 700)})
        EXPECT_FALSE(mask.contains(out)) << out.x() << ',' << out.y();
    for (const QPoint in : {QPoint(1, 0), QPoint(0, 1), QPoint(911, 700), QPoint(912, 699), QPoint(912, 0)})
        EXPECT_TRUE(mask.contains(in)) << in.x() << ',' << in.y();
}

TEST_F(SkinTest, SkinsWithoutCornersOrValuesTakeTheDefaults)
{
    skins.write("Bare/skin.ini", "; no values at all\n");
    // A plain skin larger than the template keeps the template size; a stored rectangle
    // too small grows to 510 by 400, then to the skin's minimum (620 by 466 by default).
    const struct
    {
        const char* skin;
        QString storedRect;
        QSize minimum;
        QRect geometry;
    } cases[] = {
        {"Plain", QString(), QSize(600, 450), QRect()},
        {"Bare", GlobalHelper::Rect2S(QRect(5, 6, 300, 200)), QSize(620, 466), QRect(5, 6, 620, 466)},
    };
    for (const auto& c : cases) {
        pref.PutString(QStringLiteral("last_skin"), skinPath(c.skin));
        pref.PutString(QStringLiteral("window_rect"), c.storedRect);
        auto window = openWindow();
        EXPECT_EQ(skinMgr.GetCurrentSkinPath(), skinPath(c.skin));
        EXPECT_FALSE(window->GetCornerRegions().any());
        EXPECT_TRUE(window->mask().isEmpty());
        EXPECT_EQ(window->GetChildBgColor(), 0u);
        EXPECT_EQ(window->Header()->GetSplitPos(), 100);
        EXPECT_EQ(window->GetMinWindowSize(), c.minimum);
        if (c.geometry.isNull())
            EXPECT_EQ(window->size(), QSize(672, 540));
        else
            EXPECT_EQ(window->geometry(), c.geometry);
    }
}

namespace {

// Counts the pixels of a button drawn strongly in red and strongly in blue.
std::pair<int, int> redAndBluePixels(QWidget& button)
{
    const QImage image = button.grab().toImage();
    int red = 0;
    int blue = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            red += c.red() > 180 && c.green() < 80 && c.blue() < 80;
            blue += c.blue() > 180 && c.red() < 80 && c.green() < 80;
        }
    }
    return {red, blue};
}

} // namespace

TEST_F(ShellTest, ButtonTextColoursMissingFromTheSkinAreTheSystemOnes)
{
    // A skin without pictures or colours; the system's colours made easy to tell apart.
    const TempDir skins;
    skins.write("Bare/skin.ini", "; no values at all\n");
    pref.PutString(QStringLiteral("last_skin"), QString::fromStdString((skins.path() / "Bare").string()));
    const QPalette saved = QApplication::palette();
    QPalette palette = saved;
    palette.setColor(QPalette::Active, QPalette::ButtonText, Qt::red);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, Qt::blue);
    QApplication::setPalette(palette);
    {
        auto window = openWindow();
        UxButton* about = window->Button(ControlId::About);
        UxButton* move = window->Button(ControlId::MoveToPsp);
        ASSERT_FALSE(about->HasBitmap());
        ASSERT_FALSE(move->isEnabled()); // no PSP
        // Normal and active: the button text colour (red); disabled: the grey text colour (blue).
        for (const auto& [button, focus] : {std::pair{about, false}, {about, true}, {move, false}}) {
            if (focus)
                button->setFocus();
            const auto [red, blue] = redAndBluePixels(*button);
            EXPECT_EQ(red > 0, button->isEnabled()) << focus;
            EXPECT_EQ(blue > 0, !button->isEnabled()) << focus;
        }
    }
    QApplication::setPalette(saved);
}

TEST_F(ShellTest, SkinChosenThroughTheMenuAppliesAndComesBack)
{
    auto window = openWindow();
    const QString ember = appDir() + QStringLiteral("/Skin/Ember");
    ASSERT_TRUE(QDir(ember).exists());
    const bool chose = whileModal<UxChooseSkinDlg>([&] { window->ChangeSkinAction()->trigger(); },
                                                   [](UxChooseSkinDlg& chooser) {
                                                       const auto items = chooser.skinList()->findItems(
                                                           QStringLiteral("Ember"), Qt::MatchExactly);
                                                       ASSERT_EQ(items.size(), 1);
                                                       chooser.skinList()->setCurrentItem(items.front());
                                                       chooser.accept();
                                                   });
    ASSERT_TRUE(chose);
    EXPECT_EQ(QDir(skinMgr.GetCurrentSkinPath()).canonicalPath(), QDir(ember).canonicalPath());
    const UxSkinInfo info(ember);
    EXPECT_EQ(window->GetChildBgColor(), static_cast<quint32>(info.GetInt(QStringLiteral("ChildBgColor"), 0)));
    EXPECT_EQ(window->GetMinWindowSize(),
              QSize(info.GetInt(QStringLiteral("MinSize_X"), 620), info.GetInt(QStringLiteral("MinSize_Y"), 466)));
    // The header sits under the new skin's title bar.
    const QRect title = window->GetTitleBarRect();
    EXPECT_EQ(window->Header()->geometry().topLeft(), QPoint(title.x(), title.y() + title.height()));
    window->close();

    // Stored: the next window starts with it.
    auto next = openWindow();
    EXPECT_EQ(QDir(skinMgr.GetCurrentSkinPath()).canonicalPath(), QDir(ember).canonicalPath());
}

TEST_F(ShellTest, LanguageChosenThroughTheMenuTranslatesAtOnce)
{
    auto window = openWindow();
    EXPECT_TRUE(languageAction(*window, QStringLiteral("English"))->isChecked());
    EXPECT_EQ(window->LanguageMenu()->title(), QStringLiteral("Lanaguage"));
    // Choosing the checked language stores it and translates the window again.
    EXPECT_TRUE(pref.GetString(QStringLiteral("language")).isEmpty());
    window->Button(ControlId::About)->setText(QStringLiteral("stale"));
    languageAction(*window, QStringLiteral("English"))->trigger();
    EXPECT_EQ(pref.GetString(QStringLiteral("language")), QStringLiteral("English"));
    EXPECT_EQ(window->Button(ControlId::About)->text(), QStringLiteral("About"));
    EXPECT_EQ(window->AboutAction()->text(), QStringLiteral("&About Reelkeeper..."));

    struct Expected { const char* language; const char* about; const char* refresh; const char* menu; };
    const Expected expected[] = {
        {"German", "Info", "&Neu laden", "Sprache"},
        {"Japanese", "情報", "更新(&R)", "言語"},
        {"Chinese(Simplified)", "关于", "刷新(&R)", "语言"},
        {"Chinese(Traditional)", "關於", "更新(&R)", "語言"},
        {"English", "About", "&Refresh", "Lanaguage"},
    };
    for (const Expected& e : expected) {
        const QString name = QString::fromUtf8(e.language);
        QAction* action = languageAction(*window, name);
        ASSERT_NE(action, nullptr) << e.language;
        action->trigger();
        QApplication::processEvents(); // the window menu's standard entries follow the posted change
        EXPECT_EQ(language.GetLanguage(), name);
        EXPECT_EQ(pref.GetString(QStringLiteral("language")), name);
        for (QAction* other : window->LanguageActions())
            EXPECT_EQ(other->isChecked(), other == action) << other->text().toStdString();
        EXPECT_EQ(window->Button(ControlId::About)->text(), QString::fromUtf8(e.about));
        EXPECT_EQ(window->Button(ControlId::Refresh)->text(), QString::fromUtf8(e.refresh));
        EXPECT_EQ(window->LanguageMenu()->title(), QString::fromUtf8(e.menu));
        if (name != QStringLiteral("English")) {
            EXPECT_NE(window->AboutAction()->text(), QStringLiteral("&About Reelkeeper..."));
            EXPECT_NE(window->ChangeSkinAction()->text(), QStringLiteral("Change skin..."));
            EXPECT_NE(window->systemAction(UxSkinDialog::SysCommand::Close)->text(), QStringLiteral("&Close"));
        }
    }

    // The message boxes keep their English texts in every language.
    languageAction(*window, QStringLiteral("German"))->trigger();
    window->OnTransferCommand(OP_COPY_TO_PSP);
    prompt.answers.push_back(platform::PromptAnswer::No);
    window->close();
    EXPECT_EQ(prompt.texts.back(), QStringLiteral("Stop the program?"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->IsTransferRunning(); }, 5000));
    languageAction(*window, QStringLiteral("English"))->trigger();
}

TEST_F(ShellTest, QtsOwnButtonsFollowTheChosenLanguage)
{
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_de.qm")))
        GTEST_SKIP() << "Qt's translations (qt6-translations-l10n) are not installed";
    auto window = openWindow();
    const std::pair<const char*, const char*> cases[] = {
        {"German", "&Ja"}, {"Japanese", "\u306f\u3044(&Y)"}, {"Chinese(Traditional)", "\u662f(&Y)"}, {"English", "&Yes"}};
    for (const auto& [name, yes] : cases) {
        languageAction(*window, QString::fromUtf8(name))->trigger();
        QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QString::fromUtf8(yes)) << name;
    }
}

TEST_F(ShellTest, EveryListedLanguageCanBeChosenBeyondFifteen)
{
    const TempDir other;
    const QString german = appDir() + QStringLiteral("/Language/German.qm");
    QDir().mkpath(QString::fromStdString(other.str()) + QStringLiteral("/Language"));
    for (int i = 0; i < 17; ++i) {
        const QString copy = QString::fromStdString(other.str()) + QStringLiteral("/Language/Lang%1.qm").arg(i, 2, 10, QLatin1Char('0'));
        ASSERT_TRUE(QFile::copy(german, copy));
    }
    language.Init(QString::fromStdString(other.str()), QStringLiteral("English"));
    auto window = openWindow();
    ASSERT_EQ(window->LanguageActions().size(), 18);
    QAction* last = window->LanguageActions().back();
    EXPECT_EQ(last->text(), QStringLiteral("Lang16"));
    last->trigger(); // command 0x31 + 17: beyond what the low four bits could hold
    EXPECT_EQ(language.GetLanguage(), QStringLiteral("Lang16"));
    EXPECT_EQ(pref.GetString(QStringLiteral("language")), QStringLiteral("Lang16"));
    EXPECT_TRUE(last->isChecked());
    EXPECT_EQ(window->Button(ControlId::About)->text(), QStringLiteral("Info"));
    window->OnSysCommand(CMainDlg::IDM_LANGUAGE_FIRST);
    EXPECT_EQ(language.GetLanguage(), QStringLiteral("English"));
}
