#!/usr/bin/env bash
# Runs every test suite: the include rules of the layers, the native core tests under the
# sanitizers, the fuzz harnesses briefly, the Windows tests under Wine on a virtual display, and
# the package: its help pictures taken from the real game and its help page in a real browser.
# Ends with one line "N passed, N failed".
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [ -z "${TILVANE_DISPLAY_READY:-}" ]; then
  export TILVANE_DISPLAY_READY=1
  exec bash "$root/scripts/with-display.sh" bash "$0" "$@"
fi
export BUILD_DIR="$root/build"
results="$BUILD_DIR/results"
rm -rf "$results"; mkdir -p "$results"
passed=0; failed=0

# Adds up one gtest XML report; a missing report counts as one failed case.
count_report() {
  local suite=$1 xml=$2 code=$3
  if [ ! -s "$xml" ]; then
    echo "$suite: no report (exit code $code): counted as 1 failed"
    failed=$((failed + 1)); return
  fi
  local counts
  counts=$(awk '
    function finish() { if (open) { if (failure) f++; else if (!skipped) p++; open = 0 } }
    /<testcase / { finish(); open = 1; failure = 0; skipped = ($0 ~ /result="skipped"/);
                   if ($0 ~ /\/>[[:space:]]*$/) finish() }
    /<failure/ { failure = 1 }
    /<\/testcase>/ { finish() }
    END { finish(); print p + 0, f + 0 }' "$xml")
  local p=${counts% *} f=${counts#* }
  if [ "$code" -ne 0 ] && [ "$f" -eq 0 ]; then f=1; echo "$suite: exit code $code without a failed case: counted as 1 failed"; fi
  echo "$suite: $p passed, $f failed"
  passed=$((passed + p)); failed=$((failed + f))
}

# The cases of a gtest XML report that failed, as Suite.Case filters, one per line.
failed_cases() {
  awk '/<testcase / { match($0, / name="[^"]*"/); name = substr($0, RSTART + 7, RLENGTH - 8)
                      match($0, / classname="[^"]*"/); suite = substr($0, RSTART + 12, RLENGTH - 13) }
       /<failure/ && suite "." name != last { last = suite "." name; print last }' "$1"
}

# Real input under Wine is now and then lost on a busy machine (a key or a drop that never
# arrives). An end-to-end case that failed runs once more on its own, in the same prefix and at
# the same DPI, and counts as passed only when that run passes; the line says so. More than
# three failed cases in one run are not retried: that is no lost event.
retry_failed_cases() {
  local suite=$1 xml=$2 name=$3; shift 3
  [ -s "$xml" ] || return
  local cases; cases=$(failed_cases "$xml")
  [ -n "$cases" ] && [ "$(echo "$cases" | wc -l)" -le 3 ] || return
  local case_name retry
  while read -r case_name; do
    retry="$name-again-$(echo "$case_name" | tr -c 'A-Za-z0-9\n' '-')"
    (cd "$WINE_BIN_DIR" && timeout 600 "$@" wine "$WINE_BIN_DIR/$suite.exe" --gtest_filter="$case_name" \
        --gtest_output="xml:C:\\Tilvane\\results\\$retry.xml" >"$results/$retry.log" 2>&1 </dev/null)
    if [ $? -eq 0 ] && cp -f "$win_results/$retry.xml" "$results/" 2>/dev/null &&
       [ "$(grep -c '<testcase ' "$results/$retry.xml")" = 1 ] && [ -z "$(failed_cases "$results/$retry.xml")" ]; then
      echo "$case_name: failed, then passed when run again on its own (see $results/$retry.log): counted as passed"
      passed=$((passed + 1)); failed=$((failed - 1))
    else
      echo "$case_name: failed again when run on its own (see $results/$retry.log)"
    fi
  done <<<"$cases"
}

# 0. The layers point one way: one test case.
if layers=$(bash "$root/scripts/check-layers.sh" 2>&1); then
  echo "layers: ok"; passed=$((passed + 1))
else
  echo "$layers"; echo "layers: FAILED"; failed=$((failed + 1))
fi
# The layer rules themselves, each on a tree made for it: one test case a rule.
while read -r line; do
  case "$line" in ok:*) passed=$((passed + 1)) ;; *) echo "layer rules: $line"; failed=$((failed + 1)) ;; esac
done < <(bash "$root/tests/layers/CheckLayersTests.sh" 2>&1)

# 1. Native core tests under AddressSanitizer and UndefinedBehaviorSanitizer.
native_xml="$results/native-core.xml"
timeout 600 "$BUILD_DIR/native/tests/CoreTests" --gtest_output="xml:$native_xml" >"$results/native-core.log" 2>&1
code=$?
[ $code -ne 0 ] && tail -40 "$results/native-core.log"
count_report "core tests (native, sanitizers)" "$native_xml" $code

# 2. Fuzz harnesses, briefly.
while read -r line; do
  echo "$line"
  case "$line" in *": ok, "*) passed=$((passed + 1)) ;; *FAILED*) failed=$((failed + 1)) ;; esac
done < <(FUZZ_RUNS= FUZZ_JOBS=1 FUZZ_SECONDS="${FUZZ_SECONDS:-20}" bash "$root/scripts/run-fuzzers.sh" 2>&1)

# 3. Windows tests under Wine.
source "$root/scripts/wine-env.sh"
wine_prepare_prefix
# Unix links inside the prefix, as Wine shows them to Windows programs: the folder-tree tests
# check that deleting and copying never reach through them (their targets are made by the tests).
links="$WINEPREFIX/drive_c/Tilvane/links"
rm -rf "$links"; mkdir -p "$links/Tree" "$links/Destination"
ln -s ../Outside "$links/Tree/FolderLink"; ln -s ../Empty "$links/Tree/EmptyLink"
ln -s ../Outside.txt "$links/Tree/FileLink"; ln -s Outside "$links/RootLink"
ln -s ../Outside.txt "$links/Destination/plain.txt"
# The installer's checks follow links too: one into a package folder, one to the system folder,
# and a package folder of an installation swapped for a link to a folder outside it.
ln -s Package "$links/PackageLink"; ln -s ../../windows "$links/WindowsLink"
mkdir -p "$links/Installation"; ln -s "../Outside pictures" "$links/Installation/Sample pictures"
# A program folder that cannot be written, undone on every way out of this script.
trap 'wine_stop; wine_unmount_readonly' EXIT
trap 'exit 130' INT TERM HUP
wine_mount_readonly || true
win_results="$WINEPREFIX/drive_c/Tilvane/results"
rm -rf "$win_results"; mkdir -p "$win_results"
for exe in "$BUILD_DIR"/win/Tilvane.exe "$BUILD_DIR"/win/tests/*.exe; do
  [ -f "$exe" ] && wine_stage "$exe" >/dev/null
done
bash "$root/scripts/make-test-pictures.sh" "$BUILD_DIR/pictures"
wine_stage_pictures
wine_stage_hostile_pictures
wine_stage_package_texts
wine_start_input_bridge
for suite in CoreTests WineTests DpiTests EndToEndTests; do
  [ -f "$WINE_BIN_DIR/$suite.exe" ] || continue
  (cd "$WINE_BIN_DIR" && timeout 1200 wine "$WINE_BIN_DIR/$suite.exe" \
      --gtest_output="xml:C:\\Tilvane\\results\\$suite.xml" >"$results/$suite.log" 2>&1 </dev/null)
  code=$?
  [ $code -ne 0 ] && grep -E '^\[  FAILED|Failure|error|Expected|Which is|Value of' "$results/$suite.log" | head -60
  cp -f "$win_results/$suite.xml" "$results/" 2>/dev/null
  count_report "$suite (Wine)" "$results/$suite.xml" $code
  [ "$suite" = EndToEndTests ] && retry_failed_cases "$suite" "$results/$suite.xml" "$suite"
done
# The windows at denser screens: the DPI tests and a game played by dragging, at 144 and at 192
# DPI, each in programs started while the prefix has that DPI (scripts/with-dpi.sh puts the
# prefix's own value back).
play="EndToEndTests:PlayEndToEnd.ShuffleFlipMarkHintAndSolveByDragging"
for dpi_run in "144:DpiTests:*" "144:$play" "192:DpiTests:*" "192:$play"; do
    dpi=${dpi_run%%:*}; run=${dpi_run#*:}
    suite=${run%%:*}; filter=${run#*:}; name="$suite-$dpi"
    [ -f "$WINE_BIN_DIR/$suite.exe" ] || continue
    (cd "$WINE_BIN_DIR" && timeout 600 bash "$root/scripts/with-dpi.sh" "$dpi" wine "$WINE_BIN_DIR/$suite.exe" \
        --gtest_filter="$filter" --gtest_output="xml:C:\\Tilvane\\results\\$name.xml" \
        >"$results/$name.log" 2>&1 </dev/null)
    code=$?
    [ $code -ne 0 ] && grep -E '^\[  FAILED|Failure|error|Expected|Which is|Value of' "$results/$name.log" | head -60
    cp -f "$win_results/$name.xml" "$results/" 2>/dev/null
    count_report "$suite at $dpi DPI (Wine)" "$results/$name.xml" $code
    [ "$suite" = EndToEndTests ] && retry_failed_cases "$suite" "$results/$name.xml" "$name" bash "$root/scripts/with-dpi.sh" "$dpi"
done
wine_stop
# The read-only view must not outlive the run: one test case.
if wine_unmount_readonly; then
  echo "read-only mount undone: ok"; passed=$((passed + 1))
else
  echo "read-only mount undone: FAILED, still mounted at $WINE_READONLY_VIEW"; failed=$((failed + 1))
fi

# 4. The package, with pictures taken from the real game (one suite), its sample pictures and
#    their credits, and its help page opened in headless Chromium: each check at each width is
#    one case.
if bash "$root/scripts/make-package.sh" >"$results/package.log" 2>&1; then
  echo "package: ok"; passed=$((passed + 1))
else
  tail -20 "$results/package.log"; echo "package: FAILED"; failed=$((failed + 1))
fi
count_report "help pictures (Wine)" "$results/HelpPictures.xml" 0
while read -r line; do
  echo "$line"
  case "$line" in *": ok "*) passed=$((passed + 1)) ;; *FAILED*) failed=$((failed + 1)) ;; esac
done < <(bash "$root/scripts/check-package.sh" "$BUILD_DIR/package/Tilvane" 2>&1)
while read -r line; do
  echo "$line"
  case "$line" in *": ok "*) passed=$((passed + 1)) ;; *FAILED*) failed=$((failed + 1)) ;; esac
done < <(bash "$root/scripts/check-help-page.sh" "$BUILD_DIR/package/Tilvane" 2>&1)

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
