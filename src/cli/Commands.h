// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <vector>

// One function per command group; each gets the arguments after its own name
// and returns the process exit status.
namespace cli {

using Args = std::vector<std::string>;

int runTitle(const Args& args);    // title get|set|clear
int runLs(const Args& args);       // ls FOLDER
int runDrives(const Args& args);   // drives [--volume DIR]...
int runNextName(const Args& args); // next-name FOLDER
int runThumbnail(const Args& args); // thumbnail [--force] VIDEO [OUT]
int runConvert(const Args& args);   // convert [--profile ID] IN OUT
int runCheck(const Args& args);     // check [--json] FILE...
// copy-to-psp, move-to-psp, copy-from-psp, move-from-psp, delete
int runTransfer(const std::string& command, const Args& args);

} // namespace cli
