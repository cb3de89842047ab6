#!/usr/bin/env bash
# Installs the tools the file benchmarks compare quarnix-cli with (age,
# openssl) and those that look into where its time goes (strace, perf, GNU
# time, script). Benchmark-only: neither building nor the tests need them.
# Silent when all are there; without root it only says what is missing, and
# bench/files.sh leaves out the rows of the peers it cannot find.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh age openssl strace linux-perf time bsdutils ||
    echo "the benchmark's peers are not all installed; their rows are left out" >&2
