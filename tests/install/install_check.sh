#!/usr/bin/env bash
# What `cmake --install` puts in place, installed into a folder of its own:
#   install_check.sh BUILD_DIR MAKEDEMO
# The program (which must run from there: a stage map of a demo image), the
# desktop entry that opens .nes images (checked with desktop-file-validate
# where it is installed), the MIME type of .nes images and the icon.
set -euo pipefail
BUILD="$1"
MAKEDEMO="$2"
PREFIX="$(mktemp -d)"
trap 'rm -rf "$PREFIX"' EXIT
fail() { echo "install check: $*" >&2; exit 1; }

cmake --install "$BUILD" --prefix "$PREFIX" >/dev/null
[ -x "$PREFIX/bin/quorvan" ] || fail "bin/quorvan is missing or not executable"
desktop="$PREFIX/share/applications/quorvan.desktop"
[ -f "$desktop" ] || fail "the desktop entry is missing"
grep -qx 'Exec=quorvan %f' "$desktop" || fail "the desktop entry does not start quorvan on a file"
grep -qx 'Icon=quorvan' "$desktop" || fail "the desktop entry names no icon"
grep -q '^MimeType=.*application/x-nes-rom;' "$desktop" || fail "the desktop entry does not open .nes images"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate refuses the desktop entry"
fi
mime="$PREFIX/share/mime/packages/quorvan.xml"
grep -q 'type="application/x-nes-rom"' "$mime" && grep -q 'pattern="\*.nes"' "$mime" || fail "the MIME type is missing"
icon="$PREFIX/share/icons/hicolor/32x32/apps/quorvan.png"
[ "$(head -c 8 "$icon" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "the icon is not a PNG"

# The installed program works on its own: a picture from the command line.
"$MAKEDEMO" "$PREFIX/demo.nes" --seed 1 >/dev/null
"$PREFIX/bin/quorvan" --export-stage 1 "$PREFIX/demo.nes" "$PREFIX/map.png" || fail "the installed program failed"
[ "$(head -c 8 "$PREFIX/map.png" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "no picture was written"
echo "install check: passed"
