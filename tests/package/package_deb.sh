#!/usr/bin/env bash
# The Debian package on this very machine: scripts/package.sh builds it,
# lintian finds no error, apt-get installs it, AppStream compose succeeds on
# what it installed, the installed program (started from its desktop entry
# with no PATH) shows its tray icon, opens on a click and keeps what was
# typed across a restart; apt-get purge then leaves none of its files and the
# user's notes as they were.
# It installs into the real /usr, so it runs only as root (CI runs on a
# throwaway machine) and only while no Pindel is installed; otherwise it is
# skipped with status 77.
set -euo pipefail
: "${SOURCE_DIR:?the source directory}"
: "${PINDEL_PACKAGE_BUILD_DIR:?where scripts/package.sh builds}"
skip() {
    echo "SKIP: $*"
    exit 77
}
[[ $(id -u) == 0 ]] || skip "installing the package into /usr needs root"
command -v apt-get >/dev/null || skip "not a Debian system"
# One package test at a time on this machine, whichever checkout runs it.
lock=/var/lock/pindel-package-test.lock
exec 9>"$lock"
flock -w 1800 9 || skip "another package test holds $lock"
if dpkg-query -W -f='${Status}' pindel 2>/dev/null | grep -q ' installed$'; then
    skip "Pindel's package is installed here; the test would remove it"
fi
[[ ! -e /usr/bin/orbo ]] || skip "/usr/bin/orbo exists; the test would replace it"

ORBO=/usr/bin/orbo
source "$SOURCE_DIR/tests/e2e/lib.sh"
export DEBIAN_FRONTEND=noninteractive
apt_get() { apt-get -q -y -o DPkg::Lock::Timeout=300 "$@"; }
installed=0
purge_if_installed() { ((installed == 0)) || apt_get purge pindel >/dev/null 2>&1 || true; }
trap '_cleanup; purge_if_installed' EXIT

# Built and checked.
dist="$E2E_TMP/dist"
nice "$SOURCE_DIR/scripts/package.sh" "$dist" >"$E2E_TMP/package.log" 2>&1 ||
    { cat "$E2E_TMP/package.log"; fail "scripts/package.sh"; }
deb=$(tail -n1 "$E2E_TMP/package.log")
version=$(dpkg-deb -f "$deb" Version)
release=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/metainfo/de.mirtal.Pindel.metainfo.xml |
    grep -o '<release version="[^"]*"' | head -n1 | cut -d'"' -f2)
[[ "$version" == "$release" ]] || fail "package version $version, newest AppStream release $release"
[[ "$(basename "$deb")" == "pindel_${version}_amd64.deb" ]] || fail "the package is named $(basename "$deb")"
[[ "$(dpkg-deb -f "$deb" Depends)" == *libqt6widgets6* ]] || fail "no dependencies from the program: $(dpkg-deb -f "$deb" Depends)"
lintian --fail-on error "$deb" >"$E2E_TMP/lintian.log" 2>&1 || { cat "$E2E_TMP/lintian.log"; fail "lintian reports errors"; }

# The user's notes from before, in the test's own XDG_CONFIG_HOME.
store_set Pindel4 "Vor der Installation"
store_set Pindel6 "Alt"
notes_digest() { (cd "$XDG_CONFIG_HOME" && find . -type f -print0 | sort -z | xargs -0 sha256sum); }
seeded=$(notes_digest)

# Installed as a user would. apt reads the file as user _apt.
chmod 755 "$E2E_TMP" "$dist"
installed=1
apt_get install "$deb" >"$E2E_TMP/apt.log" 2>&1 || { cat "$E2E_TMP/apt.log"; fail "apt-get install"; }
[[ "$(notes_digest)" == "$seeded" ]] || fail "installing changed the user's notes"
mapfile -t listed < <(dpkg -L pindel)
files=()
for path in "${listed[@]}"; do
    [[ -f "$path" ]] && files+=("$path")
done
for want in /usr/bin/orbo /usr/bin/orbo-autostart /usr/share/applications/orbo.desktop \
    /usr/share/metainfo/de.mirtal.Pindel.metainfo.xml /usr/share/man/man1/orbo.1.gz \
    /usr/share/icons/hicolor/{16x16,22x22,24x24,32x32,48x48,64x64,128x128,256x256}/apps/orbo.png \
    /usr/share/icons/hicolor/scalable/apps/orbo.svg /usr/share/doc/pindel/copyright; do
    [[ " ${files[*]} " == *" $want "* ]] || fail "the package did not install $want"
done
man -w orbo >/dev/null 2>&1 || fail "man finds no page orbo(1)"

# What a software centre's catalog is made from: compose over exactly the
# installed files gives the component with its icon.
root="$E2E_TMP/installed"
for path in "${files[@]}"; do
    mkdir -p "$root$(dirname "$path")"
    cp -p "$path" "$root$path"
done
appstreamcli compose --no-net --origin=pindel --result-root="$E2E_TMP/catalog" --components=de.mirtal.Pindel "$root" \
    >"$E2E_TMP/compose.log" 2>&1 || { cat "$E2E_TMP/compose.log"; fail "appstreamcli compose"; }
[[ -f "$E2E_TMP/catalog/usr/share/swcatalog/icons/pindel/64x64/de.mirtal.Pindel.png" ]] ||
    fail "compose made no 64x64 icon: $(cat "$E2E_TMP/compose.log")"

# Started as a desktop launcher starts it, with a PATH that holds nothing.
entry=/usr/share/applications/orbo.desktop
desktop_start
PATH=/nonexistent /usr/bin/gio launch "$entry" >>"$E2E_TMP/orbo.log" 2>&1 || fail "gio launch $entry"
# The running copy's lock lies beside its store and names its process.
lock_pid() { [[ -s "$STORE.lock" ]] && head -n1 "$STORE.lock"; }
wait_until 10 lock_pid >/dev/null || fail "the launched program took no lock: $(cat "$E2E_TMP/orbo.log")"
ORBO_PID=$(lock_pid)
_pids+=("$ORBO_PID")
[[ "$(readlink "/proc/$ORBO_PID/exe")" == /usr/bin/orbo ]] || fail "the entry started $(readlink "/proc/$ORBO_PID/exe")"
wait_until 10 tray_icon_id >/dev/null || fail "no tray icon"
# The menu's entry asks for the window.
wait_until 10 window_is_viewable || fail "the menu entry did not show the window"
click_tray
wait_until 5 window_is_viewable || fail "a tray click did not show the window"
sleep 0.5
click_tab 2
sleep 0.2
click_content
xdotool type --delay 20 "Nach der Installation"
sleep 0.2
screenshot "typed"
close_window
wait_until 5 window_is_hidden || fail "closing did not hide the window"
[[ "$(store_value Pindel3)" == "Nach der Installation" ]] || fail "card 2 not stored: '$(store_value Pindel3)'"

# Not its own child: it has ended once /proc shows it gone or a zombie.
ended() { [[ ! -e "/proc/$1" ]] || grep -q '^State:.*Z' "/proc/$1/status" 2>/dev/null; }
kill -TERM "$ORBO_PID"
wait_until 10 ended "$ORBO_PID" || fail "SIGTERM did not end the program"

orbo_start
wait_until 10 tray_icon_id >/dev/null || fail "no tray icon after restart"
click_tray
wait_until 5 window_is_viewable || fail "no window after restart"
sleep 0.5
click_tab 2
sleep 0.2
screenshot "restored"
close_window
wait_until 5 window_is_hidden || fail "closing did not hide the window after restart"
[[ "$(store_value Pindel3)" == "Nach der Installation" ]] || fail "card 2 did not come back: '$(store_value Pindel3)'"
[[ "$(store_value Pindel4)" == "Vor der Installation" ]] || fail "card 3 lost the note from before: '$(store_value Pindel4)'"
orbo_stop

# Purged: none of its files is left, folders only where others still use
# them, and the notes are as the program left them.
before=$(notes_digest)
apt_get purge pindel >"$E2E_TMP/purge.log" 2>&1 || { cat "$E2E_TMP/purge.log"; fail "apt-get purge"; }
installed=0
! dpkg-query -W -f='${Status}' pindel 2>/dev/null | grep -q ' installed$' || fail "still installed after purge"
for path in "${listed[@]}"; do
    if [[ -d "$path" && ! -L "$path" ]]; then
        [[ -n "$(ls -A "$path")" ]] || dpkg -S "$path" >/dev/null 2>&1 || fail "purge left the empty folder $path"
    elif [[ -e "$path" || -L "$path" ]]; then
        fail "purge left $path"
    fi
done
[[ "$(notes_digest)" == "$before" ]] || fail "purge changed the user's notes"
[[ "$(store_value Pindel3)" == "Nach der Installation" ]] || fail "the notes are gone after purge"
echo "ok"
