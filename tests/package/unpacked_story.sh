#!/bin/bash
# The package as two people on one machine get it, without installing it
# for the whole machine: unpacked into a temporary root, the window and
# quorvel-book are started from there, from a folder of no importance, by
# two users with fresh homes. Each gets a book of their own (a copy of the
# sample) and settings of their own, in their own folders; the unpacked
# /usr is never written. Runs on an X display with a window manager
# (tests/e2e/desktop.sh).
#   unpacked_story.sh PACKAGE.deb
set -euo pipefail

deb=$(realpath "$1")
work=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
source "$(dirname "$0")/../e2e/story_lib.sh"

# --- The layout a Debian user gets -------------------------------------------
root=$work/root
dpkg-deb -x "$deb" "$root"
triplet=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
private=usr/lib/$triplet/quorvel
for f in usr/bin/quorvel usr/bin/quorvel-book \
    "$private"/libquorvel_core.so "$private"/libquorvel_forms.so "$private"/libquorvel_identity.so \
    "$private"/libquorvel_windows.so "$private"/quorvel-chmcheck \
    usr/share/quorvel/phone.chm usr/share/quorvel/Quorvel.mdb usr/share/quorvel/maker/index.html \
    usr/share/quorvel/maker/phone.html usr/share/applications/quorvel.desktop \
    usr/share/icons/hicolor/scalable/apps/quorvel.svg usr/share/metainfo/example.quorvel.bookdialer.metainfo.xml \
    usr/lib/systemd/user/quorvel-sync.service usr/lib/systemd/user/quorvel-sync.timer \
    usr/share/man/man1/quorvel.1.gz usr/share/man/man1/quorvel-book.1.gz usr/share/doc/quorvel/copyright; do
    [ -e "$root/$f" ] || fail "the package does not hold /$f"
done
entry=$root/usr/share/applications/quorvel.desktop
desktop-file-validate "$entry" || fail "the menu entry is not valid"
grep -qx 'Exec=quorvel %u' "$entry" || fail "the menu entry does not start the command on the path"
grep -qx 'Path=/usr/share/quorvel' "$entry" || fail "the menu entry sets no working folder"
grep -qx 'ExecStart="/usr/bin/quorvel-book" sync' "$root/usr/lib/systemd/user/quorvel-sync.service" ||
    fail "the sync unit does not run the installed quorvel-book"
# Nothing of the program lies beside the commands; the libraries are found
# from wherever the root was unpacked.
[ "$(ls "$root/usr/bin")" = "$(printf 'quorvel\nquorvel-book')" ] || fail "/usr/bin holds $(ls "$root/usr/bin")"
libs=$(ldd "$root/usr/bin/quorvel" "$root/usr/bin/quorvel-book" "$root/$private/libquorvel_windows.so")
! grep -q 'not found' <<<"$libs" || fail "a library is not found: $libs"

sample=$(sqlite3 "$root/usr/share/quorvel/Quorvel.mdb" 'SELECT count(*) FROM PHONEDIR')
[ "$sample" -gt 0 ] || fail "the sample book is empty"
snapshot() { (cd "$root" && find . -printf '%p %y %s %m %T@\n' | sort); }
snapshot > "$work/root-before"

# --- Two people, each with a fresh home --------------------------------------
# The defaults of the user's folders apply: ~/.local/share, ~/.config.
unset XDG_DATA_HOME XDG_CONFIG_HOME XDG_CACHE_HOME XDG_STATE_HOME
export QTWEBENGINE_DISABLE_SANDBOX=1 QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu
as_user() { # the environment of user $1 for the commands that follow
    export HOME=$work/home-$1 XDG_RUNTIME_DIR=$work/run-$1
    mkdir -p "$HOME" && mkdir -m 700 -p "$XDG_RUNTIME_DIR"
    book=$HOME/.local/share/quorvel/Quorvel.mdb
    settings=$HOME/.config/quorvel
}
mkdir "$work/elsewhere"
cd "$work/elsewhere"
count() { "$root/usr/bin/quorvel-book" count; }
contacts() { sqlite3 "$1" 'SELECT count(*) FROM PHONEDIR'; }
# The window started as from the menu or a terminal; it must open the user's
# own book (the file it holds open) and no other.
start_window() {
    "$root/usr/bin/quorvel" &
    pid=$!
    wid=$(window 'Phone Dir')
    until_true sh -c "ls -l /proc/$pid/fd | grep -qF -- '-> $book'" ||
        fail "the window does not hold $book open: $(ls -l "/proc/$pid/fd")"
}
quit_window() {
    focus "$wid"
    xdotool key Escape
    TRIES=100 until_true sh -c "! kill -0 $pid 2>/dev/null" || fail "the window did not end on Escape"
    wait "$pid" || true
    pid=
}

# The first person starts quorvel-book first: it places their copy of the sample.
as_user ida
[ "$(count)" = "$sample" ] || fail "quorvel-book counts $(count), the sample holds $sample"
[ -f "$book" ] || fail "no book was placed at $book"
[ "$(stat -c %a "$(dirname "$book")")" = 700 ] || fail "the book's folder may be read by others"
printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ida Brandt\r\nN:Brandt;Ida;;;\r\nTEL;TYPE=CELL:212-555-0142\r\nEND:VCARD\r\n' \
    > "$work/ida.vcf"
"$root/usr/bin/quorvel-book" import "$work/ida.vcf" >/dev/null
[ "$(count)" = $((sample + 1)) ] || fail "the import did not reach the book quorvel-book counts"

# Her window opens that same book; the port she chooses lands in her settings.
start_window
menu_bar=$(($(xwininfo -id "$wid" | sed -n 's/.*Height: *//p') - 5640 / 15))
focus "$wid"
xdotool mousemove --window "$wid" 40 $((menu_bar / 2)) click 1
sleep 0.3
xdotool key m
comport=$(window 'Com Port')
# Com 3 is the third option of the left column; its circle lies at twips (288, 1584).
xdotool mousemove --window "$comport" $((288 / 15 + 6)) $((1584 / 15)) click 1
xdotool key Return
until_true test -f "$settings/Port.sav" || fail "Port.sav did not land in $settings"
cmp <(printf ' 3 \r\n') "$settings/Port.sav" || fail "Port.sav holds $(od -An -c "$settings/Port.sav")"
# Help, started from another folder: the help the package ships opens.
focus "$wid"
xdotool mousemove --window "$wid" 110 $((menu_bar / 2)) click 1
sleep 0.3
xdotool key --delay 100 Down Return
help=$(window 'Quorvel Book Dialer Help')
focus "$help"
xdotool key alt+F4
until_true test -z "$(visible 'Quorvel Book Dialer Help')" || fail "the help viewer did not close"
quit_window

# The second person starts the window first: a book of her own, the sample's
# contacts and not the first person's; no settings until she saves some.
as_user una
start_window
[ "$(contacts "$book")" = "$sample" ] || fail "the second user's book holds $(contacts "$book") contacts"
quit_window
[ "$(count)" = "$sample" ] || fail "quorvel-book of the second user counts $(count)"
[ ! -e "$settings/Port.sav" ] || fail "the second user has the first user's settings"

as_user ida
[ "$(count)" = $((sample + 1)) ] || fail "the first user's book changed: $(count)"

# A third whose data folder cannot hold a book (a file of hers has its name):
# no copy is made, quorvel-book says which book is missing, her file stays.
as_user noor
mkdir -p "$HOME/.local/share" && printf 'mine' > "$HOME/.local/share/quorvel"
if out=$(count 2>&1); then fail "quorvel-book counted a book that cannot be there: $out"; fi
grep -qF "$book" <<<"$out" || fail "quorvel-book does not name the missing book: $out"
[ "$(cat "$HOME/.local/share/quorvel")" = mine ] || fail "the user's own file was changed"

# --- Nothing was written under the unpacked /usr -----------------------------
snapshot > "$work/root-after"
diff "$work/root-before" "$work/root-after" || fail "the program wrote under the unpacked /usr"
echo "unpacked package: two users, two books, settings in their homes, /usr untouched"
