// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "media/Codecs.h"

#include <cstdint>

namespace media::codecs {
namespace {

// Big-endian bits of a NAL unit's payload (emulation prevention removed).
// Reading past the end gives zeros and marks the reader bad.
class Bits
{
public:
    explicit Bits(QByteArray data)
        : m_data(std::move(data))
    {
    }
    bool bad() const { return m_bad; }
    unsigned bit()
    {
        if (m_pos >= static_cast<std::int64_t>(m_data.size()) * 8) {
            m_bad = true;
            return 0;
        }
        const unsigned b = (static_cast<unsigned char>(m_data[static_cast<qsizetype>(m_pos / 8)]) >> (7 - m_pos % 8)) & 1;
        ++m_pos;
        return b;
    }
    unsigned bits(int n)
    {
        unsigned v = 0;
        while (n-- > 0)
            v = (v << 1) | bit();
        return v;
    }
    // Exp-Golomb; more than 31 leading zeros is no valid code.
    unsigned ue()
    {
        int zeros = 0;
        while (!bit()) {
            if (m_bad || ++zeros > 31) {
                m_bad = true;
                return 0;
            }
        }
        return zeros == 0 ? 0 : ((1u << zeros) - 1) + bits(zeros);
    }
    int se()
    {
        const unsigned k = ue();
        return (k & 1) ? static_cast<int>((k + 1) / 2) : -static_cast<int>(k / 2);
    }

private:
    QByteArray m_data;
    std::int64_t m_pos = 0;
    bool m_bad = false;
};

QByteArray unescape(const QByteArray& nal)
{
    QByteArray out;
    out.reserve(nal.size());
    int zeros = 0;
    for (const char c : nal) {
        if (zeros >= 2 && c == 3) {
            zeros = 0;
            continue;
        }
        zeros = c == 0 ? zeros + 1 : 0;
        out.append(c);
    }
    return out;
}

int byteAt(const QByteArray& b, qsizetype i)
{
    return i >= 0 && i < b.size() ? static_cast<unsigned char>(b[i]) : -1;
}

QString chromaName(unsigned idc)
{
    switch (idc) {
    case 0: return QStringLiteral("4:0:0");
    case 1: return QStringLiteral("4:2:0");
    case 2: return QStringLiteral("4:2:2");
    case 3: return QStringLiteral("4:4:4");
    default: return {};
    }
}

QString avcProfileName(int idc, int constraints)
{
    switch (idc) {
    case 66: return (constraints & 0x40) ? QStringLiteral("Constrained Baseline") : QStringLiteral("Baseline");
    case 77: return QStringLiteral("Main");
    case 88: return QStringLiteral("Extended");
    case 100: return QStringLiteral("High");
    case 110: return QStringLiteral("High 10");
    case 122: return QStringLiteral("High 4:2:2");
    case 244: return QStringLiteral("High 4:4:4 Predictive");
    case 44: return QStringLiteral("CAVLC 4:4:4 Intra");
    default: return QStringLiteral("profile %1").arg(idc);
    }
}

bool hasChromaFormat(int profileIdc)
{
    switch (profileIdc) {
    case 100: case 110: case 122: case 244: case 44: case 83: case 86: case 118: case 128: case 138: case 139:
    case 134: case 135:
        return true;
    default:
        return false;
    }
}

void skipScalingList(Bits& b, int size)
{
    int last = 8;
    int next = 8;
    for (int j = 0; j < size && !b.bad(); ++j) {
        if (next != 0)
            next = (last + b.se() + 256) % 256;
        last = next == 0 ? last : next;
    }
}

// The SPS fields up to the references; nothing is set unless the SPS reads whole that far.
void readSps(const QByteArray& nal, VideoFacts& video)
{
    Bits b(unescape(nal.mid(1)));
    const int profileIdc = static_cast<int>(b.bits(8));
    b.bits(8);
    b.bits(8);
    b.ue();
    unsigned chroma = 1;
    unsigned depth = 0;
    if (hasChromaFormat(profileIdc)) {
        chroma = b.ue();
        if (chroma == 3)
            b.bit();
        depth = b.ue();
        b.ue();
        b.bit();
        if (b.bit()) {
            for (int i = 0; i < (chroma == 3 ? 12 : 8) && !b.bad(); ++i) {
                if (b.bit())
                    skipScalingList(b, i < 6 ? 16 : 64);
            }
        }
    }
    b.ue(); // log2_max_frame_num_minus4
    const unsigned pocType = b.ue();
    if (pocType == 0) {
        b.ue();
    } else if (pocType == 1) {
        b.bit();
        b.se();
        b.se();
        const unsigned cycle = b.ue();
        for (unsigned i = 0; i < cycle && i < 256 && !b.bad(); ++i)
            b.se();
    }
    const unsigned refs = b.ue();
    if (b.bad() || chroma > 3 || depth > 6 || refs > 16)
        return;
    video.refFrames = static_cast<int>(refs);
    video.chroma = chromaName(chroma);
    video.bitDepth = static_cast<int>(depth) + 8;
}

void readPps(const QByteArray& nal, VideoFacts& video)
{
    Bits b(unescape(nal.mid(1)));
    b.ue();
    b.ue();
    const unsigned cabac = b.bit();
    if (!b.bad())
        video.entropy = cabac ? QStringLiteral("CABAC") : QStringLiteral("CAVLC");
}

// The parameter sets of an avcC: count (masked), then 16-bit length + bytes each.
// Returns the first one and moves pos past all of them; empty when they run short.
QByteArray parameterSets(const QByteArray& c, qsizetype& pos, int countMask, bool& ok)
{
    const int count = byteAt(c, pos);
    ok = count >= 0;
    ++pos;
    QByteArray first;
    for (int i = 0; ok && i < (count & countMask); ++i) {
        const int hi = byteAt(c, pos);
        const int lo = byteAt(c, pos + 1);
        if (hi < 0 || lo < 0) {
            ok = false;
            break;
        }
        const int length = (hi << 8) | lo;
        pos += 2;
        if (length > c.size() - pos) {
            ok = false;
            break;
        }
        if (i == 0)
            first = c.mid(pos, length);
        pos += length;
    }
    return first;
}

} // namespace

void readAvcConfig(const QByteArray& c, VideoFacts& video)
{
    if (c.size() < 7 || byteAt(c, 0) != 1)
        return;
    const int profile = byteAt(c, 1);
    const int constraints = byteAt(c, 2);
    const int level = byteAt(c, 3);
    video.profile = avcProfileName(profile, constraints);
    if (level == 9 || (level == 11 && (constraints & 0x10) && profile != 100))
        video.level = QStringLiteral("1b");
    else
        video.level = QStringLiteral("%1.%2").arg(level / 10).arg(level % 10);
    video.chroma = QStringLiteral("4:2:0");
    video.bitDepth = 8;
    qsizetype pos = 5;
    bool ok = false;
    const QByteArray sps = parameterSets(c, pos, 0x1F, ok);
    if (!ok)
        return;
    const QByteArray pps = parameterSets(c, pos, 0xFF, ok);
    if (!sps.isEmpty())
        readSps(sps, video);
    if (ok && !pps.isEmpty())
        readPps(pps, video);
}

int avcLengthSize(const QByteArray& c)
{
    if (c.size() < 7 || byteAt(c, 0) != 1)
        return 0;
    const int size = (byteAt(c, 4) & 3) + 1;
    return size == 3 ? 0 : size;
}

int firstMbInSlice(const QByteArray& nal)
{
    Bits b(unescape(nal.mid(1)));
    const unsigned first = b.ue();
    return b.bad() ? -1 : static_cast<int>(first);
}

void readHevcConfig(const QByteArray& c, VideoFacts& video)
{
    if (c.size() < 23)
        return;
    const int profile = byteAt(c, 1) & 0x1F;
    switch (profile) {
    case 1: video.profile = QStringLiteral("Main"); break;
    case 2: video.profile = QStringLiteral("Main 10"); break;
    case 3: video.profile = QStringLiteral("Main Still Picture"); break;
    case 4: video.profile = QStringLiteral("Range Extensions"); break;
    default: video.profile = QStringLiteral("profile %1").arg(profile);
    }
    const int level = byteAt(c, 12);
    video.level = QStringLiteral("%1.%2").arg(level / 30).arg(level % 30 / 3);
    video.chroma = chromaName(byteAt(c, 16) & 3);
    video.bitDepth = (byteAt(c, 17) & 7) + 8;
}

void readVp9Config(const QByteArray& c, VideoFacts& video)
{
    // Full box: version and flags, then profile, level, depth/chroma.
    if (c.size() < 7)
        return;
    video.profile = QString::number(byteAt(c, 4));
    const int level = byteAt(c, 5);
    video.level = QStringLiteral("%1.%2").arg(level / 10).arg(level % 10);
    video.bitDepth = byteAt(c, 6) >> 4;
    const int sub = (byteAt(c, 6) >> 1) & 7;
    video.chroma = sub <= 1 ? QStringLiteral("4:2:0") : sub == 2 ? QStringLiteral("4:2:2") : QStringLiteral("4:4:4");
}

EsConfig readEsDescriptor(const QByteArray& d)
{
    EsConfig es;
    qsizetype pos = 0;
    // A descriptor: tag, then a length of up to four 7-bit groups.
    auto header = [&](int& tag, qsizetype& length) {
        tag = byteAt(d, pos++);
        length = 0;
        for (int i = 0; i < 4; ++i) {
            const int b = byteAt(d, pos++);
            if (b < 0)
                return false;
            length = (length << 7) | (b & 0x7F);
            if (!(b & 0x80))
                break;
        }
        return tag >= 0 && length <= d.size() - pos;
    };
    int tag = 0;
    qsizetype length = 0;
    if (!header(tag, length))
        return es;
    if (tag == 3) {
        const int flags = byteAt(d, pos + 2);
        pos += 3;
        if (flags & 0x80)
            pos += 2;
        if (flags & 0x40)
            pos += 1 + byteAt(d, pos);
        if (flags & 0x20)
            pos += 2;
        if (!header(tag, length))
            return es;
    }
    if (tag != 4 || length < 13)
        return es;
    const qsizetype end = pos + length;
    es.objectType = byteAt(d, pos);
    pos += 13;
    if (pos < end && header(tag, length) && tag == 5)
        es.specific = d.mid(pos, length);
    return es;
}

void readEsVideo(const EsConfig& es, VideoFacts& video)
{
    switch (es.objectType) {
    case 0x20: video.codec = QStringLiteral("MPEG-4 Part 2"); break;
    case 0x21: video.codec = QStringLiteral("H.264"); return;
    case 0x6A: video.codec = QStringLiteral("MPEG-1"); return;
    case 0x60: case 0x61: case 0x62: case 0x63: case 0x64: case 0x65: video.codec = QStringLiteral("MPEG-2"); return;
    case 0x6C: video.codec = QStringLiteral("JPEG"); return;
    default: return;
    }
    // The visual object sequence start code carries profile_and_level_indication.
    const QByteArray& s = es.specific;
    const qsizetype at = s.indexOf(QByteArray("\x00\x00\x01\xB0", 4));
    const int pl = at < 0 ? -1 : byteAt(s, at + 4);
    if (pl < 0)
        return;
    if (pl >= 0x01 && pl <= 0x08)
        video.profile = QStringLiteral("Simple");
    else if (pl >= 0xF0 && pl <= 0xF7)
        video.profile = QStringLiteral("Advanced Simple");
    else
        video.profile = QStringLiteral("profile 0x%1").arg(pl, 2, 16, QLatin1Char('0'));
    if (video.profile == QLatin1String("Simple"))
        video.level = pl == 0x08 ? QStringLiteral("0") : QString::number(pl);
    else if (pl >= 0xF0 && pl <= 0xF7)
        video.level = QString::number(pl & 7);
    video.chroma = QStringLiteral("4:2:0");
    video.bitDepth = 8;
}

void readEsAudio(const EsConfig& es, AudioFacts& audio)
{
    switch (es.objectType) {
    case 0x40: case 0x66: case 0x67: case 0x68: audio.codec = QStringLiteral("AAC"); break;
    case 0x69: case 0x6B: audio.codec = QStringLiteral("MP3"); return;
    case 0xA5: audio.codec = QStringLiteral("AC-3"); return;
    case 0xA6: audio.codec = QStringLiteral("E-AC-3"); return;
    case 0xAD: audio.codec = QStringLiteral("Opus"); return;
    default: return;
    }
    if (es.objectType != 0x40) {
        audio.profile = es.objectType == 0x66 ? QStringLiteral("Main") : es.objectType == 0x67 ? QStringLiteral("LC")
                                                                                              : QStringLiteral("SSR");
        return;
    }
    if (es.specific.size() < 2)
        return;
    Bits b(es.specific);
    int type = static_cast<int>(b.bits(5));
    if (type == 31)
        type = 32 + static_cast<int>(b.bits(6));
    static const int kRates[] = {96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000, 7350};
    const unsigned index = b.bits(4);
    const int rate = index < 13 ? kRates[index] : index == 15 ? static_cast<int>(b.bits(24)) : 0;
    const unsigned channels = b.bits(4);
    if (b.bad())
        return;
    switch (type) {
    case 1: audio.profile = QStringLiteral("Main"); break;
    case 2: audio.profile = QStringLiteral("LC"); break;
    case 3: audio.profile = QStringLiteral("SSR"); break;
    case 4: audio.profile = QStringLiteral("LTP"); break;
    case 5: audio.profile = QStringLiteral("HE"); break;
    case 29: audio.profile = QStringLiteral("HE v2"); break;
    case 23: audio.profile = QStringLiteral("LD"); break;
    case 39: audio.profile = QStringLiteral("ELD"); break;
    case 42: audio.profile = QStringLiteral("xHE"); break;
    default: audio.profile = QStringLiteral("object type %1").arg(type);
    }
    if (rate > 0)
        audio.sampleRate = rate;
    if (channels >= 1 && channels <= 6)
        audio.channels = static_cast<int>(channels);
    else if (channels == 7)
        audio.channels = 8;
}

} // namespace media::codecs
