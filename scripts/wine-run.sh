#!/usr/bin/env bash
# Runs one Windows program inside the build's Wine prefix (used by ctest as the emulator).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
wine_prepare_prefix
# The test programs start helper programs and the game from their own folder.
for sibling in "$(dirname "$1")"/*.exe "$BUILD_DIR/win/Tilvane.exe"; do
  [ -f "$sibling" ] && wine_stage "$sibling" >/dev/null
done
wine_stage_pictures
wine_stage_hostile_pictures
wine_stage_package_texts
exe=$(wine_stage "$1"); shift
cd "$WINE_BIN_DIR"
trap 'wine_unmount_readonly' EXIT
trap 'exit 130' INT TERM HUP
wine_mount_readonly || true
wine_start_input_bridge
code=0
wine "$exe" "$@" || code=$?
wine_stop_input_bridge
exit $code
