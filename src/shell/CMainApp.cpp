// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/CMainApp.h"

#include "platform/PathCodec.h"
#include "shell/CMainDlg.h"
#include "shell/StartupRules.h"
#include "skin/UxAppPref.h"
#include "skin/UxButton.h"
#include "skin/UxLanguage.h"
#include "skin/UxSkinMgr.h"
#include "widgets/MessageBoxPrompt.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QRegion>
#include <QTimer>

#include <cstdio>

CMainApp::CMainApp(UxSkinMgr& skinMgr, UxAppPref& pref, UxLanguage& language)
    : m_skinMgr(skinMgr)
    , m_pref(pref)
    , m_language(language)
{
}

CMainApp::~CMainApp() = default;

AppInfo CMainApp::MakeAppInfo(const platform::LocaleNames& locale)
{
    AppInfo info;
    info.vendorShortName = QStringLiteral("Tollcrest");
    info.vendorName = QStringLiteral("Marrowgate");
    info.vendorRegKey = QStringLiteral("Software\\Marrowgate");
    info.productName = QStringLiteral("Reelkeeper");
    info.productFullName = QStringLiteral("Reelkeeper");
    info.productSlug = QStringLiteral("reel-keeper");
    info.windowTitle = QStringLiteral("Reelkeeper");
    info.productRegKey = QStringLiteral("Software\\Marrowgate\\Reelkeeper");
    info.settingsRegKey = QStringLiteral("Software\\Marrowgate\\Reelkeeper\\Settings");
    info.appId = QStringLiteral("reelkeeper");

    shell::WebAddresses web;
    web.vendorHomePage = QStringLiteral("https://www.marrowgate.example");
    web.productPage = QStringLiteral("https://www.marrowgate.example/products/reelkeeper.html");
    web.productPage2 = web.productPage;
    web = shell::localiseWebAddresses(web, locale);
    info.vendorHomePage = web.vendorHomePage;
    info.productPage = web.productPage;
    info.productPage2 = web.productPage2;
    return info;
}

QString CMainApp::StartupLanguage(const UxAppPref& pref, const platform::LocaleNames& locale)
{
    const QString stored = pref.GetString(QStringLiteral("language"));
    return stored.isEmpty() ? shell::detectLanguage(locale) : stored;
}

bool CMainApp::InitInstance()
{
    const platform::LocaleNames locale = platform::systemLocaleNames();
    m_strAppDir = m_pref.GetAppDir();
    m_pref.SetAppInfo(MakeAppInfo(locale));
    InitSkinKit(&m_pref, &m_skinMgr, &m_language);
    m_language.Init(m_strAppDir, StartupLanguage(m_pref, locale));

    m_pMainWnd = std::make_unique<CMainDlg>();
    CMainDlg& window = *m_pMainWnd;
    window.SetStartFolder(m_strStartFolder);
    if (m_pMessageBoxes)
        m_pMessageBoxes->setParentWindow(&window);
    // The one event loop ends when the window has closed.
    QObject::connect(&window, &QDialog::finished, QCoreApplication::instance(), &QCoreApplication::quit,
                     Qt::QueuedConnection);
    if (!m_strScreenshot.isEmpty()) {
        QObject::connect(&window, &CMainDlg::initialised, &window, [this, &window] {
            // Once the lists are filled and the start-up refresh's pause is over, so
            // the rows show and Refresh is drawn enabled.
            auto* ready = new QTimer(&window);
            ready->setInterval(CMainDlg::kRefreshPauseMs / 2);
            QObject::connect(ready, &QTimer::timeout, &window, [this, &window, ready] {
                if (!window.Button(ControlId::Refresh)->isEnabled())
                    return;
                ready->stop();
                TakeScreenshot(window);
            });
            ready->start();
        });
    }
    window.show();
    return true;
}

void CMainApp::TakeScreenshot(CMainDlg& window)
{
    QImage picture = window.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    // The window's outline, so cut corners show as such.
    const QRegion outline = window.mask();
    if (!outline.isEmpty()) {
        QPainter painter(&picture);
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        painter.setClipRegion(QRegion(picture.rect()) - outline);
        painter.fillRect(picture.rect(), Qt::transparent);
    }
    if (!picture.save(m_strScreenshot, "PNG")) {
        std::fprintf(stderr, "Cannot write the screenshot %s\n", platform::encodePath(m_strScreenshot).constData());
        m_nExitCode = 1;
    }
    // Leaves without the close handling, so a screenshot does not change the settings.
    window.done(QDialog::Rejected);
}
