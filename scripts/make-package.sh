#!/usr/bin/env bash
# Lays out the installation package: build/package/Tilvane/ and build/package/Tilvane.zip,
# with pictures of the real game beside the help page.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
package="$root/build/package"
# The program links libjpeg-turbo, libwebp and dav1d, whose licences ship beside ours: each text in
# package/ must be the one of the source package built (scripts/build-library.sh writes it there).
for library in libjpeg-turbo libwebp dav1d; do
  built_licence="$root/build/deps/$library/win/LICENSE.txt"
  if [ -f "$built_licence" ] && ! cmp -s "$built_licence" "$root/package/License-$library.txt"; then
    echo "package/License-$library.txt is not the licence of the $library linked in: copy $built_licence over it" >&2
    exit 1
  fi
done
# The package's own entries, one a line ("name" or "folder/"): the installer copies exactly these.
contents="$root/package/Contents.list"
entries=$(sed -e '/^#/d' -e '/^[[:space:]]*$/d' "$contents")
listed() { grep -qxF -- "$1" <<<"$entries"; }
# A file put into package/ without its line would ship but never be installed.
for file in "$root"/package/*; do
  name=$(basename "$file")
  [ "$name" = Contents.list ] && continue
  [ -d "$file" ] && name="$name/"
  if ! listed "$name"; then
    echo "package/$name is not listed in package/Contents.list: add the line \"$name\" there" >&2
    exit 1
  fi
done
rm -rf "$package"
mkdir -p "$package/Tilvane"
cp "$root/build/win/Tilvane.exe" "$package/Tilvane/Install.exe"
# The build keeps debugging information for the tests; the package does without it.
x86_64-w64-mingw32-strip "$package/Tilvane/Install.exe" 2>/dev/null || true
# Text files get Windows line ends; everything else ships as it is. Entries that package/ does not
# hold are made here (the program above, the help pictures below).
while IFS= read -r entry; do
  source="$root/package/${entry%/}"
  [ -e "$source" ] || continue
  case "$entry" in
    *.txt) sed "s/\r*$/\r/" "$source" > "$package/Tilvane/$entry" ;;
    *) cp -r "$source" "$package/Tilvane/" ;;
  esac
done <<<"$entries"
# The sample pictures with their credits, made again only when their list changes.
bash "$root/scripts/make-sample-pictures.sh" "$root/build/sample-pictures"
cp -r "$root/build/sample-pictures/Sample pictures" "$package/Tilvane/"
# Pictures of the real game for the help page, taken anew for every package.
bash "$root/scripts/help-pictures.sh" "$package/Tilvane/HelpPictures"
# The package holds its listed entries and nothing else.
while IFS= read -r entry; do
  if [ ! -e "$package/Tilvane/${entry%/}" ]; then
    echo "package/Contents.list names $entry, which the package does not hold" >&2
    exit 1
  fi
done <<<"$entries"
for item in "$package/Tilvane"/*; do
  name=$(basename "$item")
  [ -d "$item" ] && name="$name/"
  if ! listed "$name"; then
    echo "the package holds $name, which package/Contents.list does not name" >&2
    exit 1
  fi
done
(cd "$package" && zip -q -r Tilvane.zip Tilvane)
echo "Package: $package/Tilvane/ and $package/Tilvane.zip"
ls -l "$package/Tilvane" "$package/Tilvane/HelpPictures" "$package/Tilvane/Sample pictures"
du -sh "$package/Tilvane" "$package/Tilvane.zip"
