#!/usr/bin/env bash
# The tile set commands against the room picture export, whole process, on
# the same image:
#   bench/tiles_vs_export_room.sh [BUILD_DIR] [RUNS]
# A synthetic image (demo seed 1) is given to `quorvan --export-room 3 0` (the
# baseline: start, read the image, compose a 512 x 384 room, encode and write
# a PNG), and to --export-tiles and --import-tiles of stage 3 in PNG and CHR
# (the import reads stage 9's tiles, so that tiles change, some of the shared
# set among them, and writes the whole image). All run RUNS times in turn
# (default 30, after 3 unmeasured rounds); the script prints each one's median
# wall time and its ratio to the baseline. The process start is the floor of
# all of them. Builds nothing: give it a build folder (Release for figures
# worth quoting).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build}" && pwd)"
RUNS="${2:-30}"
QUORVAN="$BUILD/src/quorvan"
MAKEDEMO="$BUILD/tools/quorvan_makedemo"
for tool in "$QUORVAN" "$MAKEDEMO"; do
    [ -x "$tool" ] || { echo "missing $tool: build the program and tools first" >&2; exit 2; }
done

WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$WORK/runtime" HOME="$WORK"
mkdir -m 700 "$XDG_RUNTIME_DIR"
cd "$WORK"
"$MAKEDEMO" demo.nes --seed 1 >/dev/null
"$QUORVAN" --export-tiles 9 demo.nes stage9.png
"$QUORVAN" --export-tiles 9 demo.nes stage9.chr

names=(room tiles_png tiles_chr import_png import_chr)
room_cmd=("$QUORVAN" --export-room 3 0 demo.nes room.png)
tiles_png_cmd=("$QUORVAN" --export-tiles 3 demo.nes tiles.png)
tiles_chr_cmd=("$QUORVAN" --export-tiles 3 demo.nes tiles.chr)
import_png_cmd=("$QUORVAN" --import-tiles 3 demo.nes stage9.png out_png.nes)
import_chr_cmd=("$QUORVAN" --import-tiles 3 demo.nes stage9.chr out_chr.nes)

for name in "${names[@]}"; do : >"$name.us"; done
for ((i = 0; i < RUNS + 3; i++)); do
    for name in "${names[@]}"; do
        declare -n argv="${name}_cmd"
        start=$(date +%s%N)
        "${argv[@]}" >/dev/null 2>"$WORK/err" || { cat "$WORK/err" >&2; exit 1; }
        end=$(date +%s%N)
        ((i >= 3)) && echo "$(( (end - start) / 1000 ))" >>"$name.us" # the first rounds warm the caches
    done
done

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
base=$(median <room.us)
printf 'whole process, %d runs each in turn (median wall time; goal: at most 1.3 x --export-room)\n' "$RUNS"
printf '| command | wall time | against --export-room |\n| --- | --- | --- |\n'
for name in "${names[@]}"; do
    declare -n argv="${name}_cmd"
    awk -v t="$(median <"$name.us")" -v b="$base" -v c="${argv[*]:1}" \
        'BEGIN { printf "| `quorvan %s` | %.1f ms | %.2f |\n", c, t / 1000, t / b }'
done
