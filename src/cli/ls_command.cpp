#include "Commands.h"

#include "platform/FileSystem.h"
#include "storage/Catalogue.h"

#include <QFile>
#include <QString>

#include <cstdio>

namespace cli {
namespace {

// Tabs and line breaks inside a title would break the one-line-per-video format.
QString oneField(QString text)
{
    for (QChar& c : text) {
        if (c == u'\t' || c == u'\n' || c == u'\r')
            c = u' ';
    }
    return text;
}

} // namespace

int runLs(const Args& args)
{
    if (args.size() != 1) {
        std::fputs("Usage: reelkeeper-cli ls FOLDER\n", stderr);
        return 2;
    }
    const QString folder = QFile::decodeName(QByteArray::fromStdString(args.front()));
    if (!platform::fileSystem().isDirectory(folder)) {
        std::fprintf(stderr, "reelkeeper-cli: '%s' is not an existing folder\n", args.front().c_str());
        return 1;
    }

    storage::ScanHooks hooks;
    hooks.add = [](storage::ScannedVideo&& video) {
        const QString size = video.length ? storage::FormatSizeText(*video.length) : QString();
        const QString line = oneField(video.fileName) + u'\t' + oneField(video.title) + u'\t' + size + u'\t'
            + video.dateText + u'\n';
        std::fputs(line.toUtf8().constData(), stdout);
    };
    storage::scanPattern(storage::videoPattern(folder), hooks);
    std::fflush(stdout);
    return 0;
}

} // namespace cli
