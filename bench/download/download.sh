#!/usr/bin/env bash
# Time of a download of a 16 KiB logger memory from the meter simulator at 9600 baud over a
# pseudo-terminal, with the program's download code and no window, against the protocol's floor
# (its fixed pauses and the line time they do not cover).
# Usage: bench/download/download.sh [BUILD_DIR] [RUNS]   (default build-rel, 3 runs)
set -euo pipefail

BUILD=${1:-build-rel}
RUNS=${2:-3}
SIM="$BUILD/bin/kolva-meter-sim"
TOOL="$BUILD/bin/kolva-download-timing"
[ -x "$SIM" ] || { echo "missing $SIM" >&2; exit 1; }
[ -x "$TOOL" ] || { echo "missing $TOOL" >&2; exit 1; }

OUT=$(mktemp)
trap 'rm -f "$OUT"; [ -n "${SIMPID:-}" ] && kill "$SIMPID" 2>/dev/null || true' EXIT
# Two sets of 1000 and 1009 samples: 16377 used bytes, 256 blocks. The live stream, never kept
# alive, has ended before the first download begins.
"$SIM" --sets 2 --set-samples 1000,1009 --keepalive-timeout 500 >"$OUT" &
SIMPID=$!
for _ in $(seq 50); do
  [ -s "$OUT" ] && break
  sleep 0.1
done
DEVICE=$(head -n1 "$OUT")
[ -n "$DEVICE" ] || { echo "the simulator did not start" >&2; exit 1; }
"$TOOL" --port "$DEVICE" --runs "$RUNS"
