#!/usr/bin/env bash
# Builds the host project against the zylcarto installed under PREFIX, once through
# find_package and once through pkg-config, and runs it and the installed tools.
# Nothing comes from LD_LIBRARY_PATH: the installed files must find each other.
#   check_host.sh PREFIX WORKDIR
set -euo pipefail
prefix=$1
work=$2
here=$(cd "$(dirname "$0")" && pwd)
unset LD_LIBRARY_PATH
export QT_QPA_PLATFORM=offscreen
fail() { echo "check_host: $*" >&2; exit 1; }

cmake -S "$here/consumer" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/consumer" >/dev/null
"$work/consumer/consumer" || fail "the find_package host failed"

pc=$(find "$prefix" -name zylcarto.pc | head -n 1)
[ -n "$pc" ] || fail "no zylcarto.pc under $prefix"
export PKG_CONFIG_PATH=$(dirname "$pc")
c++ -std=c++20 "$here/consumer/main.cpp" -o "$work/pc-consumer" $(pkg-config --cflags --libs zylcarto) \
  -Wl,-rpath,"$(pkg-config --variable=libdir zylcarto)"
"$work/pc-consumer" || fail "the pkg-config host failed"

out=$("$prefix/bin/zylcarto" utm 48.2 16.4) || fail "the installed zylcarto does not run"
[ "$out" = "33 U 604028.2757 5339477.3311" ] || fail "zylcarto utm printed \"$out\""
if [ -e "$prefix/bin/zylcarto-demo" ]; then
  "$prefix/bin/zylcarto-demo" --snapshot "$work/demo.png" --data-dir "$work/atlas" >/dev/null ||
    fail "the installed zylcarto-demo does not run"
fi
