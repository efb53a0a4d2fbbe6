#!/usr/bin/env bash
# Sets up, builds a Release tree in build/ and runs every benchmark: the kolva-bench-*
# executables (Google Benchmark; extra arguments are passed to them, e.g.
# --benchmark_format=json) and the start-up timing script.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
BUILD_TYPE=Release scripts/build.sh
export QT_QPA_PLATFORM=offscreen
for b in build/bin/kolva-bench-*; do
  echo "== $(basename "$b")"
  "$b" "$@"
done
echo "== start-up"
bench/startup/startup.sh build 5
echo "== logger download"
bench/download/download.sh build 3
echo "== meter set-up"
bench/setup/setup.sh build 1
echo "== command line"
bench/cli/cli.sh build 30
