#!/usr/bin/env bash
# Keeps every include pointing down: core <- platform services <- framework <- windows, and down
# within each layer too. Every source file in Include/, Include/Core/, Framework/, Tilvane/ and
# Tilvane/Core/ has a rank in scripts/layer-ranks.txt (X.h and X.cpp share one), and includes only
# its own header and headers of lower rank. A file with no rank is refused, so that a new file is
# placed before anything may include it. Headers outside those folders (the system's, the
# libraries') are free. Two rules the ranks cannot say stand beside them:
#   - Include/Core/ and Tilvane/Core/ never include <windows.h>, so that the core builds and is
#     tested natively.
#   - The game session opens no file dialog, though it ranks above Framework/FileDialog.h: asking
#     the player for a file is the business of the saved games and the picture sources.
# Prints each offending include as "file:line: text: why", each file with no rank as "file: why";
# exits non-zero when there is one.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

table=scripts/layer-ranks.txt
include_pattern='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^>"]*)[>"]'
declare -A rank
violations=0

# One line of the table is one rank, lowest first, shared by the files it names.
read_table() {
  local number=0 line words base
  while IFS= read -r line; do
    read -ra words <<<"${line%%#*}"
    if [ ${#words[@]} -eq 0 ]; then continue; fi
    number=$((number + 1))
    for base in "${words[@]}"; do rank[$base]=$number; done
  done <"$table"
}

is_project_header() {
  case "$1" in Include/* | Framework/* | Tilvane/*) return 0 ;; esac
  return 1
}

# Sets why to the reason the file may not include the header, or to nothing when it may. A file
# shares its rank with its own header only: files of one rank may not include each other, as two
# that did could include each other and close a cycle.
judge() {
  local file=$1 header=$2 base=${1%.*} header_base=${2%.*}
  why=
  case "$file:$header" in
    Include/Core/*:[wW]indows.h | Tilvane/Core/*:[wW]indows.h) why="the core includes no <windows.h>" ;;
    Tilvane/GameSession.*:Framework/FileDialog.h) why="the session opens no file dialog" ;;
  esac
  if [ -n "$why" ] || ! is_project_header "$header" || [ "$header_base" = "$base" ]; then return; fi
  if [ -z "${rank[$header_base]:-}" ]; then
    why="the header has no rank"
  elif [ "${rank[$header_base]}" -ge "${rank[$base]}" ]; then
    why="runs upward: the header ranks ${rank[$header_base]}, not below the file's ${rank[$base]}"
  fi
}

read_table
while IFS= read -r file; do
  if [ -z "${rank[${file%.*}]:-}" ]; then
    echo "$file: file has no rank: add it to the table in $table"
    violations=$((violations + 1))
    continue
  fi
  while IFS= read -r line; do
    number=${line%%:*}
    text=${line#*:}
    [[ $text =~ $include_pattern ]] || continue
    judge "$file" "${BASH_REMATCH[1]}"
    if [ -n "$why" ]; then
      echo "$file:$number: $text: $why"
      violations=$((violations + 1))
    fi
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include' "$file")
done < <(find Include Framework Tilvane -type f \( -name '*.h' -o -name '*.cpp' \) | sort)

[ "$violations" -eq 0 ]
