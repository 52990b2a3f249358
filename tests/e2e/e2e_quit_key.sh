#!/usr/bin/env bash
# Ctrl+Q in the window ends the program as "Beenden" does: what was typed is
# saved and the status is 0. On X11 with a tray, and on Wayland (weston),
# where there is no tray and so no menu with "Beenden".
source "$(dirname "$0")/lib.sh"

# The program (our child) has ended: gone, or a zombie until it is waited for.
orbo_ended() { [[ ! -e "/proc/$ORBO_PID" ]] || grep -q '^State:.*Z' "/proc/$ORBO_PID/status" 2>/dev/null; }

# quit_by_key WHAT TEXT: Ctrl+Q after TEXT was typed; status 0 and TEXT kept.
quit_by_key() {
    xdotool key ctrl+q
    wait_until 10 orbo_ended || fail "$1: Ctrl+Q did not end the program"
    local status=0
    wait "$ORBO_PID" || status=$?
    [[ $status == 0 ]] || fail "$1: Ctrl+Q ended the program with status $status"
    [[ "$(store_value Pindel1)" == "$2" ]] || fail "$1: card 1 not saved: '$(store_value Pindel1)'"
}

desktop_start
orbo_start
wait_until 10 tray_icon_id >/dev/null || fail "X11: no tray icon"
show_by_tray
click_content
xdotool key ctrl+a
xdotool type --delay 10 "X11: mit Strg+Q beendet"
quit_by_key X11 "X11: mit Strg+Q beendet"
[[ -n "$(store_value height)" ]] || fail "X11: the geometry was not saved"

weston_start
export QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=wl-test
orbo_start
wait_until 10 wayland_window_shown || fail "Wayland: no window"
settle_after_activation 1
wayland_click_content
xdotool key ctrl+a
xdotool type --delay 10 "Wayland: mit Strg+Q beendet"
quit_by_key Wayland "Wayland: mit Strg+Q beendet"
echo "ok"
