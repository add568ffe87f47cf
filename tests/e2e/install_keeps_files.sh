#!/bin/bash
# Installs the program twice into a temporary folder: the first install
# places a phone book, the second keeps the user's phone book and settings
# files exactly as they were.
set -euo pipefail

build_dir=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build_dir" --prefix "$prefix" >/dev/null
for f in Quorvel libquorvel_windows.so quorvel-chmcheck quorvel-book Quorvel.mdb quorvel.desktop quorvel.svg phone.chm maker/index.html maker/phone.html; do
    [ -e "$prefix/$f" ] || fail "the install did not place $f"
done
grep -qx "Path=$prefix" "$prefix/quorvel.desktop" || fail "the desktop entry's working folder is not the program's"
grep -qx "Exec=$prefix/Quorvel %u" "$prefix/quorvel.desktop" || fail "the desktop entry does not start the installed program"
# The page engine is the windows module's alone: the program starts without it.
# Whole outputs first: grep -q stops reading early, and under pipefail the
# writer's broken pipe would fail the check by chance.
program_libs=$(ldd "$prefix/Quorvel")
module_libs=$(ldd "$prefix/libquorvel_windows.so")
! grep -qi webengine <<<"$program_libs" || fail "the program itself links the page engine"
grep -qi webengine <<<"$module_libs" || fail "the windows module does not link the page engine"
# Both find the layers they share in the install folder, wherever it is.
! grep -q 'not found' <<<"$program_libs$module_libs" || fail "a shared library is missing: $program_libs $module_libs"
grep -q "$prefix/libquorvel_forms.so" <<<"$module_libs" || fail "the module does not use the installed forms layer"

# The user's own files, which no install may touch.
printf 'my phone book' > "$prefix/Quorvel.mdb"
printf ' 3 \r\n' > "$prefix/Port.sav"
printf ' 212  9  1 \r\n' > "$prefix/Prefix.sav"
before=$(cd "$prefix" && sha256sum Quorvel.mdb Port.sav Prefix.sav)

cmake --install "$build_dir" --prefix "$prefix" >/dev/null
after=$(cd "$prefix" && sha256sum Quorvel.mdb Port.sav Prefix.sav)
[ "$before" = "$after" ] || fail "a second install changed the user's files"
echo "1 passed, 0 failed"
