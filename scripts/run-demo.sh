#!/usr/bin/env bash
# Installs what is needed, builds the demo host zylcarto-demo and starts it.
# Without a display (neither $DISPLAY nor $WAYLAND_DISPLAY set) the demo runs its
# fixed script headless instead and writes a picture of its window; the file is
# $ZYLCARTO_SNAPSHOT, by default build/zylcarto-demo-snapshot.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target zylcarto_demo
demo=build/apps/demo/zylcarto-demo
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  echo "Starting zylcarto-demo; close its window to end."
  exec "$demo" "$@"
fi
out=${ZYLCARTO_SNAPSHOT:-$root/build/zylcarto-demo-snapshot.png}
"$demo" --snapshot "$out"
echo "No display found: the demo ran its script headless and wrote $out"
