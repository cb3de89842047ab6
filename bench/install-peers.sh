#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages of the file benchmarks only: the tools that
# bench/files.sh compares quarnix-cli with (age, openssl), and those that it and
# bench/trace.sh measure with (GNU time, script, strace, perf). Neither building,
# running nor the tests need them.
#
# Silent when all are there. As root it calls apt-get itself, otherwise it goes
# through sudo; when neither can, it says what is missing and ends without
# failing: bench/files.sh leaves out the rows of the peers it cannot find.
set -euo pipefail

packages=(age openssl time bsdutils strace linux-perf)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
    [ "$status" = "installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "Not installed, the benchmarks do without them: ${missing[*]}" >&2
        exit 0
    fi
    as_root=(sudo)
fi
echo "Installing for the benchmarks: ${missing[*]}" >&2
apt=("${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600)
if ! { "${apt[@]}" update -qq && "${apt[@]}" install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null; }; then
    echo "Could not install them all; the benchmarks do without the missing ones" >&2
fi
