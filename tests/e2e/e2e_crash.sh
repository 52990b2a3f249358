#!/usr/bin/env bash
# Killed at any moment while writing notes of 1 MB to 10 MB, the program
# leaves a store that opens, passes the integrity check and holds for each
# note either the old or the new text, never a mix or a truncation.
#
# Each round: the store holds texts A, the program loads them, another tool
# replaces them with texts B, and the program is asked to end (SIGTERM), which
# makes it write A back; it is killed with SIGKILL after a random delay.
# CRASH_ROUNDS sets the number of rounds (default 6).
source "$(dirname "$0")/lib.sh"

export QT_QPA_PLATFORM=offscreen
rounds=${CRASH_ROUNDS:-6}
keys=(Pindel1 Pindel3 Pindel4)
declare -A landed=([old]=0 [new]=0)

# A random text of about $1 bytes in lines of about 4 KB.
random_text_sql() { echo "replace(hex(randomblob($1 / 2)), 'ABC', char(10))"; }

hashes() { sqlite3 "$STORE" "SELECT key || ' ' || hex(sha3(value)) FROM settings WHERE key IN ('Pindel1','Pindel3','Pindel4') ORDER BY key"; }

first_copy_holds_lock() {
    [[ "$(head -n1 "$STORE.lock" 2>/dev/null)" == "$ORBO_PID" ]]
}

for ((round = 1; round <= rounds; round++)); do
    rm -rf "$(dirname "$STORE")"
    mkdir -p "$(dirname "$STORE")"
    sqlite3 "$STORE" "PRAGMA journal_mode=WAL;
        CREATE TABLE settings (application TEXT NOT NULL, section TEXT NOT NULL, key TEXT NOT NULL COLLATE NOCASE,
            value TEXT NOT NULL, PRIMARY KEY (application, section, key));" >/dev/null
    for key in "${keys[@]}"; do
        size=$(( (RANDOM % 10 + 1) * 1024 * 1024 ))
        sqlite3 "$STORE" "INSERT INTO settings VALUES ('MIRTAL', 'MIRTAL', '$key', $(random_text_sql $size))"
    done
    mapfile -t old < <(hashes)

    : >"$E2E_TMP/orbo.log"
    orbo_start
    # Once the first copy holds the lock, a second start hands over to it;
    # the window it asks for is ready once the notes are loaded.
    wait_until 10 first_copy_holds_lock || fail "round $round: the program took no lock"
    timeout 60 "$ORBO" >>"$E2E_TMP/orbo.log" 2>&1 || fail "round $round: the second start did not hand over"
    wait_until 60 orbo_log_has "orbo: window ready" || fail "round $round: the program did not get ready"

    for key in "${keys[@]}"; do
        size=$(( (RANDOM % 10 + 1) * 1024 * 1024 ))
        # Like any tool beside a running program, it waits for a lock.
        sqlite3 -cmd ".timeout 10000" "$STORE" "UPDATE settings SET value = $(random_text_sql $size) WHERE key = '$key'"
    done
    mapfile -t new < <(hashes)

    delay=$(printf '0.%03d' $((RANDOM % 500)))
    kill -TERM "$ORBO_PID"
    sleep "$delay" # real time is the point: the kill lands at a random moment of the save
    kill -KILL "$ORBO_PID" 2>/dev/null || true
    wait "$ORBO_PID" 2>/dev/null || true

    check=$(sqlite3 "$STORE" "PRAGMA integrity_check") || fail "round $round: the store does not open"
    [[ "$check" == ok ]] || fail "round $round: integrity check: $check"
    mapfile -t now < <(hashes)
    [[ ${#now[@]} == 3 ]] || fail "round $round: a note is missing"
    for i in 0 1 2; do
        if [[ "${now[i]}" == "${new[i]}" ]]; then
            landed[new]=$((landed[new] + 1))
        elif [[ "${now[i]}" == "${old[i]}" ]]; then
            landed[old]=$((landed[old] + 1))
        else
            fail "round $round (killed after ${delay}s): ${keys[i]} holds neither the old nor the new text"
        fi
    done
    echo "round $round: killed ${delay}s after the end request ($SECONDS s)"
done
# "old" is what the program wrote (the texts it had loaded), "new" what the
# other tool wrote and the kill kept from being replaced.
echo "notes written by the program before the kill: ${landed[old]}, not yet: ${landed[new]}"
echo "ok"
