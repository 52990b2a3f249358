#!/usr/bin/env bash
# `orbo --open`, as the application menu starts it, shows the window: at a
# first start, filled from the store, and from a running copy that waits in
# the tray. Plain `orbo`, as started at login, stays in the tray.
source "$(dirname "$0")/lib.sh"

desktop_start
store_set Pindel3 "aus dem Speicher"
orbo_start --open
wait_until 10 window_is_viewable || fail "a first start with --open did not show the window"
settle_after_activation 0
wait_until 10 tray_icon_id >/dev/null || fail "no tray icon"
type_into_card 2 " und getippt"
close_window
wait_until 5 window_is_hidden || fail "closing did not hide the window"
[[ "$(store_value Pindel3)" == "aus dem Speicher und getippt" ]] ||
    fail "the window was not filled from the store: '$(store_value Pindel3)'"
orbo_stop

orbo_start
wait_until 10 tray_icon_id >/dev/null || fail "no tray icon at a plain start"
program_settles || fail "the program did not settle after start"
window_is_hidden || fail "a plain start showed the window"
before=$(readies_so_far)
timeout 15 "$ORBO" --open >>"$E2E_TMP/orbo.log" 2>&1 || fail "orbo --open beside a running copy ended with status $?"
wait_until 5 window_is_viewable || fail "the running copy did not show its window"
settle_after_activation "$before"
kill -0 "$ORBO_PID" || fail "the running copy ended"
echo "ok"
