// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Commands.h"
#include "Output.h"

#include "platform/PathCodec.h"
#include "platform/Volumes.h"
#include "storage/PspDrives.h"

#include <cstdio>

namespace cli {

int runDrives(const Args& given)
{
    Args args = given;
    const bool zero = takeZeroOption(args);
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--volume" && i + 1 < args.size()) {
            platform::declareVolume(platform::decodePath(QByteArray::fromStdString(args[++i])));
        } else {
            std::fprintf(stderr, "Usage: reelkeeper-cli drives [-z] [--volume DIR]...\n");
            return 2;
        }
    }
    // One record per drive: mount point, display name, removable, PSP.
    for (const platform::VolumeInfo& volume : platform::volumes().list()) {
        const bool psp = storage::IsPSPVolume(volume);
        writeRecord(zero, {platform::encodePath(volume.root), platform::encodePath(volume.displayName),
                           volume.removable ? "yes" : "no", psp ? "yes" : "no"});
    }
    return 0;
}

} // namespace cli
