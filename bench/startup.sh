#!/usr/bin/env bash
# Start-up of the program against an empty main window, both built the same
# way: the whole process from launch until the window has been painted, with a
# synthetic image open and a stage chosen (quorvan IMAGE --stage 1
# --quit-when-painted) against quorvan_empty_window, which shows an empty
# QMainWindow and quits at its first paint. Wall time over repeated runs,
# taken alternately so that all see the same load, and peak resident memory.
# A third program, quorvan_text_window, is the same window with a one-item
# menu bar and a one-label status bar: the floor of any window that shows
# text, since the font database is set up for its first text.
# Builds nothing: give it a build folder configured with
# -DQUORVAN_BUILD_BENCH=ON (Release for figures worth quoting).
#
#   bench/startup.sh BUILD_DIR [RUNS]
#
# Uses hyperfine where it is installed (Debian package "hyperfine"), else a
# plain loop; peak memory comes from GNU time (/usr/bin/time, package "time").
# The platform is offscreen unless QT_QPA_PLATFORM says otherwise.
set -euo pipefail

build=${1:?usage: startup.sh BUILD_DIR [RUNS]}
runs=${2:-40}
quorvan=$build/src/quorvan
empty=$build/bench/quorvan_empty_window
text=$build/bench/quorvan_text_window
makedemo=$build/tools/quorvan_makedemo
for program in "$quorvan" "$empty" "$text" "$makedemo"; do
    [[ -x $program ]] || { echo "missing $program (build with -DQUORVAN_BUILD_BENCH=ON)" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
# Settings and caches of the runs stay in the scratch folder.
export XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
"$makedemo" "$work/demo.nes" --seed 1 >/dev/null

program_cmd=("$quorvan" "$work/demo.nes" --stage 1 --quit-when-painted)
empty_cmd=("$empty")
text_cmd=("$text")
names=(empty text program)

# Each must start, paint and end by itself.
for cmd in "${names[@]}"; do
    declare -n argv="${cmd}_cmd"
    timeout 30 "${argv[@]}" >/dev/null 2>&1 || { echo "$cmd did not end by itself: ${argv[*]}" >&2; exit 1; }
done

# Median of a list of numbers, one per line.
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "== wall time, launch to first paint ($runs runs each, alternating)"
if command -v hyperfine >/dev/null 2>&1; then
    hyperfine --warmup 3 --runs "$runs" --export-json "$work/times.json" --style basic \
        -n empty "$(printf '%q ' "${empty_cmd[@]}")" \
        -n text "$(printf '%q ' "${text_cmd[@]}")" \
        -n program "$(printf '%q ' "${program_cmd[@]}")" >"$work/hyperfine.txt"
    read -r empty_ms text_ms program_ms < <(python3 - "$work/times.json" <<'PY'
import json, statistics, sys
r = {x["command"]: x for x in json.load(open(sys.argv[1]))["results"]}
print(*(statistics.median(r[n]["times"]) * 1000 for n in ("empty", "text", "program")))
PY
    )
else
    for cmd in "${names[@]}"; do : >"$work/$cmd.ms"; done
    for ((i = 0; i < runs + 3; i++)); do
        for cmd in "${names[@]}"; do
            declare -n argv="${cmd}_cmd"
            start=$(date +%s%N); "${argv[@]}" >/dev/null 2>&1; end=$(date +%s%N)
            ((i >= 3)) && echo "$(( (end - start) / 1000 ))" >>"$work/$cmd.ms" # the first runs warm the caches
        done
    done
    empty_ms=$(median <"$work/empty.ms" | awk '{ print $1 / 1000 }')
    text_ms=$(median <"$work/text.ms" | awk '{ print $1 / 1000 }')
    program_ms=$(median <"$work/program.ms" | awk '{ print $1 / 1000 }')
fi
awk -v e="$empty_ms" -v t="$text_ms" -v p="$program_ms" 'BEGIN {
    printf "empty window           median %7.1f ms\n", e
    printf "window with text       median %7.1f ms  (%.2f x the empty window)\n", t, t / e
    printf "quorvan                median %7.1f ms\n", p
    printf "ratio %.2f (against the window with text: %.2f)\n", p / e, p / t }'

echo "== peak resident memory (median of 9 runs each)"
if [[ -x /usr/bin/time ]]; then
    for cmd in "${names[@]}"; do
        declare -n argv="${cmd}_cmd"
        for ((i = 0; i < 9; i++)); do
            /usr/bin/time -f '%M' -o "$work/rss" "${argv[@]}" >/dev/null 2>&1
            tail -n1 "$work/rss"
        done | median >"$work/$cmd.rss"
    done
    awk -v e="$(cat "$work/empty.rss")" -v t="$(cat "$work/text.rss")" -v p="$(cat "$work/program.rss")" 'BEGIN {
        printf "empty window      %7.1f MiB\nwindow with text  %7.1f MiB\nquorvan           %7.1f MiB\n", e / 1024, t / 1024, p / 1024
        printf "above the empty window: %.1f MiB (above the window with text: %.1f MiB)\n", (p - e) / 1024, (p - t) / 1024 }'
else
    echo "GNU time (/usr/bin/time) is not installed: no memory figures"
fi
