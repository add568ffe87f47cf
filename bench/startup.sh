#!/bin/bash
# startup.sh BUILD_DIR [ROUNDS]: run on an X display (xvfb-run). Times whole
# processes from start until the window "Phone Dir" is mapped: the program,
# installed as a user installs it, on books of 1,000 and 10,000,000 contacts (its first record is in the boxes
# before the window is shown), a bare Qt window of the same size, and that
# window holding a caption, a text box and a menu bar (what Qt's first text
# and menu cost any program). Runs are interleaved, so a busy machine slows
# them all alike; prints the medians.
set -euo pipefail

# The windows must appear on the X display, whatever the caller's platform.
unset QT_QPA_PLATFORM
build=$(cd "$1" && pwd)
# The books are made once, in the build folder unless told otherwise.
export QUORVEL_BENCH_CACHE=${QUORVEL_BENCH_CACHE:-$build/bench/cache}
rounds=${2:-21}
sizes=${QUORVEL_STARTUP_SIZES:-1000 10000000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Whatever the programs keep at run time stays in the work folder.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR=$work/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
fi

kinds=(bare controls)
for n in $sizes; do
    # Installed, not run from the build folder: there the libraries are
    # looked for in the build's folders first, which costs a user nothing.
    cmake --install "$build" --prefix "$work/$n" >/dev/null
    # A link, not a copy: start-up only reads the book.
    book=$("$build/bench/bigbook" "$n")
    rm "$work/$n/Quorvel.mdb"
    ln "$book" "$work/$n/Quorvel.mdb" 2>/dev/null || cp "$book" "$work/$n/Quorvel.mdb"
    kinds+=("$n")
done

run() {
    if [ "$1" = bare ]; then
        "$build/bench/mapwait" "Phone Dir" "$build/bench/bare_window"
    elif [ "$1" = controls ]; then
        "$build/bench/mapwait" "Phone Dir" "$build/bench/bare_window" --controls
    else
        "$build/bench/mapwait" "Phone Dir" "$work/$1/Quorvel"
    fi
}

for kind in "${kinds[@]}"; do run "$kind" >/dev/null; done # warm the caches
for _ in $(seq "$rounds"); do
    for kind in "${kinds[@]}"; do run "$kind" >>"$work/times-$kind"; done
done

median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
bare=$(median "$work/times-bare")
printf '%-28s %10s %8s\n' "start-up to window" "median ms" "ratio"
printf '%-28s %10.1f %8s\n' "bare Qt window" "$bare" "1.00x"
controls=$(median "$work/times-controls")
awk -v m="$controls" -v b="$bare" 'BEGIN { printf "%-28s %10.1f %7.2fx\n", "caption, text box, menu bar", m, m / b }'
for n in $sizes; do
    m=$(median "$work/times-$n")
    awk -v n="$n" -v m="$m" -v b="$bare" 'BEGIN { printf "%-28s %10.1f %7.2fx\n", "Quorvel, " n " contacts", m, m / b }'
done
