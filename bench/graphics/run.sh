#!/usr/bin/env bash
# Times the memory image's drawing paths (bench_graphics.exe under Wine) beside
# a native pixman program doing the same operations on the same pictures, and
# prints per operation: our Mpx/s, pixman's, and the ratio; then opaque copy
# against memcpy. BENCH_EXE may name an already built bench_graphics.exe.
set -euo pipefail
source "$(dirname "$0")/../common/prepare.sh"
bench_prepare bench_graphics graphics
wine "$exe" | tr -d '\r' | grep '^RESULT' >"$work/ours.txt"
"$work/bench_pixman" | grep '^RESULT' >"$work/pixman.txt"

awk '
    FNR == NR { theirs[$2 " " $3] = $4; next }
    { ours[$2 " " $3] = $4; order[++n] = $2 " " $3 }
    END {
        printf "%-18s %-9s %10s %10s %7s\n", "operation", "size", "ours", "pixman", "ratio"
        for (i = 1; i <= n; i++) {
            k = order[i]; split(k, part, " ")
            if (part[1] == "memcpy") continue
            t = (k in theirs) ? theirs[k] : 0
            ratio = (t > 0) ? sprintf("%.2f", ours[k] / t) : "-"
            printf("%-18s %-9s %10.1f %10.1f %7s\n", part[1], part[2], ours[k], t, ratio)
        }
        print ""
        for (i = 1; i <= n; i++) {
            k = order[i]; split(k, part, " ")
            if (part[1] != "memcpy") continue
            c = ours["opaque_copy " part[2]]
            printf "opaque copy vs memcpy %-9s %10.1f %10.1f %7.2f\n", part[2], c, ours[k], c / ours[k]
        }
    }' "$work/pixman.txt" "$work/ours.txt"
