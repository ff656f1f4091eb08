#!/usr/bin/env bash
# Installs what is missing, builds, and starts the generator vpg. Without a display (neither
# DISPLAY nor WAYLAND_DISPLAY set) it says so and renders an example signal into
# out/example.wav with vpg-render instead.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
if [[ -n ${DISPLAY:-} || -n ${WAYLAND_DISPLAY:-} ]]; then
    cmake --build build -j"$(nproc)" --target vpg vpg-send
    echo "Starting build/apps/vpg (build/apps/vpg-send controls it from another terminal)."
    exec build/apps/vpg "$@"
fi

echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): the window cannot open here."
echo "Rendering an example signal with vpg-render instead."
cmake --build build -j"$(nproc)" --target vpg-render
mkdir -p out
build/apps/vpg-render --freq 100 --delta 0.2 --duration 5 -o out/example.wav
echo "Wrote out/example.wav: 5 s, 100 Hz sine (left) and strobe pulses at 100.2 Hz (right)."
command -v soxi >/dev/null && soxi out/example.wav
echo "Listen with: play out/example.wav"
