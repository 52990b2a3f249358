#!/usr/bin/env bash
# The real program when its store changes under it: a note changed by
# another program is not reverted by a card nobody touched; an edited card
# wins and what it replaced is kept in the backup; a store replaced by rename
# or rewritten in place is read anew; a deleted store folder is made again
# from the notes in the window; a file size limit refuses writes instead of
# ending the program; typing into a note keeps the line breaks it does not
# touch.
source "$(dirname "$0")/lib.sh"

seed_and_show() {
    store_set Pindel1 "Eins"
    store_set Pindel3 "Zwei"
    store_set Pindel4 "Drei"
    start_shown
}

outside_change_is_not_reverted() {
    seed_and_show
    sqlite3 "$STORE" "UPDATE settings SET value='Zwei von außen' WHERE key='Pindel3'"
    sqlite3 "$STORE" "UPDATE settings SET value='Drei von außen' WHERE key='Pindel4'"
    type_into_card 3 " bearbeitet"
    close_window
    wait_until 5 window_is_hidden || fail "close did not hide the window"
    [[ "$(store_value Pindel3)" == "Zwei von außen" ]] ||
        fail "an untouched card reverted an outside change: '$(store_value Pindel3)'"
    [[ "$(store_value Pindel4)" == "Drei bearbeitet" ]] || fail "the edited card did not win: '$(store_value Pindel4)'"
    [[ "$(sqlite3 "$STORE.bak" "SELECT value FROM settings WHERE key='Pindel4'")" == "Drei von außen" ]] ||
        fail "the backup does not hold what the edit replaced"
}

file_replaced_by_rename_is_followed() {
    seed_and_show
    close_window
    wait_until 5 window_is_hidden || fail "close did not hide the window"
    # A sync tool puts a new file in place by rename.
    sqlite3 "$STORE" ".backup '$E2E_TMP/replacement'"
    sqlite3 "$E2E_TMP/replacement" "UPDATE settings SET value='Eins ersetzt' WHERE key='Pindel1'"
    mv "$E2E_TMP/replacement" "$STORE"
    show_again
    type_into_card 2 " neu"
    close_window
    wait_until 5 window_is_hidden || fail "close did not hide the window"
    [[ "$(store_value Pindel1)" == "Eins ersetzt" ]] || fail "the replaced file was not read: '$(store_value Pindel1)'"
    [[ "$(store_value Pindel3)" == "Zwei neu" ]] || fail "typing went into the old file: '$(store_value Pindel3)'"
}

# A sync tool writes another machine's copy over the store in place (the
# same file, new bytes) while the program runs: the untouched cards show the
# new notes at the next opening and never write their old text back; the
# edited card wins, and the text it replaced is kept as an earlier version
# and in the backup; the user is told; the file stays sound.
file_rewritten_in_place_is_read_anew() {
    seed_and_show
    type_into_card 1 " vorher"
    wait_until 5 stored_is Pindel1 "Eins vorher" || fail "typing was not saved: '$(store_value Pindel1)'"
    local other="$E2E_TMP/other.sqlite3" inode
    inode=$(stat -c %i "$STORE")
    sqlite3 "$STORE" ".backup '$other'"
    sqlite3 "$other" "UPDATE settings SET value = value || ' anders' WHERE key IN ('Pindel1', 'Pindel3', 'Pindel4')"
    cp "$other" "$STORE"
    [[ "$(stat -c %i "$STORE")" == "$inode" ]] || fail "cp replaced the file instead of writing into it"
    type_into_card 3 " bearbeitet"
    close_window
    wait_until 5 window_is_hidden || fail "close did not hide the window"
    show_again
    type_into_card 1 " danach"
    type_into_card 2 " danach"
    close_window
    wait_until 5 window_is_hidden || fail "close did not hide the window"
    orbo_stop
    [[ "$(store_value Pindel1)" == "Eins vorher anders danach" ]] ||
        fail "card 1 did not show the new note: '$(store_value Pindel1)'"
    [[ "$(store_value Pindel3)" == "Zwei anders danach" ]] ||
        fail "card 2 did not show the new note: '$(store_value Pindel3)'"
    [[ "$(store_value Pindel4)" == "Drei bearbeitet" ]] || fail "the edited card did not win: '$(store_value Pindel4)'"
    [[ "$(sqlite3 "$STORE.bak" "SELECT value FROM settings WHERE key='Pindel4'")" == "Drei anders" ]] ||
        fail "the backup does not hold what the edit replaced"
    [[ "$(sqlite3 "$STORE" "SELECT count(*) FROM history WHERE key='Pindel4' AND value='Drei anders'")" == 1 ]] ||
        fail "what the edit replaced is not kept as an earlier version"
    [[ "$(sqlite3 "$STORE" "PRAGMA integrity_check")" == ok ]] || fail "the store is damaged"
    orbo_log_has "überschrieben" || fail "the user was not told"
}

deleted_folder_is_made_again() {
    seed_and_show
    rm -rf "$(dirname "$STORE")"
    # ASCII only: xdotool types other letters through a keycode it remaps
    # for a moment, and under load a letter can fall between the remaps.
    type_into_card 1 " nach dem Loeschen"
    wait_until 5 test -f "$STORE" || fail "the store was not made again"
    wait_until 5 stored_is Pindel1 "Eins nach dem Loeschen" || fail "typing after the deletion was lost: '$(store_value Pindel1)'"
    [[ "$(store_value Pindel4)" == "Drei" ]] || fail "card 3 was not carried into the new store"
    [[ "$(stat -c %a "$(dirname "$STORE")")" == 700 ]] || fail "the new folder is not private"
    wait_until 5 orbo_log_has "verschwunden" || fail "the user was not told"
}

# What the store cannot write under a file size limit is refused and told;
# the program goes on, writes nothing over the note and leaves no half-made
# backup.
file_size_limit_refuses_instead_of_ending() {
    local long
    long=$(head -c 3000 /dev/zero | tr '\0' 'x')
    store_set Pindel1 "$long"
    (ulimit -f 8 && exec "$ORBO" >>"$E2E_TMP/orbo.log" 2>&1) &
    ORBO_PID=$!
    _pids+=("$ORBO_PID")
    wait_until 10 orbo_log_has "fehlgeschlagen" || fail "the refused store was not told"
    show_again # alive and answering
    kill -0 "$ORBO_PID" || fail "the file size limit ended the program"
    [[ "$(store_value Pindel1)" == "$long" ]] || fail "card 1 was written over"
    ! ls "$(dirname "$STORE")"/*.new 2>/dev/null || fail "a half-made backup was left"
}

# Typing at the end of a note with every kind of line break rewrites none
# of them.
line_breaks_outside_an_edit_are_kept() {
    store_set Pindel1 $'alpha\r\nbeta\rgamma\ndelta'
    start_shown
    type_into_card 1 "X"
    close_window
    wait_until 5 window_is_hidden || fail "close did not hide the window"
    local want
    want=$(printf 'alpha\r\nbeta\rgamma\ndeltaX' | od -An -tx1 | tr -d ' \n')
    local got
    got=$(sqlite3 "$STORE" "SELECT lower(hex(value)) FROM settings WHERE key='Pindel1'")
    [[ "$got" == "$want" ]] || fail "line breaks were rewritten: $got instead of $want"
}

desktop_start
run_cases line_breaks_outside_an_edit_are_kept outside_change_is_not_reverted file_replaced_by_rename_is_followed \
    file_rewritten_in_place_is_read_anew deleted_folder_is_made_again file_size_limit_refuses_instead_of_ending
echo "ok"
