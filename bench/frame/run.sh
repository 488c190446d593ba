#!/usr/bin/env bash
# The frame's cost in the running game, on a 1024 x 768 x 24 Xvfb screen: full
# redraws of the main menu and of a level with its HUD on the 2D road and
# through Direct3D, each against a memcpy of one 1024 x 768 x 32 frame in the
# same run; then the time from process start to the main menu's first drawing,
# the still menu's processor use, and the game's peak working set beside the
# least DirectDraw program's.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${LUMO_BUILD_DIR:-$ROOT/build}
"$ROOT/scripts/build.sh" --target bench_frame --target bench_frame_launch >/dev/null
"$ROOT/scripts/wine-prefix.sh" >/dev/null
source "$ROOT/scripts/wine-session.sh"
lumo_wine_session_start

key='HKCU\Software\Tessik Games\Zorka Cafe'
for road in 0 1; do
    wine reg add "$key" /v Is3D /t REG_DWORD /d $road /f >/dev/null 2>&1
    ( cd "$BUILD/game" && wine ./bench_frame.exe 2>/dev/null ) | tr -d '\r' | grep '^RESULT' |
        awk '{ if ($3 == "memcpy") printf "%s memcpy of one frame      %8.3f ms\n", $2, $4;
               else printf "%s %-22s %8.3f ms  %6.1f x memcpy\n", $2, $3, $4, $5 }'
done
wine reg delete "$key" /v Is3D /f >/dev/null 2>&1 || true
wine "$BUILD/bench/frame/bench_frame_launch.exe" 2>/dev/null | tr -d '\r' | grep '^RESULT' |
    awk '{ printf "%-28s %s\n", $2, $3 }'
