#!/usr/bin/env bash
# Builds the test suite with AddressSanitizer and UndefinedBehaviorSanitizer
# into build-sanitizers/ and runs it, the print queue test included: a leak, a
# memory error or undefined behaviour in the project's code fails the run. Leaks inside Qt and
# fontconfig themselves are suppressed by tests/sanitizers/lsan.supp, each
# with the reason.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
cmake -S . -B build-sanitizers -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
      -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
      -DPELANOVA_BENCH=OFF >/dev/null
cmake --build build-sanitizers -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir build-sanitizers --output-on-failure -j"$(nproc)"
scripts/test-print-queue.sh --build build-sanitizers
