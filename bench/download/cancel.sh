#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Time from Cancel in the download's progress window to the line being the live link's again,
# against the meter simulator at 9600 baud over a pseudo-terminal, with the program's download
# code and no window. The memory is large enough that every cancel comes in mid-transfer.
# Usage: bench/download/cancel.sh [BUILD_DIR] [RUNS]   (default build-rel, 5 runs)
set -euo pipefail
. "$(dirname "$0")/../support/timing_tool.sh"

run_against_simulator "${1:-build-rel}" kolva-download-cancel-timing "${2:-5}" \
  --sets 2 --set-samples 1000,1009
