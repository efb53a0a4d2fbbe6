#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures and builds into build/ (BUILD_DIR chooses another folder). BUILD_TYPE chooses the
# build type (default: keep the configured one, or RelWithDebInfo for a new tree). ccache is used
# when it is installed.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${BUILD_DIR:-build}
args=(-S . -B "$dir" -G Ninja)
if [ -n "${BUILD_TYPE:-}" ]; then
  args+=(-DCMAKE_BUILD_TYPE="$BUILD_TYPE")
fi
if command -v ccache >/dev/null 2>&1; then
  args+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake "${args[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)" "$@"
