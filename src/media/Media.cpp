// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "media/Media.h"

#include "media/AvFacts.h"
#include "media/Mp4Facts.h"
#include "platform/FileSystem.h"
#include "platform/PathCodec.h"

namespace media {

std::optional<Facts> probeMp4(const QString& path, QString* error, bool* isMp4)
{
    mp4::Result r = mp4::readFile(platform::encodePath(path));
    if (isMp4)
        *isMp4 = r.isMp4 || r.unreadable;
    if (error)
        *error = r.error;
    return std::move(r.facts);
}

std::optional<Facts> probe(const QString& path, QString* error)
{
    bool isMp4 = false;
    std::optional<Facts> facts = probeMp4(path, error, &isMp4);
    // Everything the MP4 reader does not take goes to libavformat; what that
    // takes for no container at all has no tracks.
    if (isMp4)
        return facts;
    facts = av::readFile(path, error);
    if (facts)
        facts->fileSize = platform::fileSystem().fileSize(path).value_or(0);
    return facts;
}

Verdict judge(const QString& path, const PlayProfile& profile)
{
    QString error;
    const std::optional<Facts> facts = probe(path, &error);
    if (!facts) {
        Verdict verdict;
        verdict.error = error;
        return verdict;
    }
    return judgeFacts(*facts, profile);
}

} // namespace media
