# Sourced by the benchmarks' run.sh: bench_prepare <name> builds <name>.exe
# (unless BENCH_EXE names a built one) and the native bench/<folder>/bench_pixman.cpp
# beside it, then starts a Wine session. Sets ROOT, BUILD, exe and work, a
# temporary folder holding the native program at $work/bench_pixman.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD=${LUMO_BUILD_DIR:-$ROOT/build}

bench_prepare() { # name folder
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    exe=${BENCH_EXE:-}
    if [ -z "$exe" ]; then
        "$ROOT/scripts/build.sh" --target "$1" >/dev/null
        exe=$(find "$BUILD" -name "$1.exe" | head -n1)
    fi
    g++ -O2 -std=c++17 -o "$work/bench_pixman" "$ROOT/bench/$2/bench_pixman.cpp" \
        $(pkg-config --cflags --libs pixman-1)

    "$ROOT/scripts/wine-prefix.sh" >/dev/null
    source "$ROOT/scripts/wine-session.sh"
    lumo_wine_session_start
    # The session's exit trap replaces ours; keep both.
    trap 'lumo_wine_session_stop; rm -rf "$work"' EXIT
}
