#!/bin/bash
# bench/run.sh: builds, makes the phone books once (cached in build/bench/cache,
# or $QUORVEL_BENCH_CACHE), and runs every benchmark: the generator's rate,
# the clicks against their floors, peak memory, the import, a CardDAV fetch, and
# start-up and links from the desktop under Xvfb.
# About 1.6 GB of disk and, the first time, a few minutes to make the books.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)"
export QUORVEL_BENCH_CACHE=${QUORVEL_BENCH_CACHE:-$PWD/build/bench/cache}
export QT_QPA_PLATFORM=offscreen
date -u

echo "== generator"
build/bench/bigbook --rate 1000000

echo "== clicks (CPU time, microseconds; ratio to the floor of the same run)"
build/bench/bench_click --benchmark_min_time=0.2 --benchmark_color=false | sed -n '/^operation/,$p'

echo "== who is calling (CPU time, microseconds; ratio to the floor of the same run)"
build/bench/bench_callerid --benchmark_min_time=0.2 --benchmark_color=false | sed -n '/^operation/,$p'

echo "== peak memory"
for n in 1000 10000000; do build/bench/bench_memory "$n"; done

echo "== import (quorvel-book, 300,000 and 1,000,000 cards)"
build/bench/bench_exchange --benchmark_color=false | sed -n '/^Benchmark/,$p'

echo "== probable duplicates (merge's search; CPU of the process, ratio to reading the same columns)"
build/bench/bench_merge --benchmark_color=false | sed -n '/^operation/,$p'

echo "== CardDAV first sync, way down (Radicale on 127.0.0.1; wall ms, ratio to one GET of the whole book)"
build/bench/bench_carddav 1000 10000

echo "== start-up"
unset QT_QPA_PLATFORM
# A display number of its own: other X servers may start beside it.
xvfb-run -a -n $((100 + RANDOM % 400)) -s "-screen 0 1024x768x24" bench/startup.sh build 21

echo "== links from the desktop"
xvfb-run -a -n $((100 + RANDOM % 400)) -s "-screen 0 1024x768x24" bench/links.sh build 21
