#!/usr/bin/env bash
# The system-wide hot key under Xvfb: Ctrl+Insert reaches the program while another X client
# has the focus, with NumLock and then CapsLock on as well; a second program cannot take the
# combination while the first holds it, and can once the first has let go.
# Usage: hot_key.sh PATH/TO/vpg_hot_key_probe   (exit 77: skipped, a tool is missing)
set -euo pipefail
probe=${1:?usage: hot_key.sh PATH/TO/vpg_hot_key_probe}
for tool in Xvfb xdotool xmessage; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    for log in "$work"/*.out "$work"/*.err; do
        [[ -s $log ]] && { echo "--- $(basename "$log")"; cat "$log"; }
    done
    exit 1
}

# wait_for SECONDS COMMAND...: succeeds as soon as the command does.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

presses() { grep -c '^WM_HOTKEY' "$work/probe.out" || true; }
at_least() { (($(presses) >= $1)); }

# Xvfb chooses a free display itself and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.err" &
pids+=($!)
wait_for 15 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

"$probe" --release-after 3 --seconds 90 >"$work/probe.out" 2>"$work/probe.err" &
pids+=($!)
wait_for 15 grep -q '^registered: ' "$work/probe.out" || fail "the probe did not start"
grep -qx 'registered: true' "$work/probe.out" || fail "the probe could not grab Ctrl+Insert"

# Another program's window, with the keyboard focus (no window manager: focus it directly).
xmessage -name vpg-other -title vpg-other "another program" 2>"$work/xmessage.err" &
pids+=($!)
wait_for 15 xdotool search --name '^vpg-other$' >/dev/null || fail "the other window did not appear"
other=$(xdotool search --name '^vpg-other$' | head -n1)
xdotool windowfocus --sync "$other"
[[ $(xdotool getwindowfocus) == "$other" ]] || fail "the other window did not take the focus"

press() {  # press N EXPECTED_LOCKS
    xdotool key ctrl+Insert
    wait_for 10 at_least "$1" || fail "press $1 ($2) did not reach the program"
    [[ $(grep '^WM_HOTKEY' "$work/probe.out" | sed -n "$1p") == "WM_HOTKEY id=1 $2" ]] ||
        fail "press $1: expected '$2'"
    echo "press $1 with $2: WM_HOTKEY received"
}

press 1 "numlock=off capslock=off"
xdotool key Num_Lock
press 2 "numlock=on capslock=off"

# While the first program holds the combination, a second one is refused.
if "$probe" --once >"$work/second.out" 2>"$work/second.err"; then
    fail "a second program grabbed Ctrl+Insert while the first held it"
fi
grep -qx 'registered: false' "$work/second.out" || fail "the second program did not report false"
echo "a second program's registration: false"

xdotool key Caps_Lock
press 3 "numlock=on capslock=on"
wait_for 10 grep -qx 'unregistered' "$work/probe.out" || fail "the probe did not unregister"
[[ $(xdotool getwindowfocus) == "$other" ]] || fail "the focus moved away from the other window"

# Released: the first program gets no more presses and the combination is free again.
xdotool key ctrl+Insert
sleep 0.5
(($(presses) == 3)) || fail "a press arrived after UnregisterHotKey"
"$probe" --once >"$work/third.out" 2>"$work/third.err" ||
    fail "the combination stayed held after UnregisterHotKey"
echo "after UnregisterHotKey: no more presses, and another program can register"
echo "hot key: all checks passed"
