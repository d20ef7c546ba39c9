#include "Commands.h"

#include "transfer/PspNaming.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstring>
#include <optional>

namespace cli {

int runNextName(const Args& args)
{
    if (args.size() != 1) {
        std::fprintf(stderr, "Usage: reelkeeper-cli next-name FOLDER\n");
        return 2;
    }
    QString folder = QFile::decodeName(QByteArray::fromStdString(args[0]));
    if (!QFileInfo(folder).isDir()) {
        std::fprintf(stderr, "reelkeeper-cli: not a folder: %s\n", args[0].c_str());
        return 1;
    }
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    int error = 0;
    const std::optional<QString> name = transfer::GetNextPspFileName(folder, &error);
    if (!name) {
        // A listing cut short would name a file that may exist.
        std::fprintf(stderr, "reelkeeper-cli: %s: %s\n", args[0].c_str(), std::strerror(error));
        return 1;
    }
    std::printf("%s\n", name->toUtf8().constData());
    return 0;
}

} // namespace cli
