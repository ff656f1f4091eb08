#!/usr/bin/env bash
# Renders the pictures from their SVG sources and checks the results:
#   art/vpg-icon.svg -> art/vpg-icon-{16,24,32,48,64,128,256}.png and art/vpg.ico
#   art/splash.svg   -> art/splash.png (480 x 320, no alpha) and art/splash.bmp (24-bit)
#   art/wiring.svg   -> help/wiring.png (the help's wiring picture)
# Installs what is missing; runs unattended (as root, with no standard input).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
art="$root/art"

packages=(librsvg2-bin imagemagick fonts-dejavu-core python3)
bash "$root/scripts/install-deps.sh" "${packages[@]}"

# ImageMagick's own convert (another "convert" may come first on PATH).
im=""
for c in magick /usr/bin/convert convert; do
    if command -v "$c" >/dev/null && "$c" -version 2>/dev/null | grep -q ImageMagick; then
        im=$(command -v "$c")
        break
    fi
done
[[ -n $im ]] || { echo "ImageMagick's convert not found" >&2; exit 1; }
identify=(/usr/bin/identify)
[[ -x ${identify[0]} ]] || identify=("$im" identify)
# No time stamps in the files, so that an unchanged picture renders to the same bytes.
png_opts=(-strip -define png:exclude-chunks=date,time)

# --- the icon ---------------------------------------------------------------------------------
icon_sizes=(16 24 32 48 64 128 256)
ico_sizes=(16 24 32 48 64 256)
for s in "${icon_sizes[@]}"; do
    rsvg-convert -w "$s" -h "$s" "$art/vpg-icon.svg" -o "$art/vpg-icon-$s.png.tmp"
    "$im" "$art/vpg-icon-$s.png.tmp" "${png_opts[@]}" "PNG32:$art/vpg-icon-$s.png"
    rm -f "$art/vpg-icon-$s.png.tmp"
done
ico_inputs=()
for s in "${ico_sizes[@]}"; do ico_inputs+=("$art/vpg-icon-$s.png"); done
"$im" "${ico_inputs[@]}" "$art/vpg.ico"

# --- the splash -------------------------------------------------------------------------------
# Rendered onto white and stored without alpha: white is the splash window's colour key.
rsvg-convert -b white -w 480 -h 320 "$art/splash.svg" -o "$art/splash.png.tmp"
"$im" "$art/splash.png.tmp" -background white -alpha remove -alpha off -type TrueColor \
    "${png_opts[@]}" "PNG24:$art/splash.png"
"$im" "$art/splash.png.tmp" -background white -alpha remove -alpha off -type TrueColor \
    "BMP3:$art/splash.bmp"
rm -f "$art/splash.png.tmp"

# --- the help's wiring picture ----------------------------------------------------------------
rsvg-convert -b white -w 640 -h 260 "$art/wiring.svg" -o "$root/help/wiring.png.tmp"
"$im" "$root/help/wiring.png.tmp" -background white -alpha remove -alpha off "${png_opts[@]}" \
    "PNG24:$root/help/wiring.png"
rm -f "$root/help/wiring.png.tmp"

# --- checks -----------------------------------------------------------------------------------
fail() { echo "render-art: $*" >&2; exit 1; }

for s in "${icon_sizes[@]}"; do
    got=$("${identify[@]}" -format '%wx%h' "$art/vpg-icon-$s.png")
    [[ $got == "${s}x$s" ]] || fail "vpg-icon-$s.png is $got"
done
got=$("${identify[@]}" -format '%w ' "$art/vpg.ico" | xargs -n1 | sort -n | xargs)
[[ $got == "${ico_sizes[*]}" ]] || fail "vpg.ico holds the sizes '$got', not '${ico_sizes[*]}'"
got=$("${identify[@]}" -format '%wx%h %[channels]' "$art/splash.png")
[[ $got == "480x320 srgb" ]] || fail "splash.png is '$got', not '480x320 srgb' (no alpha)"
got=$("${identify[@]}" -format '%wx%h %[bit-depth] %[channels]' "$art/splash.bmp")
[[ $got == "480x320 8 srgb" ]] || fail "splash.bmp is '$got', not 24-bit 480x320"
[[ $(head -c 2 "$art/splash.bmp") == BM ]] || fail "splash.bmp is not a BMP file"
bpp=$(od -An -tu2 -j28 -N2 "$art/splash.bmp" | tr -d ' ')
[[ $bpp == 24 ]] || fail "splash.bmp has $bpp bits per pixel, not 24"

# The splash's pixels: pure white outside the panel only, and the dark band under the About
# box's labels empty and nearly black.
"$im" "$art/splash.png" -depth 8 ppm:- | python3 -c '
import sys
data = sys.stdin.buffer.read()
magic, dims, maxval, pixels = data.split(b"\n", 3)
w, h = map(int, dims.split())
assert magic == b"P6" and (w, h) == (480, 320) and maxval == b"255"
def px(x, y):
    i = (y * w + x) * 3
    return tuple(pixels[i:i + 3])
WHITE = (255, 255, 255)
# The panel: the rounded rectangle from (2, 2) to (478, 318) with corner radius 18.
def inside(x, y, margin):
    x0, y0, x1, y1, r = 2 + margin, 2 + margin, 477 - margin, 317 - margin, 18 - margin
    if not (x0 <= x <= x1 and y0 <= y <= y1):
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
errors = []
for (x, y) in [(0, 0), (479, 0), (0, 319), (479, 319), (240, 0), (0, 160)]:
    if px(x, y) != WHITE:
        errors.append(f"({x},{y}) outside the panel is {px(x, y)}, not pure white")
inner_white = [(x, y) for y in range(h) for x in range(w) if inside(x, y, 2) and px(x, y) == WHITE]
if inner_white:
    errors.append(f"{len(inner_white)} pure white pixels inside the panel, e.g. {inner_white[:3]}")
band = {px(x, y) for y in range(232, 318) for x in range(0, 300) if inside(x, y, 2)}
if len(band) != 1 or max(next(iter(band))) > 40:
    errors.append(f"the band left of x=300 below y=232 is not one nearly black colour: {sorted(band)[:5]}")
if errors:
    print("splash.png:", *errors, sep="\n  ", file=sys.stderr)
    sys.exit(1)
' || fail "splash.png breaks the colour-key or band rules"

echo "rendered: vpg-icon-{${icon_sizes[*]// /,}}.png, vpg.ico (${ico_sizes[*]}), splash.png, splash.bmp, help/wiring.png"
