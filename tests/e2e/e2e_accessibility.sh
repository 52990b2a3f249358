#!/usr/bin/env bash
# A screen reader's view through AT-SPI, with the keyboard only: a second
# start brings the window up; it is a frame named "Pindel" whose boxes name
# their cards; Tab, F2, the context-menu key and Ctrl+Tab move the focus
# where the design has it.
source "$(dirname "$0")/lib.sh"

desktop_start
session_bus_start
a11y_start

export QT_ACCESSIBILITY=1
orbo_start
wait_until 10 tray_icon_id >/dev/null || fail "no tray icon"
timeout 10 "$ORBO" >>"$E2E_TMP/orbo.log" 2>&1 || fail "the second start failed"
wait_until 5 window_is_viewable || fail "the second start did not show the window"
wait_until 5 window_is_active || fail "the shown window did not get the keyboard"

/usr/bin/python3 "$(dirname "$0")/a11y_check.py" "$ORBO_PID" \
    "Tab=text:Notiz Karte 1" "shift+Tab=page tab list:Karte #1" "Menu=text:Überschrift Karte 1" \
    "ctrl+Tab=text:Notiz Karte 2" "shift+Tab=page tab list:Karte #2" \
    "F2=text:Überschrift Karte 2" "ctrl+Page_Up=text:Notiz Karte 1" || fail "the screen reader's view"
screenshot "keyboard"
echo "ok"
