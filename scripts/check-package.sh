#!/usr/bin/env bash
# Checks what the package ships beside the program: the sample pictures and their credits, and
# the size of the zip. Prints one line per check, "package: <check>: ok (...)" or "... FAILED
# (...)", and exits non-zero on a failure.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
folder=$(cd "${1:-$root/build/package/Tilvane}" && pwd)
zip_file="$(dirname "$folder")/Tilvane.zip"
samples="$folder/Sample pictures"
credits="$samples/Credits.txt"
failed=0
report() {  # check, outcome (0 = ok), what was seen
  if [ "$2" -eq 0 ]; then echo "package: $1: ok ($3)"; else echo "package: $1: FAILED ($3)"; failed=1; fi
}

# Between 8 and 12 JPEG photographs, none longer than 2560 pixels on its long side.
count=0; too_long=""; not_jpeg=""
for picture in "$samples"/*; do
  [ "$picture" = "$credits" ] && continue
  count=$((count + 1))
  [ "$(identify -format '%m' "$picture" 2>/dev/null)" = JPEG ] || not_jpeg+=" $(basename "$picture")"
  long=$(identify -format '%[fx:max(w,h)]' "$picture" 2>/dev/null || echo 0)
  [ "${long:-0}" -le 2560 ] || too_long+=" $(basename "$picture") ($long)"
done
[ "$count" -ge 8 ] && [ "$count" -le 12 ] && [ -z "$too_long$not_jpeg" ]
report "8 to 12 sample pictures, JPEG, at most 2560 pixels long" $? \
  "$count pictures${not_jpeg:+; not JPEG:$not_jpeg}${too_long:+; too long:$too_long}"

# The credits name each picture of the folder with its title, author, licence and source, and
# every picture they name is there.
if [ -f "$credits" ]; then
  credited=$(tr -d '\r' <"$credits" | grep -E '^[^ ].*\.jpg$' | sort)
  shipped=$(cd "$samples" && ls -1 | grep -v '^Credits\.txt$' | sort)
  missing=$(comm -13 <(echo "$credited") <(echo "$shipped") | tr '\n' ' ')
  absent=$(comm -23 <(echo "$credited") <(echo "$shipped") | tr '\n' ' ')
  fields=$(tr -d '\r' <"$credits" | grep -cE '^  (Title|Author|Licence|Source): +[^ ]')
  [ -z "$missing$absent" ] && [ "$fields" -eq $((4 * count)) ]
  report "Credits.txt credits every sample picture, and every picture it names is there" $? \
    "$(echo "$credited" | grep -c .) credited, $fields fields${missing:+; not credited: $missing}${absent:+; not there: $absent}"
else
  report "Credits.txt credits every sample picture, and every picture it names is there" 1 "no $credits"
fi

size=$(stat -c %s "$zip_file" 2>/dev/null || echo 0)
[ "$size" -gt 0 ] && [ "$size" -lt $((8 * 1024 * 1024)) ]
report "the zip is under 8 MB" $? "$zip_file: $size bytes"
exit $failed
