#include "Commands.h"

#include "platform/FileSystem.h"
#include "storage/Catalogue.h"

#include <QCoreApplication>
#include <QFile>
#include <QString>

#include <cstdio>
#include <memory>

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
    // Picture loading needs the Qt plugin paths of an application object.
    std::unique_ptr<QCoreApplication> app;
    int argc = 1;
    char name[] = "reelkeeper-cli";
    char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(argc, argv);

    const QString folder = QFile::decodeName(QByteArray::fromStdString(args.front()));
    if (!platform::fileSystem().isDirectory(folder)) {
        std::fprintf(stderr, "reelkeeper-cli: '%s' is not an existing folder\n", args.front().c_str());
        return 1;
    }

    storage::ScanHooks hooks;
    hooks.noDefaultPicture = [](const QString& path) {
        std::fprintf(stderr, "reelkeeper-cli: %s: %s\n", QFile::encodeName(path).constData(), storage::kNoDefaultPicture);
    };
    hooks.add = [](storage::ScannedVideo&& video) {
        const QString line = oneField(video.fileName) + u'\t' + oneField(video.title) + u'\t'
            + video.entry.strSize + u'\t' + video.entry.strDate + u'\n';
        std::fputs(line.toUtf8().constData(), stdout);
    };
    storage::scanPattern(storage::videoPattern(folder), hooks);
    std::fflush(stdout);
    return 0;
}

} // namespace cli
