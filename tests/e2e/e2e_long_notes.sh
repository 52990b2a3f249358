#!/usr/bin/env bash
# Three long notes: the tray icon shows before they are read, and what comes
# right after it (a click on the icon, the end of the session) finds the
# notes whole. A click shows the stored note ready for typing; an end saves
# nothing over the notes or the stored size.
source "$(dirname "$0")/lib.sh"

# Lines of text, more than a few pieces of the box's fill.
note_file="$E2E_TMP/note.txt"
head -c 3000000 < <(yes 'Zeile: Notizzettel mit etwas Text, damit sie breit ist.') >"$note_file"
note_sum=$(sha256sum <"$note_file" | cut -d' ' -f1)

long_store() {
    store_set left 400 top 600 width 6000 height 3000
    sqlite3 "$STORE" "INSERT INTO settings VALUES
        ('MIRTAL','MIRTAL','Pindel1', CAST(readfile('$note_file') AS TEXT)),
        ('MIRTAL','MIRTAL','Pindel3', CAST(readfile('$note_file') AS TEXT)),
        ('MIRTAL','MIRTAL','Pindel4', CAST(readfile('$note_file') AS TEXT))"
}
note_sum_of() { sqlite3 "$STORE" "SELECT value FROM settings WHERE key='$1'" | head -c -1 | sha256sum | cut -d' ' -f1; }
notes_unchanged() {
    local key
    for key in Pindel1 Pindel3 Pindel4; do
        [[ "$(note_sum_of "$key")" == "$note_sum" ]] || fail "$1: $key changed ($(sqlite3 "$STORE" \
            "SELECT length(value) FROM settings WHERE key='$key'") characters)"
    done
    [[ "$(stored_geometry)" == "400 600 6000 3000" ]] || fail "$1: the size became $(stored_geometry)"
}

click_at_once() {
    long_store
    orbo_start
    wait_until 10 tray_icon_id >/dev/null || fail "the tray icon did not appear"
    show_by_tray
    screenshot "shown"
    click_content
    xdotool key ctrl+Home
    xdotool type --delay 15 "neu "
    wait_until 10 eval '[[ "$(sqlite3 "$STORE" "SELECT substr(value, 1, 10) FROM settings WHERE key='"'Pindel1'"'")" == "neu Zeile:" ]]' ||
        fail "typing at the start of the long note was not saved"
    [[ "$(sqlite3 "$STORE" "SELECT length(value) FROM settings WHERE key='Pindel1'")" == 3000004 ]] ||
        fail "the saved note is not the whole note with the typing"
}

end_at_once() {
    long_store
    orbo_start
    wait_until 10 tray_icon_id >/dev/null || fail "the tray icon did not appear"
    kill -TERM "$ORBO_PID"
    local status=0
    wait "$ORBO_PID" || status=$?
    ((status == 0)) || fail "the end right after the icon ended with status $status"
    notes_unchanged "an end right after the icon"
}

desktop_start
run_cases click_at_once end_at_once
echo "ok"
