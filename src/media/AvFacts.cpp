// The facts of containers other than MP4, from libavformat's reading of the
// streams (through the picture maker's FFmpeg loader), named as the MP4 reader
// names them; H.264 and MPEG-4 configuration goes through the same readers.
#include "media/AvFacts.h"

#include "media/Codecs.h"
#include "thumbnail/StreamProbe.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/pixfmt.h>
}

#include <cmath>

namespace media::av {
namespace {

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

VideoFacts videoFacts(const thumbnail::StreamInfo& s)
{
    VideoFacts v;
    const auto id = static_cast<AVCodecID>(s.codecId);
    v.codec = videoCodec(id);
    v.width = s.width;
    v.height = s.height;
    readPixelFormat(s.pixelFormat, v);
    const QByteArray& extra = s.extradata;
    if (id == AV_CODEC_ID_H264 && !extra.isEmpty() && extra[0] == 1) {
        codecs::readAvcConfig(extra, v);
    } else if (id == AV_CODEC_ID_MPEG4) {
        codecs::readEsVideo(codecs::EsConfig{0x20, extra}, v);
        // Without a sequence header in the extradata, the decoder's reading of the profile.
        if (v.profile.isEmpty() && s.profile == FF_PROFILE_MPEG4_ADVANCED_SIMPLE)
            v.profile = QStringLiteral("Advanced Simple");
        else if (v.profile.isEmpty() && s.profile == FF_PROFILE_MPEG4_SIMPLE)
            v.profile = QStringLiteral("Simple");
    } else if (id == AV_CODEC_ID_H264 && s.profile != FF_PROFILE_UNKNOWN) {
        const int idc = s.profile & 0xFF;
        v.profile = idc == 66 ? QStringLiteral("Baseline") : idc == 77 ? QStringLiteral("Main") : idc == 100 ? QStringLiteral("High")
            : QStringLiteral("profile %1").arg(idc);
        if (s.level > 0)
            v.level = QStringLiteral("%1.%2").arg(s.level / 10).arg(s.level % 10);
    }
    double aspect = s.height > 0 ? static_cast<double>(s.width) / s.height : 0;
    if (s.sarNum > 0 && s.sarDen > 0)
        aspect = aspect * s.sarNum / s.sarDen;
    v.displayAspect = std::round(aspect * 1000.0) / 1000.0;
    v.frameRate = std::round(s.frameRate * 1000.0) / 1000.0;
    v.rotation = ((static_cast<int>(std::lround(s.rotation / 90.0)) % 4) + 4) % 4 * 90;
    return v;
}

AudioFacts audioFacts(const thumbnail::StreamInfo& s)
{
    AudioFacts a;
    const auto id = static_cast<AVCodecID>(s.codecId);
    a.codec = audioCodec(id);
    a.sampleRate = s.sampleRate;
    a.channels = s.channels;
    if (id == AV_CODEC_ID_AAC) {
        switch (s.profile) {
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

QString containerOf(const QString& demuxer, const QString& path)
{
    const QString name = demuxer.section(u',', 0, 0);
    if (name == QLatin1String("matroska"))
        return path.endsWith(QLatin1String(".webm"), Qt::CaseInsensitive) ? QStringLiteral("webm") : name;
    if (name == QLatin1String("mov"))
        return QStringLiteral("mp4");
    return name;
}

} // namespace

std::optional<Facts> readFile(const QString& path, QString* error)
{
    const std::optional<thumbnail::StreamProbe> probe = thumbnail::probeStreams(path, error);
    if (!probe)
        return std::nullopt;
    Facts facts;
    facts.container = probe->demuxer.isEmpty() ? QString() : containerOf(probe->demuxer, path);
    for (const thumbnail::StreamInfo& s : probe->streams) {
        if (s.type == thumbnail::StreamInfo::Video && !s.attachedPicture) {
            if (facts.videoTracks++ == 0)
                facts.video = videoFacts(s);
        } else if (s.type == thumbnail::StreamInfo::Audio) {
            if (facts.audioTracks++ == 0)
                facts.audio = audioFacts(s);
        } else {
            ++facts.otherTracks; // subtitles, data, cover art
        }
    }
    return facts;
}

} // namespace media::av
