#!/usr/bin/env bash
# Start-up time of the program, measured from the launch to the moments it reports itself:
#   idle       the main window is up, the search is over and the main timer runs;
#   connected  the meter was found and "On Connection" is shown.
# Case 1: no serial device at all (only the system's, normally none in a container).
# Case 2: only the meter simulator's pseudo-terminal.
# Usage: bench/startup/startup.sh [BUILD_DIR] [RUNS]   (default build, 5 runs each)
set -euo pipefail

BUILD=${1:-build}
RUNS=${2:-5}
KOLVA="$BUILD/bin/kolva"
SIM="$BUILD/bin/kolva-meter-sim"
[ -x "$KOLVA" ] || { echo "missing $KOLVA" >&2; exit 1; }
[ -x "$SIM" ] || { echo "missing $SIM" >&2; exit 1; }

export QT_QPA_PLATFORM=offscreen KOLVA_TRACE_STARTUP=1 ASAN_OPTIONS=detect_leaks=0
CONF=$(mktemp -d)
export XDG_CONFIG_HOME="$CONF"
trap 'rm -rf "$CONF"; [ -n "${SIMPID:-}" ] && kill "$SIMPID" 2>/dev/null || true' EXIT

now_ms() { date +%s%3N; }

# Runs the program until it reports EVENT, prints the milliseconds from launch, ends it.
measure() {
  local event=$1; shift
  local log; log=$(mktemp)
  local t0; t0=$(now_ms)
  "$KOLVA" "$@" 2>"$log" >/dev/null &
  local pid=$!
  local deadline=$(( t0 + 10000 )) at=""
  while [ "$(now_ms)" -lt "$deadline" ]; do
    at=$(awk -v e="$event" '$1=="kolva-trace" && $2==e {print $3; exit}' "$log")
    [ -n "$at" ] && break
    sleep 0.02
  done
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
  rm -f "$log"
  if [ -z "$at" ]; then echo "timeout"; else echo $(( at - t0 )); fi
}

report() {
  local name=$1 limit=$2; shift 2
  local all=("$@")
  local sorted; sorted=$(printf '%s\n' "${all[@]}" | sort -n)
  local median; median=$(printf '%s\n' "$sorted" | sed -n "$(( (${#all[@]} + 1) / 2 ))p")
  printf '%-32s runs: %s  median %s ms  (limit %s ms)\n' "$name" "${all[*]}" "$median" "$limit"
}

idle=()
for _ in $(seq "$RUNS"); do idle+=("$(measure idle)"); done
report "no port: idle" 1000 "${idle[@]}"

SIMOUT=$(mktemp)
"$SIM" >"$SIMOUT" 2>/dev/null &
SIMPID=$!
for _ in $(seq 100); do [ -s "$SIMOUT" ] && break; sleep 0.05; done
PTY=$(head -n1 "$SIMOUT")
rm -f "$SIMOUT"
connected=()
for _ in $(seq "$RUNS"); do connected+=("$(measure connected --port "$PTY")"); done
report "simulator only: connected" 2000 "${connected[@]}"
