#!/usr/bin/env bash
# Installs the build into a scratch prefix and builds a host project against it,
# once through find_package and once through pkg-config.
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
cmake -S "$here/consumer" -B "$scratch/consumer" -DCMAKE_PREFIX_PATH="$scratch/prefix" >/dev/null
cmake --build "$scratch/consumer" >/dev/null
LD_LIBRARY_PATH="$scratch/prefix/lib:$scratch/prefix/lib64:${LD_LIBRARY_PATH:-}" "$scratch/consumer/consumer"
pc=$(find "$scratch/prefix" -name zylcarto.pc | head -n 1)
export PKG_CONFIG_PATH=$(dirname "$pc")
sed -i "s|^prefix=.*|prefix=$scratch/prefix|" "$pc"
c++ -std=c++20 "$here/consumer/main.cpp" -o "$scratch/pc-consumer" $(pkg-config --cflags --libs zylcarto)
LD_LIBRARY_PATH="$(dirname "$(dirname "$pc")"):${LD_LIBRARY_PATH:-}" "$scratch/pc-consumer"
