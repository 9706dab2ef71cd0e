#!/usr/bin/env bash
# Opens the package's Help.html in headless Chromium at 800 px and at 200 % zoom (a 400 px view
# at twice the pixel density) and checks that every image loads, every link resolves, there is no
# horizontal scroll bar and the text stays readable (tests/help/help-page-check.js). Prints one
# line per check, "help page <view>: <check>: ok ..." or "... FAILED ...", and keeps a
# screenshot of the page at 800 px as build/results/help-page.png. Exits non-zero on a failure.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
folder=$(cd "${1:-$root/build/package/Tilvane}" && pwd)
results="$root/build/results"
mkdir -p "$results"
profile=$(mktemp -d)
# A frame of the width under test shows Help.html itself; the page around it, beside Help.html,
# runs the checks. 200 % zoom in an 800 px window is a 400 px view at twice the pixel density.
probe="$folder/.help-check.html"
trap 'rm -rf "$profile" "$probe"' EXIT

write_probe() {
  cat >"$probe" <<HTML
<!DOCTYPE html>
<html><head><meta charset="utf-8"><style>body { margin: 0 } iframe { border: 0; display: block }</style>
<script src="file://$root/tests/help/help-page-check.js"></script></head>
<body><iframe id="page" src="Help.html" width="$1" height="600"></iframe></body></html>
HTML
}

browser() {
  timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync --hide-scrollbars \
    --user-data-dir="$profile" --allow-file-access-from-files --run-all-compositor-stages-before-draw \
    --virtual-time-budget=10000 "$@" 2>/dev/null
}

failed=0
# Runs the page's checks in a view of a width and a pixel density, and prints them.
check_view() {
  local view=$1 width=$2 scale=$3 dom
  write_probe "$width"
  dom=$(browser --window-size=800,600 --force-device-scale-factor="$scale" --dump-dom "file://$probe")
  local findings
  findings=$(sed -n '/<pre id="help-check" hidden="">/,/<\/pre>/p' <<<"$dom" | sed 's#<[^>]*>##g')
  if [ -z "$findings" ]; then echo "help page $view: the checks did not run: FAILED"; failed=1; return; fi
  # The page cannot look at files; the links to them come first and are looked for here.
  local missing=""
  while IFS=$'\t' read -r kind name seen; do
    case "$kind" in
      file) [ -e "$name" ] || missing+=" $name" ;;
      height) page_height=$name ;;
      ok | FAILED)
        if [ "$name" = "every link inside the page resolves" ] && [ -n "$missing" ]; then
          kind=FAILED; seen+="; missing files:$missing"
        fi
        if [ "$kind" = ok ]; then echo "help page $view: $name: ok ($seen)"
        else echo "help page $view: $name: FAILED ($seen)"; failed=1; fi ;;
    esac
  done <<<"$findings"
}

page_height=2000
check_view "at 800 px" 800 1
height=$page_height
check_view "at 200 % zoom" 400 2
browser --window-size="800,$height" --screenshot="$results/help-page.png" "file://$folder/Help.html" >/dev/null
[ -s "$results/help-page.png" ] || { echo "help page: no screenshot of the page: FAILED"; failed=1; }
exit $failed
