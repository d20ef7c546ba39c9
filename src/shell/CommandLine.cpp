// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/CommandLine.h"

#include "platform/Volumes.h"
#include "storage/DemoStick.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>

namespace shell {
namespace {

QCommandLineOption screenshotOption()
{
    return QCommandLineOption(QStringList{QStringLiteral("screenshot")},
                              QCoreApplication::translate("CommandLine", "Render the main window into FILE (PNG) and quit."),
                              QStringLiteral("FILE"));
}

QCommandLineOption volumeOption()
{
    return QCommandLineOption(QStringList{QStringLiteral("volume")},
                              QCoreApplication::translate("CommandLine", "Treat DIR as a removable drive (repeatable)."),
                              QStringLiteral("DIR"));
}

QCommandLineOption demoOption()
{
    return QCommandLineOption(QStringList{QStringLiteral("demo")},
                              QCoreApplication::translate("CommandLine", "Start with demonstration data."));
}

} // namespace

void addCommandLineOptions(QCommandLineParser& parser)
{
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(screenshotOption());
    parser.addOption(volumeOption());
    parser.addOption(demoOption());
}

std::optional<CommandLineOptions> parseCommandLine(QCommandLineParser& parser, const QStringList& arguments,
                                                   QString* error)
{
    if (!parser.parse(arguments)) {
        if (error)
            *error = parser.errorText();
        return std::nullopt;
    }
    CommandLineOptions options;
    options.screenshotFile = parser.value(QStringLiteral("screenshot"));
    options.volumes = parser.values(QStringLiteral("volume"));
    options.demo = parser.isSet(QStringLiteral("demo"));
    return options;
}

bool applyVolumeOptions(const CommandLineOptions& options, QString* startFolder, QString* error)
{
    for (const QString& volume : options.volumes)
        platform::declareVolume(volume);
    if (startFolder)
        startFolder->clear();
    if (!options.demo)
        return true;
    const storage::DemoPaths demo = storage::MakeDemo();
    if (demo.stickRoot.isEmpty()) {
        if (error)
            *error = QCoreApplication::translate("CommandLine", "Cannot make the demonstration data.");
        return false;
    }
    platform::declareVolume(demo.stickRoot);
    platform::setNominalCapacity(demo.stickRoot, storage::kDemoStickCapacity);
    if (startFolder)
        *startFolder = demo.localFolder;
    return true;
}

} // namespace shell
