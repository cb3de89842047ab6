#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the commands over a corpus of real files with quarnix-guard-corpus,
# which prints, per level and per password length, how often the look at the
# content questions a right decryption, judges a file (right passes, a
# different password is refused), catches a one-character typo in either
# password, a second encryption, a different password and a wrong level, and
# how often it calls such a refusal a typo; the files still missed by format,
# the false alarms, and the time the judging took. Not part of the tests.
#
#   bash bench/guard_corpus.sh [BUILD_FOLDER]      (default build/default)
#
# The corpus is built afresh by bench/guard_corpus_gather.sh (which names the
# packages it uses) into QUARNIX_CORPUS (default BUILD_FOLDER/guard-corpus),
# from downloads kept in QUARNIX_CORPUS_CACHE (default BUILD_FOLDER/guard-cache);
# an existing corpus is used as it is. QUARNIX_GUARD_LIST=1 lists the missed
# typos and the different passwords called typos.
set -euo pipefail

build=${1:-build/default}
tool=$build/bench/quarnix-guard-corpus
corpus=${QUARNIX_CORPUS:-$build/guard-corpus}
cache=${QUARNIX_CORPUS_CACHE:-$build/guard-cache}

[[ -d $corpus ]] || bash "$(dirname "$0")/guard_corpus_gather.sh" "$corpus" "$cache"
[[ -x $tool ]] || { echo "build quarnix-guard-corpus first" >&2; exit 1; }
files=$(find "$corpus" -type f | wc -l)
types=$(find "$corpus" -type f -name '*.*' | sed 's/.*\.//' | tr 'A-Z' 'a-z' | sort -u | wc -l)
records=$(find "$corpus/records" -type f 2>/dev/null | wc -l)
echo "corpus: $files files ($records of fixed-length records), $types extensions, in $corpus"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
find "$corpus" -type f -print0 | sort -z | xargs -0 "$tool" "$work"
