#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12.
#   scripts/install-deps.sh            build and run
#   scripts/install-deps.sh --package  also what building the Debian package needs
#   scripts/install-deps.sh --test     also what the tests need (a headless
#                                      desktop with a tray, CUPS with a PDF
#                                      printer, the package's checks)
set -euo pipefail

packages=(qt6-base-dev libqscintilla2-qt6-dev cmake g++ make libsqlite3-dev libcups2-dev fonts-dejavu-core
          qt6-translations-l10n
          qt6-wayland)
package_tools=(dpkg-dev gzip)
case "${1:-}" in
--package)
    packages+=("${package_tools[@]}")
    ;;
--test)
    packages+=("${package_tools[@]}" sqlite3 xvfb icewm xdotool wmctrl x11-utils x11-xserver-utils imagemagick
               cups printer-driver-cups-pdf poppler-utils
               binutils-mingw-w64-x86-64 desktop-file-utils appstream clang libclang-rt-14-dev
               lintian appstream-compose libglib2.0-bin man-db
               dbus at-spi2-core python3-pyatspi xfce4-panel weston xxd libfaketime qt6-base-private-dev)
    ;;
esac

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

as_root=()
[[ $(id -u) -eq 0 ]] || as_root=(sudo)
"${as_root[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
