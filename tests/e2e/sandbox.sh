# shellcheck shell=bash
# shellcheck disable=SC2034 # E2E_DIR, E2E_STATUS, ... are read by the scripts and hooks
# The setting every end-to-end script runs in, the Linux program's and the Windows program's
# under Wine alike: one folder made for the run, processes ended by their own process ids
# (the newest first), a virtual X server on a display it finds free itself, the ALSA file
# capture, and a Wine prefix whose sound goes through Wine's ALSA driver.
#
# A script sources this file and calls e2e_begin NAME, then e2e_need for its tools.
# Exit status 77 means "skipped": a tool is missing, nothing was tested.

E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
E2E_NAME=e2e
E2E_PIDS=()
# Commands run first at the end, before the processes are stopped; they see E2E_STATUS.
E2E_AT_EXIT=()
E2E_STATUS=0
work=""
DPI=120
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver

# e2e_begin NAME [TEMPLATE]: the run's folder ($work, with logs/ for what fail shows) and
# the clean-up at its end, also when the script is interrupted or its reader goes away.
e2e_begin() {
    E2E_NAME=$1
    if [[ -n ${2:-} ]]; then work=$(mktemp -d "$2"); else work=$(mktemp -d); fi
    mkdir -p "$work/logs"
    trap e2e_cleanup EXIT
    trap 'exit 1' INT TERM HUP PIPE
}

e2e_need() {  # e2e_need TOOL...: skip the whole script when one is missing
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
    done
}

# stop PID: ends one process this script started, and reaps it.
stop() {
    local pid=$1
    [[ -n $pid ]] || return 0
    if kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$pid" 2>/dev/null || true
    fi
    wait "$pid" 2>/dev/null || true
}

e2e_cleanup() {
    E2E_STATUS=$?
    local pid i hook
    for hook in "${E2E_AT_EXIT[@]}"; do eval "$hook" || true; done
    # The newest first: the program before its sound server, both before the X server.
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        pid=${E2E_PIDS[i]}
        stop "$pid"
    done
    [[ -n $work ]] || return 0
    [[ -n ${E2E_KEEP:-} ]] && { echo "kept: $work"; return 0; }
    chmod -R u+w "$work" 2>/dev/null || true
    rm -rf "$work"
}

# fail MESSAGE: on standard error, so that it shows from inside $(...) as well, with the screen
# of that moment (in E2E_FAILURE_SHOT, or the run's logs) and the end of every log.
fail() {
    exec >&2
    echo "FAIL ($E2E_NAME): $*"
    local shot=${E2E_FAILURE_SHOT:-$work/logs/failure.png}
    if [[ -n ${DISPLAY:-} ]] && command -v import >/dev/null; then
        import -window root "$shot" 2>/dev/null &&
            echo "(the screen at that moment: $shot; E2E_KEEP=1 keeps the run's folder)"
    fi
    local log
    for log in "$work"/logs/*.log; do
        [[ -s $log ]] && { echo "--- $(basename "$log")"; tail -n 40 "$log"; }
    done
    exit 1
}
pass() { echo "ok: $*"; }

# wait_for SECONDS COMMAND...: succeeds as soon as the command does.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

# --- the X server -------------------------------------------------------------------------

# start_x [SCREEN [DPI]]: an X server of SCREEN (1280x1024x24) at DPI ($DPI; empty: the
# server's own), as DISPLAY; its process id is the last of E2E_PIDS.
start_x() {
    local screen=${1:-1280x1024x24} dpi=${2-$DPI}
    local args=(-screen 0 "$screen" -nolisten tcp)
    [[ -n $dpi ]] && args+=(-dpi "$dpi")
    : >"$work/display"
    # -displayfd: the server takes a free display number itself and says which once it
    # accepts clients.
    Xvfb -displayfd 3 "${args[@]}" 3>"$work/display" 2>"$work/logs/xvfb.log" &
    E2E_PIDS+=($!)
    wait_for 15 test -s "$work/display" || fail "Xvfb did not start"
    DISPLAY=":$(head -n1 "$work/display")"
    unset WAYLAND_DISPLAY
    export DISPLAY QT_QPA_PLATFORM=xcb
    # Qt takes the logical resolution from the desktop's font setting, which a bare X server
    # lacks: at 120 dpi one screen pixel is one design pixel of the layout.
    [[ -n $dpi ]] && export QT_FONT_DPI=$dpi
    return 0
}

# find_window REGEX [SECONDS]: the id of the visible window whose title matches, as soon as
# there is one (20 s at most); fails quietly (status 1) when none appears.
find_window() {
    local id deadline=$((SECONDS + ${2:-20}))
    while :; do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -n1 || true)
        [[ -n $id ]] && { echo "$id"; return 0; }
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

# --- sound into a file --------------------------------------------------------------------

# alsa_file_capture FILE: ALSA's default device for programs of this $HOME writes raw frames
# into FILE (the file plugin over a null device, so nothing waits for a sound card).
alsa_file_capture() {
    cat >"$HOME/.asoundrc" <<ALSA
pcm.!default {
    type file
    slave.pcm "null"
    file "$1"
    format "raw"
}
ALSA
}

# --- Wine ---------------------------------------------------------------------------------

# wine_prefix DIR: WINEPREFIX made ready once (its sound through Wine's ALSA driver), and every
# Wine process of it ended with the run.
wine_prefix() {
    export WINEPREFIX=$1
    # shellcheck disable=SC2016 # expanded when the hook runs
    E2E_AT_EXIT+=('"$WINESERVER" -k 2>/dev/null')
    [[ -f $WINEPREFIX/.vpg-ready ]] && return 0
    echo "== preparing the Wine prefix $WINEPREFIX"
    "$WINE" wineboot -i >"$work/wineboot.out" 2>&1
    wine_reg_add 'HKCU\Software\Wine\Drivers' /v Audio /d alsa
    touch "$WINEPREFIX/.vpg-ready"
}
wine_reg_add() { "$WINE" reg add "$@" /f >/dev/null; }
