#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Reelkeeper developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing on a Debian 12 machine, builds Reelkeeper, then
# either starts it (run), runs the whole test suite (test) or runs the suite
# under AddressSanitizer and UndefinedBehaviorSanitizer (sanitize), or only the
# tests of the title engine, the thumbnail maker, the converter, the copy routine and the
# transfer engine and the fuzz corpus replays under them (sanitize-core).
set -euo pipefail

mode="${1:-run}"
shift || true
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

packages=(
    build-essential cmake ninja-build pkg-config git
    qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools libgl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev
    ffmpeg libimage-exiftool-perl
    fonts-wqy-microhei
    desktop-file-utils appstream dpkg-dev file
    qt6-translations-l10n reuse lintian
)

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done
    if ((${#missing[@]})); then
        echo "Installing: ${missing[*]}"
        local sudo=()
        [[ $(id -u) -eq 0 ]] || sudo=(sudo)
        "${sudo[@]}" apt-get update -qq
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

build() {
    local dir="$1"
    shift
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$dir" -j "$(nproc)"
}

run_tests() {
    local dir="$1"
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
}

install_missing
case "$mode" in
run)
    build "$root/build"
    exec "$root/build/appdir/reelkeeper" --demo "$@"
    ;;
test)
    build "$root/build"
    run_tests "$root/build"
    ;;
sanitize)
    build "$root/build-asan" -DREELKEEPER_SANITIZE=ON -DREELKEEPER_BUILD_BENCH=OFF
    ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 run_tests "$root/build-asan"
    ;;
sanitize-core)
    cmake -S "$root" -B "$root/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DREELKEEPER_SANITIZE=ON -DREELKEEPER_BUILD_BENCH=OFF
    cmake --build "$root/build-asan" -j "$(nproc)" --target mp4title_tests thumbnail_tests convert_tests media_tests platform_tests transfer_engine_tests avlib_tests session_tests \
        fuzz_title_replay fuzz_region_replay fuzz_thumbnail_replay fuzz_convert_replay fuzz_names_replay fuzz_naming_replay fuzz_media_replay
    ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 QT_QPA_PLATFORM=offscreen \
        ctest --test-dir "$root/build-asan" --output-on-failure -j "$(nproc)" -L core
    ;;
*)
    echo "usage: $0 run|test|sanitize|sanitize-core" >&2
    exit 2
    ;;
esac
