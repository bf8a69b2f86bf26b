#!/usr/bin/env bash
# Compares the ABI of the built shared libraries with the baseline in abi/ and
# fails on any difference, so that a host built against the baseline keeps
# working. Only what the installed headers declare counts: the private classes
# behind the d-pointers may change freely. A deliberate change of the interface
# (a new function, a new major version) rewrites the baseline with --update,
# committed with the change.
#   check-abi.sh [--update] [BUILD]    BUILD: a RelWithDebInfo build (default build/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
update=""
if [ "${1:-}" = --update ]; then update=1; shift; fi
build=$(cd "${1:-$root/build}" && pwd)
fail() { echo "check-abi: $*" >&2; exit 1; }

# The baseline comes from the CI build: other flags give other debugging information.
type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
[ "$type" = RelWithDebInfo ] || fail "$build is a $type build; the baseline is made from RelWithDebInfo"
[ "$(uname -m)" = x86_64 ] || { echo "check-abi: the baseline is of x86-64, not checked on $(uname -m)"; exit 0; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cmake --install "$build" --prefix "$scratch/prefix" --component dev >/dev/null
headers=$scratch/prefix/include/zylcarto

status=0
for lib in libzylcarto_core libzylcarto; do
  so=$build/zylcarto/$lib.so.0
  [ -e "$so" ] || { [ "$lib" = libzylcarto ] && continue; fail "no $so"; }  # a build without widgets
  # No paths, line numbers or needed libraries: the file is the same on every
  # machine and changes only with the interface.
  abidw --headers-dir "$headers" --drop-private-types --no-corpus-path --no-comp-dir-path --no-show-locs \
    --no-elf-needed --type-id-style hash --out-file "$scratch/$lib.abi" "$so"
  # A unit's source path depends on where the tree was checked out and built,
  # and so does the folder CMake hashes for a generated source.
  sed -i -E "s| path='[^']*zylcarto/| path='|; s|(_autogen/)[A-Z0-9]{10}/|\1|" "$scratch/$lib.abi"
  baseline=$root/abi/$lib.abi
  if [ -n "$update" ]; then
    mkdir -p "$root/abi"
    cp "$scratch/$lib.abi" "$baseline"
    echo "check-abi: wrote ${baseline#"$root"/}"
    continue
  fi
  [ -f "$baseline" ] || fail "no baseline ${baseline#"$root"/}: make it with $0 --update"
  rc=0
  abidiff --no-show-locs "$baseline" "$scratch/$lib.abi" >"$scratch/$lib.diff" || rc=$?
  # abidiff's exit status: bit 0 error, 1 usage, 2 ABI change, 3 incompatible change.
  if (( rc & 3 )); then cat "$scratch/$lib.diff" >&2; fail "abidiff could not compare $lib (status $rc)"; fi
  if (( rc & 12 )); then
    cat "$scratch/$lib.diff"
    if (( rc & 8 )); then
      echo "check-abi: $lib.so.0 breaks hosts built against ${baseline#"$root"/}: if that is meant, it needs" \
        "a new major version (the soname) and scripts/check-abi.sh --update, committed with it" >&2
    else
      echo "check-abi: $lib.so.0 differs from ${baseline#"$root"/}: hosts built against it must keep" \
        "working, so only additions are recorded, by scripts/check-abi.sh --update committed with them" >&2
    fi
    status=1
  else
    echo "check-abi: $lib.so.0 matches its baseline"
  fi
done
exit $status
