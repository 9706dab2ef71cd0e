#!/usr/bin/env bash
# Builds one picture library once from this Debian release's own source package, as a static
# library, into build/deps/NAME/:
#   src/           the unpacked source package, Debian's patches applied
#   FLAVOUR/       include/, lib/ and LICENSE.txt (the text that ships beside the program)
#   FLAVOUR/.built the stamp; delete it (or the folder) to build again
# The flavour "win" (the default) is for 64-bit Windows with the library's SIMD code. The flavour
# "fuzz" is native, built by clang for coverage and AddressSanitizer, so that the fuzz harnesses
# see and check the library's own code too: its assembly is left out, its C code stands in.
# Usage: build-library.sh NAME [BUILD_FOLDER [FLAVOUR]], NAME one of libjpeg-turbo, libwebp, dav1d.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
name="${1:?usage: build-library.sh libjpeg-turbo|libwebp|dav1d [build folder [win|fuzz]]}"
deps="${2:-$root/build}/deps/$name"
flavour="${3:-win}"
prefix="$deps/$flavour"
build="$deps/build-$flavour"
stamp="$prefix/.built"
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
jobs="${JOBS:-$(nproc)}"
[ -f "$stamp" ] && exit 0

fuzz_flags="-O1 -g -fno-omit-frame-pointer -fsanitize=fuzzer-no-link,address"
case "$flavour" in
  win) cmake_target=(-DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_CROSSCOMPILING_EMULATOR=) ;;
  fuzz) cmake_target=(-DCMAKE_C_COMPILER=clang "-DCMAKE_C_FLAGS_RELEASE=$fuzz_flags") ;;
  *) echo "build-library.sh: no flavour $flavour" >&2; exit 1 ;;
esac

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
  echo "Building $name from $(basename "$source_dir") ($flavour)"
  rm -rf "$build" "$prefix"
  mkdir -p "$prefix/include" "$prefix/lib"
}

build_libjpeg_turbo() {
  local simd=(-DWITH_SIMD=ON -DREQUIRE_SIMD=ON -DCMAKE_ASM_NASM_COMPILER=nasm)
  [ "$flavour" = fuzz ] && simd=(-DWITH_SIMD=OFF)
  cmake -S "$source_dir" -B "$build" "${cmake_target[@]}" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
    "${simd[@]}" >/dev/null
  cmake --build "$build" --target jpeg-static -j "$jobs" >/dev/null
  cp "$build/libjpeg.a" "$prefix/lib/"
  cp "$build/jconfig.h" "$source_dir"/{jpeglib.h,jmorecfg.h,jerror.h} "$prefix/include/"
  # The library's own licence, then the IJG terms it cites (the "LEGAL ISSUES" part of
  # README.ijg, up to its next heading).
  {
    cat "$source_dir/LICENSE.md"
    awk '/^LEGAL ISSUES$/ { keep = 1 } keep && /^REFERENCES$/ { exit } keep' "$source_dir/README.ijg"
  } > "$prefix/LICENSE.txt"
}

# The decoder and the demuxer (for the first frame of an animation); its SIMD code is intrinsics.
build_libwebp() {
  cmake -S "$source_dir" -B "$build" "${cmake_target[@]}" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DWEBP_ENABLE_SIMD=ON -DWEBP_USE_THREAD=OFF \
    -DWEBP_BUILD_ANIM_UTILS=OFF -DWEBP_BUILD_CWEBP=OFF -DWEBP_BUILD_DWEBP=OFF -DWEBP_BUILD_GIF2WEBP=OFF \
    -DWEBP_BUILD_IMG2WEBP=OFF -DWEBP_BUILD_VWEBP=OFF -DWEBP_BUILD_WEBPINFO=OFF -DWEBP_BUILD_LIBWEBPMUX=OFF \
    -DWEBP_BUILD_WEBPMUX=OFF -DWEBP_BUILD_EXTRAS=OFF >/dev/null
  cmake --build "$build" --target webpdecoder webpdemux -j "$jobs" >/dev/null
  cp "$build"/{libwebpdecoder.a,libwebpdemux.a} "$prefix/lib/"
  mkdir -p "$prefix/include/webp"
  cp "$source_dir"/src/webp/{decode.h,demux.h,mux_types.h,types.h} "$prefix/include/webp/"
  { cat "$source_dir/COPYING"; echo; cat "$source_dir/PATENTS"; } > "$prefix/LICENSE.txt"
}

# The AV1 decoder; its SIMD code is NASM, its build Meson.
build_dav1d() {
  if [ "$flavour" = fuzz ]; then
    CC=clang meson setup "$build" "$source_dir" --buildtype=release --default-library=static --prefix="$prefix" \
      -Denable_asm=false -Denable_tools=false -Denable_tests=false -Denable_examples=false -Dlogging=false \
      -Dc_args="$fuzz_flags" -Db_lundef=false >/dev/null
  else
    cross_build_dav1d
  fi
  ninja -C "$build" -j "$jobs" >/dev/null
  cp "$build/src/libdav1d.a" "$prefix/lib/"
  mkdir -p "$prefix/include/dav1d"
  cp "$source_dir"/include/dav1d/{common.h,data.h,dav1d.h,headers.h,picture.h} "$prefix/include/dav1d/"
  cp "$build/include/dav1d/version.h" "$prefix/include/dav1d/"
  cp "$source_dir/COPYING" "$prefix/LICENSE.txt"
}

cross_build_dav1d() {
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
  meson setup "$build" "$source_dir" --cross-file "$deps/cross.meson" --buildtype=release \
    --default-library=static --prefix="$prefix" -Denable_asm=true -Denable_tools=false -Denable_tests=false \
    -Denable_examples=false -Dlogging=false >/dev/null
}

fetch_source
case "$name" in
  libjpeg-turbo) build_libjpeg_turbo ;;
  libwebp) build_libwebp ;;
  dav1d) build_dav1d ;;
  *) echo "build-library.sh: no recipe for $name" >&2; exit 1 ;;
esac
basename "$source_dir" > "$stamp"
