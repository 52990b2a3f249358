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

# Another user runs a copy of their own, with their lock in their own folder.
if [[ $(id -u) == 0 ]] && command -v setpriv >/dev/null; then
    chmod 711 "$E2E_TMP"
    other_home="$E2E_TMP/nobody"
    mkdir -p "$other_home/tmp"
    chown -R nobody "$other_home"
    setpriv --reuid=nobody --regid=nogroup --clear-groups \
        env -u XDG_RUNTIME_DIR HOME="$other_home" XDG_CONFIG_HOME="$other_home/config" TMPDIR="$other_home/tmp" \
        "$ORBO" >>"$E2E_TMP/orbo.log" 2>&1 &
    NOBODY_PID=$!
    _pids+=("$NOBODY_PID")
    others_socket() { compgen -G "$other_home/tmp/orbo-65534/*.socket" >/dev/null; }
    wait_until 10 others_socket || fail "another user's copy did not start its own"
    [[ "$(stat -c %U%a "$other_home/tmp/orbo-65534")" == nobody700 ]] || fail "another user's lock folder is not theirs"
    kill -0 "$NOBODY_PID" || fail "another user's copy ended"
    kill -0 "$ORBO_PID" || fail "the first copy ended"
else
    echo "not root: the check with another user is left out"
fi
echo "ok"
