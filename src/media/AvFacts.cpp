// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The facts of containers other than MP4 through libavformat: headers and a
// stream-info probe capped in bytes and time, over the file's descriptor (no
// protocol, so no playlist or reference inside a file opens anything else).
#include "media/AvFacts.h"

#include "avlib/AvLib.h"
#include "avlib/AvOwners.h"
#include "avlib/ByteSource.h"
#include "media/Codecs.h"
#include "media/OpenFile.h"
#include "platform/PathCodec.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace media::av {
namespace {

using avlib::av;

constexpr int kIoBufferSize = 32 * 1024;
constexpr std::int64_t kProbeBytes = 2 << 20;      // what the stream-info probe may read
constexpr std::int64_t kAnalyzeMicroseconds = 2000000;
constexpr std::chrono::milliseconds kTimeLimit{2000};
// Demuxers of the video files the lists show; nothing else is tried.
constexpr char kFormats[] = "matroska,webm,avi,mov,mp4,m4a,3gp,3g2,mj2,mpeg,mpegts,mpegvideo,asf,flv,ogg,h264,hevc,m4v";

QString videoCodec(AVCodecID id)
{
    switch (id) {
    case AV_CODEC_ID_H264: return QStringLiteral("H.264");
    case AV_CODEC_ID_HEVC: return QStringLiteral("HEVC");
    case AV_CODEC_ID_MPEG4: return QStringLiteral("MPEG-4 Part 2");
    case AV_CODEC_ID_MSMPEG4V3: return QStringLiteral("MS MPEG-4 v3");
    case AV_CODEC_ID_VP9: return QStringLiteral("VP9");
    case AV_CODEC_ID_VP8: return QStringLiteral("VP8");
    case AV_CODEC_ID_AV1: return QStringLiteral("AV1");
    case AV_CODEC_ID_MPEG1VIDEO: return QStringLiteral("MPEG-1");
    case AV_CODEC_ID_MPEG2VIDEO: return QStringLiteral("MPEG-2");
    case AV_CODEC_ID_WMV1: case AV_CODEC_ID_WMV2: case AV_CODEC_ID_WMV3: return QStringLiteral("WMV");
    case AV_CODEC_ID_VC1: return QStringLiteral("VC-1");
    case AV_CODEC_ID_FLV1: return QStringLiteral("Sorenson Spark");
    case AV_CODEC_ID_H263: return QStringLiteral("H.263");
    case AV_CODEC_ID_THEORA: return QStringLiteral("Theora");
    case AV_CODEC_ID_MJPEG: return QStringLiteral("Motion JPEG");
    default: return QStringLiteral("codec %1").arg(static_cast<int>(id));
    }
}

QString audioCodec(AVCodecID id)
{
    switch (id) {
    case AV_CODEC_ID_AAC: return QStringLiteral("AAC");
    case AV_CODEC_ID_MP3: return QStringLiteral("MP3");
    case AV_CODEC_ID_MP2: return QStringLiteral("MP2");
    case AV_CODEC_ID_AC3: return QStringLiteral("AC-3");
    case AV_CODEC_ID_EAC3: return QStringLiteral("E-AC-3");
    case AV_CODEC_ID_DTS: return QStringLiteral("DTS");
    case AV_CODEC_ID_OPUS: return QStringLiteral("Opus");
    case AV_CODEC_ID_VORBIS: return QStringLiteral("Vorbis");
    case AV_CODEC_ID_FLAC: return QStringLiteral("FLAC");
    case AV_CODEC_ID_WMAV1: case AV_CODEC_ID_WMAV2: case AV_CODEC_ID_WMAPRO: return QStringLiteral("WMA");
    default:
        if (id >= AV_CODEC_ID_PCM_S16LE && id < AV_CODEC_ID_ADPCM_IMA_QT)
            return QStringLiteral("PCM");
        return QStringLiteral("codec %1").arg(static_cast<int>(id));
    }
}

void readPixelFormat(int format, VideoFacts& v)
{
    switch (format) {
    case AV_PIX_FMT_YUV420P: case AV_PIX_FMT_YUVJ420P: case AV_PIX_FMT_NV12: v.bitDepth = 8; v.chroma = QStringLiteral("4:2:0"); break;
    case AV_PIX_FMT_YUV422P: case AV_PIX_FMT_YUVJ422P: v.bitDepth = 8; v.chroma = QStringLiteral("4:2:2"); break;
    case AV_PIX_FMT_YUV444P: case AV_PIX_FMT_YUVJ444P: v.bitDepth = 8; v.chroma = QStringLiteral("4:4:4"); break;
    case AV_PIX_FMT_YUV420P10LE: case AV_PIX_FMT_YUV420P10BE: v.bitDepth = 10; v.chroma = QStringLiteral("4:2:0"); break;
    case AV_PIX_FMT_YUV422P10LE: case AV_PIX_FMT_YUV422P10BE: v.bitDepth = 10; v.chroma = QStringLiteral("4:2:2"); break;
    case AV_PIX_FMT_YUV444P10LE: case AV_PIX_FMT_YUV444P10BE: v.bitDepth = 10; v.chroma = QStringLiteral("4:4:4"); break;
    case AV_PIX_FMT_YUV420P12LE: case AV_PIX_FMT_YUV420P12BE: v.bitDepth = 12; v.chroma = QStringLiteral("4:2:0"); break;
    default: break;
    }
}

VideoFacts videoFacts(const AVStream* st)
{
    const AVCodecParameters* p = st->codecpar;
    VideoFacts v;
    v.codec = videoCodec(p->codec_id);
    v.width = p->width;
    v.height = p->height;
    readPixelFormat(p->format, v);
    const QByteArray extra = p->extradata ? QByteArray(reinterpret_cast<const char*>(p->extradata), p->extradata_size) : QByteArray();
    if (p->codec_id == AV_CODEC_ID_H264 && !extra.isEmpty() && extra[0] == 1) {
        codecs::readAvcConfig(extra, v);
    } else if (p->codec_id == AV_CODEC_ID_MPEG4) {
        codecs::readEsVideo(codecs::EsConfig{0x20, extra}, v);
        // Without a sequence header in the extradata, the decoder's reading of the profile.
        if (v.profile.isEmpty() && p->profile == FF_PROFILE_MPEG4_ADVANCED_SIMPLE)
            v.profile = QStringLiteral("Advanced Simple");
        else if (v.profile.isEmpty() && p->profile == FF_PROFILE_MPEG4_SIMPLE)
            v.profile = QStringLiteral("Simple");
    } else if (p->codec_id == AV_CODEC_ID_H264 && p->profile != FF_PROFILE_UNKNOWN) {
        const int idc = p->profile & 0xFF;
        v.profile = idc == 66 ? QStringLiteral("Baseline") : idc == 77 ? QStringLiteral("Main") : idc == 100 ? QStringLiteral("High")
            : QStringLiteral("profile %1").arg(idc);
        if (p->level > 0)
            v.level = QStringLiteral("%1.%2").arg(p->level / 10).arg(p->level % 10);
    }
    double aspect = p->height > 0 ? static_cast<double>(p->width) / p->height : 0;
    if (p->sample_aspect_ratio.num > 0 && p->sample_aspect_ratio.den > 0)
        aspect = aspect * p->sample_aspect_ratio.num / p->sample_aspect_ratio.den;
    v.displayAspect = std::round(aspect * 1000.0) / 1000.0;
    const AVRational rate = st->avg_frame_rate.num > 0 && st->avg_frame_rate.den > 0 ? st->avg_frame_rate : st->r_frame_rate;
    if (rate.num > 0 && rate.den > 0)
        v.frameRate = std::round(static_cast<double>(rate.num) / rate.den * 1000.0) / 1000.0;
    if (const uint8_t* matrix = av().av_stream_get_side_data(st, AV_PKT_DATA_DISPLAYMATRIX, nullptr)) {
        const double degrees = -av().av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix));
        if (!std::isnan(degrees))
            v.rotation = ((static_cast<int>(std::lround(degrees / 90.0)) % 4) + 4) % 4 * 90;
    }
    return v;
}

AudioFacts audioFacts(const AVStream* st)
{
    const AVCodecParameters* p = st->codecpar;
    AudioFacts a;
    a.codec = audioCodec(p->codec_id);
    a.sampleRate = p->sample_rate;
    a.channels = p->ch_layout.nb_channels;
    if (p->codec_id == AV_CODEC_ID_AAC) {
        switch (p->profile) {
        case FF_PROFILE_AAC_LOW: a.profile = QStringLiteral("LC"); break;
        case FF_PROFILE_AAC_HE: a.profile = QStringLiteral("HE"); break;
        case FF_PROFILE_AAC_HE_V2: a.profile = QStringLiteral("HE v2"); break;
        case FF_PROFILE_AAC_MAIN: a.profile = QStringLiteral("Main"); break;
        case FF_PROFILE_AAC_LTP: a.profile = QStringLiteral("LTP"); break;
        default: break;
        }
    }
    return a;
}

QString containerOf(const char* demuxer, const QString& path)
{
    const QString name = QString::fromLatin1(demuxer).section(u',', 0, 0);
    if (name == QLatin1String("matroska"))
        return path.endsWith(QLatin1String(".webm"), Qt::CaseInsensitive) ? QStringLiteral("webm") : name;
    if (name == QLatin1String("mov"))
        return QStringLiteral("mp4");
    return name;
}

} // namespace

std::optional<Facts> readFile(const QString& path, QString* error)
{
    struct stat st;
    QString opened;
    const int fd = openRegularFile(platform::encodePath(path), st, opened);
    if (fd < 0) {
        if (error)
            *error = opened;
        return std::nullopt;
    }
    avlib::StoppableSource source;
    source.file.fd = fd;
    source.file.size = st.st_size;
    Facts facts;
    facts.fileSize = static_cast<std::uint64_t>(st.st_size);
    if (!avlib::load()) {
        if (error)
            *error = QStringLiteral("FFmpeg's libraries could not be loaded");
        return std::nullopt;
    }
    source.deadline = avlib::StoppableSource::Clock::now() + kTimeLimit;
    const avlib::IoPtr io = source.makeIo(kIoBufferSize);
    AVFormatContext* raw = io ? av().avformat_alloc_context() : nullptr;
    if (!raw) {
        if (error)
            *error = QStringLiteral("out of memory");
        return std::nullopt;
    }
    raw->pb = io.get();
    raw->flags |= AVFMT_FLAG_CUSTOM_IO;
    raw->interrupt_callback = source.interrupter();
    raw->format_whitelist = av().av_strdup(kFormats);
    raw->probesize = kProbeBytes;
    raw->max_analyze_duration = kAnalyzeMicroseconds;
    raw->format_probesize = 1 << 20;
    if (av().avformat_open_input(&raw, nullptr, nullptr, nullptr) < 0) {
        if (source.file.readErrno != 0) {
            if (error)
                *error = QStringLiteral("can't read it: %1").arg(QString::fromLocal8Bit(std::strerror(EIO)));
            return std::nullopt;
        }
        return facts; // no container it knows: no media at all
    }
    const avlib::FormatPtr format(raw);
    av().avformat_find_stream_info(format.get(), nullptr); // what it found before a limit still counts
    facts.container = containerOf(format->iformat->name, path);
    if (format->bit_rate > 0)
        facts.bitrate = static_cast<int>(std::min<std::int64_t>(format->bit_rate / 1000, 1'000'000'000));
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream* s = format->streams[i];
        switch (s->codecpar->codec_type) {
        case AVMEDIA_TYPE_VIDEO:
            if (s->disposition & AV_DISPOSITION_ATTACHED_PIC) {
                ++facts.otherTracks; // cover art
                break;
            }
            if (facts.videoTracks++ == 0)
                facts.video = videoFacts(s);
            break;
        case AVMEDIA_TYPE_AUDIO:
            if (facts.audioTracks++ == 0)
                facts.audio = audioFacts(s);
            break;
        default:
            ++facts.otherTracks;
        }
    }
    return facts;
}

} // namespace media::av
