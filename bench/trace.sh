#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Where a topsecret encryption of a large file spends its time, beside cp +
# sync of the same file: system calls (strace -c -f), the kernel functions
# that take the time (perf, sampling the CPU clock, which works without
# hardware counters), the size of the page-cache pieces the new file is held in
# (FileHugePages grows when it is held in 2 MiB pieces), and the time from the
# last write to the end of the program (the final flush and the dropping of the
# replaced file). Not part of the tests; bench/install-peers.sh installs the tools.
#
#   bash bench/trace.sh [BUILD_FOLDER]      (default build/default)
#
# QUARNIX_BENCH_MIB (default 1024) sets the file size, QUARNIX_BENCH_DISK
# (default BUILD_FOLDER) the folder to work in, QUARNIX_BENCH_PAUSE (default 5)
# the seconds slept before each traced run (see bench/files.sh).
set -euo pipefail
export LC_NUMERIC=C

build=${1:-build/default}
cli="$build/cli/quarnix-cli"
mib=${QUARNIX_BENCH_MIB:-1024}
pause=${QUARNIX_BENCH_PAUSE:-5}
[ -x "$cli" ] || { echo "no $cli: build first (cmake --build $build)" >&2; exit 1; }
for tool in strace perf; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: bash bench/install-peers.sh" >&2; exit 1; }
done
cli=$(realpath "$cli")
folder=$(mktemp -d "$(realpath "${QUARNIX_BENCH_DISK:-$build}")/quarnix-trace-XXXXXX")
trap 'rm -rf "$folder"' EXIT
cd "$folder"
head -c "${mib}M" /dev/urandom >big
printf 'abc\nhello\n' >passwords
encrypt=("$cli" encrypt --password-stdin --no-mark --no-backup --level topsecret big)
settle() { sync -f .; sleep "$pause"; }
huge_kib() { awk '/^FileHugePages:/ { print $2 }' /proc/meminfo; }

echo "== cp + sync of a $mib MiB file ($(df --output=fstype . | tail -1)): system calls"
settle
strace -c -f -o calls bash -c 'cp big copy && sync copy'
rm copy
head -n 9 calls | tail -n 7
tail -n 1 calls

echo "== quarnix topsecret --no-backup: system calls"
settle
strace -c -f -o calls "${encrypt[@]}" <passwords 2>/dev/null
head -n 9 calls | tail -n 7
tail -n 1 calls

echo "== the same: kernel and program functions by CPU time spent in them"
settle
perf record -q -e cpu-clock -F 1000 -g -o perf.data "${encrypt[@]}" <passwords 2>/dev/null
perf report -i perf.data --no-children --sort sym --stdio 2>/dev/null |
    grep -E '^ +[0-9.]+%' | head -n 8
echo "   the same, counting the functions each one calls:"
perf report -i perf.data --children --sort sym --stdio 2>/dev/null | grep -E '^ +[0-9.]+%' |
    grep -E 'sys_(pwrite|pread|close|sync_file_range|fsync|fadvise)|write_iter|evict' | head -n 8

echo "== the same: page cache held in 2 MiB pieces, and the time after the last write"
# cp fills the page cache in small pieces: the growth is then the new file's alone.
cp big fresh && mv fresh big
settle
before=$(huge_kib)
strace -f -ttt -e trace=pwrite64,fsync,fdatasync,close,exit_group -o times "${encrypt[@]}" <passwords 2>/dev/null
after=$(huge_kib)
echo "   FileHugePages before and after: $before kB -> $after kB"
awk '/pwrite64/ { last = $2 } /fsync|fdatasync/ && !flush { flush = $2 } /exit_group/ { end = $2 }
     END { printf "   last write -> first flush %.3f s, first flush -> exit %.3f s\n",
                  flush - last, end - flush }' times
settle
strace -f -T -e trace=fsync,fdatasync,close -o flushes "${encrypt[@]}" <passwords 2>/dev/null
grep -E 'fsync|fdatasync|close' flushes | grep -vE '<0\.000[0-9]+>' | sed 's/^[0-9]* */   /'
