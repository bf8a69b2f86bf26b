#!/usr/bin/env bash
# Batch conversion of `zylcarto fit` beside GDAL's GCP transformer on the same
# points in the same run: 10^6 pixels to positions and 10^6 positions to pixels
# with a second-order fit to 30 reference points (biquadraticpn, gdaltransform
# -order 2). Prints the times, the ratios and the largest disagreement. Then the
# projected model on British National Grid: 10^6 pixels to WGS 84 positions
# beside GDAL doing the same job (its GCP fit in the grid, then its reprojection).
# usage: bench/fit/bench_fit.sh [ZYLCARTO] [POINTS]
set -euo pipefail
zylcarto=${1:-build/apps/zylcarto/zylcarto}
count=${2:-1000000}
command -v gdaltransform >/dev/null || { echo "gdaltransform not found (Debian package gdal-bin)" >&2; exit 2; }
[ -x "$zylcarto" ] || { echo "no zylcarto program at $zylcarto" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A smoothly distorted 8000 x 6000 map: exact second-order truth from pixels.
truth='function lat(x, y) { return 50 - 1e-4 * y + 2e-11 * x * y + 3e-11 * y * y }
       function lon(x, y) { return 7 + 1.5e-4 * x - 1e-11 * x * x + 2e-11 * x * y }'
awk "$truth"' BEGIN { for (i = 0; i <= 5; i++) for (j = 0; j <= 4; j++) {
        x = i * 1600; y = j * 1500; printf "%d %d %.12f %.12f\n", x, y, lat(x, y), lon(x, y) } }' >"$work/gcps.txt"
gcps=$(awk '{ printf " -gcp %s %s %s %s", $1, $2, $4, $3 }' "$work/gcps.txt")
awk -v n="$count" 'BEGIN { srand(7); for (i = 0; i < n; i++) printf "%.3f %.3f\n", rand() * 8000, rand() * 6000 }' >"$work/pixels.txt"
awk -v n="$count" 'BEGIN { srand(8); for (i = 0; i < n; i++) printf "%.9f %.9f\n", 49.45 + rand() * 0.5, 7 + rand() * 1.2 }' >"$work/latlon.txt"
awk '{ print $2, $1 }' "$work/latlon.txt" >"$work/lonlat.txt"

now() { date +%s.%N; }
run() {  # input, output, then the command; prints seconds
    local in=$1 out=$2 t0 t1
    shift 2
    t0=$(now)
    "$@" <"$in" >"$out"
    t1=$(now)
    echo "$t1 - $t0" | bc -l
}
fit=("$zylcarto" fit --model biquadraticpn --image 8000x6000)
# shellcheck disable=SC2086
{
    tz1=$(run "$work/pixels.txt" "$work/z1.txt" "${fit[@]}" --to-position - "$work/gcps.txt")
    tg1=$(run "$work/pixels.txt" "$work/g1.txt" gdaltransform -order 2 $gcps)
    tz2=$(run "$work/latlon.txt" "$work/z2.txt" "${fit[@]}" --to-pixel - "$work/gcps.txt")
    tg2=$(run "$work/lonlat.txt" "$work/g2.txt" gdaltransform -i -order 2 $gcps)
}

# Largest difference: degrees (as pixels of 1e-4 degrees) and pixels.
d1=$(paste -d' ' "$work/z1.txt" "$work/g1.txt" | awk '{ a = $1 - $4; b = $2 - $3; a = a < 0 ? -a : a; b = b < 0 ? -b : b;
        m = a > m ? a : m; m = b > m ? b : m } END { printf "%.2g", m }')
d2=$(paste -d' ' "$work/z2.txt" "$work/g2.txt" | awk '{ a = $1 - $3; b = $2 - $4; a = a < 0 ? -a : a; b = b < 0 ? -b : b;
        m = a > m ? a : m; m = b > m ? b : m } END { printf "%.2g", m }')
printf 'points %d\n' "$count"
printf 'pixel -> position: zylcarto %.3f s, gdaltransform %.3f s, ratio %.1fx, largest difference %s deg\n' \
    "$tz1" "$tg1" "$(echo "$tg1 / $tz1" | bc -l)" "$d1"
printf 'position -> pixel: zylcarto %.3f s, gdaltransform %.3f s, ratio %.1fx, largest difference %s px\n' \
    "$tz2" "$tg2" "$(echo "$tg2 / $tz2" | bc -l)" "$d2"

# The projected model: an affine fit in British National Grid, then PROJ to WGS 84.
awk 'BEGIN { for (i = 0; i <= 2; i++) for (j = 0; j <= 2; j++) { x = i * 4000; y = j * 3000
        printf "%d %d %.3f %.3f\n", x, y, 300000 - 2.5 * y + 0.05 * x, 400000 + 2.5 * x + 0.025 * y } }' >"$work/grid.txt"
ggcps=$(awk '{ printf " -gcp %s %s %s %s", $1, $2, $4, $3 }' "$work/grid.txt")
# shellcheck disable=SC2086
{
    tz3=$(run "$work/pixels.txt" "$work/z3.txt" "$zylcarto" fit --model projected --crs EPSG:27700 --grid-points \
        --image 8000x6000 --to-position - "$work/grid.txt")
    tg3a=$(run "$work/pixels.txt" "$work/g3a.txt" gdaltransform -order 1 $ggcps)
    tg3b=$(run "$work/g3a.txt" "$work/g3.txt" gdaltransform -s_srs EPSG:27700 -t_srs EPSG:4326)
}
tg3=$(echo "$tg3a + $tg3b" | bc -l)
d3=$(paste -d' ' "$work/z3.txt" "$work/g3.txt" | awk '{ a = $1 - $4; b = $2 - $3; a = a < 0 ? -a : a; b = b < 0 ? -b : b;
        m = a > m ? a : m; m = b > m ? b : m } END { printf "%.2g", m }')
printf 'projected pixel -> position: zylcarto %.3f s, gdaltransform (fit, then reprojection) %.3f s, ratio %.1fx, largest difference %s deg\n' \
    "$tz3" "$tg3" "$(echo "$tg3 / $tz3" | bc -l)" "$d3"
