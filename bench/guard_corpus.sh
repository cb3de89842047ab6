#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Gathers a corpus of real files from this machine and runs the commands over
# it with quarnix-guard-corpus, which prints, per level, how often the look at
# the content questions a right decryption, catches a one-character typo in
# either password, a second encryption, and a different password. Not part of
# the tests.
#
#   bash bench/guard_corpus.sh [BUILD_FOLDER]      (default build/default)
#
# The corpus: at most QUARNIX_CORPUS_PER_TYPE (default 6) files of each
# extension found under /usr/share, /usr/lib and /usr/share/doc, between 64
# bytes and 2 MiB, chosen by a fixed shuffle; some files without an extension;
# and Chinese texts (the translations of installed programs, the Chinese manual
# pages) in UTF-8 and converted with iconv to GBK, GB18030 and UTF-16. Nothing
# is generated. QUARNIX_CORPUS (default BUILD_FOLDER/guard-corpus) is where it
# is gathered; an existing corpus there is used as it is.
# QUARNIX_GUARD_LIST=1 lists the questioned right decryptions and missed typos.
set -euo pipefail

build=${1:-build/default}
tool=$build/bench/quarnix-guard-corpus
corpus=${QUARNIX_CORPUS:-$build/guard-corpus}
per_type=${QUARNIX_CORPUS_PER_TYPE:-6}

seeded_shuffle() { shuf --random-source=<(yes quarnix); }

gather() {
    mkdir -p "$corpus"
    local n=0
    # Files with an extension, at most $per_type of each.
    find /usr/share /usr/lib -xdev -type f -size +63c -size -2049k -name '*.*' 2>/dev/null |
        grep -v -e '/mime/' -e '/\.' | seeded_shuffle |
        awk -v max="$per_type" '{ n = split($0, p, "/"); f = p[n]; e = tolower(f); sub(/.*\./, "", e);
                                  if (length(e) <= 8 && count[e]++ < max) print }' |
        while IFS= read -r path; do
            n=$((n + 1))
            cp -- "$path" "$corpus/$n-$(basename -- "$path")"
        done || true
    # Files without an extension (licences, scripts, data).
    find /usr/share/doc /usr/share/common-licenses /usr/lib -xdev -type f -size +63c -size -2049k \
        ! -name '*.*' 2>/dev/null | seeded_shuffle | head -n 40 |
        while IFS= read -r path; do
            cp -- "$path" "$corpus/noext-$RANDOM-$(basename -- "$path")"
        done || true
    # Chinese text: translations and manual pages, in four encodings.
    local i=0
    for mo in $(ls /usr/share/locale/zh_CN/LC_MESSAGES/*.mo 2>/dev/null | seeded_shuffle | head -n 12); do
        i=$((i + 1))
        msgunfmt "$mo" 2>/dev/null | head -c 60000 >"$corpus/zh-$i.utf8.txt" || continue
    done
    for page in $(ls /usr/share/man/zh_CN/man*/*.gz 2>/dev/null | seeded_shuffle | head -n 12); do
        i=$((i + 1))
        zcat "$page" | head -c 60000 >"$corpus/zh-$i.utf8.txt" || true
    done
    for text in "$corpus"/zh-*.utf8.txt; do
        local base=${text%.utf8.txt}
        iconv -c -f UTF-8 -t GBK "$text" >"$base.gbk.txt" 2>/dev/null || true
        iconv -c -f UTF-8 -t GB18030 "$text" >"$base.gb18030.txt" 2>/dev/null || true
        iconv -c -f UTF-8 -t UTF-16 "$text" >"$base.utf16.txt" 2>/dev/null || true
    done
    find "$corpus" -type f -size -64c -delete
}

[[ -d $corpus ]] || gather
[[ -x $tool ]] || { echo "build quarnix-guard-corpus first" >&2; exit 1; }
files=$(find "$corpus" -type f | wc -l)
types=$(find "$corpus" -type f -name '*.*' | sed 's/.*\.//' | tr 'A-Z' 'a-z' | sort -u | wc -l)
echo "corpus: $files files, $types extensions, in $corpus"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
find "$corpus" -type f -print0 | sort -z | xargs -0 "$tool" "$work"
