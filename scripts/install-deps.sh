#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when they are missing; with
# package names as arguments, those instead (the other scripts install their own tools so).
# Idempotent; runs unattended (CI runs it as root with no standard input).
set -euo pipefail

packages=("$@")
((${#packages[@]})) || packages=(
    g++ cmake make pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    clang clang-format libclang-rt-14-dev
    sox python3 time
    libasound2-dev libasound2-plugins pulseaudio pulseaudio-utils
    qt6-base-dev libxcb1-dev
    xvfb xdotool x11-utils xclip util-linux
    fonts-liberation imagemagick
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
fi
