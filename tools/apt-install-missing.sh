#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs those of the given Debian packages that are not installed yet:
#
#   tools/apt-install-missing.sh PACKAGE...
#
# Silent, and touches nothing, when every package is there. Otherwise it names
# the packages it installs and lets apt-get show its progress (a fresh machine
# downloads for minutes). As root it calls apt-get itself; otherwise it goes
# through sudo, and without sudo it names the missing packages and fails.
# Fails too when apt-get does.
set -euo pipefail

missing=()
for p in $(printf '%s\n' "$@" | sort -u); do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
    [ "$status" = "installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "Missing packages: ${missing[*]}; run as root, or install them with apt-get." >&2
        exit 1
    fi
    as_root=(sudo)
fi
echo "Installing ${#missing[@]} Debian packages and what they need: ${missing[*]}" >&2
apt=("${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600)
echo "Updating the package lists (apt-get update)..." >&2
"${apt[@]}" update
echo "Downloading and installing (apt-get install)..." >&2
"${apt[@]}" install -y --no-install-recommends "${missing[@]}"
echo "Installed: ${missing[*]}" >&2
