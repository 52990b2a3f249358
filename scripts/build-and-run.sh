#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program. Its window goes to
# the tray at once: click the tray icon to open it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
exec "${PINDEL_BUILD_DIR:-build}/src/orbo"
