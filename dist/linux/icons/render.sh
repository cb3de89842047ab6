#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the icon theme's pictures of Quarnix's padlock, which are also the
# window icon at each size. The 16 and 32 pixel icons are the window's own
# title-bar padlock (assets/padlock_*.xpm); the others are rendered from
# org.example.quarnix.svg, which is drawn after it. The PNGs are kept in the
# repository, so building does not need this script; rsvg-convert comes from
# Debian's librsvg2-bin. The sizes are QUARNIX_ICON_SIZES of CMakeLists.txt.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
assets="$here/../../../assets"
for size in 16 32; do
    mkdir -p "$here/hicolor/${size}x${size}"
    python3 "$here/xpm_to_png.py" "$assets/padlock_${size}.xpm" "$here/hicolor/${size}x${size}/org.example.quarnix.png"
done
for size in 22 24 48 64 128 256; do
    mkdir -p "$here/hicolor/${size}x${size}"
    rsvg-convert -w "$size" -h "$size" "$here/org.example.quarnix.svg" \
        -o "$here/hicolor/${size}x${size}/org.example.quarnix.png"
done
