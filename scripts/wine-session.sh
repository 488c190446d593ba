# Sourced: starts an Xvfb screen and a persistent, warmed-up wineserver for
# this shell, and stops what it started on exit.
# Wine's service processes must not inherit the test runner's pipes, so the
# warm-up runs here, with its output on /dev/null.
ROOT=${ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${WINEPREFIX:-$ROOT/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
LUMO_XVFB_PID=
LUMO_STARTED_WINESERVER=0

lumo_start_xvfb() { # geometry (WxHxD) -> prints the display number
    local dispfile
    dispfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -ac 3>"$dispfile" </dev/null >/dev/null 2>&1 &
    local pid=$!
    for _ in $(seq 100); do
        [ -s "$dispfile" ] && break
        sleep 0.1
    done
    echo "$pid $(head -n1 "$dispfile")"
    rm -f "$dispfile"
}

lumo_wine_session_stop() {
    if [ "$LUMO_STARTED_WINESERVER" = 1 ]; then wineserver -k >/dev/null 2>&1 || true; fi
    if [ -n "$LUMO_XVFB_PID" ]; then kill "$LUMO_XVFB_PID" >/dev/null 2>&1 || true; fi
}

lumo_wine_session_start() {
    if [ -z "${DISPLAY:-}" ] || [ "${LUMO_OWN_XVFB:-1}" = 1 ]; then
        read -r LUMO_XVFB_PID num < <(lumo_start_xvfb "${LUMO_SCREEN:-1024x768x24}")
        export DISPLAY=":$num"
    fi
    # -p keeps the server alive between the test programs.
    wineserver -p </dev/null >/dev/null 2>&1 && LUMO_STARTED_WINESERVER=1
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
    trap lumo_wine_session_stop EXIT
}
