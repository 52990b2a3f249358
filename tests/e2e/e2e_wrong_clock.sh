#!/usr/bin/env bash
# A clock wrong for one run (set back 9000 days, or 100 days ahead) and right
# again: the versions kept before, and those kept while it was wrong, are all
# still there after the saves of the later runs have thinned the history.
source "$(dirname "$0")/lib.sh"

FAKETIME_LIB=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1
[[ -f "$FAKETIME_LIB" ]] || fail "libfaketime is not installed (scripts/install-deps.sh --test)"

# run_with_clock OFFSET TEXT: one run of the program, its clock OFFSET off
# ("" for the right one), in which TEXT is typed into the second card and
# wiped, which keeps TEXT as a version and thins the history.
run_with_clock() {
    if [[ -n "$1" ]]; then
        LD_PRELOAD="$FAKETIME_LIB" FAKETIME="$1" FAKETIME_DONT_FAKE_MONOTONIC=1 start_shown
    else
        start_shown
    fi
    type_and_wipe "$2"
    wait_until 5 version_kept "$2" || fail "no version of '$2' was kept"
    orbo_stop
}
version_kept() { [[ "$(sqlite3 "$STORE" "SELECT count(*) FROM history WHERE key = 'Pindel3' AND value = '$1'")" == 1 ]]; }
versions_all_kept() {
    local text
    for text in "$@"; do
        version_kept "$text" || fail "the version '$text' is gone; kept: $(sqlite3 "$STORE" "SELECT saved_at, value FROM history")"
    done
}

set_back() {
    run_with_clock "" "vor dem Fehler"
    run_with_clock "-9000d" "Notiz mit falscher Zeit"
    [[ "$(sqlite3 "$STORE" "SELECT substr(saved_at, 1, 4) FROM history WHERE value = 'Notiz mit falscher Zeit'")" < 2010 ]] ||
        fail "the run did not have its clock set back"
    run_with_clock "" "danach eins"
    run_with_clock "" "danach zwei"
    versions_all_kept "vor dem Fehler" "Notiz mit falscher Zeit" "danach eins" "danach zwei"
}

ahead() {
    run_with_clock "" "vor dem Fehler"
    run_with_clock "+100d" "Notiz mit falscher Zeit"
    [[ "$(sqlite3 "$STORE" "SELECT saved_at FROM history WHERE value = 'Notiz mit falscher Zeit'")" > "$(date -u -d '+90 days' +%FT%T)" ]] ||
        fail "the run did not have its clock ahead"
    run_with_clock "" "danach"
    versions_all_kept "vor dem Fehler" "Notiz mit falscher Zeit" "danach"
}

desktop_start
run_cases set_back ahead
echo "ok"
