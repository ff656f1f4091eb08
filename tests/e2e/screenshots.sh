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
#   main-locked-DPI.png      the main window with "Lock flashes to the sine" ticked
#   display-locked-DPI.png   the frequency display after a locked signal has played
#   settings-DPI.png         the output settings window (Ctrl+C)
#   about-DPI.png            the About box (Help menu)
#   desktop-DPI.png          the whole screen with the About box open
# Every process it starts (the X servers, the sound server, the program) is ended by its
# process id.
set -euo pipefail

out=${1:?usage: screenshots.sh FOLDER [path/to/vpg]}
root=$(cd "$(dirname "$0")/../.." && pwd)
program=${2:-$root/build/apps/vpg}
for tool in Xvfb xdotool import pulseaudio pactl; do
    command -v "$tool" >/dev/null || {
        echo "screenshots: $tool is missing (bash scripts/install-deps.sh)" >&2
        exit 2
    }
done
mkdir -p "$out"
out=$(cd "$out" && pwd)
rm -f "$out/failure.png"

# The shared end-to-end helpers: a private X server per resolution and a private sound server
# with a null sink, so that the signal the display shows really plays, as on a desktop with a
# sound card (without one, F11 would only show the device error).
# shellcheck source=tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"
e2e_init screenshots "$program" "$(dirname "$program")/vpg-send"

# A failure leaves the screen of that moment beside the screenshots, where CI keeps it.
fail() {
    exec >&2
    echo "screenshots: $*"
    [[ -n ${DISPLAY:-} ]] && import -window root "$out/failure.png" 2>/dev/null &&
        echo "screenshots: the screen at that moment: $out/failure.png"
    tail -n 40 "$work"/logs/vpg.log 2>/dev/null || true
    exit 1
}
shot() {  # shot WINDOW|root FILE
    sleep 0.4  # let the window finish painting
    if [[ $1 == root ]]; then import -window root "$out/$2"; else import -window "$1" "$out/$2"; fi
    echo "  $2"
}

start_pulse 44100
for DPI in 96 120; do
    echo "== $DPI dpi"
    start_x
    x_pid=${E2E_PIDS[-1]}
    rm -rf "$XDG_CONFIG_HOME/halvane"  # each resolution begins as a first start
    mkdir -p "$XDG_CONFIG_HOME/halvane"

    # First start: the splash with the welcome notice over it. Tick "Don't show this message
    # again." and answer No (Escape), so the next start goes straight to the main window.
    start_vpg
    notice=$(window '^Welcome$')
    shot root "startup-$DPI.png"
    shot "$notice" "notice-$DPI.png"
    click "$notice" 20 125
    keys "$notice" Escape
    main=$(main_window)
    shot "$main" "main-first-start-$DPI.png"
    keys "$main" ctrl+x
    wait_vpg_exit 10 || fail "vpg ended with status $? after Exit"

    # Second start: the stored settings come back in the constant tone's layout.
    start_vpg
    main=$(main_window)
    shot "$main" "main-constant-$DPI.png"
    keys "$main" F5
    shot "$main" "main-sweep-$DPI.png"
    keys "$main" ctrl+d
    display=$(window '^Frequency$')
    keys "$main" F11  # a signal plays, so the display shows its frequency
    sleep 1
    lamp_is "$main" "$GREEN" || fail "F11 did not start the output (lamp $(lamp "$main"))"
    keys "$main" F9
    shot "$display" "display-$DPI.png"
    # The flashes locked to the sine: the box ticked with the mouse, and the display's second
    # line follows the sweep instead of keeping the start rate.
    click_main "$main" 42 329
    keys "$main" F11
    sleep 1
    keys "$main" F9
    shot "$main" "main-locked-$DPI.png"
    shot "$display" "display-locked-$DPI.png"
    keys "$main" ctrl+c
    settings=$(window '^Output Settings$')
    shot "$settings" "settings-$DPI.png"
    click "$settings" 200 162  # Close
    keys "$main" alt+h
    xdotool key a  # About this program...
    about=$(window '^About$')
    shot "$about" "about-$DPI.png"
    shot root "desktop-$DPI.png"
    keys "$about" Return  # OK
    keys "$main" ctrl+x
    wait_vpg_exit 10 || fail "vpg ended with status $? after Exit"

    stop "$x_pid"
done
echo "screenshots in $out"
