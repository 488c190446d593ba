#!/usr/bin/env bash
# Cost of the profiler's zones (bench_profiler.exe under Wine), in time-stamp
# ticks: a begin/end pair with profiling off against an empty loop in the same
# run, their ratio, and the pair's cost with profiling on. BENCH_EXE may name an
# already built bench_profiler.exe.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${LUMO_BUILD_DIR:-$ROOT/build}
exe=${BENCH_EXE:-}
if [ -z "$exe" ]; then
    "$ROOT/scripts/build.sh" --target bench_profiler >/dev/null
    exe=$(find "$BUILD" -name bench_profiler.exe | head -n1)
fi
"$ROOT/scripts/wine-prefix.sh" >/dev/null
source "$ROOT/scripts/wine-session.sh"
lumo_wine_session_start
out=$(wine "$exe" | tr -d '\r')
echo "$out" | awk '
    $1 == "RESULT" { v[$2] = $3 }
    END {
        printf "%-34s %10s\n", "case", "ticks/pair"
        printf "%-34s %10.3f\n", "empty loop iteration", v["empty_loop"]
        printf "%-34s %10.3f\n", "zone pair, profiling off", v["pair_off"]
        printf "%-34s %10.2f\n", "ratio off / empty", v["pair_off"] / v["empty_loop"]
        printf "%-34s %10.3f\n", "extra ticks per pair when off", v["pair_off"] - v["empty_loop"]
        printf "%-34s %10.1f\n", "zone pair on, outermost (folds)", v["pair_on_outermost"]
        printf "%-34s %10.1f\n", "zone pair on, nested (appends)", v["pair_on_nested"]
        printf "%-34s %10.1f\n", "one time-stamp read (for scale)", v["rdtsc"]
    }'
