#!/usr/bin/env bash
# Lays out the installation package: build/package/Tilvane/ and build/package/Tilvane.zip,
# with pictures of the real game beside the help page.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
package="$root/build/package"
# The program links libjpeg-turbo, whose licence ships beside ours: the text in package/ must be
# the one of the source package built (scripts/build-libjpeg-turbo.sh writes it there).
built_licence="$root/build/deps/libjpeg-turbo/win/LICENSE.txt"
if [ -f "$built_licence" ] && ! cmp -s "$built_licence" "$root/package/License-libjpeg-turbo.txt"; then
  echo "package/License-libjpeg-turbo.txt is not the licence of the libjpeg-turbo linked in: copy $built_licence over it" >&2
  exit 1
fi
rm -rf "$package"
mkdir -p "$package/Tilvane"
cp "$root/build/win/Tilvane.exe" "$package/Tilvane/Install.exe"
# The build keeps debugging information for the tests; the package does without it.
x86_64-w64-mingw32-strip "$package/Tilvane/Install.exe" 2>/dev/null || true
# Text files get Windows line ends; everything else ships as it is.
for file in "$root"/package/*; do
  case "$file" in
    *.txt) sed "s/\r*$/\r/" "$file" > "$package/Tilvane/$(basename "$file")" ;;
    *) cp -r "$file" "$package/Tilvane/" ;;
  esac
done
# Pictures of the real game for the help page, taken anew for every package.
bash "$root/scripts/help-pictures.sh" "$package/Tilvane/HelpPictures"
(cd "$package" && zip -q -r Tilvane.zip Tilvane)
echo "Package: $package/Tilvane/ and $package/Tilvane.zip"
ls -l "$package/Tilvane" "$package/Tilvane/HelpPictures"
du -sh "$package/Tilvane" "$package/Tilvane.zip"
