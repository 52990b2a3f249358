#!/usr/bin/env bash
# Earlier versions on a real desktop: a note typed and then wiped comes back
# through "Frühere Fassungen…" of the tray menu, used with the keyboard only,
# and the window comes back showing the restored card.
source "$(dirname "$0")/lib.sh"

note="Notiz, die wiederkommt"
versions_window() { xdotool search --onlyvisible --pid "$ORBO_PID" --name '^Frühere Fassungen$' 2>/dev/null | head -n1; }
versions_active() { xprop -root _NET_ACTIVE_WINDOW | grep -qi "$(printf '0x%x' "$(versions_window)")\b"; }

desktop_start
start_shown
type_and_wipe "$note"
close_window
wait_until 5 window_is_hidden || fail "closing did not hide the window"

menu_choose Down Down Down Return
wait_until 5 versions_window >/dev/null || fail "Frühere Fassungen… opened no window"
wait_until 5 versions_active || fail "the window of earlier versions did not get the focus"
screenshot "versions"
# The list, its newest row (the text before the wipe), Wiederherstellen.
xdotool key alt+f Home alt+w
wait_until 5 stored_is Pindel3 "$note" || fail "the restored note was not saved: '$(store_value Pindel3)'"
wait_until 5 window_is_viewable || fail "the window did not show the restored card"
screenshot "restored"
echo "ok"
