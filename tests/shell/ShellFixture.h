// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "RecordingPrompt.h"
#include "StorageTestSupport.h"
#include "TempDir.h"
#include "shell/CMainApp.h"
#include "shell/CMainDlg.h"
#include "widgets/CVideoListCtrl.h"
#include "skin/SkinKit.h"
#include "skin/UxAppPref.h"
#include "skin/UxLanguage.h"
#include "skin/UxSkinMgr.h"

#include <QApplication>
#include <QByteArray>
#include <QPointer>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

// The three managers as the program makes them, fresh settings, and a recording prompt.
class ShellTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        clearSettings();
        pref.SetAppInfo(CMainApp::MakeAppInfo({}));
        InitSkinKit(&pref, &skinMgr, &language);
        language.Init(pref.GetAppDir(), QStringLiteral("English"));
    }

    static void clearSettings()
    {
        QSettings(QStringLiteral("Marrowgate"), QStringLiteral("Reelkeeper")).clear();
        QSettings(QStringLiteral("Quillbrook"), QStringLiteral("Clipforge")).clear();
    }

    // Constructs and shows the main window, which runs its initialisation, and waits
    // until its lists are filled.
    std::unique_ptr<CMainDlg> openWindow(const QString& startFolder = QString())
    {
        auto window = std::make_unique<CMainDlg>();
        window->SetStartFolder(startFolder);
        window->show();
        EXPECT_TRUE(window->IsInitialised());
        settle(*window);
        return window;
    }

    // Waits until no list is filling and what their ends set off has run.
    static void settle(CMainDlg& window)
    {
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return !window.LocalList()->isFilling() && !window.PspList()->isFilling(); }, 10000));
        QTest::qWait(1);
        QCoreApplication::processEvents();
    }

    QString appDir() const { return pref.GetAppDir(); }

    // Runs action, which opens a window-modal dialog of type Dialog and returns at
    // once; handler gets the dialog while it is open, and must close it.
    template <typename Dialog>
    static bool whileModal(const std::function<void()>& action, const std::function<void(Dialog&)>& handler)
    {
        action();
        Dialog* dialog = nullptr;
        if (!QTest::qWaitFor([&] { return (dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())); }, 3000))
            return false;
        EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
        const QPointer<Dialog> open(dialog);
        handler(*dialog);
        return QTest::qWaitFor([&] { return !open || !open->isVisible(); }, 3000);
    }

    UxSkinMgr skinMgr;
    UxAppPref pref;
    UxLanguage language;
    RecordingPrompt prompt;
};

// One of the small ffmpeg-made videos under tests/data/mp4.
inline std::filesystem::path sampleVideo(const char* name)
{
    return std::filesystem::path(REELKEEPER_TEST_DATA) / "mp4" / name;
}
