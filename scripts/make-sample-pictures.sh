#!/usr/bin/env bash
# Makes the sample pictures that ship with the game, "Sample pictures/" with its "Credits.txt",
# in the folder given (build/sample-pictures/ by default), from the Debian binary packages named
# in scripts/sample-pictures.tsv: each package is fetched with `apt-get download` and unpacked,
# each picture's licence is checked against the package's copyright file, and the picture is
# resized to at most LONG_SIDE pixels on its long side and saved as JPEG of quality 88.
# Nothing is done when the folder was made from the same list by the same script.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
list="$root/scripts/sample-pictures.tsv"
out=${1:-$root/build/sample-pictures}
# 1920 pixels fill a full-HD puzzle area; 2560 would take the package's zip past 8 MB.
LONG_SIDE=1920
QUALITY=88

stamp="$out/.made-from"
wanted=$(cat "$list" "${BASH_SOURCE[0]}" | sha256sum | cut -d' ' -f1)
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$wanted" ] && [ -f "$out/Sample pictures/Credits.txt" ]; then
  exit 0
fi
convert=convert; command -v convert >/dev/null 2>&1 || convert="magick"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pictures() { grep -v '^#' "$list" | grep -v '^[[:space:]]*$'; }

# The binary packages only (a few MB each), never their source packages.
packages=$(pictures | cut -f2 | sort -u)
if ! (cd "$work" && apt-get download $packages >/dev/null 2>&1); then
  apt-get update -qq
  (cd "$work" && apt-get download $packages >/dev/null)
fi
declare -A version
for package in $packages; do
  deb=$(ls "$work/${package}"_*.deb)
  version[$package]=$(dpkg-deb -f "$deb" Version)
  mkdir -p "$work/$package"
  # Only the pictures listed and the copyright file: some packages are large.
  members=("./usr/share/doc/$package/copyright")
  while IFS= read -r path; do members+=(".$path"); done < <(pictures | awk -F'\t' -v p="$package" '$2 == p { print $3 }')
  dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$work/$package" "${members[@]}"
done

# The value of a field ("License", "Copyright") for an installed file, as the copyright file says
# it: the last stanza whose "Files:" patterns (continued on indented lines) match the file wins, as
# the copyright format rules. The patterns name the source tree, which the package may install
# under other folders: a pattern matches the end of the installed path, or names the file itself.
copyright_field() {
  local copyright=$1 path=$2 field=$3 line pattern listing=0 matched=0 value=""
  local -
  set -f  # "Files: *" is a pattern to match, not one to expand
  while IFS= read -r line; do
    if [[ $line == Files:* ]]; then
      listing=1 matched=0 line=${line#Files:}
    elif [[ $listing == 1 && $line == [[:space:]]* ]]; then
      :
    else
      listing=0
      [[ -z ${line//[[:space:]]/} ]] && matched=0
      [[ $matched == 1 && $line == "$field:"* ]] && value=$(sed 's/^[^:]*: *//' <<<"$line")
      continue
    fi
    for pattern in $line; do
      # shellcheck disable=SC2053  # the pattern is a glob on purpose
      [[ $path == */$pattern || ${pattern##*/} == "${path##*/}" ]] && matched=1
    done
  done <"$copyright"
  echo "$value"
}

# "CC-BY-SA-4.0" -> its deed's address.
licence_address() {
  case "$1" in
    CC0-1.0) echo "https://creativecommons.org/publicdomain/zero/1.0/" ;;
    public-domain) echo "free of copyright, as the package's copyright file explains" ;;
    CC-BY-*) local kind=${1#CC-}; kind=${kind%-*}; echo "https://creativecommons.org/licenses/$(tr 'A-Z' 'a-z' <<<"$kind")/${1##*-}/" ;;
    *) echo "the licence text in the package's copyright file" ;;
  esac
}

rm -rf "$out"
folder="$out/Sample pictures"
mkdir -p "$folder"
credits="$work/Credits.txt"
{
  echo "Sample pictures"
  echo
  echo "The photographs in this folder are the work of the people named below, and ship with"
  echo "Tilvane under the licences given. Each was taken from the Debian package named, resized"
  echo "to at most $LONG_SIDE pixels on its long side and saved as JPEG; nothing else was changed."
} >"$credits"
while IFS=$'\t' read -r file package path title author licence; do
  copyright="$work/$package/usr/share/doc/$package/copyright"
  source="$work/$package$path"
  [ -f "$source" ] || { echo "$package has no $path" >&2; exit 1; }
  stated=$(copyright_field "$copyright" "$path" License)
  if [ "$stated" != "$licence" ]; then
    echo "$path: the list says $licence, the copyright file of $package says ${stated:-nothing}" >&2
    exit 1
  fi
  "$convert" -define jpeg:size=$((2 * LONG_SIDE))x$((2 * LONG_SIDE)) "$source" -auto-orient \
    -resize "${LONG_SIDE}x${LONG_SIDE}>" -strip -sampling-factor 4:2:0 -quality $QUALITY "$folder/$file"
  {
    echo
    echo "$file"
    echo "  Title:     $title"
    echo "  Author:    $author (copyright: $(copyright_field "$copyright" "$path" Copyright))"
    echo "  Licence:   $licence, $(licence_address "$licence")"
    echo "  Source:    Debian package $package ${version[$package]}, $path"
  } >>"$credits"
done < <(pictures)
sed 's/$/\r/' "$credits" >"$folder/Credits.txt"
echo "$wanted" >"$stamp"
echo "Sample pictures: $folder ($(du -sh "$folder" | cut -f1))"
