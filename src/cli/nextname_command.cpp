#include "Commands.h"
#include "Output.h"

#include "platform/FileSystem.h"
#include "platform/PathCodec.h"
#include "transfer/PspNaming.h"

#include <cstdio>

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
    writeRecord(zero, {platform::encodePath(transfer::GetNextPspFileName(folder))});
    return 0;
}

} // namespace cli
