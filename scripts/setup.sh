#!/usr/bin/env bash
# Installs everything the build and the tests need on Debian 12, as root.
# Quick when already done: each step checks before it works.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${LUMO_BUILD_DIR:-$ROOT/build}
DEPS=${LUMO_DEPS_DIR:-$ROOT/build/deps}
export DEBIAN_FRONTEND=noninteractive

log() { echo "setup: $*"; }

# --- Debian packages -------------------------------------------------------
PKGS=(cmake ninja-build make pkg-config dpkg-dev
      g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
      libz-mingw-w64-dev googletest
      wine wine32:i386 libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386 fonts-wine
      xvfb xauth x11-apps imagemagick libpixman-1-dev g++
      fonts-quicksand fonts-dejavu-core)

apt_updated=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    apt_updated=0
fi
# Source packages come through the hosts the machine's own deb entries name.
source "$ROOT/scripts/debsrc.sh"
codename=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
if lumo_debsrc_write /etc/apt "${codename:-bookworm}"; then
    log "deb-src entries written to /etc/apt/sources.list.d/lumo-debsrc.sources"
    apt_updated=0
fi
missing=()
for p in "${PKGS[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    log "installing ${missing[*]}"
    apt-get update -qq
    apt_updated=1
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# --- libpng, libjpeg, libogg and libvorbis, cross-built from Debian's sources
TOOLCHAIN="$ROOT/cmake/mingw-i686.cmake"
build_source_pkg() { # name srcpkg marker cmake-args...
    local name=$1 srcpkg=$2 marker=$3; shift 3
    [ -f "$DEPS/$marker" ] && return 0
    log "cross-building $name"
    local work="$BUILD/deps-src/$name"
    rm -rf "$work"; mkdir -p "$work"
    ( cd "$work"
      if [ $apt_updated = 0 ]; then apt-get update -qq; fi
      apt-get source --download-only -qq "$srcpkg" >/dev/null
      tar xf ./*.orig.tar.* )
    local src
    src=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n1)
    cmake -S "$src" -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$DEPS" "$@" >/dev/null
    cmake --build "$work/build" >/dev/null
    cmake --install "$work/build" >/dev/null
}
mkdir -p "$DEPS"
build_source_pkg libpng libpng1.6 lib/libpng16.a \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DZLIB_LIBRARY=/usr/i686-w64-mingw32/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/i686-w64-mingw32/include
build_source_pkg libjpeg libjpeg-turbo lib/libjpeg.a \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF
# The music: Ogg Vorbis decoding in the game, encoding in tools/musicgen.
build_source_pkg libogg libogg lib/libogg.a -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF \
    -DINSTALL_DOCS=OFF
build_source_pkg libvorbis libvorbis lib/libvorbisenc.a -DBUILD_SHARED_LIBS=OFF \
    -DOGG_INCLUDE_DIR="$DEPS/include" -DOGG_LIBRARY="$DEPS/lib/libogg.a"

# --- the project's Wine prefix ----------------------------------------------
"$ROOT/scripts/wine-prefix.sh"
log "done"
