#!/bin/bash
# Runs a command on a plain desktop: the X display of xvfb-run with openbox
# managing its windows (focus returns to a window when a box over it closes,
# as on every desktop), then stops the window manager.
#   desktop.sh COMMAND [ARGS...]
set -euo pipefail

wm=
wm_log=$(mktemp)
trap '[ -n "$wm" ] && kill "$wm" 2>/dev/null; wait 2>/dev/null; rm -f "$wm_log"' EXIT

# A window manager that ends at once (the display still settling, a restart
# of the last one not yet let go) is started again; what it said is shown
# when it never comes up.
managed() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
for attempt in 1 2 3 4 5; do
    openbox --sm-disable >>"$wm_log" 2>&1 &
    wm=$!
    for _ in $(seq 100); do
        managed && break 2
        kill -0 "$wm" 2>/dev/null || break
        sleep 0.1
    done
    wait "$wm" 2>/dev/null || true
    wm=
    echo "openbox ended at start (try $attempt)" >>"$wm_log"
    sleep 0.5
done
if ! managed; then
    echo "FAIL: openbox did not start on $DISPLAY:"
    cat "$wm_log"
    exit 1
fi
"$@"
