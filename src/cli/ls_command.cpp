// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Commands.h"
#include "Output.h"

#include "platform/FileSystem.h"
#include "platform/PathCodec.h"
#include "storage/Catalogue.h"

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

int runLs(const Args& given)
{
    Args args = given;
    const bool zero = takeZeroOption(args);
    if (args.size() != 1) {
        std::fputs("Usage: reelkeeper-cli ls [-z] FOLDER\n", stderr);
        return 2;
    }
    const QString folder = platform::decodePath(QByteArray::fromStdString(args.front()));
    if (!platform::fileSystem().isDirectory(folder)) {
        std::fprintf(stderr, "reelkeeper-cli: '%s' is not an existing folder\n", escapedPath(folder).c_str());
        return 1;
    }

    storage::ScanHooks hooks;
    hooks.add = [zero](storage::ScannedVideo&& video) {
        const QString size = video.length ? storage::FormatSizeText(*video.length) : QString();
        writeRecord(zero, {platform::encodePath(video.fileName), (zero ? video.title : oneField(video.title)).toUtf8(),
                           size.toUtf8(), video.dateText.toUtf8()});
    };
    storage::scanPattern(storage::videoPattern(folder), hooks);
    flushStdout();
    return 0;
}

} // namespace cli
