#!/usr/bin/env bash
# Runs a build-time Windows tool (the art tool, the sound generator, the archive
# writer) under the project's Wine prefix, for the build.
# - Wine's services must not inherit the build's pipes: the tool's input and
#   output go through files.
# - A wineserver that this run starts has no display; later game and test
#   processes of the prefix must never attach to it, so the run waits until it
#   has ended. One tool runs at a time, so that the server it waits for is its own.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$ROOT/build/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
"$ROOT/scripts/wine-prefix.sh"
mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.tools.lock"
flock 9
# A server still running (a game or a test session of this prefix, which has its
# display) is used as it is; otherwise the run starts its own and waits for its end.
own=0
if timeout 10 wineserver -w </dev/null >/dev/null 2>&1; then own=1; fi
log=$(mktemp)
set +e
DISPLAY= wine "$@" </dev/null >"$log" 2>&1
rc=$?
set -e
cat "$log"
rm -f "$log"
if [ "$own" = 1 ]; then wineserver -w </dev/null >/dev/null 2>&1 || true; fi
exit $rc
