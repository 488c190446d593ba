#!/usr/bin/env bash
# Times the software triangle rasterizer (bench_raster.exe under Wine) beside a
# native pixman program doing the same affine transform of the same texture,
# and prints Mpx/s per family and pixel format with pixman's 32-bit figure for
# the same family, then triangles per second. BENCH_EXE may name an already
# built bench_raster.exe.
set -euo pipefail
source "$(dirname "$0")/../common/prepare.sh"
bench_prepare bench_raster raster
wine "$exe" | tr -d '\r' >"$work/ours.txt"
"$work/bench_pixman" >"$work/pixman.txt"

grep '^covered' "$work/ours.txt" || true
awk '
    FNR == NR { if ($1 == "RESULT") theirs[$2] = $4; next }
    $1 != "RESULT" { next }
    $2 ~ /^triangles_/ { tri[++m] = sprintf("%-24s %8.2f M triangles/s", $2, $4); next }
    { rows[++n] = $0; fam[n] = $2; fmt[n] = $3; val[n] = $4 }
    END {
        printf "%-18s %-6s %10s %14s %7s\n", "family", "format", "Mpx/s", "pixman 8888", "ratio"
        for (i = 1; i <= n; i++) {
            t = (fam[i] in theirs) ? theirs[fam[i]] : 0
            ts = (t > 0) ? sprintf("%.1f", t) : "-"
            ratio = (t > 0) ? sprintf("%.2f", val[i] / t) : "-"
            printf "%-18s %-6s %10.1f %14s %7s\n", fam[i], fmt[i], val[i], ts, ratio
        }
        print ""
        for (i = 1; i <= m; i++) print tri[i]
    }' "$work/pixman.txt" "$work/ours.txt"
