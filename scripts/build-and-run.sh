#!/usr/bin/env bash
# Installs what is missing, builds the program alone (the tests are
# build-and-test.sh's), and starts it. It starts in the tray: click the tray
# icon or choose "Öffnen" from its menu to open the window.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh orbo
exec "${PINDEL_BUILD_DIR:-build}/src/orbo"
