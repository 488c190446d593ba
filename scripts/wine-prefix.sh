#!/usr/bin/env bash
# Creates the project's Wine prefix once: screen saver off, no crash debugger,
# so no dialog can block an unattended run.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$ROOT/build/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
MARK="$WINEPREFIX/.lumo-ready"
[ -f "$MARK" ] && exit 0
mkdir -p "$(dirname "$WINEPREFIX")"
# Creating the prefix needs no display; keep Wine's services off our pipes.
DISPLAY= wineboot -i </dev/null >/dev/null 2>&1 || true
wine reg add 'HKCU\Control Panel\Desktop' /v ScreenSaveActive /t REG_SZ /d 0 /f </dev/null >/dev/null 2>&1
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ /d false /f </dev/null >/dev/null 2>&1
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /t REG_SZ /d 1 /f </dev/null >/dev/null 2>&1
# No "program crashed" dialog from winedbg either.
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
wineserver -w
touch "$MARK"
