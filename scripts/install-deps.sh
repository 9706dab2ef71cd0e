#!/usr/bin/env bash
# Installs what the build and the tests need on Debian or Ubuntu, skipping what is already there.
set -euo pipefail
need=()
have() { command -v "$1" >/dev/null 2>&1; }
have x86_64-w64-mingw32-g++-posix || need+=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64)
have wine || need+=(wine wine64)
have Xvfb || need+=(xvfb)
have cmake || need+=(cmake)
have make || need+=(make)
have g++ || need+=(g++)
have clang++ || need+=(clang)
[ -x /usr/bin/convert-im6.q16 ] || [ -x /usr/bin/magick ] || need+=(imagemagick)
have xdotool || need+=(xdotool)
have xdpyinfo || need+=(x11-utils)
have zip || need+=(zip)
have optipng || need+=(optipng)
# The help page is checked in a real browser; without recommended packages it stays small.
lean=()
have chromium || lean+=(chromium)
fc-list 2>/dev/null | grep -q . || lean+=(fonts-dejavu-core)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
# libFuzzer and the sanitizer runtimes for clang
ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 || need+=(libclang-rt-14-dev)
# The picture libraries (scripts/build-library.sh): their SIMD code needs NASM, dav1d's build
# Meson and Ninja, unpacking their source packages dpkg-source; the native core links the
# system's builds of the same sources, found with pkg-config.
have nasm || need+=(nasm)
have meson || need+=(meson)
have ninja || need+=(ninja-build)
have dpkg-source || need+=(dpkg-dev)
have pkg-config || need+=(pkg-config)
[ -f /usr/include/jpeglib.h ] || need+=(libjpeg62-turbo-dev)
[ -f /usr/include/webp/demux.h ] || need+=(libwebp-dev)
[ -f /usr/include/dav1d/dav1d.h ] || need+=(libdav1d-dev)
# The WebP and AVIF test pictures are made with the formats' own encoders.
have cwebp || need+=(webp)
have avifenc || need+=(libavif-bin)

SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO="sudo"

# `apt-get source` needs a deb-src entry for the archive the machine already installs from.
source_entries() {
  cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null | grep -E '^\s*deb-src\s' || true
  cat /etc/apt/sources.list.d/*.sources 2>/dev/null | grep -E '^Types:.*deb-src' || true
}
add_source_entries() {
  local added=/etc/apt/sources.list.d/tilvane-deb-src
  if ls /etc/apt/sources.list.d/*.sources >/dev/null 2>&1; then
    for file in /etc/apt/sources.list.d/*.sources; do
      grep -q '^URIs:.*debian\|^URIs:.*ubuntu' "$file" || continue
      sed 's/^Types: deb$/Types: deb-src/' "$file"
      echo
    done | $SUDO tee "$added.sources" >/dev/null
  else
    grep -hE '^\s*deb\s' /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
      sed 's/^\s*deb\s/deb-src /' | $SUDO tee "$added.list" >/dev/null
  fi
}
update_lists=false
if [ -z "$(source_entries)" ]; then
  echo "Adding deb-src entries for the configured archive"
  add_source_entries
  update_lists=true
fi

if [ ${#need[@]} -gt 0 ] || [ ${#lean[@]} -gt 0 ] || $update_lists; then
  $SUDO apt-get update -qq
fi
if [ ${#need[@]} -gt 0 ] || [ ${#lean[@]} -gt 0 ]; then
  echo "Installing: ${need[*]} ${lean[*]}"
  [ ${#need[@]} -eq 0 ] || DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}" >/dev/null
  [ ${#lean[@]} -eq 0 ] ||
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${lean[@]}" >/dev/null
fi
