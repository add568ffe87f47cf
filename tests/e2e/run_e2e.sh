#!/bin/bash
# Starts the real program from a copy of its folder in a temporary folder, on
# the X display that xvfb-run made: the main window must show the first sample
# contact, the next arrow the second, typing over a field and moving on must
# ask whether to save (Escape does not answer it, N does), Escape must end the
# program with exit code 0, and the phone book file must come out unchanged
# (the typing was answered No). The About box opens from the windows module
# beside the program.
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

cp "$bin_dir/Quorvel" "$bin_dir/libquorvel_windows.so" "$bin_dir/Quorvel.mdb" "$work/"
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

# What the name box shows: it has the focus, and the arrows never take it.
name_shown() {
    xdotool key --clearmodifiers ctrl+a ctrl+c
    local text=
    for _ in $(seq 25); do
        text=$(timeout 5 xclip -o -selection clipboard 2>/dev/null || true)
        [ -n "$text" ] && break
        sleep 0.2
    done
    echo "$text"
}
# The first window titled exactly $1, once it appears (empty if none does).
window_titled() {
    local found=
    for _ in $(seq 100); do
        found=$(xdotool search --name "^$1\$" 2>/dev/null | head -n1 || true)
        [ -n "$found" ] && break
        sleep 0.1
    done
    echo "$found"
}
# The navigator's next arrow, in window coordinates at 96 dots per inch.
click_next() { xdotool mousemove --window "$wid" 368 103 click 1; sleep 0.5; }

shown=$(name_shown)
echo "name shown: '$shown'"
[ "$shown" = "Ashford, Nora" ] || fail "expected the first sample contact 'Ashford, Nora'"

click_next
shown=$(name_shown)
echo "after the next arrow: '$shown'"
[ "$shown" = "Brennan, Tom" ] || fail "the next arrow did not show the second contact"

# Typing over a field and moving on asks whether to save; No drops the typing.
xdotool key End
xdotool type "Typed"
click_next
prompt=$(window_titled 'Quorvel Book Dialer')
[ -n "$prompt" ] || fail "no save prompt titled 'Quorvel Book Dialer' appeared"
echo "save prompt $prompt: $(xdotool getwindowname "$prompt")"
xdotool windowfocus --sync "$prompt"
# Escape must not answer for the user (it is also the main window's Quit key).
xdotool key Escape
sleep 0.5
xdotool search --name '^Quorvel Book Dialer$' >/dev/null 2>&1 || fail "Escape closed the save prompt"
kill -0 "$pid" 2>/dev/null || fail "Escape at the save prompt ended the program"
xdotool windowfocus --sync "$prompt"
xdotool key n # answers No
sleep 0.5
xdotool windowfocus --sync "$wid"
sleep 0.3
shown=$(name_shown)
echo "after No: '$shown'"
[ "$shown" = "Castillo, Maria" ] || fail "after No the window should have moved on to the third contact"

# The About box comes from the windows module beside the program, loaded now.
xdotool key alt+a
sleep 0.3
xdotool key Down Down Return
about=$(window_titled About)
[ -n "$about" ] || fail "the About box did not open"
echo "about box $about: $(xdotool getwindowname "$about")"
xdotool windowfocus --sync "$about"
xdotool key Escape
sleep 0.5
xdotool windowfocus --sync "$wid"
sleep 0.3

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
