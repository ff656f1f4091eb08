#!/usr/bin/env bash
# Cross-builds the Windows program with mingw-w64, warning-free, with the C++ runtime linked
# statically: build-win32/ (i686, the release build) and build-win64/ (x86_64, the build the
# tests run under wine64). Installs the compilers when they are missing.
#
#   bash scripts/build-windows.sh            # both
#   bash scripts/build-windows.sh win64      # only one of them (win32 or win64)
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake make ccache googletest g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix)
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

builds=("$@")
((${#builds[@]})) || builds=(win32 win64)
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
jobs=$(nproc)

for build in "${builds[@]}"; do
    case $build in
        win32) arch=i686 ;;
        win64) arch=x86_64 ;;
        *) echo "unknown build '$build' (win32 or win64)" >&2; exit 2 ;;
    esac
    echo "== build-$build ($arch, Release)"
    cmake -S . -B "build-$build" -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-mingw-$arch.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
        -DCMAKE_C_COMPILER_LAUNCHER=ccache >/dev/null
    cmake --build "build-$build" -j"$jobs"
done
