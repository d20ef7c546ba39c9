#include "Commands.h"

#include "platform/FileSystem.h"
#include "storage/Catalogue.h"
#include "thumbnail/Thumbnail.h"

#include <QFile>

#include <cstdio>
#include <string>

namespace cli {

namespace {

const char kThumbnailUsage[] = "Usage: reelkeeper-cli thumbnail [--force] VIDEO [OUT]\n";

int usage()
{
    std::fputs(kThumbnailUsage, stderr);
    return 2;
}

int fail(const QString& path, const QString& reason)
{
    std::fprintf(stderr, "reelkeeper-cli: %s: %s\n", QFile::encodeName(path).constData(), reason.toLocal8Bit().constData());
    return 1;
}

} // namespace

int runThumbnail(const Args& args)
{
    bool force = false;
    Args files;
    for (const std::string& arg : args) {
        if (arg == "--force")
            force = true;
        else if (arg.size() > 1 && arg[0] == '-')
            return usage();
        else
            files.push_back(arg);
    }
    if (files.empty() || files.size() > 2)
        return usage();
    const QString video = QFile::decodeName(files[0].c_str());
    const QString out = files.size() == 2 ? QFile::decodeName(files[1].c_str()) : storage::thumbnailPathFor(video);
    // Told before any decoding; the write itself never replaces without --force either.
    if (!force && platform::fileSystem().exists(out))
        return fail(out, QStringLiteral("exists already (--force replaces it)"));
    QString error;
    const std::optional<QByteArray> jpeg = thumbnail::makeThumbnail(video, &error);
    if (!jpeg)
        return fail(video, error);
    if (!thumbnail::writeJpeg(*jpeg, out, force, &error))
        return fail(out, error);
    std::printf("%s\n", QFile::encodeName(out).constData());
    return 0;
}

} // namespace cli
