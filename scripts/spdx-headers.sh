#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Reelkeeper developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Adds the copyright and licence lines (SPDX) to every tracked source, script,
# CMake and text data file that has none, in the file's own comment syntax.
# Files that can't carry them (pictures, videos, fuzz corpora, skins,
# translations, the Debian copyright file) are covered by .reuse/dep5.
# Running it again changes nothing. Usage: scripts/spdx-headers.sh [FOLDER]
set -euo pipefail

root="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
cd "$root"

# Split so that licence checkers don't take these lines for this file's own.
tag='SPDX''-License-Identifier:'
copyright='SPDX''-FileCopyrightText: 2026 The Reelkeeper developers'
licence="$tag GPL-3.0-or-later"

# Writes the two lines as prefix + line + suffix, after the first line when
# keep_first is 1 (a "#!" line or an XML declaration must stay first).
add() { # FILE PREFIX SUFFIX KEEP_FIRST [noblank]
    local file=$1 prefix=$2 suffix=$3 keep_first=$4 blank=${5:-blank} tmp
    tmp=$(mktemp "$file.XXXXXX")
    {
        if [[ $keep_first == 1 ]]; then
            head -n 1 "$file"
        fi
        printf '%s%s%s\n%s%s%s\n' "$prefix" "$copyright" "$suffix" "$prefix" "$licence" "$suffix"
        # A blank line parts the header from code, not from a first line kept above it.
        [[ $keep_first == 1 || $blank == noblank ]] || printf '\n'
        if [[ $keep_first == 1 ]]; then
            tail -n +2 "$file"
        else
            cat "$file"
        fi
    } >"$tmp"
    chmod --reference="$file" "$tmp"
    mv "$tmp" "$file"
}

git ls-files -z | while IFS= read -r -d '' file; do
    [[ -f $file && ! -L $file ]] || continue
    case "$file" in
    LICENSE | LICENSES/* | .reuse/*) continue ;;
    *.cpp | *.h | *.h.in) style=cpp ;;
    CMakeLists.txt | */CMakeLists.txt | *.cmake | .gitignore | *.desktop | *.dict) style=hash ;;
    *.sh | .ci/run) style=script ;;
    *.md) style=html ;;
    *.xml) style=xml ;;
    *.[1-9]) style=roff ;;
    *) continue ;; # covered by .reuse/dep5
    esac
    head -n 12 "$file" | grep -qF "$tag" && continue
    first=$(head -n 1 "$file")
    case $style in
    cpp) add "$file" '// ' '' 0 ;;
    hash) add "$file" '# ' '' 0 ;;
    script) add "$file" '# ' '' "$([[ $first == '#!'* ]] && echo 1 || echo 0)" ;;
    html) add "$file" '<!-- ' ' -->' 0 ;;
    xml) add "$file" '<!-- ' ' -->' "$([[ $first == '<?xml'* ]] && echo 1 || echo 0)" ;;
    roff) add "$file" '.\" ' '' 0 noblank ;; # a blank line would be printed
    esac
done
