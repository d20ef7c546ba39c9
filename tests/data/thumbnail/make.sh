#!/bin/sh
# SPDX-FileCopyrightText: 2026 The Reelkeeper developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the tiny clips the thumbnail tests decode. Run once, from this folder;
# the test suite itself does not need ffmpeg.
set -e
x264="-c:v libx264 -profile:v baseline -preset veryslow -crf 40 -g 6 -keyint_min 6 -sc_threshold 0 -pix_fmt yuv420p -fflags +bitexact -flags:v +bitexact -map_metadata -1"
q="-hide_banner -loglevel error -y"
# 4:3, black for its first second, then colour; key frames every half second.
ffmpeg $q -f lavfi -i "color=c=black:s=320x240:r=12:d=1" -f lavfi -i "testsrc=s=320x240:r=12:d=1" \
    -filter_complex "[0:v][1:v]concat=n=2:v=1[v]" -map "[v]" $x264 black-start.mp4
# 16:9 colour, index first (cut short, it still opens).
ffmpeg $q -f lavfi -i "testsrc=s=320x180:r=12:d=1" $x264 -movflags +faststart wide.mp4
# Sound only.
ffmpeg $q -f lavfi -i "sine=f=440:r=8000:d=0.5" -c:a aac -b:a 8k -ac 1 -fflags +bitexact -flags:a +bitexact -map_metadata -1 audio-only.mp4
# 16:9 colour with sound, fragmented (moof/trun), a key frame every 6 pictures.
ffmpeg $q -f lavfi -i "testsrc=s=320x180:r=30:d=0.4" -f lavfi -i "sine=f=440:r=48000:d=0.4" \
    $x264 -g 6 -keyint_min 6 -c:a aac -b:a 32k -movflags +frag_keyframe+empty_moov+default_base_moof fragmented.mp4
