#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Whole-process times of kolva-cli on the largest files it meets:
#   export of a data set of 16,000 samples (machine CSV, and the program's txt lines), limit 100 ms;
#   stats of the same set with every figure (a threshold, a band, a base), limit 100 ms;
#   sets of a full 128 KiB collection of 4,000 data sets, limit 50 ms;
#   report (PDF) of a data set of 16,000 samples, limit 1 s.
# Each command runs RUNS times after one warm-up run; the minimum and the median are printed (the
# machine may be shared: the minimum is the command's own cost, the median what a user sees).
# Usage: bench/cli/cli.sh [BUILD_DIR] [RUNS]   (default build-rel, 30 runs)
set -euo pipefail

BUILD=${1:-build-rel}
RUNS=${2:-30}
CLI="$BUILD/bin/kolva-cli"
MAKE="$BUILD/bin/kolva-bench-collections"
[ -x "$CLI" ] || { echo "missing $CLI" >&2; exit 1; }
[ -x "$MAKE" ] || { echo "missing $MAKE" >&2; exit 1; }

DIR=$(mktemp -d)
trap 'rm -rf "$DIR"' EXIT
"$MAKE" "$DIR"

now_ns() { date +%s%N; }

# time_command LIMIT_MS NAME ARGS...: prints "NAME: min X ms, median Y ms (limit L ms)".
time_command() {
  local limit=$1 name=$2
  shift 2
  # The first run shows what the command says on stderr (the txt export's unit note), once.
  "$CLI" "$@" >/dev/null
  local times=()
  for _ in $(seq "$RUNS"); do
    local start end
    start=$(now_ns)
    "$CLI" "$@" >/dev/null 2>&1
    end=$(now_ns)
    times+=($(( (end - start) / 1000 )))
  done
  local sorted
  sorted=$(printf '%s\n' "${times[@]}" | sort -n)
  local min median
  min=$(echo "$sorted" | head -n1)
  median=$(echo "$sorted" | sed -n "$(( (RUNS + 1) / 2 ))p")
  awk -v n="$name:" -v a="$min" -v b="$median" -v l="$limit" \
    'BEGIN { printf "%-44s min %6.1f ms, median %6.1f ms (limit %d ms)\n", n, a / 1000, b / 1000, l }'
}

time_command 100 "export 16,000 samples, machine CSV" export "$DIR/one_set_16000.CH4"
time_command 100 "export 16,000 samples, txt" export "$DIR/one_set_16000.CH4" --format txt
time_command 100 "stats of 16,000 samples, every figure" stats "$DIR/one_set_16000.CH4" \
  --threshold 30 --band 20:40 --base 25
time_command 50 "sets of a full collection (4,000 sets)" sets "$DIR/full_128k.CH4"
time_command 1000 "report of 16,000 samples (PDF)" report "$DIR/one_set_16000.CH4" -o "$DIR/report.pdf"
