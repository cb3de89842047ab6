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

if ! bash "$(dirname "$0")/../tools/apt-install-missing.sh" "${packages[@]}"; then
    echo "The benchmarks do without the packages that are missing" >&2
fi
