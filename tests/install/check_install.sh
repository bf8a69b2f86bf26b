#!/usr/bin/env bash
# Installs the build into a scratch prefix (not the configured one) and checks a
# host and the installed tools there.
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
designer=""
if [ -d "$build/plugins/designer" ]; then designer=designer; fi  # the build has the plugin
bash "$here/check_host.sh" "$scratch/prefix" "$scratch" "$build" $designer
