#!/usr/bin/env bash
# The stage-map export against Tiled's tmxrasterizer, on the same pixels:
#   bench/export_vs_tmxrasterizer.sh [BUILD_DIR] [RUNS]
# A synthetic image with a 12-room stage (demo seed 3, stage 1) is exported at
# scale 2 by `quorvan --export-stage`, and the same stage, converted into a TMX
# map and a tileset of the program's own block pixels (quorvan_tmxconvert), is
# rendered by tmxrasterizer. Both run RUNS times in turn (default 20); the
# script prints the median wall time and the largest peak RSS of each, their
# ratios, and the number of pixels in which the two PNGs differ (which must be
# 0). It installs Tiled (Debian package `tiled`) when it is missing.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
RUNS="${2:-20}"
QUORVAN="$BUILD/src/quorvan"
for tool in "$QUORVAN" "$BUILD/tools/quorvan_makedemo" "$BUILD/bench/quorvan_tmxconvert" "$BUILD/bench/quorvan_pngdiff"; do
    [ -x "$tool" ] || { echo "missing $tool: build with -DQUORVAN_BUILD_BENCH=ON first" >&2; exit 2; }
done
if ! command -v tmxrasterizer >/dev/null; then
    sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends tiled
fi
[ -x /usr/bin/time ] || { echo "needs GNU time (Debian package time) for the peak memory" >&2; exit 2; }

WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
"$BUILD/tools/quorvan_makedemo" "$WORK/demo.nes" --seed 3 >/dev/null
mkdir "$WORK/tmx"
"$BUILD/bench/quorvan_tmxconvert" "$WORK/demo.nes" 1 2 "$WORK/tmx"

# One run: wall time in microseconds and peak RSS in KiB, on one line.
measure() {
    local start end
    start=$(date +%s%N)
    /usr/bin/time -f "%M" -o "$WORK/rss" "$@" >/dev/null 2>"$WORK/err" || { cat "$WORK/err" >&2; exit 1; }
    end=$(date +%s%N)
    echo "$(( (end - start) / 1000 )) $(cat "$WORK/rss")"
}

: >"$WORK/ours"; : >"$WORK/tiled"
for ((i = 0; i < RUNS; i++)); do
    measure "$QUORVAN" --export-stage 1 --scale 2 "$WORK/demo.nes" "$WORK/ours.png" >>"$WORK/ours"
    measure tmxrasterizer "$WORK/tmx/stage.tmx" "$WORK/tiled.png" >>"$WORK/tiled"
done

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ours_time=$(cut -d' ' -f1 "$WORK/ours" | median)
tiled_time=$(cut -d' ' -f1 "$WORK/tiled" | median)
ours_rss=$(cut -d' ' -f2 "$WORK/ours" | sort -n | tail -1)
tiled_rss=$(cut -d' ' -f2 "$WORK/tiled" | sort -n | tail -1)
differing=$("$BUILD/bench/quorvan_pngdiff" "$WORK/ours.png" "$WORK/tiled.png" || true)
size=$(file -b "$WORK/ours.png" | sed -E 's/.*data, ([0-9]+ x [0-9]+).*/\1/')

printf 'stage map %s at scale 2, %d runs each (median wall time, largest peak RSS)\n' "$size" "$RUNS"
printf '| program | wall time | peak RSS |\n| --- | --- | --- |\n'
awk -v ot="$ours_time" -v tt="$tiled_time" -v orss="$ours_rss" -v trss="$tiled_rss" 'BEGIN {
    printf "| `quorvan --export-stage` | %.1f ms | %.1f MiB |\n", ot / 1000, orss / 1024
    printf "| `tmxrasterizer` | %.1f ms | %.1f MiB |\n", tt / 1000, trss / 1024
    printf "| ratio | %.2f | %.2f |\n", ot / tt, orss / trss
}'
echo "pixels differing: $differing"
[ "$differing" = "0" ]
