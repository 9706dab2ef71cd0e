# Sourced by the scripts that run Windows programs: one private Wine prefix per build folder.
# The prefix cannot reach the Linux file system: no Z: drive, no links out of drive_c, and the
# user's Desktop, Documents and the like are plain folders inside the prefix.
: "${BUILD_DIR:=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}"
export WINEPREFIX="${WINEPREFIX_OVERRIDE:-$BUILD_DIR/wineprefix}"
# Wine's own traces are off; TILVANE_WINEDEBUG=+msg,+key (say) turns channels on for a run.
export WINEDEBUG=${TILVANE_WINEDEBUG:--all}
export WINEARCH=win64
# No debugger on a crash: a crashed test program must end, not wait for someone at a console.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d;winedbg.exe=d"
WINE_BIN_DIR="$WINEPREFIX/drive_c/Tilvane/bin"

# Makes the prefix once; later calls only start its server if it is not running.
wine_prepare_prefix() {
  if [ ! -f "$WINEPREFIX/.tilvane-ready" ]; then
    # A view left by a run that was killed would stop the removal half-way.
    wine_unmount_readonly
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 </dev/null
    wineserver -w
    local user_dir
    for user_dir in "$WINEPREFIX"/drive_c/users/*/; do
      local name
      for name in Desktop Documents Pictures Music Videos Downloads Templates; do
        if [ -L "$user_dir$name" ]; then rm -f "$user_dir$name"; mkdir -p "$user_dir$name"; fi
      done
    done
    # Without a window manager, Wine waits two seconds for every managed window to be withdrawn
    # when it closes (each message box, each file dialog); unmanaged windows close at once.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
    wineserver -w
    rm -f "$WINEPREFIX/dosdevices/z:"
    find "$WINEPREFIX/drive_c" -type l -delete
    touch "$WINEPREFIX/.tilvane-ready"
  fi
  mkdir -p "$WINE_BIN_DIR"
  wine_restore_dpi
  # One server for the whole run keeps every Wine start fast; its helpers must not hold our pipes.
  wineserver -p >/dev/null 2>&1 </dev/null &
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}

wine_stop() { wine_stop_input_bridge; wineserver -k >/dev/null 2>&1 || true; }

# A read-only view of a writable folder, standing for a program folder that the user may not
# write (Program Files without administrator rights): C:\Tilvane\readonly shows what the tests put
# into C:\Tilvane\readonly-source, and nothing can be written through it, not even by root. A bind
# mount needs root; without it the tests that need the view skip and say why. Callers undo it with
# wine_unmount_readonly in a trap, so that it never outlives the run.
WINE_READONLY_SOURCE="$WINEPREFIX/drive_c/Tilvane/readonly-source"
WINE_READONLY_VIEW="$WINEPREFIX/drive_c/Tilvane/readonly"

wine_mount_readonly() {
  mkdir -p "$WINE_READONLY_SOURCE" "$WINE_READONLY_VIEW"
  wine_unmount_readonly
  local reason
  if reason=$(mount --bind "$WINE_READONLY_SOURCE" "$WINE_READONLY_VIEW" 2>&1); then
    if reason=$(mount -o remount,bind,ro "$WINE_READONLY_VIEW" 2>&1); then return 0; fi
    umount "$WINE_READONLY_VIEW" 2>/dev/null || umount -l "$WINE_READONLY_VIEW"
  fi
  echo "NOTE: no read-only mount at $WINE_READONLY_VIEW ($reason); the tests of a read-only program folder skip" >&2
  return 1
}

wine_readonly_mounted() { grep -q " $WINE_READONLY_VIEW " /proc/self/mounts; }

# Undoes every mount of the view; a mount still in use is detached at once and freed when unused.
wine_unmount_readonly() {
  local attempt
  for attempt in 1 2 3; do
    wine_readonly_mounted || return 0
    umount "$WINE_READONLY_VIEW" 2>/dev/null || umount -l "$WINE_READONLY_VIEW" 2>/dev/null || true
  done
  ! wine_readonly_mounted
}

# Copies a Windows program into the prefix (C:\Tilvane\bin) and prints its Unix path there.
wine_stage() {
  mkdir -p "$WINE_BIN_DIR"
  cp -f "$1" "$WINE_BIN_DIR/"
  echo "$WINE_BIN_DIR/$(basename "$1")"
}

# The help page and the read-me as they ship, in C:\Tilvane\bin\package\, for the tests that
# compare them with the program and for the installer's picture.
# The files the fuzzers keep, as pictures the player might pick, in C:\Tilvane\hostile: the corpora
# of the decoders' harnesses (which read their first two bytes as the areas asked for, so they are
# staged without them) and of the header reader, and the seeds.
wine_stage_hostile_pictures() {
  local root hostile="$WINEPREFIX/drive_c/Tilvane/hostile" harness file
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  rm -rf "$hostile" && mkdir -p "$hostile"
  for harness in FuzzJpegDecoder FuzzWebpDecoder FuzzAvifDecoder; do
    for file in "$root/tests/fuzz/corpus/$harness"/*; do
      tail -c +3 "$file" >"$hostile/$harness-$(basename "$file")"
    done
  done
  for file in "$root/tests/fuzz/corpus/FuzzPictureHeader"/* "$root/tests/fuzz/seeds"/*; do
    cp "$file" "$hostile/$(basename "$(dirname "$file")")-$(basename "$file")"
  done
}

wine_stage_package_texts() {
  local root
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  mkdir -p "$WINE_BIN_DIR/package"
  cp -f "$root/package/Help.html" "$WINE_BIN_DIR/package/"
  sed "s/\r*$/\r/" "$root/package/Readme.txt" > "$WINE_BIN_DIR/package/Readme.txt"
}

# Real X input for the end-to-end tests (see x-input-bridge.sh); stopped with wine_stop.
wine_start_input_bridge() {
  local dir="$WINEPREFIX/drive_c/Tilvane/xinput"
  command -v xdotool >/dev/null 2>&1 || return 0
  bash "$(dirname "${BASH_SOURCE[0]}")/x-input-bridge.sh" "$dir" >/dev/null 2>&1 &
  for _ in $(seq 1 100); do [ -e "$dir/alive" ] && break; sleep 0.02; done
}

wine_stop_input_bridge() { touch "$WINEPREFIX/drive_c/Tilvane/xinput/stop" 2>/dev/null || true; }

# The JPEG pictures of build/pictures (scripts/make-test-pictures.sh) in C:\Tilvane\pictures.
wine_stage_pictures() {
  [ -d "$BUILD_DIR/pictures" ] || return 0
  mkdir -p "$WINEPREFIX/drive_c/Tilvane/pictures"
  cp -u "$BUILD_DIR"/pictures/*.{jpg,tif,png,webp,avif} "$WINEPREFIX/drive_c/Tilvane/pictures/"
}

# The screen DPI of the prefix (scripts/with-dpi.sh). The values in force before are kept in a
# file of the prefix until they are back, so that a run killed half-way is undone by the next.
WINE_DPI_SAVED="$WINEPREFIX/.tilvane-dpi-saved"
WINE_DPI_KEYS=('HKCU\Control Panel\Desktop' 'HKCC\Software\Fonts')

# The LogPixels value under the key as a number, or "none".
wine_query_dpi() {
  local value
  value=$(wine reg query "$1" /v LogPixels 2>/dev/null </dev/null | tr -d '\r' | awk '$1 == "LogPixels" { print $3 }')
  if [ -n "$value" ]; then echo $((value)); else echo none; fi
}

wine_save_dpi() {
  local key
  for key in "${WINE_DPI_KEYS[@]}"; do printf '%s\t%s\n' "$key" "$(wine_query_dpi "$key")"; done >"$WINE_DPI_SAVED.new"
  mv -f "$WINE_DPI_SAVED.new" "$WINE_DPI_SAVED"
}

wine_set_dpi() {
  local key
  for key in "${WINE_DPI_KEYS[@]}"; do
    wine reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 </dev/null
  done
}

# Puts back the values saved by wine_save_dpi, if any are waiting, and forgets them.
wine_restore_dpi() {
  [ -f "$WINE_DPI_SAVED" ] || return 0
  local key value
  while IFS=$'\t' read -r key value; do
    if [ "$value" = none ]; then
      wine reg delete "$key" /v LogPixels /f >/dev/null 2>&1 </dev/null || true
    else
      wine reg add "$key" /v LogPixels /t REG_DWORD /d "$value" /f >/dev/null 2>&1 </dev/null
    fi
  done <"$WINE_DPI_SAVED"
  rm -f "$WINE_DPI_SAVED"
}
