#!/usr/bin/env bash
# Runs a Windows program under Wine on an Xvfb screen of its own geometry.
# Usage: scripts/run-on-screen.sh <WxHxD> <program.exe> [args...]
# Each geometry keeps its own copy of the Wine prefix (so its own wineserver),
# made once from the project's prefix and warmed up before the program runs.
# With LUMO_WINE_RENDERER set (for example "gdi") the copy is one of its own
# that uses that Direct3D renderer. LUMO_SCREEN_TAG names a copy of its own
# for a program that shares its geometry with another (its own wineserver).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
geometry=$1
shift
BUILD=${LUMO_BUILD_DIR:-$ROOT/build}
BASE_PREFIX=${WINEPREFIX:-$BUILD/wineprefix}
flavour="$geometry${LUMO_WINE_RENDERER:+-$LUMO_WINE_RENDERER}${LUMO_SCREEN_TAG:+-$LUMO_SCREEN_TAG}"
export WINEPREFIX="$BUILD/wineprefix-$flavour"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# One copy per geometry; a lock keeps parallel runs from copying twice.
mkdir -p "$BUILD"
(
    flock 9
    # Both the project's prefix and an existing copy are brought up to date
    # with the prefix's settings here (at once when they already are).
    WINEPREFIX="$BASE_PREFIX" LUMO_WINE_RENDERER= "$ROOT/scripts/wine-prefix.sh"
    if [ ! -f "$WINEPREFIX/.lumo-ready" ]; then
        # Other test programs may be writing temporary files into the base
        # prefix meanwhile: leave its temporary folders out, and build the
        # copy beside its final name so a cut-off copy is never taken as ready.
        # Wine's program files (nine tenths of the prefix) are never written
        # after set-up, so the copies share them by hard links; everything
        # else (registry, profiles, ini files) is copied for real.
        rm -rf "$WINEPREFIX" "$WINEPREFIX.partial"
        mkdir -p "$WINEPREFIX.partial"
        shared='.*\.\(dll\|exe\|nls\|sys\|drv\|vxd\|ocx\|cpl\|acm\|tlb\|ds\|ax\|com\|msstyles\)'
        set +e
        (cd "$BASE_PREFIX" && find . -type f -iregex "$shared" ! -path './drive_c/users/*' ! -path './drive_c/windows/temp/*' -print0 |
            xargs -0 -r cp -l --parents -t "$WINEPREFIX.partial")
        linked=$?
        (cd "$BASE_PREFIX" && find . -type f -iregex "$shared" ! -path './drive_c/users/*' ! -path './drive_c/windows/temp/*' -print) >"$WINEPREFIX.partial.linked"
        # The game's own files stay behind: other tests may be using them.
        tar -C "$BASE_PREFIX" --exclude='./drive_c/users/*/Temp/*' --exclude='./drive_c/windows/temp/*' \
            --exclude='./drive_c/users/*/AppData/Roaming/Tessik Games' \
            --exclude-from="$WINEPREFIX.partial.linked" \
            --ignore-failed-read --warning=none -cf - . | tar -C "$WINEPREFIX.partial" -xf -
        status=("${PIPESTATUS[@]}")
        set -e
        rm -f "$WINEPREFIX.partial.linked"
        # tar's 1 means a file changed while it was read, which is harmless here.
        if [ "$linked" -ne 0 ] || [ "${status[0]}" -gt 1 ] || [ "${status[1]}" -ne 0 ]; then
            echo "run-on-screen: copying the Wine prefix failed" >&2
            exit 1
        fi
        mv "$WINEPREFIX.partial" "$WINEPREFIX"
    fi
    "$ROOT/scripts/wine-prefix.sh"
) 9>"$BUILD/.wineprefix-$flavour.lock"

dispfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 "$geometry" -nolisten tcp -ac 3>"$dispfile" </dev/null >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do
    [ -s "$dispfile" ] && break
    sleep 0.1
done
export DISPLAY=":$(head -n1 "$dispfile")"
rm -f "$dispfile"
# The program's own report: Wine's loader has been seen to end with SIGSEGV
# after a test program on the 16-bit screen had finished and passed.
report=$(mktemp --suffix=.xml)
cleanup() {
    wineserver -k </dev/null >/dev/null 2>&1 || true
    kill "$xvfb" >/dev/null 2>&1 || true
    rm -f "$report"
}
trap cleanup EXIT

# Wine's service processes must not hold the caller's pipes.
wineserver -p </dev/null >/dev/null 2>&1 || true
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
set +e
GTEST_OUTPUT="xml:Z:$report" wine "$@"
rc=$?
set -e
if [ "$rc" -eq 139 ] && grep -q '<testsuites[^>]* failures="0"[^>]* errors="0"' "$report" 2>/dev/null; then
    echo "run-on-screen: wine ended with SIGSEGV after the program had reported every test passed" >&2
    exit 0
fi
exit $rc
