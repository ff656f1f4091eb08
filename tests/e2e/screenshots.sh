#!/usr/bin/env bash
# Screenshots of every window of vpg as a person sees them, on a virtual X server at 96 and
# at 120 dpi:
#     bash tests/e2e/screenshots.sh FOLDER [path/to/vpg]
# writes into FOLDER, for each resolution DPI:
#   startup-DPI.png          the whole screen at the first start: splash and welcome notice
#   notice-DPI.png           the welcome notice (the suppressible notice dialog)
#   main-first-start-DPI.png the main window as a first start leaves it
#   main-constant-DPI.png    the main window at the next start (constant tone layout)
#   main-sweep-DPI.png       after F5 (preset 1 recalls the sweep layout)
#   display-DPI.png          the frequency display (Ctrl+D) after a signal has played
#   settings-DPI.png         the output settings window (Ctrl+C)
#   about-DPI.png            the About box (Help menu)
#   desktop-DPI.png          the whole screen with the About box open
# Every process it starts (the X servers, the program) is ended by its process id.
set -euo pipefail

out=${1:?usage: screenshots.sh FOLDER [path/to/vpg]}
root=$(cd "$(dirname "$0")/../.." && pwd)
vpg=${2:-$root/build/apps/vpg}
if [[ ! -x $vpg ]]; then
    echo "screenshots: no program at $vpg (build it: cmake --build build --target vpg)" >&2
    exit 2
fi
for tool in Xvfb xdotool import; do
    command -v "$tool" >/dev/null || {
        echo "screenshots: $tool is missing (bash scripts/install-deps.sh)" >&2
        exit 2
    }
done
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d)
xvfb_pid=""
vpg_pid=""

stop() {  # stop PID: ends one process this script started, and reaps it
    local pid=$1
    [[ -n $pid ]] || return 0
    if kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$pid" 2>/dev/null || true
    fi
    wait "$pid" 2>/dev/null || true
}
cleanup() {
    stop "$vpg_pid"
    stop "$xvfb_pid"
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "screenshots: $*" >&2
    # What the screen showed then, to see why.
    [[ -n ${DISPLAY:-} ]] && import -window root "$out/failure.png" 2>/dev/null &&
        echo "screenshots: the screen at that moment: $out/failure.png" >&2
    cat "$work"/vpg-*.log >&2 2>/dev/null || true
    exit 1
}

# The id of the visible window whose title matches, waiting up to 20 s for it.
window() {
    local id
    for _ in $(seq 200); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1 || true)
        [[ -n $id ]] && { echo "$id"; return 0; }
        sleep 0.1
    done
    fail "no window '$1' appeared"
}
shot() {  # shot WINDOW|root FILE
    sleep 0.4  # let the window finish painting
    if [[ $1 == root ]]; then import -window root "$out/$2"; else import -window "$1" "$out/$2"; fi
    echo "  $2"
}
keys() {  # keys WINDOW KEY...: the keyboard goes to that window first
    local w=$1
    shift
    timeout 5 xdotool windowfocus --sync "$w" || xdotool windowfocus "$w"
    xdotool key "$@"
    sleep 0.3
}
click() {  # click WINDOW X Y: X and Y in design pixels (120 ppi) of the window's client area
    local x y
    x=$(($2 * dpi / 120))
    y=$(($3 * dpi / 120))
    xdotool mousemove --window "$1" "$x" "$y" click 1
    sleep 0.3
}

start_vpg() {
    # Qt takes the screen's logical resolution from the desktop's font setting (Xft.dpi), which
    # a bare X server does not have: QT_FONT_DPI says what a desktop at that resolution would.
    QT_FONT_DPI="$dpi" XDG_CONFIG_HOME="$work/config-$dpi" XDG_CACHE_HOME="$work/cache-$dpi" \
        XDG_RUNTIME_DIR="$work/run" "$vpg" >>"$work/vpg-$dpi.log" 2>&1 &
    vpg_pid=$!
}
wait_for_exit() {
    for _ in $(seq 100); do
        kill -0 "$vpg_pid" 2>/dev/null || { wait "$vpg_pid" || true; vpg_pid=""; return 0; }
        sleep 0.1
    done
    fail "vpg did not end after Exit"
}

mkdir -m 700 "$work/run"
for dpi in 96 120; do
    echo "== $dpi dpi"
    # -displayfd: the server takes a free display number itself and says which.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi "$dpi" -nolisten tcp \
        3>"$work/display" 2>"$work/xvfb-$dpi.log" &
    xvfb_pid=$!
    for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
    [[ -s $work/display ]] || fail "Xvfb did not start"
    export DISPLAY=":$(head -1 "$work/display")"
    : >"$work/display"

    # First start: the splash with the welcome notice over it. Tick "Don't show this message
    # again." and answer No (Escape), so the next start goes straight to the main window.
    start_vpg
    notice=$(window '^Welcome$')
    shot root "startup-$dpi.png"
    shot "$notice" "notice-$dpi.png"
    click "$notice" 20 125
    keys "$notice" Escape
    main=$(window 'Vimbrel Pulse Generator 1\.2$')
    shot "$main" "main-first-start-$dpi.png"
    keys "$main" ctrl+x
    wait_for_exit

    # Second start: the stored settings come back in the constant tone's layout.
    start_vpg
    main=$(window 'Vimbrel Pulse Generator 1\.2$')
    shot "$main" "main-constant-$dpi.png"
    keys "$main" F5
    shot "$main" "main-sweep-$dpi.png"
    keys "$main" ctrl+d
    display=$(window '^Frequency$')
    keys "$main" F11  # a signal plays, so the display shows its frequency
    sleep 1
    keys "$main" F9
    shot "$display" "display-$dpi.png"
    keys "$main" ctrl+c
    settings=$(window '^Output Settings$')
    shot "$settings" "settings-$dpi.png"
    click "$settings" 200 162  # Close
    keys "$main" alt+h
    xdotool key a  # About this program...
    about=$(window '^About$')
    shot "$about" "about-$dpi.png"
    shot root "desktop-$dpi.png"
    keys "$about" Return  # OK
    keys "$main" ctrl+x
    wait_for_exit

    stop "$xvfb_pid"
    xvfb_pid=""
done
echo "screenshots in $out"
