#!/usr/bin/env bash
# The real program under faults: typing survives a kill -9 thanks to
# autosave; a damaged store is moved aside, the user is told where it lies
# and the program goes on; the store, its journal files and the backup are
# the user's alone even under umask 000.
source "$(dirname "$0")/lib.sh"

mode_of() { stat -c %a "$1"; }

desktop_start
umask 000

# A damaged store from an earlier run.
mkdir -p "$(dirname "$STORE")"
head -c 20000 /dev/urandom >"$STORE"
cp "$STORE" "$E2E_TMP/damaged-copy"
orbo_start
wait_until 10 tray_icon_id >/dev/null || fail "the program did not start with a damaged store"
aside=$(ls "$(dirname "$STORE")"/store.sqlite3.damaged-* 2>/dev/null | grep -E 'damaged-[0-9]{8}-[0-9]{6}$' | head -n1)
[[ -n "$aside" ]] || fail "the damaged store was not moved aside"
cmp -s "$aside" "$E2E_TMP/damaged-copy" || fail "the damaged store was changed"
wait_until 5 grep -qF "$aside" "$E2E_TMP/orbo.log" || fail "the user was not told where the damaged store lies"
[[ "$(sqlite3 "$STORE" 'PRAGMA integrity_check')" == ok ]] || fail "the new store is not sound"

# Typing is on disk within about a second, without closing the window. The
# notice's balloon may cover the tray icon: a second start shows the window.
show_again
click_content
xdotool key ctrl+a
xdotool type --delay 20 "Getippt vor dem Absturz"
wait_until 1.5 stored_is Pindel1 "Getippt vor dem Absturz" || true
kill -KILL "$ORBO_PID"
wait "$ORBO_PID" 2>/dev/null || true
[[ "$(store_value Pindel1)" == "Getippt vor dem Absturz" ]] || fail "typing was lost by kill -9: '$(store_value Pindel1)'"

# The next run: its first change backs up the store as it was.
orbo_start
wait_until 10 tray_icon_id >/dev/null || fail "the program did not start after kill -9"
show_by_tray
click_content
xdotool key ctrl+End
xdotool type --delay 20 " und danach"
wait_until 5 test -f "$STORE.bak" || fail "no backup at the first change of the run"
[[ "$(sqlite3 "$STORE.bak" "SELECT value FROM settings WHERE key='Pindel1'")" == "Getippt vor dem Absturz" ]] ||
    fail "the backup is not the store as it was"
wait_until 5 stored_is Pindel1 "Getippt vor dem Absturz und danach" || fail "the new text was not saved"

# Privacy, with the program's files all present.
dir=$(dirname "$STORE")
[[ "$(mode_of "$dir")" == 700 ]] || fail "store folder is $(mode_of "$dir")"
for f in "$STORE" "$STORE-wal" "$STORE-shm" "$STORE.bak" "$aside"; do
    [[ -e "$f" ]] || fail "$f is missing"
    [[ "$(mode_of "$f")" == 600 ]] || fail "$f is $(mode_of "$f")"
done
echo "ok"
