#!/usr/bin/env bash
# "Lock flashes to the sine" as a user meets it: ticked with the mouse, the flashes of a
# 1000 Hz tone come at exactly 1000 Hz and each at the same phase of the sine; cleared by
# message 1049, they come every whole 44 samples again (1002.27 Hz). The tick survives Exit.
# What reaches the sound server's null sink is recorded at the program's own 44100 Hz.
# Usage: lock.sh PATH/TO/vpg PATH/TO/vpg-send   (exit 77: skipped, a tool is missing)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init lock "$@"
e2e_need Xvfb xdotool pulseaudio pactl parec import convert python3

# The check box's middle, in design pixels of the main window's client area: the delta group
# at 24, 250 and the box at 10, 68 in it, 22 pixels high.
FLASH_LOCK_BOX="42 329"

seed_settings fInitLeft=1000 MaxFreqEdit=2000
start_x
start_pulse 44100
start_vpg
main=$(main_window)

# play_measure RAW: plays for 2.5 s into RAW, then measures its steady part into M.
play_measure() {
    record_start "$1"
    turn_on "$main" "the lamp did not turn green after ON"
    sleep 2.5
    turn_off "$main" "the lamp did not turn maroon after OFF"
    sleep 0.5
    record_stop
    sound_span "$1"
    local name value
    M=()
    while read -r name value; do M[$name]=$value; done < <(analyze flash "$1" --rate 44100 \
        --start "$(add "$FIRST" 0.3)" --end "$(add "$FIRST" 2.3)")
}

# shellcheck disable=SC2086 # the box's two coordinates
click_main "$main" $FLASH_LOCK_BOX
play_measure "$work/locked.raw"
echo "locked: ${M[flash_count]} flashes at ${M[flash_hz]} Hz, sine phase spread ${M[flash_spread]} deg"
expect_within "the number of flashes measured" "${M[flash_count]}" 500 100000
expect_within "the locked flash rate" "${M[flash_hz]}" 999.99 1000.01
# One sample is 8.2 degrees of a 1000 Hz cycle at 44100 Hz; the nearer sample is within half.
expect_within "the sine's phase spread at the flashes (deg)" "${M[flash_spread]}" 0 10
pass "ticked, the flashes come at the speaker frequency and at one phase of the sine"

"$vpg_send" 1049 0 || fail "vpg-send 1049 0 failed"
play_measure "$work/unlocked.raw"
echo "unlocked: ${M[flash_count]} flashes at ${M[flash_hz]} Hz, phase spread ${M[flash_spread]} deg"
# 44100 / Round(44.1) = 44100 / 44.
expect_within "the unlocked flash rate" "${M[flash_hz]}" 1002.26 1002.28
expect_within "the unlocked phase spread (deg)" "${M[flash_spread]}" 300 360
pass "message 1049 0 clears the lock: whole-sample periods again"

"$vpg_send" 1049 1 || fail "vpg-send 1049 1 failed"
keys "$main" ctrl+x
wait_vpg_exit 10 || fail "vpg ended with status $?"
[[ $(setting FlashLock) == 1 ]] || fail "Exit stored FlashLock '$(setting FlashLock)', not 1"
pass "the lock set by message 1049 is stored at Exit"
