#!/bin/bash
# Static analysis of src/: clang-tidy with the checks in .clang-tidy, and
# cppcheck. Fails on any finding of either.
#   tools/analyse.sh [BUILD] [FILE.cpp...]
# BUILD (default build) is a folder configured with
# -DCMAKE_EXPORT_COMPILE_COMMANDS=ON and built once, so that the sources Qt
# generates exist. FILEs narrow both tools to those sources of src/.
# ANALYSE_JOBS sets how many files are analysed at once (default: nproc).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
shift || true
jobs=${ANALYSE_JOBS:-$(nproc)}
work=$build/analysis
mkdir -p "$work"

if [ ! -f "$build/compile_commands.json" ]; then
    echo "analyse: $build/compile_commands.json is missing; configure with -DCMAKE_EXPORT_COMPILE_COMMANDS=ON" >&2
    exit 2
fi

# The compile commands of src/ alone (or of the files named), for both tools.
python3 - "$build/compile_commands.json" "$work/compile_commands.json" "$root/src/" "$@" <<'EOF'
import json, os, sys
source, target, src = sys.argv[1:4]
wanted = {os.path.abspath(f) for f in sys.argv[4:]}
commands = [c for c in json.load(open(source))
            if c["file"].startswith(src) and (not wanted or c["file"] in wanted)]
if wanted and len(commands) < len(wanted):
    sys.exit("analyse: not a source of src/ in the build: "
             + " ".join(sorted(wanted - {c["file"] for c in commands})))
json.dump(commands, open(target, "w"), indent=1)
EOF

status=0

echo "== cppcheck"
start=$SECONDS
cppcheck --project="$work/compile_commands.json" --enable=warning,performance,portability --library=qt \
    --inline-suppr --suppress=missingIncludeSystem --error-exitcode=1 --quiet -j "$jobs" \
    --template='{file}:{line}:{column}: {severity}: {message} [{id}]' || status=1
echo "cppcheck took $((SECONDS - start))s"

echo "== clang-tidy"
start=$SECONDS
# Each source once, even one built into two targets; its "N warnings
# generated" lines count what it left out of system and generated headers.
python3 -c 'import json, sys; print("\n".join(dict.fromkeys(c["file"] for c in json.load(open(sys.argv[1])))))' \
    "$work/compile_commands.json" |
    xargs -P "$jobs" -n 1 clang-tidy -p "$build" --quiet 2> >(grep -v '^[0-9]* warnings\? generated\.$' >&2) ||
    status=1
echo "clang-tidy took $((SECONDS - start))s"

[ "$status" -eq 0 ] && echo "analyse: no findings" || echo "analyse: findings above" >&2
exit "$status"
