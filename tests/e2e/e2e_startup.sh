#!/usr/bin/env bash
# First start with an empty store on a desktop with a tray: the icon is in the
# tray, the window is hidden, and nothing has been written. Waiting hidden, the
# program has not loaded any font; the first show lays out its text.
source "$(dirname "$0")/lib.sh"

fonts_loaded() { grep -qiE '\.(ttf|otf|ttc|pfb|pcf)(\.gz)?$' "/proc/$ORBO_PID/maps"; }

desktop_start
orbo_start
wait_until 10 tray_icon_id >/dev/null || fail "the tray icon did not appear"
program_settles || fail "the program did not settle after start"
window_is_hidden || fail "the window is on screen after start"
[[ "$(store_rows)" == 0 ]] || fail "the store was written at start"
! fonts_loaded || fail "fonts were loaded while the window waited hidden"
screenshot "tray-only"

# The tray icon brings the window back, filled with the defaults.
show_by_tray
screenshot "window"
fonts_loaded || fail "the shown window has no font loaded"
[[ "$(store_rows)" == 0 ]] || fail "showing the window wrote the store"
echo "ok"
