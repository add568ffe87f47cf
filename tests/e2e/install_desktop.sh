#!/bin/bash
# Installs into a folder whose name has a blank and a dollar sign, as a
# user's folder may: the desktop entry and the software-centre description
# must pass their validators, and the menu entry must start the installed
# program in its own folder.
set -euo pipefail

build_dir=$1
top=$(mktemp -d)
trap 'rm -rf "$top"' EXIT
prefix="$top/My \$Programs"
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build_dir" --prefix "$prefix" >/dev/null
entry="$prefix/quorvel.desktop"
desktop-file-validate "$entry" || fail "the desktop entry is not valid"
metainfo=$(ls "$prefix"/*.metainfo.xml)
appstreamcli validate --no-net "$metainfo" || fail "the software-centre description is not valid"

# Exec, unquoted as a desktop would do it, must name the installed program
# and take the clicked link.
exec_line=$(sed -n 's/^Exec=//p' "$entry")
[ "${exec_line% %u}" != "$exec_line" ] || fail "Exec does not end in the link's field code: $exec_line"
exec_line=${exec_line% %u}
grep -qx 'MimeType=x-scheme-handler/tel;x-scheme-handler/callto;' "$entry" || fail "the entry takes no tel: links"
eval "argv=($(printf '%s' "$exec_line" | sed 's/\\\\/\\/g'))"
[ "${#argv[@]}" -eq 1 ] || fail "Exec splits into ${#argv[@]} words: $exec_line"
[ "${argv[0]}" = "$prefix/Quorvel" ] || fail "Exec starts '${argv[0]}', not the installed program"
[ -x "${argv[0]}" ] || fail "Exec names no program"
[ "$(sed -n 's/^Path=//p' "$entry")" = "$prefix" ] || fail "the entry does not start the program in its folder"
[ -f "$(sed -n 's/^Icon=//p' "$entry")" ] || fail "the entry's icon is not installed"
launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")
[ -f "$prefix/$launchable" ] || fail "the description launches '$launchable', which is not installed"

# The sync timer's units: installed under the prefix, naming the installed
# quorvel-book however the folder is named, and accepted by systemd itself
# where its analyzer is installed.
units="$prefix/lib/systemd/user"
service="$units/quorvel-sync.service"
timer="$units/quorvel-sync.timer"
[ -f "$service" ] && [ -f "$timer" ] || fail "the sync service and timer are not installed in $units"
# Read as systemd reads it: in quotes, %% stands for %.
exec_start=$(sed -n 's/^ExecStart=//p' "$service")
program=$(printf '%s' "$exec_start" | sed -n 's/^"\(.*\)" sync$/\1/p' | sed 's/%%/%/g')
[ "$program" = "$prefix/quorvel-book" ] || fail "the service runs '$exec_start', not the installed quorvel-book sync"
grep -qx 'StandardOutput=null' "$service" || fail "a sync that goes well writes to the journal"
for line in 'OnCalendar=\*:0/15' 'Persistent=true' 'RandomizedDelaySec=.*' 'WantedBy=timers.target'; do
    grep -qx "$line" "$timer" || fail "the timer lacks $line"
done
if command -v systemd-analyze >/dev/null; then
    # It checks every setting and that the command names an executable file.
    out=$(cd "$units" && HOME="$top" XDG_RUNTIME_DIR="$top" systemd-analyze --user verify ./quorvel-sync.service ./quorvel-sync.timer 2>&1) ||
        fail "systemd-analyze refuses the units: $out"
    [ -z "$out" ] || fail "systemd-analyze warns about the units: $out"
fi
echo "1 passed, 0 failed"
