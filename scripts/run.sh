#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up, builds, and runs the program against the simulated meter.
# The simulator serves a pseudo-terminal; the program is given its path with --port. It plays
# the lively demo profile (an oven, a kettle, a cold room, a probe that falls out); options given
# to this script go to the simulator and may choose another (--profile reflow, --speed 5, ...).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh --target kolva kolva-meter-sim

sim_out=$(mktemp)
build/bin/kolva-meter-sim --profile demo "$@" >"$sim_out" &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null || true; rm -f "$sim_out"' EXIT

for _ in $(seq 1 100); do
  [ -s "$sim_out" ] && break
  sleep 0.05
done
# A run from the sanitizer tree of the test command must not fail on the desktop libraries' own
# leaks at exit.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}

port=$(head -n 1 "$sim_out")
if [ -z "$port" ]; then
  echo "run: the meter simulator did not start" >&2
  exit 1
fi
echo "run: simulated meter on $port"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display found; running under a virtual X server (xvfb-run)" >&2
  xvfb-run -a -s "-screen 0 1600x900x24" build/bin/kolva --port "$port"
else
  build/bin/kolva --port "$port"
fi
