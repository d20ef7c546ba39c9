// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Commands.h"
#include "Output.h"

#include "platform/FileSystem.h"
#include "platform/PathCodec.h"
#include "transfer/PspNaming.h"

#include <cstdio>
#include <cstring>
#include <optional>

namespace cli {

int runNextName(const Args& given)
{
    Args args = given;
    const bool zero = takeZeroOption(args);
    if (args.size() != 1) {
        std::fprintf(stderr, "Usage: reelkeeper-cli next-name [-z] FOLDER\n");
        return 2;
    }
    QString folder = platform::decodePath(QByteArray::fromStdString(args[0]));
    if (!platform::fileSystem().isDirectory(folder)) {
        std::fprintf(stderr, "reelkeeper-cli: not a folder: %s\n", escapedPath(folder).c_str());
        return 1;
    }
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    int error = 0;
    const std::optional<QString> name = transfer::GetNextPspFileName(folder, &error);
    if (!name) {
        // A listing cut short would name a file that may exist.
        std::fprintf(stderr, "reelkeeper-cli: %s: %s\n", escapedPath(folder).c_str(), std::strerror(error));
        return 1;
    }
    writeRecord(zero, {platform::encodePath(*name)});
    return 0;
}

} // namespace cli
