#!/usr/bin/env bash
# Sets up, builds and starts the game under Wine. Without a display of its own
# the game runs on a virtual Xvfb screen.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${LUMO_BUILD_DIR:-$ROOT/build}
"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh" --target ZorkaCafe
if [ -n "${DISPLAY:-}" ]; then export LUMO_OWN_XVFB=0; fi
source "$ROOT/scripts/wine-session.sh"
lumo_wine_session_start
cd "$BUILD/game"
wine ./ZorkaCafe.exe "$@"
