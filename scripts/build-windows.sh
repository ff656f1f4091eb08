#!/usr/bin/env bash
# Cross-builds the Windows program with mingw-w64, warning-free, with the C++ runtime linked
# statically: build-win32/ (i686, the release build) and build-win64/ (x86_64, the build the
# tests run under wine64), each folder holding vpg.exe, vpg-send.exe and the help file vpg.chm
# (scripts/build-help.sh), the release programs stripped. The i686 folder's three files and a
# short readme (data/windows-readme.txt, as README.txt with Windows line ends) are packed into
# build-win32/vimbrel-pulse-generator-1.2-win32.zip. Installs what is missing.
#
#   bash scripts/build-windows.sh            # both
#   bash scripts/build-windows.sh win64      # only one of them (win32 or win64)
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake make ccache googletest zip g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix)
bash scripts/install-deps.sh "${packages[@]}"

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
    # The help file beside the program: compiled once, copied to the other folder.
    if [[ -n ${help:-} ]]; then
        cp -- "$help" "build-$build/vpg.chm"
    else
        bash scripts/build-help.sh "build-$build"
        help=$PWD/build-$build/vpg.chm
    fi
    for f in vpg.exe vpg-send.exe vpg.chm; do
        [[ -f build-$build/$f ]] || { echo "build-$build/$f is missing" >&2; exit 1; }
    done
    # What a user unpacks carries no debug sections.
    for f in vpg.exe vpg-send.exe; do
        if "$arch-w64-mingw32-objdump" -h "build-$build/$f" | grep -q '\.debug_'; then
            echo "build-$build/$f is not stripped" >&2
            exit 1
        fi
    done
    if [[ $build == win32 ]]; then
        zip_file=build-win32/vimbrel-pulse-generator-1.2-win32.zip
        rm -f "$zip_file"
        sed 's/$/\r/' data/windows-readme.txt >build-win32/README.txt
        zip -q -j -X "$zip_file" build-win32/vpg.exe build-win32/vpg-send.exe build-win32/vpg.chm \
            build-win32/README.txt
        echo "packed $zip_file:"
        unzip -l "$zip_file"
    fi
done
