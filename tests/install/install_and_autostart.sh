#!/usr/bin/env bash
# `cmake --install` into a private prefix: the program, a valid desktop entry,
# the icons in the hicolor theme (at 32x32 the window's picture), valid
# AppStream metainfo, the manual pages; then the autostart helper (which has
# the program switch its entry, without a display) against a private
# XDG_CONFIG_HOME.
set -euo pipefail
: "${BUILD_DIR:?the build directory}"
: "${SOURCE_DIR:?the source directory}"

tmp=$(mktemp -d "${TMPDIR:-/tmp}/pindel-install.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix="$tmp/prefix with blank"
cmake --install "$BUILD_DIR" --prefix "$prefix" >"$tmp/install.log" || { cat "$tmp/install.log"; fail "cmake --install"; }

[[ -x "$prefix/bin/orbo" ]] || fail "bin/orbo is missing"
[[ -x "$prefix/bin/orbo-autostart" ]] || fail "bin/orbo-autostart is missing"
entry="$prefix/share/applications/orbo.desktop"
icons="$prefix/share/icons/hicolor"
metainfo="$prefix/share/metainfo/de.mirtal.Pindel.metainfo.xml"

desktop-file-validate "$entry" || fail "the desktop entry does not validate"
# A [Desktop Entry] key's value, as a desktop reads it.
key() { sed -n "/^\[Desktop Entry\]/,/^\[/s/^$2=//p" "$1"; }
[[ "$(key "$entry" Name)" == "Pindel" ]] || fail "Name is '$(key "$entry" Name)'"
[[ "$(key "$entry" Comment)" == "Daten 'Notizzettel'" ]] || fail "Comment is '$(key "$entry" Comment)'"
# Launchers start the program by its full path, quoted for the blank in the
# prefix, and ask for its window.
[[ "$(key "$entry" Exec)" == "\"$prefix/bin/orbo\" --open" ]] || fail "Exec is '$(key "$entry" Exec)'"
[[ "$(key "$entry" Icon)" == "orbo" ]] || fail "Icon is '$(key "$entry" Icon)'"
[[ "$(key "$entry" Categories)" == *Utility\;* ]] || fail "Categories lack Utility"
cmp -s "$icons/32x32/apps/orbo.png" "$SOURCE_DIR/resources/pictures/picture2.png" || fail "the 32x32 icon is not picture 2"
for size in 16 22 24 48 64 128 256; do
    [[ "$(identify -format %wx%h "$icons/${size}x${size}/apps/orbo.png")" == "${size}x${size}" ]] ||
        fail "no ${size}x${size} icon"
done
[[ -f "$icons/scalable/apps/orbo.svg" ]] || fail "no scalable icon"
for page in orbo orbo-autostart; do
    gzip -t "$prefix/share/man/man1/$page.1.gz" || fail "no manual page $page(1)"
done

appstreamcli validate --no-net "$metainfo" || fail "the metainfo does not validate"
grep -q '<launchable type="desktop-id">orbo.desktop</launchable>' "$metainfo" || fail "metainfo names another desktop entry"

# Start at login, from the installed helper; switching needs no display.
unset DISPLAY WAYLAND_DISPLAY
export XDG_CONFIG_HOME="$tmp/config"
autostart="$XDG_CONFIG_HOME/autostart/orbo.desktop"
helper="$prefix/bin/orbo-autostart"
if "$helper" status >/dev/null; then fail "status says enabled before enable"; fi
"$helper" enable >/dev/null || fail "enable"
[[ -f "$autostart" ]] || fail "enable did not write $autostart"
desktop-file-validate "$autostart" || fail "the autostart entry does not validate"
# A login session's PATH may not hold the prefix: the entry names the program by its full path.
[[ "$(key "$autostart" Exec)" == "\"$prefix/bin/orbo\"" ]] || fail "autostart Exec is '$(key "$autostart" Exec)'"
[[ "$(key "$autostart" Name)" == "Pindel" ]] || fail "autostart Name"
"$helper" status >/dev/null || fail "status says disabled after enable"
[[ -z "$(find "$XDG_CONFIG_HOME/autostart" -name '.*')" ]] || fail "enable left a temporary file"

# An entry the desktop's settings switched off (Hidden=true) is switched on again.
printf 'Hidden=true\n' >>"$autostart"
if "$helper" status >/dev/null; then fail "a hidden entry counts as enabled"; fi
"$helper" enable >/dev/null
! grep -q '^Hidden=' "$autostart" || fail "enable kept Hidden=true"

"$helper" disable >/dev/null || fail "disable"
[[ ! -e "$autostart" ]] || fail "disable left the entry"
"$helper" disable >/dev/null || fail "disable twice"
if "$helper" status >/dev/null; then fail "status says enabled after disable"; fi
if "$helper" bogus 2>/dev/null; then fail "an unknown command succeeded"; fi

# From the source tree, the helper calls orbo from PATH.
PATH="$prefix/bin:$PATH" bash "$SOURCE_DIR/scripts/autostart.sh" enable >/dev/null || fail "enable from the source tree"
[[ "$(key "$autostart" Exec)" == "\"$prefix/bin/orbo\"" ]] || fail "source-tree Exec is '$(key "$autostart" Exec)'"
# Without the program anywhere, enable refuses and writes nothing. The PATH
# holds only the tools the helper uses, so an orbo installed system-wide
# does not count.
rm -f "$autostart"
mkdir "$tmp/tools"
for tool in bash dirname; do
    ln -s "$(command -v "$tool")" "$tmp/tools/$tool"
done
if PATH="$tmp/tools" bash "$SOURCE_DIR/scripts/autostart.sh" enable 2>"$tmp/enable.err"; then
    fail "enable succeeded without the program"
fi
grep -q "orbo was not found" "$tmp/enable.err" || fail "enable failed for another cause: $(cat "$tmp/enable.err")"
[[ ! -e "$autostart" ]] || fail "a failed enable wrote an entry"
echo "ok"
