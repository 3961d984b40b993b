#!/usr/bin/env bash
# Runs every test through the CMake workflows (CMakePresets.json; each configures, builds and
# tests one preset): the core's unit tests natively, again under AddressSanitizer and
# UndefinedBehaviorSanitizer together with a short run of each fuzz target, then the Windows
# tests under Wine (each in a fresh prefix, see with-prefix.sh). The totals come from the JUnit
# file ctest writes for each preset (build/<preset>/junit.xml); the logs go to build/test-logs.
#   FT_FUZZ_SECONDS     seconds per fuzz target (default 15)
# Installs what is missing first (as root). Needs no display: each Wine test starts its own
# private Xvfb (see with-prefix.sh), so a display server that fails takes one test with it,
# not every later one.
#   FT_USE_DISPLAY=1    run the Wine tests on the current $DISPLAY instead
#   extra arguments     are passed to each ctest run (e.g. -R registry)
set -uo pipefail
for part in packages build wine-prefix; do
  source "$(dirname "${BASH_SOURCE[0]}")/lib/$part.sh"
done
ft_lock_tree "$@"
cd "$FT_REPO" || exit 1

ft_install_deps
export CMAKE_BUILD_PARALLEL_LEVEL=$FT_JOBS

declare -A status
logdir=$FT_REPO/build/test-logs
mkdir -p "$logdir"
passed=0
failed=0
overall=0

# run_workflow PRESET [CTEST ARGS...]: configures, builds and tests one preset.
run_workflow() {
  local preset=$1
  shift
  if (($# == 0)); then
    cmake --workflow --preset "$preset"
  else
    # A workflow passes nothing on to ctest, so its steps run one by one.
    cmake --preset "$preset" && cmake --build --preset "$preset" && ctest --preset "$preset" "$@"
  fi
}

# junit_counts FILE: "PASSED FAILED SKIPPED" from a JUnit file of ctest, then the names of the
# failed tests, one a line. ctest writes a test that could not start (its program missing, its
# fixture failed) as skipped; as in ctest's own summary that is a failure, and only a test set
# aside by its skip rule or as disabled counts as skipped.
junit_counts() {
  awk '
    function attr(key) {
      if (!match($0, " " key "=\"[^\"]*\"")) return ""
      return substr($0, RSTART + length(key) + 3, RLENGTH - length(key) - 4)
    }
    /<testcase / {
      name = attr("name")
      state = attr("status")
      if (state == "run") passed++
      else if (state == "fail") failed[++nfailed] = name
      else if (state == "disabled") skipped++
    }
    /<skipped / { if (attr("message") ~ /^SKIP_/) skipped++; else failed[++nfailed] = name }
    END {
      printf "%d %d %d\n", passed, nfailed, skipped
      for (i = 1; i <= nfailed; i++) print failed[i]
    }' "$1"
}

# run_preset PRESET [CTEST ARGS...]: runs one workflow and adds its results to the totals.
run_preset() {
  local preset=$1
  shift
  local junit=$FT_REPO/build/$preset/junit.xml start=$EPOCHREALTIME
  rm -f "$junit"
  ft_log "workflow $preset"
  run_workflow "$preset" "$@" 2>&1 | tee "$logdir/$preset.log"
  local rc=${PIPESTATUS[0]} p=0 f=0 s=0
  local -a results=()
  if [[ -f $junit ]]; then
    mapfile -t results < <(junit_counts "$junit")
    read -r p f s <<<"${results[0]}"
    status[$preset]="$p passed, $f failed"
    ((s == 0)) || status[$preset]+=", $s skipped"
  else
    status[$preset]="no tests ran (configure or build failed)"
  fi
  status[$preset]+=" in $(ft_seconds_since "$start") s"
  # A workflow that failed outside any test (the build, or no tests found) counts as one failure.
  ((rc != 0 && f == 0)) && f=1
  ((rc == 0)) || { status[$preset]+=" FAILED"; overall=1; }
  ((${#results[@]} > 1)) && status[$preset]+=$'\n'"$(printf '      failed: %s\n' "${results[@]:1}")"
  passed=$((passed + p))
  failed=$((failed + f))
}

run_preset native "$@"
run_preset native-asan "$@"

start=$EPOCHREALTIME
if ft_prepare_template; then
  status[wine-template]="ok ($(ft_seconds_since "$start") s)"
  [[ ${FT_USE_DISPLAY:-} == 1 ]] || unset DISPLAY
  run_preset win64 "$@"
else
  status[wine-template]="FAILED"
  status[win64]="not run (no Wine template)"
  failed=$((failed + 1))
  overall=1
fi

echo
echo "==================== summary ===================="
for k in native native-asan wine-template win64; do
  [[ -n ${status[$k]:-} ]] && printf '  %-14s %s\n' "$k" "${status[$k]}"
done
echo "  logs: $logdir"
if ((overall == 0)); then
  echo "  result: PASS"
else
  echo "  result: FAIL"
fi
echo "tests: $passed passed, $failed failed"
exit "$overall"
