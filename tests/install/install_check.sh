#!/usr/bin/env bash
# What `cmake --install` puts in place, installed into a folder of its own:
#   install_check.sh BUILD_DIR MAKEDEMO
# The program (which must run from there: a stage map of a demo image), the
# desktop entry that opens .nes images (checked with desktop-file-validate
# where it is installed), the MIME type of .nes images and the icon at every
# size of the hicolor theme.
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
# The icon at each size of the hicolor theme, a PNG as large as its folder says, and scalable.
for size in 16 32 48 64 128 256; do
    icon="$PREFIX/share/icons/hicolor/${size}x${size}/apps/quorvan.png"
    [ -f "$icon" ] || fail "the ${size}-pixel icon is missing"
    [ "$(head -c 8 "$icon" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "the ${size}-pixel icon is not a PNG"
    # Width and height, 4 bytes each from byte 16 (IHDR).
    [ "$(od -An -tu4 --endian=big -j16 -N8 "$icon" | xargs)" = "$size $size" ] \
        || fail "the ${size}-pixel icon is $(od -An -tu4 --endian=big -j16 -N8 "$icon" | xargs | tr ' ' x) pixels"
done
svg="$PREFIX/share/icons/hicolor/scalable/apps/quorvan.svg"
grep -q '<svg ' "$svg" 2>/dev/null || fail "the scalable icon is missing"

# The installed program works on its own: a picture from the command line.
"$MAKEDEMO" "$PREFIX/demo.nes" --seed 1 >/dev/null
"$PREFIX/bin/quorvan" --export-stage 1 "$PREFIX/demo.nes" "$PREFIX/map.png" || fail "the installed program failed"
[ "$(head -c 8 "$PREFIX/map.png" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "no picture was written"
echo "install check: passed"
