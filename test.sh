#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs every test.
#   ./test.sh              the normal build
#   ./test.sh --sanitize   the same under AddressSanitizer and UndefinedBehaviorSanitizer
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/scripts/common.sh"

BUILD="$QUORVAN_ROOT/build"
ARGS=(-DQUORVAN_WERROR=ON -DQUORVAN_BUILD_TESTS=ON -DQUORVAN_BUILD_BENCH=ON)
if [ "${1:-}" = "--sanitize" ]; then
    BUILD="$QUORVAN_ROOT/build-sanitize"
    ARGS+=(-DQUORVAN_SANITIZE=ON -DQUORVAN_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
    export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi

quorvan_install_packages
mkdir -p "$BUILD"
quorvan_build "$BUILD" "${ARGS[@]}"
say "Running the tests"
cd "$BUILD"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc 2>/dev/null || echo 2)"
