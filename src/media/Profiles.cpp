// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "media/Profiles.h"

namespace media {
namespace {

// Evidence: Sony's manual for system software 6.60 ("Memory Stick Video
// Format" and MP4: MPEG-4 Simple Profile + AAC, H.264 Main (CABAC) or Baseline
// + AAC), FFmpeg's psp muxer (one video + one audio track, avc1 Main level
// 2.1), libavcodec's h264_levels.c and converter presets of 2005-2012.
// Where the sources disagree the table takes the side that real PSP files
// made by those presets keep:
// - level 3.0, not 2.1: 480x272 (510 macroblocks) is within both, and presets
//   tagging such files 3.0 are reported to play;
// - 3 reference frames, not 2 (x264's default of those presets);
// - MPEG-4 Part 2 at 320x240 or 368x208 (76,800 pixels), Simple Profile only;
// - AAC-LC at up to 48 kHz (24 kHz only on 1.x firmware), stereo at most;
// - at most 30 fps (23.976, 25 and 29.97 included);
// - one slice per picture (several slices are among the commonest refusals);
// - at most 4000 kbit/s in all: level 2.1's ceiling for Main. Sources give
//   768 kbit/s (early firmware) or 1.5-2.5 Mbit/s (presets' choices); files
//   between those are reported both ways, so only what no level 2.1 decoder
//   must take is refused;
// - below 4 GiB: the memory stick is FAT32.
constexpr const char* kMp4[] = {"mp4"};
constexpr const char* kAvcProfiles[] = {"Baseline", "Constrained Baseline", "Main"};
constexpr const char* kMpeg4Profiles[] = {"Simple"};
constexpr FrameBox kAvcBoxes[] = {{480, 272}};
constexpr FrameBox kMpeg4Boxes[] = {{320, 240}, {368, 208}};
constexpr VideoLimit kPspVideo[] = {
    {"H.264", kAvcProfiles, 30, kAvcBoxes, 3, 1},
    {"MPEG-4 Part 2", kMpeg4Profiles, 0, kMpeg4Boxes, 0, 0},
};
constexpr const char* kAac[] = {"AAC"};
constexpr const char* kAacLc[] = {"LC"};

constexpr PlayProfile kProfiles[] = {
    {
        "PSP (system software 3.30 and later)",
        kMp4,
        kPspVideo,
        30.0,
        8,
        "4:2:0",
        kAac,
        kAacLc,
        48000,
        2,
        true,
        (std::uint64_t{1} << 32) - 1,
        4000,
    },
};

} // namespace

const std::span<const PlayProfile> kPlayProfiles(kProfiles);

const PlayProfile& defaultProfile()
{
    return kProfiles[0];
}

} // namespace media
