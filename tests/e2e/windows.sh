#!/usr/bin/env bash
# The Windows program end to end, under wine64 and Xvfb: vpg.exe starts with its splash and the
# welcome notice (its box ticked), shows its main window, plays (the sound captured through
# ALSA's file plugin and measured), obeys vpg-send.exe and the hot key, opens each window and
# its help topic, saves every setting in the registry at Exit and restores them at the next
# start. Screenshots of every window go to the folder given.
#
#   bash tests/e2e/windows.sh SCREENSHOT_FOLDER
#
# It uses build-win64/ (made with scripts/build-windows.sh win64 when missing), a private Wine
# prefix and HOME, and an Xvfb display of its own; it ends every process it starts by its id.
set -euo pipefail

if [[ $# -ne 1 || $1 == -h || $1 == --help ]]; then
    echo "usage: $0 SCREENSHOT_FOLDER" >&2
    exit 2
fi
root=$(cd "$(dirname "$0")/../.." && pwd)
mkdir -p "$1"
shots=$(cd "$1" && pwd)
build=$root/build-win64

packages=(wine64 fonts-wine libasound2 xvfb xdotool x11-utils x11-apps imagemagick python3
          fonts-liberation xclip)
bash "$root/scripts/install-deps.sh" "${packages[@]}"
if [[ ! -x $build/vpg.exe || ! -x $build/vpg-send.exe || ! -f $build/vpg.chm ]]; then
    bash "$root/scripts/build-windows.sh" win64
fi

# shellcheck source=tests/e2e/sandbox.sh
source "$root/tests/e2e/sandbox.sh"
e2e_begin windows /tmp/vpg-e2e-windows.XXXXXX
E2E_FAILURE_SHOT=$shots/failure.png
wine=$WINE
export HOME=$work/home
# No Mono or Gecko installer, and no web browser control: the help viewer has no page to show
# here and waits for one; HtmlHelpW's trace shows each call all the same.
export WINEDLLOVERRIDES='mscoree,mshtml,ieframe,shdocvw='
# Only the help viewer's calls are traced: they show HtmlHelpW's file, command and topic.
export WINEDEBUG=-all,+htmlhelp
mkdir -p "$HOME"
capture=$work/capture.raw
log=$work/logs/vpg.log
fs=44100

# A failure leaves vpg.exe's output beside the screenshots.
save_log() {
    if ((E2E_STATUS != 0)) && [[ -f $log ]]; then
        tr -d '\r' <"$log" >"$shots/vpg-failure.log"
        echo "--- vpg.exe's output: $shots/vpg-failure.log" >&2
    fi
}
E2E_AT_EXIT+=(save_log)

# --- a display of our own, large enough that the centred windows stand clear of the help
# viewer's place (80,60-980,700) ------------------------------------------------------------
start_x 2560x1920x24 ""

# --- the Wine prefix: sound through ALSA into a file; Wine draws the window frames itself (there
# is no window manager); the Windows fonts' names lead to their metric twins -------------------
wine_prefix "$work/prefix"
reg_add() { wine_reg_add "$@"; }
reg_add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N
reg_add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans'
reg_add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Courier New' /d 'Liberation Mono'
alsa_file_capture "$capture"
key='HKLM\Software\Halvane\Vimbrel Pulse Generator'
# The output settings as that window stores them: 44100 Hz, four buffers of 16384 bytes.
reg_add "$key" /v Fs /t REG_DWORD /d 3
reg_add "$key" /v Buffers /t REG_DWORD /d 2
reg_add "$key" /v BufferSize /t REG_DWORD /d 2

# --- helpers --------------------------------------------------------------------------------
# The X window of a Windows window whose caption matches (an anchored regular expression).
window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
wait_window() {
    local w
    for _ in $(seq 150); do
        w=$(window "$1")
        [[ -n $w ]] && { echo "$w"; return 0; }
        sleep 0.2
    done
    return 1
}
focus() { xdotool windowfocus --sync "$1" && sleep 0.3; }
# A click into the window's bottom left corner, where no control lies in any of our windows:
# makes it Wine's active window even while another window of the program (the help viewer)
# stands over most of it.
activate() {
    local height
    height=$(xwininfo -id "$1" | awk '/Height:/ {print $2}')
    focus "$1"
    xdotool mousemove --window "$1" 20 "$((height - 4))" click 1
    sleep 0.5
}
keys() {
    local w=$1
    shift
    focus "$w"
    xdotool key --delay 120 "$@"
    sleep 0.8
}
shot() { import -window "$1" "$shots/$2.png"; }
size() { stat -c %s "$capture" 2>/dev/null || echo 0; }
playing() {
    local a b
    a=$(size)
    sleep 1
    b=$(size)
    ((b > a))
}
# Measures the last second of the capture; prints the measurement.
measure_last() {
    sleep 1.5
    local seconds
    seconds=$(python3 -c "import os;print(os.path.getsize('$capture')/4/$fs)")
    python3 "$E2E_DIR/analyze.py" tone "$capture" --rate "$fs" --start "$(python3 -c "print(max(0,$seconds-1.0))")"
}
# Checks the measurement against the frequency: the sine within 0.5 %, the pulses within one
# sample of their period (the pulse period is a whole number of samples).
expect_tone() {
    local line=$1 hz=$2
    python3 - "$line" "$hz" "$fs" <<'PY' || fail "expected $2 Hz, measured: $1"
import sys
fields = dict(kv.split("=") for kv in sys.argv[1].split())
hz, fs = float(sys.argv[2]), float(sys.argv[3])
left, right = float(fields["left_hz"]), float(fields["right_pulses_hz"])
period = fs / hz
ok = abs(left - hz) <= hz * 0.005 and fs / (period + 1) <= right <= fs / (period - 1)
sys.exit(0 if ok else 1)
PY
}
wait_gone() {
    for _ in $(seq 100); do
        [[ -z $(window "$1") ]] && return 0
        sleep 0.2
    done
    return 1
}
send() { "$wine" "$build/vpg-send.exe" "$@"; }
# send_ok ARGS...: the message is taken (exit 0), or the run fails.
send_ok() {
    local status=0
    send "$@" || status=$?
    ((status == 0)) || fail "vpg-send.exe $* exited $status"
}
start_vpg() {
    rm -f "$capture"
    (cd "$build" && exec "$wine" "$build/vpg.exe") >"$log" 2>&1 &
    vpg_pid=$!
    E2E_PIDS+=("$vpg_pid")
}
wait_exit() {
    for _ in $(seq 100); do
        kill -0 "$vpg_pid" 2>/dev/null || return 0
        sleep 0.2
    done
    return 1
}
help_calls() { tr -d '\r' <"$log" | grep -o 'HtmlHelpW (.*' || true; }
# expect_help TOPIC WHAT BEFORE: exactly one help call since BEFORE calls, for TOPIC.
expect_help() {
    local topic=$1 what=$2 before=$3
    sleep 1
    local calls count
    calls=$(help_calls | tail -n +"$((before + 1))")
    count=$(grep -c . <<<"$calls" || true)
    grep -q "vpg.chm\", command=HH_HELP_CONTEXT, data=$topic)" <<<"$calls" ||
        fail "F1 in $what: no HtmlHelpW call for topic $topic (calls: ${calls:-none})"
    ((count == 1)) || fail "F1 in $what: $count help calls, not one: $calls"
    pass "F1 in $what: one call, $(head -n 1 <<<"$calls")"
}
# click_main WINDOW X Y: a left click at design pixel X, Y (120 ppi) of the main window's
# client area, which lies under the menu bar at the window's bottom (Wine draws no frame here).
MAIN_CLIENT_H=564
click_main() {
    local height
    height=$(xwininfo -id "$1" | awk '/Height:/ {print $2}')
    xdotool mousemove --window "$1" "$(($2 * dpi / 120))" \
        "$((height - (MAIN_CLIENT_H - $3) * dpi / 120))" click 1
    sleep 0.3
}
clipboard() { xclip -o -selection clipboard 2>/dev/null || true; }
# The visible windows titled like the main window: itself, and message boxes of the program.
titled_main() { xdotool search --onlyvisible --name "$main_caption" 2>/dev/null | sort; }
viewable() { xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }
main_caption='^Vimbrel Pulse Generator 1\.2$'

# --- first start: the splash, the welcome notice, the main window ----------------------------
start_vpg
splash=
for _ in $(seq 100); do
    # The splash is the borderless window of the picture's size.
    splash=$(xwininfo -root -tree | awk '/"vpg.exe"/ && / 384x256\+/ {print $1; exit}')
    [[ -n $splash ]] && xwininfo -id "$splash" | grep -q IsViewable && break
    splash=
    sleep 0.1
done
[[ -n $splash ]] || fail "no splash window appeared"
sleep 0.4
shot "$splash" splash
pass "the splash is shown ($shots/splash.png)"

welcome=$(wait_window '^Welcome$') || fail "the welcome notice did not appear"
sleep 0.5
shot "$welcome" notice
# While the notice is up the program is still starting: a message is answered "busy" at once
# (exit 1) and does nothing, instead of opening a sound device error inside the notice.
sent_at=$SECONDS
status=0
send 1024 2>"$work/send.err" || status=$?
[[ $status == 1 ]] || fail "vpg-send.exe 1024 during the welcome notice: exit $status, $(cat "$work/send.err")"
grep -q 'busy' "$work/send.err" || fail "vpg-send.exe 1024 during the welcome notice said: $(cat "$work/send.err")"
((SECONDS - sent_at <= 3)) || fail "vpg-send.exe 1024 during the welcome notice took $((SECONDS - sent_at)) s"
[[ -n $(window '^Welcome$') ]] || fail "the welcome notice went away"
[[ -z $(window '^Sound Device Error') ]] || fail "a box opened inside the welcome notice"
pass "vpg-send.exe 1024 during the welcome notice: exit 1 at once, $(tr -d '\r' <"$work/send.err")"
# Tab past Yes and No to the check box, tick it, and answer with Escape (No).
keys "$welcome" Tab Tab space
shot "$welcome" notice-ticked
keys "$welcome" Escape
main=$(wait_window "$main_caption") || fail "the main window did not appear"
sleep 1
shot "$main" main
pass "the main window is shown ($shots/main.png)"
# Wine's screen resolution, which the program scales its design (120 ppi) to.
dpi=$("$wine" reg query 'HKCU\Control Panel\Desktop' /v LogPixels 2>/dev/null | tr -d '\r' |
    awk '/LogPixels/ {print $3}' || true)
dpi=$((${dpi:-96}))

# --- it plays -------------------------------------------------------------------------------
# Started up: the same message now plays.
send_ok 1024
playing || fail "vpg-send 1024 after start-up did not start the output"
m=$(measure_last)
expect_tone "$m" 100
pass "vpg-send.exe 1024 after start-up: exit 0, plays 100 Hz: $m"
send_ok 1025
sleep 0.5
playing && fail "vpg-send 1025 did not stop the output"
keys "$main" F11
playing || fail "F11 did not start the output"
m=$(measure_last)
expect_tone "$m" 100
pass "F11 plays 100 Hz: $m"

send_ok 1031 44100
m=$(measure_last)
expect_tone "$m" 441
pass "vpg-send 1031 44100 retunes to 441 Hz: $m"

send_ok 1025
sleep 0.5
playing && fail "vpg-send 1025 did not stop the output"
pass "vpg-send 1025 stops"
send_ok 1024
playing || fail "vpg-send 1024 did not start the output"
m=$(measure_last)
expect_tone "$m" 441
pass "vpg-send 1024 starts again: $m"

# --- the frequency display while it plays ---------------------------------------------------
keys "$main" ctrl+d
display_window=$(wait_window '^Frequency$') || fail "Ctrl+D did not show the frequency display"
sleep 1
shot "$display_window" display
pass "Ctrl+D shows the frequency display ($shots/display.png)"
# At 1000 Hz the flash line tells the whole-sample rate from the locked one.
send 1031 100000 || fail "vpg-send 1031 100000 failed"
sleep 1
shot "$display_window" display-1000
send 1049 1 || fail "vpg-send 1049 1 failed"
sleep 1
shot "$main" main-locked
shot "$display_window" display-locked
pass "1000 Hz unlocked and locked ($shots/display-1000.png, $shots/display-locked.png)"
send 1049 0
send 1031 44100

# --- the hot key ----------------------------------------------------------------------------
# Pressed while another window (the display) has the focus: Wine hands the registered hot key
# to the main window.
keys "$display_window" ctrl+Insert
playing && fail "Ctrl+Insert (hot key) did not stop the output"
pass "Ctrl+Insert from xdotool with the display focused stops the output (WM_HOTKEY)"
# Pressed while a program that is not Wine's has the focus, Wine does not see the key at all.
xmessage -geometry 240x60+900+40 "another program" >/dev/null 2>&1 &
other=$!
E2E_PIDS+=("$other")
other_window=$(wait_window '^xmessage$') || fail "xmessage did not appear"
keys "$other_window" ctrl+Insert
if playing; then
    pass "Ctrl+Insert with a non-Wine window focused started the output"
    send_ok 1025
else
    echo "note: Ctrl+Insert with a non-Wine window focused reaches no Wine program (Wine grabs no keys)"
fi
kill "$other" 2>/dev/null || true
# --- vpg-send.exe tells the truth ------------------------------------------------------------
# Exit 0 only when the generator acted on the message; 2 with the reason for an unknown number
# (never sent: WM_CLOSE, WM_SETREDRAW, WM_GETTEXT, the hot key's WM_HOTKEY) or a value out of
# range, whether vpg-send sees it (the slot of 1048) or only the generator does (a device the
# list lacks, a frequency at half its sampling rate).
expect_send() {
    local want=$1 says=$2 status=0
    shift 2
    send "$@" >"$work/send.out" 2>"$work/send.err" || status=$?
    tr -d '\r' <"$work/send.err" >"$work/send.err.txt"
    ((status == want)) || fail "vpg-send.exe $*: exit $status, not $want: $(cat "$work/send.err.txt")"
    [[ -z $says ]] || grep -qF -- "$says" "$work/send.err.txt" ||
        fail "vpg-send.exe $*: said '$(cat "$work/send.err.txt")', not '$says'"
    echo "vpg-send.exe $*: exit $status $(head -n 1 "$work/send.err.txt")"
}
expect_send 2 "unknown message number 99999" 99999
expect_send 2 "unknown message number 16" 16
expect_send 2 "unknown message number 11" 11 0 0
expect_send 2 "unknown message number 12" 12
expect_send 2 "unknown message number 786" 786 1
expect_send 2 "the preset slot (LPARAM) must be 1 to 4" 1048 0 5
expect_send 2 "1048 takes WPARAM 0 (recall) or 1 (store)" 1048 2 1
expect_send 2 "the generator refused the message" 1047 999
expect_send 2 "the generator refused the message" 1031 2205000
expect_send 2 "the frequency must be from 0.1 Hz" 1031 4294967295
expect_send 2 "the duration must be from 0.1 s" 1034 0
[[ -n $(window "$main_caption") ]] || fail "the generator is gone after the refused messages"
expect_send 0 "" 1047 -1
expect_send 0 "" 1048 1 4
send 1024
playing || fail "vpg-send 1024 after the refused messages did not start the output"
send 1025
sleep 0.5
pass "vpg-send.exe exits 0 only when the generator acted, 2 with the reason otherwise"

# --- help: F1 in each window ------------------------------------------------------------------
# The File menu first: the help viewer that the first call opens stands over the menu bar.
n=$(help_calls | wc -l)
keys "$main" alt+f
shot root file-menu
keys "$main" F1
expect_help 5 "the File menu" "$n"
keys "$main" Escape Escape

n=$(help_calls | wc -l)
activate "$main"
keys "$main" F1
expect_help 1 "the main window" "$n"

activate "$main"
keys "$main" ctrl+c
settings=$(wait_window '^Output Settings$') || fail "Ctrl+C did not show the output settings"
shot "$settings" settings
pass "Ctrl+C shows the output settings ($shots/settings.png)"
n=$(help_calls | wc -l)
activate "$settings"
keys "$settings" F1
expect_help 2 "the output settings" "$n"
# Enter presses Close (the default button) from the rate list: the window stores its
# settings as it closes.
activate "$settings"
keys "$settings" Return
wait_gone '^Output Settings$' || fail "Enter did not close the output settings"
pass "Enter in the output settings presses Close"

activate "$main"
keys "$main" alt+h a
about=$(wait_window '^About$') || fail "the Help menu did not show the About box"
sleep 0.5
shot "$about" about
pass "Help > About shows the About box ($shots/about.png)"
n=$(help_calls | wc -l)
activate "$about"
keys "$about" F1
expect_help 3 "the About box" "$n"
activate "$about"
keys "$about" Escape
wait_gone '^About$' || fail "Escape did not close the About box"
pass "Escape closes the About box"

# F1 in the frequency display (shown by Ctrl+D above): its own page, once.
display_window=$(wait_window '^Frequency$') || fail "the frequency display is not shown"
n=$(help_calls | wc -l)
activate "$display_window"
keys "$display_window" F1
expect_help 4 "the frequency display" "$n"

# --- editing keys in a field, the same keys outside one ----------------------------------------
send 1031 54321  # 543.21 Hz: a reset (Ctrl+Z as the menu's) would bring back 100 Hz
activate "$main"
focus "$main"
click_main "$main" 460 493  # the Duration field
xdotool key --delay 100 ctrl+a 3 ctrl+z  # typed over, then undone: 10 again
sleep 0.5
kill -0 "$vpg_pid" 2>/dev/null || fail "Ctrl+Z in the Duration field ended the program"
xdotool key --delay 100 ctrl+a ctrl+c
sleep 0.8
[[ -z $(window '^Output Settings$') ]] || fail "Ctrl+C in a field opened the output settings"
[[ $(clipboard) == 10 ]] || fail "Ctrl+Z, Ctrl+C in the field copied '$(clipboard)', not 10"
xdotool key --delay 100 ctrl+x
sleep 0.8
kill -0 "$vpg_pid" 2>/dev/null || fail "Ctrl+X in the Duration field ended the program"
xdotool key --delay 100 4 ctrl+v Tab  # 4 and the pasted 10: 410 s; the focus moves to Loop
sleep 0.5
pass "Ctrl+Z undid, Ctrl+C copied '10', Ctrl+X cut in the Duration field; the program runs on"
keys "$main" F11
playing || fail "F11 did not start the output"
m=$(measure_last)
expect_tone "$m" 543.21
pass "no reset ran: F11 plays 543.21 Hz: $m"
keys "$main" ctrl+c
settings=$(wait_window '^Output Settings$') || fail "Ctrl+C outside a field did not open the output settings"
sleep 0.5
playing && fail "opening the output settings did not stop the output"
pass "Ctrl+C outside a field opens the output settings and stops the output"
activate "$settings"
keys "$settings" Escape
wait_gone '^Output Settings$' || fail "Escape did not close the output settings"
pass "Escape closes the output settings"

# --- the volume control: no mixer in this Wine prefix, and the program says so --------------
for program in sndvol.exe sndvol32.exe; do
    [[ -z $(find "$WINEPREFIX/drive_c/windows" -maxdepth 2 -iname "$program" 2>/dev/null) ]] ||
        echo "note: $program exists in this Wine prefix"
done
activate "$main"
before=$(titled_main)
keys "$main" alt+v w
box=
for _ in $(seq 50); do
    box=$(comm -13 <(echo "$before") <(titled_main) | head -n 1)
    [[ -n $box ]] && break
    sleep 0.2
done
[[ -n $box ]] || fail "Volume Control: neither a mixer nor a message appeared"
sleep 0.5
shot "$box" volume-control-message
pass "Volume Control without a mixer says so in a message box ($shots/volume-control-message.png)"
keys "$box" Return
for _ in $(seq 25); do
    viewable "$box" || break
    sleep 0.2
done
viewable "$box" && fail "Enter did not close the message box"
pass "Enter closes the message"

# --- some fields changed by other programs' messages, then Exit --------------------------------
send_ok 1031 12345  # start frequency 123.45 Hz
send_ok 1033 200000 # final frequency 2000 Hz
send_ok 1034 25     # duration 2.5 s
send_ok 1035 0      # no loop
activate "$main"
keys "$main" ctrl+x
wait_exit || fail "Ctrl+X did not end the program"
pass "Ctrl+X (Exit) ends the program"
status=0
send 1024 2>"$work/send.err" || status=$?
((status == 2)) && grep -q "no Vimbrel Pulse Generator is running" "$work/send.err" ||
    fail "vpg-send with no program running: exit $status, $(cat "$work/send.err")"
pass "vpg-send with no program running: exit 2, $(head -n 1 "$work/send.err")"

query() { "$wine" reg query "$key" | tr -d '\r' | iconv -f CP437 -t UTF-8; }
first=$(query)
echo "$first" | tee "$shots/registry.txt"
values=(fInitLeft fFinalLeft AmplitudeLeft chkConstantLeft LogarithmicLeft BidirectionalLeft
        AmplitudeRight PhaseEdit FreqSliderRight txtPulseLength Duration Loop WaveDevice
        PresetAutoStart frmFrequencyDisplay FormX FormY DisplayX DisplayY DisplayW MinFreqEdit
        MaxFreqEdit txtRound Fs Buffers BufferSize Welcome)
for v in "${values[@]}"; do
    grep -Eq "^ +$v +REG_(SZ|DWORD) " <<<"$first" || fail "reg query lacks $v as REG_SZ or REG_DWORD"
done
grep -Eq '^ +fInitLeft +REG_SZ +123\.45$' <<<"$first" || fail "the start frequency was not saved"
grep -Eq '^ +Welcome +REG_DWORD +0x1$' <<<"$first" || fail "the ticked notice left no flag"
pass "reg query lists all ${#values[@]} values with their kinds; the welcome flag is there"

# --- second start: no welcome, everything restored --------------------------------------------
start_vpg
main=$(wait_window "$main_caption") || fail "the main window did not appear at the second start"
[[ -z $(window '^Welcome$') ]] || fail "the suppressed welcome notice appeared again"
wait_window '^Frequency$' >/dev/null || fail "the frequency display was not restored"
sleep 1
shot root restored
keys "$main" ctrl+x
wait_exit || fail "Ctrl+X did not end the second run"
second=$(query)
[[ $first == "$second" ]] || {
    diff <(echo "$first") <(echo "$second") >&2
    fail "the second run did not restore what the first saved"
}
pass "a second start restores every value (its Exit writes the same values back)"
echo "screenshots and registry.txt in $shots"
