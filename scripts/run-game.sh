#!/usr/bin/env bash
# Starts the game under Wine from a fresh folder of its own in the build's prefix (C:\Tilvane\Game).
# Without a display it starts a virtual one, leaves a screenshot in build/ and ends the game.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export BUILD_DIR="$root/build"
if [ -z "${TILVANE_DISPLAY_READY:-}" ]; then
  export TILVANE_DISPLAY_READY=1
  if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then export TILVANE_VIRTUAL_DISPLAY=1; fi
  exec bash "$root/scripts/with-display.sh" bash "$0" "$@"
fi
source "$root/scripts/wine-env.sh"
wine_prepare_prefix
# A fresh folder every time, with the sample pictures beside the program as the package has them:
# every run is a player's first start, which shows a sample picture ready to shuffle.
bash "$root/scripts/make-sample-pictures.sh" "$BUILD_DIR/sample-pictures"
game_dir="$WINEPREFIX/drive_c/Tilvane/Game"
rm -rf "$game_dir"
mkdir -p "$game_dir"
cp -f "$BUILD_DIR/win/Tilvane.exe" "$game_dir/"
cp -r "$BUILD_DIR/sample-pictures/Sample pictures" "$game_dir/"
cd "$game_dir"
if [ -z "${TILVANE_VIRTUAL_DISPLAY:-}" ]; then
  wine "$game_dir/Tilvane.exe"
  exit 0
fi
wine "$game_dir/Tilvane.exe" >/dev/null 2>&1 &
game=$!
sleep 6
shot="$BUILD_DIR/run-screenshot.png"
import -window root "$shot" 2>/dev/null || convert-im6.q16 x:root "$shot" 2>/dev/null || true
if kill -0 $game 2>/dev/null; then
  echo "The game is running on the virtual display $DISPLAY; screenshot: $shot"
  kill $game 2>/dev/null || true
else
  wait $game; code=$?
  echo "The game ended by itself with exit code $code; screenshot: $shot"
fi
wine_stop
