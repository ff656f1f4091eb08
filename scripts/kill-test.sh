#!/usr/bin/env bash
# kill -9 at 50 random moments of Exit's save: every time the settings file must be the old one
# or the new one, whole, with no temporary left beside it after the next start. The test
# command runs the same check with 10 kills.
#   scripts/kill-test.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" -j2 --target vpg_tests >/dev/null
VPG_KILL_TRIALS=${VPG_KILL_TRIALS:-50} "$build/tests/vpg_tests" \
    --gtest_filter='SettingsSave.AKilledSaveLeavesTheOldFileOrTheNewOneAndNoTemporary'
