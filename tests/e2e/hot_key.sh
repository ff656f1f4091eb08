#!/usr/bin/env bash
# The system-wide hot key under Xvfb: Ctrl+Insert reaches the program while another X client
# has the focus, with NumLock and then CapsLock on as well; a second program cannot take the
# combination while the first holds it, and can once the first has let go.
# Usage: hot_key.sh PATH/TO/vpg_hot_key_probe   (exit 77: skipped, a tool is missing)
set -euo pipefail
probe=${1:?usage: hot_key.sh PATH/TO/vpg_hot_key_probe}
# shellcheck source=tests/e2e/sandbox.sh
source "$(dirname "$0")/sandbox.sh"
e2e_begin hot_key
e2e_need Xvfb xdotool xmessage
log=$work/logs

presses() { grep -c '^WM_HOTKEY' "$log/probe.log" || true; }
at_least() { (($(presses) >= $1)); }

start_x 800x600x24 ""

"$probe" --release-after 3 --seconds 90 >"$log/probe.log" 2>"$log/probe-errors.log" &
E2E_PIDS+=($!)
wait_for 15 grep -q '^registered: ' "$log/probe.log" || fail "the probe did not start"
grep -qx 'registered: true' "$log/probe.log" || fail "the probe could not grab Ctrl+Insert"

# Another program's window, with the keyboard focus (no window manager: focus it directly).
xmessage -name vpg-other -title vpg-other "another program" 2>"$log/xmessage.log" &
E2E_PIDS+=($!)
wait_for 15 xdotool search --name '^vpg-other$' >/dev/null || fail "the other window did not appear"
other=$(xdotool search --name '^vpg-other$' | head -n1)
xdotool windowfocus --sync "$other"
[[ $(xdotool getwindowfocus) == "$other" ]] || fail "the other window did not take the focus"

press() {  # press N EXPECTED_LOCKS
    xdotool key ctrl+Insert
    wait_for 10 at_least "$1" || fail "press $1 ($2) did not reach the program"
    [[ $(grep '^WM_HOTKEY' "$log/probe.log" | sed -n "$1p") == "WM_HOTKEY id=1 $2" ]] ||
        fail "press $1: expected '$2'"
    echo "press $1 with $2: WM_HOTKEY received"
}

press 1 "numlock=off capslock=off"
xdotool key Num_Lock
press 2 "numlock=on capslock=off"

# While the first program holds the combination, a second one is refused.
if "$probe" --once >"$log/second.log" 2>"$log/second-errors.log"; then
    fail "a second program grabbed Ctrl+Insert while the first held it"
fi
grep -qx 'registered: false' "$log/second.log" || fail "the second program did not report false"
echo "a second program's registration: false"

xdotool key Caps_Lock
press 3 "numlock=on capslock=on"
wait_for 10 grep -qx 'unregistered' "$log/probe.log" || fail "the probe did not unregister"
[[ $(xdotool getwindowfocus) == "$other" ]] || fail "the focus moved away from the other window"

# Released: the first program gets no more presses and the combination is free again.
xdotool key ctrl+Insert
sleep 0.5
(($(presses) == 3)) || fail "a press arrived after UnregisterHotKey"
"$probe" --once >"$log/third.log" 2>"$log/third-errors.log" ||
    fail "the combination stayed held after UnregisterHotKey"
echo "after UnregisterHotKey: no more presses, and another program can register"
echo "hot key: all checks passed"
