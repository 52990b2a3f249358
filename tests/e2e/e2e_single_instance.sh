#!/usr/bin/env bash
# One program per store, whatever the environment: a second start hands over
# to the running copy, whose window comes back, and ends with status 0, also
# without a runtime folder, with another one, and after another user made
# /tmp/orbo-UID open to all. A stopped copy makes a second start say so in a
# message box within seconds and end with status 1. A copy killed with
# SIGKILL leaves a stale lock that does not block the next start. Lock and
# socket lie beside the store, the user's alone even under umask 000 (or, for
# a store too deep for a socket address, in a checked /tmp/orbo-UID); a copy
# on another store, or another user's, runs on its own.
source "$(dirname "$0")/lib.sh"

# What the program takes for its temporary folder is the test's own.
chmod 711 "$E2E_TMP"
export TMPDIR="$E2E_TMP/tmp"
mkdir -p "$TMPDIR"
chmod 1777 "$TMPDIR"

# second_start [VAR=VALUE | -u VAR]...: a second start in another environment.
second_start() { timeout 10 env "$@" "$ORBO" >>"$E2E_TMP/orbo.log" 2>&1; }

# hands_over WHAT [ENV]...: from a hidden window, a second start ends with
# status 0 and the running copy shows its window.
hands_over() {
    local what=$1 status=0
    shift
    if window_is_viewable; then
        close_window
        wait_until 5 window_is_hidden || fail "close did not hide the window"
    fi
    second_start "$@" || status=$?
    ((status == 0)) || fail "a second start $what ended with status $status (124: it ran as a second copy)"
    wait_until 5 window_is_viewable || fail "a second start $what did not bring the window back"
    kill -0 "$ORBO_PID" || fail "the running copy ended at a second start $what"
}

# The message box of the start with pid $1.
message_box() { xdotool search --all --pid "$1" --name '^Pindel$' 2>/dev/null | head -n1 | grep .; }

desktop_start
umask 000
orbo_start
FIRST_PID=$ORBO_PID
wait_until 10 tray_icon_id >/dev/null || fail "the tray icon did not appear"
wait_until 5 window_is_hidden || fail "the window is on screen after start"

# Lock and socket beside the store, the user's alone.
dir=$(dirname "$STORE")
[[ "$(stat -c %a "$dir")" == 700 ]] || fail "folder $dir is $(stat -c %a "$dir")"
[[ "$(stat -c %a "$STORE.lock")" == 600 ]] || fail "no lock beside the store, or it is open to others"
[[ -S "$STORE.socket" && "$(stat -c %a "$STORE.socket")" == 700 ]] || fail "no private socket beside the store"

hands_over "in the same environment"
screenshot "handed-over"
hands_over "without a runtime folder (su, ssh)" -u XDG_RUNTIME_DIR
mkdir -m 700 "$E2E_TMP/run2"
hands_over "with another runtime folder" XDG_RUNTIME_DIR="$E2E_TMP/run2"

# A stopped copy cannot answer: the second start says so within seconds.
kill -STOP "$FIRST_PID"
"$ORBO" >"$E2E_TMP/stopped.log" 2>&1 &
SECOND_PID=$!
_pids+=("$SECOND_PID")
wait_until 5 message_box "$SECOND_PID" >/dev/null || fail "no message box within 5 s for a stopped copy"
screenshot "stopped-copy"
grep -q "angehalten" "$E2E_TMP/stopped.log" || fail "the cause is not named: $(cat "$E2E_TMP/stopped.log")"
kill -0 "$SECOND_PID" || fail "the second start ended before the message box was closed"
wmctrl -i -c "$(message_box "$SECOND_PID")"
status=0
wait "$SECOND_PID" || status=$?
((status == 1)) || fail "the refused second start ended with status $status"
kill -CONT "$FIRST_PID"
hands_over "after the copy was continued"

# A crash of the running copy leaves a lock that does not block.
close_window
wait_until 5 window_is_hidden || fail "close did not hide the window"
kill -KILL "$FIRST_PID"
wait "$FIRST_PID" 2>/dev/null || true
[[ -e "$STORE.lock" ]] || fail "the killed copy left no lock behind (nothing tested)"
orbo_start
wait_until 10 tray_icon_id >/dev/null || fail "a stale lock kept the program from starting"
kill -0 "$ORBO_PID" || fail "the new copy ended instead of running"
hands_over "to the copy after the crash"
MAIN_PID=$ORBO_PID

# Another store (another configuration) runs independently.
XDG_CONFIG_HOME="$E2E_TMP/other-config" "$ORBO" >>"$E2E_TMP/orbo.log" 2>&1 &
_pids+=($!)
wait_until 10 test -S "$E2E_TMP/other-config/MIRTAL/store.sqlite3.socket" || fail "a copy on another store did not run"
kill -0 "$MAIN_PID" || fail "the first copy ended"

# A store too deep for a socket address: the socket goes to the checked
# /tmp/orbo-UID, found by every start whatever its environment.
deep="$E2E_TMP/$(printf 'tief%.0s' {1..25})"
XDG_CONFIG_HOME="$deep" "$ORBO" >>"$E2E_TMP/orbo.log" 2>&1 &
ORBO_PID=$!
_pids+=("$ORBO_PID")
wait_until 10 tray_icon_id >/dev/null || fail "a copy on a deep store did not start"
[[ "$(stat -c %U%a "/tmp/orbo-$(id -u)")" == "$(id -un)700" ]] || fail "/tmp/orbo-$(id -u) is not the user's alone"
hands_over "on a deep store, without a runtime folder" -u XDG_RUNTIME_DIR XDG_CONFIG_HOME="$deep"
orbo_stop

if [[ $(id -u) == 0 ]] && command -v setpriv >/dev/null; then
    as_nobody() { setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"; }

    # Another user opens the folder a start might take for its guard to all,
    # before the user's own starts (both without a runtime folder).
    as_nobody mkdir -m 777 "$TMPDIR/orbo-$(id -u)"
    victim="$E2E_TMP/victim-config"
    env -u XDG_RUNTIME_DIR XDG_CONFIG_HOME="$victim" "$ORBO" >>"$E2E_TMP/orbo.log" 2>&1 &
    ORBO_PID=$!
    _pids+=("$ORBO_PID")
    wait_until 10 tray_icon_id >/dev/null || fail "the program did not start beside another user's folder"
    hands_over "after another user's folder" -u XDG_RUNTIME_DIR XDG_CONFIG_HOME="$victim"
    orbo_stop

    # Another user runs a copy of their own, with their lock beside their store.
    other_home="$E2E_TMP/nobody"
    mkdir -p "$other_home"
    chown nobody "$other_home"
    as_nobody env -u XDG_RUNTIME_DIR HOME="$other_home" XDG_CONFIG_HOME="$other_home/config" \
        "$ORBO" >>"$E2E_TMP/orbo.log" 2>&1 &
    NOBODY_PID=$!
    _pids+=("$NOBODY_PID")
    wait_until 10 test -S "$other_home/config/MIRTAL/store.sqlite3.socket" || fail "another user's copy did not start its own"
    [[ "$(stat -c %U%a "$other_home/config/MIRTAL/store.sqlite3.lock")" == nobody600 ]] || fail "another user's lock is not theirs"
    kill -0 "$NOBODY_PID" || fail "another user's copy ended"
    kill -0 "$MAIN_PID" || fail "the first copy ended"
else
    echo "not root: the checks with another user are left out"
fi
echo "ok"
