#!/usr/bin/env bash
# Renders 10 minutes of 96000 Hz stereo with vpg-render and, in the same run and folder, with
# sox; prints the best of three wall-clock times of each, their ratio (target: vpg-render at
# least 3 times faster) and vpg-render's peak memory (target: under 16 MiB, flat with length).
# Usage: bench/render_vs_sox.sh [folder for the files, default a new temporary folder]
set -euo pipefail
cd "$(dirname "$0")/.."
render=build/apps/vpg-render
[[ -x $render ]] || { echo "build vpg-render first (cmake --build build --target vpg-render)"; exit 1; }
dir=${1:-$(mktemp -d)}
mkdir -p "$dir"

measure() {  # FORMAT COMMAND...: one run, prints what /usr/bin/time measured
    local format=$1
    shift
    /usr/bin/time -o "$dir/time.txt" -f "$format" "$@" >/dev/null 2>&1
    tail -n1 "$dir/time.txt"
}

best() {  # best wall time in seconds of three runs of the command
    local best=999999 t
    for _ in 1 2 3; do
        t=$(measure '%e' "$@")
        best=$(python3 -c "print(min($best, $t))")
    done
    echo "$best"
}

vpg=$(best "$render" --fs 96000 --duration 600 -o "$dir/vpg.wav")
sox=$(best sox -n -r 96000 -c 2 -b 16 "$dir/sox.wav" synth 600 sine 100)
peak10=$(measure '%M' "$render" --fs 96000 --duration 600 -o "$dir/vpg.wav")
peak1=$(measure '%M' "$render" --fs 96000 --duration 60 -o "$dir/vpg.wav")
rm -f "$dir/vpg.wav" "$dir/sox.wav" "$dir/time.txt"

echo "vpg-render, 600 s at 96000 Hz: ${vpg} s"
echo "sox synth,  600 s at 96000 Hz: ${sox} s"
python3 -c "print(f'vpg-render is {$sox / $vpg:.2f} times faster than sox (target: 3)')"
echo "vpg-render peak memory: ${peak1} KiB for 60 s, ${peak10} KiB for 600 s (target: under 16384)"
