#!/usr/bin/env bash
# Start-up benchmark of filetypes.exe under Wine. Prints figures only.
#
# In one fresh prefix it measures twice: with 2,500 extra keys under HKEY_CLASSES_ROOT
# (2,000 of them extensions), then with 30,000 (20,000 of them extensions). Each time,
# several rounds of, in turn:
#   floor        enum_floor.exe: walk HKEY_CLASSES_ROOT and count the keys
#   floor+shell  enum_floor.exe --shell: the same plus SHGetFileInfoW per extension
#   +window      enum_floor_gui.exe --shell --window: the same as a windowed program,
#                timed like the program until its titled window exists
#   program      filetypes.exe: from process creation until the main window's title
#                starts with "本机文件类型数量："; then one click on each column header,
#                timed until the list is sorted by that column
# All are timed inside Wine by launch_timer.exe (process creation to exit, or to the
# title), with a persistent wineserver, so Wine's own start-up cost stays small. The
# wineserver and every timed program run on one CPU, so that the figures compare.
#   BENCH_REPS        rounds with 2,000 extensions (default 5)
#   BENCH_LARGE_REPS  rounds with 20,000 extensions (default 3)
#   BENCH_CPU         the CPU to run on (default 1)
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/wine-env.sh"
ft_lock_tree "$@"
cd "$FT_REPO" || exit 1

reps=${BENCH_REPS:-5}
large_reps=${BENCH_LARGE_REPS:-3}
cpu=${BENCH_CPU:-1}
type_keys=8

ft_install_deps
ft_build win64 >/dev/null || ft_die "build failed"
exe=$FT_REPO/build/win64/filetypes.exe
floor=$FT_REPO/build/win64/bench/enum_floor.exe
floor_gui=$FT_REPO/build/win64/bench/enum_floor_gui.exe
timer=$FT_REPO/build/win64/bench/launch_timer.exe
for f in "$exe" "$floor" "$floor_gui" "$timer"; do
  [[ -f $f ]] || ft_die "$f was not built"
done
ft_prepare_template || ft_die "no Wine template"

work=$(mktemp -d "${TMPDIR:-/tmp}/ft-bench.XXXXXX")
prefix=$work/prefix
cleanup() {
  ft_wineserver_stop "$prefix"
  ft_xvfb_stop
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Phase 1: 2,000 extensions among 2,500 keys; phase 2 adds 18,000 extensions and 9,500
# ordinary keys: 20,000 among 30,000.
small_ext=2000
large_ext=20000
small_others=$((2500 - small_ext - type_keys))
large_others=$((30000 - large_ext - type_keys))
ft_bulk_reg "$type_keys" 1 0 "$small_others" 0 "$small_ext" >"$work/small.reg"
ft_bulk_reg "$type_keys" 0 "$small_others" $((large_others - small_others)) "$small_ext" $((large_ext - small_ext)) >"$work/large.reg"

start=$EPOCHREALTIME
ft_new_prefix "$prefix" || ft_die "no prefix"
t_copy=$(ft_seconds_since "$start")
ft_xvfb_start "$work" || ft_die "no Xvfb"
ft_wine_env "$prefix"
start=$EPOCHREALTIME
taskset -c "$cpu" wineserver -p
taskset -c "$cpu" wine cmd /c exit 0 >/dev/null 2>&1 # start the prefix's services before timing anything
t_boot=$(ft_seconds_since "$start")

winpath() { winepath -w "$1" 2>/dev/null; }
w_floor=$(winpath "$floor")
w_floor_gui=$(winpath "$floor_gui")
w_timer=$(winpath "$timer")
w_exe=$(winpath "$exe")
mkdir -p "$work/cwd"
cd "$work/cwd" || exit 1

# field NAME LINE: the value of NAME=... in a key=value line.
field() { sed -n "s/.*\\b$1=\\([0-9.]*\\).*/\\1/p" <<<"$2"; }
pinned() { taskset -c "$cpu" wine "$@" 2>&1 | tr -d '\r'; }
run_floor() { pinned "$w_timer" --exit "$w_floor" "$@"; }
run_floor_gui() { pinned "$w_timer" --title EnumFloorWindow '本机文件类型数量：' "$w_floor_gui" --shell --window; }
run_program() { pinned "$w_timer" --title FileTypesMainWindow '本机文件类型数量：' --sort "$w_exe"; }

# median VALUES... / minimum VALUES...
median() { printf '%s\n' "$@" | grep -E '^[0-9.]+$' | sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) print "n/a"; else if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
minimum() { printf '%s\n' "$@" | grep -E '^[0-9.]+$' | sort -n | head -1; }
ratio() { awk -v x="$1" -v y="$2" 'BEGIN { if (y + 0 > 0 && x + 0 > 0) printf "%.2f", x / y; else print "n/a" }'; }
per_k() { awk -v ms="$1" -v n="$2" 'BEGIN { if (ms + 0 > 0) printf "%.1f", ms * 1000 / n; else print "n/a" }'; }
# Cost of 1,000 more extensions between the two sizes: the fixed start-up cost drops out.
marginal() { awk -v a="$1" -v b="$2" -v n="$3" 'BEGIN { if (a + 0 > 0 && b + 0 > 0) printf "%.1f", (b - a) * 1000 / n; else print "n/a" }'; }

echo "Wine start-up benchmark ($(wine --version)), pinned to CPU $cpu"
echo "machine: $(nproc) CPUs, load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "prefix copy ${t_copy} s, prefix services start ${t_boot} s"

# run_phase NAME ROUNDS: rounds of the four runs, in turn; sets the phase's medians and minima.
declare -A med best
run_phase() {
  local name=$1 rounds=$2 r la lb lc ld
  local -a a b c d as bs cm s0 s1
  # One untimed round so that every file involved is in the page cache.
  run_floor >/dev/null
  run_floor --shell >/dev/null
  run_floor_gui >/dev/null
  run_program >/dev/null
  echo "HKEY_CLASSES_ROOT: $(wine "$w_floor" | tr -d '\r')"
  printf '%-4s %9s %9s %14s %9s %11s %11s %10s %10s %12s\n' rep "floor ms" "(scan)" "floor+shell ms" "(scan)" \
    "+window ms" "program ms" "sort 1 ms" "sort 2 ms" "program peak"
  for ((r = 1; r <= rounds; r++)); do
    la=$(run_floor)
    lb=$(run_floor --shell)
    ld=$(run_floor_gui)
    lc=$(run_program)
    a+=("$(field ms "$la")")
    b+=("$(field ms "$lb")")
    d+=("$(field ms "$ld")")
    c+=("$(field ms "$lc")")
    as+=("$(field scan_ms "$la")")
    bs+=("$(field scan_ms "$lb")")
    cm+=("$(field peak_kb "$lc")")
    s0+=("$(field sort0_ms "$lc")")
    s1+=("$(field sort1_ms "$lc")")
    [[ -n ${c[-1]} ]] || echo "  program run failed: $lc"
    printf '%-4s %9s %9s %14s %9s %11s %11s %10s %10s %8s KiB\n' "$r" "${a[-1]}" "${as[-1]}" "${b[-1]}" "${bs[-1]}" \
      "${d[-1]}" "${c[-1]}" "${s0[-1]}" "${s1[-1]}" "${cm[-1]}"
  done
  local k
  for k in a b c d as bs cm s0 s1; do
    local -n values=$k
    med[$name.$k]=$(median "${values[@]}")
    best[$name.$k]=$(minimum "${values[@]}")
  done
}

for phase in small large; do
  if [[ $phase == small ]]; then n=$small_ext rounds=$reps; else n=$large_ext rounds=$large_reps; fi
  start=$EPOCHREALTIME
  ft_import_reg "$work/$phase.reg" "$work" || ft_die "import failed"
  echo
  echo "== $n extensions (import $(ft_seconds_since "$start") s) =="
  run_phase "$phase" "$rounds"
done

row() { # LABEL KEY: median and best at both sizes, per 1,000 extensions and whole
  printf '%-26s %10s %10s %10s %10s   %9s %9s\n' "$1" \
    "$(per_k "${med[small.$2]}" "$small_ext")" "$(per_k "${best[small.$2]}" "$small_ext")" \
    "$(per_k "${med[large.$2]}" "$large_ext")" "$(per_k "${best[large.$2]}" "$large_ext")" \
    "$(marginal "${med[small.$2]}" "${med[large.$2]}" $((large_ext - small_ext)))" \
    "$(marginal "${best[small.$2]}" "${best[large.$2]}" $((large_ext - small_ext)))"
}
echo
echo "start-up time per 1,000 extensions (ms); the last two columns: each 1,000 extensions"
echo "more between 2,000 and 20,000, where the fixed start-up cost drops out"
printf '%-26s %10s %10s %10s %10s   %9s %9s\n' "" "2k median" "2k best" "20k median" "20k best" "+1k med" "+1k best"
row "floor (enum_floor)" a
row "floor + shell" b
row "floor + shell + window" d
row "program until title" c
echo
echo "program / floor+shell+window, per 1,000 more: median $(ratio "$(marginal "${med[small.c]}" "${med[large.c]}" 18000)" \
  "$(marginal "${med[small.d]}" "${med[large.d]}" 18000)"), best $(ratio "$(marginal "${best[small.c]}" "${best[large.c]}" 18000)" \
  "$(marginal "${best[small.d]}" "${best[large.d]}" 18000)")"
echo "program until title, whole (ms): 2,000 median ${med[small.c]} best ${best[small.c]}; 20,000 median ${med[large.c]} best ${best[large.c]}"
echo "sorting 20,000 rows (ms): by column 1 median ${med[large.s0]} best ${best[large.s0]}; by column 2 median ${med[large.s1]} best ${best[large.s1]}"
echo "sorting 2,000 rows (ms):  by column 1 median ${med[small.s0]} best ${best[small.s0]}; by column 2 median ${med[small.s1]} best ${best[small.s1]}"
echo "peak working set of the program (median KiB): 2,000 extensions ${med[small.cm]}, 20,000 extensions ${med[large.cm]}"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
