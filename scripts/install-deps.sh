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
if [ ${#need[@]} -gt 0 ] || [ ${#lean[@]} -gt 0 ]; then
  echo "Installing: ${need[*]} ${lean[*]}"
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  [ ${#need[@]} -eq 0 ] || DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}" >/dev/null
  [ ${#lean[@]} -eq 0 ] ||
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${lean[@]}" >/dev/null
fi
