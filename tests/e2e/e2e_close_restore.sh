#!/usr/bin/env bash
# A user's road: open the window from the tray, type into card 2, close it,
# end the program, start it again and find the text back.
source "$(dirname "$0")/lib.sh"

desktop_start
orbo_start
wait_until 10 tray_icon_id >/dev/null || fail "no tray icon"

show_by_tray

# The caption scrolls: past the banner's leading blanks (about 3 s) a reading
# differs from the first, and both start with the head.
first=$(window_caption)
second=$first
caption_moved() { second=$(window_caption) && [[ "$second" != "$first" ]]; }
wait_until 8 caption_moved || true
[[ "$first" == " MIR-TAL ORBO"* && "$second" == " MIR-TAL ORBO"* ]] || fail "caption head missing: '$first'"
[[ "$first" != "$second" ]] || fail "the caption does not scroll: '$first'"

# Card 2's tab, then its content box.
click_tab 2
click_content
xdotool type --delay 20 "Einkauf: Milch"
xdotool key Return
xdotool type --delay 20 "Brot"
program_settles || fail "the program did not settle after typing"
screenshot "typed"

close_window
wait_until 5 window_is_hidden || fail "closing did not hide the window"
kill -0 "$ORBO_PID" || fail "closing ended the program"
[[ "$(store_value Pindel3)" == $'Einkauf: Milch\nBrot' ]] || fail "card 2 not stored: '$(store_value Pindel3)'"
[[ "$(store_value width)" =~ ^[0-9]+$ && "$(store_value left)" =~ ^-?[0-9]+$ ]] || fail "geometry not stored"
# On X11 activation runs after the restore handler (once the shown window is
# active), so card 1 of an empty store holds activation's hint.
hint=$'F\xc3\xbcgen Sie einen Verweis dieses \nProgrammes in ihren\n AUTOSTART Ordner ein'
[[ "$(sqlite3 "$STORE" "SELECT hex(value) FROM settings WHERE key='Pindel1'")" == "$(printf '%s' "$hint" | xxd -p | tr -d '\n' | tr a-f A-F)" ]] ||
    fail "card 1 does not hold activation's hint"

# End the program as a session end does; it exits with status 0.
kill -TERM "$ORBO_PID"
status=0
wait "$ORBO_PID" || status=$?
[[ $status == 0 ]] || fail "SIGTERM ended the program with status $status"

# A new run: the tray brings the same text back, and closing stores it again.
geometry="$(store_value left) $(store_value top) $(store_value width) $(store_value height)"
orbo_start
wait_until 10 tray_icon_id >/dev/null || fail "no tray icon after restart"
show_by_tray
screenshot "restored"
close_window
wait_until 5 window_is_hidden || fail "closing did not hide the window after restart"
[[ "$(store_value Pindel3)" == $'Einkauf: Milch\nBrot' ]] || fail "card 2 did not come back"
[[ "$(store_value left) $(store_value top) $(store_value width) $(store_value height)" == "$geometry" ]] ||
    fail "the geometry drifted: $geometry -> $(store_value left) $(store_value top) $(store_value width) $(store_value height)"
echo "ok"
