#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A screenshot of Dolphin's detail view, in Chinese, of a folder where three
# files encrypted by quarnix-cli show as "Quarnix 加密文件" with the padlock
# icon, and one plain .docx as a Word document beside them:
#
#   sudo tools/screenshot-file-manager.sh [PACKAGE.deb [PICTURE.png]]
#
# PACKAGE.deb defaults to build/default/quarnix_*.deb (make package; the last
# by name when there are several),
# PICTURE.png to docs/screenshots/file-manager-encrypted-type.png.
#
# Nothing is installed on this machine: the script runs in a private mount and
# process namespace where /usr, /etc and /var are overlays whose changes go to
# a temporary folder, thrown away at the end. In there it installs Dolphin,
# Openbox, Xvfb and the package (apt-get, some 300 packages downloaded), makes
# the zh_CN.UTF-8 locale and a user, and then, as that user:
#   - makes 报告.docx, 预算.xlsx, 照片.jpg and 计划.docx in ~/文档 and encrypts
#     the first three with quarnix-cli at the levels secret, secretter and
#     topsecret, which names them 报告(秘密).docx, 预算(机密).xlsx, 照片(绝密).jpg;
#   - sets Dolphin to the detail view with the columns 名称, 类型, 大小 and
#     修改时间, starts it with Openbox on Xvfb under LANG=zh_CN.UTF-8, sizes its
#     window to 840 x 300 and takes the window with its frame (import -frame).
# Needs root (unshare, mount), the network to the Debian archive, and about
# 1 GB free in /tmp for the while.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
script="$(readlink -f "$0")"
user=wenjian
size=840x300

case "${QUARNIX_FM_SHOT_STAGE:-}" in
"")
    if [ "$(id -u)" -ne 0 ]; then
        echo "Run as root: the script mounts overlays in a namespace of its own." >&2
        exit 2
    fi
    debs=("$root"/build/default/quarnix_*.deb)
    deb="${1:-${debs[-1]}}"
    picture="${2:-$root/docs/screenshots/file-manager-encrypted-type.png}"
    if [ ! -f "$deb" ]; then
        echo "No package: run make package, or name the .deb." >&2
        exit 2
    fi
    deb="$(readlink -f "$deb")"
    mkdir -p "$(dirname "$picture")"
    picture="$(readlink -f "$(dirname "$picture")")/$(basename "$picture")"
    work="$(mktemp -d /tmp/quarnix-fm-shot.XXXXXX)"
    chmod 755 "$work"   # the home of the user who runs Dolphin is in it
    trap 'rm -rf "$work"' EXIT
    # The process namespace ends every program started in it when the script
    # inside ends, and with them the overlays.
    QUARNIX_FM_SHOT_STAGE=namespace unshare --mount --propagation private --pid --fork \
        --mount-proc bash "$script" "$deb" "$picture" "$work"
    echo "$picture"
    exit 0
    ;;

namespace)
    deb="$1" picture="$2" work="$3"
    for dir in usr etc var; do
        mkdir -p "$work/$dir/upper" "$work/$dir/work"
        mount -t overlay overlay \
            -o "lowerdir=/$dir,upperdir=$work/$dir/upper,workdir=$work/$dir/work" "/$dir"
    done
    printf '#!/bin/sh\nexit 101\n' >/usr/sbin/policy-rc.d   # start no service
    chmod +x /usr/sbin/policy-rc.d
    apt=(env DEBIAN_FRONTEND=noninteractive apt-get -q -y -o DPkg::Lock::Timeout=600)
    "${apt[@]}" update >/dev/null
    "${apt[@]}" install --no-install-recommends dolphin plasma-integration breeze-icon-theme \
        openbox xvfb xauth xdotool imagemagick dbus locales fonts-wqy-microhei python3 \
        >"$work/apt.log"
    "${apt[@]}" install "$deb" >>"$work/apt.log"
    echo "zh_CN.UTF-8 UTF-8" >/etc/locale.gen
    locale-gen >/dev/null
    useradd --create-home --home-dir "$work/home" "$user"
    install -d -m 700 -o "$user" -g "$user" "$work/home/.run"
    setpriv --reuid="$user" --regid="$user" --init-groups \
        env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_RUNTIME_DIR="$work/home/.run" \
        LANG=zh_CN.UTF-8 LANGUAGE=zh_CN XDG_CURRENT_DESKTOP=KDE KDE_FULL_SESSION=true \
        KDE_SESSION_VERSION=5 QUARNIX_FM_SHOT_STAGE=user \
        xvfb-run --auto-servernum --server-args="-screen 0 1024x600x24" \
        dbus-run-session -- bash "$script" "$work/home/shot.png"
    cp "$work/home/shot.png" "$picture"
    ;;

user)
    folder="$HOME/文档"
    mkdir "$folder"
    cd "$folder"
    python3 - <<'EOF'
import zipfile
office = "application/vnd.openxmlformats-officedocument."
for name, part, kind in [("报告.docx", "word/document.xml", "wordprocessingml.document"),
                         ("计划.docx", "word/document.xml", "wordprocessingml.document"),
                         ("预算.xlsx", "xl/workbook.xml", "spreadsheetml.sheet")]:
    with zipfile.ZipFile(name, "w") as z:
        z.writestr("[Content_Types].xml",
                   '<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/'
                   f'package/2006/content-types"><Override PartName="/{part}" '
                   f'ContentType="{office}{kind}.main+xml"/></Types>')
        z.writestr(part, '<?xml version="1.0"?><root/>')
EOF
    convert -size 320x240 gradient:skyblue-seagreen 照片.jpg
    printf 'mima1234\n' | quarnix-cli encrypt --level secret --no-backup --password-stdin 报告.docx
    printf 'mima1234\n' | quarnix-cli encrypt --level secretter --no-backup --password-stdin 预算.xlsx
    printf 'mima1234\nmima5678\n' |
        quarnix-cli encrypt --level topsecret --no-backup --password-stdin 照片.jpg
    touch -d "2024-03-15 09:30" ./*

    mkdir -p "$HOME/.config" "$HOME/.local/share/dolphin/view_properties/global"
    cat >"$HOME/.config/dolphinrc" <<'EOF'
[General]
GlobalViewProps=true
[DetailsMode]
IconSize=22
PreviewSize=22
ExpandableFolders=false
EOF
    cat >"$HOME/.local/share/dolphin/view_properties/global/.directory" <<'EOF'
[Dolphin]
Version=4
ViewMode=1
PreviewsShown=false
VisibleRoles=Details_text,Details_type,Details_size,Details_modificationtime
EOF

    openbox &
    dolphin "$folder" 2>/dev/null &
    window="$(xdotool search --sync --onlyvisible --class dolphin | head -n 1)"
    xdotool windowsize "$window" "${size%x*}" "${size#*x}" windowmove "$window" 40 40
    sleep 3   # the folder is read and its types looked up in the background
    import -frame -window "$window" "$1"
    ;;
esac
