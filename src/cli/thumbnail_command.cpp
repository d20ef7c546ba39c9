// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Commands.h"
#include "Output.h"

#include "platform/FileSystem.h"
#include "platform/PathCodec.h"
#include "storage/Catalogue.h"
#include "thumbnail/Thumbnail.h"

#include <cstdio>
#include <string>

namespace cli {

namespace {

const char kThumbnailUsage[] = "Usage: reelkeeper-cli thumbnail [--force] [-z] VIDEO [OUT]\n";

int usage()
{
    std::fputs(kThumbnailUsage, stderr);
    return 2;
}

int fail(const QString& path, const QString& reason)
{
    std::fprintf(stderr, "reelkeeper-cli: %s: %s\n", escapedPath(path).c_str(), platform::encodePath(reason).constData());
    return 1;
}

} // namespace

int runThumbnail(const Args& given)
{
    Args args = given;
    const bool zero = takeZeroOption(args);
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
    const QString video = platform::decodePath(QByteArray::fromStdString(files[0]));
    const QString out = files.size() == 2 ? platform::decodePath(QByteArray::fromStdString(files[1])) : storage::thumbnailPathFor(video);
    // Told before any decoding; the write itself never replaces without --force either.
    if (!force && platform::fileSystem().exists(out))
        return fail(out, QStringLiteral("exists already (--force replaces it)"));
    QString error;
    const std::optional<QByteArray> jpeg = thumbnail::makeThumbnail(video, &error);
    if (!jpeg)
        return fail(video, error);
    if (!thumbnail::writeJpeg(*jpeg, out, force, &error))
        return fail(out, error);
    writeRecord(zero, {platform::encodePath(out)});
    return 0;
}

} // namespace cli
