#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Quarnix need.
# Idempotent: prints nothing and touches nothing when every package is there.
set -euo pipefail

packages=(
    g++ cmake ninja-build make pkgconf
    qt6-base-dev qt6-base-dev-tools
    libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
    xvfb xauth fonts-wqy-microhei
    time dpkg-dev file
    libacl1-dev libattr1-dev
)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
    [ "$status" = "installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]}; run as root or install them with apt-get." >&2
    exit 1
fi
echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
