#!/usr/bin/env bash
# Makes the JPEG pictures of the picture tests and benchmarks with ImageMagick, and their WebP and
# AVIF kin with those formats' own encoders (cwebp, img2webp, avifenc), once, into
# build/pictures/ (again when this script changes). Plasma fractals with a fixed seed, so that
# every run sees the same pictures; "photo" ones add a sensor's grain to the smooth plasma.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out="${1:-$root/build/pictures}"
stamp="$out/.made-by-$(md5sum "${BASH_SOURCE[0]}" | cut -c1-12)"
[ -f "$stamp" ] && exit 0
rm -rf "$out" && mkdir -p "$out"
convert=$(command -v convert-im6.q16 || command -v convert || command -v magick)
# Debian's policy keeps ImageMagick under 128 megapixels; the largest pictures here need more.
policy="$out/.policy"
mkdir -p "$policy"
cat > "$policy/policy.xml" <<'POLICY'
<policymap>
  <policy domain="resource" name="memory" value="2GiB"/>
  <policy domain="resource" name="map" value="4GiB"/>
  <policy domain="resource" name="width" value="64KP"/>
  <policy domain="resource" name="height" value="64KP"/>
  <policy domain="resource" name="area" value="1GP"/>
  <policy domain="resource" name="disk" value="8GiB"/>
</policymap>
POLICY
export MAGICK_CONFIGURE_PATH="$policy"
echo "Making the JPEG test pictures in $out"
plasma() { "$convert" -size "$1" -seed "$2" plasma:fractal "${@:3}"; }
# photo WIDTHxHEIGHT NAME: a plasma a quarter (an eighth for the largest) of the size, enlarged
# smoothly, with grain of its own size.
photo() {
  local size=$1 name=$2 width=${1%x*} height=${1#*x} part=4
  [ "$width" -gt 8000 ] && part=8
  plasma "$((width / part))x$((height / part))" 11 -resize "$size!" -attenuate 0.3 +noise Gaussian \
    -quality 90 "$out/$name"
}
# The kinds of JPEG the decoder must take, 1200 x 900 at quality 90.
plasma 1200x900 3 -quality 90 -sampling-factor 2x2 "$out/plasma.jpg"
plasma 1200x900 3 -quality 90 -interlace JPEG "$out/progressive.jpg"
plasma 1200x900 3 -quality 90 -colorspace Gray "$out/grey.jpg"
# ImageMagick writes CMYK pictures as Adobe YCCK.
plasma 1200x900 3 -quality 90 -colorspace CMYK "$out/ycck.jpg"
photo 1600x1200 photo.jpg
# The benchmarks' pictures.
photo 6000x4000 photo-6000x4000.jpg
plasma 6000x4000 3 -quality 90 "$out/plasma-6000x4000.jpg"
photo 16000x12000 photo-16000x12000.jpg
# An Exif block (APP1) whose first directory holds only the orientation tag, big-endian.
exif_orientation() { printf '\xff\xe1\x00\x22Exif\0\0MM\0*\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0'"\\x0$1"'\0\0\0\0\0\0'; }
# with_orientation N IN OUT: the JPEG IN with that block right after its start, as a camera writes it.
with_orientation() { { head -c 2 "$2"; exif_orientation "$1"; tail -c +3 "$2"; } > "$3"; }
# A portrait picture stored turned each of the eight ways, with the orientation that turns it
# upright again: as JPEG (the Exif block) and as TIFF (its own tag). Each must look as upright.png
# does once turned; ImageMagick's own -auto-orient checks that here.
plasma 480x640 5 "$out/upright.png"
names=(TopLeft TopRight BottomRight BottomLeft LeftTop RightTop RightBottom LeftBottom)
stored=("" -flop "-rotate 180" -flip -transpose "-rotate 270" -transverse "-rotate 90")
for orientation in 1 2 3 4 5 6 7 8; do
  turn=${stored[orientation - 1]}
  # shellcheck disable=SC2086  # the turn is one or two words
  "$convert" "$out/upright.png" $turn -sampling-factor 1x1 -quality 95 "$out/.stored.jpg"
  with_orientation "$orientation" "$out/.stored.jpg" "$out/turned-$orientation.jpg"
  # shellcheck disable=SC2086
  "$convert" "$out/upright.png" $turn -orient "${names[orientation - 1]}" -compress none "$out/turned-$orientation.tif"
  for file in "$out/turned-$orientation.jpg" "$out/turned-$orientation.tif"; do
    psnr=$("$convert" "$file" -auto-orient "$out/upright.png" -metric PSNR -format '%[distortion]' -compare info: 2>&1 || true)
    case $psnr in inf|[3-9][0-9]*|[1-9][0-9][0-9]*) ;; *) echo "$file is not upright once turned (PSNR $psnr)" >&2; exit 1 ;; esac
  done
done
rm -f "$out/.stored.jpg"
# The 24-megapixel photo as a camera stores a portrait: lying, with a quarter turn clockwise to do.
with_orientation 6 "$out/photo-6000x4000.jpg" "$out/photo-portrait-turned.jpg"
# Beyond the megapixel budget of every other format: 200 megapixels, smooth and quick to make.
"$convert" -size 16320x12256 gradient:navy-orange -quality 90 "$out/gradient-200mp.jpg"

# WebP and AVIF of every kind, each beside the PNG it must look like ("<name>.png"): transparent
# parts on black, animations by their first frame, turned pictures upright.
echo "Making the WebP and AVIF test pictures"
plasma 800x600 3 "$out/kin.png"
plasma 800x600 7 "$out/kin-second-frame.png"
# A band across the middle is transparent, over colours that must not show.
"$convert" "$out/kin.png" -alpha set -channel A -fx 'j > h/3 && j < h*2/3 ? 0 : 1' +channel "$out/.kin-alpha.png"
"$convert" "$out/.kin-alpha.png" -background black -flatten "$out/kin-on-black.png"
cwebp -quiet -q 90 "$out/kin.png" -o "$out/lossy.webp"; cp "$out/kin.png" "$out/lossy.webp.png"
cwebp -quiet -lossless "$out/kin.png" -o "$out/lossless.webp"; cp "$out/kin.png" "$out/lossless.webp.png"
cwebp -quiet -q 90 -exact "$out/.kin-alpha.png" -o "$out/lossy-alpha.webp"; cp "$out/kin-on-black.png" "$out/lossy-alpha.webp.png"
cwebp -quiet -lossless -exact "$out/.kin-alpha.png" -o "$out/lossless-alpha.webp"; cp "$out/kin-on-black.png" "$out/lossless-alpha.webp.png"
img2webp -lossy -q 90 "$out/kin.png" "$out/kin-second-frame.png" -o "$out/animated.webp" >/dev/null 2>&1
cp "$out/kin.png" "$out/animated.webp.png"
avif() { avifenc --min 8 --max 24 -s 8 "$@" >/dev/null; }
avif -d 8 -y 420 "$out/kin.png" "$out/8bit-420.avif"; cp "$out/kin.png" "$out/8bit-420.avif.png"
avif -d 10 -y 422 -r limited "$out/kin.png" "$out/10bit-422.avif"; cp "$out/kin.png" "$out/10bit-422.avif.png"
avif -d 12 -y 444 "$out/kin.png" "$out/12bit-444.avif"; cp "$out/kin.png" "$out/12bit-444.avif.png"
avif -d 8 -y 420 "$out/.kin-alpha.png" "$out/alpha.avif"; cp "$out/kin-on-black.png" "$out/alpha.avif.png"
avif -d 8 -y 420 "$out/kin.png" "$out/kin-second-frame.png" "$out/animated.avif"; cp "$out/kin.png" "$out/animated.avif.png"
# Stored turned so that "irot" (quarter turns anticlockwise) and then "imir" (0 top to bottom,
# 1 left to right) put it upright: the stored picture is the upright one with those undone.
for turn in "1 none:-rotate 90" "2 0:-flip -rotate 180" "3 1:-flop -rotate 270" "0 1:-flop"; do
  set -- ${turn%%:*}; undo=${turn#*:}
  options=(--irot "$1"); [ "$2" = none ] || options+=(--imir "$2")
  # shellcheck disable=SC2086  # the undoing is several words
  "$convert" "$out/kin.png" $undo "$out/.stored.png"
  avif -d 8 -y 444 "${options[@]}" "$out/.stored.png" "$out/turned-$1-$2.avif"
  cp "$out/kin.png" "$out/turned-$1-$2.avif.png"
done
# Made of 2 x 2 tiles, as large pictures are stored, and cut to their output size: the encoder
# splits a picture evenly, so it gets one 4 pixels larger each way, over a colour that must not
# show, and the grid's output size (ImageGrid data, then its "ispe") is made smaller afterwards.
# Odd with 4:4:4; with 4:2:0 the sizes stay even, as the format asks.
grid_avif() {  # SOURCE NAME WIDTH HEIGHT avifenc-options...
  local source=$1 name=$2 width=$3 height=$4
  shift 4
  "$convert" "$source" -background magenta -compose Copy -extent 804x604 "$out/.grid.png"
  avif --grid 2x2 "$@" "$out/.grid.png" "$out/.grid.avif"
  perl -0777 -pe "s/\x00\x00\x01\x01\x03\x24\x02\x5c/pack('C4n2', 0, 0, 1, 1, $width, $height)/ge;
                  s/ispe\x00{4}\x00\x00\x03\x24\x00\x00\x02\x5c/'ispe' . pack('N3', 0, $width, $height)/ge" \
    "$out/.grid.avif" > "$out/$name"
  cmp -s "$out/.grid.avif" "$out/$name" && { echo "$name: the grid's output size was not found" >&2; exit 1; }
  rm -f "$out/.grid.png" "$out/.grid.avif"
}
grid_avif "$out/kin.png" grid-2x2.avif 799 599 -d 8 -y 444
"$convert" "$out/kin.png" -crop 799x599+0+0 +repage "$out/grid-2x2.avif.png"
grid_avif "$out/.kin-alpha.png" grid-2x2-alpha.avif 798 598 -d 8 -y 420
"$convert" "$out/kin-on-black.png" -crop 798x598+0+0 +repage "$out/grid-2x2-alpha.avif.png"
# The benchmarks' 24-megapixel photograph as WebP at quality 90 and as AVIF.
"$convert" "$out/photo-6000x4000.jpg" "$out/.photo.png"
cwebp -quiet -q 90 "$out/.photo.png" -o "$out/photo-6000x4000.webp"
avifenc --min 8 --max 24 -s 10 -y 420 -j all "$out/.photo.png" "$out/photo-6000x4000.avif" >/dev/null
rm -f "$out"/.kin-alpha.png "$out/.stored.png" "$out/.photo.png"
rm -rf "$policy"
touch "$stamp"
