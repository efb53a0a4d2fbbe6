#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the tests of the serial port and the live link with ThreadSanitizer in build-tsan/ (only
# those tests and what they link) and runs them. The port's event thread hands every event to the
# main thread with a blocking queued call; a race in that hand-over would hide from the other
# builds. Qt itself is not instrumented, but the hand-over needs no suppression: the thread
# builds and posts each call holding a lock that the call takes before it reads what it carries
# (crossThreadPostMutex), and waits on a condition variable the call signals, so every hand-over
# is ordered where ThreadSanitizer can see it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh >/dev/null

dir=build-tsan
tests=(test_comport test_livelink test_link_pty)
args=(-S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Tsan -DKOLVA_BENCH=OFF)
if command -v ccache >/dev/null 2>&1; then
  args+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake "${args[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)" --target "${tests[@]}"

export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
regex="^($(IFS='|'; echo "${tests[*]}"))\$"
# Without address-space randomisation: ThreadSanitizer's fixed memory layout clashes with the
# wide randomisation some kernels are set to.
norandom=()
if setarch "$(uname -m)" -R true 2>/dev/null; then
  norandom=(setarch "$(uname -m)" -R)
fi
"${norandom[@]}" ctest --test-dir "$dir" --output-on-failure -j2 -R "$regex" "$@"
