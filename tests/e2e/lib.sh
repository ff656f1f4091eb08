# shellcheck shell=bash
# shellcheck disable=SC2034 # the colours, M, LAST, LENGTH, ... are read by the scripts
# Shared by the end-to-end scripts of the Linux program: in the setting of sandbox.sh (the run's
# folder, processes ended by their ids, the X server), a private PulseAudio server with a null
# sink (a sound card that plays in real time into nothing; its monitor is recorded), vpg with a
# configuration folder of its own, and the helpers that drive and read them.
#
# A script sources this file, calls e2e_init NAME VPG VPG_SEND, then e2e_need for its tools.
# Exit status 77 means "skipped": a tool is missing, nothing was tested.

# shellcheck source=tests/e2e/sandbox.sh
source "$(dirname "${BASH_SOURCE[0]}")/sandbox.sh"
vpg=""
vpg_send=""
vpg_pid=""
pulse_pid=""
record_pid=""
SINK=vpg_e2e

e2e_init() {  # e2e_init NAME VPG VPG_SEND
    vpg=${2:?usage: $1.sh PATH/TO/vpg PATH/TO/vpg-send}
    vpg_send=${3:?usage: $1.sh PATH/TO/vpg PATH/TO/vpg-send}
    [[ -x $vpg && -x $vpg_send ]] || { echo "$1: no program at $vpg or $vpg_send" >&2; exit 2; }
    e2e_begin "$1"
    mkdir -m 700 "$work/run" "$work/home"
    mkdir -p "$work/config/halvane" "$work/cache"
    export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config \
        XDG_CACHE_HOME=$work/cache
    unset WAYLAND_DISPLAY PULSE_SERVER PULSE_SINK
    # Every dialog's caption and text on vpg's standard error, so that a script can read it.
    export VPG_TRACE_DIALOGS=1
}

# --- the sound server ---------------------------------------------------------------------

pulse_up() { pactl info >/dev/null 2>&1; }

# start_pulse [RATE]: a private PulseAudio with one null sink as its default, reached through
# $XDG_RUNTIME_DIR/pulse/native; ALSA's "default" goes to it through the pulse plugin. The
# sink runs at RATE (44100), so a stream at that rate reaches its monitor unresampled.
start_pulse() {
    local rate=${1:-44100}
    mkdir -p "$XDG_CONFIG_HOME/pulse"
    printf 'default-sample-rate = %s\nalternate-sample-rate = %s\navoid-resampling = yes\nenable-memfd = no\n' \
        "$rate" "$rate" >"$XDG_CONFIG_HOME/pulse/daemon.conf"
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --system=no \
        --disallow-exit --log-target=stderr --realtime=no --high-priority=no \
        -L "module-null-sink sink_name=$SINK rate=$rate channels=2 norewinds=1" \
        -L module-native-protocol-unix >>"$work/logs/pulseaudio.log" 2>&1 &
    pulse_pid=$!
    E2E_PIDS+=("$pulse_pid")
    wait_for 20 pulse_up || fail "PulseAudio did not start"
    pactl set-default-sink "$SINK"
}

# kill_pulse: the sound server goes away as a crash would take it.
kill_pulse() {
    kill -9 "$pulse_pid" 2>/dev/null || true
    wait "$pulse_pid" 2>/dev/null || true
}

# record_start FILE [RATE]: the sink's monitor as raw 16-bit stereo frames. The sink renders in
# long blocks while nobody asks for less, so the first frames arrive a while after the recorder
# connects; from then on they come at the real-time pace, and REC_T0 is the wall-clock time of
# the capture's first frame.
record_start() {
    REC_FILE=$1
    REC_RATE=${2:-44100}
    parec --device="$SINK.monitor" --format=s16le --rate="$REC_RATE" --channels=2 \
        --latency-msec=20 --raw >"$REC_FILE" 2>>"$work/logs/parec.log" &
    record_pid=$!
    E2E_PIDS+=("$record_pid")
    wait_for 10 test -s "$REC_FILE" || fail "the recorder received nothing"
    REC_T0=$(python3 -c 'import os, sys, time
print(f"{time.time() - os.path.getsize(sys.argv[1]) / 4 / int(sys.argv[2]):.6f}")' "$REC_FILE" "$REC_RATE")
}
# record_stop: once the capture holds everything up to now, the recorder ends.
record_stop() {
    local until
    until=$(since "$(now)" "$REC_T0")
    wait_for 5 python3 -c 'import os, sys
sys.exit(0 if os.path.getsize(sys.argv[1]) / 4 / int(sys.argv[2]) >= float(sys.argv[3]) else 1)' \
        "$REC_FILE" "$REC_RATE" "$until" || fail "the capture stopped short of ${until}s"
    stop "$record_pid"
    record_pid=""
}

# --- the program --------------------------------------------------------------------------

settings_file() { echo "$work/config/halvane/vimbrel-pulse-generator.reg"; }

# seed_settings [NAME=VALUE...]: a settings file as an earlier run would have left it, with the
# welcome notice switched off; NAME=dword:N for numbers, NAME=TEXT for texts. The output
# settings default to 44100 Hz (list position 3), four buffers of 16384 bytes.
seed_settings() {
    local file line name value
    file=$(settings_file)
    declare -A values=(
        [Welcome]=dword:1 [Fs]=dword:3 [Buffers]=dword:2 [BufferSize]=dword:2
        [WaveDevice]=dword:0 [Duration]=10 [Loop]=dword:1 [BidirectionalLeft]=dword:0
        [LogarithmicLeft]=dword:0 [AmplitudeLeft]=0 [txtPulseLength]=10 [AmplitudeRight]=0
        [PhaseEdit]=0 [FreqSliderRight]=dword:0 [PresetAutoStart]=dword:0
        [frmFrequencyDisplay]=dword:0 [FormX]=dword:100 [FormY]=dword:100 [DisplayX]=dword:900
        [DisplayY]=dword:100 [DisplayW]=dword:300 [MinFreqEdit]=20 [MaxFreqEdit]=500
        [txtRound]=1 [fInitLeft]=100 [fFinalLeft]=1000 [chkConstantLeft]=dword:1
    )
    for line in "$@"; do values[${line%%=*}]=${line#*=}; done
    {
        printf 'Windows Registry Editor Version 5.00\n\n'
        printf '[HKEY_LOCAL_MACHINE\\Software\\Halvane\\Vimbrel Pulse Generator]\n'
        for name in "${!values[@]}"; do
            value=${values[$name]}
            if [[ $value == dword:* ]]; then
                printf '"%s"=dword:%08x\n' "$name" "${value#dword:}"
            else
                printf '"%s"="%s"\n' "$name" "$value"
            fi
        done
    } >"$file"
}

# setting NAME: a value of the settings file as it stands (texts unquoted, numbers in decimal).
setting() {
    python3 "$E2E_DIR/analyze.py" setting "$(settings_file)" "$1"
}

vpg_log() { echo "$work/logs/vpg.log"; }

start_vpg() {
    "$vpg" >>"$work/logs/vpg.log" 2>&1 &
    vpg_pid=$!
    E2E_PIDS+=("$vpg_pid")
}
vpg_running() { kill -0 "$vpg_pid" 2>/dev/null; }

# wait_vpg_exit SECONDS: the program ends by itself (after Exit), reaped with its status.
wait_vpg_exit() {
    local status
    wait_for "$1" sh -c "! kill -0 $vpg_pid 2>/dev/null" || fail "vpg did not end"
    status=0
    wait "$vpg_pid" || status=$?
    vpg_pid=""
    return "$status"
}

# main_window: the main window's id once it is shown (the title carries the version).
main_window() { window 'Vimbrel Pulse Generator 1\.2'; }

# window REGEX [SECONDS]: the id of the visible window whose title matches.
window() { find_window "$@" || fail "no window '$1' appeared"; }
no_window() {  # no_window REGEX: true while no visible window has that title
    ! xdotool search --onlyvisible --name "$1" >/dev/null 2>&1
}
title_of() { xdotool getwindowname "$1"; }

focus() {
    # No window manager under Xvfb: the focus is set directly.
    timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
}
keys() {  # keys WINDOW KEY...: the keyboard goes to that window first
    local w=$1
    shift
    focus "$w"
    xdotool key --delay 30 "$@"
    sleep 0.3
}
# click WINDOW X Y: a left click at X, Y design pixels (120 ppi) of the window's client area.
click() {
    xdotool mousemove --window "$1" "$(($2 * DPI / 120))" "$(($3 * DPI / 120))" click 1
    sleep 0.2
}
# point_main WINDOW X Y: the mouse to X, Y of the main window's client area, whose menu bar
# lies above it; click_main also clicks there.
point_main() {
    local height
    height=$(xdotool getwindowgeometry --shell "$1" | sed -n 's/^HEIGHT=//p')
    xdotool mousemove --window "$1" "$(($2 * DPI / 120))" \
        "$((height - (MAIN_CLIENT_H - $3) * DPI / 120))"
}
click_main() {
    point_main "$@"
    xdotool click 1
    sleep 0.2
}
# type_field WINDOW X Y TEXT: click into a field of the main window, select what it holds, type
# TEXT over it, and leave the field with Tab, so that the field's exit rule runs.
type_field() {
    click_main "$1" "$2" "$3"
    xdotool key ctrl+a BackSpace
    [[ -n $4 ]] && xdotool type --delay 5 -- "$4"
    xdotool key Tab
    sleep 0.2
}

# main_pixel WINDOW X Y: the colour at design pixel X, Y of the main window's client area, as
# "R,G,B". The window's picture holds the menu bar above the client area, whose height is the
# content height of the layout (the label at 528 with twice its 18 pixels under it: 564).
MAIN_CLIENT_H=564
main_pixel() {
    local shot=$work/pixel.png height x y
    import -window "$1" "$shot"
    height=$(convert "$shot" -format '%h' info:)
    x=$(($2 * DPI / 120))
    y=$((height - (MAIN_CLIENT_H - $3) * DPI / 120))
    convert "$shot" -format "%[fx:int(255*p{$x,$y}.r+0.5)],%[fx:int(255*p{$x,$y}.g+0.5)],%[fx:int(255*p{$x,$y}.b+0.5)]\n" info:
}
# The status lamp's middle: its rectangle is 12, 475, 38 x 38 in the main window's layout.
LAMP_X=31
LAMP_Y=494
MAROON=128,0,0
GREEN=0,128,0
lamp() { main_pixel "$1" "$LAMP_X" "$LAMP_Y"; }
lamp_is() { [[ $(lamp "$1") == "$2" ]]; }
# turn_on WINDOW MESSAGE / turn_off WINDOW MESSAGE: F11 (ON) or F9 (OFF), and the lamp turns
# green or maroon within 5 s; else the run fails with MESSAGE.
turn_on() { keys "$1" F11; wait_for 5 lamp_is "$1" "$GREEN" || fail "$2"; }
turn_off() { keys "$1" F9; wait_for 5 lamp_is "$1" "$MAROON" || fail "$2"; }

# dialog_seen TEXT: vpg reported a dialog whose text contains TEXT (VPG_TRACE_DIALOGS).
dialog_seen() { grep -qF -- "$1" "$work/logs/vpg.log"; }

analyze() { python3 "$E2E_DIR/analyze.py" "$@"; }
now() { date +%s.%N; }

# measure RAW START END [RATE]: analyses that part of a capture into the array M (M[left_hz],
# M[right_width], ...; see analyze.py).
declare -A M
measure() {
    local name value
    M=()
    while read -r name value; do M[$name]=$value; done < <(analyze signal "$1" --rate "${4:-44100}" --start "$2" --end "$3")
}
# within VALUE LOW HIGH: LOW <= VALUE <= HIGH, as decimal numbers.
within() {
    python3 -c 'import sys; v, lo, hi = map(float, sys.argv[1:]); sys.exit(0 if lo <= v <= hi else 1)' "$@" 2>/dev/null
}
# The bounds are what every measurement rests on: a comparison that accepted anything would
# pass every check, so it proves itself once before it is used.
if ! within 1 0 2 || within 3 0 2 || within -1 0 2 || within "" 0 2; then
    echo "lib.sh: within() does not compare" >&2
    exit 1
fi
# expect_within WHAT VALUE LOW HIGH
expect_within() {
    within "$2" "$3" "$4" || fail "$1 is ${2:-nothing}, not within $3 .. $4"
}
# sound_span RAW [RATE]: sets FIRST, LAST and LENGTH (seconds into the capture) of its sound.
sound_span() {
    local name value
    FIRST="" LAST="" LENGTH=""
    while read -r name value; do
        case $name in first) FIRST=$value ;; last) LAST=$value ;; length) LENGTH=$value ;; esac
    done < <(analyze sound "$1" --rate "${2:-44100}")
    [[ -n $FIRST ]] || fail "the capture $1 holds no sound"
}
# seconds since the capture began, for an event taken with now().
since() { python3 -c 'import sys; print(f"{float(sys.argv[1]) - float(sys.argv[2]):.3f}")' "$1" "$2"; }
add() { python3 -c 'import sys; print(f"{sum(map(float, sys.argv[1:])):.3f}")' "$@"; }

# The middles of the main window's fields and of the Loop box, in design pixels of its client
# area (each field's rectangle in the layout plus its group boxes' offsets).
declare -A FIELD=(
    [MinFreqEdit]="44 80" [txtRound]="424 80" [MaxFreqEdit]="716 80"
    [fInitLeft]="130 144" [fFinalLeft]="310 144" [AmplitudeLeft]="650 166"
    [AmplitudeRight]="466 352" [PhaseEdit]="70 430" [txtPulseLength]="251 430"
    [Duration]="460 493"
)
LOOP_BOX="575 494"
# set_field WINDOW NAME TEXT: types TEXT into the field NAME and leaves it.
set_field() {
    # shellcheck disable=SC2086 # the field's two coordinates
    type_field "$1" ${FIELD[$2]} "$3"
}

# start_vpg_readonly_config: vpg with its configuration folder read-only. Permission bits do
# not stop root, so as root the folder is bound read-only in a mount namespace of vpg's own.
start_vpg_readonly_config() {
    local dir=$XDG_CONFIG_HOME/halvane
    if (($(id -u) == 0)); then
        # shellcheck disable=SC2016 # expanded by the inner shell
        unshare --mount sh -c 'mount --bind "$1" "$1" && mount -o remount,bind,ro "$1" "$1" &&
            exec "$2"' sh "$dir" "$vpg" >>"$work/logs/vpg.log" 2>&1 &
        vpg_pid=$!
        E2E_PIDS+=("$vpg_pid")
    else
        chmod a-w "$dir"
        start_vpg
    fi
}

# message_box MAIN [SECONDS]: the id of a plain message box, a visible window that carries the
# program's title (with or without the version) and is not the main window.
message_box() {
    local id deadline=$((SECONDS + ${2:-20}))
    while :; do
        id=$(xdotool search --onlyvisible --name '^Vimbrel Pulse Generator' 2>/dev/null |
            grep -vx "$1" | tail -n1 || true)
        [[ -n $id ]] && { echo "$id"; return 0; }
        ((SECONDS < deadline)) || break
        sleep 0.1
    done
    fail "no message box appeared"
}
