#!/usr/bin/env bash
# Proves that the Debian package installs and runs on a fresh Debian 12: a minimal bookworm is
# bootstrapped into a folder of its own, the package is installed there with apt resolving its
# dependencies (without the recommended ones, so that Depends alone must suffice), and vpg
# starts under a virtual X server inside it; a screenshot of that screen is written.
#     bash scripts/check-deb.sh [PACKAGE.deb] [SCREENSHOT.png]
# Needs root (debootstrap, chroot, mounts) and Debian's archive; takes several minutes, so it
# is not part of the test command. Without a package it builds one into build-pkg/.
set -euo pipefail
cd "$(dirname "$0")/.."

((EUID == 0)) || { echo "check-deb: run as root (debootstrap and chroot)" >&2; exit 2; }
deb=${1:-}
shot=${2:-out/check-deb.png}
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
if [[ -z $deb ]]; then
    bash scripts/install-deps.sh
    cmake -S . -B build-pkg -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
        -DVPG_BUILD_TESTS=OFF -DVPG_BUILD_BENCH=OFF >/dev/null
    cmake --build build-pkg -j"$(nproc)" --target vpg vpg-send vpg-render
    (cd build-pkg && cpack -G DEB >/dev/null)
    deb=$(ls build-pkg/vimbrel-pulse-generator_*_amd64.deb)
fi
[[ -f $deb ]] || { echo "check-deb: no package at $deb" >&2; exit 2; }
bash scripts/install-deps.sh debootstrap
mkdir -p "$(dirname "$shot")"
shot=$(cd "$(dirname "$shot")" && pwd)/$(basename "$shot")

root=$(mktemp -d /var/tmp/check-deb.XXXXXX)
cleanup() {
    # The mounts live in the mount namespace below and are gone with it.
    rm -rf --one-file-system "$root"
}
trap cleanup EXIT

echo "== debootstrap bookworm (minbase) into $root"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.log" 2>&1 ||
    { tail -n 20 "$root.log"; exit 1; }
rm -f "$root.log"
cp "$deb" "$root/tmp/vpg.deb"

# Everything inside runs in a mount namespace of its own, so /proc and /dev leave with it.
unshare --mount --fork bash -s "$root" "$shot" <<'INSIDE'
set -euo pipefail
root=$1
shot=$2
mount -t proc proc "$root/proc"
mount --rbind /dev "$root/dev"
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
inside() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
    DEBIAN_FRONTEND=noninteractive "$@"; }

echo "== apt installs the package and what it depends on"
inside apt-get update -qq
inside apt-get install -y -qq --no-install-recommends /tmp/vpg.deb xvfb </dev/null >/dev/null
inside dpkg -s vimbrel-pulse-generator | grep -E '^(Status|Version|Depends):'
inside sh -c 'ls /usr/bin/vpg /usr/bin/vpg-send /usr/bin/vpg-render \
    /usr/share/vimbrel-pulse-generator/help/index.html /usr/share/applications/*.desktop \
    /usr/share/icons/hicolor/scalable/apps/vimbrel-pulse-generator.svg'

echo "== vpg-render and vpg-send"
inside vpg-render --freq 100 --duration 1 -o /tmp/example.wav
status=0
inside vpg-send 1024 || status=$?
[[ $status == 2 ]] || { echo "vpg-send without a program exited $status"; exit 1; }

echo "== vpg under Xvfb"
mkdir -p "$root/tmp/fb"
inside sh -c 'Xvfb :7 -screen 0 1024x768x24 -fbdir /tmp/fb -nolisten tcp 2>/tmp/xvfb.log &
    echo $! >/tmp/xvfb.pid
    sleep 2
    export DISPLAY=:7 XDG_RUNTIME_DIR=/tmp/run
    mkdir -m 700 -p /tmp/run
    vpg >/tmp/vpg.log 2>&1 &
    echo $! >/tmp/vpg.pid
    sleep 8'
alive=0
inside sh -c 'kill -0 "$(cat /tmp/vpg.pid)"' && alive=1
# The screen as Xvfb keeps it, an XWD image in its frame-buffer folder.
cp "$root/tmp/fb/Xvfb_screen0" "${shot%.png}.xwd"
inside sh -c 'kill "$(cat /tmp/vpg.pid)" 2>/dev/null; sleep 1; kill "$(cat /tmp/xvfb.pid)"; sleep 1' || true
echo "--- vpg's output"
cat "$root/tmp/vpg.log"
((alive)) || { echo "vpg did not keep running"; exit 1; }
echo "vpg ran under Xvfb inside the fresh system"
INSIDE
convert "xwd:${shot%.png}.xwd" "$shot" && rm -f "${shot%.png}.xwd"
echo "screenshot: $shot"
