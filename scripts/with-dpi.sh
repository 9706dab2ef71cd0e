#!/usr/bin/env bash
# Runs a command while the build's Wine prefix has another screen DPI, and puts the prefix's own
# values back on every way out: when the command ends, fails or is interrupted, and (through
# wine_restore_dpi in wine_prepare_prefix) at the next run after a kill that left no way out.
#   bash scripts/with-dpi.sh 144 wine C:\\Tilvane\\bin\\Tilvane.exe
# Wine 8 reads the DPI once per process, at its start: HKCU\Control Panel\Desktop\LogPixels, or
# HKCC\Software\Fonts\LogPixels where the first is missing. Both are set, so that every program
# the command starts sees the same DPI; programs already running keep theirs.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
: "${BUILD_DIR:=$root/build}"
source "$root/scripts/wine-env.sh"
dpi=${1:?usage: with-dpi.sh DPI command...}
shift
case $dpi in *[!0-9]* | '') echo "with-dpi.sh: not a DPI: $dpi" >&2; exit 2 ;; esac
wine_restore_dpi
wine_save_dpi
trap 'wine_restore_dpi' EXIT
trap 'exit 130' INT TERM HUP
wine_set_dpi "$dpi"
"$@"
