#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the corpus of bench/guard_corpus.sh afresh from packages that are not
# installed on this machine: Debian packages fetched with `apt-get download`
# and unpacked with `dpkg-deb -x`, npm packages fetched with `npm pack`. A
# package that is installed here is left out (the files of this machine are
# the ones the guard was tuned on). Needs the network to Debian's archive and
# the npm registry the first time; the downloads stay in the cache folder and
# are used again.
#
#   bash bench/guard_corpus_gather.sh CORPUS_FOLDER CACHE_FOLDER
#
# What goes in:
#   - at most QUARNIX_CORPUS_PER_TYPE (default 8) files of each extension, and
#     some files without one, from the unpacked packages (64 bytes to 2 MiB);
#   - made from their real content with tools unpacked from further packages
#     (netpbm, 7zip, flac): tar, xz, bz2 and 7z archives, FLAC sound, 24-bit
#     BMP and PPM pictures; with sqlite3: SQLite files with pages of 512, 1024
#     and 4096 bytes; with awk: fixed-width text and text of repeated lines;
#   - Chinese manual pages as text in UTF-8, GBK, GB18030, UTF-16 and Big5.
# Files made of records of a fixed length (dBase tables, shapefile indexes,
# SQLite, BMP, PPM, fixed-width text, ELF libraries) go into records/, which
# quarnix-guard-corpus also tries with every password length from 4 to 20.
set -eu

corpus=$1
cache=$2
per_type=${QUARNIX_CORPUS_PER_TYPE:-8}

# Documents (PDF, ODF, OOXML, OLE2), pictures, sounds, fonts, databases and
# shapefiles, libraries, and Chinese manual pages.
debian_packages=(
    r-cran-zoo r-cran-sandwich r-cran-lmtest debian-reference-zh-cn python3-relatorio
    python3-docx r-cran-readxl tango-icon-theme desktop-base pidgin-data r-cran-jpeg
    r-cran-png tk8.6-doc gnome-audio sound-icons oxygen-sounds fonts-font-awesome
    fonts-cantarell fonts-noto-mono r-cran-sf r-cran-rsqlite r-cran-foreign r-cran-terra
    libgsl27 libfftw3-double3 manpages-zh
)
# Tools that make files from the real content; not part of the corpus.
tool_packages=(netpbm libnetpbm11 7zip flac libflac12 libogg0)
# WebAssembly and web fonts.
npm_packages=(sql.js @fontsource/noto-sans-sc)

seeded_shuffle() { shuf --random-source=<(yes quarnix); }

fetch_debian() {
    local root=$1
    shift
    mkdir -p "$cache/debs" "$root"
    for package in "$@"; do
        if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            echo "left out (installed here): $package" >&2
            continue
        fi
        if ! compgen -G "$cache/debs/${package}_*.deb" >/dev/null; then
            (cd "$cache/debs" && apt-get download "$package" >/dev/null)
        fi
        dpkg-deb -x "$(ls "$cache/debs/${package}"_*.deb | head -n 1)" "$root"
        echo "debian: $package"
    done
}

fetch_npm() {
    mkdir -p "$cache/npm" "$cache/npm-root"
    for package in "${npm_packages[@]}"; do
        local tarball
        tarball=$(cd "$cache/npm" && ls | grep -F -- "$(echo "$package" | tr -d @ | tr / -)-" | head -n 1) || true
        if [[ -z $tarball ]]; then
            tarball=$(cd "$cache/npm" && npm pack --silent "$package" | tail -n 1)
        fi
        mkdir -p "$cache/npm-root/${tarball%.tgz}"
        tar -xzf "$cache/npm/$tarball" -C "$cache/npm-root/${tarball%.tgz}"
        cp "$cache/npm/$tarball" "$cache/npm-root/" # the tarball itself: gzip
        echo "npm: $package ($tarball)"
    done
}

# At most $per_type files of each extension, and 40 without one.
pick_files() {
    find "$cache/root" "$cache/npm-root" -type f -size +63c -size -2049k -name '*.*' |
        sort | seeded_shuffle |
        awk -v max="$per_type" '{ n = split($0, p, "/"); e = tolower(p[n]); sub(/.*\./, "", e);
                                  if (length(e) <= 8 && count[e]++ < max) print }' |
        while IFS= read -r path; do
            cp -- "$path" "$corpus/$(basename -- "$path")" 2>/dev/null ||
                cp -- "$path" "$corpus/$RANDOM-$(basename -- "$path")"
        done
    find "$cache/root" -type f -size +63c -size -2049k ! -name '*.*' ! -path '*/bin/*' | sort |
        seeded_shuffle | head -n 40 | while IFS= read -r path; do
        cp -- "$path" "$corpus/noext-$RANDOM-$(basename -- "$path")"
    done
}

# Archives and sounds made from real content.
make_archives() {
    local tools=$cache/tools/usr/bin
    local docs=$cache/root/usr/share/doc
    tar -cf "$corpus/relatorio-examples.tar" -C "$docs/python3-relatorio" examples
    tar -cf "$corpus/zoo-doc.tar" -C "$cache/root/usr/lib/R/site-library/zoo" doc
    local n=0
    for page in $(find "$cache/root/usr/share/man/zh_CN" -name '*.gz' | sort | seeded_shuffle | head -n 6); do
        n=$((n + 1))
        zcat "$page" >"$cache/page-$n.txt"
        xz -c "$cache/page-$n.txt" >"$corpus/manpage-$n.txt.xz"
        bzip2 -c "$cache/page-$n.txt" >"$corpus/manpage-$n.txt.bz2"
    done
    "$tools/7zz" a -bd -y "$corpus/relatorio-examples.7z" "$docs/python3-relatorio/examples" >/dev/null
    "$tools/7zz" a -bd -y "$corpus/readxl-extdata.7z" "$cache/root/usr/lib/R/site-library/readxl/extdata" >/dev/null
    for wav in $(find "$cache/root/usr/share/sounds" -name '*.wav' | sort | seeded_shuffle | head -n 6); do
        "$tools/flac" -s -f -o "$corpus/$(basename "$wav" .wav).flac" "$wav" 2>/dev/null || true
    done
}

# Chinese manual pages in five encodings.
make_chinese() {
    local n=0
    for page in $(find "$cache/root/usr/share/man/zh_CN" "$cache/root/usr/share/man/zh_TW" -name '*.gz' |
        sort | seeded_shuffle | head -n 24); do
        n=$((n + 1))
        local base=$corpus/zh-$n-$(basename "$page" .gz)
        zcat "$page" | head -c 60000 >"$base.utf8.txt"
        iconv -c -f UTF-8 -t GBK "$base.utf8.txt" >"$base.gbk.txt" 2>/dev/null || true
        iconv -c -f UTF-8 -t GB18030 "$base.utf8.txt" >"$base.gb18030.txt" 2>/dev/null || true
        iconv -c -f UTF-8 -t UTF-16 "$base.utf8.txt" >"$base.utf16.txt" 2>/dev/null || true
        iconv -c -f UTF-8 -t BIG5 "$base.utf8.txt" >"$base.big5.txt" 2>/dev/null || true
    done
}

# Files of fixed-length records: some shipped as they are, some made from
# real content.
make_records() {
    local records=$corpus/records
    mkdir -p "$records"
    find "$cache/root" -type f \( -name '*.dbf' -o -name '*.shx' -o -name '*.gpkg' -o -name '*.sqlite' \
        -o -name '*.ppm' -o -name '*.so*' \) -size +63c -size -2049k | sort | while IFS= read -r path; do
        cp -- "$path" "$records/$(basename -- "$path")" 2>/dev/null || true
    done
    # SQLite with small pages, from the lines of real manual pages.
    local lines=$cache/lines.tsv
    find "$cache/root/usr/share/man/zh_CN" -name '*.gz' | sort | head -n 40 | xargs zcat |
        awk 'length($0) > 0 { gsub(/\t/, " "); gsub(/"/, "\047"); print NR "\t" $0 }' | head -n 20000 >"$lines"
    for page in 512 1024 4096; do
        rm -f "$records/manpages-$page.sqlite"
        sqlite3 "$records/manpages-$page.sqlite" "PRAGMA page_size=$page;" \
            "CREATE TABLE line(n INTEGER PRIMARY KEY, text TEXT);" ".mode tabs" ".import $lines line"
    done
    # Fixed-width listings of package contents: records of 26 to 48 bytes.
    local listing=$cache/listing.txt
    for deb in "$cache"/debs/*.deb; do dpkg-deb -c "$deb"; done | awk '{print $3, $6}' >"$listing"
    for width in 26 30 33 34 36 38 40 42 44 48; do
        awk -v w="$width" '{ name = $2; sub(/.*\//, "", name);
                            printf "%-*.*s%10d\n", w - 11, w - 11, name, $1 }' "$listing" |
            head -c 300000 >"$records/listing-$width.txt"
    done
    # A text of one real 40-byte line, repeated.
    local line
    line=$(head -c 39 "$cache/root/usr/share/doc/gnome-audio/README")
    yes "$line" | head -n 2000 >"$records/repeated-40.txt"
    # 24-bit BMP and PPM pictures from real PNG icons of several sizes.
    local tools=$cache/tools/usr/bin
    for png in $(find "$cache/root/usr/share/icons/Tango" "$cache/root/usr/share/pixmaps" \
        "$cache/root/usr/share/desktop-base" -name '*.png' -size -300k | sort | seeded_shuffle | head -n 24); do
        local base=$records/$(basename "$png" .png)
        "$tools/pngtopnm" -mix "$png" 2>/dev/null >"$base.ppm" || continue
        "$tools/ppmtobmp" -bpp 24 "$base.ppm" 2>/dev/null >"$base.bmp" || rm -f "$base.bmp"
    done
    find "$records" -type f -size -64c -delete
}

# The tools run from where they were unpacked.
export LD_LIBRARY_PATH=$cache/tools/usr/lib/x86_64-linux-gnu
rm -rf "$corpus"
mkdir -p "$corpus" "$cache"
fetch_debian "$cache/root" "${debian_packages[@]}"
fetch_debian "$cache/tools" "${tool_packages[@]}"
fetch_npm
pick_files
make_archives
make_chinese
make_records
find "$corpus" -type f -size -64c -delete
