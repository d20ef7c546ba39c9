#!/bin/sh
# SPDX-FileCopyrightText: 2026 The Reelkeeper developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package and checks it as Debian would: its version, its
# copyright and changelog, and lintian with no error and no warning.
# Arguments: CPACK BUILD_FOLDER WORK_FOLDER VERSION
set -eu
cpack=$1 build=$2 work=$3 version=$4
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v lintian >/dev/null || { echo "lintian is not installed"; exit 77; }

rm -rf "$work"
mkdir -p "$work"
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/reelkeeper_*.deb)
[ "$(dpkg-deb -f "$deb" Version)" = "$version-1" ] || fail "the package's version is not $version-1"
dpkg-deb -c "$deb" | grep ' ./usr/share/doc/reelkeeper/changelog.Debian.gz$' >/dev/null || fail "no changelog"
dpkg-deb -x "$deb" "$work/root"
gzip -dc "$work/root/usr/share/doc/reelkeeper/changelog.Debian.gz" | sed -n 1p \
    | grep -q "^reelkeeper ($version-1) " || fail "the changelog names another version"
lintian --allow-root --fail-on error,warning --tag-display-limit 0 "$deb" || fail "lintian"
