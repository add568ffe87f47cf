#!/bin/bash
# A day with the phone book, as a person has it: the program installed into a
# folder of its own and started the way its menu entry starts it, on an X
# desktop with a window manager, a socat pty standing in for the modem on
# Com 3. Everything is done from outside with the keyboard and mouse:
#   walk the book with the arrows; type over a name and answer No;
#   New, type a contact, arrow, Yes; Find it by the first letters of its
#   family name; Sort; Edit a field, Yes; set Com 3 and the prefixes in the
#   two dialogs; dial the mobile number and read the dial command at the
#   modem's end; Help, Pro Version, About and its product link; Delete the
#   contact; Escape.
# Afterwards the phone book and the settings files must hold exactly what
# the story put there. A screenshot of every window met is kept in SHOTS.
#   run_e2e.sh BUILD_DIR SHOTS
set -euo pipefail

build_dir=$1
shots=$2
work=$(mktemp -d)
pid=
socat_pid=
reader_pid=
web_pid=
cleanup() {
    for p in "$pid" "$reader_pid" "$socat_pid" "$web_pid"; do
        [ -n "$p" ] && kill "$p" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
# Messages go to stderr: many steps run inside $(...).
fail() {
    echo "FAIL: $*" >&2
    shot failure || true
    exit 1
}
rm -rf "$shots" && mkdir -p "$shots"
shot_count=0
shot() {
    shot_count=$((shot_count + 1))
    import -window root "$shots/$(printf %02d "$shot_count")-$1.png"
}

source "$(dirname "$0")/story_lib.sh"
is_closed() { [ -z "$(visible "$1")" ]; }
closed() { until_true is_closed "$1" || fail "the window '$1' did not close"; }
# Answers the box titled $1 with the key $2 (its screenshot named $3) and
# waits for it to close.
answer() {
    window "$1" >/dev/null
    shot "$3"
    xdotool key "$2"
    closed "$1"
}

# --- The program, installed into a folder of its own -------------------------
home=$work/Quorvel
cmake --install "$build_dir" --prefix "$home" >/dev/null
entry=$home/quorvel.desktop
exec_path=$(sed -n 's/^Exec=\(.*\) %u$/\1/p' "$entry")
start_dir=$(sed -n 's/^Path=//p' "$entry")
[ -x "$exec_path" ] && [ -d "$start_dir" ] || fail "the menu entry does not name the installed program"
sqlite3 "$home/Quorvel.mdb" 'SELECT * FROM PHONEDIR ORDER BY rowid' > "$work/book-before"

# --- The modem: a pty pair; the program's end is linked as Com 3 ------------
export XDG_CONFIG_HOME=$work/config
start_modem 3

# --- Started as the menu entry starts it -------------------------------------
(cd "$start_dir" && exec "$exec_path") &
pid=$!
wid=$(window 'Phone Dir')
# Where the window lies on the screen, inside its frame, and how high its menu
# bar is above the client area of 5640 twips.
geometry=$(xwininfo -id "$wid")
X=$(sed -n 's/.*Absolute upper-left X: *//p' <<< "$geometry")
Y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<< "$geometry")
HEIGHT=$(sed -n 's/.*Height: *//p' <<< "$geometry")
menu_bar=$((HEIGHT - 5640 / 15))
echo "main window $wid at $X,$Y, menu bar $menu_bar pixels"
# Its layout cannot grow, so the window manager offers no maximize.
actions=$(xprop -id "$wid" _NET_WM_ALLOWED_ACTIONS)
case $actions in *MAXIMIZE*) fail "the main window offers to maximize: $actions" ;; esac

# Window coordinates of a point given in twips in the client area (96 dots per inch).
at() { echo "$(($1 / 15)) $((menu_bar + $2 / 15))"; }
click_at() {
    # shellcheck disable=SC2046
    xdotool mousemove --window "$wid" $(at "$1" "$2") click 1
}
# The controls a person uses, at the middle of their places.
click_name() { click_at 2242 1282; }
click_company() { click_at 3022 2482; }
click_first() { click_at 4500 1282; }
click_previous() { click_at 4740 1282; }
click_next() { click_at 5520 1282; }
click_last() { click_at 5760 1282; }
click_mobile_dial() { click_at 5736 4552; }
click_delete() { click_at 637 5287; }
click_new() { click_at 1597 5287; }
click_find() { click_at 2557 5287; }
click_sort() { click_at 3517 5287; }
click_edit() { click_at 4477 5302; }

# What a box shows, through the clipboard as a person would copy it.
box_text() {
    local text=
    echo '<nothing>' | xclip -selection clipboard
    "$1"
    xdotool key --clearmodifiers ctrl+a ctrl+c
    for _ in $(seq 25); do
        text=$(timeout 5 xclip -o -selection clipboard 2>/dev/null || true)
        [ "$text" != '<nothing>' ] && break
        sleep 0.2
    done
    [ "$text" = '<nothing>' ] && text=
    echo "$text"
}
name_shown() { box_text click_name; }
expect_name() {
    local shown
    until_true is_closed 'Quorvel Book Dialer' || fail "a message box stayed open"
    focus "$wid"
    shown=$(name_shown)
    echo "$2: '$shown'"
    [ "$shown" = "$1" ] || fail "$2: expected '$1', the window shows '$shown'"
}

# --- The main window where its twips say -------------------------------------
shot main-window
main_shot=$(ls "$shots"/*main-window.png)
# The colour at a point given in twips, read from the screenshot.
colour_at() {
    local x y
    read -r x y <<< "$(at "$1" "$2")"
    convert "$main_shot" -format "%[hex:p{$((X + x)),$((Y + y))}]" info: | cut -c1-6
}
white() { [ "$(colour_at "$1" "$2")" = FFFFFF ]; }
[ "$(colour_at 4530 30)" = FDF6D8 ] || fail "the picture Image1 is not at its place (4500, 0)"
white 5800 1882 || fail "the address box does not reach its right end (5895)"
white 5960 1882 && fail "the address box runs past its right end (5895)"
white 2380 4552 || fail "the phone box does not reach its right end (2424)"
white 2454 4552 && fail "the phone box runs into the dial button beside it"
white 5820 5287 && fail "the Quit button is not at its place (5130, 5040)"
dark=$(convert "$main_shot" -crop "$((3435 / 15))x$((390 / 15))+$((X + 990 / 15))+$((Y + menu_bar + 240 / 15))" \
    -colorspace gray -threshold 30% -format '%[fx:1-mean]' info:)
awk "BEGIN { exit !($dark > 0.02) }" || fail "no dark title text where Label1 lies"

# --- Walk the book with the arrows --------------------------------------------
expect_name 'Ashford, Nora' 'at start'
click_next
expect_name 'Brennan, Tom' 'Next'
click_last
expect_name 'Evans, Grace' 'Last'
click_previous
expect_name 'Dubois, Pierre' 'Previous'
click_first
expect_name 'Ashford, Nora' 'First'
click_next

# Typing over a name and moving on asks whether to save; Escape is no answer
# (it is also the main window's Quit key), No drops the typing.
click_name
xdotool key End
xdotool type "Typed"
click_next
window 'Quorvel Book Dialer' >/dev/null
xdotool key Escape
sleep 0.5
[ -n "$(visible 'Quorvel Book Dialer')" ] || fail "Escape closed the save prompt"
kill -0 "$pid" 2>/dev/null || fail "Escape at the save prompt ended the program"
answer 'Quorvel Book Dialer' n save-prompt-no
expect_name 'Castillo, Maria' 'after No'

# --- New, type a contact, arrow, Yes ------------------------------------------
click_new
answer 'Add Record' Return add-record
focus "$wid"
# The boxes in tab order; the picture buttons between them take a Tab too.
xdotool type --delay 20 'Zeller, Quinn'
xdotool key Tab && xdotool type --delay 20 '8 Mill Road, Albany, NY 12207'
xdotool key Tab && xdotool type --delay 20 'Zeller Glass'
xdotool key Tab && xdotool type --delay 20 'quinn@zeller.example'
xdotool key Tab Tab && xdotool type --delay 20 'www.zeller.example'
xdotool key Tab Tab && xdotool type --delay 20 '518-555-0198'
xdotool key Tab Tab && xdotool type --delay 20 '212-555-0199'
shot new-contact-typed
click_previous
answer 'Quorvel Book Dialer' y save-prompt-new

# --- Find it by the first letters of its family name --------------------------
click_first
expect_name 'Ashford, Nora' 'First'
click_find
answer 'Quorvel Book Dialer' Return find-notice
search=$(window 'Name Search')
shot name-search
xdotool type --delay 20 'Zel'
xdotool key Return
closed 'Name Search'
expect_name 'Zeller, Quinn' 'Find "Zel"'

# --- Sort: name order from its first record -----------------------------------
click_sort
expect_name 'Ashford, Nora' 'Sort'
click_last
expect_name 'Zeller, Quinn' 'Last in name order'

# --- Edit a field, Yes ---------------------------------------------------------
click_company
xdotool key ctrl+a
xdotool type --delay 20 'Zeller Glassworks'
click_edit
answer 'Quorvel Book Dialer' y save-prompt-edit
expect_name 'Zeller, Quinn' 'after Edit'
stored=$(sqlite3 "$home/Quorvel.mdb" \
    "SELECT Name, Company, Phone, Address, Mobile, Email, WebPage FROM PHONEDIR WHERE Name LIKE 'Zel%'")
[ "$stored" = 'Zeller, Quinn|Zeller Glassworks|518-555-0198|8 Mill Road, Albany, NY 12207|212-555-0199|quinn@zeller.example|www.zeller.example' ] ||
    fail "the phone book holds '$stored' for the new contact"

# --- The modem port and the prefixes, through the two dialogs -----------------
open_settings() {
    focus "$wid"
    xdotool mousemove --window "$wid" 40 $((menu_bar / 2)) click 1
    sleep 0.3
    xdotool key "$1"
}
open_settings m
comport=$(window 'Com Port')
shot com-port
# It opens over the main window, not at the screen's corner.
centre() {
    local g
    g=$(xwininfo -id "$1")
    echo $(($(sed -n 's/.*Absolute upper-left X: *//p' <<< "$g") + $(sed -n 's/.*Width: *//p' <<< "$g") / 2)) \
        $(($(sed -n 's/.*Absolute upper-left Y: *//p' <<< "$g") + $(sed -n 's/.*Height: *//p' <<< "$g") / 2))
}
read -r mx my < <(centre "$wid")
read -r cx cy < <(centre "$comport")
[ $(((mx - cx) * (mx - cx) + (my - cy) * (my - cy))) -le 1600 ] ||
    fail "Com Port opened at $cx,$cy, the main window's middle is $mx,$my"
# Com 3 is the third option of the left column; its circle lies at twips (288, 1584).
xdotool mousemove --window "$comport" $((288 / 15 + 6)) $((1584 / 15)) click 1
xdotool key Return
closed 'Com Port'

open_settings a
prefix=$(window 'Prefix')
set_box() { # a box of the prefix dialog by its twips, and the value to type
    xdotool mousemove --window "$prefix" $((($1 + 217) / 15)) $((($2 + 142) / 15)) click 1
    xdotool key ctrl+a && xdotool type --delay 20 "$3"
}
set_box 480 420 212  # area code
set_box 480 840 1    # long-distance prefix
set_box 480 1260 9   # outside line
shot prefix
xdotool mousemove --window "$prefix" $(((3180 + 457) / 15)) $(((1140 + 187) / 15)) click 1
closed 'Prefix'
cmp <(printf ' 3 \r\n') "$home/Port.sav" || fail "Port.sav holds $(od -An -c "$home/Port.sav")"
cmp <(printf ' 212  9  1 \r\n') "$home/Prefix.sav" || fail "Prefix.sav holds $(od -An -c "$home/Prefix.sav")"

# --- Dial the mobile number: a local call, so no long-distance prefix ---------
focus "$wid"
click_mobile_dial
answer 'Quorvel Book Dialer' Return dial-notice
dialing=$(window 'Dazu-D-Uzezo')
shot dialing
until_true grep -q $'\r' "$work/modem-heard" || fail "nothing reached the modem"
cmp <(printf 'ATDT9555-0199\r') "$work/modem-heard" || fail "the modem heard: $(od -An -c "$work/modem-heard")"
xdotool key Return
closed 'Dazu-D-Uzezo'
until_true grep -q ';' "$work/modem-heard" || fail "the modem was not told to let go"
cmp <(printf 'ATDT9555-0199\r;\r') "$work/modem-heard" ||
    fail "after the call the modem heard: $(od -An -c "$work/modem-heard")"

# --- Help, Pro Version, About and its product page ---------------------------
# The About menu's items have no access keys: the arrow keys reach them.
about_menu() {
    focus "$wid"
    xdotool mousemove --window "$wid" 110 $((menu_bar / 2)) click 1
    sleep 0.3
    xdotool key --delay 100 $(printf 'Down %.0s' $(seq "$1")) Return
}
# Closes a window as its title bar's close box would.
close_window() {
    focus "$(window "$1")"
    xdotool key alt+F4
    closed "$1"
}
# Whether the right part of a window (where a page shows) holds dark text.
page_drawn() {
    import -window "$1" "$work/page.png" &&
        awk "BEGIN { exit !($(convert "$work/page.png" -gravity east -crop 60%x80%+0+0 -colorspace gray \
            -threshold 50% -format '%[fx:1-mean]' info:) > 0.002) }"
}
about_menu 1 # Help: the viewer opens on the help file's default topic
help=$(window 'Quorvel Book Dialer Help')
TRIES=300 until_true page_drawn "$help" || fail "the help viewer shows no page"
shot help
close_window 'Quorvel Book Dialer Help'

about_menu 2 # Pro Version: the browser on the maker's home page, named by it
browser=$(window 'Quorvel Book Dialer')
shot pro-version
# From there to a page of a web server on this computer, typed into the
# address box: click into it, select all, type, Enter.
mkdir -p "$work/site"
printf '<html><head><title>Local Shop</title></head><body><h1>Local Shop</h1></body></html>' > "$work/site/shop.html"
python3 -u -m http.server --bind 127.0.0.1 --directory "$work/site" 0 > "$work/web.log" 2>&1 &
web_pid=$!
until_true grep -q 'port [0-9]' "$work/web.log" || fail "the web server did not start"
web_port=$(sed -n 's/.* port \([0-9]*\).*/\1/p' "$work/web.log" | head -n1)
type_address() {
    focus "$browser"
    # The address box lies at twips (50, 432 + 330) in the window.
    xdotool mousemove --window "$browser" $(((50 + 1500) / 15)) $(((432 + 330 + 157) / 15)) click 1
    xdotool key ctrl+a
    xdotool type --delay 20 "$1"
    xdotool key Return
}
type_address "http://127.0.0.1:$web_port/shop.html"
window 'Local Shop' >/dev/null
shot typed-address
# An address nobody answers: the engine's error page, and the caption leaves "Working...".
nobody=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
type_address "http://127.0.0.1:$nobody/"
settled() {
    local name
    name=$(xdotool getwindowname "$browser")
    [ "$name" != 'Working...' ] && [ "$name" != 'Local Shop' ]
}
TRIES=300 until_true settled || fail "the browser window still reads '$(xdotool getwindowname "$browser")'"
TRIES=300 until_true page_drawn "$browser" || fail "the browser shows no error page"
shot unreachable
kill "$web_pid" 2>/dev/null || true
web_pid=
close_window "$(xdotool getwindowname "$browser")"

about_menu 3 # About, and its link to the product page
about=$(window 'About')
shot about
xdotool mousemove --window "$about" $(((1092 + 400) / 15)) $(((2160 + 96) / 15)) click 1
window 'Quorvel Book Dialer Pro' >/dev/null
shot product-page
close_window 'Quorvel Book Dialer Pro'
about=$(window 'About')
xdotool mousemove --window "$about" $(((1692 + 480) / 15)) $(((3216 + 202) / 15)) click 1
closed 'About'

# --- Delete the contact --------------------------------------------------------
focus "$wid"
expect_name 'Zeller, Quinn' 'before Delete'
click_delete
answer 'ARE YOU SURE?' y delete-confirm
shown=$(name_shown)
[ "$shown" != 'Zeller, Quinn' ] || fail "the deleted contact is still shown"

# --- Escape ends the program ---------------------------------------------------
focus "$wid"
xdotool key Escape
until_true bash -c "! kill -0 $pid 2>/dev/null" || fail "Escape did not end the program"
rc=0
wait "$pid" || rc=$?
pid=
[ "$rc" -eq 0 ] || fail "exit code $rc"

# --- What the story left behind ------------------------------------------------
sqlite3 "$home/Quorvel.mdb" 'SELECT * FROM PHONEDIR ORDER BY rowid' > "$work/book-after"
diff "$work/book-before" "$work/book-after" || fail "the phone book is not as it was before the added contact"
[ "$(sqlite3 "$home/Quorvel.mdb" 'PRAGMA integrity_check')" = ok ] || fail "the phone book is damaged"
echo "screenshots: $shots"
echo "1 passed, 0 failed"
