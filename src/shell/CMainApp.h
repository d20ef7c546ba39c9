#pragma once

#include "platform/Locale.h"
#include "skin/SkinKit.h"

#include <QString>

class CMainDlg;
class UxAppPref;
class UxLanguage;
class UxSkinMgr;

/**
 * The application object: describes the product to the skin library, chooses the
 * interface language and runs the main window modally. The three managers are
 * created before it and outlive it.
 */
class CMainApp final
{
public:
    CMainApp(UxSkinMgr& skinMgr, UxAppPref& pref, UxLanguage& language);
    CMainApp(const CMainApp&) = delete;
    CMainApp& operator=(const CMainApp&) = delete;

    /**
     * Runs the whole life of the program: application record, library, language, then the
     * main window until it closes. Returns false, as there is no further event loop to run.
     */
    bool InitInstance();

    /** With a file name, the main window is rendered into it once initialised and closed. */
    void SetScreenshotFile(const QString& path) { m_strScreenshot = path; }
    /** A folder the main window lists in place of the stored one (the demonstration folder). */
    void SetStartFolder(const QString& folder) { m_strStartFolder = folder; }
    /** 0, or 1 when the screenshot could not be written. */
    int ExitCode() const { return m_nExitCode; }
    /** The running main window, nullptr outside InitInstance. */
    CMainDlg* MainWindow() const { return m_pMainWnd; }

    /** The application record, with the web addresses for the locale's country. */
    static _AppInfo MakeAppInfo(const platform::LocaleNames& locale);
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
    CMainDlg* m_pMainWnd = nullptr;
    int m_nExitCode = 0;
};
