#!/usr/bin/env bash
# The music's figures: the share of one core the game's sound threads take
# while a track plays (aim: under 1 %), the memory a playing track holds
# (aim: under 1 MB, whatever its length), and the music's size in data.pak.
# The process sleeps while it measures; ALSA's null device stands for a card.
# Then the gaps a player hears: three minutes of the game (main menu, day 1's
# opening comic, the day) on a sound device that plays at real time, quiet
# and beside 8 busy processes, with the game, its display, Wine's server and
# the sound server on two cores of their own (the last two; BENCH_CORES
# chooses others). "run.sh gaps" measures the gaps alone, "run.sh figures"
# the rest alone; a number as the argument is the seconds per track there.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${LUMO_BUILD_DIR:-$ROOT/build}
what=${1:-all}
case $what in all | gaps | figures) ;; *) seconds=$what what=figures ;; esac

figures() {
    "$ROOT/scripts/build.sh" --target bench_music --target gamedata >/dev/null
    "$ROOT/scripts/wine-prefix.sh" >/dev/null
    source "$ROOT/scripts/wine-session.sh"
    lumo_wine_session_start
    conf=$(mktemp)
    printf '</usr/share/alsa/alsa.conf>\npcm.!default { type null }\n' >"$conf"
    ( cd "$BUILD/game" && ALSA_CONFIG_PATH=$conf wine "$BUILD/bench/music/bench_music.exe" "${seconds:-10}" 2>/dev/null ) |
        tr -d '\r' | grep '^RESULT' | sed 's/^RESULT //'
    rm -f "$conf"
}

# Keeps Wine's own sound threads in this build's game (the pulse driver's
# timer and main loop, DirectSound's mixer) at nice -10: they ask Windows for
# time-critical priority, which Wine 8 does not pass on to the host.
raise_wine_sound_threads() {
    local game=$BUILD/game/ZorkaCafe.exe pid task
    while :; do
        for pid in $(pgrep -f "$game"); do
            for task in /proc/"$pid"/task/*; do
                case $(cat "$task/comm" 2>/dev/null) in
                winepulse_* | wine_dsound_mix) renice -n -10 -p "${task##*/}" >/dev/null 2>&1 ;;
                esac
            done
        done
        sleep 0.5
    done
}

# One run of three minutes: quiet, busy, or busy with Wine's sound threads
# raised; records the device meanwhile and prints the gaps between the main
# menu's first 3 s (its tune fading in) and the end, with the times where they fell.
gap_run() {
    local condition=$1 out=$PULSE_DIR/$1 pid t0
    busy=()
    if [ "$condition" != quiet ]; then
        for _ in $(seq 8); do
            (while :; do :; done) &
            busy+=($!)
        done
    fi
    if [ "$condition" = busy-raised ]; then
        raise_wine_sound_threads &
        busy+=($!)
    fi
    pulse_record "$out.raw"
    t0=$(date +%s%3N)
    ( cd "$BUILD/game" && WINEDEBUG=-all,warn+pulse \
        wine "$BUILD/bench/music/bench_music_gaps.exe" play ) 2>"$out.log" | tr -d '\r' >"$out.marks" || true
    pulse_record_stop
    stop_busy
    if ! grep -q '^MARK end' "$out.marks"; then
        echo "$condition: error: $(grep '^RESULT' "$out.marks" || echo 'the run broke off')"
        return 0
    fi
    ( cd "$BUILD/game" && wine "$BUILD/bench/music/bench_music_gaps.exe" count "Z:$out.raw" \
        "$(awk -v t0="$t0" '$2 == "menu" { print $3 - t0 + 3000 }' "$out.marks")" \
        "$(awk -v t0="$t0" '$2 == "end" { print $3 - t0 }' "$out.marks")" 2>/dev/null ) |
        tr -d '\r' >"$out.gaps"
    awk -v t0="$t0" -v what="$condition" -v underflows="$(grep -c Underflow "$out.log" || true)" '
        FNR == NR { if ($1 == "MARK") { at[$2] = ($3 - t0) / 1000; order[++n] = $2 } next }
        $1 == "GAP" {
            phase = order[1]
            for (i = 1; i < n; i++) if ($2 >= at[order[i]]) phase = order[i]
            count[phase]++
            if (++listed <= 20) list = list sprintf("  %-5s %7.3f s in: %.3f s\n", phase, $2 - at[phase], $3)
        }
        $1 == "GAPS" {
            printf "%s: %d gaps of 10 ms or more in %.1f s of music (", what, $2, $5
            for (i = 1; i < n; i++) printf "%s%s %d", (i > 1 ? ", " : ""), order[i], count[order[i]]
            printf "), %.3f s in all, longest %.3f s; Wine'"'"'s pulse driver reported %d underflows\n",
                   $3, $4, underflows
            printf "%s%s", list, (listed > 20 ? "  ...\n" : "")
        }' "$out.marks" "$out.gaps"
}

# The busy processes of a run, ended by their ids (also when the run breaks off).
busy=()
stop_busy() {
    local pid
    for pid in "${busy[@]}"; do kill "$pid" 2>/dev/null || true; done
    busy=()
}

gaps() {
    "$ROOT/scripts/build.sh" --target bench_music_gaps --target gamedata >/dev/null
    source "$ROOT/bench/music/pulse.sh"
    pulse_fetch
    local cores=${BENCH_CORES:-$(($(nproc) - 2)),$(($(nproc) - 1))}
    taskset -pc "$cores" $BASHPID >/dev/null
    # A prefix of its own whose audio driver is PulseAudio's: the tests keep ALSA's.
    export WINEPREFIX=$BUILD/wineprefix-pulse
    "$ROOT/scripts/wine-prefix.sh" >/dev/null
    source "$ROOT/scripts/wine-session.sh"
    lumo_wine_session_start
    wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /t REG_SZ /d pulse /f >/dev/null 2>&1
    trap 'stop_busy; pulse_stop; lumo_wine_session_stop' EXIT
    pulse_start
    echo "gaps on cores $cores:"
    gap_run quiet
    gap_run busy
    # What Wine would give if it passed its sound threads' priority on (needs
    # the right to lower a nice value, as root has).
    if (renice -n -1 -p $BASHPID >/dev/null 2>&1); then gap_run busy-raised; fi
}

if [ "$what" != gaps ]; then (figures); fi
if [ "$what" != figures ]; then (gaps); fi
