#!/usr/bin/env bash
# The include rules of scripts/check-layers.sh, each on a small tree made for it: one source file
# with one include, checked by a copy of the script and of the real rank table. A refusal must name
# the file. Prints one line a case, "ok: ..." or "FAILED: ..."; exits non-zero when a case failed.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# expect refused|allowed FILE HEADER
expect() {
  local expected=$1 file=$2 header=$3 tree="$work/tree"
  rm -rf "$tree"
  mkdir -p "$tree/scripts" "$tree/Include" "$tree/Framework" "$tree/Tilvane/Core" "$tree/$(dirname "$file")"
  cp "$root/scripts/check-layers.sh" "$root/scripts/layer-ranks.txt" "$tree/scripts/"
  printf '#include "%s"\n' "$header" >"$tree/$file"
  local outcome=allowed output
  output=$(bash "$tree/scripts/check-layers.sh" 2>&1) || outcome=refused
  if [ "$outcome" = refused ] && ! grep -qF "$file" <<<"$output"; then
    echo "FAILED: $file including $header is refused without naming the file"
    failures=$((failures + 1))
  elif [ "$outcome" = "$expected" ]; then
    echo "ok: $file including $header is $expected"
  else
    echo "FAILED: $file including $header is $outcome, not $expected"
    failures=$((failures + 1))
  fi
}

# Only the window and the entry point see the window.
expect allowed Tilvane/TilvaneDialog.cpp Tilvane/TilvaneDialog.h
expect allowed Tilvane/Tilvane.cpp Tilvane/TilvaneDialog.h
expect refused Tilvane/GameSession.cpp Tilvane/TilvaneDialog.h
expect refused Tilvane/PicturePaste.cpp Tilvane/TilvaneDialog.h
# The parts below the session see nothing above them.
expect refused Tilvane/PuzzleView.h Tilvane/GameSession.h
expect refused Tilvane/PuzzleViewKeyboard.cpp Tilvane/SavedGames.h
expect refused Tilvane/PuzzlePictures.cpp Tilvane/PictureSources.h
expect refused Tilvane/GamePanel.h Tilvane/GameSession.h
expect refused Tilvane/PlayTime.cpp Tilvane/SavedGames.h
expect refused Tilvane/BestResultsBook.h Tilvane/PictureSources.h
expect allowed Tilvane/GameSession.h Tilvane/PuzzleView.h
# The session opens no dialog and sees neither the files nor the sources above it.
expect refused Tilvane/GameSession.cpp Tilvane/SavedGames.h
expect refused Tilvane/GameSession.h Tilvane/PictureSources.h
expect refused Tilvane/GameSession.cpp Framework/FileDialog.h
expect allowed Tilvane/SavedGames.h Framework/FileDialog.h
# The saved games see the session, not the sources; the sources see both.
expect refused Tilvane/SavedGames.cpp Tilvane/PictureSources.h
expect allowed Tilvane/SavedGames.h Tilvane/GameSession.h
expect allowed Tilvane/PictureSources.h Tilvane/SavedGames.h
# The parts below the view see only the ones below them; the parts side by side see none of the others.
expect refused Tilvane/PuzzlePictures.cpp Tilvane/PuzzleView.h
expect refused Tilvane/PiecePainting.h Tilvane/PieceMotion.h
expect refused Tilvane/GamePanel.cpp Tilvane/PuzzleView.h
expect allowed Tilvane/PieceMotion.cpp Tilvane/PiecePainting.h
expect allowed Tilvane/PuzzleView.h Tilvane/PuzzlePictures.h
# Within a folder an include points down too.
expect refused Include/File.cpp Include/StoredTextList.h
expect refused Include/Core/PathText.h Include/Core/FunStat.h
expect allowed Include/StoredTextList.cpp Include/File.h
expect allowed Include/Core/FunStat.h Include/Core/PathText.h
# Every file and every header of ours must be placed; the system's and the libraries' headers are free.
expect refused Tilvane/NewPart.cpp Include/Core/PathText.h
expect refused Tilvane/GameSession.cpp Tilvane/NewPart.h
expect allowed Include/Core/JpegDecoder.cpp jpeglib.h
# Two parts of the framework: the message loop knows the windows, the windows not the loop.
expect refused Framework/Window.cpp Framework/Application.h
expect allowed Framework/Application.cpp Framework/Window.h
# The older rules hold as before.
expect refused Tilvane/Core/PuzzleBoard.cpp windows.h
expect refused Framework/Form.cpp Tilvane/GameSession.h

[ "$failures" -eq 0 ]
