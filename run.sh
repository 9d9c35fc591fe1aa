#!/usr/bin/env bash
# Installs what is missing, builds the editor and the demo tool (not the tests: ./test.sh
# builds everything), generates the demo image and starts the editor on it.
# On a machine without a display it runs the editor under Xvfb and saves a screenshot.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/scripts/common.sh"
BUILD="$QUORVAN_ROOT/build"

quorvan_install_packages
mkdir -p "$BUILD"
quorvan_configure "$BUILD"
quorvan_build_targets "$BUILD" quorvan quorvan_makedemo
quorvan_demo_image "$BUILD"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    say "Starting Quorvan on the demo image"
    exec "$BUILD/src/quorvan" "$BUILD/demo.nes" "$@"
fi

shot="$BUILD/quorvan-screenshot.png"
say "No display found (DISPLAY and WAYLAND_DISPLAY are unset)."
say "Running Quorvan under Xvfb instead, on the demo image with Stage 1 chosen, and saving a screenshot."
xvfb-run -a -s "-screen 0 1024x768x24" "$BUILD/src/quorvan" "$BUILD/demo.nes" --stage 1 --screenshot "$shot"
say "The editor ran; look at ${shot}"
