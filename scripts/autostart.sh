#!/usr/bin/env bash
# Starts Pindel at login, or stops doing so, by putting its desktop entry into
# the user's autostart folder ($XDG_CONFIG_HOME/autostart, by default
# ~/.config/autostart), which every XDG desktop reads at login.
#
#   orbo-autostart enable    start Pindel at every login
#   orbo-autostart disable   no longer start it at login
#   orbo-autostart status    says whether it starts at login (exit 0 if so)
#
# Installed as bin/orbo-autostart by `cmake --install`; from a source tree it is
# scripts/autostart.sh and takes the entry from resources/.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
config_home=${XDG_CONFIG_HOME:-$HOME/.config}
autostart_dir="$config_home/autostart"
entry_name=orbo.desktop
target="$autostart_dir/$entry_name"

usage() {
    echo "usage: $(basename "$0") enable|disable|status" >&2
    exit 2
}

# The desktop entry to copy: the one installed beside this script's prefix,
# then the ones on the data path, then the source tree's.
find_entry() {
    local dir
    local -a dirs=("$here/../share/applications" "${XDG_DATA_HOME:-$HOME/.local/share}/applications")
    IFS=: read -r -a data_dirs <<<"${XDG_DATA_DIRS:-/usr/local/share:/usr/share}"
    for dir in "${data_dirs[@]}"; do
        [[ -n "$dir" ]] && dirs+=("$dir/applications")
    done
    dirs+=("$here/../resources")
    for dir in "${dirs[@]}"; do
        if [[ -f "$dir/$entry_name" ]]; then
            echo "$dir/$entry_name"
            return 0
        fi
    done
    return 1
}

# The program to start: the orbo beside this script when there is one (a login
# session's PATH may not hold a private prefix), else orbo from PATH.
find_program() {
    if [[ -x "$here/orbo" ]]; then
        echo "$here/orbo"
    elif command -v orbo >/dev/null 2>&1; then
        command -v orbo
    else
        return 1
    fi
}

# The program as the Exec key needs it: quoted when the path holds a
# character the command line treats specially, then escaped as a string value
# of a desktop entry. The program itself writes the entry by the same rule.
exec_value() {
    local value=$1
    if [[ "$value" == *[[:space:]\"\'\\\>\<~\|\&\;\$\*\?#\(\)\`]* ]]; then
        value=${value//\\/\\\\}
        value=${value//\"/\\\"}
        value=${value//\`/\\\`}
        value=${value//\$/\\\$}
        value="\"$value\""
    fi
    value=${value//%/%%}
    printf '%s' "${value//\\/\\\\}"
}

enable() {
    local entry program tmp
    entry=$(find_entry) || { echo "Pindel's desktop entry ($entry_name) was not found; install Pindel first." >&2; exit 1; }
    program=$(find_program) || { echo "The program orbo was not found; install Pindel first." >&2; exit 1; }
    mkdir -p "$autostart_dir"
    # Written beside the target and renamed, so a failure never leaves half an entry.
    tmp=$(mktemp "$autostart_dir/.$entry_name.XXXXXX")
    trap 'rm -f "$tmp"' EXIT
    local sed_safe
    sed_safe=$(exec_value "$program" | sed -e 's/[\\|&]/\\&/g')
    sed -e "s|^Exec=.*|Exec=$sed_safe|" -e '/^Hidden=/d' -e '/^X-GNOME-Autostart-enabled=/d' "$entry" >"$tmp"
    chmod 644 "$tmp"
    mv -f "$tmp" "$target"
    trap - EXIT
    echo "Pindel now starts at login ($target)."
}

disable() {
    rm -f "$target"
    echo "Pindel no longer starts at login."
}

status() {
    if [[ -f "$target" ]] && ! grep -qx 'Hidden=true' "$target"; then
        echo "Pindel starts at login ($target)."
        return 0
    fi
    echo "Pindel does not start at login."
    return 1
}

[[ $# -eq 1 ]] || usage
case "$1" in
enable) enable ;;
disable) disable ;;
status) status ;;
*) usage ;;
esac
