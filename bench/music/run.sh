#!/usr/bin/env bash
# The music's figures: the share of one core the game's sound threads take
# while a track plays (aim: under 1 %), the memory a playing track holds
# (aim: under 1 MB, whatever its length), and the music's size in data.pak.
# The process sleeps while it measures; ALSA's null device stands for a card.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${LUMO_BUILD_DIR:-$ROOT/build}
"$ROOT/scripts/build.sh" --target bench_music --target gamedata >/dev/null
"$ROOT/scripts/wine-prefix.sh" >/dev/null
source "$ROOT/scripts/wine-session.sh"
lumo_wine_session_start
conf=$(mktemp)
printf '</usr/share/alsa/alsa.conf>\npcm.!default { type null }\n' >"$conf"
( cd "$BUILD/game" && ALSA_CONFIG_PATH=$conf wine "$BUILD/bench/music/bench_music.exe" "${1:-10}" 2>/dev/null ) |
    tr -d '\r' | grep '^RESULT' | sed 's/^RESULT //'
rm -f "$conf"
