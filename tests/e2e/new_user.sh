#!/usr/bin/env bash
# Tried as a new user would: letters, an empty text, 10,000 characters (pasted) and huge numbers
# typed into every number field of the main window. The program never crashes, and each field
# ends in the value that its exit rule gives, read back from the settings file after Exit. The
# same texts become the name of memory preset 1 (a name, any text goes; names are not stored).
# Every round starts from the same stored settings (fs 44100, slider ends 20 and 500 Hz).
# Usage: new_user.sh PATH/TO/vpg PATH/TO/vpg-send   (exit 77: skipped, a tool is missing)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init new_user "$@"
e2e_need Xvfb xdotool xclip import convert python3

start_x
long=$(python3 -c 'print("1234567890" * 1000, end="")')
((${#long} == 10000)) || fail "the long text is ${#long} characters"

# The fields in the order typed. The sweep's final frequency is shown by F5 (preset 1 holds the
# sweep layout at start-up). The start frequency comes last: Tab passes through the slider's
# upper end, whose exit rule lowers a start frequency above it to the end (500), as it should.
order=(fFinalLeft MinFreqEdit MaxFreqEdit txtRound AmplitudeLeft AmplitudeRight Duration
    PhaseEdit txtPulseLength fInitLeft)

# round NAME INPUT EXPECTED...: EXPECTED in the order above. INPUT "@long" is the long text,
# pasted from the clipboard.
round() {
    local label=$1 input=$2 i name got clip_pid="" dialogs
    shift 2
    local expected=("$@")
    seed_settings
    start_vpg
    main=$(main_window)
    keys "$main" F5
    if [[ $input == @long ]]; then
        printf '%s' "$long" | xclip -quiet -selection clipboard >>"$work/logs/xclip.log" 2>&1 &
        clip_pid=$!
        E2E_PIDS+=("$clip_pid")
        sleep 0.3
    fi
    for name in "${order[@]}"; do
        # shellcheck disable=SC2086
        click_main "$main" ${FIELD[$name]}
        xdotool key ctrl+a BackSpace
        if [[ $input == @long ]]; then
            xdotool key ctrl+v
        elif [[ -n $input ]]; then
            xdotool type --delay 2 -- "$input"
        fi
        xdotool key Tab
        sleep 0.3
        # Above half the sampling rate the frequency fields ask whether to open the output
        # settings: No.
        if id=$(xdotool search --onlyvisible --name '^Information$' 2>/dev/null | tail -n1) &&
            [[ -n $id ]]; then
            keys "$id" Escape
        fi
        vpg_running || fail "$label: vpg ended after typing into $name"
    done
    # The name field of memory preset 1 (right-click, Rename): any text is a name.
    point_main "$main" 613 355
    xdotool click 3
    sleep 0.4
    xdotool key Down Down Return
    sleep 0.3
    xdotool key ctrl+a BackSpace
    if [[ $input == @long ]]; then
        xdotool key ctrl+v
    elif [[ -n $input ]]; then
        xdotool type --delay 2 -- "$input"
    fi
    xdotool key Return
    sleep 0.3
    vpg_running || fail "$label: vpg ended after renaming memory preset 1"
    [[ -n $clip_pid ]] && stop "$clip_pid"
    keys "$main" ctrl+x
    wait_vpg_exit 10 || fail "$label: vpg ended with status $?"
    for i in "${!order[@]}"; do
        name=${order[$i]}
        got=$(setting "$name")
        [[ $got == "${expected[$i]}" ]] ||
            fail "$label: $name ended as '${got:0:40}', not '${expected[$i]}'"
    done
    dialogs=$(grep -c '^vpg: dialog' "$(vpg_log)" || true)
    pass "$label into every field: $(for i in "${!order[@]}"; do printf '%s=%s ' "${order[$i]}" "$(setting "${order[$i]}")"; done)($dialogs dialogs so far)"
}

# A number too large for a field is brought to the field's end, on every road: a frequency to
# 22049 (the highest whole hertz below half the sampling rate, after the notice, answered No),
# the duration to the longest signal at 44100 Hz, the phase to 360, the pulse length to 50, a
# level to 0. Read as a 32-bit float, 99999999999 is 99999997952, which the rounding step
# writes back with the fewest digits that read as that float.
#     what             typed        fFinal Min Max txtRound     AmpL AmpR Duration    Phase Pulse fInit
round "letters"        abc          1000   20  500 1            0    0    1           0     10    1000
round "an empty text"  ""           1000   ""  ""  1            0    0    1           0     10    1000
round "10,000 digits"  @long        22049  20  500 1            0    0    48695.7734  360   50    22049
round "1e999"          1e999        22049  20  500 1            0    0    48695.7734  360   50    22049
round "99999999999"    99999999999  22049  20  500 100000000000 0    0    48695.7734  360   50    22049
