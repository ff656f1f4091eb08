#!/usr/bin/env bash
# ON plays, OFF stops, a short signal ends by itself: what reaches a real-time sound card (a
# PulseAudio null sink, recorded from its monitor at the program's own 44100 Hz, so that no
# resampling blurs the pulses) is measured against the settings, and the status lamp is read
# from the screen.
# Usage: play.sh PATH/TO/vpg PATH/TO/vpg-send   (exit 77: skipped, a tool is missing)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init play "$@"
e2e_need Xvfb xdotool pulseaudio pactl parec import convert python3

# Sine at -6 dBFS, pulses at -3 dBFS, pulse length 5, delta slider at 10 (0.2 Hz).
seed_settings fInitLeft=100 AmplitudeLeft=-6 AmplitudeRight=-3 txtPulseLength=5 \
    FreqSliderRight=dword:10
start_x
start_pulse 44100
start_vpg
main=$(main_window)
lamp_is "$main" "$MAROON" || fail "the lamp is $(lamp "$main") before ON, not maroon"

# --- ON, two and a half seconds, OFF.
record_start "$work/on.raw"
turn_on "$main" "the lamp did not turn green after ON"
[[ $(title_of "$main") == "ON - Vimbrel Pulse Generator 1.2" ]] ||
    fail "the title while playing is '$(title_of "$main")'"
sleep 2.5
off=$(since "$(now)" "$REC_T0")
turn_off "$main" "the lamp did not turn maroon after OFF"
sleep 1.5
record_stop
sound_span "$work/on.raw"
# The steady part: half a second after the sound began, for 1.5 s.
measure "$work/on.raw" "$(add "$FIRST" 0.5)" "$(add "$FIRST" 2.0)"
echo "ON: ${M[left_hz]} Hz at ${M[left_dbfs]} dBFS left; pulses ${M[right_hz]} Hz," \
    "${M[right_width]} samples wide, ${M[right_dbfs]} dBFS, baseline ${M[right_base]}"
expect_within "the sine's frequency" "${M[left_hz]}" 99.99 100.01
expect_within "the sine's peak (dBFS)" "${M[left_dbfs]}" -6.05 -5.95
# Whole-sample periods: 44100 / Round(44100 / 100.2) = 44100 / 440.
expect_within "the pulse rate" "${M[right_hz]}" 100.222 100.232
# A pulse of length L is high for L + 1 samples (the counter's 0 to L).
[[ ${M[right_width]} == "6 6" ]] || fail "the pulses are ${M[right_width]} samples wide, not 6"
expect_within "the pulses' height (dBFS)" "${M[right_dbfs]}" -3.05 -2.95
[[ ${M[right_base]} == 0 ]] || fail "the pulse channel's baseline reaches ${M[right_base]}"
[[ ${M[left_zero]} == 0 ]] || fail "the sine channel is silent"
pass "ON plays the sine left and the pulses right at the set frequency, width and levels"

# OFF drops what is queued: nothing plays a second after it (the sink's own latency aside).
analyze silent-after "$work/on.raw" --rate 44100 --start "$(add "$off" 1.0)" ||
    fail "sound went on more than a second after OFF (at ${off}s, the sound ended at ${LAST}s)"
echo "OFF at ${off}s into the capture; the last sound at ${LAST}s"
pass "OFF stops the output and the lamp turns maroon"

# --- One second without Loop: it ends by itself.
set_field "$main" Duration 1
# shellcheck disable=SC2086
click_main "$main" $LOOP_BOX
[[ $(lamp "$main") == "$MAROON" ]] || fail "the lamp changed while setting the duration"
record_start "$work/short.raw"
start=$(now)
turn_on "$main" "the lamp did not turn green for the short signal"
wait_for 10 lamp_is "$main" "$MAROON" || fail "the lamp stayed green after a 1 s signal"
lit=$(since "$(now)" "$start")
sleep 0.5
record_stop
sound_span "$work/short.raw"
echo "1 s without Loop: ${LENGTH}s of sound in the capture; ON to the lamp maroon: ${lit}s"
# The capture runs at the sink's real-time pace, so the sound's length is its real duration:
# 44100 frames, give or take the first and last samples that happen to be zero.
expect_within "the short signal's sound" "$LENGTH" 0.99 1.01
# Wall-clock, with the buffers still queued after the signal's end (0.4 s), the sound server's
# latency and the screen polling on a busy machine: generous bounds, only to show it ends.
expect_within "ON to lamp maroon (s)" "$lit" 0.7 4.0
keys "$main" ctrl+x
wait_vpg_exit 10 || fail "vpg ended with status $?"
[[ $(setting Duration) == 1 && $(setting Loop) == 0 ]] ||
    fail "Exit stored Duration '$(setting Duration)' and Loop '$(setting Loop)'"
pass "a 1 s signal without Loop lasts ${LENGTH}s and the lamp returns to maroon"
