// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "convert/Convert.h"

#include "avlib/AvLib.h"
#include "avlib/AvOwners.h"
#include "avlib/ByteSource.h"
#include "mp4title/Title.h"
#include "platform/PathCodec.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace convert {
namespace {

using avlib::av;
using avlib::CodecPtr;
using avlib::FramePtr;
using Clock = std::chrono::steady_clock;

constexpr int kIoBufferSize = 64 * 1024;
// The PSP title engine takes at most this many bytes of UTF-8.
constexpr std::size_t kMaxTitleBytes = 255;
// Gaps in the source's timestamps are filled by repeating a picture, up to this
// long; a larger jump (damaged timestamps) is carried over as it is.
constexpr int kMaxGapSeconds = 2;
// Audio that starts after the video gets this much silence in front at most.
constexpr int kMaxLeadSeconds = 10;
constexpr auto kProgressInterval = std::chrono::milliseconds(33);


std::string averror(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av().av_strerror(code, text, sizeof text);
    return text;
}

// Playlists and their kind would open further files or URLs named inside the input.
int refuseNestedOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**)
{
    return AVERROR(EPERM);
}

// The output: the caller's descriptor, written by position.
struct Output
{
    int fd = -1;
    std::int64_t pos = 0;
    std::int64_t end = 0;
    std::int64_t limit = 0;
    int errnum = 0;
    bool tooLarge = false;
};

int writeOutput(void* opaque, uint8_t* buf, int size)
{
    auto* out = static_cast<Output*>(opaque);
    if (out->errnum || out->tooLarge)
        return AVERROR(EIO);
    if (size > out->limit - out->pos) {
        out->tooLarge = true;
        return AVERROR(EFBIG);
    }
    std::int64_t done = 0;
    while (done < size) {
        const ssize_t put = ::pwrite(out->fd, buf + done, static_cast<size_t>(size - done), out->pos + done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            out->errnum = put < 0 ? errno : EIO;
            return AVERROR(out->errnum);
        }
        done += put;
    }
    out->pos += size;
    out->end = std::max(out->end, out->pos);
    return size;
}

int64_t seekOutput(void* opaque, int64_t offset, int whence)
{
    auto* out = static_cast<Output*>(opaque);
    if (whence & AVSEEK_SIZE)
        return out->end;
    std::int64_t base = 0;
    switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = out->pos; break;
    case SEEK_END: base = out->end; break;
    default: return AVERROR(EINVAL);
    }
    if (offset > INT64_MAX - base || base + offset < 0)
        return AVERROR(EINVAL);
    out->pos = base + offset;
    return out->pos;
}

// "key=value key=value" into a dictionary.
AVDictionary* options(std::string_view words)
{
    AVDictionary* dict = nullptr;
    while (!words.empty()) {
        const std::size_t space = words.find(' ');
        const std::string_view word = words.substr(0, space);
        words = space == std::string_view::npos ? std::string_view() : words.substr(space + 1);
        const std::size_t eq = word.find('=');
        if (word.empty() || eq == std::string_view::npos)
            continue;
        av().av_dict_set(&dict, std::string(word.substr(0, eq)).c_str(), std::string(word.substr(eq + 1)).c_str(), 0);
    }
    return dict;
}

std::string truncatedUtf8(std::string text, std::size_t max)
{
    if (text.size() <= max)
        return text;
    std::size_t cut = max;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    text.resize(cut);
    return text;
}

int defaultThreads()
{
    return std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 2, 4);
}

// Clockwise quarter turns that the display matrix asks for (0..3).
int quarterTurns(const AVStream* stream)
{
    std::size_t size = 0;
    const uint8_t* data = av().av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (!data || size < 9 * sizeof(int32_t))
        return 0;
    int32_t matrix[9];
    std::memcpy(matrix, data, sizeof matrix);
    const double angle = av().av_display_rotation_get(matrix); // counter-clockwise degrees
    if (!std::isfinite(angle))
        return 0;
    const long clockwise = std::lround(-angle / 90.0);
    return static_cast<int>(((clockwise % 4) + 4) % 4);
}

// Damaged timestamps may be anywhere in 64 bits; differences of clamped ones can't overflow.
std::int64_t clampTime(std::int64_t us)
{
    return std::clamp<std::int64_t>(us, -(std::int64_t{1} << 60), std::int64_t{1} << 60);
}

bool sameLayout(const AVChannelLayout& a, const AVChannelLayout& b)
{
    if (a.order != b.order || a.nb_channels != b.nb_channels)
        return false;
    // A custom order's map is taken as different: the resampler is only made again.
    return a.order == AV_CHANNEL_ORDER_NATIVE || a.order == AV_CHANNEL_ORDER_AMBISONIC ? a.u.mask == b.u.mask
                                                                                      : a.order == AV_CHANNEL_ORDER_UNSPEC;
}

struct Fail
{
    Error error = Error::None;
    int errnum = 0;
    std::string detail;
};

// One conversion, start to end.
class Job
{
public:
    Job(const ConvertRequest& request, const std::atomic<bool>& cancel, const ProgressFn& progress)
        : m_request(request)
        , m_profile(request.profile ? *request.profile : defaultProfile())
        , m_cancel(cancel)
        , m_progress(progress)
        , m_threads(request.threads > 0 ? request.threads : defaultThreads())
    {
    }

    ~Job()
    {
        if (m_swrLayout.nb_channels > 0)
            av().av_channel_layout_uninit(&m_swrLayout);
    }

    ConvertResult run();
    std::optional<std::string> containerTitle()
    {
        if (!openInput())
            return std::nullopt;
        const AVDictionaryEntry* entry = av().av_dict_get(m_in->metadata, "title", nullptr, 0);
        if (!entry || !entry->value)
            return std::nullopt;
        return std::string(entry->value);
    }

private:
    bool fail(Error error, std::string detail, int errnum = 0)
    {
        if (m_fail.error == Error::None)
            m_fail = {error, errnum, std::move(detail)};
        return false;
    }
    bool stopped()
    {
        if (m_cancel.load(std::memory_order_relaxed))
            return true;
        if (m_input.timedOut())
            return fail(Error::TimedOut, "time limit reached") || true;
        return false;
    }
    // A failure of the muxer's writes is told by the output, not by FFmpeg's code.
    bool writeFailed(int code, const char* what)
    {
        if (m_output.tooLarge)
            return fail(Error::TooLarge, "output over " + std::to_string(m_request.limits.maxOutputBytes) + " bytes");
        if (m_output.errnum)
            return fail(Error::Write, std::string(what) + ": " + std::strerror(m_output.errnum), m_output.errnum);
        return fail(Error::Encode, std::string(what) + ": " + averror(code));
    }

    bool openInput();
    bool openDecoders();
    bool openEncoders();
    bool makeEncoder(std::string_view name, avlib::CodecPtr& into);
    bool openEncoder(AVCodecContext* encoder, std::string_view words, const char* what);
    bool openOutput();
    bool pump();
    // Sends a packet (null: the end) and hands every frame it gives to take.
    bool decode(AVCodecContext* decoder, const AVPacket* packet, const char* what, bool (Job::*take)(AVFrame*));
    bool decodeVideo(const AVPacket* packet) { return decode(m_videoDec.get(), packet, "video decoder", &Job::takeVideoFrame); }
    bool decodeAudio(const AVPacket* packet) { return decode(m_audioDec.get(), packet, "audio decoder", &Job::takeAudioFrame); }
    bool takeVideoFrame(AVFrame* frame);
    bool picture(AVFrame* frame);
    bool sendVideo(AVFrame* frame, std::int64_t slot);
    bool takeAudioFrame(AVFrame* frame);
    bool feedAudio(bool flush);
    bool silenceUntil(std::int64_t samples);
    bool drain(AVCodecContext* encoder, AVStream* stream);
    bool finish();
    void report(bool force);

    const ConvertRequest& m_request;
    const Profile& m_profile;
    const std::atomic<bool>& m_cancel;
    const ProgressFn& m_progress;
    const int m_threads;
    Fail m_fail;

    avlib::StoppableSource m_input; // the input file, read by position, interruptible
    avlib::IoPtr m_inIo;
    avlib::FormatPtr m_in;
    int m_videoIndex = -1;
    int m_audioIndex = -1;
    CodecPtr m_videoDec;
    CodecPtr m_audioDec;
    int m_turns = 0;
    AVRational m_rate{30000, 1001};
    std::int64_t m_startUs = AV_NOPTS_VALUE;
    std::int64_t m_durationUs = 0;

    Output m_output;
    avlib::IoPtr m_outIo;
    avlib::OutputPtr m_out;
    AVStream* m_videoStream = nullptr;
    AVStream* m_audioStream = nullptr;
    CodecPtr m_videoEnc;
    CodecPtr m_audioEnc;
    int m_frameWidth = 0;
    int m_frameHeight = 0;

    // Video: the picture area inside the frame, the scaler for the current source shape.
    avlib::SwsPtr m_sws;
    int m_swsWidth = 0;
    int m_swsHeight = 0;
    int m_swsFormat = -1;
    FramePtr m_turned; // the scaled picture before it is turned
    FramePtr m_last;   // the last picture sent, repeated to fill gaps
    std::int64_t m_nextSlot = 0;
    std::int64_t m_skippedUs = 0; // media time taken out of forward jumps
    std::int64_t m_framesOut = 0;

    // Audio: the resampler for the current source format, the queue before the encoder.
    avlib::SwrPtr m_swr;
    AVChannelLayout m_swrLayout{};
    int m_swrFormat = -1;
    int m_swrRate = 0;
    avlib::FifoPtr m_fifo;
    std::int64_t m_samplesQueued = 0; // samples put into the queue so far, silence included
    std::int64_t m_samplesOut = 0;    // samples sent to the encoder
    bool m_audioStarted = false;

    avlib::PacketPtr m_packet;
    FramePtr m_frame;
    Clock::time_point m_lastReport;
    std::int64_t m_doneUs = 0;
};

bool Job::openInput()
{
    const QByteArray name = platform::encodePath(m_request.input);
    // Non-blocking, so that a named pipe can't hold the conversion.
    m_input.file.fd = name.isEmpty() ? -1 : ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (m_input.file.fd < 0)
        return fail(Error::Open, std::string("open: ") + std::strerror(errno), errno);
    struct stat info {};
    if (::fstat(m_input.file.fd, &info) != 0)
        return fail(Error::Open, std::string("stat: ") + std::strerror(errno), errno);
    if (!S_ISREG(info.st_mode))
        return fail(Error::Open, "not a regular file");
    m_input.file.size = info.st_size;
    m_input.cancel = &m_cancel;
    if (m_request.limits.timeLimit.count() > 0)
        m_input.deadline = Clock::now() + m_request.limits.timeLimit;

    m_inIo = m_input.makeIo(kIoBufferSize);
    if (!m_inIo)
        return fail(Error::Open, "out of memory", ENOMEM);
    AVFormatContext* raw = av().avformat_alloc_context();
    if (!raw)
        return fail(Error::Open, "out of memory", ENOMEM);
    raw->pb = m_inIo.get();
    raw->flags |= AVFMT_FLAG_CUSTOM_IO;
    raw->interrupt_callback = m_input.interrupter();
    raw->io_open = &refuseNestedOpen;
    const int opened = av().avformat_open_input(&raw, nullptr, nullptr, nullptr);
    if (opened < 0) {
        if (m_cancel.load() || stopped())
            return false;
        if (m_input.file.readErrno)
            return fail(Error::Open, std::string("read: ") + std::strerror(m_input.file.readErrno), m_input.file.readErrno);
        return fail(Error::Open, "container: " + averror(opened));
    }
    m_in.reset(raw);
    const int found = av().avformat_find_stream_info(m_in.get(), nullptr);
    if (m_cancel.load() || stopped())
        return false;
    if (found < 0 && m_input.file.readErrno)
        return fail(Error::Open, std::string("read: ") + std::strerror(m_input.file.readErrno), m_input.file.readErrno);
    return true;
}

bool Job::openDecoders()
{
    // The default stream of each kind, else FFmpeg's best; never a cover picture.
    for (unsigned i = 0; i < m_in->nb_streams; ++i) {
        const AVStream* s = m_in->streams[i];
        if (!(s->disposition & AV_DISPOSITION_DEFAULT))
            continue;
        if (m_videoIndex < 0 && s->codecpar->codec_type == AVMEDIA_TYPE_VIDEO
            && !(s->disposition & AV_DISPOSITION_ATTACHED_PIC))
            m_videoIndex = static_cast<int>(i);
        if (m_audioIndex < 0 && s->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
            m_audioIndex = static_cast<int>(i);
    }
    if (m_videoIndex < 0) {
        const int best = av().av_find_best_stream(m_in.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        if (best >= 0 && !(m_in->streams[best]->disposition & AV_DISPOSITION_ATTACHED_PIC))
            m_videoIndex = best;
    }
    if (m_videoIndex < 0)
        return fail(Error::NoVideo, "no video stream");
    if (m_audioIndex < 0)
        m_audioIndex = std::max(-1, av().av_find_best_stream(m_in.get(), AVMEDIA_TYPE_AUDIO, -1, m_videoIndex, nullptr, 0));

    AVStream* video = m_in->streams[m_videoIndex];
    const AVCodecParameters* par = video->codecpar;
    if (par->width > m_request.limits.maxWidth || par->height > m_request.limits.maxHeight)
        return fail(Error::Unsupported, "picture " + std::to_string(par->width) + "x" + std::to_string(par->height)
                                            + " over " + std::to_string(m_request.limits.maxWidth) + "x"
                                            + std::to_string(m_request.limits.maxHeight));
    const auto open = [&](AVStream* stream, CodecPtr& dec) -> bool {
        const AVCodec* codec = av().avcodec_find_decoder(stream->codecpar->codec_id);
        if (!codec)
            return false;
        dec.reset(av().avcodec_alloc_context3(codec));
        if (!dec || av().avcodec_parameters_to_context(dec.get(), stream->codecpar) < 0)
            return false;
        dec->thread_count = m_threads;
        dec->max_pixels = static_cast<int64_t>(m_request.limits.maxWidth) * m_request.limits.maxHeight;
        dec->pkt_timebase = stream->time_base;
        return av().avcodec_open2(dec.get(), codec, nullptr) >= 0;
    };
    if (!open(video, m_videoDec))
        return fail(Error::Unsupported, "no decoder for the video");
    // Audio nobody can decode is dropped: the file gets a silent track instead.
    if (m_audioIndex >= 0 && !open(m_in->streams[m_audioIndex], m_audioDec)) {
        m_audioDec.reset();
        m_audioIndex = -1;
    }
    for (unsigned i = 0; i < m_in->nb_streams; ++i) {
        if (static_cast<int>(i) != m_videoIndex && static_cast<int>(i) != m_audioIndex)
            m_in->streams[i]->discard = AVDISCARD_ALL;
    }
    m_turns = quarterTurns(video);
    if (video->start_time != AV_NOPTS_VALUE)
        m_startUs = clampTime(av().av_rescale_q(video->start_time, video->time_base, AVRational{1, AV_TIME_BASE}));

    // Rates above the profile's are halved while that keeps them at 20 or more
    // (60 -> 30, 50 -> 25), otherwise capped.
    const AVRational top{m_profile.rateNum, m_profile.rateDen};
    AVRational rate = video->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0 || av_q2d(rate) > 1000)
        rate = video->r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0 || av_q2d(rate) > 1000 || av_q2d(rate) < 1)
        rate = top;
    if (m_profile.fixedRate)
        rate = top;
    while (av_cmp_q(rate, top) > 0 && av_q2d(rate) / 2 >= 20)
        rate = rate.num % 2 == 0 ? AVRational{rate.num / 2, rate.den} : AVRational{rate.num, rate.den * 2};
    if (av_cmp_q(rate, top) > 0)
        rate = top;
    m_rate = av_make_q(rate.num, rate.den);
    if (m_in->duration > 0)
        m_durationUs = m_in->duration;
    return true;
}

bool Job::openEncoders()
{
    // The frame shape closer to the source's display shape, in ratio.
    const AVCodecParameters* par = m_in->streams[m_videoIndex]->codecpar;
    m_frameWidth = m_profile.width;
    m_frameHeight = m_profile.height;
    if (m_profile.wideWidth > 0 && par->width > 0 && par->height > 0) {
        double aspect = static_cast<double>(par->width) / par->height;
        const AVRational sar = par->sample_aspect_ratio;
        if (sar.num > 0 && sar.den > 0)
            aspect = aspect * sar.num / sar.den;
        if (m_turns % 2)
            aspect = 1 / aspect;
        const double narrow = std::abs(std::log(aspect * m_profile.height / m_profile.width));
        const double wide = std::abs(std::log(aspect * m_profile.wideHeight / m_profile.wideWidth));
        if (wide < narrow) {
            m_frameWidth = m_profile.wideWidth;
            m_frameHeight = m_profile.wideHeight;
        }
    }

    if (!makeEncoder(m_profile.videoEncoder, m_videoEnc))
        return false;
    AVCodecContext* v = m_videoEnc.get();
    v->width = m_frameWidth;
    v->height = m_frameHeight;
    v->pix_fmt = AV_PIX_FMT_YUV420P;
    v->sample_aspect_ratio = {1, 1};
    v->time_base = av_inv_q(m_rate);
    v->framerate = m_rate;
    v->thread_count = m_threads;
    v->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (!openEncoder(v, m_profile.videoOptions, "video encoder"))
        return false;

    if (!makeEncoder(m_profile.audioEncoder, m_audioEnc))
        return false;
    AVCodecContext* a = m_audioEnc.get();
    a->sample_fmt = AV_SAMPLE_FMT_FLTP;
    a->sample_rate = m_profile.sampleRate;
    av().av_channel_layout_default(&a->ch_layout, m_profile.channels);
    a->time_base = {1, m_profile.sampleRate};
    a->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (!openEncoder(a, m_profile.audioOptions, "audio encoder"))
        return false;
    m_fifo.reset(av().av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, m_profile.channels, std::max(a->frame_size, 1024) * 4));
    if (!m_fifo)
        return fail(Error::Encode, "out of memory", ENOMEM);
    return true;
}

// The encoder of that name, set up in into; a failure when FFmpeg lacks it.
bool Job::makeEncoder(std::string_view name, avlib::CodecPtr& into)
{
    const AVCodec* codec = av().avcodec_find_encoder_by_name(std::string(name).c_str());
    if (!codec)
        return fail(Error::Unsupported, "no encoder " + std::string(name));
    into.reset(av().avcodec_alloc_context3(codec));
    if (!into)
        return fail(Error::Encode, "out of memory", ENOMEM);
    return true;
}

// Opens a set-up encoder with the profile's option words; a word it does not take is Unsupported.
bool Job::openEncoder(AVCodecContext* encoder, std::string_view words, const char* what)
{
    avlib::DictPtr owned(options(words));
    AVDictionary* dict = owned.release();
    const int opened = av().avcodec_open2(encoder, encoder->codec, &dict);
    owned.reset(dict);
    if (opened < 0)
        return fail(Error::Encode, std::string(what) + ": " + averror(opened));
    if (const AVDictionaryEntry* left = av().av_dict_get(dict, "", nullptr, AV_DICT_IGNORE_SUFFIX))
        return fail(Error::Unsupported, std::string(what) + " option " + std::string(left->key));
    return true;
}

bool Job::openOutput()
{
    AVFormatContext* raw = nullptr;
    if (av().avformat_alloc_output_context2(&raw, nullptr, "psp", nullptr) < 0 || !raw)
        return fail(Error::Unsupported, "no psp muxer");
    m_out.reset(raw);
    m_output.fd = m_request.outputFd;
    m_output.limit = m_request.limits.maxOutputBytes;
    m_outIo = avlib::makeIo(kIoBufferSize, true, &m_output, nullptr, &writeOutput, &seekOutput);
    if (!m_outIo)
        return fail(Error::Encode, "out of memory", ENOMEM);
    m_out->pb = m_outIo.get();
    m_out->flags |= AVFMT_FLAG_CUSTOM_IO;

    m_videoStream = av().avformat_new_stream(m_out.get(), nullptr);
    m_audioStream = av().avformat_new_stream(m_out.get(), nullptr);
    if (!m_videoStream || !m_audioStream
        || av().avcodec_parameters_from_context(m_videoStream->codecpar, m_videoEnc.get()) < 0
        || av().avcodec_parameters_from_context(m_audioStream->codecpar, m_audioEnc.get()) < 0)
        return fail(Error::Encode, "out of memory", ENOMEM);
    m_videoStream->time_base = m_videoEnc->time_base;
    m_videoStream->avg_frame_rate = m_rate;
    m_audioStream->time_base = m_audioEnc->time_base;
    // The psp muxer writes the title as the PSP's own USMT title atom.
    const std::string title = truncatedUtf8(m_request.title.toStdString(), kMaxTitleBytes);
    if (!title.empty())
        av().av_dict_set(&m_out->metadata, "title", title.c_str(), 0);
    const int written = av().avformat_write_header(m_out.get(), nullptr);
    if (written < 0)
        return writeFailed(written, "header");
    return true;
}

bool Job::drain(AVCodecContext* encoder, AVStream* stream)
{
    for (;;) {
        const int got = av().avcodec_receive_packet(encoder, m_packet.get());
        if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
            return true;
        if (got < 0)
            return fail(Error::Encode, "encode: " + averror(got));
        av().av_packet_rescale_ts(m_packet.get(), encoder->time_base, stream->time_base);
        m_packet->stream_index = stream->index;
        const int written = av().av_interleaved_write_frame(m_out.get(), m_packet.get());
        if (written < 0)
            return writeFailed(written, "write");
    }
}

// Scales (and turns) a decoded picture into a new frame of the profile's size, black around it.
bool Job::picture(AVFrame* in)
{
    if (in->width <= 0 || in->height <= 0)
        return true;
    if (in->width > m_request.limits.maxWidth || in->height > m_request.limits.maxHeight)
        return fail(Error::Unsupported, "picture over the limits");
    // The picture area: the display shape fitted into the frame, even-sized and centred.
    double aspect = static_cast<double>(in->width) / in->height;
    if (in->sample_aspect_ratio.num > 0 && in->sample_aspect_ratio.den > 0)
        aspect = aspect * in->sample_aspect_ratio.num / in->sample_aspect_ratio.den;
    if (m_turns % 2)
        aspect = 1 / aspect;
    int w = m_frameWidth;
    int h = m_frameHeight;
    if (aspect > static_cast<double>(w) / h)
        h = std::clamp(static_cast<int>(std::lround(w / aspect)) & ~1, 2, m_frameHeight);
    else
        w = std::clamp(static_cast<int>(std::lround(h * aspect)) & ~1, 2, m_frameWidth);
    const int x = ((m_frameWidth - w) / 2) & ~1;
    const int y = ((m_frameHeight - h) / 2) & ~1;
    // Scaled in the source's orientation, turned afterwards.
    const int sw = m_turns % 2 ? h : w;
    const int sh = m_turns % 2 ? w : h;
    if (!m_sws || in->width != m_swsWidth || in->height != m_swsHeight || in->format != m_swsFormat) {
        m_sws.reset(av().sws_getContext(in->width, in->height, static_cast<AVPixelFormat>(in->format), sw, sh,
                                        AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr));
        if (!m_sws)
            return fail(Error::Unsupported, "no scaler for the picture");
        m_swsWidth = in->width;
        m_swsHeight = in->height;
        m_swsFormat = in->format;
        m_turned.reset();
    }
    FramePtr out(av().av_frame_alloc());
    if (!out)
        return fail(Error::Encode, "out of memory", ENOMEM);
    out->format = AV_PIX_FMT_YUV420P;
    out->width = m_frameWidth;
    out->height = m_frameHeight;
    if (av().av_frame_get_buffer(out.get(), 0) < 0)
        return fail(Error::Encode, "out of memory", ENOMEM);
    const ptrdiff_t lines[4] = {out->linesize[0], out->linesize[1], out->linesize[2], 0};
    av().av_image_fill_black(out->data, lines, AV_PIX_FMT_YUV420P, AVCOL_RANGE_MPEG, m_frameWidth, m_frameHeight);
    if (m_turns == 0) {
        uint8_t* dst[4] = {out->data[0] + y * out->linesize[0] + x, out->data[1] + y / 2 * out->linesize[1] + x / 2,
                           out->data[2] + y / 2 * out->linesize[2] + x / 2, nullptr};
        if (av().sws_scale(m_sws.get(), in->data, in->linesize, 0, in->height, dst, out->linesize) <= 0)
            return fail(Error::Decode, "scale failed");
    } else {
        if (!m_turned || m_turned->width != sw || m_turned->height != sh) {
            m_turned.reset(av().av_frame_alloc());
            if (!m_turned)
                return fail(Error::Encode, "out of memory", ENOMEM);
            m_turned->format = AV_PIX_FMT_YUV420P;
            m_turned->width = sw;
            m_turned->height = sh;
            if (av().av_frame_get_buffer(m_turned.get(), 0) < 0)
                return fail(Error::Encode, "out of memory", ENOMEM);
        }
        if (av().sws_scale(m_sws.get(), in->data, in->linesize, 0, in->height, m_turned->data, m_turned->linesize) <= 0)
            return fail(Error::Decode, "scale failed");
        for (int plane = 0; plane < 3; ++plane) {
            const int shift = plane ? 1 : 0;
            const int srcW = sw >> shift, srcH = sh >> shift;
            const int dstW = w >> shift, dstH = h >> shift;
            const uint8_t* src = m_turned->data[plane];
            const int srcLine = m_turned->linesize[plane];
            uint8_t* dst = out->data[plane] + (y >> shift) * out->linesize[plane] + (x >> shift);
            const int dstLine = out->linesize[plane];
            for (int row = 0; row < dstH; ++row) {
                for (int col = 0; col < dstW; ++col) {
                    int sx = col, sy = row;
                    if (m_turns == 1) { sx = row; sy = srcH - 1 - col; }      // clockwise
                    else if (m_turns == 2) { sx = srcW - 1 - col; sy = srcH - 1 - row; }
                    else { sx = srcW - 1 - row; sy = col; }                   // counter-clockwise
                    dst[row * dstLine + col] = src[sy * srcLine + sx];
                }
            }
        }
    }
    m_last = std::move(out);
    return true;
}

bool Job::sendVideo(AVFrame* frame, std::int64_t slot)
{
    if (m_request.limits.maxFrames > 0 && m_framesOut >= m_request.limits.maxFrames)
        return fail(Error::TooLarge, "over " + std::to_string(m_request.limits.maxFrames) + " frames");
    // The sound of a file without audio keeps pace with the pictures.
    if (!m_audioDec && !silenceUntil(av().av_rescale_q(slot + 1, av_inv_q(m_rate), AVRational{1, m_profile.sampleRate})))
        return false;
    frame->pts = slot;
    const int sent = av().avcodec_send_frame(m_videoEnc.get(), frame);
    if (sent < 0)
        return fail(Error::Encode, "video encoder: " + averror(sent));
    ++m_framesOut;
    m_nextSlot = slot + 1;
    m_doneUs = av().av_rescale_q(slot + 1, av_inv_q(m_rate), AVRational{1, AV_TIME_BASE});
    report(false);
    return drain(m_videoEnc.get(), m_videoStream);
}

bool Job::takeVideoFrame(AVFrame* frame)
{
    std::int64_t ts = frame->best_effort_timestamp;
    const AVRational base = m_in->streams[m_videoIndex]->time_base;
    std::int64_t slot = m_nextSlot;
    if (ts != AV_NOPTS_VALUE) {
        const std::int64_t us = clampTime(av().av_rescale_q(ts, base, AVRational{1, AV_TIME_BASE}));
        if (m_startUs == AV_NOPTS_VALUE)
            m_startUs = us;
        slot = av().av_rescale_q_rnd(us - m_startUs, AVRational{1, AV_TIME_BASE}, av_inv_q(m_rate),
                                     static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
    } else if (m_startUs == AV_NOPTS_VALUE) {
        m_startUs = 0;
    }
    // A jump either way beyond kMaxGapSeconds (damaged or restarted timestamps)
    // is taken out: the pictures go on from the last one, as the sound does.
    const std::int64_t maxGap = std::max<std::int64_t>(1, std::int64_t{kMaxGapSeconds} * m_rate.num / m_rate.den);
    if (m_last && (slot > m_nextSlot + maxGap || slot < m_nextSlot - maxGap)) {
        const std::int64_t jump = av().av_rescale_q(slot - m_nextSlot, av_inv_q(m_rate), AVRational{1, AV_TIME_BASE});
        m_startUs = clampTime(m_startUs + jump);
        m_skippedUs = clampTime(m_skippedUs + std::max<std::int64_t>(jump, 0));
        slot = m_nextSlot;
    }
    // Pictures before their slot are dropped (a higher source rate); a gap is
    // filled with the last picture.
    if (slot < m_nextSlot && m_last)
        return true;
    slot = std::max(slot, m_nextSlot);
    while (m_last && m_nextSlot < slot) {
        if (stopped() || !sendVideo(m_last.get(), m_nextSlot))
            return false;
    }
    if (!picture(frame))
        return false;
    return sendVideo(m_last.get(), slot);
}

bool Job::decode(AVCodecContext* decoder, const AVPacket* packet, const char* what, bool (Job::*take)(AVFrame*))
{
    const int sent = av().avcodec_send_packet(decoder, packet);
    if (sent < 0 && sent != AVERROR_EOF)
        return fail(Error::Decode, std::string(what) + ": " + averror(sent));
    for (;;) {
        const int got = av().avcodec_receive_frame(decoder, m_frame.get());
        if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
            return true;
        if (got < 0)
            return fail(Error::Decode, std::string(what) + ": " + averror(got));
        const bool ok = (this->*take)(m_frame.get());
        av().av_frame_unref(m_frame.get());
        if (!ok || stopped())
            return false;
    }
}

// Silent samples into the queue up to that many in all.
bool Job::silenceUntil(std::int64_t samples)
{
    while (m_samplesQueued < samples) {
        const int n = static_cast<int>(std::min<std::int64_t>(samples - m_samplesQueued, 4096));
        FramePtr silent(av().av_frame_alloc());
        if (!silent)
            return fail(Error::Encode, "out of memory", ENOMEM);
        silent->format = AV_SAMPLE_FMT_FLTP;
        silent->nb_samples = n;
        av().av_channel_layout_default(&silent->ch_layout, m_profile.channels);
        if (av().av_frame_get_buffer(silent.get(), 0) < 0)
            return fail(Error::Encode, "out of memory", ENOMEM);
        av().av_samples_set_silence(silent->extended_data, 0, n, m_profile.channels, AV_SAMPLE_FMT_FLTP);
        if (av().av_audio_fifo_write(m_fifo.get(), reinterpret_cast<void**>(silent->extended_data), n) < n)
            return fail(Error::Encode, "out of memory", ENOMEM);
        m_samplesQueued += n;
        if (!feedAudio(false) || stopped())
            return false;
    }
    return true;
}

// Whole encoder frames from the queue to the encoder; with flush, the rest too.
bool Job::feedAudio(bool flush)
{
    const int frameSize = m_audioEnc->frame_size > 0 ? m_audioEnc->frame_size : 1024;
    while (av().av_audio_fifo_size(m_fifo.get()) >= frameSize || (flush && av().av_audio_fifo_size(m_fifo.get()) > 0)) {
        const int n = std::min(frameSize, av().av_audio_fifo_size(m_fifo.get()));
        FramePtr frame(av().av_frame_alloc());
        if (!frame)
            return fail(Error::Encode, "out of memory", ENOMEM);
        frame->format = AV_SAMPLE_FMT_FLTP;
        frame->nb_samples = n;
        frame->sample_rate = m_profile.sampleRate;
        av().av_channel_layout_default(&frame->ch_layout, m_profile.channels);
        if (av().av_frame_get_buffer(frame.get(), 0) < 0)
            return fail(Error::Encode, "out of memory", ENOMEM);
        if (av().av_audio_fifo_read(m_fifo.get(), reinterpret_cast<void**>(frame->extended_data), n) < n)
            return fail(Error::Encode, "audio queue");
        frame->pts = m_samplesOut;
        m_samplesOut += n;
        const int sent = av().avcodec_send_frame(m_audioEnc.get(), frame.get());
        if (sent < 0)
            return fail(Error::Encode, "audio encoder: " + averror(sent));
        if (!drain(m_audioEnc.get(), m_audioStream))
            return false;
    }
    return true;
}

bool Job::takeAudioFrame(AVFrame* frame)
{
    if (frame->sample_rate <= 0 || frame->ch_layout.nb_channels <= 0 || frame->nb_samples <= 0)
        return true;
    if (!m_audioStarted) {
        m_audioStarted = true;
        // Audio that starts after the pictures gets silence in front.
        const std::int64_t ts = frame->best_effort_timestamp;
        if (ts != AV_NOPTS_VALUE && m_startUs != AV_NOPTS_VALUE) {
            const std::int64_t us = clampTime(av().av_rescale_q(ts, m_in->streams[m_audioIndex]->time_base, AVRational{1, AV_TIME_BASE}));
            const std::int64_t lead = us - m_startUs;
            if (lead > 0 && lead < std::int64_t{kMaxLeadSeconds} * AV_TIME_BASE
                && !silenceUntil(av().av_rescale_q(lead, AVRational{1, AV_TIME_BASE}, AVRational{1, m_profile.sampleRate})))
                return false;
        }
    }
    const bool changed = !m_swr || frame->format != m_swrFormat || frame->sample_rate != m_swrRate
        || !sameLayout(frame->ch_layout, m_swrLayout);
    if (changed) {
        if (m_swr && !feedAudio(false))
            return false;
        av().av_channel_layout_uninit(&m_swrLayout);
        if (av().av_channel_layout_copy(&m_swrLayout, &frame->ch_layout) < 0)
            return fail(Error::Encode, "out of memory", ENOMEM);
        AVChannelLayout in{};
        if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av().av_channel_layout_default(&in, frame->ch_layout.nb_channels);
        else if (av().av_channel_layout_copy(&in, &frame->ch_layout) < 0)
            return fail(Error::Encode, "out of memory", ENOMEM);
        AVChannelLayout outLayout{};
        av().av_channel_layout_default(&outLayout, m_profile.channels);
        SwrContext* raw = nullptr;
        const int made = av().swr_alloc_set_opts2(&raw, &outLayout, AV_SAMPLE_FMT_FLTP, m_profile.sampleRate, &in,
                                                  static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0, nullptr);
        av().av_channel_layout_uninit(&in);
        av().av_channel_layout_uninit(&outLayout);
        m_swr.reset(raw);
        if (made < 0 || !raw || av().swr_init(raw) < 0) {
            m_swr.reset();
            return fail(Error::Decode, "no resampler for the audio");
        }
        m_swrFormat = frame->format;
        m_swrRate = frame->sample_rate;
    }
    const std::int64_t room = av().swr_get_delay(m_swr.get(), m_profile.sampleRate)
        + av().av_rescale_q(frame->nb_samples, AVRational{1, frame->sample_rate}, AVRational{1, m_profile.sampleRate}) + 32;
    if (room > (1 << 22))
        return fail(Error::Decode, "audio frame too large");
    FramePtr out(av().av_frame_alloc());
    if (!out)
        return fail(Error::Encode, "out of memory", ENOMEM);
    out->format = AV_SAMPLE_FMT_FLTP;
    out->nb_samples = static_cast<int>(room);
    av().av_channel_layout_default(&out->ch_layout, m_profile.channels);
    if (av().av_frame_get_buffer(out.get(), 0) < 0)
        return fail(Error::Encode, "out of memory", ENOMEM);
    const int n = av().swr_convert(m_swr.get(), out->extended_data, out->nb_samples,
                                   const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
    if (n < 0)
        return fail(Error::Decode, "resample: " + averror(n));
    if (n > 0 && av().av_audio_fifo_write(m_fifo.get(), reinterpret_cast<void**>(out->extended_data), n) < n)
        return fail(Error::Encode, "out of memory", ENOMEM);
    m_samplesQueued += n;
    return feedAudio(false);
}

bool Job::pump()
{
    for (;;) {
        if (stopped())
            return false;
        const int read = av().av_read_frame(m_in.get(), m_packet.get());
        if (read == AVERROR_EOF)
            return true;
        if (read < 0) {
            if (stopped())
                return false;
            if (m_input.file.readErrno)
                return fail(Error::Open, std::string("read: ") + std::strerror(m_input.file.readErrno), m_input.file.readErrno);
            return fail(Error::Decode, "demux: " + averror(read));
        }
        bool ok = true;
        if (m_packet->stream_index == m_videoIndex)
            ok = decodeVideo(m_packet.get());
        else if (m_packet->stream_index == m_audioIndex)
            ok = decodeAudio(m_packet.get());
        av().av_packet_unref(m_packet.get());
        if (!ok)
            return false;
    }
}

bool Job::finish()
{
    if (!decodeVideo(nullptr))
        return false;
    if (m_framesOut == 0)
        return fail(Error::Decode, "no picture decoded");
    // A file cut short ends before the length its container declares (the
    // video's own, else the whole file's); lengths FFmpeg guessed from
    // timestamps or the bit rate prove nothing.
    const AVStream* video = m_in->streams[m_videoIndex];
    const std::int64_t declared = m_in->duration_estimation_method != AVFMT_DURATION_FROM_STREAM ? 0
        : video->duration > 0 && video->time_base.num > 0
        ? av().av_rescale_q(video->duration, video->time_base, AVRational{1, AV_TIME_BASE})
        : m_durationUs;
    const std::int64_t covered = m_doneUs + m_skippedUs;
    if (declared > 0 && declared - covered > std::max<std::int64_t>(AV_TIME_BASE, declared / 10))
        return fail(Error::Decode, "ends at " + std::to_string(m_doneUs / 1000) + " ms of "
                                       + std::to_string(declared / 1000) + " ms");
    if (m_audioDec) {
        if (!decodeAudio(nullptr))
            return false;
        if (m_swr) {
            FramePtr out(av().av_frame_alloc());
            if (!out)
                return fail(Error::Encode, "out of memory", ENOMEM);
            out->format = AV_SAMPLE_FMT_FLTP;
            out->nb_samples = static_cast<int>(std::min<std::int64_t>(
                av().swr_get_delay(m_swr.get(), m_profile.sampleRate) + 32, 1 << 20));
            av().av_channel_layout_default(&out->ch_layout, m_profile.channels);
            if (av().av_frame_get_buffer(out.get(), 0) < 0)
                return fail(Error::Encode, "out of memory", ENOMEM);
            const int n = av().swr_convert(m_swr.get(), out->extended_data, out->nb_samples, nullptr, 0);
            if (n > 0 && av().av_audio_fifo_write(m_fifo.get(), reinterpret_cast<void**>(out->extended_data), n) < n)
                return fail(Error::Encode, "out of memory", ENOMEM);
            m_samplesQueued += std::max(n, 0);
        }
    }
    // A track that ends before the pictures is made up to their length with silence.
    const std::int64_t end = av().av_rescale_q(m_nextSlot, av_inv_q(m_rate), AVRational{1, m_profile.sampleRate});
    if (!silenceUntil(end) || !feedAudio(true))
        return false;
    for (AVCodecContext* encoder : {m_videoEnc.get(), m_audioEnc.get()}) {
        const int sent = av().avcodec_send_frame(encoder, nullptr);
        if (sent < 0 && sent != AVERROR_EOF)
            return fail(Error::Encode, "flush: " + averror(sent));
        if (!drain(encoder, encoder == m_videoEnc.get() ? m_videoStream : m_audioStream))
            return false;
    }
    const int trailer = av().av_write_trailer(m_out.get());
    if (trailer < 0 || m_output.errnum || m_output.tooLarge)
        return writeFailed(trailer, "trailer");
    // A descriptor that held more before is cut to what was written.
    struct stat info {};
    if (::fstat(m_output.fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > m_output.end
        && ::ftruncate(m_output.fd, m_output.end) != 0)
        return fail(Error::Write, std::string("truncate: ") + std::strerror(errno), errno);
    return true;
}

void Job::report(bool force)
{
    if (!m_progress)
        return;
    const Clock::time_point now = Clock::now();
    if (!force && now - m_lastReport < kProgressInterval)
        return;
    m_lastReport = now;
    m_progress(m_doneUs, m_durationUs);
}

ConvertResult Job::run()
{
    ConvertResult result;
    if (!avlib::load()) {
        result.error = Error::Library;
        result.detail = "FFmpeg's libraries could not be loaded";
        return result;
    }
    if (m_request.outputFd < 0) {
        result.error = Error::Write;
        result.errnum = EBADF;
        result.detail = "no output";
        return result;
    }
    m_packet.reset(av().av_packet_alloc());
    m_frame.reset(av().av_frame_alloc());
    bool ok = m_packet && m_frame;
    if (!ok)
        fail(Error::Encode, "out of memory", ENOMEM);
    ok = ok && openInput() && openDecoders() && openEncoders() && openOutput() && pump() && finish();
    // On failure the muxer's state goes with its context, and nothing more is
    // written: the file is the caller's to remove.
    if (ok) {
        result.status = Status::Done;
        result.bytes = m_output.end;
        result.durationUs = m_doneUs;
        report(true);
        return result;
    }
    if (m_fail.error == Error::None && m_cancel.load()) {
        result.status = Status::Cancelled;
        result.detail = "cancelled";
        return result;
    }
    result.status = Status::Failed;
    result.error = m_fail.error == Error::None ? Error::Decode : m_fail.error;
    result.errnum = m_fail.errnum;
    result.detail = m_fail.detail;
    return result;
}

} // namespace

ConvertResult convertVideo(const ConvertRequest& request, const std::atomic<bool>& cancel, const ProgressFn& progress)
{
    Job job(request, cancel, progress);
    return job.run();
}

const char* errorName(Error error)
{
    switch (error) {
    case Error::None: return "none";
    case Error::Library: return "library";
    case Error::Open: return "open";
    case Error::NoVideo: return "no video";
    case Error::Unsupported: return "unsupported";
    case Error::Decode: return "decode";
    case Error::Encode: return "encode";
    case Error::Write: return "write";
    case Error::TooLarge: return "too large";
    case Error::TimedOut: return "timed out";
    }
    return "unknown";
}

QString chooseTitle(const QString& path)
{
    const QByteArray name = platform::encodePath(path);
    const mp4title::ReadResult psp = mp4title::readTitle(name.toStdString());
    if (psp.status == mp4title::ReadStatus::Ok && !psp.title.empty())
        return QString::fromStdString(psp.title);
    if (avlib::load()) {
        // The container's own title, as FFmpeg's demuxers name it.
        const std::atomic<bool> never{false};
        ConvertRequest request;
        request.input = path;
        Job job(request, never, {});
        if (const std::optional<std::string> title = job.containerTitle(); title && !title->empty())
            return QString::fromStdString(*title);
    }
    QString file = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        file.truncate(dot);
    return file;
}

} // namespace convert
