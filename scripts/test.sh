#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite:
#   - every test under the address and undefined-behaviour sanitizers, leak
#     checking on (the 10,000-change long run aside),
#   - every fuzz target for a bounded time (TUNELARK_FUZZ_SECONDS, default 60),
#   - the Windows parts, cross-built with mingw-w64, under Wine,
#   - every test in the debug build, long run included,
#   - the Debian package (scripts/check-package.sh).
#
#   bash scripts/test.sh           all of it
#   bash scripts/test.sh --quick   the debug build's tests only
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" != "--quick" ]; then
    bash scripts/setup.sh asan
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
        ctest --preset asan -j "$(nproc)" --label-exclude long
    bash scripts/fuzz.sh "${TUNELARK_FUZZ_SECONDS:-60}"
    bash scripts/windows.sh
fi
bash scripts/setup.sh debug
ctest --preset debug -j "$(nproc)"
bash scripts/check-package.sh
