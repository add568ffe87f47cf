#!/bin/bash
# A phone number clicked elsewhere on the desktop, as the desktop hands it
# over: the program installed into a folder of its own, its menu entry made
# the handler of tel: links in a private home (HOME and XDG_* in a temporary
# folder), a socat pty standing in for the modem on Com 3.
#   xdg-open tel:... starts the program, which asks; Yes, and the modem's end
#   reads exactly the dial. A second xdg-open while it runs reaches the same
#   window: its start hands the link over and ends, and No dials nothing.
#   links_story.sh BUILD_DIR
set -euo pipefail

build_dir=$1
work=$(mktemp -d)
opener=
socat_pid=
reader_pid=
prefix=$work/Quorvel
# The program's processes: those started from this story's own install.
program_pids() { pgrep -f -x "$prefix/Quorvel .*" || true; }
cleanup() {
    for p in "$opener" "$reader_pid" "$socat_pid"; do
        [ -n "$p" ] && kill "$p" 2>/dev/null || true
    done
    [ -n "$(program_pids)" ] && kill $(program_pids) 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
source "$(dirname "$0")/story_lib.sh"
# Boxes one after another share a title: a box is gone when its own window is.
gone() { ! xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
# Answers the box titled $1 with the key $2 (what it answers: $3).
answer() {
    local w
    w=$(window "$1")
    xdotool key "$2"
    until_true gone "$w" || fail "the box '$1' was not closed by $3"
}

# --- A private desktop home ----------------------------------------------------
export HOME=$work/home
export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache
export XDG_STATE_HOME=$HOME/.local/state XDG_DATA_DIRS=$work/system-data XDG_CONFIG_DIRS=$work/system-config
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION BROWSER
mkdir -p "$HOME" "$XDG_CONFIG_HOME/quorvel/ports" "$XDG_DATA_HOME/applications" "$XDG_DATA_DIRS" "$XDG_CONFIG_DIRS"

# --- Installed, and made the desktop's choice as the README says ----------------
cmake --install "$build_dir" --prefix "$prefix" >/dev/null
ln -sf "$prefix/quorvel.desktop" "$XDG_DATA_HOME/applications/"
update-desktop-database "$XDG_DATA_HOME/applications"
xdg-mime default quorvel.desktop x-scheme-handler/tel
chosen=$(xdg-mime query default x-scheme-handler/tel)
[ "$chosen" = quorvel.desktop ] || fail "the desktop opens tel: links with '$chosen'"
grep -q 'x-scheme-handler/callto=.*quorvel.desktop' "$XDG_DATA_HOME/applications/mimeinfo.cache" ||
    fail "the desktop does not know the entry takes callto: links"

# --- The modem on Com 3; area code 212, outside line 9, long distance 1 ----------
start_modem 3
printf ' 3 \r\n' > "$prefix/Port.sav"
printf ' 212  9  1 \r\n' > "$prefix/Prefix.sav"

# --- A click on a number: the program starts and asks ---------------------------
xdg-open 'tel:+1-212-555-0101' &
opener=$!
# The window is up behind the question, which holds the focus.
shown() { [ -n "$(visible "$1")" ]; }
TRIES=300 until_true shown 'Phone Dir' || fail "the program's window did not appear"
answer 'Quorvel Book Dialer' y question-yes
answer 'Quorvel Book Dialer' Return notice
window 'Dazu-D-Uzezo' >/dev/null
until_true grep -q $'\r' "$work/modem-heard" || fail "nothing reached the modem"
cmp <(printf 'ATDT91212-555-0101\r') "$work/modem-heard" || fail "the modem heard: $(od -An -c "$work/modem-heard")"
answer 'Dazu-D-Uzezo' Return picked-up
until_true grep -q ';' "$work/modem-heard" || fail "the modem was not let go"
echo "first link dialed: $(od -An -c "$work/modem-heard" | tr -s " \n" " ")"

# --- A second click while it runs: the same window asks -------------------------
[ "$(program_pids | wc -l)" -eq 1 ] || fail "not one program running: $(program_pids)"
first=$(program_pids)
timeout 20 xdg-open 'callto://+44-20-7031-3000' || fail "the second xdg-open did not end once it handed the link over"
window 'Quorvel Book Dialer' >/dev/null
[ "$(program_pids)" = "$first" ] || fail "the second link started another program: $(program_pids)"
answer 'Quorvel Book Dialer' n second-question-no
sleep 0.5
cmp <(printf 'ATDT91212-555-0101\r;\r') "$work/modem-heard" || fail "No still reached the modem: $(od -An -c "$work/modem-heard")"
echo "second link reached process $first and was declined"

# --- Escape ends the program; xdg-open ends with it --------------------------------
window 'Phone Dir' >/dev/null
xdotool key Escape
no_program() { [ -z "$(program_pids)" ]; }
until_true no_program || fail "the program did not end"
wait "$opener" || true
opener=
echo "1 passed, 0 failed"
