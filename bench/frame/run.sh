#!/usr/bin/env bash
# The frame's cost in the running game, on a 1024 x 768 x 24 Xvfb screen: full
# redraws of the main menu and of a level with its HUD on the 2D road and
# through Direct3D, each against a memcpy of one 1024 x 768 x 32 frame in the
# same run; then the time from process start to the main menu's first drawing,
# the still menu's processor use, and the game's peak working set beside the
# least DirectDraw program's.
# The last block (bench_frame_cpu) gives the processor time of the running
# game on each kind of still screen, in a busy level and in cafe 1's opening
# comic (in LevelRun, and in the shipped game reached as a new player, with its
# main menu after the name), on both roads, beside the least program putting frames on the screen
# at the same rates (what Wine and Mesa take by themselves); bench_frame adds the average frame of that
# busy level ("busy_draw" alone, "busy_frame" with its present). Its rows show
# Direct3D's command-stream thread off (as the project's prefix has it) beside
# on (Wine's default).
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

# Start-up, quit and memory on both roads, on the processes bench_footprint
# starts itself: process start to the first picture on screen, the quit box's
# answer to the process's end (beside the least DirectDraw program's, from
# its close to its end, and what Wine alone takes to hide a window),
# the anonymous memory of the still main menu and of a busy level (LevelRun,
# level 20 playing itself) now and at its peak, beside the least DirectDraw
# and Direct3D programs; then the shipped executable's size and debug sections.
"$ROOT/scripts/build.sh" --target bench_footprint >/dev/null
for road in 2D 3D; do
    wine "$BUILD/bench/frame/bench_footprint.exe" $road 2>/dev/null | tr -d '\r' | grep '^RESULT' |
        awk -v limit=$([ $road = 2D ] && echo 60 || echo 90) '
            { printf "%s %-32s %8.1f\n", $2, $3, $4; v[$3] = $4; road = $2 }
            END {
                if (!("ddmin_anon_mb" in v)) exit
                split("menu_anon_mb menu_anon_peak_mb level_anon_mb level_anon_peak_mb", keys)
                for (i = 1; i <= 4; i++)
                    if (keys[i] in v)
                        printf "%s %-32s %8.1f  (goal: at most %d)\n", road,
                               keys[i] "_above_ddmin", v[keys[i]] - v["ddmin_anon_mb"], limit
                if ((road == "3D") && ("d3dmin_anon_mb" in v))
                    for (i = 1; i <= 4; i++)
                        if (keys[i] in v)
                            printf "%s %-32s %8.1f  (the least Direct3D program: %.1f above ddmin)\n",
                                   road, keys[i] "_above_d3dmin", v[keys[i]] - v["d3dmin_anon_mb"],
                                   v["d3dmin_anon_mb"] - v["ddmin_anon_mb"]
            }'
done
exe="$BUILD/game/ZorkaCafe.exe"
printf "%-35s %8.1f\n" exe_size_mb "$(stat -c %s "$exe" | awk '{ print $1 / 1048576 }')"
printf "%-35s %8d\n" exe_debug_sections "$(i686-w64-mingw32-objdump -h "$exe" | grep -c ' \.debug_' || true)"
printf "%-35s %8.1f\n" debug_file_mb "$(stat -c %s "${exe%.exe}.debug" 2>/dev/null | awk '{ print $1 / 1048576 }')"

# --- Processor time of the running game, every thread, percent of one core,
# with Direct3D's command-stream thread off (the project's prefix) and on
# (Wine's default) side by side
"$ROOT/scripts/build.sh" --target bench_frame_cpu >/dev/null
printf "%-39s %9s %9s\n" "" csmt_off csmt_on
for road in 2D 3D; do
    wine "$BUILD/bench/frame/bench_frame_cpu.exe" $road 2>/dev/null | tr -d '\r' | grep '^RESULT' |
        awk '$4 == "error:" { sub(/^RESULT /, ""); print; next }
             { key = $2 " " $3; if (!(key in seen)) { seen[key] = 1; order[++n] = key }
               v[key, $5] = $4 }
             END { for (i = 1; i <= n; i++) {
                       split(order[i], f, " "); unit = f[2] ~ /_per_s$/ ? "  " : " %"
                       off = (order[i], "csmt_off") in v ? v[order[i], "csmt_off"] unit : "-"
                       on = (order[i], "csmt_on") in v ? v[order[i], "csmt_on"] unit : "-"
                       printf "%s %-36s %9s %9s\n", f[1], f[2], off, on } }'
done
