#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian 12 packages that Quarnix needs, by set:
#
#   tools/install-deps.sh [run] [test]
#
#   run    building and running the programs (the default)
#   test   besides: the test and benchmark libraries, Qt's window-system
#          interface (a GUI test closes a window as a window manager does),
#          the package tools, the package checkers (lintian, appstreamcli,
#          desktop-file-validate, xdg-mime for the MIME type),
#          the virtual X server of the screenshots, the locale sources that a
#          test builds a GB18030 locale from, and Nautilus's Python extension
#          interface for the test of the GNOME Files actions
#
# Idempotent: prints nothing and touches nothing when every package is there;
# otherwise it names the packages it installs and shows apt-get's progress.
# As root it calls apt-get itself; otherwise it goes through sudo.
set -euo pipefail

run_packages=(
    g++ cmake ninja-build make pkgconf
    qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libcli11-dev
    libacl1-dev libattr1-dev libxxhash-dev scdoc fonts-wqy-microhei shared-mime-info
    qt6-wayland zlib1g-dev liblzma-dev libbz2-dev libbrotli-dev
)
test_packages=(
    libgtest-dev libgmock-dev libbenchmark-dev qt6-base-private-dev
    dpkg-dev file lintian appstream desktop-file-utils xdg-utils
    xvfb xauth time locales python3-gi gir1.2-nautilus-4.0
)

[ $# -eq 0 ] && set -- run
packages=()
for name in "$@"; do
    case "$name" in
        run) packages+=("${run_packages[@]}") ;;
        test) packages+=("${run_packages[@]}" "${test_packages[@]}") ;;
        *)
            echo "usage: $0 [run] [test]" >&2
            exit 2
            ;;
    esac
done

bash "$(dirname "$0")/apt-install-missing.sh" "${packages[@]}"
