#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a fixed time each.
# usage: run-fuzz.sh BUILD_DIR SECONDS
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
seconds=$2
status=0
while IFS= read -r target; do
  name=$(basename "$target")
  seeds=$(find "$root/fuzz" -type d -path "*corpus/$name" | head -n 1)
  work=$(mktemp -d)
  [ -n "$seeds" ] && cp -r "$seeds"/. "$work"/
  echo "-- $name for ${seconds}s"
  if ! ASAN_OPTIONS=detect_leaks=1 "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
       -print_final_stats=0 -artifact_prefix="$build/$name-" "$work" >"$build/$name.log" 2>&1; then
    echo "$name found a fault:"; tail -n 40 "$build/$name.log"; status=1
  fi
  rm -rf "$work"
done < <(find "$build/fuzz" -type f -executable -name 'fuzz_*' | sort)
exit $status
