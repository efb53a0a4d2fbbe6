#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up time of the program, measured from the launch to the moments it reports itself:
#   idle       the main window is up, the search is over and the main timer runs;
#   connected  the meter was found and "On Connection" is shown.
# Case 1: no serial device at all.
# Case 2: only the meter simulator's pseudo-terminal (a fresh simulator for every run, so that
#         no stream of an earlier run is still in flight).
# The machine's own serial devices (a virtual machine's /dev/ttyS0, say) are hidden from the
# program by running it in a private mount namespace with an empty /sys/class/tty, when that
# is possible (root and unshare); otherwise they stay visible and the script says so.
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

HIDE=()
if unshare -m true 2>/dev/null; then
  HIDE=(unshare -m sh -c 'mount -t tmpfs none /sys/class/tty && exec "$0" "$@"')
else
  echo "note: cannot hide the system's serial devices; they are part of the search" >&2
fi

# Runs the program until it reports EVENT, prints the milliseconds from launch, ends it.
measure() {
  local event=$1; shift
  local log; log=$(mktemp)
  local t0; t0=$(now_ms)
  "${HIDE[@]}" "$KOLVA" "$@" 2>"$log" >/dev/null &
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

connected=()
for _ in $(seq "$RUNS"); do
  SIMOUT=$(mktemp)
  "$SIM" >"$SIMOUT" 2>/dev/null &
  SIMPID=$!
  for _ in $(seq 100); do [ -s "$SIMOUT" ] && break; sleep 0.05; done
  PTY=$(head -n1 "$SIMOUT")
  rm -f "$SIMOUT"
  connected+=("$(measure connected --port "$PTY")")
  kill "$SIMPID" 2>/dev/null; wait "$SIMPID" 2>/dev/null || true
  SIMPID=
done
report "simulator only: connected" 2000 "${connected[@]}"
