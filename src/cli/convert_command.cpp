// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Commands.h"
#include "StopSignals.h"
#include "Output.h"

#include "convert/Convert.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "platform/PathCodec.h"

#include <QElapsedTimer>

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace cli {
namespace {

const char kConvertUsage[] = "Usage: reelkeeper-cli convert [--profile avc480|mpeg4] IN OUT\n";

int usage()
{
    std::fputs(kConvertUsage, stderr);
    return 2;
}

int fail(const QString& path, const std::string& reason)
{
    std::fprintf(stderr, "reelkeeper-cli: %s: %s\n", escapedPath(path).c_str(), reason.c_str());
    return 1;
}

std::string describe(const convert::ConvertResult& result)
{
    std::string text = std::string("conversion failed (") + convert::errorName(result.error) + ")";
    if (!result.detail.empty())
        text += ": " + result.detail;
    return text;
}

} // namespace

int runConvert(const Args& args)
{
    const convert::Profile* profile = &convert::defaultProfile();
    Args files;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg == "--profile" && i + 1 < args.size()) {
            profile = convert::findProfile(args[++i]);
            if (!profile)
                return usage();
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            return usage();
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2 || files[0].empty() || files[1].empty())
        return usage();
    const QString in = platform::decodePath(QByteArray::fromStdString(files[0]));
    const QString out = platform::decodePath(QByteArray::fromStdString(files[1]));
    // Told before any work; the final rename never replaces either.
    if (platform::fileSystem().exists(out))
        return fail(out, "exists already");

    const qsizetype slash = out.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash < 0 ? QStringLiteral(".") : slash == 0 ? QStringLiteral("/") : out.left(slash);
    platform::FileOpResult created;
    const std::optional<platform::FileOps::Temporary> temp = platform::fileOps().createTemporary(folder, &created);
    if (!temp)
        return fail(out, std::strerror(created.error));

    convert::ConvertResult result;
    {
        const StopSignals stopSignals;
        convert::ConvertRequest request;
        request.input = in;
        request.outputFd = temp->fd;
        request.profile = profile;
        request.title = convert::chooseTitle(in);
        const bool drawProgress = ::isatty(STDERR_FILENO) == 1;
        bool progressShown = false;
        QElapsedTimer clock;
        clock.start();
        qint64 lastDrawn = -1000;
        result = convert::convertVideo(request, StopSignals::flag(), [&](std::int64_t done, std::int64_t duration) {
            if (!drawProgress || clock.elapsed() - lastDrawn < 200)
                return;
            lastDrawn = clock.elapsed();
            if (duration > 0)
                std::fprintf(stderr, "\r\033[K%s  %3d%%", escapedPath(in).c_str(),
                             static_cast<int>(std::min<std::int64_t>(done * 100 / duration, 100)));
            else
                std::fprintf(stderr, "\r\033[K%s  %.1f s", escapedPath(in).c_str(), done / 1e6);
            std::fflush(stderr);
            progressShown = true;
        });
        if (progressShown)
            std::fputs("\r\033[K", stderr);
    }
    platform::FileOpResult published{platform::FileOpStatus::Failed, 0};
    if (result.status == convert::Status::Done && !StopSignals::flag())
        published = platform::fileOps().publishTemporary(*temp, out);
    ::close(temp->fd);
    if (!published.ok())
        platform::fileOps().removeFile(temp->path);
    if (StopSignals::number() != 0)
        return 128 + StopSignals::number();
    if (result.status == convert::Status::Failed)
        return fail(in, describe(result));
    if (!published.ok())
        return fail(out, published.status == platform::FileOpStatus::AlreadyExists ? "exists already"
                                                                                     : std::strerror(published.error));
    return 0;
}

} // namespace cli
