#!/usr/bin/env bash
# Configures and builds into build/. BUILD_TYPE chooses the build type (default: keep the
# configured one, or RelWithDebInfo for a new tree).
set -euo pipefail
cd "$(dirname "$0")/.."
args=(-S . -B build -G Ninja)
if [ -n "${BUILD_TYPE:-}" ]; then
  args+=(-DCMAKE_BUILD_TYPE="$BUILD_TYPE")
fi
cmake "${args[@]}" >/dev/null
cmake --build build -j"$(nproc)" "$@"
