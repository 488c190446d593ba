#!/usr/bin/env bash
# Configures (once) and builds the project into build/ (or $LUMO_BUILD_DIR).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${LUMO_BUILD_DIR:-$ROOT/build}
if [ ! -f "$BUILD/build.ninja" ]; then
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
        -DLUMO_DEPS_DIR="${LUMO_DEPS_DIR:-$ROOT/build/deps}" >/dev/null
fi
cmake --build "$BUILD" "$@"
