#!/usr/bin/env bash
# Builds one picture library once from this Debian release's own source package, as a static
# library for 64-bit Windows with its SIMD code, into build/deps/NAME/:
#   src/        the unpacked source package, Debian's patches applied
#   win/        include/, lib/ and LICENSE.txt (the text that ships beside the program)
#   win/.built  the stamp; delete it (or the folder) to build again
# Usage: build-library.sh NAME [BUILD_FOLDER], NAME one of libjpeg-turbo, libwebp, dav1d.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
name="${1:?usage: build-library.sh libjpeg-turbo|libwebp|dav1d [build folder]}"
deps="${2:-$root/build}/deps/$name"
prefix="$deps/win"
stamp="$prefix/.built"
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
jobs="${JOBS:-$(nproc)}"
[ -f "$stamp" ] && exit 0

fetch_source() {
  mkdir -p "$deps"
  if ! ls -d "$deps"/src/"$name"-*/ >/dev/null 2>&1; then
    echo "Fetching the $name source package"
    rm -rf "$deps/src" && mkdir -p "$deps/src"
    # Run as root, apt fetches as its own user, which may not write here: then it fetches as root.
    (cd "$deps/src" && apt-get source -qq -o APT::Sandbox::User=root "$name" >/dev/null)
  fi
  source_dir=$(ls -d "$deps"/src/"$name"-*/ | head -1)
  source_dir="${source_dir%/}"
  echo "Building $name from $(basename "$source_dir") for Windows"
  rm -rf "$deps/build-win" "$prefix"
  mkdir -p "$prefix/include" "$prefix/lib"
}

build_libjpeg_turbo() {
  cmake -S "$source_dir" -B "$deps/build-win" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
    -DWITH_SIMD=ON -DREQUIRE_SIMD=ON -DCMAKE_ASM_NASM_COMPILER=nasm -DCMAKE_CROSSCOMPILING_EMULATOR= >/dev/null
  cmake --build "$deps/build-win" --target jpeg-static -j "$jobs" >/dev/null
  cp "$deps/build-win/libjpeg.a" "$prefix/lib/"
  cp "$deps/build-win/jconfig.h" "$source_dir"/{jpeglib.h,jmorecfg.h,jerror.h} "$prefix/include/"
  # The library's own licence, then the IJG terms it cites (the "LEGAL ISSUES" part of
  # README.ijg, up to its next heading).
  {
    cat "$source_dir/LICENSE.md"
    awk '/^LEGAL ISSUES$/ { keep = 1 } keep && /^REFERENCES$/ { exit } keep' "$source_dir/README.ijg"
  } > "$prefix/LICENSE.txt"
}

# The decoder and the demuxer (for the first frame of an animation); its SIMD code is intrinsics.
build_libwebp() {
  cmake -S "$source_dir" -B "$deps/build-win" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DWEBP_ENABLE_SIMD=ON -DWEBP_USE_THREAD=OFF \
    -DWEBP_BUILD_ANIM_UTILS=OFF -DWEBP_BUILD_CWEBP=OFF -DWEBP_BUILD_DWEBP=OFF -DWEBP_BUILD_GIF2WEBP=OFF \
    -DWEBP_BUILD_IMG2WEBP=OFF -DWEBP_BUILD_VWEBP=OFF -DWEBP_BUILD_WEBPINFO=OFF -DWEBP_BUILD_LIBWEBPMUX=OFF \
    -DWEBP_BUILD_WEBPMUX=OFF -DWEBP_BUILD_EXTRAS=OFF -DCMAKE_CROSSCOMPILING_EMULATOR= >/dev/null
  cmake --build "$deps/build-win" --target webpdecoder webpdemux -j "$jobs" >/dev/null
  cp "$deps/build-win"/{libwebpdecoder.a,libwebpdemux.a} "$prefix/lib/"
  mkdir -p "$prefix/include/webp"
  cp "$source_dir"/src/webp/{decode.h,demux.h,mux_types.h,types.h} "$prefix/include/webp/"
  { cat "$source_dir/COPYING"; echo; cat "$source_dir/PATENTS"; } > "$prefix/LICENSE.txt"
}

# The AV1 decoder; its SIMD code is NASM, its build Meson.
build_dav1d() {
  cat > "$deps/cross.meson" <<EOF
[binaries]
c = 'x86_64-w64-mingw32-gcc-posix'
ar = 'x86_64-w64-mingw32-ar'
strip = 'x86_64-w64-mingw32-strip'
nasm = 'nasm'

[host_machine]
system = 'windows'
cpu_family = 'x86_64'
cpu = 'x86_64'
endian = 'little'
EOF
  meson setup "$deps/build-win" "$source_dir" --cross-file "$deps/cross.meson" --buildtype=release \
    --default-library=static --prefix="$prefix" -Denable_asm=true -Denable_tools=false -Denable_tests=false \
    -Denable_examples=false -Dlogging=false >/dev/null
  ninja -C "$deps/build-win" -j "$jobs" >/dev/null
  cp "$deps/build-win/src/libdav1d.a" "$prefix/lib/"
  mkdir -p "$prefix/include/dav1d"
  cp "$source_dir"/include/dav1d/{common.h,data.h,dav1d.h,headers.h,picture.h} "$prefix/include/dav1d/"
  cp "$deps/build-win/include/dav1d/version.h" "$prefix/include/dav1d/"
  cp "$source_dir/COPYING" "$prefix/LICENSE.txt"
}

fetch_source
case "$name" in
  libjpeg-turbo) build_libjpeg_turbo ;;
  libwebp) build_libwebp ;;
  dav1d) build_dav1d ;;
  *) echo "build-library.sh: no recipe for $name" >&2; exit 1 ;;
esac
basename "$source_dir" > "$stamp"
