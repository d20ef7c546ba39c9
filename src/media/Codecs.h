// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "media/Media.h"

#include <QByteArray>

// Codec configuration records read into facts. Every reader takes any bytes:
// what runs short or makes no sense leaves the facts as they were.
namespace media::codecs {

/** avcC: profile, level, and from its first SPS and PPS the references, bit depth, chroma and entropy coding. */
void readAvcConfig(const QByteArray& avcC, VideoFacts& video);
/** The NAL unit length size of an avcC (1, 2 or 4), 0 when it is no avcC. */
int avcLengthSize(const QByteArray& avcC);
/** first_mb_in_slice of a slice NAL unit (header byte included), -1 when it runs short. */
int firstMbInSlice(const QByteArray& nal);

/** hvcC: profile, level, bit depth, chroma. */
void readHevcConfig(const QByteArray& hvcC, VideoFacts& video);
/** vpcC: profile, level, bit depth, chroma. */
void readVp9Config(const QByteArray& vpcC, VideoFacts& video);

/** The decoder configuration of an esds payload (after its version and flags). */
struct EsConfig
{
    int objectType = 0; // objectTypeIndication; 0 when absent
    QByteArray specific; // DecoderSpecificInfo
};
EsConfig readEsDescriptor(const QByteArray& esds);
/** Video facts of an MPEG-4 Part 2 (or MPEG-1/2) track from its esds. */
void readEsVideo(const EsConfig& es, VideoFacts& video);
/** Audio facts from an esds: codec by object type, AAC's AudioSpecificConfig. */
void readEsAudio(const EsConfig& es, AudioFacts& audio);

} // namespace media::codecs
