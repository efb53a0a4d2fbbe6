#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Time of Setup All of the meter set-up against the meter simulator at 9600 baud over a
# pseudo-terminal, with the program's set-up code and no window, against its floor (the fixed
# pauses and the wire time of the replies it waits for).
# Usage: bench/setup/setup.sh [BUILD_DIR] [RUNS]   (default build-rel, 1 run of about 16 s)
set -euo pipefail
. "$(dirname "$0")/../support/timing_tool.sh"

# The live stream, never kept alive, has ended before the set-up begins.
run_against_simulator "${1:-build-rel}" kolva-setup-timing "${2:-1}" --keepalive-timeout 500
