#!/usr/bin/env bash
# Runs every libFuzzer target listed in fuzz/targets.txt for a fixed time each.
# usage: run-fuzz.sh BUILD_DIR SECONDS
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
seconds=$2
status=0
while read -r name seeds maxlen; do
  case "$name" in ''|'#'*) continue ;; esac
  target=$(find "$build/fuzz" -type f -executable -name "$name" | head -n 1)
  if [ -z "$target" ]; then echo "fuzz target $name was not built"; status=1; continue; fi
  work=$(mktemp -d)
  cp -r "$root/$seeds"/. "$work"/
  echo "-- $name for ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -max_len="$maxlen" -rss_limit_mb=2048 -timeout=10 \
       -print_final_stats=1 -artifact_prefix="$build/$name-" "$work" >"$build/$name.log" 2>&1; then
    echo "$name found a fault:"; tail -n 40 "$build/$name.log"; status=1
  else
    grep -E '^stat::number_of_executed_units' "$build/$name.log" || true
  fi
  rm -rf "$work"
done < "$root/fuzz/targets.txt"
exit $status
