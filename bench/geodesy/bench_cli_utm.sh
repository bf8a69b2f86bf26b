#!/usr/bin/env bash
# `zylcarto utm` on standard input: 10^7 random latitude/longitude lines to UTM
# (the target is under 3 s), beside GeographicLib's GeoConvert -u on the first
# 10^6 of them in the same run (GeoConvert is some 25 times slower: 10^7 lines
# would take minutes). Each side runs RUNS times in turn; prints each side's
# median wall-clock and processor seconds, the ratio of lines per second and the
# load average at start and end (the machine may be shared: say the load).
# usage: bench/geodesy/bench_cli_utm.sh [ZYLCARTO] [LINES] [RUNS]
set -euo pipefail
zylcarto=${1:-build/apps/zylcarto/zylcarto}
lines=${2:-10000000}
runs=${3:-3}
command -v GeoConvert >/dev/null || { echo "GeoConvert not found (Debian package geographiclib-tools)" >&2; exit 2; }
[ -x "$zylcarto" ] || { echo "no zylcarto program at $zylcarto" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

awk -v n="$lines" 'BEGIN { srand(5); for (i = 0; i < n; i++) printf "%.6f %.6f\n", -79 + rand() * 162, -179 + rand() * 358 }' \
    >"$work/in.txt"
peer=$((lines < 1000000 ? lines : 1000000))
head -n "$peer" "$work/in.txt" >"$work/peer.txt"

# wall-clock and processor (user + system) seconds of one run
timed() {
    local in=$1
    shift
    /usr/bin/time -f "%e %U %S" -o "$work/time" "$@" <"$in" >"$work/out.txt"
    awk '{ printf "%s %.2f\n", $1, $2 + $3 }' "$work/time"
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

load0=$(cut -d' ' -f1-3 /proc/loadavg)
: >"$work/z"
: >"$work/g"
for _ in $(seq "$runs"); do
    timed "$work/in.txt" "$zylcarto" utm >>"$work/z"
    timed "$work/peer.txt" GeoConvert -u >>"$work/g"
done
load1=$(cut -d' ' -f1-3 /proc/loadavg)

zw=$(cut -d' ' -f1 "$work/z" | median)
zc=$(cut -d' ' -f2 "$work/z" | median)
gw=$(cut -d' ' -f1 "$work/g" | median)
gc=$(cut -d' ' -f2 "$work/g" | median)
printf 'zylcarto utm  %d lines: %s s wall-clock, %s s processor (median of %d)\n' "$lines" "$zw" "$zc" "$runs"
printf 'GeoConvert -u %d lines: %s s wall-clock, %s s processor\n' "$peer" "$gw" "$gc"
awk -v zc="$zc" -v gc="$gc" -v n="$lines" -v m="$peer" \
    'BEGIN { printf "lines per processor second: %.2f M against %.2f M, %.1fx\n", n / zc / 1e6, m / gc / 1e6, (n / zc) / (m / gc) }'
printf 'load average: %s at start, %s at end\n' "$load0" "$load1"
