source "$(dirname "$0")/lib.sh"
desktop_start --no-tray
weston_start
export QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=wl-test
orbo_start
wait_until 10 wayland_window_shown || fail "no window"
sleep 1
kill -TERM "$WESTON_PID"
status=0; wait "$ORBO_PID" || status=$?
echo "status $status"
cat $E2E_TMP/orbo.log
