#!/usr/bin/env bash
# Wall time of quarnix-cli on a large file against `cp` + `sync` of the copy
# (the same durability the tool promises), and the peak resident memory of a
# TopSecret run. Not part of the tests.
#
#   bash bench/files.sh [BUILD_FOLDER]      (default build/default)
#
# QUARNIX_BENCH_MIB (default 1024) sets the file size, QUARNIX_BENCH_RUNS
# (default 7) the runs per figure; each figure is the median of its runs.
set -euo pipefail

build=${1:-build/default}
cli="$build/cli/quarnix-cli"
mib=${QUARNIX_BENCH_MIB:-1024}
runs=${QUARNIX_BENCH_RUNS:-7}
[ -x "$cli" ] || { echo "no $cli: build first (cmake --build $build)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "GNU time is missing: apt-get install time" >&2; exit 1; }
cli=$(realpath "$cli")

folder=$(mktemp -d "${TMPDIR:-/tmp}/quarnix-bench-XXXXXX")
trap 'rm -rf "$folder"' EXIT
cd "$folder"
head -c "${mib}M" /dev/urandom >big
passwords=$'abc\nhello\n'

# seconds COMMAND...: the wall time of one run, in seconds.
seconds() {
    local start=$EPOCHREALTIME
    "$@"
    awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.4f\n", b - a }'
}

# median NAME: the median of the times recorded for NAME.
median() {
    grep "^$1 " times | awk '{ print $2 }' | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'
}

copy_and_sync() { cp big copy && sync copy && rm copy; }
encrypt() { "$cli" encrypt --no-mark "$@" big <<<"$passwords" 2>/dev/null; }
# The same with standard error on a terminal, so that the progress bar is drawn.
encrypt_with_bar() {
    script -qec "'$cli' encrypt --no-mark --no-backup --level topsecret big <<<'$passwords'" \
        /dev/null >/dev/null
}

echo "file: $mib MiB in $folder, median of $runs runs, warm page cache"
# The variants take turns in a rotating order, so that a slow spell of the disk
# and the after-effects of one variant on the next hit them all alike.
run_variant() {
    case $1 in
        cp) seconds copy_and_sync ;;
        top) seconds encrypt --no-backup --level topsecret ;;
        topbackup) seconds encrypt --level topsecret ;;
        bar) seconds encrypt_with_bar ;;
        secret) seconds encrypt --no-backup --level secret ;;
    esac
}
variants=(cp top topbackup bar secret)
for ((i = 0; i < runs; i++)); do
    for ((k = 0; k < ${#variants[@]}; k++)); do
        name=${variants[(i + k) % ${#variants[@]}]}
        echo "$name $(run_variant "$name")"
    done
done >times
cp_time=$(median cp)
top_time=$(median top)
top_backup_time=$(median topbackup)
bar_time=$(median bar)
secret_time=$(median secret)
peak_kib=$(/usr/bin/time -v "$cli" encrypt --no-mark --no-backup --level topsecret big \
    <<<"$passwords" 2>&1 >/dev/null | awk -F': ' '/Maximum resident set size/ { print $2 }')

awk -v cp="$cp_time" -v top="$top_time" -v topb="$top_backup_time" -v bar="$bar_time" \
    -v sec="$secret_time" -v peak="$peak_kib" 'BEGIN {
    printf "cp + sync of the copy                       %8.3f s\n", cp
    printf "encrypt --level topsecret --no-backup       %8.3f s   ratio to cp %.2f (goal <= 1.3)\n", top, top / cp
    printf "  the same on a terminal, progress bar on   %8.3f s\n", bar
    printf "encrypt --level topsecret (with backup)     %8.3f s   ratio to cp %.2f\n", topb, topb / cp
    printf "encrypt --level secret --no-backup          %8.1f ms  (goal < 50 ms)\n", sec * 1000
    printf "peak resident memory, topsecret             %8.1f MiB (goal < 64 MiB)\n", peak / 1024
}'
