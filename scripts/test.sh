#!/usr/bin/env bash
# Builds the three presets and runs every test: the core's unit tests natively, again under
# AddressSanitizer and UndefinedBehaviorSanitizer with a short run of each fuzz target, then
# the Windows tests under Wine (each in a fresh prefix, see with-prefix.sh).
#   FT_FUZZ_SECONDS     seconds per fuzz target (default 15)
# Installs what is missing first (as root). Needs no display: each Wine test starts its own
# private Xvfb (see with-prefix.sh), so a display server that fails takes one test with it,
# not every later one.
#   FT_USE_DISPLAY=1    run the Wine tests on the current $DISPLAY instead
#   extra arguments     are passed to both ctest runs (e.g. -R registry)
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
ft_lock_tree "$@"
cd "$FT_REPO" || exit 1

ft_install_deps

declare -A status
logdir=$FT_REPO/build/test-logs
mkdir -p "$logdir"
passed=0
failed=0

# run_ctest PRESET: runs one test preset, adds its counts to the totals.
run_ctest() {
  local preset=$1
  shift
  local log=$logdir/ctest-$preset.log
  ft_log "ctest --preset $preset"
  ctest --preset "$preset" --no-tests=error "$@" 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  # "100% tests passed, 0 tests failed out of 12"
  local line p f t
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  if [[ $line =~ ([0-9]+)\ tests?\ failed\ out\ of\ ([0-9]+) ]]; then
    f=${BASH_REMATCH[1]}
    t=${BASH_REMATCH[2]}
    p=$((t - f))
    passed=$((passed + p))
    failed=$((failed + f))
    status[ctest-$preset]="$p passed, $f failed"
  else
    status[ctest-$preset]="no result (exit $rc)"
  fi
  ((rc == 0)) || status[ctest-$preset]+=" FAILED"
  return "$rc"
}

overall=0

for preset in native native-asan win64; do
  start=$EPOCHREALTIME
  if ft_build "$preset"; then
    status[build-$preset]="ok ($(ft_seconds_since "$start") s)"
  else
    status[build-$preset]="FAILED"
    overall=1
  fi
done

if [[ ${status[build-native]} == ok* ]]; then
  run_ctest native "$@" || overall=1
else
  status[ctest-native]="not run (build failed)"
fi

if [[ ${status[build-native-asan]} == ok* ]]; then
  run_ctest native-asan "$@" || overall=1
  ft_log "fuzz smoke"
  fuzzlog=$logdir/fuzz.log
  FUZZ_NO_BUILD=1 bash "$FT_REPO/bench/fuzz.sh" "${FT_FUZZ_SECONDS:-15}" 2>&1 | tee "$fuzzlog"
  fuzzrc=${PIPESTATUS[0]}
  # One test per target: it passes when the target found nothing.
  fuzzed=$(grep -cE '^[a-z_]+_fuzz ' "$fuzzlog")
  fuzzfailed=$(awk '/^[a-z_]+_fuzz / && $NF != 0' "$fuzzlog" | wc -l)
  ((fuzzrc != 0 && fuzzfailed == 0)) && fuzzfailed=1
  passed=$((passed + fuzzed - fuzzfailed))
  failed=$((failed + fuzzfailed))
  status[fuzz-smoke]="$(grep '^fuzz:' "$fuzzlog" | sed 's/^fuzz: //')"
  [[ -n ${status[fuzz-smoke]} ]] || status[fuzz-smoke]="no result"
  ((fuzzrc == 0)) || { status[fuzz-smoke]+=" FAILED"; overall=1; }
else
  status[ctest-native-asan]="not run (build failed)"
  status[fuzz-smoke]="not run (build failed)"
fi

if [[ ${status[build-win64]} == ok* ]]; then
  start=$EPOCHREALTIME
  if ft_prepare_template; then
    status[wine-template]="ok ($(ft_seconds_since "$start") s)"
    [[ ${FT_USE_DISPLAY:-} == 1 ]] || unset DISPLAY
    run_ctest win64 "$@" || overall=1
  else
    status[wine-template]="FAILED"
    status[ctest-win64]="not run (no Wine template)"
    overall=1
  fi
else
  status[ctest-win64]="not run (build failed)"
fi

echo
echo "==================== summary ===================="
for k in build-native build-native-asan build-win64 wine-template ctest-native ctest-native-asan fuzz-smoke \
  ctest-win64; do
  [[ -n ${status[$k]:-} ]] && printf '  %-18s %s\n' "$k" "${status[$k]}"
done
echo "  logs: $logdir"
if ((overall == 0)); then
  echo "  result: PASS"
else
  echo "  result: FAIL"
fi
echo "tests: $passed passed, $failed failed"
exit "$overall"
