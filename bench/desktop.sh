#!/usr/bin/env bash
# The desktop program against a real-time sound card: a private PulseAudio null sink, which
# plays at the wall clock's pace into nothing, reached through ALSA's default device as a
# user's sound server would be.
#     bash bench/desktop.sh [path/to/vpg [path/to/vpg-send]]
# (1) CPU time (user + system) of vpg playing 100 Hz at 44100 Hz with four buffers of 16384
#     bytes for 30 s, against sox's `play -n synth 30 sine 100` through the same device;
# (2) underruns in 5 minutes at 96000 Hz with the default buffers while two processes
#     (stress-ng --cpu 2) keep both cores busy; then the smallest buffer setting that still
#     plays without one, searched with runs of 100 s under the same load;
# (3) the time from `vpg-send 1024` to the first non-zero sample at the sink (7 runs, median).
# Takes 11 to 22 minutes: the buffer search in (2) plays one to seven settings of 100 s.
# Not a test: it reports numbers, it asserts nothing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
vpg_path=${1:-$root/build/apps/vpg}
send_path=${2:-$root/build/apps/vpg-send}
[[ -x $vpg_path && -x $send_path ]] || {
    echo "desktop bench: build first: cmake --build build --target vpg vpg-send" >&2
    exit 2
}
bash "$root/scripts/install-deps.sh" >/dev/null
bash "$root/scripts/install-deps.sh" stress-ng libsox-fmt-alsa

# shellcheck source=../tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"
e2e_init desktop-bench "$vpg_path" "$send_path"
send=$vpg_send
unset VPG_TRACE_DIALOGS
start_x
start_pulse 44100

cpu_ticks() {  # cpu_ticks PID: user + system time in clock ticks, from /proc/PID/stat
    awk '{print $14 + $15}' "/proc/$1/stat"
}
hz=$(getconf CLK_TCK)
seconds() { python3 -c 'import sys; print(f"{int(sys.argv[1]) / int(sys.argv[2]):.2f}")' "$1" "$hz"; }

# run_vpg FS_INDEX BUFFERS_INDEX SIZE_INDEX: vpg started with these output settings (list
# positions) and Loop on, waiting for its main window.
run_vpg() {
    seed_settings "Fs=dword:$1" "Buffers=dword:$2" "BufferSize=dword:$3" fInitLeft=100 Loop=dword:1
    : >"$work/logs/vpg.log"
    VPG_REPORT_UNDERRUNS=1 start_vpg
    main=$(main_window)
}
# end_vpg: Exit; UNDERRUNS is the count vpg reports at its end.
end_vpg() {
    keys "$main" ctrl+x
    wait_vpg_exit 20 || true
    UNDERRUNS=$(sed -n 's/^vpg: the sound card ran dry \([0-9]*\) times*$/\1/p' \
        "$work/logs/vpg.log" | tail -n1)
}

echo "== (1) CPU time for 30 s of 100 Hz at 44100 Hz, four buffers of 16384 bytes"
# Three rounds, vpg and sox in turn; CPU time is counted in clock ticks (10 ms), so one run
# alone is only good to a few per cent.
vpg_runs=()
sox_runs=()
for round in 1 2 3; do
    run_vpg 3 2 2
    "$send" 1024
    wait_for 5 lamp_is "$main" "$GREEN" || fail "vpg did not start"
    before=$(cpu_ticks "$vpg_pid")
    sleep 30
    after=$(cpu_ticks "$vpg_pid")
    "$send" 1025
    total=$(cpu_ticks "$vpg_pid")
    end_vpg
    vpg_runs+=("$(seconds $((after - before)))")
    /usr/bin/time -f '%U %S' -o "$work/sox.time" env AUDIODRIVER=alsa AUDIODEV=default \
        play -q -r 44100 -c 2 -b 16 -n synth 30 sine 100 2>>"$work/logs/sox.log"
    sox_runs+=("$(awk '{printf "%.2f", $1 + $2}' "$work/sox.time")")
    echo "round $round: vpg ${vpg_runs[-1]} s over its 30 s of play ($(seconds "$total") s with" \
        "its start-up; underruns ${UNDERRUNS:-?}), sox ${sox_runs[-1]} s"
done
median3() { printf '%s\n' "$@" | sort -n | sed -n 2p; }
vpg_cpu=$(median3 "${vpg_runs[@]}")
sox_cpu=$(median3 "${sox_runs[@]}")
ratio=$(python3 -c 'import sys; a, b = map(float, sys.argv[1:]); print(f"{a / b:.2f}" if b else "n/a")' "$vpg_cpu" "$sox_cpu")
echo "median: vpg ${vpg_cpu} s, sox ${sox_cpu} s, ratio vpg/sox ${ratio} (target: at most 1)"

echo "== (2) underruns at 96000 Hz, default buffers (4 x 16384 bytes), both cores busy"
stress-ng --cpu 2 --timeout 0 >/dev/null 2>&1 &
stress_pid=$!
E2E_PIDS+=("$stress_pid")
probe() {  # probe BUFFERS_INDEX SIZE_INDEX SECONDS: UNDERRUNS of one run at 96000 Hz
    run_vpg 5 "$1" "$2"
    "$send" 1024
    wait_for 5 lamp_is "$main" "$GREEN" || fail "vpg did not start"
    sleep "$3"
    "$send" 1025
    end_vpg
}
probe 2 2 300
long=$UNDERRUNS
echo "5 minutes, 4 x 16384 bytes: ${long:-?} underruns (target 0)"

# Underruns under this load are rare events (a few in 5 minutes at most), so a short run that
# shows none proves little: the search walks from the default towards smaller settings (or,
# when the default ran dry, towards larger ones) in runs of 100 s, and stops at the first
# setting whose verdict differs.
echo "-- the smallest setting without an underrun (runs of 100 s under the same load)"
counts=(2 3 4)
sizes=(4096 8192 16384 32768 64536)
default_bytes=$((4 * 16384))
if [[ $long == 0 ]]; then
    # Smaller than the default, the largest first.
    mapfile -t order < <(for b in 0 1 2; do for s in 0 1 2 3 4; do
        echo "$((counts[b] * sizes[s])) $b $s"
    done; done | sort -rn | awk -v d="$default_bytes" '$1 < d')
    smallest="4 x 16384 bytes (171 ms, the default)"
else
    mapfile -t order < <(for b in 0 1 2; do for s in 0 1 2 3 4; do
        echo "$((counts[b] * sizes[s])) $b $s"
    done; done | sort -n | awk -v d="$default_bytes" '$1 > d')
    smallest=""
fi
for line in "${order[@]}"; do
    read -r bytes b s <<<"$line"
    probe "$b" "$s" 100
    n=$UNDERRUNS
    ms=$(python3 -c 'import sys; print(f"{int(sys.argv[1]) / 4 / 96000 * 1000:.0f}")' "$bytes")
    echo "${counts[b]} x ${sizes[s]} bytes (${ms} ms queued): ${n:-?} underruns in 100 s"
    if [[ $long == 0 ]]; then
        [[ $n == 0 ]] || break
        smallest="${counts[b]} x ${sizes[s]} bytes (${ms} ms)"
    elif [[ $n == 0 ]]; then
        smallest="${counts[b]} x ${sizes[s]} bytes (${ms} ms)"
        break
    fi
done
echo "smallest setting with 0 underruns: ${smallest:-none} (100 s runs)"
stop "$stress_pid"

echo "== (3) from vpg-send 1024 to the first non-zero sample at the sink"
run_vpg 3 2 2
delays=()
for run in 1 2 3 4 5 6 7; do
    record_start "$work/latency-$run.raw"
    sleep 0.5
    sent=$(since "$(now)" "$REC_T0")
    "$send" 1024
    sleep 1
    "$send" 1025
    sleep 0.5
    record_stop
    first=$(analyze sound "$work/latency-$run.raw" --rate 44100 | awk '$1 == "first" {print $2}')
    delay=$(python3 -c 'import sys; print(f"{(float(sys.argv[1]) - float(sys.argv[2])) * 1000:.0f}")' "$first" "$sent")
    delays+=("$delay")
    echo "run $run: ${delay} ms"
done
end_vpg
median=$(printf '%s\n' "${delays[@]}" | sort -n | sed -n 4p)
echo "median: ${median} ms (the capture's clock is known to about 20 ms)"
