#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under ASan and UBSan, replays the
# seed corpus and every recorded regression input, then fuzzes each target for
# a bounded time. Any finding (crash, sanitizer report, failed property) fails
# the run and leaves the input in build-fuzz/findings/<target>/; copy it to
# fuzz/regressions/<target>/ once the fault is fixed, so that it is replayed
# from then on.
#   fuzz/run.sh [SECONDS_PER_TARGET]   (default 60)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"

SECONDS_EACH="${1:-60}"
BUILD="$QUORVAN_ROOT/build-fuzz"
quorvan_install_packages
mkdir -p "$BUILD"
say "Configuring the fuzz build in ${BUILD}"
CC=clang CXX=clang++ cmake -S "$QUORVAN_ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUORVAN_BUILD_FUZZ=ON -DQUORVAN_SANITIZE=ON -DQUORVAN_WERROR=ON \
    -DQUORVAN_BUILD_TESTS=OFF -DQUORVAN_BUILD_BENCH=OFF >"$BUILD.configure.log" 2>&1 \
    || { cat "$BUILD.configure.log"; exit 1; }
say "Building the fuzz targets"
cmake --build "$BUILD" -j "$(nproc 2>/dev/null || echo 2)" --target fuzz_filter fuzz_image fuzz_window fuzz_edits fuzz_patch

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

say "Replaying the seed corpus and the regression inputs"
ctest --test-dir "$BUILD/fuzz" --output-on-failure -R '_replay$'

for target in fuzz_filter fuzz_image fuzz_window fuzz_edits fuzz_patch; do
    say "Fuzzing ${target} for ${SECONDS_EACH} s"
    work="$BUILD/corpus/$target"
    findings="$BUILD/findings/$target"
    mkdir -p "$work" "$findings"
    max_len=512
    [ "$target" = fuzz_edits ] && max_len=256
    "$BUILD/fuzz/$target" -max_total_time="$SECONDS_EACH" -max_len="$max_len" -print_final_stats=1 \
        -artifact_prefix="$findings/" "$work" "$QUORVAN_ROOT/fuzz/corpus/$target" 2>&1 | tail -n 25
done
say "No findings."
