#!/usr/bin/env bash
# Builds the JPEG library once from this Debian release's own source package, as a static
# library for 64-bit Windows with its SIMD code (NASM), into build/deps/libjpeg-turbo/:
#   src/        the unpacked source package, Debian's patches applied
#   win/        include/ and lib/libjpeg.a for the cross build
#   win/.built  the stamp; delete it (or the folder) to build again
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
deps="${1:-$root/build}/deps/libjpeg-turbo"
prefix="$deps/win"
stamp="$prefix/.built"
[ -f "$stamp" ] && exit 0

mkdir -p "$deps"
if ! ls -d "$deps"/src/libjpeg-turbo-*/ >/dev/null 2>&1; then
  echo "Fetching the libjpeg-turbo source package"
  rm -rf "$deps/src" && mkdir -p "$deps/src"
  # Run as root, apt fetches as its own user, which may not write here: then it fetches as root.
  (cd "$deps/src" && apt-get source -qq -o APT::Sandbox::User=root libjpeg-turbo >/dev/null)
fi
source_dir=$(ls -d "$deps"/src/libjpeg-turbo-*/ | head -1)

echo "Building libjpeg-turbo from $(basename "$source_dir") for Windows"
rm -rf "$deps/build-win" "$prefix"
cmake -S "$source_dir" -B "$deps/build-win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
  -DWITH_SIMD=ON -DREQUIRE_SIMD=ON -DCMAKE_ASM_NASM_COMPILER=nasm -DCMAKE_CROSSCOMPILING_EMULATOR= >/dev/null
cmake --build "$deps/build-win" --target jpeg-static -j "${JOBS:-$(nproc)}" >/dev/null
mkdir -p "$prefix/include" "$prefix/lib"
cp "$deps/build-win/libjpeg.a" "$prefix/lib/"
cp "$deps/build-win/jconfig.h" "$source_dir"/{jpeglib.h,jmorecfg.h,jerror.h} "$prefix/include/"
# The licence text that ships with the program: the library's own, then the IJG terms it cites
# (the "LEGAL ISSUES" part of README.ijg, up to its next heading).
{
  cat "$source_dir/LICENSE.md"
  awk '/^LEGAL ISSUES$/ { keep = 1 } keep && /^REFERENCES$/ { exit } keep' "$source_dir/README.ijg"
} > "$prefix/LICENSE.txt"
basename "$source_dir" > "$stamp"
