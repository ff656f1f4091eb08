#!/usr/bin/env bash
# Settings survive a restart through the settings file: fields typed with the keyboard, Exit,
# the file read, a new start that plays what was typed and writes the same values back. With
# the configuration folder read-only, closing says "Failed to set data for '...'" and offers
# to close without saving: No keeps the window, Yes closes it and the old file stays as it was.
# Usage: settings.sh PATH/TO/vpg PATH/TO/vpg-send   (exit 77: skipped, a tool is missing)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init settings "$@"
e2e_need Xvfb xdotool pulseaudio pactl parec import convert python3 unshare sha256sum

seed_settings
start_x
start_pulse 44100
start_vpg
main=$(main_window)

# What a person types (after the fields' own rules these stay as typed), and the Loop box.
declare -A typed=(
    [fInitLeft]=123.5 [Duration]=2.5 [AmplitudeLeft]=-12 [AmplitudeRight]=-9 [PhaseEdit]=45
    [txtPulseLength]=20 [txtRound]=0.5 [MinFreqEdit]=10 [MaxFreqEdit]=1000
)
# The slider's ends first: the start frequency must lie between them.
for name in MinFreqEdit MaxFreqEdit fInitLeft Duration AmplitudeLeft AmplitudeRight PhaseEdit \
    txtPulseLength txtRound; do
    set_field "$main" "$name" "${typed[$name]}"
done
# shellcheck disable=SC2086
click_main "$main" $LOOP_BOX
keys "$main" ctrl+x
wait_vpg_exit 10 || fail "vpg ended with status $?"

check_file() {  # check_file WHEN: the settings file holds what was typed
    local name
    for name in "${!typed[@]}"; do
        [[ $(setting "$name") == "${typed[$name]}" ]] ||
            fail "$1: the settings file has $name '$(setting "$name")', not '${typed[$name]}'"
    done
    [[ $(setting Loop) == 0 ]] || fail "$1: the settings file has Loop $(setting Loop)"
}
check_file "after Exit"
pass "Exit wrote the typed fields: $(for n in "${!typed[@]}"; do printf '%s=%s ' "$n" "$(setting "$n")"; done)Loop=0"

# --- A new start plays what was typed: 123.5 Hz at -12 dBFS, pulses at -9 dBFS, 21 samples
# wide, for 2.5 s (no Loop).
start_vpg
main=$(main_window)
record_start "$work/restart.raw"
turn_on "$main" "ON did not start after the restart"
wait_for 10 lamp_is "$main" "$MAROON" || fail "the 2.5 s signal did not end"
sleep 0.5
record_stop
sound_span "$work/restart.raw"
measure "$work/restart.raw" "$(add "$FIRST" 0.3)" "$(add "$LAST" -0.3)"
echo "after the restart: ${LENGTH}s of a ${M[left_hz]} Hz sine at ${M[left_dbfs]} dBFS," \
    "pulses ${M[right_width]} samples wide at ${M[right_dbfs]} dBFS"
expect_within "the sound's length" "$LENGTH" 2.49 2.51
expect_within "the sine" "${M[left_hz]}" 123.49 123.51
expect_within "the sine's peak" "${M[left_dbfs]}" -12.05 -11.95
expect_within "the pulses' height" "${M[right_dbfs]}" -9.05 -8.95
[[ ${M[right_width]} == "21 21" ]] || fail "the pulses are ${M[right_width]} samples wide, not 21"
keys "$main" ctrl+x
wait_vpg_exit 10 || fail "vpg ended with status $?"
check_file "after the second Exit"
pass "a new start plays the stored values and writes them back unchanged"

# --- The configuration folder read-only.
before=$(sha256sum <"$(settings_file)")
start_vpg_readonly_config
main=$(main_window)
set_field "$main" fInitLeft 555
keys "$main" ctrl+x
box=$(message_box "$main")
wait_for 5 dialog_seen "Failed to set data for '" || fail "no 'Failed to set data' message"
grep -o "Failed to set data for '[^']*'" "$work/logs/vpg.log" | head -n1
keys "$box" Return
confirm=$(window '^Confirm$')
wait_for 5 dialog_seen "Close the program without saving them?" ||
    fail "no offer to close without saving"
keys "$confirm" Escape  # No
sleep 1
vpg_running || fail "No closed the program"
main=$(main_window)
[[ $(xdotool search --onlyvisible --name '^Confirm$' 2>/dev/null) == "" ]] ||
    fail "the question stayed open"
pass "read-only folder, Exit: the message, then No keeps the window open"
keys "$main" ctrl+x
box=$(message_box "$main")
keys "$box" Return
confirm=$(window '^Confirm$')
keys "$confirm" Return  # Yes
wait_vpg_exit 10 || fail "vpg ended with status $? after Yes"
[[ $(sha256sum <"$(settings_file)") == "$before" ]] || fail "the settings file changed"
(($(grep -c "Failed to set data for '" "$work/logs/vpg.log") == 2)) ||
    fail "the message did not show at each close"
pass "Yes closes the program without saving; the old file is untouched"
