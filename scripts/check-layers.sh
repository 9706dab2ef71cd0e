#!/usr/bin/env bash
# Keeps the layers pointing one way: core <- platform services <- framework <- windows.
#   - Include/Core/ and Tilvane/Core/ include neither <windows.h> nor any project header outside
#     the two core folders, so that the core builds and is tested natively.
#   - The platform services in Include/ include nothing from Framework/ or Tilvane/: what they
#     need of a window comes in as a parameter. The windows that live in Include/ (AboutDialog,
#     ErrorDialog, Install) are the exception.
#   - Framework/ includes nothing from Tilvane/.
#   - The game window's parts in Tilvane/ call one way, down: only the window (TilvaneDialog.cpp)
#     and the entry point include TilvaneDialog.h; the view, its pictures, the panel, the play time
#     and the results book include none of the game session, the saved games and the picture
#     sources; the session includes neither of the last two nor the file dialogs; the saved games
#     do not include the picture sources.
# Prints each offending include as "file:line: text"; exits non-zero when there is one.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

violations=0

# Whether the file may include the header (the text between the quotes or angle brackets).
allowed() {
  local file=$1 header=$2
  case "$file" in
    Include/Core/* | Tilvane/Core/*)
      case "$header" in
        windows.h | Windows.h) return 1 ;;
        Include/Core/* | Tilvane/Core/*) return 0 ;;
        Include/* | Framework/* | Tilvane/*) return 1 ;;
      esac ;;
    Include/AboutDialog.* | Include/ErrorDialog.* | Include/Install.*) ;;
    Include/*)
      case "$header" in Framework/* | Tilvane/*) return 1 ;; esac ;;
    Framework/*)
      case "$header" in Tilvane/*) return 1 ;; esac ;;
    Tilvane/*)
      game_window_part_allowed "$file" "$header" || return 1 ;;
  esac
  return 0
}

# The one-way rules between the parts of the game window.
game_window_part_allowed() {
  local file=$1 header=$2
  case "$header" in
    Tilvane/TilvaneDialog.h)
      case "$file" in Tilvane/TilvaneDialog.cpp | Tilvane/Tilvane.cpp) ;; *) return 1 ;; esac ;;
    Tilvane/GameSession.h | Tilvane/SavedGames.h | Tilvane/PictureSources.h)
      case "$file" in
        Tilvane/PuzzleView* | Tilvane/PuzzlePictures.* | Tilvane/GamePanel.* | Tilvane/PlayTime.* | \
        Tilvane/BestResultsBook.*) return 1 ;;
      esac ;;
  esac
  case "$file" in
    Tilvane/GameSession.*)
      case "$header" in Tilvane/SavedGames.h | Tilvane/PictureSources.h | Framework/FileDialog.h) return 1 ;; esac ;;
    Tilvane/SavedGames.*)
      case "$header" in Tilvane/PictureSources.h) return 1 ;; esac ;;
  esac
  return 0
}

while IFS= read -r file; do
  while IFS= read -r line; do
    number=${line%%:*}
    text=${line#*:}
    header=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^>"]*)[>"].*/\1/' <<<"$text")
    if ! allowed "$file" "$header"; then
      echo "$file:$number: $text"
      violations=$((violations + 1))
    fi
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include' "$file")
done < <(find Include Framework Tilvane -type f \( -name '*.h' -o -name '*.cpp' \) | sort)

[ "$violations" -eq 0 ]
