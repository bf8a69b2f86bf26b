#!/usr/bin/env bash
# Builds the Debian packages from the build tree, checks their names, dependencies
# and library versions, unpacks them into a scratch root and checks a host and
# the tools there.
#   check_packages.sh BUILD VERSION
set -euo pipefail
build=$1
version=$2
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "check_packages: $*" >&2; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log" >&2; fail "cpack failed"; }
runtime=libzylcarto${version%%.*}
packages=("$runtime" libzylcarto-dev zylcarto-tools)
designer=""
if [ -d "$build/plugins/designer" ]; then designer=designer; packages+=(zylcarto-designer-plugin); fi
for pkg in "${packages[@]}"; do
  deb=("$scratch/out/${pkg}_${version}_"*.deb)
  [ -f "${deb[0]}" ] || fail "no package $pkg"
  depends=$(dpkg-deb -f "${deb[0]}" Depends)
  case $pkg in
    "$runtime" | zylcarto-tools) want="libstdc++6" ;;  # from dpkg-shlibdeps
    *) want="$runtime (= $version)" ;;
  esac
  [[ $depends == *"$want"* ]] || fail "$pkg depends on \"$depends\", without $want"
  # The tools carry the library's objects, so that it exports nothing for them.
  [[ $pkg != zylcarto-tools || $depends != *"$runtime"* ]] || fail "$pkg depends on the shared libraries"
  dpkg -x "${deb[0]}" "$scratch/root"
done
if [ -n "$designer" ]; then
  contents=$(dpkg-deb -c "$scratch/out/zylcarto-designer-plugin_${version}_"*.deb)
  grep -q 'qt6/plugins/designer/libzylcarto_designer\.so$' <<<"$contents" ||
    fail "the designer plugin package holds no plugin"
fi

lib="$scratch/root/usr/lib"
[ -f "$lib/libzylcarto_core.so.$version" ] || fail "no libzylcarto_core.so.$version"
for so in "$lib"/lib*.so."$version"; do
  soname=$(readelf -d "$so" | sed -n 's/.*SONAME.*\[\(.*\)\]/\1/p')
  [ "$soname" = "$(basename "$so" ".$version").${version%%.*}" ] || fail "$(basename "$so") has the soname \"$soname\""
done

bash "$here/check_host.sh" "$scratch/root/usr" "$scratch" "$build" $designer
