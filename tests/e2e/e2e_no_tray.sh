#!/usr/bin/env bash
# On a desktop without a system tray the window stays on screen, since hiding
# it would leave the notes unreachable.
source "$(dirname "$0")/lib.sh"

desktop_start --no-tray
orbo_start
wait_until 10 window_is_viewable || fail "the window is not on screen without a tray"
settle_after_activation 0
screenshot "no-tray"
kill -0 "$ORBO_PID" || fail "the program ended"
echo "ok"
