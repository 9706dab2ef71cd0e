#!/usr/bin/env bash
# Runs every fuzz harness, one after another, and prints one line per harness with the number of
# inputs it ran. FUZZ_RUNS=N runs N inputs each (what `make fuzz` does); otherwise each runs
# FUZZ_SECONDS (20 by default, what `make test` does). FUZZ_JOBS=N runs N processes per harness.
# FUZZ_ONLY="FuzzA FuzzB" runs only the harnesses named.
# Exit 1 on a finding; the input that found it is left as build/fuzz/<harness>-crash-* (or
# -timeout-*, -oom-*, -leak-*).
#
# Each harness starts from its corpus kept in the repository, tests/fuzz/corpus/<harness>/, and
# the shared seeds of tests/fuzz/seeds/; what it finds new goes to build/fuzz/corpus/<harness>/.
# FUZZ_KEEP=1 afterwards merges the new inputs into the repository's corpus (minimised: only
# inputs that add coverage are kept), to be committed.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
fuzz_dir="$root/build/fuzz/tests"
seconds="${FUZZ_SECONDS:-20}"
runs="${FUZZ_RUNS:-}"
jobs="${FUZZ_JOBS:-1}"
status=0
# A picture may cost the game a few seconds, not minutes: an input that keeps a harness busy this
# long (under the sanitizers, several times slower than the game) is a finding, left as
# <harness>-timeout-*. libFuzzer's own default waits twenty minutes.
input_timeout="-timeout=${FUZZ_INPUT_SECONDS:-25}"

# With several jobs, each runs its share of the inputs.
limit_argument() {
  if [ -n "$runs" ]; then echo "-runs=$(( (runs + jobs - 1) / jobs ))"; else echo "-max_total_time=$seconds"; fi
}

executed_inputs() {
  grep -o 'stat::number_of_executed_units: *[0-9]*' "$1" | grep -o '[0-9]*$' | awk '{ sum += $1 } END { print sum + 0 }'
}

for harness in "$fuzz_dir"/Fuzz*; do
  [ -x "$harness" ] || continue
  name=$(basename "$harness")
  if [ -n "${FUZZ_ONLY:-}" ] && [[ " $FUZZ_ONLY " != *" $name "* ]]; then continue; fi
  kept="$root/tests/fuzz/corpus/$name"
  found="$root/build/fuzz/corpus/$name"
  mkdir -p "$kept" "$found"
  log="$root/build/fuzz/$name.log"
  rm -f "$root/build/fuzz/$name".log*
  started=$(date +%s)
  if [ "$jobs" -gt 1 ]; then
    # Each job runs its share of the inputs and prints its own statistics into fuzz-<n>.log.
    (cd "$root/build/fuzz" && "$harness" "$(limit_argument)" "$input_timeout" -jobs="$jobs" -workers="$jobs" -print_final_stats=1 -artifact_prefix="$root/build/fuzz/$name-" \
        "$found" "$kept" "$root/tests/fuzz/seeds" >"$log" 2>&1)
    result=$?
    # The jobs' own logs hold their statistics; the main log only says that they ran.
    cat "$root/build/fuzz"/fuzz-*.log >"$log.jobs" 2>/dev/null; rm -f "$root/build/fuzz"/fuzz-*.log
    grep -v 'stat::number_of_executed_units' "$log" >"$log.main"; cat "$log.main" "$log.jobs" >"$log"; rm -f "$log.main" "$log.jobs"
  else
    "$harness" "$(limit_argument)" "$input_timeout" -print_final_stats=1 -artifact_prefix="$root/build/fuzz/$name-" \
        "$found" "$kept" "$root/tests/fuzz/seeds" >"$log" 2>&1
    result=$?
  fi
  elapsed=$(( $(date +%s) - started ))
  if [ $result -eq 0 ] && ! grep -q 'ERROR: libFuzzer\|SUMMARY: .*Sanitizer\|FuzzerCrash\|deadly signal' "$log"; then
    echo "fuzz $name: ok, $(executed_inputs "$log") inputs in ${elapsed}s, no finding"
  else
    echo "fuzz $name: FAILED, see $log"; tail -30 "$log"; status=1
  fi
  if [ "${FUZZ_KEEP:-0}" = 1 ] && [ $result -eq 0 ]; then
    "$harness" -merge=1 "$kept" "$found" >>"$log" 2>&1 && echo "fuzz $name: corpus kept in tests/fuzz/corpus/$name ($(ls "$kept" | wc -l) inputs)"
  fi
done
exit $status
