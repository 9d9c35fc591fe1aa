#!/usr/bin/env bash
# Start-up of the program against an empty main window, both built the same
# way: the whole process from launch until the window has been painted, with a
# synthetic image open and a stage chosen (quorvan IMAGE --stage 1
# --quit-when-painted) against quorvan_empty_window, which shows an empty
# QMainWindow and quits at its first paint. Wall time over repeated runs,
# taken alternately so that both see the same load, and peak resident memory.
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
makedemo=$build/tools/quorvan_makedemo
for program in "$quorvan" "$empty" "$makedemo"; do
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

# Each must start, paint and end by itself.
for cmd in program empty; do
    declare -n argv="${cmd}_cmd"
    timeout 30 "${argv[@]}" >/dev/null 2>&1 || { echo "$cmd did not end by itself: ${argv[*]}" >&2; exit 1; }
done

# Median of a list of numbers, one per line.
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "== wall time, launch to first paint ($runs runs each, alternating)"
if command -v hyperfine >/dev/null 2>&1; then
    hyperfine --warmup 3 --runs "$runs" --export-json "$work/times.json" --style basic \
        -n empty "$(printf '%q ' "${empty_cmd[@]}")" \
        -n quorvan "$(printf '%q ' "${program_cmd[@]}")" >"$work/hyperfine.txt"
    read -r empty_ms program_ms < <(python3 - "$work/times.json" <<'PY'
import json, statistics, sys
r = {x["command"]: x for x in json.load(open(sys.argv[1]))["results"]}
print(statistics.median(r["empty"]["times"]) * 1000, statistics.median(r["quorvan"]["times"]) * 1000)
PY
    )
else
    : >"$work/empty.ms"; : >"$work/program.ms"
    for ((i = 0; i < runs + 3; i++)); do
        for cmd in empty program; do
            declare -n argv="${cmd}_cmd"
            start=$(date +%s%N); "${argv[@]}" >/dev/null 2>&1; end=$(date +%s%N)
            ((i >= 3)) && echo "$(( (end - start) / 1000 ))" >>"$work/$cmd.ms" # the first runs warm the caches
        done
    done
    empty_ms=$(median <"$work/empty.ms" | awk '{ print $1 / 1000 }')
    program_ms=$(median <"$work/program.ms" | awk '{ print $1 / 1000 }')
fi
awk -v e="$empty_ms" -v p="$program_ms" 'BEGIN {
    printf "empty window   median %7.1f ms\nquorvan        median %7.1f ms\nratio %.2f\n", e, p, p / e }'

echo "== peak resident memory (median of 9 runs each)"
if [[ -x /usr/bin/time ]]; then
    for cmd in empty program; do
        declare -n argv="${cmd}_cmd"
        for ((i = 0; i < 9; i++)); do
            /usr/bin/time -f '%M' -o "$work/rss" "${argv[@]}" >/dev/null 2>&1
            tail -n1 "$work/rss"
        done | median >"$work/$cmd.rss"
    done
    awk -v e="$(cat "$work/empty.rss")" -v p="$(cat "$work/program.rss")" 'BEGIN {
        printf "empty window   %7.1f MiB\nquorvan        %7.1f MiB\nabove the empty window: %.1f MiB\n", e / 1024, p / 1024, (p - e) / 1024 }'
else
    echo "GNU time (/usr/bin/time) is not installed: no memory figures"
fi
