#!/usr/bin/env bash
# A screen reader's view through AT-SPI, with the keyboard only: a second
# start brings the window up; it is a frame named "Pindel" whose boxes name
# their cards; Tab, F2, the context-menu key and Ctrl+Tab move the focus
# where the design has it.
source "$(dirname "$0")/lib.sh"

desktop_start
session_bus_start
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
_pids+=($!)
a11y_bus() { gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus --method org.a11y.Bus.GetAddress >/dev/null 2>&1; }
wait_until 10 a11y_bus || fail "the accessibility bus did not start"
# What a desktop sets when the user turns the screen reader on.
gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
    --method org.freedesktop.DBus.Properties.Set org.a11y.Status IsEnabled "<true>" >/dev/null

export QT_ACCESSIBILITY=1
orbo_start
wait_until 10 tray_icon_id >/dev/null || fail "no tray icon"
timeout 10 "$ORBO" >>"$E2E_TMP/orbo.log" 2>&1 || fail "the second start failed"
wait_until 5 window_is_viewable || fail "the second start did not show the window"
wait_until 5 window_is_active || fail "the shown window did not get the keyboard"

/usr/bin/python3 "$(dirname "$0")/a11y_check.py" "$ORBO_PID" \
    "Tab=text:Notiz Karte 1" "shift+Tab=page tab list:Karte #1" "Menu Tab Tab=text:Überschrift Karte 1" \
    "ctrl+Tab=text:Notiz Karte 2" "shift+Tab=page tab list:Karte #2" \
    "F2 Tab Tab Tab Tab=text:Überschrift Karte 2" "ctrl+Page_Up=text:Notiz Karte 1" || fail "the screen reader's view"
screenshot "keyboard"
echo "ok"
