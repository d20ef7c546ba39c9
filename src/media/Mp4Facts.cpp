// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The facts of MP4 files through the title engine's atom walk, with a parse
// table of its own and strict bounds: every child lies within its parent and
// the file, nesting stops at MOV_MAX_DEPTH, so any file is read once at most.
#include "media/Mp4Facts.h"

#include "media/Codecs.h"
#include "media/OpenFile.h"
#include "mp4title/MovReader.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace media::mp4 {
namespace {

constexpr int kMaxTracks = 64;
constexpr std::int64_t kMaxConfigBytes = 1 << 16; // avcC, esds, ...: real ones are tens of bytes

struct Track
{
    std::uint32_t handler = 0;
    std::uint32_t format = 0;
    std::int64_t timeScale = 0;
    std::uint64_t samples = 0;
    std::uint64_t duration = 0;
    double tkhdWidth = 0;
    double tkhdHeight = 0;
    int rotation = 0;
    std::int64_t hSpacing = 0;
    std::int64_t vSpacing = 0;
    int nalLengthSize = 0;          // H.264 in avcC form
    std::int64_t firstChunk = -1;   // offset of the first sample
    std::int64_t firstSampleSize = 0;
    VideoFacts video;
    AudioFacts audio;
};

struct Walk
{
    std::vector<Track> tracks;
    int extraTracks = 0; // beyond kMaxTracks: counted, not read
    bool moov = false;
    int moovError = 0;
    std::uint32_t brand = 0;
    bool ftyp = false;
    bool fragmented = false;
    std::int64_t mediaBytes = 0; // in mdat atoms
};

Walk& walkOf(MovContext* c)
{
    return *static_cast<Walk*>(c->opaque);
}

Track* track(MovContext* c)
{
    Walk& w = walkOf(c);
    return w.extraTracks == 0 && !w.tracks.empty() ? &w.tracks.back() : nullptr;
}

QByteArray payload(ByteStream* pb, AtomHeader atom)
{
    if (atom.size <= 0 || atom.size > kMaxConfigBytes)
        return {};
    QByteArray bytes(static_cast<qsizetype>(atom.size), '\0');
    const int got = read_bytes(pb, reinterpret_cast<unsigned char*>(bytes.data()), static_cast<int>(atom.size));
    bytes.truncate(got < 0 ? 0 : got);
    return bytes;
}

QString tagText(std::uint32_t tag)
{
    QString text;
    for (int i = 0; i < 4; ++i) {
        const char ch = static_cast<char>((tag >> (8 * i)) & 0xFF);
        text += ch >= 0x20 && ch < 0x7F ? QChar::fromLatin1(ch) : QChar(u'?');
    }
    return text;
}

int readFtyp(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    Walk& w = walkOf(c);
    if (atom.size >= 4 && !w.ftyp) {
        w.brand = read_le32(pb);
        w.ftyp = true;
    }
    return 0;
}

int readFragments(MovContext* c, ByteStream*, AtomHeader)
{
    walkOf(c).fragmented = true;
    return 0;
}

int readMdat(MovContext* c, ByteStream*, AtomHeader atom)
{
    walkOf(c).mediaBytes += std::max<std::int64_t>(atom.size, 0);
    return 0;
}

int readMoov(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    Walk& w = walkOf(c);
    if (w.moov)
        return 0; // the first one counts, as for players
    w.moov = true;
    w.moovError = mov_read_container(c, pb, atom);
    return w.moovError;
}

int readTrak(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    Walk& w = walkOf(c);
    if (static_cast<int>(w.tracks.size()) >= kMaxTracks) {
        ++w.extraTracks;
        return 0;
    }
    w.tracks.emplace_back();
    return mov_read_container(c, pb, atom);
}

int readTkhd(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    Track* t = track(c);
    const int version = read_u8(pb);
    const std::int64_t needed = version == 1 ? 92 : 80;
    if (!t || atom.size < needed)
        return 0;
    read_be24(pb);
    stream_skip(pb, version == 1 ? 32 : 20); // times, id, reserved, duration
    stream_skip(pb, 16);                      // reserved, layer, group, volume, reserved
    std::int32_t m[9];
    for (std::int32_t& v : m)
        v = static_cast<std::int32_t>(read_be32(pb));
    t->tkhdWidth = read_be32(pb) / 65536.0;
    t->tkhdHeight = read_be32(pb) / 65536.0;
    // a b / c d of the matrix (16.16): the picture turned clockwise by the angle.
    // ffmpeg's "rotate" tag and display matrix agree: clockwise is minus the angle of (a, b).
    const double degrees = -std::atan2(static_cast<double>(m[1]), static_cast<double>(m[0])) * 180.0 / M_PI;
    const int quarter = static_cast<int>(std::lround(degrees / 90.0));
    t->rotation = ((quarter % 4) + 4) % 4 * 90;
    return 0;
}

int readMdhd(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    Track* t = track(c);
    const int version = read_u8(pb);
    if (!t || atom.size < (version == 1 ? 32 : 20))
        return 0;
    read_be24(pb);
    stream_skip(pb, version == 1 ? 16 : 8);
    t->timeScale = read_be32(pb);
    return 0;
}

int readHdlr(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    Track* t = track(c);
    if (!t || atom.size < 12)
        return 0;
    read_be32(pb);
    read_le32(pb);
    t->handler = read_le32(pb);
    return 0;
}

int readStts(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    Track* t = track(c);
    if (!t || atom.size < 8)
        return 0;
    read_be32(pb);
    const std::int64_t count = read_be32(pb);
    if (count > (atom.size - 8) / 8)
        return 0;
    t->samples = 0;
    t->duration = 0;
    for (std::int64_t i = 0; i < count; ++i) {
        const std::uint64_t n = read_be32(pb);
        t->samples += n;
        t->duration += n * read_be32(pb);
    }
    return 0;
}

// Where the first sample lies: the first chunk's offset and the first size.
int readStco(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    Track* t = track(c);
    if (!t || atom.size < 12)
        return 0;
    read_be32(pb);
    const bool wide = atom.type == mktag('c', 'o', '6', '4');
    if (read_be32(pb) == 0 || atom.size < (wide ? 16 : 12))
        return 0;
    t->firstChunk = wide ? static_cast<std::int64_t>(read_be64(pb) & INT64_MAX) : static_cast<std::int64_t>(read_be32(pb));
    return 0;
}

int readStsz(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    Track* t = track(c);
    if (!t || atom.size < 12)
        return 0;
    read_be32(pb);
    const std::int64_t common = read_be32(pb);
    if (read_be32(pb) == 0)
        return 0;
    t->firstSampleSize = common != 0 ? common : atom.size >= 16 ? std::int64_t{read_be32(pb)} : 0;
    return 0;
}

const std::uint32_t kVisual[] = {mktag('a', 'v', 'c', '1'), mktag('a', 'v', 'c', '3'), mktag('h', 'v', 'c', '1'),
                                 mktag('h', 'e', 'v', '1'), mktag('m', 'p', '4', 'v'), mktag('v', 'p', '0', '9'),
                                 mktag('v', 'p', '0', '8'), mktag('a', 'v', '0', '1'), mktag('s', '2', '6', '3'),
                                 mktag('h', '2', '6', '3'), mktag('j', 'p', 'e', 'g'), mktag('m', 'j', 'p', 'a'),
                                 mktag('d', 'v', 'h', '1'), mktag('d', 'v', 'a', '1'), mktag('e', 'n', 'c', 'v')};

QString videoCodecOf(std::uint32_t format)
{
    switch (format) {
    case mktag('a', 'v', 'c', '1'): case mktag('a', 'v', 'c', '3'): case mktag('d', 'v', 'a', '1'): return QStringLiteral("H.264");
    case mktag('h', 'v', 'c', '1'): case mktag('h', 'e', 'v', '1'): case mktag('d', 'v', 'h', '1'): return QStringLiteral("HEVC");
    case mktag('m', 'p', '4', 'v'): return QStringLiteral("MPEG-4 Part 2");
    case mktag('v', 'p', '0', '9'): return QStringLiteral("VP9");
    case mktag('v', 'p', '0', '8'): return QStringLiteral("VP8");
    case mktag('a', 'v', '0', '1'): return QStringLiteral("AV1");
    case mktag('s', '2', '6', '3'): case mktag('h', '2', '6', '3'): return QStringLiteral("H.263");
    case mktag('j', 'p', 'e', 'g'): case mktag('m', 'j', 'p', 'a'): return QStringLiteral("Motion JPEG");
    default: return QStringLiteral("'%1'").arg(tagText(format));
    }
}

QString audioCodecOf(std::uint32_t format)
{
    switch (format) {
    case mktag('m', 'p', '4', 'a'): return QStringLiteral("AAC");
    case mktag('.', 'm', 'p', '3'): case mktag('m', 's', 0, 'U'): return QStringLiteral("MP3");
    case mktag('a', 'c', '-', '3'): return QStringLiteral("AC-3");
    case mktag('e', 'c', '-', '3'): return QStringLiteral("E-AC-3");
    case mktag('O', 'p', 'u', 's'): return QStringLiteral("Opus");
    case mktag('f', 'L', 'a', 'C'): return QStringLiteral("FLAC");
    case mktag('a', 'l', 'a', 'c'): return QStringLiteral("ALAC");
    case mktag('s', 'a', 'm', 'r'): return QStringLiteral("AMR-NB");
    case mktag('s', 'a', 'w', 'b'): return QStringLiteral("AMR-WB");
    case mktag('l', 'p', 'c', 'm'): case mktag('s', 'o', 'w', 't'): case mktag('t', 'w', 'o', 's'):
    case mktag('i', 'n', '2', '4'): case mktag('f', 'l', '3', '2'): case mktag('r', 'a', 'w', ' '): return QStringLiteral("PCM");
    default: return QStringLiteral("'%1'").arg(tagText(format));
    }
}

// Sample entry children.
int readAvcC(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    if (Track* t = track(c)) {
        const QByteArray config = payload(pb, atom);
        codecs::readAvcConfig(config, t->video);
        t->nalLengthSize = codecs::avcLengthSize(config);
    }
    return 0;
}

int readHvcC(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    if (Track* t = track(c))
        codecs::readHevcConfig(payload(pb, atom), t->video);
    return 0;
}

int readVpcC(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    if (Track* t = track(c))
        codecs::readVp9Config(payload(pb, atom), t->video);
    return 0;
}

int readEsds(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    Track* t = track(c);
    if (!t)
        return 0;
    const codecs::EsConfig es = codecs::readEsDescriptor(payload(pb, atom).mid(4));
    if (t->handler == mktag('s', 'o', 'u', 'n'))
        codecs::readEsAudio(es, t->audio);
    else
        codecs::readEsVideo(es, t->video);
    return 0;
}

int readPasp(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    Track* t = track(c);
    if (t && atom.size >= 8) {
        t->hSpacing = read_be32(pb);
        t->vSpacing = read_be32(pb);
    }
    return 0;
}

int readStsd(MovContext* c, ByteStream* pb, AtomHeader atom);

#define TAG(s) mktag(s[0], s[1], s[2], s[3])
const AtomHandlerEntry kTable[] = {
    {TAG("ftyp"), readFtyp}, {TAG("moov"), readMoov}, {TAG("mdat"), readMdat}, {TAG("trak"), readTrak}, {TAG("tkhd"), readTkhd},
    {TAG("mdia"), mov_read_container}, {TAG("mdhd"), readMdhd}, {TAG("hdlr"), readHdlr},
    {TAG("minf"), mov_read_container}, {TAG("stbl"), mov_read_container}, {TAG("stsd"), readStsd},
    {TAG("stts"), readStts}, {TAG("stco"), readStco}, {TAG("co64"), readStco}, {TAG("stsz"), readStsz}, {TAG("avcC"), readAvcC}, {TAG("hvcC"), readHvcC}, {TAG("vpcC"), readVpcC},
    {TAG("esds"), readEsds}, {TAG("pasp"), readPasp}, {TAG("wave"), mov_read_container}, {TAG("mvex"), readFragments}, {TAG("moof"), readFragments}, {0, nullptr},
};
#undef TAG

int readStsd(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    Track* t = track(c);
    if (!t || atom.size < 16)
        return 0;
    read_be32(pb);
    if (read_be32(pb) == 0)
        return 0;
    // The first entry describes the track.
    const std::int64_t size = read_be32(pb);
    const std::uint32_t format = read_le32(pb);
    if (size < 16 || size > atom.size - 8)
        return MOV_ERR_BAD_SIZE;
    t->format = format;
    const std::int64_t start = atom.offset + 16; // the entry's payload
    std::int64_t fixed = 0;
    if (t->handler == mktag('v', 'i', 'd', 'e') || std::find(std::begin(kVisual), std::end(kVisual), t->format) != std::end(kVisual)) {
        fixed = 78;
        if (size - 8 < fixed)
            return 0;
        stream_skip(pb, 24);
        t->video.codec = videoCodecOf(t->format);
        t->video.width = static_cast<int>(read_be16(pb));
        t->video.height = static_cast<int>(read_be16(pb));
    } else if (t->handler == mktag('s', 'o', 'u', 'n')) {
        fixed = 28;
        if (size - 8 < fixed)
            return 0;
        stream_skip(pb, 8);
        const unsigned version = read_be16(pb);
        stream_skip(pb, 6);
        t->audio.codec = audioCodecOf(t->format);
        t->audio.channels = static_cast<int>(read_be16(pb));
        stream_skip(pb, 6);
        t->audio.sampleRate = static_cast<int>(read_be32(pb) >> 16);
        fixed += version == 1 ? 16 : version == 2 ? 36 : 0;
        if (size - 8 < fixed)
            return 0;
    } else {
        return 0;
    }
    if (stream_seek(pb, start + fixed, SEEK_SET) < 0)
        return 0;
    return mov_read_container(c, pb, AtomHeader{t->format, start + fixed, size - 8 - fixed});
}

// The most slices any picture of the first sample has, from the slice
// headers alone: a slice that starts at macroblock 0 starts a picture.
// 0 when the sample runs outside the file or its NAL units don't add up.
int countSlices(ByteStream* pb, const Track& t, std::int64_t fileSize)
{
    constexpr int kMaxNals = 4096;
    const std::int64_t start = t.firstChunk;
    const std::int64_t end = start + t.firstSampleSize;
    if (t.nalLengthSize == 0 || start < 0 || t.firstSampleSize <= 0 || end > fileSize)
        return 0;
    int most = 0;
    int slices = 0;
    std::int64_t pos = start;
    for (int n = 0; pos < end && n < kMaxNals; ++n) {
        if (end - pos < t.nalLengthSize || stream_seek(pb, pos, SEEK_SET) < 0)
            return 0;
        std::int64_t length = 0;
        for (int i = 0; i < t.nalLengthSize; ++i)
            length = (length << 8) | read_u8(pb);
        pos += t.nalLengthSize;
        if (length <= 0 || length > end - pos)
            return 0;
        QByteArray head(static_cast<qsizetype>(std::min<std::int64_t>(length, 16)), '\0');
        if (read_bytes(pb, reinterpret_cast<unsigned char*>(head.data()), static_cast<int>(head.size())) != head.size())
            return 0;
        const int type = head[0] & 0x1F;
        if (type == 1 || type == 5) {
            const int first = codecs::firstMbInSlice(head);
            if (first < 0)
                return 0;
            slices = first == 0 ? 1 : slices + 1;
            most = std::max(most, slices);
        }
        pos += length;
    }
    return pos == end ? most : 0;
}

void finishTrack(const Track& t, Facts& facts)
{
    if (t.handler == mktag('v', 'i', 'd', 'e')) {
        ++facts.videoTracks;
        if (facts.video)
            return;
        VideoFacts v = t.video;
        if (v.codec.isEmpty())
            v.codec = videoCodecOf(t.format);
        v.rotation = t.rotation;
        if (t.timeScale > 0 && t.duration > 0 && t.samples > 1)
            v.frameRate = std::round(static_cast<double>(t.samples) * t.timeScale / t.duration * 1000.0) / 1000.0;
        if (v.width > 0 && v.height > 0) {
            double aspect = static_cast<double>(v.width) / v.height;
            if (t.hSpacing > 0 && t.vSpacing > 0)
                aspect *= static_cast<double>(t.hSpacing) / t.vSpacing;
            else if (t.tkhdWidth > 0 && t.tkhdHeight > 0)
                aspect = t.tkhdWidth / t.tkhdHeight;
            v.displayAspect = std::round(aspect * 1000.0) / 1000.0;
        }
        facts.video = v;
    } else if (t.handler == mktag('s', 'o', 'u', 'n')) {
        ++facts.audioTracks;
        if (!facts.audio) {
            AudioFacts a = t.audio;
            if (a.codec.isEmpty())
                a.codec = audioCodecOf(t.format);
            facts.audio = a;
        }
    } else {
        ++facts.otherTracks;
    }
}

struct FdSource
{
    int fd;
};

int fdRead(void* opaque, unsigned char* buf, int size)
{
    const ssize_t n = ::read(static_cast<FdSource*>(opaque)->fd, buf, static_cast<size_t>(size));
    return n < 0 ? MP4_ERR_IO : static_cast<int>(n);
}

std::int64_t fdSeek(void* opaque, std::int64_t offset, int whence)
{
    const off_t r = ::lseek(static_cast<FdSource*>(opaque)->fd, offset, whence);
    return r < 0 ? std::int64_t{MP4_ERR_IO} : std::int64_t{r};
}

struct MemorySource
{
    const QByteArray* bytes;
    std::int64_t pos;
};

int memoryRead(void* opaque, unsigned char* buf, int size)
{
    auto* m = static_cast<MemorySource*>(opaque);
    const std::int64_t left = m->bytes->size() - m->pos;
    const int n = static_cast<int>(std::min<std::int64_t>(size, std::max<std::int64_t>(left, 0)));
    std::memcpy(buf, m->bytes->constData() + m->pos, static_cast<size_t>(n));
    m->pos += n;
    return n;
}

std::int64_t memorySeek(void* opaque, std::int64_t offset, int whence)
{
    auto* m = static_cast<MemorySource*>(opaque);
    if (whence != SEEK_SET || offset < 0)
        return MP4_ERR_INVAL;
    m->pos = offset;
    return offset;
}

Result walk(ByteStream& pb, std::int64_t fileSize)
{
    Result result;
    // The probe of the title engine: the same atoms make an MP4 here as there.
    unsigned char head[PROBE_SAMPLE_SIZE];
    const int got = read_bytes(&pb, head, PROBE_SAMPLE_SIZE);
    stream_seek(&pb, 0, SEEK_SET);
    ProbeData probe = {"", head, got < 0 ? 0 : got};
    if (mov_probe_atoms(&probe) < 50)
        return result;
    result.isMp4 = true;

    Walk w;
    MovContext c;
    std::memset(&c, 0, sizeof(c));
    c.parse_table = kTable;
    c.strict_bounds = 1;
    c.opaque = &w;
    const int err = mov_read_container(&c, &pb, AtomHeader{0, 0, fileSize});
    if (!w.moov) {
        result.error = err == MOV_ERR_BAD_SIZE ? QStringLiteral("the file is damaged: an atom runs past the end of the file")
                                               : QStringLiteral("the file is damaged or cut short: it has no movie header");
        return result;
    }
    if (w.moovError != 0) {
        result.error = w.moovError == MOV_ERR_TOO_DEEP ? QStringLiteral("the file is damaged: its atoms nest too deep")
                                                       : QStringLiteral("the file is damaged: an atom of its movie header runs past its parent");
        return result;
    }
    if (std::any_of(w.tracks.begin(), w.tracks.end(), [](const Track& t) { return t.handler == mktag('v', 'i', 'd', 'e') && t.format == 0; })) {
        result.error = QStringLiteral("the file is damaged: a video track has no sample description");
        return result;
    }
    Facts facts;
    facts.fileSize = static_cast<std::uint64_t>(fileSize);
    facts.container = w.brand == mktag('q', 't', ' ', ' ') ? QStringLiteral("mov")
        : (w.brand & 0xFFFFFF) == mktag('3', 'g', 0, 0) ? QStringLiteral("3gp")
                                                          : QStringLiteral("mp4");
    facts.cutShort = err != 0;
    facts.fragmented = w.fragmented;
    double seconds = 0;
    for (const Track& t : w.tracks) {
        finishTrack(t, facts);
        if (t.timeScale > 0)
            seconds = std::max(seconds, static_cast<double>(t.duration) / t.timeScale);
    }
    facts.otherTracks += w.extraTracks;
    // The media's bytes: what else the file holds (its header, padding, bytes
    // after the movie) is not played.
    const std::int64_t played = w.mediaBytes > 0 ? std::min(w.mediaBytes, fileSize) : fileSize;
    if (seconds > 0)
        facts.bitrate = static_cast<int>(std::min(std::round(played * 8.0 / seconds / 1000.0), 1e9));
    // The first video track's first picture tells how its pictures are sliced.
    const auto video = std::find_if(w.tracks.begin(), w.tracks.end(), [](const Track& t) { return t.handler == mktag('v', 'i', 'd', 'e'); });
    if (video != w.tracks.end() && facts.video)
        facts.video->slices = countSlices(&pb, *video, fileSize);
    result.facts = std::move(facts);
    return result;
}

} // namespace

Result readFile(const QByteArray& path)
{
    Result result;
    struct stat st;
    const int fd = openRegularFile(path, st, result.error);
    if (fd < 0) {
        result.unreadable = true;
        return result;
    }
    FdSource source{fd};
    std::vector<unsigned char> buffer(STREAM_BUFFER_SIZE);
    ByteStream pb;
    init_byte_stream(&pb, buffer.data(), static_cast<int>(buffer.size()), 0, &source, fdRead, nullptr, fdSeek);
    result = walk(pb, st.st_size);
    if (pb.error < 0 && result.facts) {
        result.facts.reset();
        result.error = QStringLiteral("can't read it: %1").arg(QString::fromLocal8Bit(std::strerror(EIO)));
        result.unreadable = true;
    }
    ::close(fd);
    return result;
}

Result readBytes(const QByteArray& bytes)
{
    MemorySource source{&bytes, 0};
    std::vector<unsigned char> buffer(STREAM_BUFFER_SIZE);
    ByteStream pb;
    init_byte_stream(&pb, buffer.data(), static_cast<int>(buffer.size()), 0, &source, memoryRead, nullptr, memorySeek);
    return walk(pb, bytes.size());
}

} // namespace media::mp4
