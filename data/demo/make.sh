#!/bin/sh
# SPDX-FileCopyrightText: 2026 The Reelkeeper developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the demo videos: tiny PSP-format MP4 files with a title and a
# 160x120 JPEG thumbnail each. Run from this folder; needs ffmpeg.
set -e

# make NAME TITLE SOURCE
make() {
    ffmpeg -y -loglevel error -f lavfi -i "$3" \
        -f lavfi -i "sine=frequency=440:sample_rate=24000" -t 2 -r 15 \
        -c:v libx264 -profile:v baseline -pix_fmt yuv420p -b:v 120k \
        -c:a aac -b:a 24k -ac 1 \
        -f psp -metadata title="$2" "$1.mp4"
    ffmpeg -y -loglevel error -i "$1.mp4" -frames:v 1 -vf scale=160:120 -q:v 5 -f image2 "$1.THM"
}

mkdir -p stick computer
make stick/m4v00001 "Test Card"        "smptebars=size=320x240:rate=15"
make stick/m4v00002 "Mandelbrot Zoom"  "mandelbrot=size=320x240:rate=15"
make stick/m4v00003 "Colour Sweep"     "testsrc2=size=320x240:rate=15"
make computer/Harbour "Harbour Lights" "testsrc=size=320x240:rate=15"
make computer/Sunrise "Sunrise"        "rgbtestsrc=size=320x240:rate=15"
