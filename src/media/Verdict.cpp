// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "media/Media.h"

#include <QJsonArray>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace media {
namespace {

template <class T>
bool contains(std::span<const char* const> names, const T& name)
{
    return std::any_of(names.begin(), names.end(), [&](const char* n) { return name == QLatin1String(n); });
}

QString number(double value)
{
    return QString::number(value, 'f', 3).remove(QRegularExpression(QStringLiteral("\\.?0+$")));
}

QString containerName(const QString& container)
{
    static const std::pair<const char*, const char*> kNames[] = {
        {"mov", "QuickTime"}, {"3gp", "3GP"}, {"matroska", "Matroska"}, {"webm", "WebM"}, {"avi", "AVI"},
        {"mpegts", "MPEG-TS"}, {"mpeg", "MPEG-PS"}, {"asf", "ASF"}, {"flv", "FLV"},
    };
    for (const auto& [key, name] : kNames) {
        if (container == QLatin1String(key))
            return QString::fromLatin1(name);
    }
    return container.isEmpty() ? QStringLiteral("unknown") : container;
}

void judgeVideo(const VideoFacts& v, const PlayProfile& p, QStringList& reasons)
{
    const auto limit = std::find_if(p.video.begin(), p.video.end(), [&](const VideoLimit& l) { return v.codec == QLatin1String(l.codec); });
    if (limit == p.video.end()) {
        reasons << v.codec + QStringLiteral(" video");
    } else {
        if (!v.profile.isEmpty() && !contains(limit->profiles, v.profile))
            reasons << v.codec + u' ' + v.profile + QStringLiteral(" profile");
        if (limit->maxLevelIdc > 0 && !v.level.isEmpty() && v.level != QLatin1String("1b")) {
            const double level = v.level.toDouble();
            if (std::lround(level * 10) > limit->maxLevelIdc)
                reasons << QStringLiteral("%1 level %2 is above %3").arg(v.codec, v.level)
                               .arg(QStringLiteral("%1.%2").arg(limit->maxLevelIdc / 10).arg(limit->maxLevelIdc % 10));
        }
        const bool fits = std::any_of(limit->boxes.begin(), limit->boxes.end(),
                                      [&](const FrameBox& b) { return v.width <= b.width && v.height <= b.height; });
        if (!fits) {
            QStringList boxes;
            for (const FrameBox& b : limit->boxes)
                boxes << QStringLiteral("%1x%2").arg(b.width).arg(b.height);
            reasons << QStringLiteral("%1x%2 is larger than %3").arg(v.width).arg(v.height).arg(boxes.join(QStringLiteral(" or ")));
        }
        if (limit->maxRefFrames > 0 && v.refFrames > limit->maxRefFrames)
            reasons << QStringLiteral("%1 reference frames is more than %2").arg(v.refFrames).arg(limit->maxRefFrames);
        if (limit->maxSlices > 0 && v.slices > limit->maxSlices)
            reasons << QStringLiteral("%1 slices per picture").arg(v.slices);
    }
    if (v.rotation != 0)
        reasons << QStringLiteral("rotated %1 degrees (the PSP plays it unrotated)").arg(v.rotation);
    if (v.frameRate > p.maxFrameRate + 0.01)
        reasons << QStringLiteral("%1 fps is more than %2 fps").arg(number(v.frameRate), number(p.maxFrameRate));
    if (v.bitDepth > p.bitDepth)
        reasons << QStringLiteral("%1-bit video").arg(v.bitDepth);
    if (!v.chroma.isEmpty() && v.chroma != QLatin1String(p.chroma))
        reasons << QStringLiteral("%1 chroma").arg(v.chroma);
}

void judgeAudio(const AudioFacts& a, const PlayProfile& p, QStringList& reasons)
{
    if (!contains(p.audioCodecs, a.codec)) {
        reasons << a.codec + QStringLiteral(" audio");
        return;
    }
    if (!p.audioProfiles.empty() && !a.profile.isEmpty() && !contains(p.audioProfiles, a.profile))
        reasons << a.codec + u' ' + a.profile + QStringLiteral(" profile");
    if (a.sampleRate > p.maxSampleRate)
        reasons << QStringLiteral("%1 Hz audio is more than %2 Hz").arg(a.sampleRate).arg(p.maxSampleRate);
    if (a.channels > p.maxChannels)
        reasons << QStringLiteral("%1 audio channels is more than %2").arg(a.channels).arg(p.maxChannels);
}

} // namespace

QString Verdict::text() const
{
    switch (kind) {
    case Kind::Plays: return QStringLiteral("plays");
    case Kind::Unknown: return QStringLiteral("can't judge: ") + error;
    default: return reasons.join(QStringLiteral("; "));
    }
}

Verdict judgeFacts(const Facts& f, const PlayProfile& p)
{
    Verdict verdict;
    if (f.videoTracks == 0 || !f.video) {
        verdict.kind = Verdict::Kind::NotVideo;
        verdict.reasons << QString::fromLatin1(kNotAVideo);
        return verdict;
    }
    QStringList& reasons = verdict.reasons;
    if (!contains(p.containers, f.container))
        reasons << containerName(f.container) + QStringLiteral(" container");
    judgeVideo(*f.video, p, reasons);
    if (f.audioTracks == 0 || !f.audio) {
        if (p.needsAudio)
            reasons << QString::fromLatin1(kNoAudio);
    } else {
        judgeAudio(*f.audio, p, reasons);
    }
    if (f.videoTracks > 1)
        reasons << QStringLiteral("%1 video tracks").arg(f.videoTracks);
    if (f.audioTracks > 1)
        reasons << QStringLiteral("%1 audio tracks").arg(f.audioTracks);
    if (f.otherTracks > 0)
        reasons << QStringLiteral("%1 other track%2").arg(f.otherTracks).arg(f.otherTracks > 1 ? "s" : "");
    if (f.fileSize > p.maxFileSize)
        reasons << QStringLiteral("%1 GiB is larger than 4 GiB").arg(number(std::floor(f.fileSize / 1073741824.0 * 100) / 100));
    if (p.maxBitrate > 0 && f.bitrate > p.maxBitrate)
        reasons << QStringLiteral("%1 kbit/s is more than %2 kbit/s").arg(f.bitrate).arg(p.maxBitrate);
    if (f.fragmented)
        reasons << QStringLiteral("fragmented MP4");
    if (f.cutShort)
        reasons << QStringLiteral("the file is cut short");
    verdict.kind = reasons.isEmpty() ? Verdict::Kind::Plays : Verdict::Kind::WontPlay;
    return verdict;
}

QJsonObject toJson(const std::optional<Facts>& facts, const Verdict& verdict)
{
    QJsonObject o;
    o[QStringLiteral("plays")] = verdict.plays();
    o[QStringLiteral("verdict")] = verdict.kind == Verdict::Kind::Plays ? QStringLiteral("plays")
        : verdict.kind == Verdict::Kind::WontPlay                      ? QStringLiteral("won't play")
        : verdict.kind == Verdict::Kind::NotVideo                      ? QStringLiteral("not a video")
                                                                       : QStringLiteral("can't judge");
    o[QStringLiteral("reasons")] = QJsonArray::fromStringList(verdict.reasons);
    if (!verdict.error.isEmpty())
        o[QStringLiteral("error")] = verdict.error;
    if (!facts)
        return o;
    o[QStringLiteral("container")] = facts->container;
    o[QStringLiteral("size")] = static_cast<double>(facts->fileSize);
    o[QStringLiteral("video_tracks")] = facts->videoTracks;
    o[QStringLiteral("audio_tracks")] = facts->audioTracks;
    o[QStringLiteral("other_tracks")] = facts->otherTracks;
    o[QStringLiteral("fragmented")] = facts->fragmented;
    if (facts->bitrate > 0)
        o[QStringLiteral("bitrate_kbps")] = facts->bitrate;
    auto put = [](QJsonObject& to, const char* key, const QString& text) {
        if (!text.isEmpty())
            to[QLatin1String(key)] = text;
    };
    if (const auto& v = facts->video) {
        QJsonObject j;
        put(j, "codec", v->codec);
        put(j, "profile", v->profile);
        put(j, "level", v->level);
        j[QStringLiteral("width")] = v->width;
        j[QStringLiteral("height")] = v->height;
        if (v->displayAspect > 0)
            j[QStringLiteral("display_aspect")] = v->displayAspect;
        j[QStringLiteral("rotation")] = v->rotation;
        if (v->frameRate > 0)
            j[QStringLiteral("frame_rate")] = v->frameRate;
        if (v->refFrames >= 0)
            j[QStringLiteral("ref_frames")] = v->refFrames;
        if (v->slices > 0)
            j[QStringLiteral("slices")] = v->slices;
        put(j, "entropy", v->entropy);
        if (v->bitDepth > 0)
            j[QStringLiteral("bit_depth")] = v->bitDepth;
        put(j, "chroma", v->chroma);
        o[QStringLiteral("video")] = j;
    }
    if (const auto& a = facts->audio) {
        QJsonObject j;
        put(j, "codec", a->codec);
        put(j, "profile", a->profile);
        if (a->sampleRate > 0)
            j[QStringLiteral("sample_rate")] = a->sampleRate;
        if (a->channels > 0)
            j[QStringLiteral("channels")] = a->channels;
        o[QStringLiteral("audio")] = j;
    }
    return o;
}

} // namespace media
