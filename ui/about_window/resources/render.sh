#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders logo.png from logo.svg (needs rsvg-convert from Debian's librsvg2-bin).
# The PNG is kept in the repository, so building does not need this script.
set -euo pipefail
cd "$(dirname "$0")"
rsvg-convert -w 104 -h 96 logo.svg -o logo.png
