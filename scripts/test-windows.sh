#!/usr/bin/env bash
# Runs the Windows tests under wine64: builds build-win64/ when needed, prepares a private Wine
# prefix whose sound goes through Wine's ALSA driver into a file (ALSA's `file` plugin over a
# `null` device, so nothing waits for a sound card), runs vpg_tests.exe (the portable tests and
# the Windows platform's), then lists with `reg query` what the registry store wrote.
# Arguments go to the test program, e.g. --gtest_filter='Winmm*'.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(wine64 libasound2 xvfb x11-utils)
bash scripts/install-deps.sh "${packages[@]}"

bash scripts/build-windows.sh win64

build=$PWD/build-win64

# No test double in vpg.exe or vpg-send.exe; the test program holds them, which shows that the
# check finds them in a stripped program too.
echo "== test doubles in the programs"
doubles=(--nm x86_64-w64-mingw32-nm --doubles tests/support/doubles)
python3 scripts/check_program_symbols.py "${doubles[@]}" "$build/vpg.exe" "$build/vpg-send.exe"
python3 scripts/check_program_symbols.py --expect "${doubles[@]}" "$build/tests/vpg_tests.exe" \
    >/dev/null

tests=$build/tests/vpg_tests.exe
capture=$build/wine-capture.raw
testKey='HKLM\Software\Halvane\Vimbrel Pulse Generator Test'

# shellcheck source=tests/e2e/sandbox.sh
source tests/e2e/sandbox.sh
e2e_begin test-windows
wine=$WINE
# Everything Wine and ALSA read or write stays in the build folder.
export HOME=$build/wine-home
export WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml='  # no Mono or Gecko installer
mkdir -p "$HOME"

# The views' tests make real windows: an X display of their own.
start_x 1280x1024x24 ""
wine_prefix "$build/wine-prefix"
alsa_file_capture "$capture"
# The tests read what winmm played from here (Wine's Z: is the Linux root).
export VPG_CAPTURE_FILE="Z:${capture//\//\\}"

echo "== vpg_tests.exe under wine64"
log=$build/wine-tests.log
status=0
"$wine" "$tests" "$@" 2>&1 | tr -d '\r' | tee "$log" || status=$?
((status == 0)) || exit "$status"
if grep -q '^\[  SKIPPED \]' "$log"; then
    echo "some tests were skipped under Wine" >&2
    exit 1
fi

echo "== reg query of the key the registry store wrote"
VPG_KEEP_REGISTRY_TEST_KEY=1 "$wine" "$tests" \
    --gtest_filter='RegistryStoreTest.TheProgramsCloseAndNextStartGoThroughTheRegistry' >/dev/null
# reg.exe writes to a pipe in the OEM code page (437 here).
query=$("$wine" reg query "$testKey" | tr -d '\r' | iconv -f CP437 -t UTF-8)
"$wine" reg delete "$testKey" /f >/dev/null
echo "$query"
if ! grep -q 'REG_SZ' <<<"$query" || ! grep -q 'REG_DWORD' <<<"$query"; then
    echo "reg query does not list the store's values with their kinds" >&2
    exit 1
fi
