#!/usr/bin/env bash
# Builds the benchmarks in a Release build and runs each of them once; every program repeats
# its own measurements and prints medians. Takes about 15 minutes and 4 GB of temporary files.
#   bench/run.sh [BUILD_DIR [ROUNDS]]      (default: build-bench, 7 rounds)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
rounds=${2:-7}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target bench_scan bench_memory bench_ogg_rewrite bench_window -j2 >/dev/null

# The users' locale: file names are collated the Japanese way.
export LANG=ja_JP.UTF-8
export QT_QPA_PLATFORM=offscreen

echo "== $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
"$build/bench/bench_scan" "$rounds" 10000 100000
"$build/bench/bench_memory" 100000
"$build/bench/bench_ogg_rewrite" "$rounds" 50
"$build/bench/bench_window" "$rounds" 10000 100000 2>/dev/null
