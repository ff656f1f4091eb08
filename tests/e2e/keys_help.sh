#!/usr/bin/env bash
# The keys a user expects, and help without a web browser. In a text field Ctrl+Z, Ctrl+C,
# Ctrl+X and Ctrl+V undo, copy, cut and paste (the clipboard read back with xclip); outside a
# field Ctrl+C opens the Output Settings, Escape closes them, Ctrl+X ends the program, and the
# settings file shows that the field kept what the editing keys made and that no reset ran.
# Then F1 in the main window, the Output Settings and the frequency display opens the
# program's own help window at each one's page (no browser is set up here), and Escape closes
# it; screenshots in the run's folder (E2E_KEEP=1 keeps them).
# Usage: keys_help.sh PATH/TO/vpg PATH/TO/vpg-send   (exit 77: skipped, a tool is missing)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init keys_help "$@"
e2e_need Xvfb xdotool xclip import convert python3

start_x
# No desktop here to ask for a browser: whatever help shows, it shows by itself.
export PATH=/usr/local/sbin:/usr/sbin:/sbin:/usr/bin:/bin
export BROWSER=/bin/false
clipboard() { xclip -o -selection clipboard 2>/dev/null || true; }

# --- editing keys in a field, and the same keys outside one ---------------------------------
seed_settings Duration=10 txtPulseLength=20
start_vpg
main=$(main_window)
sleep 0.5
# shellcheck disable=SC2086 # the field's two coordinates
click_main "$main" ${FIELD[Duration]}
xdotool key ctrl+a
xdotool type --delay 5 -- 3
xdotool key ctrl+z  # undo: the 10 typed over comes back
sleep 0.3
vpg_running || fail "Ctrl+Z in the field ended vpg"
xdotool key ctrl+a ctrl+c
sleep 0.3
no_window '^Output Settings$' || fail "Ctrl+C in the field opened the Output Settings"
[[ $(clipboard) == 10 ]] || fail "Ctrl+Z then Ctrl+C in the field copied '$(clipboard)', not 10"
pass "Ctrl+Z in the Duration field undid the typing, Ctrl+C copied '$(clipboard)'"
xdotool key ctrl+x  # cut: the field is empty, the text on the clipboard
sleep 0.3
vpg_running || fail "Ctrl+X in the field ended vpg"
xdotool type --delay 5 -- 4
xdotool key ctrl+v  # paste after the 4
sleep 0.2
xdotool key Tab
sleep 0.3
pass "Ctrl+X in the field cut the text and vpg runs on; Ctrl+V pasted it"

# The focus is on the control after the field now: the keys are the menu's again.
keys "$main" ctrl+c
settings=$(window '^Output Settings$' 5)
pass "Ctrl+C outside a field opens the Output Settings"
keys "$settings" Escape
wait_for 5 no_window '^Output Settings$' || fail "Escape did not close the Output Settings"
pass "Escape closes the Output Settings"
keys "$main" ctrl+x
wait_vpg_exit 10 || fail "vpg ended with status $?"
[[ $(setting Duration) == 410 ]] || fail "Duration ended as '$(setting Duration)', not 410"
[[ $(setting txtPulseLength) == 20 ]] ||
    fail "the pulse length is '$(setting txtPulseLength)': Ctrl+Z reset the settings"
pass "Ctrl+X outside a field is Exit; the field holds 410 (4 + the pasted 10), no reset ran"

# --- help in the program's own window -------------------------------------------------------
seed_settings
start_vpg
main=$(main_window)
sleep 0.5
keys "$main" F1
help=$(window '^The main window - Vimbrel Pulse Generator Help$' 10)
sleep 0.5
import -window "$help" "$work/logs/help-main-window.png"
pass "F1 in the main window shows 'The main window' in the help window"

keys "$main" ctrl+c
settings=$(window '^Output Settings$' 5)
keys "$settings" F1
window '^Output Settings - Vimbrel Pulse Generator Help$' 10 >/dev/null
pass "F1 in the Output Settings shows their page"
keys "$settings" Return
wait_for 5 no_window '^Output Settings$' || fail "Enter did not close the Output Settings"
pass "Enter closes the Output Settings"

keys "$main" ctrl+d
display=$(window '^Frequency$' 5)
keys "$display" F1
help=$(window '^The frequency display - Vimbrel Pulse Generator Help$' 10)
sleep 0.5
import -window "$help" "$work/logs/help-frequency-display.png"
pass "F1 in the frequency display shows its page"
# One help window, reused for every topic.
count=$(xdotool search --onlyvisible --name 'Vimbrel Pulse Generator Help$' | wc -l)
((count == 1)) || fail "$count help windows are open"
! grep -q 'Unable to detect a launcher' "$(vpg_log)" || fail "vpg looked for a browser"
pass "one help window for every topic, no browser asked"
keys "$help" Escape
wait_for 5 no_window 'Vimbrel Pulse Generator Help$' || fail "Escape did not close the help window"
pass "Escape closes the help window"
keys "$main" ctrl+x
wait_vpg_exit 10 || fail "vpg ended with status $?"
