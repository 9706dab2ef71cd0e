#!/usr/bin/env bash
# Runs every benchmark of the Windows build under Wine and prints its figures.
# Runs on a virtual screen of 3840 x 2160 (TILVANE_SCREEN sets another).
# BENCH_ONLY="BenchA BenchB" runs only the benchmarks named.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export BUILD_DIR="$root/build"
# On a virtual screen of 3840 x 2160: the largest windows players have are measured there.
if [ -z "${TILVANE_DISPLAY_READY:-}" ]; then
  export TILVANE_DISPLAY_READY=1
  export TILVANE_SCREEN="${TILVANE_SCREEN:-3840x2160x24}"
  exec bash "$root/scripts/with-display.sh" bash "$0" "$@"
fi
source "$root/scripts/wine-env.sh"
wine_prepare_prefix
bash "$root/scripts/make-test-pictures.sh" "$BUILD_DIR/pictures"
wine_stage_pictures
wine_stage_hostile_pictures
# The game itself, which BenchNextPicture starts as its own process.
wine_stage "$BUILD_DIR/win/Tilvane.exe" >/dev/null
# Half an hour each at most: BenchSoak plays for 13 to 18 minutes, the longer on a busy machine.
for exe in "$BUILD_DIR"/win/tests/Bench*.exe; do
  [ -f "$exe" ] || continue
  if [ -n "${BENCH_ONLY:-}" ] && [[ " $BENCH_ONLY " != *" $(basename "$exe" .exe) "* ]]; then continue; fi
  staged=$(wine_stage "$exe")
  echo "== $(basename "$exe" .exe)"
  (cd "$WINE_BIN_DIR" && timeout 1800 wine "$staged" 2>&1 </dev/null) || echo "== $(basename "$exe" .exe) exited with code $?"
done
wine_stop
