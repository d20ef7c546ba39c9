// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "convert/Profiles.h"

#include <array>

namespace convert {
namespace {

// Evidence: Sony's manual for system software 6.60 (MPEG-4 Simple Profile and
// H.264 Main Profile with CABAC, each with AAC-LC), FFmpeg's psp muxer
// (libavformat/movenc.c: one video and one audio track, avc1 Main level 2.1)
// and libavcodec/h264_levels.c (480 x 272 is 510 macroblocks, within level
// 2.1's 792), and converter presets and guides of 2005-2012. Nobody here has
// tested on a PSP. Where the sources disagree, the safer side is taken:
// 2 reference frames (not 3), level 2.1 (not 3.0), a 1500 kbps cap (reports
// range from 768 kbps to 2.5 Mbps), and 24 kHz AAC for MPEG-4 files, which
// every firmware plays.
constexpr std::array kProfiles{
    Profile{
        .id = "avc480",
        .name = "H.264 480x272 (system software 3.30 and later)",
        .videoEncoder = "libx264",
        // Main 2.1, at most 2 reference frames, one B-frame and no pyramid,
        // CABAC, one slice per picture, a key frame at least every 300 frames.
        .videoOptions = "profile=main level=21 refs=2 bf=1 b-pyramid=none coder=cabac slices=1 g=300 "
                        "crf=21 maxrate=1500k bufsize=3000k",
        .width = 480,
        .height = 272,
        .rateNum = 30,
        .rateDen = 1,
        .audioEncoder = "aac",
        .audioOptions = "profile=aac_low b=128k",
        .sampleRate = 48000,
    },
    Profile{
        .id = "mpeg4",
        .name = "MPEG-4 320x240 (every PSP)",
        // Simple Profile: no B-frames, no quarter-pel, no global motion compensation.
        .videoEncoder = "mpeg4",
        .videoOptions = "b=640k maxrate=640k bufsize=1280k bf=0 g=300 mbd=2",
        .width = 320,
        .height = 240,
        .wideWidth = 368,
        .wideHeight = 208,
        .rateNum = 30000,
        .rateDen = 1001,
        .fixedRate = true,
        .audioEncoder = "aac",
        .audioOptions = "profile=aac_low b=96k",
        .sampleRate = 24000,
    },
};

} // namespace

std::span<const Profile> profiles()
{
    return kProfiles;
}

const Profile& defaultProfile()
{
    return kProfiles.front();
}

const Profile* findProfile(std::string_view id)
{
    for (const Profile& profile : kProfiles) {
        if (profile.id == id)
            return &profile;
    }
    return nullptr;
}

} // namespace convert
