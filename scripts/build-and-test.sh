#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite: unit and
# widget tests on Qt's offscreen platform, end-to-end tests on a headless
# desktop with a tray (each test starts its own) and a CUPS PDF printer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --test
scripts/build.sh
build="${PINDEL_BUILD_DIR:-build}"
# The print server's queues and PDFs of this build's run, apart from any other's.
export PINDEL_PRINT_STATE
PINDEL_PRINT_STATE="$(realpath "$build")/print-server.state"
scripts/print-server.sh start
trap 'scripts/print-server.sh stop' EXIT
ctest --test-dir "$build" --output-on-failure -j2 "$@"
