// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "thumbnail/Thumbnail.h"

#include "avlib/AvLib.h"
#include "avlib/AvOwners.h"
#include "avlib/ByteSource.h"
#include "platform/FileCopy.h"
#include "platform/PathCodec.h"
#include "thumbnail/SampleTables.h"

#include <QDir>
#include <QFile>
#include <QRect>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace thumbnail {
namespace {

// Mean luma (full range) below which a picture counts as black.
constexpr int kBlackLuma = 24;
// Larger pictures are refused before they are decoded.
constexpr int kMaxPixels = 8192 * 4320;
constexpr int kIoBufferSize = 32 * 1024;
// The MP4 family only: the lists show *.mp4, and nothing else is parsed.
constexpr char kFormats[] = "mov,mp4,m4a,3gp,3g2,mj2";
constexpr char kDamaged[] = "The file is damaged: its tables claim more than it holds.";

// Nothing when a library or one of its calls is missing.
const avlib::Ffmpeg* loadFfmpeg()
{
    return avlib::load();
}

using avlib::av;
using avlib::CodecPtr;
using avlib::FramePtr;
using avlib::PacketPtr;
using Source = avlib::StoppableSource;

struct Fail
{
    QString text;
    Failure kind = Failure::Content;
};

// Bytes at an offset for the table check, apart from the demuxer's position.
std::int64_t readAt(const avlib::ByteSource& s, std::int64_t offset, char* buf, std::int64_t want)
{
    want = std::min(want, s.size - offset);
    if (want <= 0)
        return 0;
    if (s.data) {
        std::memcpy(buf, s.data + offset, static_cast<size_t>(want));
        return want;
    }
    std::int64_t done = 0;
    while (done < want) {
        const ssize_t got = ::pread(s.fd, buf + done, static_cast<size_t>(want - done), offset + done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

// The picture area inside 160 x 120 for a display aspect, even-sized and centred.
QRect fitRect(int width, int height, AVRational sar)
{
    double aspect = static_cast<double>(width) / height;
    if (sar.num > 0 && sar.den > 0)
        aspect = aspect * sar.num / sar.den;
    int w = kWidth;
    int h = kHeight;
    if (aspect > static_cast<double>(kWidth) / kHeight)
        h = std::clamp(static_cast<int>(kWidth / aspect + 0.5) & ~1, 2, kHeight);
    else
        w = std::clamp(static_cast<int>(kHeight * aspect + 0.5) & ~1, 2, kWidth);
    return QRect(((kWidth - w) / 2) & ~1, ((kHeight - h) / 2) & ~1, w, h);
}

// Scales a decoded frame into a black 160 x 120 YUVJ420P picture; its mean
// luma over the picture area goes to luma.
FramePtr letterbox(const AVFrame* in, int* luma)
{
    if (in->width <= 0 || in->height <= 0)
        return nullptr;
    FramePtr out(av().av_frame_alloc());
    out->format = AV_PIX_FMT_YUVJ420P;
    out->width = kWidth;
    out->height = kHeight;
    if (av().av_frame_get_buffer(out.get(), 0) < 0)
        return nullptr;
    for (int y = 0; y < kHeight; ++y)
        std::memset(out->data[0] + y * out->linesize[0], 0, kWidth);
    for (int plane = 1; plane < 3; ++plane)
        for (int y = 0; y < kHeight / 2; ++y)
            std::memset(out->data[plane] + y * out->linesize[plane], 128, kWidth / 2);

    const QRect r = fitRect(in->width, in->height, in->sample_aspect_ratio);
    const avlib::SwsPtr sws(
        av().sws_getContext(in->width, in->height, static_cast<AVPixelFormat>(in->format), r.width(), r.height(),
                       AV_PIX_FMT_YUVJ420P, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!sws)
        return nullptr;
    uint8_t* dst[4] = {out->data[0] + r.y() * out->linesize[0] + r.x(),
                       out->data[1] + r.y() / 2 * out->linesize[1] + r.x() / 2,
                       out->data[2] + r.y() / 2 * out->linesize[2] + r.x() / 2, nullptr};
    if (av().sws_scale(sws.get(), in->data, in->linesize, 0, in->height, dst, out->linesize) <= 0)
        return nullptr;
    std::int64_t sum = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            sum += out->data[0][y * out->linesize[0] + x];
    *luma = static_cast<int>(sum / (static_cast<std::int64_t>(r.width()) * r.height()));
    return out;
}

std::optional<QByteArray> encodeJpeg(AVFrame* picture)
{
    const AVCodec* codec = av().avcodec_find_encoder(AV_CODEC_ID_MJPEG);
    if (!codec)
        return std::nullopt;
    CodecPtr enc(av().avcodec_alloc_context3(codec));
    enc->width = kWidth;
    enc->height = kHeight;
    enc->pix_fmt = AV_PIX_FMT_YUVJ420P;
    enc->time_base = {1, 25};
    enc->sample_aspect_ratio = {1, 1}; // square pixels; also makes the encoder write the JFIF header
    enc->flags |= AV_CODEC_FLAG_QSCALE | AV_CODEC_FLAG_BITEXACT;
    enc->global_quality = FF_QP2LAMBDA * 3;
    if (av().avcodec_open2(enc.get(), codec, nullptr) < 0)
        return std::nullopt;
    picture->quality = enc->global_quality;
    picture->pts = 0;
    if (av().avcodec_send_frame(enc.get(), picture) < 0 || av().avcodec_send_frame(enc.get(), nullptr) < 0)
        return std::nullopt;
    const PacketPtr packet(av().av_packet_alloc());
    if (av().avcodec_receive_packet(enc.get(), packet.get()) < 0)
        return std::nullopt;
    return QByteArray(reinterpret_cast<const char*>(packet->data), packet->size);
}

// The whole decode over one source; the caller owns the source.
std::optional<QByteArray> decode(Source& source, const Limits& limits, Fail& fail)
{
    // FFmpeg believes the tables' entry counts while it reads the header, where
    // neither the time limit nor anything else stops it.
    switch (checkSampleTables([&](std::int64_t at, char* buf, std::int64_t n) { return readAt(source.file, at, buf, n); },
                              source.file.size)) {
    case TableCheck::Fits: break;
    case TableCheck::TooLarge:
        fail = {QString::fromLatin1(kDamaged)};
        return std::nullopt;
    case TableCheck::ReadFailed:
        fail = {QStringLiteral("The file could not be read."), Failure::Passing};
        return std::nullopt;
    }
    if (!loadFfmpeg()) {
        fail = {QStringLiteral("FFmpeg's libraries could not be loaded."), Failure::Passing};
        return std::nullopt;
    }
    const auto timedOut = [&] {
        fail = {QStringLiteral("Making the picture took too long."), Failure::Passing};
        return std::nullopt;
    };

    const avlib::IoPtr io = source.makeIo(kIoBufferSize);
    AVFormatContext* raw = io ? av().avformat_alloc_context() : nullptr;
    if (!raw) {
        fail = {QStringLiteral("Out of memory."), Failure::Passing};
        return std::nullopt;
    }
    raw->pb = io.get();
    raw->flags |= AVFMT_FLAG_CUSTOM_IO;
    raw->interrupt_callback = source.interrupter();
    raw->format_whitelist = av().av_strdup(kFormats);
    const int opened = av().avformat_open_input(&raw, nullptr, nullptr, nullptr);
    if (opened < 0) {
        if (source.file.readErrno != 0)
            fail = {QStringLiteral("The file could not be read."), Failure::Passing};
        else if (source.timedOut())
            return timedOut();
        else if (opened == AVERROR(ENOMEM)) // nearly always a count past kMaxAlloc
            fail = {QString::fromLatin1(kDamaged)};
        else
            fail = {QStringLiteral("The file is not an MP4 video.")};
        return std::nullopt;
    }
    const avlib::FormatPtr format(raw);
    if (av().avformat_find_stream_info(format.get(), nullptr) < 0 && source.timedOut())
        return timedOut();
    const int index = av().av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0) {
        fail = {QStringLiteral("The file holds no video.")};
        return std::nullopt;
    }
    AVStream* stream = format->streams[index];
    const AVCodec* codec = av().avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) {
        fail = {QStringLiteral("The video's format is not supported.")};
        return std::nullopt;
    }
    CodecPtr dec(av().avcodec_alloc_context3(codec));
    if (!dec || av().avcodec_parameters_to_context(dec.get(), stream->codecpar) < 0) {
        fail = {QStringLiteral("The video's format is not supported.")};
        return std::nullopt;
    }
    dec->thread_count = 1; // a list fill may run two of these beside the window
    dec->max_pixels = kMaxPixels;
    dec->skip_frame = AVDISCARD_NONKEY;
    if (av().avcodec_open2(dec.get(), codec, nullptr) < 0) {
        fail = {QStringLiteral("The video's format is not supported.")};
        return std::nullopt;
    }
    // Only the video's key frames are read at all.
    for (unsigned i = 0; i < format->nb_streams; ++i)
        format->streams[i]->discard = static_cast<int>(i) == index ? AVDISCARD_NONKEY : AVDISCARD_ALL;

    // A tenth into the video; with no length known, the first key frame.
    std::int64_t target = AV_NOPTS_VALUE;
    std::int64_t duration = stream->duration;
    AVRational base = stream->time_base;
    if (duration <= 0 && format->duration > 0) {
        duration = format->duration;
        base = AVRational{1, AV_TIME_BASE};
    }
    if (duration > 0 && base.num > 0 && base.den > 0) {
        target = av().av_rescale_q(duration / 10, base, stream->time_base);
        if (stream->start_time != AV_NOPTS_VALUE)
            target += stream->start_time;
        if (av().av_seek_frame(format.get(), index, target, AVSEEK_FLAG_BACKWARD) < 0)
            av().av_seek_frame(format.get(), index, INT64_MIN, AVSEEK_FLAG_BACKWARD);
    }

    const PacketPtr packet(av().av_packet_alloc());
    const FramePtr frame(av().av_frame_alloc());
    FramePtr best;
    FramePtr early; // the last picture before the target, for a video that ends first
    int bestLuma = -1;
    int earlyLuma = -1;
    int tries = 0;
    int packets = 0;
    int frames = 0;
    bool done = false;
    bool ended = false;
    const auto take = [&]() {
        // Pictures waiting in the decoder.
        for (;;) {
            const int got = av().avcodec_receive_frame(dec.get(), frame.get());
            if (got < 0)
                return;
            if (++frames > limits.maxFrames) {
                done = true;
                return;
            }
            const std::int64_t pts = frame->best_effort_timestamp;
            int luma = 0;
            FramePtr picture = letterbox(frame.get(), &luma);
            av().av_frame_unref(frame.get());
            if (!picture)
                continue;
            if (target != AV_NOPTS_VALUE && pts != AV_NOPTS_VALUE && pts < target) {
                early = std::move(picture);
                earlyLuma = luma;
                continue;
            }
            ++tries;
            if (luma > bestLuma) {
                best = std::move(picture);
                bestLuma = luma;
            }
            if (bestLuma >= kBlackLuma || tries >= limits.maxTries) {
                done = true;
                return;
            }
        }
    };
    while (!done && !ended) {
        if (source.timedOut())
            return timedOut();
        const int read = av().av_read_frame(format.get(), packet.get());
        if (read < 0) {
            if (read == AVERROR_EXIT)
                return timedOut();
            ended = true;
            av().avcodec_send_packet(dec.get(), nullptr);
        } else {
            const bool ours = packet->stream_index == index;
            if (ours && ++packets > limits.maxPackets)
                ended = true;
            else if (ours)
                av().avcodec_send_packet(dec.get(), packet.get());
            av().av_packet_unref(packet.get());
            if (ended)
                av().avcodec_send_packet(dec.get(), nullptr);
        }
        take();
    }
    if (!best || (early && bestLuma < kBlackLuma && earlyLuma > bestLuma))
        best = std::move(early);
    if (!best) {
        if (source.file.readErrno != 0)
            fail = {QStringLiteral("The file could not be read."), Failure::Passing};
        else
            fail = {QStringLiteral("No picture could be decoded from the video.")};
        return std::nullopt;
    }
    auto jpeg = encodeJpeg(best.get());
    if (!jpeg)
        fail = {QStringLiteral("The picture could not be encoded."), Failure::Passing};
    return jpeg;
}

std::optional<QByteArray> finish(std::optional<QByteArray> jpeg, const Fail& fail, QString* error, Failure* failure)
{
    if (error)
        *error = jpeg ? QString() : fail.text;
    if (failure)
        *failure = jpeg ? Failure::None : fail.kind;
    return jpeg;
}

} // namespace

std::optional<QByteArray> makeThumbnail(const QString& video, QString* error, const Limits& limits, Failure* failure)
{
    Fail fail;
    const QByteArray name = platform::encodePath(video);
    // Non-blocking, so that a named pipe can't hold the worker.
    const int fd = name.isEmpty() ? -1 : ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        fail = {QStringLiteral("The file could not be opened: %1.").arg(QString::fromLocal8Bit(std::strerror(errno))),
                Failure::Passing};
        return finish(std::nullopt, fail, error, failure);
    }
    Source source;
    source.file.fd = fd;
    struct stat info {};
    std::optional<QByteArray> jpeg;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        fail = {QStringLiteral("The file is not an MP4 video.")};
    } else {
        source.file.size = info.st_size;
        source.deadline = Source::Clock::now() + limits.timeLimit;
        jpeg = decode(source, limits, fail);
    }
    return finish(std::move(jpeg), fail, error, failure);
}

std::optional<QByteArray> makeThumbnailFromBytes(const QByteArray& video, QString* error, const Limits& limits,
                                                 Failure* failure)
{
    Fail fail;
    Source source;
    source.file.data = video.constData();
    source.file.size = video.size();
    source.deadline = Source::Clock::now() + limits.timeLimit;
    auto jpeg = decode(source, limits, fail);
    return finish(std::move(jpeg), fail, error, failure);
}

bool writeJpeg(const QByteArray& jpeg, const QString& out, bool replace, QString* error)
{
    // The bytes go through the copy routine, which owns the temporary-sync-rename steps.
    QTemporaryFile staging(QDir::tempPath() + QStringLiteral("/reelkeeper-thumbnail-XXXXXX.jpg"));
    if (!staging.open() || staging.write(jpeg) != jpeg.size() || !staging.flush()) {
        if (error)
            *error = staging.errorString();
        return false;
    }
    const platform::CopyResult copied = platform::fileOps().copyFile(staging.fileName(), out, !replace);
    if (copied.ok())
        return true;
    if (error) {
        *error = copied.status == platform::CopyStatus::TargetExists
            ? QStringLiteral("The file exists already.")
            : QString::fromLocal8Bit(std::strerror(copied.error));
    }
    return false;
}

bool writeThumbnail(const QString& video, const QString& out, QString* error, bool replace)
{
    const std::optional<QByteArray> jpeg = makeThumbnail(video, error);
    return jpeg && writeJpeg(*jpeg, out, replace, error);
}

} // namespace thumbnail
