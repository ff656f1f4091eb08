#!/usr/bin/env bash
# What the panel shows is what plays: a pulse as long as the period still leaves the lamp a
# dark sample in every period; stored values that no field could hold come back under their
# fields' rules, and the sound uses them; refused messages say why and change nothing; a stored
# device that is gone falls back to the system default with a notice. Measured in the capture.
# Usage: panel_truth.sh PATH/TO/vpg PATH/TO/vpg-send   (exit 77: skipped, a tool is missing)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init panel_truth "$@"
e2e_need Xvfb xdotool pulseaudio pactl parec import convert python3

# As a hand-edited settings file or an older version could leave them: a device that is gone,
# a pulse length of 20 digits, a duration that is no number, a level far above full scale.
seed_settings fInitLeft=1000 txtPulseLength=12345678901234567890 Duration=nan \
    AmplitudeLeft=99999999999 WaveDevice=dword:9
start_x
start_pulse 44100
start_vpg

# --- the device that is gone: one notice, then the system default
box=$(message_box none 20)
wait_for 5 dialog_seen "no longer available" || fail "no notice about the stored device"
echo "at start-up: $(grep -o 'The output device used last time.*' "$(vpg_log)" | head -n1)"
keys "$box" Return
main=$(main_window)
pass "a stored device that is gone: the notice, and the program starts"

# --- refused messages: exit 2 with the reason, nothing changes
expect_status() {  # expect_status STATUS TEXT ARGS...: vpg-send's exit status and what it says
    local want=$1 says=$2 status=0
    shift 2
    "$vpg_send" "$@" >"$work/send.out" 2>"$work/send.err" || status=$?
    ((status == want)) || fail "vpg-send $*: exit $status, not $want: $(cat "$work/send.err")"
    [[ -z $says ]] || grep -qF -- "$says" "$work/send.err" ||
        fail "vpg-send $*: said '$(cat "$work/send.err")', not '$says'"
    echo "vpg-send $*: exit $status $(head -n 1 "$work/send.err")"
}
expect_status 2 "the frequency must be" 1031 5000000
expect_status 2 "refused the message: the frequency must be below 22050 Hz" 1031 2205000
expect_status 2 "refused the message: there is no output device 999" 1047 999
expect_status 2 "unknown message number 99999" 99999
expect_status 2 "the preset slot (LPARAM) must be 1 to 4" 1048 0 5
expect_status 2 "the duration must be from 0.1 s" 1034 0
expect_status 0 "" 1034 30
expect_status 0 "" 1035 0
pass "vpg-send: refused messages exit 2 and say why"

# --- what plays: 1000 Hz with the stored 20-digit pulse length, which is 50 samples, at a
# period of 44 samples: at most 43 of them lit, at least one dark.
record_start "$work/pulses.raw"
turn_on "$main" "F11 did not start"
# 1034 30 and 1035 0: three seconds, then the output ends by itself.
wait_for 10 lamp_is "$main" "$MAROON" || fail "the 3 s signal did not end by itself"
record_stop
sound_span "$work/pulses.raw"
measure "$work/pulses.raw" "$(add "$FIRST" 0.2)" "$(add "$FIRST" 1.2)"
echo "1000 Hz, pulse length 50: sine ${M[left_hz]} Hz at ${M[left_dbfs]} dBFS; pulses" \
    "${M[right_hz]} Hz, period ${M[right_period]}, width ${M[right_width]}, base ${M[right_base]}"
expect_within "the sine" "${M[left_hz]}" 999.9 1000.1
expect_within "the sine's level (the stored 99999999999 dBFS is 0)" "${M[left_dbfs]}" -0.1 0.01
[[ ${M[right_hz]} != none ]] || fail "the lamp channel is a steady level: no pulses at all"
expect_within "the pulse rate" "${M[right_hz]}" 1002 1003
[[ ${M[right_period]} == 44 ]] || fail "the pulses are ${M[right_period]} samples apart, not 44"
read -r _ widest <<<"${M[right_width]}"
((widest == 43)) || fail "the widest pulse is $widest samples, not 43 (one dark sample left)"
[[ ${M[right_base]} == 0 ]] || fail "the lamp channel's dark samples are at ${M[right_base]}"
pass "a pulse as long as the period leaves one dark sample in each (width ${M[right_width]})"
expect_within "the signal's length (1034 30)" "$LENGTH" 2.9 3.1

# --- what the fields show is what was played, and it is what Exit stores
keys "$main" ctrl+x
wait_vpg_exit 10 || fail "vpg ended with status $?"
for pair in txtPulseLength=50 Duration=3 AmplitudeLeft=0 fInitLeft=1000 WaveDevice=0; do
    got=$(setting "${pair%%=*}")
    [[ $got == "${pair#*=}" ]] || fail "${pair%%=*} was stored as '$got', not '${pair#*=}'"
done
pass "Exit stores what played: txtPulseLength=50 Duration=3 AmplitudeLeft=0 WaveDevice=0"
