# Sourced by setup.sh (and its test). Prints the deb-src entries, deb822 form,
# that setup.sh keeps in sources.list.d/lumo-debsrc.sources: one per deb entry
# the machine already has in the apt folder given (default /etc/apt), with the
# same host, base suites and components, so source packages come through the
# mirror the machine already uses. Update, security and backport suites are
# left out: the release's own sources are all the set-up needs. Entries that
# carry deb-src themselves, disabled ones and our own file are skipped. With no
# usable deb entry at all, Debian's own host serves.
lumo_debsrc_entries() {
    local apt=${1:-/etc/apt}
    local codename=${2:-bookworm}
    {
        local f
        for f in "$apt"/sources.list.d/*.sources; do
            [ -f "$f" ] || continue
            [ "$(basename "$f")" = lumo-debsrc.sources ] && continue
            awk '
                function flush() {
                    if (types ~ /(^| )deb( |$)/ && types !~ /deb-src/ && tolower(enabled) != "no" && uris != "")
                        printf "%s\t%s\t%s\t%s\n", uris, suites, comps, signed
                    types = uris = suites = comps = signed = enabled = ""
                }
                function value(line) { sub(/^[^:]*:[ \t]*/, "", line); sub(/[ \t]+$/, "", line); return line }
                /^[ \t]*#/ { next }
                /^[ \t]*$/ { flush(); next }
                /^[ \t]/ { next }
                tolower($0) ~ /^types:/ { types = value($0) }
                tolower($0) ~ /^uris:/ { uris = value($0) }
                tolower($0) ~ /^suites:/ { suites = value($0) }
                tolower($0) ~ /^components:/ { comps = value($0) }
                tolower($0) ~ /^signed-by:/ { signed = value($0) }
                tolower($0) ~ /^enabled:/ { enabled = value($0) }
                END { flush() }
            ' "$f"
        done
        for f in "$apt"/sources.list "$apt"/sources.list.d/*.list; do
            [ -f "$f" ] || continue
            awk '
                { sub(/#.*/, "") }
                $1 != "deb" { next }
                {
                    i = 2; signed = ""
                    if ($2 ~ /^\[/) {
                        for (; i <= NF; i++) {
                            if ($i ~ /^\[?signed-by=/) { s = $i; sub(/^\[?signed-by=/, "", s); sub(/\]$/, "", s); signed = s }
                            if ($i ~ /\]$/) { i++; break }
                        }
                    }
                    if (i + 1 > NF) next
                    comps = ""
                    for (j = i + 2; j <= NF; j++) comps = comps (comps == "" ? "" : " ") $j
                    printf "%s\t%s\t%s\t%s\n", $i, $(i + 1), comps, signed
                }
            ' "$f"
        done
    } | awk -F '\t' -v codename="$codename" '
        {
            suites = ""
            n = split($2, s, " ")
            for (k = 1; k <= n; k++)
                if (s[k] !~ /-/ && !seen[$1 " " s[k]]++)
                    suites = suites (suites == "" ? "" : " ") s[k]
            if (suites == "") next
            if (count++) print ""
            print "Types: deb-src"
            print "URIs: " $1
            print "Suites: " suites
            print "Components: " ($3 == "" ? "main" : $3)
            if ($4 != "") print "Signed-By: " $4
        }
        END {
            if (count) exit
            print "Types: deb-src"
            print "URIs: http://deb.debian.org/debian"
            print "Suites: " codename
            print "Components: main"
            print "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg"
        }
    '
}

# Writes the entries into the apt folder's lumo-debsrc.sources when it is
# missing or says something else (an older set-up wrote a host of its own);
# true when the file changed, so the package lists need an update.
lumo_debsrc_write() {
    local apt=${1:-/etc/apt}
    local codename=${2:-bookworm}
    local file="$apt/sources.list.d/lumo-debsrc.sources"
    local wanted
    wanted=$(lumo_debsrc_entries "$apt" "$codename")
    if [ -f "$file" ] && [ "$(cat "$file")" = "$wanted" ]; then
        return 1
    fi
    mkdir -p "$apt/sources.list.d"
    printf '%s\n' "$wanted" > "$file.tmp" && mv "$file.tmp" "$file"
}
