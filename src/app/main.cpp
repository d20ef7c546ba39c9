// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The GUI program: parses the command line, creates the process-wide managers and
// hands over to the application object.
#include "platform/PathCodec.h"
#include "reelkeeper/Version.h"
#include "platform/Prompt.h"
#include "shell/CMainApp.h"
#include "shell/CommandLine.h"
#include "skin/UxAppPref.h"
#include "skin/UxLanguage.h"
#include "skin/UxSkinMgr.h"
#include "widgets/MessageBoxPrompt.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

namespace {

void describeCommandLine(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral("Manages the MP4 videos on a PSP's memory stick."));
    shell::addCommandLineOptions(parser);
}

// --help, --help-all and --version must work without a display (packaging,
// scripts, a text console), so they are answered before QApplication opens the
// window system. Returns false when the command line asks for none of them; Qt's
// own options such as -platform make this parse fail and are left to QApplication.
bool answeredWithoutDisplay(int& argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(platform::decodePath(argv[i]));
    QCommandLineParser parser;
    describeCommandLine(parser);
    if (!shell::parseCommandLine(parser, arguments, nullptr))
        return false;
    const bool help = parser.isSet(QStringLiteral("help"));
    const bool version = parser.isSet(QStringLiteral("version"));
    if (!help && !version) {
        if (!parser.isSet(QStringLiteral("help-all")))
            return false;
        // Only the GUI application object lists Qt's GUI options; the offscreen
        // platform lets it exist without a display.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication gui(argc, argv);
        parser.process(gui);
        return true;
    }
    // The help text names the program as QCoreApplication saw it.
    QCoreApplication core(argc, argv);
    if (help)
        parser.showHelp(0);
    parser.showVersion();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("reelkeeper"));
    QCoreApplication::setApplicationVersion(QStringLiteral(REELKEEPER_VERSION));
    if (answeredWithoutDisplay(argc, argv))
        return 0;

    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Reelkeeper"));
    // Lets the desktop match the window to the installed launcher and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.reelkeeper.Reelkeeper"));

    QCommandLineParser parser;
    describeCommandLine(parser);
    QString error;
    // What QApplication left of argv, decoded so that paths keep their bytes.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(platform::decodePath(argv[i]));
    const auto options = shell::parseCommandLine(parser, arguments, &error);
    if (!options) {
        std::fprintf(stderr, "%s\n", platform::encodePath(error).constData());
        return 2;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();

    // Declared before the window looks for a PSP, so they are found like attached drives.
    QString startFolder;
    if (!shell::applyVolumeOptions(*options, &startFolder, &error)) {
        std::fprintf(stderr, "%s\n", platform::encodePath(error).constData());
        return 1;
    }

    // No box may wait for an answer while a screenshot is taken, headless or not.
    platform::DefaultAnswerPrompt defaultAnswers;
    widgets::MessageBoxPrompt messageBoxes;
    if (options->screenshotFile.isEmpty())
        platform::setPrompt(&messageBoxes);
    else
        platform::setPrompt(&defaultAnswers);

    // The process-wide objects, in this order; destroyed in reverse after the window.
    UxSkinMgr skinMgr;
    UxAppPref pref;
    UxLanguage language;
    CMainApp theApp(skinMgr, pref, language);
    theApp.SetScreenshotFile(options->screenshotFile);
    theApp.SetStartFolder(startFolder);
    theApp.SetMessageBoxes(&messageBoxes);
    theApp.InitInstance();
    const int status = QApplication::exec();
    platform::setPrompt(nullptr);
    return status != 0 ? status : theApp.ExitCode();
}
