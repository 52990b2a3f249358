#!/usr/bin/env bash
# The display server ends before the program, as at a logout that kills the
# X server or the Wayland compositor first: what was typed just before, not
# yet saved by autosave (which writes 750 ms after the first edit), is in
# the store when the program has ended. A watcher on the accessibility bus
# kills the display server the moment the note shows the whole text.
source "$(dirname "$0")/lib.sh"

# type_then_lose_display TEXT DISPLAY_PID: types TEXT into the focused note;
# the watcher kills DISPLAY_PID once the note holds it.
type_then_lose_display() {
    /usr/bin/python3 "$(dirname "$0")/a11y_wait_text.py" "$ORBO_PID" "Notiz Karte 1" "$1" "$2" \
        >"$E2E_TMP/watcher" 2>&1 &
    local watcher=$!
    _pids+=("$watcher")
    wait_until 10 grep -q ready "$E2E_TMP/watcher" || fail "the watcher did not find the note: $(cat "$E2E_TMP/watcher")"
    xdotool key ctrl+a
    # The display may go while xdotool still holds its connection: that is
    # the point of the test, not a failure of it.
    xdotool type --delay 5 "$1" || true
    wait "$watcher" || fail "$(cat "$E2E_TMP/watcher")"
    wait "$ORBO_PID" || true
}

session_bus_start
a11y_start
export QT_ACCESSIBILITY=1

desktop_start
orbo_start
wait_until 10 tray_icon_id >/dev/null || fail "no tray icon"
click_tray
wait_until 5 window_is_viewable || fail "no window"
wait_until 5 window_is_active || fail "the window did not get the keyboard"
click_content
type_then_lose_display "X11: zuletzt getippt" "$XVFB_PID"
[[ "$(store_value Pindel1)" == "X11: zuletzt getippt" ]] || fail "X11: the last text was lost: '$(store_value Pindel1)'"

desktop_start --no-tray
weston_start
export QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=wl-test
orbo_start
wait_until 10 wayland_window_shown || fail "Wayland: no window"
wayland_click_content
type_then_lose_display "Wayland: zuletzt getippt" "$WESTON_PID"
[[ "$(store_value Pindel1)" == "Wayland: zuletzt getippt" ]] ||
    fail "Wayland: the last text was lost: '$(store_value Pindel1)'"
echo "ok"
