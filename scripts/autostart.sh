#!/usr/bin/env bash
# Starts Pindel at login, or stops doing so; the program itself writes,
# removes or reads its entry in the user's autostart folder:
#
#   orbo-autostart enable    start Pindel at every login
#   orbo-autostart disable   no longer start it at login
#   orbo-autostart status    says whether it starts at login (exit 0 if so)
#
# Installed as bin/orbo-autostart by `cmake --install`, where it calls the orbo
# beside it (a login session's PATH may not hold a private prefix); from a
# source tree it calls orbo from PATH.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if [[ -x "$here/orbo" ]]; then
    exec "$here/orbo" --autostart "$@"
elif command -v orbo >/dev/null 2>&1; then
    exec orbo --autostart "$@"
fi
echo "The program orbo was not found; install Pindel first." >&2
exit 1
