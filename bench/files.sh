#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# quarnix-cli's whole-file work on a large file beside its physical limit,
# `cp` + `sync` of the copy (the durability the tool promises), and beside the
# tools a user would pick instead, `age` and `openssl enc`, each followed by
# `sync` of its output, when they are installed (bench/install-peers.sh does
# that). Not part of the tests.
#
#   bash bench/files.sh [BUILD_FOLDER]      (default build/default)
#
# GNU time measures every run: system and user time and peak resident memory;
# the wall time is taken around the command itself. One pass works on disk, in
# a folder inside BUILD_FOLDER (the working folder's file system), and reports
# the median of its rounds; a second pass works on tmpfs and reports the mean.
# In each round the variants take turns in a rotating order, so that a slow
# spell of the disk, or memory that a virtual machine's host must hand back,
# hits them all alike. Ratios are to cp + sync of the same pass (to two copies +
# sync for the run with a backup); the range in brackets is that of the ratios
# within single rounds, which shows how noisy the machine was. The source file
# is in the page cache throughout.
#
# QUARNIX_BENCH_MIB (default 1024) sets the file size, QUARNIX_BENCH_RUNS
# (default 5) the rounds on disk, QUARNIX_BENCH_TMPFS_RUNS (default 5) those on
# tmpfs; QUARNIX_BENCH_DISK (default BUILD_FOLDER) and QUARNIX_BENCH_TMPFS
# (default /dev/shm, empty to skip) the folders to work in.
#
# QUARNIX_BENCH_PAUSE (seconds, default 5) is slept before every run. A virtual
# machine may hand free memory back to its host within seconds, and a program
# that then fills the page cache pays for every page the host must give again:
# up to several times the work itself, the more so in large pieces. The pause
# lets every run start from that state, the one a user meets after the machine
# sat idle; 0 runs the variants back to back, where a run reuses pages the last
# one freed, or not, as it happens.
#
# QUARNIX_BENCH_COMPARE=OTHER_BUILD_FOLDER adds the topsecret runs of another
# build's quarnix-cli (an older commit, say), taking turns with the rest.

# The variants' commands are single-quoted: the bash that runs each expands them.
# shellcheck disable=SC2016
set -euo pipefail
export LC_NUMERIC=C

build=${1:-build/default}
cli="$build/cli/quarnix-cli"
mib=${QUARNIX_BENCH_MIB:-1024}
disk_runs=${QUARNIX_BENCH_RUNS:-5}
tmpfs_runs=${QUARNIX_BENCH_TMPFS_RUNS:-5}
disk_place=$(realpath "${QUARNIX_BENCH_DISK:-$build}")
tmpfs_place=${QUARNIX_BENCH_TMPFS-/dev/shm}
[ -x "$cli" ] || { echo "no $cli: build first (cmake --build $build)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "GNU time is missing: apt-get install time" >&2; exit 1; }
cli=$(realpath "$cli")
export cli
pause=${QUARNIX_BENCH_PAUSE:-5}
other=
if [ -n "${QUARNIX_BENCH_COMPARE:-}" ]; then
    other="$QUARNIX_BENCH_COMPARE/cli/quarnix-cli"
    [ -x "$other" ] || { echo "no $other" >&2; exit 1; }
    other=$(realpath "$other")
    # A build from before --password-stdin reads a redirected input by itself.
    other_stdin=
    if "$other" --help | grep -q -- --password-stdin; then
        other_stdin=--password-stdin
    fi
    export other other_stdin
fi

folders=()
folder=
trap 'rm -rf "${folders[@]}"' EXIT

# The variants: a label, a command run by bash in the work folder, and what
# removes its output afterwards (not timed). `base` names the variant a ratio
# is taken to.
names=()
declare -A label command cleanup base
variant() {
    names+=("$1")
    label[$1]=$2
    command[$1]=$3
    cleanup[$1]=${4:-}
    base[$1]=${5:-cp}
}
quarnix='"$cli" encrypt --password-stdin --no-mark'
variant cp "cp + sync of the copy" 'cp big copy && sync copy' 'rm -f copy'
variant cp2 "two copies + sync of both" 'cp big copy && cp big copy2 && sync copy copy2' \
    'rm -f copy copy2'
# What replacing the file costs at the least: the copy also takes the file's
# name, and the old content is freed on the way.
variant replace "cp + sync + rename over the file" \
    'cp big copy && sync copy && mv copy big && sync .'
variant top "quarnix topsecret --no-backup" "$quarnix --no-backup --level topsecret big <passwords"
# The same with standard error on a terminal, so that the progress bar is drawn.
variant bar "  the same, progress bar on a terminal" \
    "script -qec '$quarnix --no-backup --level topsecret big <passwords' /dev/null >/dev/null"
variant backup "quarnix topsecret with backup" "$quarnix --level topsecret big <passwords" \
    'rm -f big.备份' cp2
if [ -n "$other" ]; then
    variant top_other "  topsecret --no-backup, other build" \
        '"$other" encrypt $other_stdin --no-mark --no-backup --level topsecret big <passwords'
    variant backup_other "  topsecret with backup, other build" \
        '"$other" encrypt $other_stdin --no-mark --level topsecret big <passwords' 'rm -f big.备份' cp2
fi
variant secret "quarnix secret --no-backup" "$quarnix --no-backup --level secret big <passwords"
variant secretter "quarnix secretter --no-backup" \
    "$quarnix --no-backup --level secretter big <passwords"
peers=()
if command -v age >/dev/null && command -v age-keygen >/dev/null; then
    # age asks a passphrase only on a terminal; a recipient key drives the same
    # payload cipher without one.
    variant age "age + sync" 'age -r "$recipient" -o out big && sync out' 'rm -f out'
    peers+=(age)
fi
if command -v openssl >/dev/null; then
    variant openssl "openssl enc -aes-256-ctr + sync" \
        'openssl enc -aes-256-ctr -pbkdf2 -pass pass:abc -in big -out out && sync out' 'rm -f out'
    peers+=(openssl)
fi
[ ${#peers[@]} -gt 0 ] || echo "age and openssl are missing: their rows are left out" \
    "(bash bench/install-peers.sh installs them)" >&2

# prepare PLACE: makes a work folder in PLACE holding the source file and the
# passwords, and sets `folder` to it; leaves `folder` empty when PLACE lacks room.
prepare() {
    local free_kib
    folder=
    free_kib=$(df -Pk "$1" | awk 'NR == 2 { print $4 }')
    if [ "$free_kib" -lt $((mib * 1024 * 3 + 65536)) ]; then
        echo "$1 has no room for three copies of a $mib MiB file: pass skipped" >&2
        return
    fi
    folder=$(mktemp -d "$1/quarnix-bench-XXXXXX")
    folders+=("$folder")
    head -c "${mib}M" /dev/urandom >"$folder/big"
    printf 'abc\nhello\n' >"$folder/passwords"
    if [[ " ${peers[*]} " == *" age "* ]]; then
        age-keygen -o "$folder/age-key" 2>/dev/null
        recipient=$(age-keygen -y "$folder/age-key")
        export recipient
    fi
}

# run_once ROUND NAME: runs variant NAME once in the current folder and
# prints "ROUND NAME wall sys user peak_kib".
run_once() {
    local start end sys user kib
    sync -f .
    sleep "$pause"
    if ! /usr/bin/time -f '%S %U %M' -o usage bash -c \
        'start=$EPOCHREALTIME; { '"${command[$2]}"'; } || exit; echo "$start $EPOCHREALTIME" >wall' \
        >/dev/null 2>errors; then
        echo "$2 failed:" >&2
        cat errors usage >&2
        exit 1
    fi
    eval "${cleanup[$2]}"
    read -r start end <wall
    read -r sys user kib <usage
    awk -v r="$1" -v n="$2" -v a="$start" -v b="$end" -v s="$sys" -v u="$user" -v k="$kib" \
        'BEGIN { printf "%s %s %.4f %s %s %s\n", r, n, b - a, s, u, k }'
}

# figures NAME MODE: from the records, the wall, system and user time of NAME
# (median or mean of the rounds), its peak memory in KiB (the largest), and the
# lowest and highest ratio of its wall time to that of its base in one round.
figures() {
    awk -v name="$1" -v base="${base[$1]}" -v mode="$2" '
        function figure(values, count,   i, j, t, sum) {
            if (mode == "mean") {
                for (i = 1; i <= count; i++) sum += values[i]
                return sum / count
            }
            for (i = 2; i <= count; i++)
                for (j = i; j > 1 && values[j - 1] > values[j]; j--) {
                    t = values[j]; values[j] = values[j - 1]; values[j - 1] = t
                }
            return count % 2 ? values[(count + 1) / 2] : (values[count / 2] + values[count / 2 + 1]) / 2
        }
        $2 == base { baseWall[$1] = $3 }
        $2 == name { n++; wall[n] = $3; sys[n] = $4; user[n] = $5; round[n] = $1
                     if ($6 > peak) peak = $6 }
        END {
            low = 1e9; high = 0
            for (i = 1; i <= n; i++) {
                r = wall[i] / baseWall[round[i]]
                if (r < low) low = r
                if (r > high) high = r
            }
            w = figure(wall, n); s = figure(sys, n); u = figure(user, n)
            printf "%.4f %.4f %.4f %d %.2f %.2f\n", w, s, u, peak, low, high
        }' records
}

# verdict VALUE OP LIMIT: "ok" when VALUE OP LIMIT holds (OP is < or <=), else "MISSED".
verdict() {
    awk -v v="$1" -v l="$3" -v op="$2" 'BEGIN { print ((op == "<" ? v < l : v <= l) ? "ok" : "MISSED") }'
}

# ratio A B: A / B, or 0 when B is 0.
ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { print (b > 0 ? a / b : 0) }'
}

# pass TITLE PLACE ROUNDS MODE: every variant ROUNDS times in PLACE, then the
# table of figures (MODE: median or mean) and the goals.
pass() {
    local title=$1 place=$2 rounds=$3 mode=$4 i k name
    prepare "$place"
    [ -n "$folder" ] || return 0
    cd "$folder"
    for ((i = 0; i < rounds; i++)); do
        for ((k = 0; k < ${#names[@]}; k++)); do
            run_once "$i" "${names[(i + k) % ${#names[@]}]}"
        done
    done >records

    printf '\n%s: %s (%s), %d MiB, %s of %d rounds, %s s pause before each run\n' "$title" \
        "$place" "$(df --output=fstype . | tail -1)" "$mib" "$mode" "$rounds" "$pause"
    printf '%-40s %7s %7s %7s %6s  %-19s %s\n' "" "wall s" "sys s" "user s" "MiB" \
        "wall / base (range)" "sys / base"
    local -A wall sys peak
    local user low high b
    for name in "${names[@]}"; do
        read -r "wall[$name]" "sys[$name]" user "peak[$name]" low high < <(figures "$name" "$mode")
        printf '%-40s %7.3f %7.3f %7.3f %6.1f' "${label[$name]}" "${wall[$name]}" \
            "${sys[$name]}" "$user" "$(ratio "${peak[$name]}" 1024)"
        b=${base[$name]}
        if [ "$name" != "$b" ]; then
            printf '  %5.2f (%4.2f-%4.2f)  %5.2f   (base: %s)' "$(ratio "${wall[$name]}" "${wall[$b]}")" \
                "$low" "$high" "$(ratio "${sys[$name]}" "${sys[$b]}")" "$b"
        fi
        echo
    done

    local fastest="" largest=0 top_ratio sys_ratio backup_ratio ms
    for name in "${peers[@]}"; do
        if [ -z "$fastest" ] || [ "$(verdict "${wall[$name]}" '<' "${wall[$fastest]}")" = ok ]; then
            fastest=$name
        fi
    done
    for name in top backup bar secret secretter; do
        [ "${peak[$name]}" -gt "$largest" ] && largest=${peak[$name]}
    done
    top_ratio=$(ratio "${wall[top]}" "${wall[cp]}")
    sys_ratio=$(ratio "${sys[top]}" "${sys[cp]}")
    echo "goals:"
    if [ "$mode" = median ]; then
        printf '  topsecret <= 1.1 x cp + sync: %.2f x, %s\n' "$top_ratio" \
            "$(verdict "$top_ratio" '<=' 1.1)"
        if [ -n "$fastest" ]; then
            printf '  topsecret no slower than %s: %.3f s against %.3f s, %s\n' "$fastest" \
                "${wall[top]}" "${wall[$fastest]}" "$(verdict "${wall[top]}" '<=' "${wall[$fastest]}")"
        fi
        backup_ratio=$(ratio "${wall[backup]}" "${wall[cp2]}")
        printf '  topsecret with backup <= 1.1 x two copies + sync: %.2f x, %s\n' "$backup_ratio" \
            "$(verdict "$backup_ratio" '<=' 1.1)"
    else
        printf '  topsecret <= 1.3 x cp: %.2f x, %s\n' "$top_ratio" "$(verdict "$top_ratio" '<=' 1.3)"
    fi
    printf '  (topsecret against cp + sync + rename over the file: %.2f x)\n' \
        "$(ratio "${wall[top]}" "${wall[replace]}")"
    printf '  topsecret system time <= 1.5 x that of cp: %.2f x, %s\n' "$sys_ratio" \
        "$(verdict "$sys_ratio" '<=' 1.5)"
    for name in secret secretter; do
        ms=$(ratio "${wall[$name]}" 0.001)
        printf '  %s < 50 ms: %.1f ms, %s\n' "$name" "$ms" "$(verdict "$ms" '<' 50)"
    done
    printf '  peak memory < 64 MiB: %.1f MiB, %s\n' "$(ratio "$largest" 1024)" \
        "$(verdict "$largest" '<' 65536)"
    cd - >/dev/null
}

pass disk "$disk_place" "$disk_runs" median
if [ -n "$tmpfs_place" ]; then
    if [ "$(stat -f -c %T "$tmpfs_place" 2>/dev/null)" = tmpfs ]; then
        pass tmpfs "$tmpfs_place" "$tmpfs_runs" mean
    else
        echo "$tmpfs_place is not a tmpfs: pass skipped" >&2
    fi
fi
