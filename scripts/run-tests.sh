#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the normal build, the same
# suite under AddressSanitizer and UndefinedBehaviorSanitizer, and a short fuzz run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
jobs=${JOBS:-$(nproc)}

echo "== build (warnings are errors) and test"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZYLCARTO_BENCH=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== ABI of the shared libraries against abi/ (scripts/check-abi.sh --update records a deliberate change)"
bash scripts/check-abi.sh build

echo "== API reference (fails on an undocumented member of an installed header)"
cmake --build build --target docs

echo "== build and test under ASan + UBSan"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZYLCARTO_SANITIZE=ON
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS=suppressions="$root/scripts/lsan.supp":print_suppressions=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs"

echo "== fuzz the file readers briefly"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZYLCARTO_FUZZ=ON -DZYLCARTO_TESTS=OFF -DZYLCARTO_APPS=OFF -DZYLCARTO_WIDGETS=OFF
cmake --build build-fuzz -j"$jobs" --target $(awk '!/^#/ && NF {print $1}' fuzz/targets.txt)
bash scripts/run-fuzz.sh build-fuzz "${FUZZ_SECONDS:-30}"
