#!/usr/bin/env bash
# Ctrl+Insert, pressed while another program's window has the keyboard focus, starts vpg's
# output and then stops it: the lamp and the sink's capture show both, and the focus stays
# with the other program.
# Usage: hot_key_toggle.sh PATH/TO/vpg PATH/TO/vpg-send   (exit 77: skipped, a tool is missing)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init hot_key_toggle "$@"
e2e_need Xvfb xdotool xmessage pulseaudio pactl parec import convert python3

seed_settings fInitLeft=150
start_x
start_pulse 44100
start_vpg
main=$(main_window)

xmessage -name vpg-other -title vpg-other "another program" 2>>"$work/logs/xmessage.log" &
E2E_PIDS+=($!)
other=$(window '^vpg-other$')
focus "$other"
[[ $(xdotool getwindowfocus) == "$other" ]] || fail "the other window did not take the focus"

record_start "$work/toggle.raw"
xdotool key ctrl+Insert
on=$(since "$(now)" "$REC_T0")
wait_for 5 lamp_is "$main" "$GREEN" || fail "Ctrl+Insert did not start the output"
[[ $(xdotool getwindowfocus) == "$other" ]] || fail "the focus left the other window"
sleep 2
xdotool key ctrl+Insert
off=$(since "$(now)" "$REC_T0")
wait_for 5 lamp_is "$main" "$MAROON" || fail "the second Ctrl+Insert did not stop the output"
[[ $(xdotool getwindowfocus) == "$other" ]] || fail "the focus left the other window"
sleep 1.5
record_stop

sound_span "$work/toggle.raw"
measure "$work/toggle.raw" "$(add "$FIRST" 0.3)" "$(add "$FIRST" 1.3)"
echo "hot key at ${on}s and ${off}s: sound from ${FIRST}s to ${LAST}s, sine ${M[left_hz]} Hz," \
    "pulses ${M[right_hz]} Hz"
expect_within "the sine's frequency" "${M[left_hz]}" 149.99 150.01
# The capture's clock is known to a few tens of milliseconds (the recorder's latency).
expect_within "the start after the first press (s)" "$(since "$FIRST" "$on")" -0.2 1.5
analyze silent-after "$work/toggle.raw" --rate 44100 --start "$(add "$off" 1.0)" ||
    fail "sound went on more than a second after the second press"
pass "Ctrl+Insert with another window focused starts and stops the output"
