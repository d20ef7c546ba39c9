#include "Commands.h"

#include "platform/Volumes.h"
#include "storage/PspDrives.h"

#include <QFile>

#include <cstdio>

namespace cli {

int runDrives(const Args& args)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--volume" && i + 1 < args.size()) {
            platform::declareVolume(QFile::decodeName(QByteArray::fromStdString(args[++i])));
        } else {
            std::fprintf(stderr, "Usage: reelkeeper-cli drives [--volume DIR]...\n");
            return 2;
        }
    }
    // One line per drive: mount point, display name, removable, PSP (tab-separated).
    for (const platform::VolumeInfo& volume : platform::volumes().list()) {
        const bool psp = storage::IsPSPVolume(volume);
        std::printf("%s\t%s\t%s\t%s\n", QFile::encodeName(volume.root).constData(),
                    volume.displayName.toUtf8().constData(), volume.removable ? "yes" : "no", psp ? "yes" : "no");
    }
    return 0;
}

} // namespace cli
