#!/usr/bin/env bash
# The ways a session ends without File, Exit, and the remote control under siege:
# - SIGTERM, SIGHUP and SIGINT end vpg as Exit does: the settings typed are saved and the
#   socket file is removed;
# - 64 connections that send nothing hold the socket, and vpg-send 1025 still stops the output
#   within 5 s;
# - a new user's first start: while the Welcome box is up vpg-send hears "busy" (exit 1), not
#   "not running", and nothing plays; once the main window is up 1024 plays;
# - vpg-render with its standard error a closed pipe leaves no temporary behind;
# - the X server goes away: the settings are saved before vpg ends.
# Usage: endings.sh PATH/TO/vpg PATH/TO/vpg-send   (exit 77: skipped, a tool is missing)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init endings "$@"
e2e_need Xvfb xdotool pulseaudio pactl import convert python3

socket=$XDG_RUNTIME_DIR/vimbrel-pulse-generator.sock
start_x
start_pulse 44100

# --- The three signals: each saves what was typed, and the socket goes with the program.
declare -A typed=([TERM]=301.5 [HUP]=302.5 [INT]=303.5)
for signal in TERM HUP INT; do
    seed_settings
    start_vpg
    main=$(main_window)
    wait_for 5 test -S "$socket" || fail "no socket at $socket"
    value=${typed[$signal]}
    set_field "$main" fInitLeft "$value"
    kill -"$signal" "$vpg_pid"
    status=0
    wait_vpg_exit 10 || status=$?
    [[ $(setting fInitLeft) == "$value" ]] ||
        fail "after SIG$signal the settings file has fInitLeft '$(setting fInitLeft)', not '$value'"
    [[ ! -e $socket ]] || fail "after SIG$signal the socket file stays"
    pass "SIG$signal: vpg ended (status $status), fInitLeft $value saved, socket removed"
done

# --- 64 silent connections, then vpg-send 1025 stops the output.
seed_settings
start_vpg
main=$(main_window)
"$vpg_send" 1024 >>"$work/logs/send.log" 2>&1 || fail "vpg-send 1024 failed"
wait_for 5 lamp_is "$main" "$GREEN" || fail "1024 did not start the output"
python3 - "$socket" 64 "$work/held" <<'PY' &
import socket, sys, time
path, count, ready = sys.argv[1], int(sys.argv[2]), sys.argv[3]
held = []
for _ in range(count):
    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    s.connect(path)
    held.append(s)
open(ready, "w").write("%d\n" % len(held))
time.sleep(60)
PY
holder=$!
E2E_PIDS+=("$holder")
wait_for 10 test -s "$work/held" || fail "the 64 connections were not made"
sleep 0.5
t0=$(now)
status=0
"$vpg_send" 1025 >>"$work/logs/send.log" 2>&1 || status=$?
((status == 0)) || fail "vpg-send 1025 with 64 connections held exited $status: $(tail -n1 "$work/logs/send.log")"
wait_for 5 lamp_is "$main" "$MAROON" || fail "1025 did not stop the output"
took=$(since "$(now)" "$t0")
expect_within "the time vpg-send 1025 took to stop the output" "$took" 0 5
pass "64 silent connections held: vpg-send 1025 exit 0, the output stopped ${took} s later"
stop "$holder"
keys "$main" ctrl+x
wait_vpg_exit 10 || fail "vpg ended with status $?"

# --- A new user's first start: the Welcome box is up.
rm -f "$(settings_file)"
start_vpg
wait_for 20 test -S "$socket" || fail "no socket while the program starts"
welcome=$(window '^Welcome$')
status=0
"$vpg_send" 1024 >"$work/busy.out" 2>"$work/busy.err" || status=$?
[[ $status == 1 ]] || fail "vpg-send 1024 during the Welcome box exited $status: $(cat "$work/busy.err")"
grep -q busy "$work/busy.err" || fail "vpg-send 1024 during the Welcome box said: $(cat "$work/busy.err")"
pass "vpg-send 1024 during the Welcome box: exit 1, '$(cat "$work/busy.err")'"
keys "$welcome" Escape
main=$(main_window)
lamp_is "$main" "$MAROON" || fail "the 1024 sent during the Welcome box played"
"$vpg_send" 1024 >>"$work/logs/send.log" 2>&1 || fail "vpg-send 1024 after start-up failed"
wait_for 5 lamp_is "$main" "$GREEN" || fail "1024 after start-up did not start the output"
pass "vpg-send 1024 after start-up plays"
keys "$main" ctrl+x
wait_vpg_exit 10 || fail "vpg ended with status $?"

# --- vpg-render whose standard error is a closed pipe: no temporary stays.
render=$(dirname "$vpg")/vpg-render
if [[ -x $render ]]; then
    mkdir "$work/out"
    for reader in true "head -c 1"; do
        status=0
        "$render" -o "$work/out/x.wav" --pulse-length 0 --duration 20 --fs 96000 2>&1 | $reader >/dev/null || status=$?
        left=$(find "$work/out" -name '*.part' | wc -l)
        ((left == 0)) || fail "vpg-render | $reader left $left temporaries: $(ls "$work/out")"
        pass "vpg-render 2>&1 | $reader: no temporary left ($(ls "$work/out" | tr '\n' ' '))"
        rm -f "$work/out"/*
    done
fi

# --- The X server goes away: the settings are saved first.
seed_settings
start_vpg
main=$(main_window)
set_field "$main" fInitLeft 432.5
kill "${E2E_PIDS[0]}"
wait "${E2E_PIDS[0]}" 2>/dev/null || true
status=0
wait_vpg_exit 10 || status=$?
[[ $(setting fInitLeft) == 432.5 ]] ||
    fail "after the X server went away the settings file has fInitLeft '$(setting fInitLeft)'"
[[ ! -e $socket ]] || fail "after the X server went away the socket file stays"
pass "the X server went away: vpg ended (status $status), fInitLeft 432.5 saved, socket removed"
