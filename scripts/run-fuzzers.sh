#!/usr/bin/env bash
# Runs every fuzz harness for FUZZ_SECONDS each; prints one line per harness. Exit 1 on a finding.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
fuzz_dir="$root/build/fuzz/tests"
seconds="${FUZZ_SECONDS:-20}"
status=0
for harness in "$fuzz_dir"/Fuzz*; do
  [ -x "$harness" ] || continue
  name=$(basename "$harness")
  corpus="$root/build/fuzz/corpus/$name"
  mkdir -p "$corpus"
  log="$root/build/fuzz/$name.log"
  if "$harness" -max_total_time="$seconds" -print_final_stats=0 -artifact_prefix="$root/build/fuzz/$name-" \
       "$corpus" "$root/tests/fuzz/seeds" >"$log" 2>&1; then
    echo "fuzz $name: ok ($(grep -c '' "$corpus"/* 2>/dev/null | wc -l) corpus entries, ${seconds}s)"
  else
    echo "fuzz $name: FAILED, see $log"; tail -30 "$log"; status=1
  fi
done
exit $status
