#!/bin/bash
# Starts the real program from a copy of its folder in a temporary folder, on
# the X display that xvfb-run made: the main window must show the first sample
# contact, Escape must end the program with exit code 0, and the phone book
# file must come out unchanged.
set -euo pipefail

bin_dir=$1
work=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

cp "$bin_dir/Quorvel" "$bin_dir/Quorvel.mdb" "$work/"
before=$(sha256sum < "$work/Quorvel.mdb")

# The program keeps its files beside itself, whatever the current folder.
(cd / && exec "$work/Quorvel") &
pid=$!

wid=
for _ in $(seq 100); do
    wid=$(xdotool search --name '^Phone Dir$' 2>/dev/null | head -n1 || true)
    [ -n "$wid" ] && break
    kill -0 "$pid" 2>/dev/null || fail "the program ended before its window appeared"
    sleep 0.2
done
[ -n "$wid" ] || fail "no window titled 'Phone Dir' appeared"
echo "window $wid: $(xdotool getwindowname "$wid")"

xdotool windowfocus --sync "$wid"
sleep 0.5
# The name box has the focus at start: copy what it shows.
xdotool key --clearmodifiers ctrl+a ctrl+c
shown=
for _ in $(seq 25); do
    shown=$(timeout 5 xclip -o -selection clipboard 2>/dev/null || true)
    [ -n "$shown" ] && break
    sleep 0.2
done
echo "name shown: '$shown'"
[ "$shown" = "Ashford, Nora" ] || fail "expected the first sample contact 'Ashford, Nora'"

xdotool key Escape
rc=
for _ in $(seq 100); do
    if ! kill -0 "$pid" 2>/dev/null; then
        wait "$pid" && rc=0 || rc=$?
        break
    fi
    sleep 0.1
done
[ -n "$rc" ] || fail "Escape did not end the program"
pid=
[ "$rc" -eq 0 ] || fail "exit code $rc"
after=$(sha256sum < "$work/Quorvel.mdb")
[ "$before" = "$after" ] || fail "the phone book file changed"
echo "1 passed, 0 failed"
