#!/usr/bin/env bash
# Checks what the package ships beside the program: 8 to 12 sample pictures (JPEG, at most 2560
# pixels long), credits for exactly the pictures there, and a zip under 8 MB. Prints one line per
# check, "package: <check>: ok (...)" or "... FAILED (...)"; exits non-zero on a failure.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
folder=$(cd "${1:-$root/build/package/Tilvane}" && pwd)
samples="$folder/Sample pictures"
failed=0
report() { if [ "$2" -eq 0 ]; then echo "package: $1: ok ($3)"; else echo "package: $1: FAILED ($3)"; failed=1; fi; }

shipped=$(cd "$samples" 2>/dev/null && ls -1 | grep -vx 'Credits.txt')
count=$(grep -c . <<<"$shipped")
odd=$(cd "$samples" 2>/dev/null && while read -r name; do
  identify -format '%m %[fx:max(w,h)]' "$name" 2>/dev/null | awk '$1 == "JPEG" && $2 <= 2560 { ok = 1 } END { exit !ok }' ||
    echo -n " $name"
done <<<"$shipped")
[ "$count" -ge 8 ] && [ "$count" -le 12 ] && [ -z "$odd" ]
report "8 to 12 sample pictures, JPEG, at most 2560 pixels long" $? "$count pictures${odd:+; not so:$odd}"

credited=$(tr -d '\r' <"$samples/Credits.txt" 2>/dev/null | grep -E '^[^ ].*\.jpg$')
fields=$(tr -d '\r' <"$samples/Credits.txt" 2>/dev/null | grep -cE '^  (Title|Author|Licence|Source): +[^ ]')
differ=$(diff <(sort <<<"$credited") <(sort <<<"$shipped") | grep '^[<>]' | tr '\n' ' ')
[ -n "$credited" ] && [ -z "$differ" ] && [ "$fields" -eq $((4 * count)) ]
report "Credits.txt credits every sample picture, and every picture it names is there" $? \
  "$fields fields${differ:+; < credited only, > shipped only: $differ}"

size=$(stat -c %s "$(dirname "$folder")/Tilvane.zip" 2>/dev/null || echo 0)
[ "$size" -gt 0 ] && [ "$size" -lt $((8 * 1024 * 1024)) ]
report "the zip is under 8 MB" $? "$size bytes"
exit $failed
