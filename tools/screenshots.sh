#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Screenshots of the main window as a user sees it, for anyone to look at.
#
#   tools/screenshots.sh FOLDER
#
# Starts the real program (build/default/ui/quarnix, built first when missing;
# QUARNIX_BIN names another build) on a virtual X server, drives it with real
# mouse clicks and key presses from xdotool, and writes into FOLDER:
#   main-start.png       the window as it opens
#   main-decrypt.png     after a click on the decrypt task
#   decrypt-confirmation.png
#                        the question asked by a click on 解密 (answered No)
#   file-dialog.png      the file dialog opened with Alt+B, in a folder of
#                        sample files (then plan.doc is chosen)
#   main-topsecret.png   back in the encrypt task, at the top level, with the
#                        four password boxes filled in
#   about-collapsed.png  the About window opened from the information picture
#   about-expanded.png   after a click on its agreement link
# No window manager runs, so the pictures show the client areas (363 x 357 for
# the main window, 437 x 158 and 437 x 281 for the About window) without a title
# bar. The program runs in a temporary folder holding the sample files.
# xdotool and ImageMagick's import are installed here when missing (as root),
# not by the set-up, since only this script needs them.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"

if [ $# -ne 1 ]; then
    echo "usage: $0 FOLDER" >&2
    exit 2
fi

if [ -z "${QUARNIX_SCREENSHOTS_ON_XVFB:-}" ]; then
    bash "$root/tools/install-deps.sh" run test
    bash "$root/tools/apt-install-missing.sh" xdotool imagemagick

    bin="${QUARNIX_BIN:-$root/build/default/ui/quarnix}"
    if [ ! -x "$bin" ]; then
        (cd "$root" && cmake --preset default >/dev/null &&
            cmake --build --preset default --target quarnix >/dev/null)
    fi
    mkdir -p "$1"
    folder="$(cd "$1" && pwd)"
    exec env QUARNIX_SCREENSHOTS_ON_XVFB=1 QUARNIX_BIN="$bin" \
        xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" \
        bash "$0" "$folder"
fi

# From here on: inside the virtual X server.
folder="$1"
samples="$(mktemp -d)"
mkdir "$samples/归档"
head -c 24576 /dev/urandom >"$samples/plan.doc"
head -c 1843200 /dev/urandom >"$samples/预算.xls"
printf '会议记录\n' >"$samples/notes.txt"
(cd "$samples" && exec "$QUARNIX_BIN") &
program=$!
trap 'kill "$program" 2>/dev/null || true; rm -rf "$samples"' EXIT

window="$(xdotool search --sync --onlyvisible --name '^Quarnix 3\.3$' | head -n 1)"

# Positions in window pixels, from the window's layout (twips / 15).
click() {
    xdotool mousemove --window "$window" "$1" "$2" click 1
    sleep 0.3
}
type_text() {
    xdotool type --delay 30 "$1"
}
shot() {
    sleep 0.5
    import -window "$window" "$folder/$1"
    echo "$folder/$1"
}
# A window of the program by its exact title, once it shows.
window_named() {
    xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1
}

sleep 1
shot main-start.png

click 177 31     # OptDecryptTask (inside Frame1 at 8, 8)
shot main-decrypt.png

main="$window"
click 132 338    # CmdDecrypt
window="$(window_named '友情提示')"
shot decrypt-confirmation.png
xdotool key Escape   # No: nothing else happens
sleep 0.3

window="$main"
xdotool windowfocus --sync "$main"   # no window manager hands the focus back
xdotool key alt+b    # cmdOpenFile
window="$(window_named '选择要解密的文件')"
sleep 1              # the folder is read in the background
shot file-dialog.png
xdotool type --delay 30 "plan.doc"
xdotool key Return
sleep 0.3
window="$main"

click 75 31      # OptEncryptTask
click 265 114    # OptTopSecret
click 190 144    # TxtPass1
type_text "plain1"
click 190 169    # TxtPass2
type_text "plain1"
click 190 199    # TxtPass3
type_text "second2"
click 190 225    # TxtPass4
type_text "second2"
shot main-topsecret.png

# The About window, in its own pixels: LblXKXY at (14, 133).
click 343 336    # PicInfor
about="$(xdotool search --sync --onlyvisible --name '^关于 Quarnix$' | head -n 1)"
window="$about"
shot about-collapsed.png

click 40 140     # LblXKXY
shot about-expanded.png
