#!/usr/bin/env bash
# Other programs' messages through vpg-send, as a running generator receives them: retune while
# playing (measured in the sink's capture), stop, recall a stored preset; no program running;
# a 1 MB garbage line that must not disturb the sound.
# Usage: remote.sh PATH/TO/vpg PATH/TO/vpg-send   (exit 77: skipped, a tool is missing)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init remote "$@"
e2e_need Xvfb xdotool pulseaudio pactl parec import convert python3

# --- Nobody listens yet.
status=0
"$vpg_send" 1024 >"$work/send.out" 2>"$work/send.err" || status=$?
[[ $status == 2 ]] || fail "vpg-send with no program running exited $status, not 2"
grep -q "no Vimbrel Pulse Generator is running" "$work/send.err" ||
    fail "vpg-send with no program running said: $(cat "$work/send.err")"
pass "vpg-send with no program running: '$(cat "$work/send.err")', exit 2"

seed_settings fInitLeft=100
start_x
start_pulse 44100
start_vpg
main=$(main_window)
send() { "$vpg_send" "$@" >>"$work/logs/send.log" 2>&1 || fail "vpg-send $* failed"; }

# --- 1024 starts 100 Hz; 1031 44100 retunes it to 441 Hz.
record_start "$work/retune.raw"
send 1024
wait_for 5 lamp_is "$main" "$GREEN" || fail "1024 did not start the output"
sleep 1.5
send 1031 44100
# Four buffers of 4096 frames are queued (0.37 s), the glide takes a few ms.
sleep 2.5
stop_at=$(since "$(now)" "$REC_T0")
send 1025
wait_for 5 lamp_is "$main" "$MAROON" || fail "1025 did not stop the output"
sleep 1.5
record_stop
# Measured against the sound itself: the first second is before the message is heard (it is
# sent 1.5 s in, and heard 0.4 to 0.7 s later), the last but 0.2 s at least 0.8 s after.
sound_span "$work/retune.raw"
measure "$work/retune.raw" "$(add "$FIRST" 0.2)" "$(add "$FIRST" 1.2)"
before=${M[left_hz]}
measure "$work/retune.raw" "$(add "$LAST" -1.2)" "$(add "$LAST" -0.2)"
echo "1031 44100: sine ${before} Hz before, ${M[left_hz]} Hz after; pulses ${M[right_hz]} Hz" \
    "(period ${M[right_period]}, odd spacings: ${M[right_odd]})"
expect_within "the sine before 1031" "$before" 99.99 100.01
expect_within "the sine after 1031" "${M[left_hz]}" 440.98 441.02
# 441 Hz is a whole period of 100 samples. One spacing off (once in some dozen runs, a few
# samples short while the sine ran on) is allowed and shown; a wrong rate changes them all.
[[ ${M[right_period]} == 100 ]] || fail "the pulses after 1031 are ${M[right_period]} samples apart"
((${M[right_odd]%% *} <= 1)) || fail "the pulses after 1031 are irregular: ${M[right_odd]}"
pass "vpg-send 1031 44100 retunes a playing 100 Hz to 441 Hz"
analyze silent-after "$work/retune.raw" --rate 44100 --start "$(add "$stop_at" 1.0)" ||
    fail "sound went on more than a second after 1025"
pass "vpg-send 1025 stops the output"

# --- Preset 3: stored with Shift+F7 at 250 Hz, the field changed, recalled by 1048 0 3.
set_field "$main" fInitLeft 250
keys "$main" shift+F7
set_field "$main" fInitLeft 300
send 1048 0 3
[[ $(lamp "$main") == "$MAROON" ]] || fail "the recall started the output (autostart is off)"
record_start "$work/preset.raw"
send 1024
wait_for 5 lamp_is "$main" "$GREEN" || fail "1024 did not start the recalled preset"
sleep 2
send 1025
wait_for 5 lamp_is "$main" "$MAROON" || fail "1025 did not stop the recalled preset"
record_stop
sound_span "$work/preset.raw"
measure "$work/preset.raw" "$(add "$FIRST" 0.3)" "$(add "$FIRST" 1.5)"
echo "1048 0 3 after storing 250 Hz and typing 300: the start plays ${M[left_hz]} Hz"
expect_within "the recalled preset's sine" "${M[left_hz]}" 249.99 250.01
pass "vpg-send 1048 0 3 recalls preset 3"

# --- A 1 MB line of garbage while playing: refused, and the sound goes on undisturbed.
record_start "$work/garbage.raw"
send 1024
wait_for 5 lamp_is "$main" "$GREEN" || fail "1024 did not start the output"
sleep 1
garbage=$(since "$(now)" "$REC_T0")
answer=$(python3 - "$XDG_RUNTIME_DIR/vimbrel-pulse-generator.sock" <<'PY'
import os, socket, sys
s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
s.connect(sys.argv[1])
line = bytes(b if b != 10 else 0 for b in os.urandom(1 << 20)) + b"\n"
s.sendall(line)
s.shutdown(socket.SHUT_WR)
s.settimeout(10)
reply = b""
while True:
    chunk = s.recv(4096)
    if not chunk:
        break
    reply += chunk
print(reply.decode(errors="replace").strip())
PY
)
echo "the 1 MB line was answered: $answer"
[[ $answer == error:* ]] || fail "the garbage line was answered '$answer'"
sleep 1
send 1031 20000  # still listening: 200 Hz
sleep 2
vpg_running || fail "vpg ended after the garbage line"
send 1025
wait_for 5 lamp_is "$main" "$MAROON" || fail "1025 did not stop the output"
record_stop
sound_span "$work/garbage.raw"
# The second after the garbage line, before the retune that follows it a second later is heard.
measure "$work/garbage.raw" "$garbage" "$(add "$garbage" 1.0)"
[[ ${M[left_zero]} == 0 ]] || fail "the sound stopped after the garbage line"
expect_within "the sine after the garbage line (preset 3)" "${M[left_hz]}" 249.99 250.01
# No gap anywhere in the sound: a stall of the UI thread would let the card run dry.
python3 - "$work/garbage.raw" "$FIRST" "$LAST" <<'PY' || fail "the sound has a gap after the garbage line"
import array, sys
d = array.array("h"); d.frombytes(open(sys.argv[1], "rb").read())
left = d[0::2]
a, b = int(float(sys.argv[2]) * 44100), int(float(sys.argv[3]) * 44100)
run = longest = 0
for v in left[a:b]:
    run = run + 1 if v == 0 else 0
    longest = max(longest, run)
print(f"longest run of zeros in the sine: {longest} samples")
sys.exit(0 if longest <= 2 else 1)
PY
measure "$work/garbage.raw" "$(add "$LAST" -1.2)" "$(add "$LAST" -0.2)"
expect_within "the sine after 1031 20000" "${M[left_hz]}" 199.99 200.01
pass "a 1 MB garbage line leaves the program playing and listening"
keys "$main" ctrl+x
wait_vpg_exit 10 || fail "vpg ended with status $?"
