#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package: a Release tree in build-pkg/ (BUILD_DIR chooses another folder) with
# only the installed targets, then CPack. The package's path is the last line printed.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${BUILD_DIR:-build-pkg}
args=(-S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKOLVA_TESTS=OFF -DKOLVA_BENCH=OFF)
# Debian's hardening flags (stack protector, fortified functions, read-only relocations bound
# at start), without -g, as the package is stripped anyway.
if command -v dpkg-buildflags >/dev/null 2>&1; then
  flags() {
    DEB_BUILD_MAINT_OPTIONS=hardening=+bindnow DEB_CFLAGS_MAINT_STRIP=-g \
      DEB_CXXFLAGS_MAINT_STRIP=-g dpkg-buildflags --get "$1"
  }
  args+=("-DCMAKE_C_FLAGS=$(flags CFLAGS) $(flags CPPFLAGS)"
         "-DCMAKE_CXX_FLAGS=$(flags CXXFLAGS) $(flags CPPFLAGS)"
         "-DCMAKE_EXE_LINKER_FLAGS=$(flags LDFLAGS)")
fi
if command -v ccache >/dev/null 2>&1; then
  args+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake "${args[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)" --target kolva kolva-cli kolva-meter-sim kolva-docs
rm -f "$dir"/kolva_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(ls "$dir"/kolva_*.deb)
realpath "$deb"
