#!/usr/bin/env bash
# Creates the project's Wine prefix once: screen saver off, no crash debugger,
# so no dialog can block an unattended run; Direct3D without its command-stream
# thread, which otherwise spins after each present and doubles the game's
# processor use. The ready mark holds the version of these settings, so a
# prefix made by an older version gets the new ones on its next run without
# being made again. LUMO_WINE_RENDERER picks Wine's Direct3D renderer (for
# example "gdi") for a prefix of its own.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$ROOT/build/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
SETTINGS_VERSION=2
STAMP="$SETTINGS_VERSION${LUMO_WINE_RENDERER:+ renderer=$LUMO_WINE_RENDERER}"
MARK="$WINEPREFIX/.lumo-ready"
is_current() { [ -f "$MARK" ] && [ "$(cat "$MARK")" = "$STAMP" ]; }
is_current && exit 0
mkdir -p "$(dirname "$WINEPREFIX")"
# Parallel runs (tests, screens of other geometries) must not set up together.
exec 9>"$WINEPREFIX.setup.lock"
flock 9
is_current && exit 0

reg() { wine reg "$@" </dev/null >/dev/null 2>&1; }
if [ ! -f "$MARK" ]; then
    # Creating the prefix needs no display; keep Wine's services off our pipes.
    DISPLAY= wineboot -i </dev/null >/dev/null 2>&1 || true
    own=1
else
    # An existing prefix may be in use: a running server (a game or a test
    # session, with its display) takes the settings as it is; otherwise this
    # run starts a server without display and must wait for its end, since
    # later processes with a display must not attach to it.
    own=0
    if timeout 10 wineserver -w </dev/null >/dev/null 2>&1; then own=1; fi
fi
export DISPLAY=
reg add 'HKCU\Control Panel\Desktop' /v ScreenSaveActive /t REG_SZ /d 0 /f
reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ /d false /f
reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /t REG_SZ /d 1 /f
# No "program crashed" dialog from winedbg either.
reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
reg add 'HKCU\Software\Wine\Direct3D' /v csmt /t REG_DWORD /d 0 /f
if [ -n "${LUMO_WINE_RENDERER:-}" ]; then
    reg add 'HKCU\Software\Wine\Direct3D' /v renderer /t REG_SZ /d "$LUMO_WINE_RENDERER" /f
else
    reg delete 'HKCU\Software\Wine\Direct3D' /v renderer /f || true
fi
if [ "$own" = 1 ]; then wineserver -w </dev/null >/dev/null 2>&1 || true; fi
echo "$STAMP" >"$MARK.partial"
mv "$MARK.partial" "$MARK"
