#!/usr/bin/env bash
# Records a demo test of the real game: plays tests/demos/scripts/<name>.txt
# against the game started with "-record", replays the new demo once to check
# it, and stores it with what the run produced under tests/demos/data.
# Usage: scripts/record-demo.sh <name>
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${LUMO_BUILD_DIR:-$ROOT/build}
name=${1:?usage: scripts/record-demo.sh <name>}
[ -f "$ROOT/tests/demos/scripts/$name.txt" ] || { echo "no tests/demos/scripts/$name.txt" >&2; exit 1; }
"$ROOT/scripts/build.sh" --target test_demos
LUMO_BUILD_DIR="$BUILD" "$ROOT/scripts/run-on-screen.sh" 1152x864x24 \
    "$BUILD/tests/demos/test_demos.exe" --record "$name"
