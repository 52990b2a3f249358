#!/usr/bin/env bash
# Builds the Debian package pindel_<version>_amd64.deb and prints its path.
#   scripts/package.sh [OUTDIR]    the package lands in OUTDIR (default build-deb/)
# It builds in build-deb/ (or $PINDEL_PACKAGE_BUILD_DIR) with Debian's
# compiler and linker flags and /usr as prefix, without the tests, then lets
# CPack put together what `cmake --install` installs, with the dependencies
# dpkg-shlibdeps finds in the program. Installs what is missing first.
# Install the package with: sudo apt-get install ./build-deb/pindel_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
build="${PINDEL_PACKAGE_BUILD_DIR:-build-deb}"
out=$(realpath -m "${1:-$build}")

scripts/install-deps.sh --package
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr -DPINDEL_BUILD_TESTS=OFF \
    -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" >/dev/null
cmake --build "$build" -j"$(nproc)"

# CPack's work folder stays in the build folder; only the package goes out.
rm -f "$build"/cpack/pindel_*.deb
cpack --config "$build/CPackConfig.cmake" -B "$build/cpack" >"$build/cpack.log" ||
    { cat "$build/cpack.log" >&2; exit 1; }
package=$(find "$build/cpack" -maxdepth 1 -name 'pindel_*.deb')
mkdir -p "$out"
mv -f "$package" "$out/"
echo "$out/$(basename "$package")"
