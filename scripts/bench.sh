#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up, builds a Release tree in build-rel/ (beside the test command's build/) and runs every
# benchmark: the kolva-bench-* executables (Google Benchmark; extra arguments are passed to them,
# e.g. --benchmark_format=json) and the timing scripts.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
BUILD_DIR=build-rel BUILD_TYPE=Release scripts/build.sh
export QT_QPA_PLATFORM=offscreen
for b in build-rel/bin/kolva-bench-*; do
  [ "$(basename "$b")" = kolva-bench-collections ] && continue   # makes the files of cli.sh
  echo "== $(basename "$b")"
  "$b" "$@"
done
echo "== start-up"
bench/startup/startup.sh build-rel 5
echo "== logger download"
bench/download/download.sh build-rel 3
echo "== cancelled download"
bench/download/cancel.sh build-rel 5
echo "== meter set-up"
bench/setup/setup.sh build-rel 1
echo "== alarm latency"
build-rel/bin/kolva-alarm-latency 5
echo "== command line"
bench/cli/cli.sh build-rel 30
