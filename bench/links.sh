#!/bin/bash
# links.sh BUILD_DIR [ROUNDS]: run on an X display (xvfb-run). Times a tel:
# link from the desktop's click to the question on the screen, against the
# program's own start-up to its window in the same run:
#   start-up        Quorvel, until "Phone Dir" is mapped
#   not running     xdg-open tel:..., until the question is mapped (the
#                   program starts, builds its window, then asks)
#   running         xdg-open tel:... while a copy runs: the new start hands
#                   the link over and ends; the running window asks
#   running, direct Quorvel tel:... while a copy runs, without xdg-open
# The program is installed into a private home whose desktop sends tel:
# links to it. Runs are interleaved, so a busy machine slows them all alike;
# prints the medians.
set -euo pipefail

unset QT_QPA_PLATFORM
build=$(cd "$1" && pwd)
rounds=${2:-15}
work=$(mktemp -d)
running=
cleanup() {
    [ -n "$running" ] && kill "$running" 2>/dev/null || true
    [ -n "$(program_pids)" ] && kill $(program_pids) 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
prefix=$work/Quorvel
program_pids() { pgrep -f "^$prefix/Quorvel" || true; }

export HOME=$work/home
export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_DATA_DIRS=$work/system-data
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION BROWSER
mkdir -p "$XDG_DATA_HOME/applications" "$XDG_DATA_DIRS"
cmake --install "$build" --prefix "$prefix" >/dev/null
ln -sf "$prefix/quorvel.desktop" "$XDG_DATA_HOME/applications/"
update-desktop-database "$XDG_DATA_HOME/applications"
xdg-mime default quorvel.desktop x-scheme-handler/tel

link='tel:+1-212-555-0101'
question='Quorvel Book Dialer'
mapwait=$build/bench/mapwait
# xdg-open waits for the program it starts, and mapwait ends only its own
# child: what is left of the program is ended here, between runs.
end_programs() {
    local pids
    pids=$(program_pids)
    [ -n "$pids" ] && kill $pids 2>/dev/null || true
    for _ in $(seq 50); do [ -z "$(program_pids)" ] && return; sleep 0.1; done
}
# The running copy's question is answered No before the next run.
answer_no() {
    local w
    for _ in $(seq 50); do
        w=$(xdotool search --onlyvisible --name "^$question\$" 2>/dev/null | head -n1 || true)
        [ -n "$w" ] && break
        sleep 0.05
    done
    [ -n "$w" ] && xdotool key --window "$w" n
    for _ in $(seq 50); do
        [ -z "$(xdotool search --onlyvisible --name "^$question\$" 2>/dev/null)" ] && return
        sleep 0.05
    done
}

run() {
    case $1 in
    startup)
        "$mapwait" "Phone Dir" "$prefix/Quorvel"
        ;;
    cold)
        "$mapwait" "$question" /usr/bin/xdg-open "$link"
        end_programs
        ;;
    warm)
        "$mapwait" "$question" /usr/bin/xdg-open "$link"
        answer_no
        ;;
    direct)
        "$mapwait" "$question" "$prefix/Quorvel" "$link"
        answer_no
        ;;
    esac
}

start_running() {
    # Right after the last copy ended, the X server now and then refuses a
    # connection: a copy that could not start is started again.
    for _ in 1 2 3; do
        "$prefix/Quorvel" >/dev/null 2>&1 &
        running=$!
        for _ in $(seq 100); do
            xdotool search --onlyvisible --name '^Phone Dir$' >/dev/null 2>&1 && return
            kill -0 "$running" 2>/dev/null || break
            sleep 0.1
        done
        wait "$running" 2>/dev/null || true
        sleep 0.5
    done
    echo "the running copy did not start" >&2
    exit 1
}
stop_running() {
    kill "$running" 2>/dev/null || true
    wait "$running" 2>/dev/null || true
    running=
}

kinds=(startup cold warm direct)
measure() {
    case $1 in
    startup | cold) run "$1" ;;
    *)
        start_running
        run "$1"
        stop_running
        ;;
    esac
}
for kind in "${kinds[@]}"; do measure "$kind" >/dev/null; done # warm the caches
for _ in $(seq "$rounds"); do
    for kind in "${kinds[@]}"; do measure "$kind" >>"$work/times-$kind"; done
done

median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
startup=$(median "$work/times-startup")
printf '%-40s %10s %8s\n' "link to question" "median ms" "ratio"
printf '%-40s %10.1f %8s\n' "start-up to window (floor)" "$startup" "1.00x"
for kind in cold warm direct; do
    case $kind in
    cold) name="xdg-open, program not running" ;;
    warm) name="xdg-open, program running" ;;
    direct) name="Quorvel tel:..., program running" ;;
    esac
    m=$(median "$work/times-$kind")
    awk -v n="$name" -v m="$m" -v b="$startup" 'BEGIN { printf "%-40s %10.1f %7.2fx\n", n, m, m / b }'
done
