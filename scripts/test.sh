#!/usr/bin/env bash
# Sets up, builds and runs every test under Wine and Xvfb; exits non-zero on
# any failure. Extra arguments go to ctest (for example -R raster).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${LUMO_BUILD_DIR:-$ROOT/build}
"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh"
# Unattended: a crash report window answers "Close Now" by itself.
export LUMO_CRASH_WINDOW=${LUMO_CRASH_WINDOW:-close}
source "$ROOT/scripts/wine-session.sh"
lumo_wine_session_start
JOBS=${LUMO_TEST_JOBS:-$(nproc)}
cd "$BUILD"
set +e
ctest -j "$JOBS" --output-on-failure --timeout 900 "$@"
rc=$?
set -e
exit $rc
