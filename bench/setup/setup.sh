#!/usr/bin/env bash
# Time of Setup All of the meter set-up against the meter simulator at 9600 baud over a
# pseudo-terminal, with the program's set-up code and no window, against its floor (the fixed
# pauses and the wire time of the replies it waits for).
# Usage: bench/setup/setup.sh [BUILD_DIR] [RUNS]   (default build-rel, 1 run of about 16 s)
set -euo pipefail

BUILD=${1:-build-rel}
RUNS=${2:-1}
SIM="$BUILD/bin/kolva-meter-sim"
TOOL="$BUILD/bin/kolva-setup-timing"
[ -x "$SIM" ] || { echo "missing $SIM" >&2; exit 1; }
[ -x "$TOOL" ] || { echo "missing $TOOL" >&2; exit 1; }

OUT=$(mktemp)
trap 'rm -f "$OUT"; [ -n "${SIMPID:-}" ] && kill "$SIMPID" 2>/dev/null || true' EXIT
# The live stream, never kept alive, has ended before the set-up begins.
"$SIM" --keepalive-timeout 500 >"$OUT" &
SIMPID=$!
for _ in $(seq 50); do
  [ -s "$OUT" ] && break
  sleep 0.1
done
DEVICE=$(head -n1 "$OUT")
[ -n "$DEVICE" ] || { echo "the simulator did not start" >&2; exit 1; }
"$TOOL" --port "$DEVICE" --runs "$RUNS"
