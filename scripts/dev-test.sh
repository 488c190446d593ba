#!/usr/bin/env bash
# Developer loop: builds one test program and runs it under Wine on its own
# Xvfb screen. Usage: scripts/dev-test.sh test_framework_app [--gtest_filter=...]
# Set LUMO_BUILD_DIR to keep a build folder of your own.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${LUMO_BUILD_DIR:-$ROOT/build}
target=$1; shift
"$ROOT/scripts/wine-prefix.sh"
"$ROOT/scripts/build.sh" --target "$target"
# Unattended: a crash report window answers "Close Now" by itself.
export LUMO_CRASH_WINDOW=${LUMO_CRASH_WINDOW:-close}
source "$ROOT/scripts/wine-session.sh"
lumo_wine_session_start
cd "$BUILD"
exe=$(find "$BUILD" -name "$target.exe" | head -n1)
wine "$exe" "$@"
