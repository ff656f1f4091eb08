#!/usr/bin/env bash
# The sound server killed while vpg plays: the message "Sound Device Error: ..." appears, the
# lamp turns maroon, the program keeps answering (the display window opens), and once the server
# is back, ON plays again.
# Usage: device_loss.sh PATH/TO/vpg PATH/TO/vpg-send   (exit 77: skipped, a tool is missing)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init device_loss "$@"
e2e_need Xvfb xdotool pulseaudio pactl parec import convert python3

seed_settings fInitLeft=200
start_x
start_pulse 44100
start_vpg
main=$(main_window)
turn_on "$main" "ON did not start"
sleep 1
kill_pulse
killed=$SECONDS
box=$(message_box "$main" 15)
wait_for 5 dialog_seen "Sound Device Error: " || fail "no 'Sound Device Error' message"
message=$(grep -o 'Sound Device Error: .*' "$(vpg_log)" | head -n1)
echo "$((SECONDS - killed)) s after the kill: $message"
wait_for 5 lamp_is "$main" "$MAROON" || fail "the lamp is $(lamp "$main") after the device failed"
[[ $(title_of "$main") == "Vimbrel Pulse Generator 1.2" ]] ||
    fail "the title still says '$(title_of "$main")'"
keys "$box" Return
pass "the sound server killed: the message, and the lamp maroon"

keys "$main" ctrl+d
display=$(window '^Frequency$' 10)
[[ -n $display ]] || fail "Ctrl+D did not show the display window"
pass "the window still answers: Ctrl+D shows the display"

start_pulse 44100
record_start "$work/again.raw"
turn_on "$main" "ON did not start after the server came back"
sleep 1.5
turn_off "$main" "OFF did not stop"
record_stop
sound_span "$work/again.raw"
measure "$work/again.raw" "$(add "$FIRST" 0.2)" "$(add "$FIRST" 1.2)"
expect_within "the sine after the server came back" "${M[left_hz]}" 199.99 200.01
pass "with the server back, ON plays again (${M[left_hz]} Hz)"
keys "$main" ctrl+x
wait_vpg_exit 10 || fail "vpg ended with status $?"
