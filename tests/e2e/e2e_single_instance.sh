#!/usr/bin/env bash
# One program per user and store: a second start hands over to the running
# copy, whose window comes back, and ends with status 0. A copy killed with
# SIGKILL leaves a stale lock that does not block the next start. Socket and
# lock are the user's alone even under umask 000, and a copy on another store
# runs on its own.
source "$(dirname "$0")/lib.sh"

desktop_start
umask 000
orbo_start
FIRST_PID=$ORBO_PID
wait_until 10 tray_icon_id >/dev/null || fail "the tray icon did not appear"
wait_until 5 window_is_hidden || fail "the window is on screen after start"

# Privacy of the lock and the socket.
dir="$XDG_RUNTIME_DIR/orbo-$(id -u)"
[[ "$(stat -c %a "$dir")" == 700 ]] || fail "folder $dir is $(stat -c %a "$dir")"
lock=$(ls "$dir"/*.lock) || fail "no lock file"
socket=$(ls "$dir"/*.socket) || fail "no socket"
[[ "$(stat -c %a "$lock")" == 600 ]] || fail "lock is $(stat -c %a "$lock")"
[[ "$(stat -c %a "$socket")" == 700 && -S "$socket" ]] || fail "socket is $(stat -c %a "$socket")"

# The second start hands over and ends; the first copy shows its window.
timeout 10 "$ORBO" >>"$E2E_TMP/orbo.log" 2>&1 || fail "the second start ended with status $?"
wait_until 5 window_is_viewable || fail "the second start did not bring the window back"
kill -0 "$FIRST_PID" || fail "the first copy ended"
screenshot "handed-over"

# The same from a hidden window again, then a crash of the running copy.
close_window
wait_until 5 window_is_hidden || fail "close did not hide the window"
kill -KILL "$FIRST_PID"
wait "$FIRST_PID" 2>/dev/null || true
[[ -e "$lock" ]] || fail "the killed copy left no lock behind (nothing tested)"
orbo_start
wait_until 10 tray_icon_id >/dev/null || fail "a stale lock kept the program from starting"
kill -0 "$ORBO_PID" || fail "the new copy ended instead of running"
timeout 10 "$ORBO" >>"$E2E_TMP/orbo.log" 2>&1 || fail "the handover to the new copy failed"
wait_until 5 window_is_viewable || fail "the new copy did not show its window"

# Another store (another user's or another configuration) runs independently.
XDG_CONFIG_HOME="$E2E_TMP/other-config" "$ORBO" >>"$E2E_TMP/orbo.log" 2>&1 &
OTHER_PID=$!
_pids+=("$OTHER_PID")
sleep 1
kill -0 "$OTHER_PID" || fail "a copy on another store did not keep running"
kill -0 "$ORBO_PID" || fail "the first copy ended"
echo "ok"
