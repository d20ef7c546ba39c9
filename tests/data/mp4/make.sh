#!/bin/sh
# SPDX-FileCopyrightText: 2026 The Reelkeeper developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the small PSP-style videos the title tests read. Run once, from this
# folder; the test suite itself does not need ffmpeg.
set -e
common="-hide_banner -loglevel error -y -f lavfi -i color=c=blue:s=32x16:r=5:d=0.4 -f lavfi -i sine=f=440:r=8000:d=0.4 -c:v mpeg4 -q:v 31 -c:a aac -b:a 8k -ac 1 -fflags +bitexact -flags:v +bitexact -flags:a +bitexact -map_metadata -1"
ffmpeg $common -f psp no-title.mp4
ffmpeg $common -metadata title="Hello" -f psp hello.mp4
ffmpeg $common -metadata title="Café ÄÖÜ 日本語" -f psp non-ascii.mp4
ffmpeg $common -metadata title="Fast start" -movflags +faststart -f psp faststart.mp4
