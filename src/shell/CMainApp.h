// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/Locale.h"
#include "skin/SkinKit.h"

#include <QString>

#include <memory>

class CMainDlg;
namespace widgets {
class MessageBoxPrompt;
}
class UxAppPref;
class UxLanguage;
class UxSkinMgr;

/**
 * The application object: describes the product to the skin library, chooses the
 * interface language and shows the main window. The three managers are created
 * before it and outlive it.
 */
class CMainApp final
{
public:
    CMainApp(UxSkinMgr& skinMgr, UxAppPref& pref, UxLanguage& language);
    ~CMainApp();
    CMainApp(const CMainApp&) = delete;
    CMainApp& operator=(const CMainApp&) = delete;

    /**
     * Start-up: application record, library, language, then the main window, shown. The
     * caller runs the event loop; the application quits when the window has closed.
     */
    bool InitInstance();

    /** With a file name, the main window is rendered into it once initialised and closed. */
    void SetScreenshotFile(const QString& path) { m_strScreenshot = path; }
    /** Message boxes that get the main window as their parent once it exists (not owned). */
    void SetMessageBoxes(widgets::MessageBoxPrompt* boxes) { m_pMessageBoxes = boxes; }
    /** A folder the main window lists in place of the stored one (the demonstration folder). */
    void SetStartFolder(const QString& folder) { m_strStartFolder = folder; }
    /** 0, or 1 when the screenshot could not be written. */
    int ExitCode() const { return m_nExitCode; }
    /** The main window, nullptr before InitInstance. */
    CMainDlg* MainWindow() const { return m_pMainWnd.get(); }

    /** The application record, with the web addresses for the locale's country. */
    static AppInfo MakeAppInfo(const platform::LocaleNames& locale);
    /** The stored "language", or when it is empty the one detected from the locale. */
    static QString StartupLanguage(const UxAppPref& pref, const platform::LocaleNames& locale);

private:
    void TakeScreenshot(CMainDlg& window);

    UxSkinMgr& m_skinMgr;
    UxAppPref& m_pref;
    UxLanguage& m_language;
    QString m_strAppDir;
    QString m_strScreenshot;
    QString m_strStartFolder;
    std::unique_ptr<CMainDlg> m_pMainWnd;
    widgets::MessageBoxPrompt* m_pMessageBoxes = nullptr;
    int m_nExitCode = 0;
};
