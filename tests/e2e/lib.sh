# Shared by the end-to-end tests: a private headless desktop (Xvfb, icewm with
# its system tray), the real program, clicks, the store file, screenshots.
# Each test sources this, calls desktop_start, and everything it started is
# ended by the EXIT trap in reverse order.
set -euo pipefail

: "${ORBO:?path of the orbo program}"
: "${TRAY_PROBE:?path of tray_probe}"
: "${ARTIFACTS:=${TMPDIR:-/tmp}/pindel-artifacts}"
mkdir -p "$ARTIFACTS"

E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/pindel-e2e.XXXXXX")
export XDG_CONFIG_HOME="$E2E_TMP/config"
export XDG_RUNTIME_DIR="$E2E_TMP/run"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export DBUS_SESSION_BUS_ADDRESS=disabled:
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
# The program says "orbo: window ready" on stderr each time it has refilled a
# window it was asked to show.
export ORBO_ANNOUNCE_READY=1
STORE="$XDG_CONFIG_HOME/MIRTAL/store.sqlite3"

_pids=()
_cleanup() {
    local i
    for ((i = ${#_pids[@]} - 1; i >= 0; i--)); do
        # A stopped process would never end, and wait would hang.
        kill "${_pids[i]}" 2>/dev/null && kill -CONT "${_pids[i]}" 2>/dev/null || true
        wait "${_pids[i]}" 2>/dev/null || true
    done
    rm -rf "$E2E_TMP"
}
trap _cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    [[ -s "$E2E_TMP/orbo.log" ]] && { echo "--- the program said:" >&2; tail -n 20 "$E2E_TMP/orbo.log" >&2; }
    screenshot "failure" || true
    exit 1
}

# Polls a command until it succeeds or $1 seconds (a fraction too) pass.
wait_until() {
    local whole=${1%.*} frac
    [[ "$1" == *.* ]] && frac="${1#*.}000000" || frac=000000
    local end=$(($(_now_us) + 10#${whole:-0} * 1000000 + 10#${frac:0:6}))
    shift
    until "$@"; do
        (($(_now_us) < end)) || return 1
        sleep 0.05 # the polling step, not a wait for the program
    done
}
_now_us() { echo "${EPOCHREALTIME/[.,]/}"; }

# desktop_start [--no-tray | --no-taskbar]: Xvfb (XVFB_PID), and icewm with
# its tray; with --no-tray no window manager at all, with --no-taskbar icewm
# without task bar and tray (a panel may bring one).
desktop_start() {
    local fifo="$E2E_TMP/display"
    rm -f "$fifo" # a test may start a second desktop after the first
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
    XVFB_PID=$!
    _pids+=("$XVFB_PID")
    wait_until 10 test -s "$fifo" || fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$fifo")"
    if [[ "${1:-}" != "--no-tray" ]]; then
        # A private HOME keeps icewm's clock and monitors out of screenshots.
        mkdir -p "$E2E_TMP/wmhome/.icewm"
        printf 'TaskBarShowClock=0\nTaskBarShowCPUStatus=0\nTaskBarShowNetStatus=0\nTaskBarShowMailboxStatus=0\nTaskBarShowMEMStatus=0\n' \
            >"$E2E_TMP/wmhome/.icewm/preferences"
        [[ "${1:-}" == "--no-taskbar" ]] && printf 'ShowTaskBar=0\nTaskBarShowTray=0\n' >>"$E2E_TMP/wmhome/.icewm/preferences"
        # More of icewm's preferences, one a line (TaskBarAtTop=1: a top panel).
        [[ -n "${ICEWM_PREFERENCES:-}" ]] && printf '%s\n' "$ICEWM_PREFERENCES" >>"$E2E_TMP/wmhome/.icewm/preferences"
        HOME="$E2E_TMP/wmhome" icewm >/dev/null 2>&1 &
        _pids+=($!)
        if [[ "${1:-}" == "--no-taskbar" ]]; then
            wait_until 10 _wm_running || fail "icewm did not start"
        else
            "$TRAY_PROBE" 15 || fail "icewm's tray did not appear"
        fi
    fi
}
_wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# A D-Bus tray as Xfce has it: xfce4-panel with only its status tray plugin,
# which is the StatusNotifierWatcher and a host. Needs session_bus_start;
# PANEL_PID is the panel's pid.
panel_start() {
    local conf="$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml"
    mkdir -p "$conf"
    cat >"$conf/xfce4-panel.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=8;x=640;y=780"/>
      <property name="size" type="uint" value="30"/>
      <property name="length" type="uint" value="100"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
XML
    xfce4-panel --disable-wm-check >>"$E2E_TMP/panel.log" 2>&1 &
    PANEL_PID=$!
    _pids+=("$PANEL_PID")
    wait_until 15 dbus_tray_up || fail "xfce4-panel's tray did not appear on the bus"
}
dbus_tray_up() {
    gdbus call --session --dest org.kde.StatusNotifierWatcher --object-path /StatusNotifierWatcher \
        --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher IsStatusNotifierHostRegistered \
        2>/dev/null | grep -q true
}
panel_stop() {
    kill "$PANEL_PID" 2>/dev/null || true
    wait "$PANEL_PID" 2>/dev/null || true
}

# The items the D-Bus tray has, one per line ("SERVICE/PATH" or "SERVICE").
tray_items() {
    gdbus call --session --dest org.kde.StatusNotifierWatcher --object-path /StatusNotifierWatcher \
        --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher RegisteredStatusNotifierItems \
        2>/dev/null | grep -o "'[^']*'" | tr -d "'"
}
# The bus name of the program's item, once the tray has it.
orbo_item() { tray_items | grep -m1 "StatusNotifierItem-$ORBO_PID-" | cut -d/ -f1; }

# weston_start: a Wayland compositor without a tray, in a window of the X
# server, for the program to run on with QT_QPA_PLATFORM=wayland.
weston_start() {
    weston --backend=x11-backend.so --use-pixman --width=1280 --height=800 --socket=wl-test --idle-time=0 --debug \
        >>"$E2E_TMP/weston.log" 2>&1 &
    WESTON_PID=$!
    _pids+=("$WESTON_PID")
    wait_until 10 test -S "$XDG_RUNTIME_DIR/wl-test" || fail "weston did not start"
}

# What weston shows: its scene graph, read through its debug protocol.
_weston_scene() { timeout 5 weston-debug scene-graph 2>/dev/null; }
# The program's window is a toplevel view on screen.
wayland_window_shown() { _weston_scene | grep -q "role xdg_toplevel, PID $ORBO_PID,"; }
wayland_window_gone() { ! wayland_window_shown; }
# _wayland_click X Y: a click at X, Y from the window's top left corner (or,
# for a negative X, from its top right), through weston's window on the X
# server.
_wayland_click() {
    local place left right top output x
    place=$(_weston_scene | grep -A1 "role xdg_toplevel, PID $ORBO_PID," | grep 'position:')
    left=$(sed -n 's/.*position: (\([0-9-]*\), [0-9-]*).*/\1/p' <<<"$place")
    right=$(sed -n 's/.*-> (\([0-9-]*\), [0-9-]*).*/\1/p' <<<"$place")
    top=$(sed -n 's/.*position: ([0-9-]*, \([0-9-]*\)).*/\1/p' <<<"$place")
    output=$(xwininfo -root -tree | awk '/"Weston Compositor/ {print $1; exit}')
    ((x = $1 < 0 ? right + $1 : left + $1))
    xdotool mousemove --window "$output" "$x" $((top + $2)) click 1
}
# The close button of the window's own (client-side) frame.
wayland_close_window() { _wayland_click -18 14; }
# Into card 1's content box, below the frame's title and the tab row.
wayland_click_content() { _wayland_click 60 70; }

# session_bus_start: a private D-Bus session bus for the program and
# everything after it, instead of none.
session_bus_start() {
    local pid
    { read -r DBUS_SESSION_BUS_ADDRESS; read -r pid; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 --nopidfile)
    export DBUS_SESSION_BUS_ADDRESS
    _pids+=("$pid")
}

# a11y_start: the accessibility bus in the session bus, switched on as a
# desktop does when the user turns a screen reader on; programs started
# with QT_ACCESSIBILITY=1 then show on it.
a11y_start() {
    /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
    _pids+=($!)
    wait_until 10 _a11y_bus || fail "the accessibility bus did not start"
    gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
        --method org.freedesktop.DBus.Properties.Set org.a11y.Status IsEnabled "<true>" >/dev/null
}
_a11y_bus() { gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus --method org.a11y.Bus.GetAddress >/dev/null 2>&1; }

# orbo_start: starts the program in the background; ORBO_PID is its pid.
orbo_start() {
    "$ORBO" "$@" >>"$E2E_TMP/orbo.log" 2>&1 &
    ORBO_PID=$!
    _pids+=("$ORBO_PID")
}

orbo_stop() {
    kill -TERM "$ORBO_PID" 2>/dev/null || true
    wait "$ORBO_PID" 2>/dev/null || true
}

# The program's windows: the main window's caption always holds "MIR-TAL";
# the tray icon is the other window that carries _XEMBED_INFO. A window that
# was never shown has no X window yet.
_is_main_window() { xprop -id "$1" _NET_WM_NAME 2>/dev/null | grep -q 'MIR-TAL'; }

main_window_id() {
    local id
    for id in $(xdotool search --all --pid "$ORBO_PID" 2>/dev/null); do
        _is_main_window "$id" && { echo "$id"; return 0; }
    done
    return 1
}

# Popups (the tray menu) are transient for another window.
_is_popup() { xprop -id "$1" WM_TRANSIENT_FOR 2>/dev/null | grep -q 'window id'; }

tray_icon_id() {
    local id
    for id in $(xdotool search --all --pid "$ORBO_PID" 2>/dev/null); do
        _is_main_window "$id" && continue
        _is_popup "$id" && continue
        xprop -id "$id" _XEMBED_INFO 2>/dev/null | grep -q '=' && { echo "$id"; return 0; }
    done
    return 1
}

window_is_viewable() {
    local id
    id=$(main_window_id) || return 1
    xwininfo -id "$id" 2>/dev/null | grep -q "Map State: IsViewable"
}

window_is_hidden() { ! window_is_viewable; }

# The window manager has given the main window the focus.
window_is_active() { xprop -root _NET_ACTIVE_WINDOW | grep -qi "$(printf '0x%x' "$(main_window_id)")\b"; }

# The main window's own area on the screen: "X Y WIDTH HEIGHT" in pixels.
window_area() {
    xwininfo -id "$(main_window_id)" |
        awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} /Width:/ {w=$NF} /Height:/ {h=$NF}
             END {print x, y, w, h}'
}

# The tray icon's context menu while it is open.
menu_is_open() {
    local id
    for id in $(xdotool search --all --onlyvisible --pid "$ORBO_PID" 2>/dev/null); do
        _is_popup "$id" && ! _is_main_window "$id" && return 0
    done
    return 1
}

# Opens the tray icon's menu with a right click. A click that comes while a
# menu that just closed still holds the pointer is lost, so it clicks again.
menu_open() {
    local id try
    id=$(tray_icon_id) || fail "no tray icon"
    for try in 1 2 3; do
        xdotool mousemove --window "$id" 12 12 click 3
        wait_until 1 menu_is_open && return 0
    done
    fail "a right click on the tray icon opened no menu"
}

# menu_choose KEY...: opens the tray icon's menu and chooses with the keyboard.
menu_choose() {
    menu_open
    xdotool key "$@"
    wait_until 5 _menu_is_closed || fail "the menu stayed open"
}
_menu_is_closed() { ! menu_is_open; }

window_caption() { xprop -id "$(main_window_id)" _NET_WM_NAME | sed -e 's/^[^"]*"//' -e 's/"$//'; }

click_tray() {
    local id
    id=$(tray_icon_id) || fail "no tray icon"
    xdotool mousemove --window "$id" 12 12 click 1
}

# Clicks on card N's tab (1 to 3) or into the current card's content box,
# at their places in the window's design layout: each tab takes a third of
# the strip, which is about as wide as the window.
click_tab() {
    local w
    read -r _ _ w _ < <(window_area)
    xdotool mousemove --window "$(main_window_id)" $(((2 * $1 - 1) * w / 6)) 10 click 1
}
click_content() { xdotool mousemove --window "$(main_window_id)" 100 60 click 1; }

# A polite close request, as the window manager's close button sends it.
close_window() { wmctrl -i -c "$(main_window_id)"; }

# store_value KEY: the stored text (raw), or nothing and status 1 when missing.
store_value() {
    [[ -f "$STORE" ]] || return 1
    local n
    n=$(sqlite3 "$STORE" "SELECT count(*) FROM settings WHERE key='$1' COLLATE NOCASE")
    [[ "$n" == 1 ]] || return 1
    sqlite3 "$STORE" "SELECT value FROM settings WHERE key='$1' COLLATE NOCASE"
}

store_rows() {
    [[ -f "$STORE" ]] || { echo 0; return; }
    sqlite3 "$STORE" "SELECT count(*) FROM settings"
}

# store_set KEY VALUE [KEY VALUE ...]: what another tool (or an earlier run)
# left in the store.
store_set() {
    mkdir -p "$(dirname "$STORE")"
    local sql="CREATE TABLE IF NOT EXISTS settings (application TEXT NOT NULL, section TEXT NOT NULL, key TEXT NOT NULL COLLATE NOCASE, value TEXT NOT NULL, PRIMARY KEY (application, section, key));"
    while (($# >= 2)); do
        sql+="INSERT OR REPLACE INTO settings VALUES ('MIRTAL', 'MIRTAL', '$1', '$2');"
        shift 2
    done
    sqlite3 "$STORE" "$sql"
}

# stored_geometry: "LEFT TOP WIDTH HEIGHT" as stored (raw text).
stored_geometry() {
    local k out=()
    for k in left top width height; do
        out+=("(SELECT value FROM settings WHERE key = '$k' COLLATE NOCASE)")
    done
    sqlite3 "$STORE" "SELECT ${out[0]} || ' ' || ${out[1]} || ' ' || ${out[2]} || ' ' || ${out[3]}"
}

screenshot() {
    [[ -n "${DISPLAY:-}" ]] || return 0
    import -window root "$ARTIFACTS/${E2E_NAME:-e2e}-$1.png" 2>/dev/null
}

# store_lock [exclusive]: another program holds the store's write lock (or,
# exclusive, every lock: reads fail too) until store_unlock.
store_lock() {
    local begin="BEGIN IMMEDIATE;"
    [[ "${1:-}" == exclusive ]] && begin="PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; SELECT count(*) FROM settings;"
    rm -f "$E2E_TMP/lock.fifo" "$E2E_TMP/lock.out"
    mkfifo "$E2E_TMP/lock.fifo"
    sqlite3 "$STORE" <"$E2E_TMP/lock.fifo" >"$E2E_TMP/lock.out" 2>&1 &
    _LOCK_PID=$!
    _pids+=("$_LOCK_PID")
    exec 7>"$E2E_TMP/lock.fifo"
    echo "$begin SELECT 'locked';" >&7
    wait_until 5 grep -q '^locked' "$E2E_TMP/lock.out" || fail "could not lock the store: $(cat "$E2E_TMP/lock.out")"
}

store_unlock() {
    # .quit: programs started meanwhile hold the pipe open too.
    printf 'COMMIT;\n.quit\n' >&7
    exec 7>&-
    wait "$_LOCK_PID" 2>/dev/null || true
}

# orbo_log_has TEXT: the program said so (stderr carries every message).
orbo_log_has() { grep -qF -- "$1" "$E2E_TMP/orbo.log"; }

# type_into_card N TEXT: the shown window, card N, text typed at its end.
type_into_card() {
    click_tab "$1"
    click_content
    xdotool key ctrl+End
    xdotool type --delay 15 "$2"
}

# stored_is KEY VALUE: the store holds exactly VALUE under KEY (for wait_until).
stored_is() { [[ "$(store_value "$1")" == "$2" ]]; }

# type_and_wipe TEXT: TEXT typed into card 2 and saved, then wiped with
# Ctrl+A and Delete and saved, which keeps TEXT as a version.
type_and_wipe() {
    type_into_card 2 "$1"
    wait_until 5 stored_is Pindel3 "$1" || fail "the typed note was not saved: '$(store_value Pindel3)'"
    xdotool key ctrl+a Delete
    wait_until 5 stored_is Pindel3 "" || fail "the wiped note was not saved: '$(store_value Pindel3)'"
}

# The program refills the window once it has become active, which the window
# manager reports before the program has handled it; a refill puts the
# cursor back at the start, so typing waits until the program says it is
# done. readies_so_far is counted before the window is asked for.
readies_so_far() {
    local n
    n=$(grep -c '^orbo: window ready$' "$E2E_TMP/orbo.log" 2>/dev/null) || true
    echo "${n:-0}"
}
_readies_above() { (($(readies_so_far) > $1)); }
settle_after_activation() {
    wait_until 5 _readies_above "$1" || fail "the window was not refilled after it was shown"
}

# show_again: brings the window back as a second start does (a tray balloon
# telling of a failure may cover the tray icon for a few seconds).
show_again() {
    local before
    before=$(readies_so_far)
    timeout 15 "$ORBO" >>"$E2E_TMP/orbo.log" 2>&1 || fail "the second start ended with status $?"
    wait_until 5 window_is_viewable || fail "the window did not come back"
    wait_until 5 window_is_active || fail "the window did not become active"
    settle_after_activation "$before"
}

# run_cases NAME...: runs each case (a function) on its own store and
# program, or only the one named in E2E_ONLY (to see one case fail alone).
run_cases() {
    local name
    for name in "$@"; do
        [[ -z "${E2E_ONLY:-}" || "$E2E_ONLY" == "$name" ]] || continue
        echo "case $name"
        "$name"
        orbo_stop
        rm -rf "$(dirname "$STORE")"
        : >"$E2E_TMP/orbo.log"
    done
}

# start_shown: starts the program and opens its window with a tray click.
start_shown() {
    orbo_start
    wait_until 10 tray_icon_id >/dev/null || fail "the tray icon did not appear"
    show_by_tray
}

# show_by_tray: a tray click shows the window, and the program has refilled it.
show_by_tray() {
    local before
    before=$(readies_so_far)
    click_tray
    wait_until 5 window_is_viewable || fail "a tray click did not show the window"
    wait_until 5 window_is_active || fail "the window did not become active"
    settle_after_activation "$before"
}

# program_idle: the program's main thread waits in its event loop (in poll or
# ppoll), so everything sent to it so far has been handled. The X round trip
# first lets the server hand on what it still holds for the program.
program_idle() {
    local nr
    xprop -root _NET_SUPPORTED >/dev/null 2>&1 || true
    read -r nr _ <"/proc/$ORBO_PID/syscall" 2>/dev/null || return 1
    [[ "$nr" == 7 || "$nr" == 271 ]] # poll, ppoll on x86-64
}
# program_settles: idle at two readings in a row, a polling step apart.
program_settles() { wait_until 5 _idle_twice; }
_idle_twice() { program_idle && sleep 0.05 && program_idle; } # a polling step apart
