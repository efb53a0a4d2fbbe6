#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets of fuzz/ with clang in build-fuzz/ (the core, the simulator and
# the targets; no windows, no tests) and runs each for SECONDS (default 60), as many at a time as
# there are cores (JOBS chooses another number). Extra arguments name the targets to run
# (default: all of them), e.g. scripts/fuzz.sh 600 graph-file.
#
# Each run starts from the seeds in fuzz/corpus/TARGET (and the golden files that fit it) and
# keeps what it finds in build-fuzz/corpus/TARGET, so the tree is not touched. A finding is kept
# as build-fuzz/findings/TARGET/crash-... (or leak-, timeout-, oom-); run the target on that file
# to see it again: build-fuzz/bin/kolva-fuzz-TARGET FILE. Once mended, copy the file into
# fuzz/corpus/TARGET so that every later run tries it first. The status is not 0 when any target
# found something.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
scripts/setup.sh >/dev/null

dir=build-fuzz
args=(-S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Fuzz -DKOLVA_FUZZ=ON -DKOLVA_TESTS=OFF -DKOLVA_BENCH=OFF
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++)
if command -v ccache >/dev/null 2>&1; then
  args+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake "${args[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)" --target kolva-fuzz

# The dictionary of each target, where its format has magic bytes, and golden files that are
# inputs of it as they stand.
dictionary() {
  case "$1" in
    graph-file) echo fuzz/dict/graph-file.dict ;;
    memory-image|collection-file) echo fuzz/dict/memory-image.dict ;;
    machine-csv|journal-recovery) echo fuzz/dict/machine-csv.dict ;;
    table-reader) echo fuzz/dict/table-reader.dict ;;
  esac
}
goldens() {
  case "$1" in
    memory-image|collection-file) echo tests/logger/golden ;;
    machine-csv) echo tests/cli/golden ;;
  esac
}

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for b in "$dir"/bin/kolva-fuzz-*; do
    t=${b##*/kolva-fuzz-}
    [ "$t" = seeds ] || targets+=("$t")
  done
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
export QT_LOGGING_RULES="*.warning=false"
# The targets that read files write one per input: a folder in memory spares the disk.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm
fi

run() {
  local t=$1
  local dict
  dict=$(dictionary "$t")
  mkdir -p "$dir/corpus/$t" "$dir/findings/$t" "$dir/logs"
  # shellcheck disable=SC2046
  nice "$dir/bin/kolva-fuzz-$t" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    ${dict:+-dict="$dict"} -artifact_prefix="$dir/findings/$t/" \
    "$dir/corpus/$t" "fuzz/corpus/$t" $(goldens "$t") >"$dir/logs/$t.log" 2>&1
}

jobs=${JOBS:-$(nproc)}
declare -A pids=()
failed=()
finish() {
  local t=$1 status=$2 log="$dir/logs/$1.log"
  local execs rate cov
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n1)
  cov=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -n1 || true)
  if [ "$status" -eq 0 ]; then
    printf 'fuzz: %-17s %10s runs %7s/s  %s\n' "$t" "${execs:-?}" "${rate:-?}" "${cov:-}"
  else
    printf 'fuzz: %-17s FOUND SOMETHING (status %s): %s\n' "$t" "$status" "$log"
    grep -m3 -E 'invariant broken|ERROR: |runtime error|Test unit written' "$log" | sed 's/^/      /' || true
    failed+=("$t")
  fi
}
for t in "${targets[@]}"; do
  [ -x "$dir/bin/kolva-fuzz-$t" ] || { echo "fuzz: no target $t" >&2; exit 2; }
  while [ "${#pids[@]}" -ge "$jobs" ]; do
    wait -n || true
    for p in "${!pids[@]}"; do
      if ! kill -0 "$p" 2>/dev/null; then
        wait "$p" && s=0 || s=$?
        finish "${pids[$p]}" "$s"
        unset "pids[$p]"
      fi
    done
  done
  run "$t" &
  pids[$!]=$t
done
for p in "${!pids[@]}"; do
  wait "$p" && s=0 || s=$?
  finish "${pids[$p]}" "$s"
done
if [ "${#failed[@]}" -gt 0 ]; then
  echo "fuzz: findings in ${failed[*]}" >&2
  exit 1
fi
