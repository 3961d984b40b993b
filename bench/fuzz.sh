#!/usr/bin/env bash
# Runs each fuzz target of the sanitized build for SECONDS (default 60), one after the other,
# seeded with the registry files of tests/fixtures, and prints per target the executions and
# the findings (crashes, leaks, timeouts, out-of-memory). Exits non-zero when any target
# found something; the inputs that did are kept in build/fuzz/<target>/findings/.
#   bash bench/fuzz.sh [SECONDS]
#   FUZZ_CORPUS=DIR   keep the corpus that grows in DIR/<target> (default: a temporary one)
#   FUZZ_NO_BUILD=1   use what build/native-asan holds
# Pinning to one CPU, as for a long run on a shared machine: taskset -c 1 bash bench/fuzz.sh 600
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib/build.sh"
ft_lock_tree "$@"
cd "$FT_REPO" || exit 1

seconds=${1:-60}
[[ $seconds =~ ^[0-9]+$ ]] || ft_die "usage: $0 [SECONDS]"
targets=(registry_text_fuzz reg_file_fuzz)
build=$FT_REPO/build/native-asan

if [[ ${FUZZ_NO_BUILD:-} != 1 ]]; then
  ft_build native-asan --target "${targets[@]}" >/dev/null || ft_die "building the fuzz targets failed"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/ft-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
seeds=$work/seeds
mkdir -p "$seeds"
cp "$FT_REPO"/tests/fixtures/*.reg "$seeds/"

# stat NAME LOG: a figure of libFuzzer's final statistics.
stat() { sed -n "s/^stat::$1: *\\([0-9]*\\).*/\\1/p" "$2" | tail -1; }

printf '%-20s %8s %12s %10s %8s %9s\n' target seconds executions "exec/s" corpus findings
overall=0
total_execs=0
total_findings=0
for target in "${targets[@]}"; do
  exe=$build/$target
  [[ -x $exe ]] || ft_die "$exe was not built (needs clang: cmake --preset native-asan)"
  corpus=${FUZZ_CORPUS:+$FUZZ_CORPUS/$target}
  corpus=${corpus:-$work/corpus-$target}
  findings=$FT_REPO/build/fuzz/$target/findings
  mkdir -p "$corpus" "$findings"
  before=$(find "$findings" -type f | wc -l)
  log=$work/$target.log
  start=$EPOCHREALTIME
  # -timeout: one input that takes longer is a hang; -rss_limit_mb: one that takes more is a leak of its own.
  ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=16384 -print_final_stats=1 \
    -artifact_prefix="$findings/" "$corpus" "$seeds" >"$log" 2>&1
  rc=$?
  execs=$(stat number_of_executed_units "$log")
  rate=$(stat average_exec_per_sec "$log")
  found=$(($(find "$findings" -type f | wc -l) - before))
  ((rc != 0 && found == 0)) && found=1 # ended abnormally without writing an input
  printf '%-20s %8s %12s %10s %8s %9s\n' "$target" "$(ft_seconds_since "$start")" "${execs:-?}" "${rate:-?}" \
    "$(find "$corpus" -type f | wc -l)" "$found"
  if ((found > 0)); then
    overall=1
    grep -E '^(==[0-9]+==ERROR|SUMMARY|fault:)|runtime error' "$log" | head -5 | sed 's/^/    /'
    echo "    log: build/fuzz/$target/last.log; inputs: build/fuzz/$target/findings/"
    cp "$log" "$FT_REPO/build/fuzz/$target/last.log"
  fi
  total_execs=$((total_execs + ${execs:-0}))
  total_findings=$((total_findings + found))
done
echo "fuzz: $total_execs executions, $total_findings findings"
exit "$overall"
