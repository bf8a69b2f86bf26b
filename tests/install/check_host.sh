#!/usr/bin/env bash
# Builds the host project against the zylcarto installed under PREFIX, once through
# find_package and once through pkg-config, and runs it and the installed tools.
# With "designer", the Qt Designer plugin must be installed and find the library,
# and a host whose window uic made from a designer form is built and run too.
# Nothing comes from LD_LIBRARY_PATH: the installed files must find each other.
# BUILD is the build tree the installed files come from; its libraries still
# have their symbol tables and debugging information.
#   check_host.sh PREFIX WORKDIR BUILD [designer]
set -euo pipefail
prefix=$1
work=$2
build=$3
designer=${4:-}
here=$(cd "$(dirname "$0")" && pwd)
unset LD_LIBRARY_PATH
export QT_QPA_PLATFORM=offscreen
fail() { echo "check_host: $*" >&2; exit 1; }

form=()
if [ -n "$designer" ]; then form=(-DZYLCARTO_FORM_UI="$here/../designer/form.ui"); fi
cmake -S "$here/consumer" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$prefix" "${form[@]}" >/dev/null
cmake --build "$work/consumer" >/dev/null
"$work/consumer/consumer" || fail "the find_package host failed"
if [ -n "$designer" ]; then
  "$work/consumer/form_host" >/dev/null || fail "the host of the uic form failed"
  plugin=$(find "$prefix" -path '*/qt6/plugins/designer/libzylcarto_designer.so')
  [ -n "$plugin" ] || fail "no designer plugin in Qt's plugin folder under $prefix"
  lib=$(ldd "$plugin" | sed -n 's/.*libzylcarto\.so[^ ]* => \([^ ]*\).*/\1/p')
  [[ $(realpath -m "${lib:-/none}") == "$(realpath "$prefix")"/* ]] ||
    fail "the designer plugin does not find the installed library (\"$lib\")"
fi

pc=$(find "$prefix" -name zylcarto.pc | head -n 1)
[ -n "$pc" ] || fail "no zylcarto.pc under $prefix"
export PKG_CONFIG_PATH=$(dirname "$pc")
widgets=()
if pkg-config --print-requires zylcarto | grep -q Qt6Widgets; then widgets=(-DZYLCARTO_HOST_WIDGETS); fi
c++ -std=c++20 "${widgets[@]}" "$here/consumer/main.cpp" -o "$work/pc-consumer" $(pkg-config --cflags --libs zylcarto) \
  -Wl,-rpath,"$(pkg-config --variable=libdir zylcarto)"
"$work/pc-consumer" || fail "the pkg-config host failed"

# Only the interface is shipped: the installed headers build on their own (none
# includes an internal one), the internals named here are not among them, and
# every name of the library that the shared libraries export is declared in them.
include=$(pkg-config --variable=includedir zylcarto)
for internal in jpeg_codec.h rounding.h storage.h dbfile.h; do
  [ -z "$(find "$include/zylcarto" -name "$internal")" ] || fail "the internal header $internal is installed"
done
find "$include/zylcarto" -name '*.h' | sed 's|^.*/include/|#include <|; s|$|>|' >"$work/all_headers.cpp"
# The form loader is header only and its host links Qt's UiTools itself.
uitools=()
if [ -n "$(find "$include/zylcarto" -name form_loader.h)" ]; then read -ra uitools <<<"$(pkg-config --cflags Qt6UiTools)"; fi
c++ -std=c++20 -fsyntax-only -x c++ "$work/all_headers.cpp" $(pkg-config --cflags zylcarto) "${uitools[@]}" ||
  fail "the installed headers do not build on their own"
declared=$(cat $(find "$include/zylcarto" -name '*.h') | grep -o '[A-Za-z_][A-Za-z0-9_]*' | sort -u)
exported=$(nm -DC --defined-only "$(pkg-config --variable=libdir zylcarto)"/libzylcarto*.so)
names=$(grep -o 'zylcarto::[A-Za-z_][A-Za-z0-9_]*' <<<"$exported" | sed 's/^zylcarto:://' | sort -u)
undeclared=$(comm -23 <(echo "$names") <(echo "$declared") | tr '\n' ' ')
[ -z "$undeclared" ] || fail "the libraries export internal names: $undeclared"
for name in TGeoDB TMapCalibration LatLongToUTM ParseCalibData; do
  grep -qx "$name" <<<"$names" || fail "the libraries do not export $name"
done

# The reverse: a function or variable declared there and defined in a source file
# of the library must not be hidden, or a host that uses it fails to link. What
# a header defines (inline, templates) the host compiles itself, so definitions
# located in a header do not count; nor do a function's local statics and lambdas.
export LC_ALL=C
code=$(find "$include/zylcarto" -name '*.h' -exec sed 's|//.*||' {} +)
words=$(grep -o '[A-Za-z_~][A-Za-z0-9_]*' <<<"$code" | sort -u)
classes=$(grep -oE '\b(class|struct)( ZYLCARTO_EXPORT)? [A-Za-z_][A-Za-z0-9_]*( final)? *[:{]' <<<"$code" |
  sed -E 's/^(class|struct)( ZYLCARTO_EXPORT)? //; s/[ :{].*$//' | sort -u)
libs=("$build"/zylcarto/libzylcarto*.so)
located=$(nm -lC --defined-only "${libs[@]}" | grep -P '\t' || true)
if [ -z "$located" ]; then
  echo "check_host: $build has no debugging information, hidden declared names are not checked" >&2
else
  visible=$(nm -DC --defined-only "${libs[@]}" | sed -E 's/^[0-9a-f]+ [A-Za-z] //' | sort -u)
  hidden=$(awk -F'\t' '$1 ~ /^[0-9a-f]+ [tdbr] zylcarto::/ && $2 !~ /\.h:[0-9]+$/ {sub(/^[0-9a-f]+ . /, "", $1); print $1}' \
      <<<"$located" | grep -v 'anonymous namespace\|::detail::\|)\( const\)\?::' | sed 's/ \[clone [^]]*\]//g' |
    sort -u | comm -23 - <(echo "$visible") |
    sed -E 's/\[abi:cxx11\]//g; :a; s/<[^<>]*>//g; ta; s/\(.*//; s/.* //' | grep '^zylcarto::' | sort -u || true)
  declared_hidden=""
  while IFS= read -r q; do
    IFS=: read -ra part <<<"${q//::/:}"
    n=${#part[@]}
    if [ "$n" -gt 2 ]; then grep -qx -- "${part[n-2]}" <<<"$classes" || continue; fi
    ! grep -qx -- "${part[n-1]}" <<<"$words" || declared_hidden+="${q#zylcarto::} "
  done <<<"$hidden"
  [ -z "$declared_hidden" ] || fail "the installed headers declare names the libraries hide: $declared_hidden"
fi

out=$("$prefix/bin/zylcarto" utm 48.2 16.4) || fail "the installed zylcarto does not run"
[ "$out" = "33 U 604028.2757 5339477.3311" ] || fail "zylcarto utm printed \"$out\""
if [ -e "$prefix/bin/zylcarto-demo" ]; then
  "$prefix/bin/zylcarto-demo" --snapshot "$work/demo.png" --data-dir "$work/atlas" >/dev/null ||
    fail "the installed zylcarto-demo does not run"
fi
