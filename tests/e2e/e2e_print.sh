#!/usr/bin/env bash
# Printing a card from the real program onto CUPS's PDF printer: double-click
# the tab row, click "Karte drucken", find the text in the PDF. Two clicks give
# two jobs. Without a print server the panel stays open and the store is kept.
# Needs the server and the queues that scripts/print-server.sh starts; its
# state file names them.
source "$(dirname "$0")/lib.sh"

print_state="${PINDEL_PRINT_STATE:-${TMPDIR:-/tmp}/pindel-print-server-$(id -u).state}"
[[ -f "$print_state" ]] && lpstat -r 2>/dev/null | grep -q "is running" ||
    fail "no print server: run scripts/print-server.sh start"
source "$print_state"
PDF_DIR="$PINDEL_PDF_DIR/$(id -un)"
mkdir -p "$PDF_DIR" 2>/dev/null || true
export PRINTER="$PINDEL_PDF_QUEUE"

# Positions in the window, from the design in twips at 96 DPI (15 twips to a
# pixel). A card's controls sit relative to the strip's top-left corner.
px() { echo $(($1 / 15)); }
TAB_Y=$(px 150)                                  # middle of the tab row (295 high)
STRIP_W=$(px $((8000 - 200)))                    # the strip in a window 8000 wide
TAB_X=($((STRIP_W / 6)) $((STRIP_W / 2)) $((STRIP_W * 5 / 6))) # tabs 0, 1, 2: a third each
PANEL=($(px 120) $(px 420) $(px 2475) $(px 1275)) # Frame at 120,420 on the card
PRINT_X=$(($(px 120) + $(px 60) + $(px 2295) / 2)) # "Karte drucken" at 60,960 in the frame
PRINT_Y=$(($(px 420) + $(px 960) + $(px 255) / 2))

token="job-$$-$RANDOM"
card2=$'Einkaufsliste f\xc3\xbcr heute\nMilch, Brot und K\xc3\xa4se\nGr\xc3\xbc\xc3\x9fe an \xc3\x84nne \xc3\x96zdemir \xc3\x9cbermorgen\nStra\xc3\x9fe, Ma\xc3\x9f und Flei\xc3\x9f\n'"$token"
hint=$'F\xc3\xbcgen Sie einen Verweis dieses \rProgrammes in ihren\r AUTOSTART Ordner ein. '"$token"
store_set Pindel1 "$hint"
store_set Pindel3 "$card2"
# A window large enough to show the panel whole, away from the tray.
store_set left 1500
store_set top 1500
store_set width 8000
store_set height 6500

pdfs() { ls -1 "$PDF_DIR" 2>/dev/null | sort; }
# new_pdfs_with TEXT: the PDFs written since $before that hold TEXT.
new_pdfs_with() {
    local f
    comm -13 <(echo "$before") <(pdfs) | while read -r f; do
        if pdftotext -layout "$PDF_DIR/$f" - 2>/dev/null | grep -qF -- "$1"; then echo "$f"; fi
    done
}
count_pdfs_with() { new_pdfs_with "$1" | wc -l; }
has_pdfs() { [[ $(count_pdfs_with "$1") -ge $2 ]]; }

click() { xdotool mousemove --window "$win" "$1" "$2" click 1; }
dclick() { xdotool mousemove --window "$win" "$1" "$2" click --repeat 2 --delay 80 1; }

# The panel's part of the window, to tell open from closed.
panel_shot() {
    import -window "$win" -crop "${PANEL[2]}x${PANEL[3]}+${PANEL[0]}+${PANEL[1]}" +repage "$E2E_TMP/$1.png"
}
differs() { compare -metric AE -fuzz 10% "$E2E_TMP/$1.png" "$E2E_TMP/$2.png" null: 2>&1 | cut -d' ' -f1; }
# panel_still NAME: two pictures of the panel's area in a row are the same, the
# first kept as NAME (for wait_until: the window has stopped changing).
panel_still() { panel_shot "$1" && panel_shot "$1-again" && [[ $(differs "$1" "$1-again") == 0 ]]; }
panel_opened() { panel_still open && [[ $(differs closed open) -gt 200 ]]; }

open_window() {
    wait_until 10 tray_icon_id >/dev/null || fail "no tray icon"
    show_by_tray
    win=$(main_window_id)
}

# Chooses card N's tab (0 to 2) and double-clicks the tab row, with a
# picture of the panel's area before and after.
open_panel_of_card() {
    click "${TAB_X[$1]}" "$TAB_Y"
    program_settles || fail "the program did not settle after choosing card $1"
    wait_until 5 panel_still closed || fail "the window did not settle after choosing card $1"
    dclick "${TAB_X[$1]}" "$TAB_Y"
    wait_until 5 panel_opened || fail "the double-click did not open the panel"
}

desktop_start
orbo_start
open_window

# Card 2: choose its tab, double-click the tab row, print.
before=$(pdfs)
open_panel_of_card 1
screenshot "panel-open"
click "$PRINT_X" "$PRINT_Y"
wait_until 30 has_pdfs "$token" 1 || fail "no PDF of card 2 arrived"
panel_closed_again() { panel_still printed && (($(differs closed printed) < $(differs open printed))); }
wait_until 5 panel_closed_again || fail "the panel stayed open after printing"
text=$(pdftotext "$PDF_DIR/$(new_pdfs_with "$token" | head -n1)" -)
for line in $'Einkaufsliste f\xc3\xbcr heute' $'Milch, Brot und K\xc3\xa4se' \
    $'Gr\xc3\xbc\xc3\x9fe an \xc3\x84nne \xc3\x96zdemir \xc3\x9cbermorgen' $'Stra\xc3\x9fe, Ma\xc3\x9f und Flei\xc3\x9f' "$token"; do
    grep -qxF -- "$line" <<<"$text" || fail "line '$line' missing from the PDF: $text"
done
grep -q "Karte #2" <<<"$text" && fail "the title was printed"

# A second click after reopening is a second job.
dclick "${TAB_X[1]}" "$TAB_Y"
wait_until 5 panel_opened || fail "the double-click did not open the panel again"
click "$PRINT_X" "$PRINT_Y"
wait_until 30 has_pdfs "$token" 2 || fail "the second click gave no second job"

# Card 1 holds the load step's hint with lone CRs: each starts a new line.
before=$(pdfs)
open_panel_of_card 0
click "$PRINT_X" "$PRINT_Y"
wait_until 30 has_pdfs "$token" 1 || fail "no PDF of card 1 arrived"
text=$(pdftotext "$PDF_DIR/$(new_pdfs_with "$token" | head -n1)" -)
grep -qx $'F\xc3\xbcgen Sie einen Verweis dieses *' <<<"$text" || fail "hint's first line wrong: $text"
grep -qx "Programmes in ihren" <<<"$text" || fail "a lone CR did not start a new line: $text"
grep -qx " *AUTOSTART Ordner ein. $token" <<<"$text" || fail "hint's last line wrong: $text"
screenshot "printed"

# Renaming card 2 in its panel: the title reaches the store exactly, "&" too.
TITLE_X=$(($(px 120) + $(px 60) + $(px 2295) / 2)) # title box at 60,300 in the frame
TITLE_Y=$(($(px 420) + $(px 300) + $(px 315) / 2))
OK_X=$(($(px 120) + $(px 1500) + $(px 855) / 2)) # "OK" at 1500,660
OK_Y=$(($(px 420) + $(px 660) + $(px 255) / 2))
open_panel_of_card 1
click "$TITLE_X" "$TITLE_Y"
xdotool key ctrl+a
xdotool type --delay 20 "Haus & Hof"
click "$OK_X" "$OK_Y"
title_stored() {
    [[ "$(sqlite3 -cmd ".timeout 2000" "$STORE" "SELECT value FROM settings WHERE key='Pindel5'")" == "Haus & Hof" ]]
}
wait_until 5 title_stored ||
    fail "the title did not reach the store: $(sqlite3 "$STORE" "SELECT key, value FROM settings" 2>&1 || true) $(cat "$E2E_TMP/orbo.log")"
wait_until 5 panel_still renamed || fail "the window did not settle after renaming"
screenshot "renamed"
orbo_stop

# Printing that cannot happen: the panel stays open, the user is told, the
# store is kept and no PDF appears. No print server at all, a queue that
# rejects jobs (Qt would report success), a stopped queue.
expect_failed_print() {
    local name=$1
    shift
    : >"$E2E_TMP/orbo.log"
    env "$@" "$ORBO" >>"$E2E_TMP/orbo.log" 2>&1 &
    ORBO_PID=$!
    _pids+=("$ORBO_PID")
    open_window
    before=$(pdfs)
    open_panel_of_card 1
    local stored
    stored=$(sqlite3 -cmd ".timeout 2000" "$STORE" .dump)
    click "$PRINT_X" "$PRINT_Y"
    wait_until 5 grep -q "Drucken fehlgeschlagen" "$E2E_TMP/orbo.log" || fail "$name: the failed print was not told"
    # The failure is told at the end of the print's handling: once the window
    # has settled, the panel must still be open.
    program_settles || fail "$name: the program did not settle after the failed print"
    wait_until 5 panel_still failed || fail "$name: the window did not settle after the failed print"
    screenshot "$name"
    [[ $(differs open failed) -lt $(differs closed failed) ]] || fail "$name: the panel closed although nothing was printed"
    [[ "$(sqlite3 -cmd ".timeout 2000" "$STORE" .dump)" == "$stored" ]] || fail "$name: the failed print changed the store"
    [[ $(count_pdfs_with "$token") == 0 ]] || fail "$name: a PDF appeared"
    orbo_stop
}
expect_failed_print no-server -u PRINTER CUPS_SERVER="$E2E_TMP/no-such-cups.sock"
grep -q "kein Standarddrucker" "$E2E_TMP/orbo.log" || fail "no-server: wrong message: $(cat "$E2E_TMP/orbo.log")"
expect_failed_print rejecting PRINTER="$PINDEL_REJECTING_QUEUE"
grep -qF "$PINDEL_REJECTING_QUEUE" "$E2E_TMP/orbo.log" || fail "rejecting: wrong message: $(cat "$E2E_TMP/orbo.log")"
expect_failed_print stopped PRINTER="$PINDEL_STOPPED_QUEUE"
[[ -z "$(lpstat -o "$PINDEL_STOPPED_QUEUE" "$PINDEL_REJECTING_QUEUE" 2>/dev/null)" ]] ||
    fail "a job was left on a queue that cannot print"

# Keep one print as an artifact; the others are this run's own and go.
before=""
mine=$(new_pdfs_with "$token")
cp "$PDF_DIR/$(head -n1 <<<"$mine")" "$ARTIFACTS/${E2E_NAME:-e2e}-card.pdf" 2>/dev/null || true
while read -r f; do rm -f "$PDF_DIR/$f"; done <<<"$mine"
echo "ok"
