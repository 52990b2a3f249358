#!/usr/bin/env bash
# Renaming a card with the keyboard alone: F2 on the tab row opens the title
# panel with the cursor in its title box and the title selected, so that
# Ctrl+A and typing replace the title, Tab reaches "OK" and Space stores it;
# the card's note stays exactly as it was.
source "$(dirname "$0")/lib.sh"

note="Einkaufsliste für Samstag: Milch, Brot, Butter, Käse, Äpfel, Birnen, Kaffee, Tee, Zucker, Mehl"
store_set Pindel1 "$note" Pindel2 "Karte #1"

desktop_start
start_shown
click_content
xdotool key shift+Tab F2 ctrl+a
xdotool type --delay 15 "Einkauf"
xdotool key Tab space
wait_until 5 stored_is Pindel2 "Einkauf" || fail "the typed title was not stored: '$(store_value Pindel2)'"
close_window
wait_until 5 window_is_hidden || fail "closing did not hide the window"
stored_is Pindel1 "$note" || fail "the note changed: '$(store_value Pindel1)'"
echo "ok"
