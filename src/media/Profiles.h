// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace media {

/** A picture size limit: a frame fits when both sides are within. */
struct FrameBox
{
    int width;
    int height;
};

/** What one video codec may be on a player. */
struct VideoLimit
{
    const char* codec;                  // as VideoFacts::codec names it
    std::span<const char* const> profiles; // allowed profile names; the file's must be one
    int maxLevelIdc;                    // H.264 level_idc (30 = 3.0); 0: not checked
    std::span<const FrameBox> boxes;    // fits one of these
    int maxRefFrames;                   // 0: not checked
    int maxSlices;                      // per picture; 0: not checked
};

/** Everything a player needs of a file. */
struct PlayProfile
{
    const char* name;
    std::span<const char* const> containers; // Facts::container values it reads
    std::span<const VideoLimit> video;
    double maxFrameRate;
    int bitDepth;
    const char* chroma;
    std::span<const char* const> audioCodecs;
    std::span<const char* const> audioProfiles; // empty: any
    int maxSampleRate;
    int maxChannels;
    bool needsAudio;
    std::uint64_t maxFileSize;
    int maxBitrate; // kbit/s over the whole file; 0: not checked
};

/** The profiles the program knows, the PSP's first. */
extern const std::span<const PlayProfile> kPlayProfiles;
/** The PSP on system software 3.30 and later. */
const PlayProfile& defaultProfile();

} // namespace media
