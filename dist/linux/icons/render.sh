#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the icon theme's pictures of Quarnix's padlock. The 16 and 32 pixel icons are
# the window's own title-bar padlock (assets/padlock_*.xpm); the 48 pixel icon is
# rendered from org.example.quarnix.svg, which is drawn after it. The PNGs are kept in the
# repository, so building does not need this script; rsvg-convert comes from
# Debian's librsvg2-bin.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
assets="$here/../../../assets"
for size in 16 32; do
    mkdir -p "$here/hicolor/${size}x${size}"
    python3 "$here/xpm_to_png.py" "$assets/padlock_${size}.xpm" "$here/hicolor/${size}x${size}/org.example.quarnix.png"
done
mkdir -p "$here/hicolor/48x48"
rsvg-convert -w 48 -h 48 "$here/org.example.quarnix.svg" -o "$here/hicolor/48x48/org.example.quarnix.png"
