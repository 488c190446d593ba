#!/usr/bin/env bash
# Checks lumo_debsrc_entries / lumo_debsrc_write on apt folders made here.
set -uo pipefail
source "$1"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
expect() { # name wanted actual
    if [ "$2" != "$3" ]; then
        printf 'FAIL %s\n--- wanted\n%s\n--- got\n%s\n' "$1" "$2" "$3"
        failures=$((failures + 1))
    fi
}

# A deb822 machine on a mirror: the base suite only, its key kept; entries
# that are disabled or carry deb-src already add nothing.
apt=$tmp/mirror; mkdir -p "$apt/sources.list.d"
cat > "$apt/sources.list.d/debian.sources" <<'SRC'
Types: deb
# a comment
URIs: http://mirror.example/debian
Suites: bookworm bookworm-updates
Components: main contrib
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: http://mirror.example/debian-security
Suites: bookworm-security
Components: main

Types: deb deb-src
URIs: http://other.example/debian
Suites: bookworm
Components: main

Types: deb
URIs: http://off.example/debian
Suites: bookworm
Components: main
Enabled: no
SRC
expect "deb822 mirror" "Types: deb-src
URIs: http://mirror.example/debian
Suites: bookworm
Components: main contrib
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" "$(lumo_debsrc_entries "$apt")"

# An older set-up's file naming Debian's host is corrected once, then left alone.
printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm\nComponents: main\n' \
    > "$apt/sources.list.d/lumo-debsrc.sources"
lumo_debsrc_write "$apt"; expect "old file rewritten" 0 $?
expect "rewritten file" "$(lumo_debsrc_entries "$apt")" "$(cat "$apt/sources.list.d/lumo-debsrc.sources")"
lumo_debsrc_write "$apt"; expect "current file kept" 1 $?

# One-line entries with options, a deb-src line and a comment.
apt=$tmp/oneline; mkdir -p "$apt/sources.list.d"
cat > "$apt/sources.list" <<'SRC'
# deb http://commented.example/debian bookworm main
deb [arch=amd64 signed-by=/etc/apt/keys/m.gpg] http://m2.example/debian bookworm main non-free
deb-src http://m2.example/debian bookworm main
deb http://m2.example/debian bookworm-updates main
deb http://m3.example/debian bookworm main # trailing note
SRC
expect "one-line entries" "Types: deb-src
URIs: http://m2.example/debian
Suites: bookworm
Components: main non-free
Signed-By: /etc/apt/keys/m.gpg

Types: deb-src
URIs: http://m3.example/debian
Suites: bookworm
Components: main" "$(lumo_debsrc_entries "$apt")"

# Nothing usable: Debian's own host for the release.
apt=$tmp/empty; mkdir -p "$apt"
lumo_debsrc_write "$apt" trixie; expect "fresh file written" 0 $?
expect "fallback" "Types: deb-src
URIs: http://deb.debian.org/debian
Suites: trixie
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" "$(cat "$apt/sources.list.d/lumo-debsrc.sources")"

[ $failures = 0 ] && echo "debsrc: all passed"
exit $failures
