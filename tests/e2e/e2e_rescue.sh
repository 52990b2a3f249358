#!/usr/bin/env bash
# The safety nets under the faults they exist for, on the real program: a
# rescue on a full disk lands whole in the next place that takes it (or the
# user is told plainly that it could not), never as an empty file; a failed
# backup leaves no partial files; a wipe whose version the store cannot keep
# goes into a rescue file.
source "$(dirname "$0")/lib.sh"

[[ $EUID == 0 ]] || { echo "skipped: mounting a tmpfs needs root"; exit 77; }

SMALL="$E2E_TMP/small"
RUNTIME_APART="$XDG_RUNTIME_DIR"
CONFIG_APART="$XDG_CONFIG_HOME"
HOME_APART="$HOME"
STATE_APART="${XDG_STATE_HOME:-}"

# small_disk: the store, the state folder and the home folder on one 2 MB
# tmpfs, as on a nearly full disk; fill_small_disk takes its last byte.
small_disk() {
    mkdir -p "$SMALL"
    mount -t tmpfs -o size=2m,mode=0755 tmpfs "$SMALL"
    export XDG_CONFIG_HOME="$SMALL/config" XDG_STATE_HOME="$SMALL/state" HOME="$SMALL/home"
    mkdir -p "$XDG_CONFIG_HOME" "$XDG_STATE_HOME" "$HOME"
    STORE="$XDG_CONFIG_HOME/MIRTAL/store.sqlite3"
}
# Each call adds a filler of its own: a failed save may give back a little
# room (the store closes and its shared-memory file goes), which the next
# call takes again.
fill_small_disk() { dd if=/dev/zero of="$(mktemp -p "$SMALL" filler.XXXXXX)" bs=1k count=4000 2>/dev/null || true; }
small_disk_gone() {
    if mountpoint -q "$SMALL"; then
        [[ -z "${ORBO_PID:-}" ]] || orbo_stop
        umount -l "$SMALL"
    fi
    export XDG_CONFIG_HOME="$CONFIG_APART" HOME="$HOME_APART" XDG_RUNTIME_DIR="$RUNTIME_APART"
    if [[ -n "$STATE_APART" ]]; then export XDG_STATE_HOME="$STATE_APART"; else unset XDG_STATE_HOME; fi
    STORE="$XDG_CONFIG_HOME/MIRTAL/store.sqlite3"
}
trap 'small_disk_gone; _cleanup' EXIT

rescues_in() { find "$@" -name 'Pindel-gerettet-*' 2>/dev/null; }

# end_refused: SIGTERM while the store refuses; the program must report
# failure.
end_refused() {
    kill -TERM "$ORBO_PID"
    local status=0
    wait "$ORBO_PID" || status=$?
    [[ $status == 1 ]] || fail "the program ended with status $status although the text could not be saved"
}

# rescue_on_a_full_disk RUNTIME: "apart" (on another file system) or "full"
# (on the full disk too).
rescue_on_a_full_disk() {
    small_disk
    if [[ $1 == full ]]; then
        export XDG_RUNTIME_DIR="$SMALL/run"
        mkdir -m 700 "$XDG_RUNTIME_DIR"
    fi
    store_set Pindel1 "Eins"
    start_shown
    type_into_card 1 " getippt"
    wait_until 5 stored_is Pindel1 "Eins getippt" || fail "the typing was not saved before the disk filled"
    # An empty file an earlier version left: never named again.
    : >"$(dirname "$STORE")/Pindel-gerettet-20000101-000000-Karte-1.txt"
    fill_small_disk
    type_into_card 1 " und mehr"
    wait_until 10 orbo_log_has "Speichern „Pindel1“" || fail "the failed save was not told"
    fill_small_disk
    end_refused
    [[ -z "$(rescues_in "$SMALL" -size +0)" ]] || fail "a rescue on the full disk: $(rescues_in "$SMALL" -size +0)"
    rm "$(dirname "$STORE")/Pindel-gerettet-20000101-000000-Karte-1.txt"
    [[ -z "$(rescues_in "$SMALL")" ]] || fail "an incomplete rescue file was left: $(rescues_in "$SMALL")"
    if [[ $1 == full ]]; then
        orbo_log_has "konnte weder gespeichert noch gerettet werden" || fail "the user was not told that nothing was rescued"
        ! orbo_log_has "wurde gerettet" || fail "a rescue was told although none was made"
    else
        local rescue
        rescue=$(rescues_in "$RUNTIME_APART" -name '*-Karte-1.txt')
        [[ -n "$rescue" ]] || fail "no rescue file in the runtime folder"
        [[ "$(cat "$rescue")" == "Eins getippt und mehr" ]] || fail "the rescue file holds '$(cat "$rescue")'"
        [[ "$(stat -c %a "$rescue")" == 600 ]] || fail "the rescue file is $(stat -c %a "$rescue")"
        orbo_log_has "$rescue" || fail "the rescue was not named"
        orbo_log_has "Abmelden oder Neustart" || fail "the user was not told that the runtime folder is emptied"
        : >"$(dirname "$STORE")/Pindel-gerettet-20000101-000000-Karte-1.txt"
        : >"$E2E_TMP/orbo.log"
        orbo_start
        wait_until 10 orbo_log_has "$rescue" || fail "the next start did not name the rescue file"
        ! orbo_log_has "20000101-000000" || fail "the next start named an empty rescue file"
        rm "$rescue"
    fi
    small_disk_gone
}
rescue_lands_whole_in_the_runtime_folder() { rescue_on_a_full_disk apart; }
nothing_rescued_is_told_plainly() { rescue_on_a_full_disk full; }

# A backup that fails for a full disk leaves nothing behind, and what a
# backup cut short left is removed at the next start.
failed_backup_leaves_no_partial_files() {
    small_disk
    store_set Pindel1 "kurz"
    # A note larger than what is left on the disk, so that its copy fails.
    sqlite3 "$STORE" "UPDATE settings SET value = replace(hex(zeroblob(100000)), '0', 'b') WHERE key = 'Pindel1'"
    start_shown
    fill_small_disk
    type_into_card 1 "x"
    wait_until 10 orbo_log_has "Sicherungskopie" || fail "the failed backup was not told"
    wait_until 10 orbo_log_has "Speichern „Pindel1“" || fail "the failed save was not told"
    ls "$STORE".bak.new* 2>/dev/null && fail "the failed backup left partial files"
    end_refused
    rm -f "$SMALL/filler"
    : >"$STORE.bak.new"
    : >"$STORE.bak.new-journal"
    orbo_start
    wait_until 10 tray_icon_id >/dev/null || fail "the program did not start"
    wait_until 5 test ! -e "$STORE.bak.new" -a ! -e "$STORE.bak.new-journal" ||
        fail "the next start left: $(ls "$STORE".bak.new*)"
    small_disk_gone
    rm -f "$RUNTIME_APART"/Pindel-gerettet-*
}

# A history table as a later version of the program might make it: no
# version can be kept, so a wipe puts the wiped text into a rescue file.
wiped_text_without_history_goes_to_a_file() {
    store_set Pindel1 "Notiz vor dem Wischen"
    sqlite3 "$STORE" "CREATE TABLE history (id INTEGER PRIMARY KEY, application TEXT NOT NULL,
        section TEXT NOT NULL, key TEXT NOT NULL COLLATE NOCASE, saved_at TEXT NOT NULL, value TEXT NOT NULL,
        device TEXT NOT NULL)"
    start_shown
    click_tab 1
    click_content
    xdotool key ctrl+a
    xdotool type "x"
    wait_until 5 stored_is Pindel1 "x" || fail "the wipe was not saved: '$(store_value Pindel1)'"
    local rescue
    rescue=$(rescues_in "$(dirname "$STORE")" -name '*Pindel1*')
    [[ -n "$rescue" ]] || fail "the wiped text is in no file"
    [[ "$(cat "$rescue")" == "Notiz vor dem Wischen" ]] || fail "the rescue file holds '$(cat "$rescue")'"
    [[ "$(stat -c %a "$rescue")" == 600 ]] || fail "the rescue file is $(stat -c %a "$rescue")"
    wait_until 5 orbo_log_has "$rescue" || fail "the user was not told where the wiped text lies"
}

desktop_start
run_cases rescue_lands_whole_in_the_runtime_folder nothing_rescued_is_told_plainly \
    failed_backup_leaves_no_partial_files wiped_text_without_history_goes_to_a_file
echo "ok"
