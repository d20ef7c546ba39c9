#include "Commands.h"

#include "transfer/PspNaming.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

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
    std::printf("%s\n", transfer::GetNextPspFileName(folder).toUtf8().constData());
    return 0;
}

} // namespace cli
