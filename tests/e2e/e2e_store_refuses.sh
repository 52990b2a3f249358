#!/usr/bin/env bash
# The real program while the store refuses (another program holds its lock):
# a note the store would not give at start is never written over; typing is
# kept in the window and saved once the store takes it again, without a new
# edit; restoring the window never reloads over it; ending the program while
# the store refuses rescues the typing into a file and names it at the next
# start.
source "$(dirname "$0")/lib.sh"

seed_and_show() {
    store_set Pindel1 "Notiz eins"
    store_set Pindel3 "Notiz zwei"
    start_shown
}

unreadable_note_is_not_written_over() {
    store_set Pindel1 "Notiz eins"
    store_set Pindel3 "Notiz zwei"
    store_lock exclusive
    orbo_start
    wait_until 10 orbo_log_has "Karte 1" || fail "the user was not told that card 1 could not be read"
    sleep 3.5 # the lock of another program outlasts the program's waiting
    store_unlock
    wait_until 10 window_is_viewable || fail "the window is not on screen after a failed start"
    close_window
    wait_until 5 window_is_hidden || fail "close did not hide the window"
    [[ "$(store_value Pindel1)" == "Notiz eins" ]] || fail "card 1 was written over: '$(store_value Pindel1)'"
    [[ "$(store_value Pindel3)" == "Notiz zwei" ]] || fail "card 2 was written over: '$(store_value Pindel3)'"
}

refused_save_lands_later_without_an_edit() {
    seed_and_show
    store_lock
    type_into_card 2 " und mehr"
    wait_until 10 orbo_log_has "Speichern „Pindel3“" || fail "the failed save was not told"
    store_unlock
    wait_until 4 stored_is Pindel3 "Notiz zwei und mehr" ||
        fail "the typing did not land after the store took writes again: '$(store_value Pindel3)'"
    wait_until 5 orbo_log_has "wieder gespeichert" || fail "the user was not told that saving works again"
}

restore_keeps_unsaved_typing() {
    seed_and_show
    store_lock
    type_into_card 2 " und mehr"
    wait_until 10 orbo_log_has "Speichern „Pindel3“" || fail "the failed save was not told"
    xdotool windowminimize "$(main_window_id)"
    wait_until 5 window_is_hidden || fail "the window did not minimise"
    # The balloon telling of the failure may cover the tray icon: a second
    # start restores the window as a tray click does.
    show_again
    screenshot "typing-kept-while-the-store-refuses"
    store_unlock
    wait_until 4 stored_is Pindel3 "Notiz zwei und mehr" ||
        fail "restoring threw the typing away: '$(store_value Pindel3)'"
}

session_end_rescues_what_cannot_be_saved() {
    seed_and_show
    store_lock
    type_into_card 3 "Gerettet bitte"
    wait_until 10 orbo_log_has "Speichern „Pindel" || fail "the failed save was not told"
    kill -TERM "$ORBO_PID"
    local status=0
    wait "$ORBO_PID" || status=$?
    [[ $status != 0 ]] || fail "the program reported success although the text could not be saved"
    local rescue
    rescue=$(ls "$(dirname "$STORE")"/Pindel-gerettet-*-Karte-3.txt 2>/dev/null | head -n1)
    [[ -n "$rescue" ]] || fail "no rescue file"
    [[ "$(cat "$rescue")" == "Gerettet bitte" ]] || fail "the rescue file holds '$(cat "$rescue")'"
    [[ "$(stat -c %a "$rescue")" == 600 ]] || fail "the rescue file is $(stat -c %a "$rescue")"
    store_unlock
    orbo_start
    wait_until 10 orbo_log_has "$rescue" || fail "the next start did not name the rescue file"
}

desktop_start
run_cases unreadable_note_is_not_written_over refused_save_lands_later_without_an_edit \
    restore_keeps_unsaved_typing session_end_rescues_what_cannot_be_saved
echo "ok"
