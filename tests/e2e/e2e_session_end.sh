#!/usr/bin/env bash
# The session ends while the window is open with unsaved text: the program
# saves contents and geometry and exits with status 0, for each of SIGTERM,
# SIGINT and SIGHUP.
source "$(dirname "$0")/lib.sh"

desktop_start
for signal in TERM INT HUP; do
    orbo_start
    wait_until 10 tray_icon_id >/dev/null || fail "no tray icon"
    show_by_tray
    click_tab 3
    click_content
    xdotool key ctrl+a
    xdotool type --delay 10 "vor $signal"
    # Typed but not yet saved: the signal finds the text only in the window.
    program_settles || fail "SIG$signal: the program did not settle after typing"
    kill "-$signal" "$ORBO_PID"
    status=0
    wait "$ORBO_PID" || status=$?
    [[ $status == 0 ]] || fail "SIG$signal: exit status $status"
    [[ "$(store_value Pindel4)" == "vor $signal" ]] || fail "SIG$signal: card 3 not saved: '$(store_value Pindel4)'"
    [[ -n "$(store_value height)" ]] || fail "SIG$signal: geometry not saved"
done
echo "ok"
