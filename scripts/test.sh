#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the format check; the unit tests
# under AddressSanitizer and UndefinedBehaviorSanitizer, then again in the optimised build with
# the desktop program's end-to-end checks (Xvfb, a PulseAudio null sink) and its screenshots;
# then the Windows program, cross-built for i686 (zipped) and x86_64, tested under wine64.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)

echo "== format check"
git ls-files -- '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

echo "== sanitizer build"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVPG_SANITIZE=ON -DVPG_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure -j"$jobs")

echo "== release build"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")

echo "== the desktop program under a virtual X server"
if [[ -x build/apps/vpg ]]; then
    bash tests/e2e/screenshots.sh build/screenshots build/apps/vpg
fi

echo "== the Windows program: cross-built with mingw-w64, tested under wine64"
bash scripts/build-windows.sh
bash scripts/test-windows.sh
bash tests/e2e/windows.sh build-win64/screenshots
