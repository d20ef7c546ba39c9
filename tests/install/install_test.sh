#!/bin/sh
# SPDX-FileCopyrightText: 2026 The Reelkeeper developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into an empty prefix and uses it as a desktop would.
# Arguments: CMAKE BUILD_FOLDER WORK_FOLDER VERSION
set -eu
cmake=$1 build=$2 work=$3 version=$4
id=io.github.reelkeeper.Reelkeeper
prefix=$work/prefix
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work/home" "$work/empty"
"$cmake" --install "$build" --prefix "$prefix" >/dev/null

for f in bin/reelkeeper-cli share/reelkeeper/Default.THM share/reelkeeper/Skin/Ember/skin.ini \
    share/reelkeeper/Language/German.qm share/reelkeeper/demo/stick/m4v00001.mp4 \
    share/man/man1/reelkeeper.1.gz share/man/man1/reelkeeper-cli.1.gz; do
    [ -e "$prefix/$f" ] || fail "$f is not installed"
done
for size in 16 32 48 64 128 256; do
    file "$prefix/share/icons/hicolor/${size}x$size/apps/$id.png" | grep -q "PNG image data, $size x $size," \
        || fail "no $size px icon"
done
desktop=$prefix/share/applications/$id.desktop
desktop-file-validate "$desktop" || fail "the launcher does not validate"
grep -qx "Icon=$id" "$desktop" || fail "the launcher names another icon"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null \
    || fail "the metainfo does not validate"

# No display, no platform chosen: --help and --version still answer.
bare="env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u REELKEEPER_APPDIR"
[ "$($bare "$prefix/bin/reelkeeper" --version)" = "reelkeeper $version" ] || fail "reelkeeper --version"
$bare "$prefix/bin/reelkeeper" --help | grep -q -- "--screenshot <FILE>" || fail "reelkeeper --help"
$bare "$prefix/bin/reelkeeper" --help-all | grep -q -- "-platform <" || fail "reelkeeper --help-all"
[ "$($bare "$prefix/bin/reelkeeper-cli" --version)" = "reelkeeper-cli $version" ] || fail "reelkeeper-cli --version"

# The installed program finds its skin: its window differs from the one drawn
# with an empty application folder (no skin, no pictures).
shot() { # NAME, then what env changes
    name=$1
    shift
    rm -rf "$work/home/.config"
    env "$@" HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" QT_QPA_PLATFORM=offscreen \
        "$prefix/bin/reelkeeper" --screenshot "$work/$name.png" 2>/dev/null || fail "no screenshot ($name)"
    [ -s "$work/$name.png" ] || fail "empty screenshot ($name)"
}
shot installed -u REELKEEPER_APPDIR
shot bare REELKEEPER_APPDIR="$work/empty"
cmp -s "$work/installed.png" "$work/bare.png" && fail "the installed program did not find its skin"
exit 0
