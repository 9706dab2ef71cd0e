#!/usr/bin/env bash
# Runs one Windows program inside the build's Wine prefix (used by ctest as the emulator).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
wine_prepare_prefix
exe=$(wine_stage "$1"); shift
cd "$WINE_BIN_DIR"
exec wine "$exe" "$@"
