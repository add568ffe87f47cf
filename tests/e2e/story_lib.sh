#!/bin/bash
# What the stories of the real program share; sourced. A story defines
# fail and $work, and $pid while the program it started must stay up.

# Polls a command until it succeeds; gives up after about ten seconds (TRIES tenths).
until_true() {
    for _ in $(seq "${TRIES:-100}"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
focus() { xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1"; }
# A window title as xdotool's pattern: its own characters only ("ARE YOU SURE?").
pattern() { printf '^%s$' "$(sed 's/[][\.*^$?+(){}|]/\\&/g' <<< "$1")"; }
visible() { xdotool search --onlyvisible --name "$(pattern "$1")" 2>/dev/null | head -n1; }
# Waits for a window titled $1, gives it the focus, and prints its id.
window() {
    local w=
    for _ in $(seq 300); do
        w=$(visible "$1" || true)
        [ -n "$w" ] && break
        [ -z "${pid:-}" ] || kill -0 "$pid" 2>/dev/null || fail "the program ended while waiting for '$1'"
        sleep 0.1
    done
    [ -n "$w" ] || fail "no window titled '$1' appeared"
    focus "$w"
    echo "$w"
}

# The modem: a socat pty pair, the program's end linked as Com $1 under
# $XDG_CONFIG_HOME; what reaches the modem's end collects in $work/modem-heard.
# Sets socat_pid and reader_pid for the story to end.
start_modem() {
    mkdir -p "$XDG_CONFIG_HOME/quorvel/ports"
    socat -d -d pty,raw,echo=0,link="$work/program-end" pty,raw,echo=0,link="$work/modem-end" 2> "$work/socat.log" &
    socat_pid=$!
    until_true grep -q 'starting data transfer loop' "$work/socat.log" || fail "socat did not start"
    ln -s "$work/program-end" "$XDG_CONFIG_HOME/quorvel/ports/com$1"
    stty -F "$work/modem-end" raw -echo
    cat "$work/modem-end" > "$work/modem-heard" &
    reader_pid=$!
}
