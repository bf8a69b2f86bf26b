#!/usr/bin/env bash
# Installs what is needed, builds, and runs the main job.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target zylcarto_cli
cli=build/apps/zylcarto/zylcarto
"$cli" --help
echo "UTM of Vienna (48.2 N, 16.4 E):"
"$cli" utm 48.2 16.4
