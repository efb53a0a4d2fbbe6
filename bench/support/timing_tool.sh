# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the timing scripts: runs a timing tool of BUILD against a fresh meter simulator.
#   run_against_simulator BUILD TOOL RUNS [SIMULATOR OPTIONS...]
# The tool is called as TOOL --port DEVICE --runs RUNS; the simulator ends with the script.
run_against_simulator() {
  local build=$1 tool=$2 runs=$3
  shift 3
  local sim="$build/bin/kolva-meter-sim" bin="$build/bin/$tool"
  [ -x "$sim" ] || { echo "missing $sim" >&2; exit 1; }
  [ -x "$bin" ] || { echo "missing $bin" >&2; exit 1; }
  SIM_OUT=$(mktemp)
  trap 'rm -f "$SIM_OUT"; [ -n "${SIMPID:-}" ] && kill "$SIMPID" 2>/dev/null || true' EXIT
  "$sim" "$@" >"$SIM_OUT" &
  SIMPID=$!
  for _ in $(seq 50); do
    [ -s "$SIM_OUT" ] && break
    sleep 0.1
  done
  local device
  device=$(head -n1 "$SIM_OUT")
  [ -n "$device" ] || { echo "the simulator did not start" >&2; exit 1; }
  "$bin" --port "$device" --runs "$runs"
}
