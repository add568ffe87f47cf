#!/bin/bash
# Runs a command on a plain desktop: the X display of xvfb-run with openbox
# managing its windows (focus returns to a window when a box over it closes,
# as on every desktop), then stops the window manager.
#   desktop.sh COMMAND [ARGS...]
set -euo pipefail

openbox --sm-disable >/dev/null 2>&1 &
wm=$!
trap 'kill "$wm" 2>/dev/null || true; wait "$wm" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    kill -0 "$wm" 2>/dev/null || { echo "FAIL: openbox did not start"; exit 1; }
    sleep 0.1
done
"$@"
