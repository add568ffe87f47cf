#!/bin/bash
# Builds every fuzz target and runs each for a bounded time, starting from
# its seeds in corpus/NAME. Fails when a target crashes, hangs (an input
# taking longer than FUZZ_TIMEOUT seconds) or runs out of memory; the input
# that did it is kept in the build folder.
#   fuzz/run.sh [SECONDS]      default 60 seconds a target
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${FUZZ_BUILD:-$here/../build-fuzz}
seconds=${1:-60}
timeout=${FUZZ_TIMEOUT:-10}

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --parallel "$(nproc)"

failed=0
for target in "$build"/targets/*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    work="$build/work/$name"
    mkdir -p "$work" "$build/artifacts"
    echo "== fuzzing $name for ${seconds}s"
    # New inputs go to the work folder; the seeds in the repository stay as they are.
    if ! "$target" -max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb=2048 -max_len=65536 \
        -print_final_stats=1 -artifact_prefix="$build/artifacts/$name-" \
        "$work" "$here/corpus/$name" 2>"$build/$name.log"; then
        tail -n 60 "$build/$name.log"
        echo "FAIL: $name (the input is in $build/artifacts)"
        failed=1
    else
        grep -E '^stat::number_of_executed_units|^Done' "$build/$name.log" || true
        echo "ok: $name"
    fi
done
exit $failed
