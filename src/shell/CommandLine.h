// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QCommandLineParser;

namespace shell {

/** What the command line of the GUI program asks for. */
struct CommandLineOptions
{
    QString screenshotFile; ///< --screenshot FILE: render the window once, save it, quit
    QStringList volumes;    ///< --volume DIR (repeatable): folders that act as removable drives
    bool demo = false;      ///< --demo
};

/** Declares every option of the GUI program on @p parser (plus --help and --version). */
void addCommandLineOptions(QCommandLineParser& parser);

/**
 * Parses @p arguments (argv[0] first). Returns nothing and sets @p error on an unknown
 * option or a missing value; --help and --version are left to the caller through
 * @p parser, which stays usable after the call.
 */
std::optional<CommandLineOptions> parseCommandLine(QCommandLineParser& parser, const QStringList& arguments,
                                                   QString* error);

/**
 * Declares the --volume folders and, for --demo, makes the demonstration data and
 * declares its memory stick. Returns the folder the window should list in place of the
 * stored one (the demonstration folder, else empty); false and @p error when the
 * demonstration data could not be made.
 */
bool applyVolumeOptions(const CommandLineOptions& options, QString* startFolder, QString* error);

} // namespace shell
