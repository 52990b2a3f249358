#!/usr/bin/env bash
# The single-copy guard under the faults it must survive. Stuck clients: with
# few descriptors (ulimit -n 256), 300 connections to the socket beside the
# store that send nothing cost no typing, no spinning core and no hand-over
# once they have been closed, and SIGTERM while they hold the socket still
# ends the program with its saves. A deleted store folder: made again at the
# next save together with lock and socket, so a second start still hands over
# instead of running as a second copy.
source "$(dirname "$0")/lib.sh"

IDLE_CLIENTS="$(dirname "$0")/idle_clients.py"

# idle_clients REPORT: 300 connections that send nothing, held in the
# background until the program closes them.
idle_clients() {
    python3 "$IDLE_CLIENTS" "$STORE.socket" 300 "$1" &
    _pids+=($!)
    wait_until 10 grep -qs '^opened' "$1" || fail "the idle clients did not connect"
}

# The program has ended (a zombie until the test waits for it).
orbo_ended() { [[ "$(awk '{print $3}' "/proc/$ORBO_PID/stat" 2>/dev/null || echo gone)" =~ ^(Z|gone)$ ]]; }

# The program's processor time so far, in clock ticks.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$ORBO_PID/stat"; }

# A second start from a hidden window ends with status 0 and the running
# copy shows its window, ready for typing.
hands_over() {
    close_window
    wait_until 5 window_is_hidden || fail "close did not hide the window"
    local status=0 before
    before=$(readies_so_far)
    timeout 10 "$ORBO" >>"$E2E_TMP/orbo.log" 2>&1 || status=$?
    ((status == 0)) || fail "a second start $1 ended with status $status (124: it ran as a second copy)"
    wait_until 5 window_is_viewable || fail "a second start $1 did not bring the window back"
    wait_until 5 window_is_active || fail "the window did not become active"
    settle_after_activation "$before"
}

stuck_clients_cost_nothing() {
    store_set Pindel1 "Eins" Pindel3 "Zwei"
    (ulimit -n 256 && exec "$ORBO" >>"$E2E_TMP/orbo.log" 2>&1) &
    ORBO_PID=$!
    _pids+=("$ORBO_PID")
    wait_until 10 tray_icon_id >/dev/null || fail "the tray icon did not appear"
    show_by_tray

    idle_clients "$E2E_TMP/idle1"
    local ticks0 nanos0
    ticks0=$(cpu_ticks)
    nanos0=$(date +%s%N)
    type_into_card 1 " trotz wartender Verbindungen"
    wait_until 10 stored_is Pindel1 "Eins trotz wartender Verbindungen" ||
        fail "typing was not saved while idle clients held the socket: '$(store_value Pindel1)'"
    [[ -f "$STORE.bak" ]] || fail "the store found no descriptor for its backup"
    # Typing and saving take a little; an accept loop that spins takes most
    # of a core.
    local percent
    percent=$((($(cpu_ticks) - ticks0) * 100 * 1000000000 / ($(getconf CLK_TCK) * ($(date +%s%N) - nanos0))))
    ((percent < 15)) || fail "the program used $percent % of a core while idle clients waited"
    wait_until 30 grep -q '^closed' "$E2E_TMP/idle1" || fail "the idle connections were not closed: $(cat "$E2E_TMP/idle1")"
    ! grep -q '^answered' "$E2E_TMP/idle1" || fail "a connection that asked nothing got an answer"

    hands_over "after the idle clients were closed"

    # The session ends while another 300 hold the socket.
    idle_clients "$E2E_TMP/idle2"
    type_into_card 2 " vor dem Ende"
    kill -TERM "$ORBO_PID"
    wait_until 10 orbo_ended || fail "SIGTERM did not end the program within 10 s"
    local status=0
    wait "$ORBO_PID" || status=$?
    ((status == 0)) || fail "SIGTERM: exit status $status"
    [[ "$(store_value Pindel3)" == "Zwei vor dem Ende" ]] || fail "SIGTERM: card 2 was not saved: '$(store_value Pindel3)'"
}

guard_made_again_with_the_folder() {
    store_set Pindel1 "Eins"
    start_shown
    rm -rf "$(dirname "$STORE")"
    type_into_card 1 " nach dem Loeschen"
    wait_until 5 stored_is Pindel1 "Eins nach dem Loeschen" || fail "the store was not made again: '$(store_value Pindel1)'"
    wait_until 5 test -f "$STORE.lock" || fail "the lock was not made again with the folder"
    wait_until 5 test -S "$STORE.socket" || fail "the socket was not made again with the folder"
    hands_over "after the folder was made again"
    kill -0 "$ORBO_PID" || fail "the running copy ended"
}

desktop_start
run_cases stuck_clients_cost_nothing guard_made_again_with_the_folder
echo "ok"
