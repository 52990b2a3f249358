#!/usr/bin/env bash
# First start with an empty store on a desktop with a tray: the icon is in the
# tray, the window is hidden, and nothing has been written.
source "$(dirname "$0")/lib.sh"

desktop_start
orbo_start
wait_until 10 tray_icon_id >/dev/null || fail "the tray icon did not appear"
sleep 0.5
window_is_hidden || fail "the window is on screen after start"
[[ "$(store_rows)" == 0 ]] || fail "the store was written at start"
screenshot "tray-only"

# The tray icon brings the window back, filled with the defaults.
click_tray
wait_until 5 window_is_viewable || fail "a tray click did not show the window"
sleep 0.5
screenshot "window"
[[ "$(store_rows)" == 0 ]] || fail "showing the window wrote the store"
echo "ok"
