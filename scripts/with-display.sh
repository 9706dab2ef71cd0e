#!/usr/bin/env bash
# Runs a command on the current X display, or on a virtual one made for it when there is none.
# With TILVANE_SCREEN (such as 800x600x24) it always makes a virtual display of that size.
set -euo pipefail
if [ -z "${TILVANE_SCREEN:-}" ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then exec "$@"; fi
for n in $(seq 91 140); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { display=":$n"; break; }
done
Xvfb "$display" -screen 0 "${TILVANE_SCREEN:-1280x1024x24}" -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
export DISPLAY="$display"
for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
echo "Started a virtual display $DISPLAY for this run." >&2
"$@"
