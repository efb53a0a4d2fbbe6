#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Time of a download of a 16 KiB logger memory from the meter simulator at 9600 baud over a
# pseudo-terminal, with the program's download code and no window, against the protocol's floor
# (its fixed pauses and the line time they do not cover).
# Usage: bench/download/download.sh [BUILD_DIR] [RUNS]   (default build-rel, 3 runs)
set -euo pipefail
. "$(dirname "$0")/../support/timing_tool.sh"

# Two sets of 1000 and 1009 samples: 16377 used bytes, 256 blocks. The live stream, never kept
# alive, has ended before the first download begins.
run_against_simulator "${1:-build-rel}" kolva-download-timing "${2:-3}" \
  --sets 2 --set-samples 1000,1009 --keepalive-timeout 500
