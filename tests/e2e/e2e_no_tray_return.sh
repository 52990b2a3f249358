#!/usr/bin/env bash
# Without a tray, closing minimises the window, and starting orbo again
# brings it back: on X11 (icewm without its tray) and on Wayland (weston,
# which has no tray and lets no program unminimise itself).
source "$(dirname "$0")/lib.sh"

desktop_start --no-taskbar
orbo_start
wait_until 10 window_is_viewable || fail "X11: the window is not on screen without a tray"
close_window
wait_until 5 window_is_hidden || fail "X11: closing did not minimise the window"
timeout 10 "$ORBO" >>"$E2E_TMP/orbo.log" 2>&1 || fail "X11: the second start failed"
wait_until 5 window_is_viewable || fail "X11: the second start did not bring the window back"
orbo_stop

weston_start
export QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=wl-test
orbo_start
wait_until 10 wayland_window_shown || fail "Wayland: the window is not on screen without a tray"
screenshot "wayland-start"
wayland_close_window
wait_until 5 wayland_window_gone || fail "Wayland: closing did not minimise the window"
kill -0 "$ORBO_PID" || fail "Wayland: closing ended the program"
timeout 10 "$ORBO" >>"$E2E_TMP/orbo.log" 2>&1 || fail "Wayland: the second start failed"
wait_until 5 wayland_window_shown || fail "Wayland: the second start did not bring the window back"
screenshot "wayland-back"
echo "ok"
