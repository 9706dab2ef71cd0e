#!/usr/bin/env bash
# Takes the help page's pictures from the real program (tests/pictures/HelpPictures.cpp) and
# writes them as losslessly compressed PNG files into the folder given. The program runs on a
# virtual display of its own, 800 x 600, where the game window gets its designed size, under a
# Wine server started for that display. The scenario's report goes to build/results/.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [ -z "${TILVANE_PICTURE_DISPLAY:-}" ]; then
  export TILVANE_PICTURE_DISPLAY=1
  TILVANE_SCREEN=800x600x24 exec bash "$root/scripts/with-display.sh" bash "$0" "$@"
fi
unset TILVANE_SCREEN
out=$1
export BUILD_DIR="$root/build"
source "$root/scripts/wine-env.sh"
# A server of another display would open the windows there.
wine_stop
wine_prepare_prefix
trap wine_stop EXIT
shots="$WINEPREFIX/drive_c/Tilvane/help-pictures"
rm -rf "$shots"
wine_stage "$BUILD_DIR/win/Tilvane.exe" >/dev/null
exe=$(wine_stage "$BUILD_DIR/win/tests/HelpPictures.exe")
wine_stage_package_texts
mkdir -p "$BUILD_DIR/results" "$WINEPREFIX/drive_c/Tilvane/results"
log="$BUILD_DIR/results/HelpPictures.log"
wine_start_input_bridge
code=0
(cd "$WINE_BIN_DIR" && timeout 600 wine "$exe" --gtest_output='xml:C:\Tilvane\results\HelpPictures.xml' \
  >"$log" 2>&1 </dev/null) || code=$?
cp -f "$WINEPREFIX/drive_c/Tilvane/results/HelpPictures.xml" "$BUILD_DIR/results/" 2>/dev/null || true
if [ $code -ne 0 ]; then
  grep -E '^\[  FAILED|Failure|Expected|Which is|Value of' "$log" | head -40 >&2
  echo "The help pictures could not be taken (exit code $code); see $log" >&2
  exit 1
fi
mkdir -p "$out"
for bmp in "$shots"/*.bmp; do
  png="$out/$(basename "${bmp%.bmp}").png"
  convert "$bmp" -strip "$png"
  optipng -quiet -o2 "$png"
done
