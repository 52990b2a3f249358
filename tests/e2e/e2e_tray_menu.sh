#!/usr/bin/env bash
# The tray icon's context menu on an XEmbed tray, used with the keyboard (the
# arrow keys, and the entries' letters): "Öffnen" shows the window, "Mit der
# Anmeldung starten" writes and removes the autostart entry, "Beenden" saves
# what was typed and ends with status 0.
source "$(dirname "$0")/lib.sh"

desktop_start
orbo_start
wait_until 10 tray_icon_id >/dev/null || fail "no tray icon"

menu_choose Down Return
wait_until 5 window_is_viewable || fail "Öffnen did not show the window"
close_window
wait_until 5 window_is_hidden || fail "closing did not hide the window"

autostart="$XDG_CONFIG_HOME/autostart/orbo.desktop"
menu_choose a
wait_until 5 test -f "$autostart" || fail "the autostart entry was not written"
grep -qxF "Exec=$ORBO" "$autostart" || [[ "$ORBO" == *[[:space:]]* ]] || fail "the entry starts $(grep ^Exec= "$autostart")"
menu_open
screenshot "menu-checked"
xdotool key Escape
wait_until 5 _menu_is_closed || fail "Escape left the menu open"
menu_choose a
wait_until 5 test ! -e "$autostart" || fail "the autostart entry was not removed"

show_by_tray
click_content
xdotool key ctrl+a
xdotool type --delay 10 "vor dem Beenden"
menu_choose b
status=0
wait "$ORBO_PID" || status=$?
[[ $status == 0 ]] || fail "Beenden ended the program with status $status"
[[ "$(store_value Pindel1)" == "vor dem Beenden" ]] || fail "card 1 not saved: '$(store_value Pindel1)'"
[[ -n "$(store_value height)" ]] || fail "geometry not saved"
echo "ok"
