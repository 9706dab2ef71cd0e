#!/usr/bin/env bash
# Makes the JPEG pictures of the picture tests and benchmarks with ImageMagick, once, into
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
# Beyond the megapixel budget of every other format: 200 megapixels, smooth and quick to make.
"$convert" -size 16320x12256 gradient:navy-orange -quality 90 "$out/gradient-200mp.jpg"
rm -rf "$policy"
touch "$stamp"
