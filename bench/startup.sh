#!/usr/bin/env bash
# Start-up benchmark of filetypes.exe under Wine. Prints figures only.
#
# In one fresh prefix it measures twice: with 2,000 extra extensions under HKEY_CLASSES_ROOT
# (among 2,500 extra keys), then with 20,000 (among 30,000). Each time it runs pairs of
#   floor    enum_floor_gui.exe --shell --yield: walk HKEY_CLASSES_ROOT, one SHGetFileInfoW
#            and one message yield per extension, a window shown before the scan and titled
#            after it, as the program's design asks of its scan and no more
#   program  filetypes.exe
# alternating which of the two goes first, each timed from process creation until its
# titled window exists, and judges the median of the pairs' ratios. The resident set of each
# (VmRSS of its Wine process, read from outside once the title is up) is taken in the same
# runs. The program is then clicked on each column header (the sort, timed until the list
# shows it) and sent a DPI change to twice the screen's DPI and back (timed until handled).
# With 20,000 extensions the program's list is then paged from its top to its bottom, each page
# timed until painted (what opens each type is worked out as its row first shows). Last, a build
# with the FT_ROW_TIMING option reports microseconds per row for each step of the scan.
# Everything is timed inside Wine by launch_timer.exe, with a persistent wineserver, so
# Wine's own start-up cost stays small. The wineserver and every timed program run on one CPU.
#   BENCH_REPS         pairs with 2,000 extensions (default 5)
#   BENCH_LARGE_REPS   pairs with 20,000 extensions (default 3)
#   BENCH_TIMING_REPS  runs of the per-row timing build at each size (default 2)
#   BENCH_PAGE_REPS    runs that page through the list with 20,000 extensions (default 2)
#   BENCH_CPU          the CPU to run on (default 1)
#   BENCH_EXE, BENCH_TIMING_EXE  other builds of the program to measure (e.g. an older one)
set -uo pipefail
for part in packages build wine-prefix reg-import display bench-registry; do
  source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib/$part.sh"
done
ft_lock_tree "$@"
cd "$FT_REPO" || exit 1

reps=${BENCH_REPS:-5}
large_reps=${BENCH_LARGE_REPS:-3}
timing_reps=${BENCH_TIMING_REPS:-2}
cpu=${BENCH_CPU:-1}
type_keys=8

ft_install_deps
ft_build win64 --target filetypes enum_floor_gui launch_timer >/dev/null || ft_die "build failed"
if [[ -z ${BENCH_TIMING_EXE:-} ]]; then
  ft_build win64-rowtiming >/dev/null || ft_die "row-timing build failed"
fi
exe=${BENCH_EXE:-$FT_REPO/build/win64/filetypes.exe}
timing_exe=${BENCH_TIMING_EXE:-$FT_REPO/build/win64-rowtiming/filetypes.exe}
floor_gui=$FT_REPO/build/win64/bench/enum_floor_gui.exe
timer=$FT_REPO/build/win64/bench/launch_timer.exe
for f in "$exe" "$timing_exe" "$floor_gui" "$timer"; do
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

small_ext=2000
large_ext=20000
small_others=$((2500 - small_ext - type_keys))
large_others=$((30000 - large_ext - type_keys))
ft_bulk_reg "$type_keys" 1 0 "$small_others" 0 "$small_ext" >"$work/small.reg"
ft_bulk_reg "$type_keys" 0 "$small_others" $((large_others - small_others)) "$small_ext" $((large_ext - small_ext)) >"$work/large.reg"

ft_new_prefix "$prefix" || ft_die "no prefix"
ft_xvfb_start "$work" || ft_die "no Xvfb"
taskset -pc "$cpu" "$FT_XVFB_PID" >/dev/null # the display server works for every window call too
ft_wine_env "$prefix"
taskset -c "$cpu" wineserver -p
taskset -c "$cpu" wine cmd /c exit 0 >/dev/null 2>&1 # start the prefix's services before timing anything

winpath() { winepath -w "$1" 2>/dev/null; }
w_floor_gui=$(winpath "$floor_gui")
w_timer=$(winpath "$timer")
w_exe=$(winpath "$exe")
w_timing_exe=$(winpath "$timing_exe")
mkdir -p "$work/cwd"
cd "$work/cwd" || exit 1
mark=$work/title-up
w_mark=$(winpath "$mark")
export LAUNCH_TIMER_MARK=$w_mark

# field NAME LINE: the value of NAME=... in a key=value line.
field() { sed -n "s/.*\\b$1=\\([0-9.-]*\\).*/\\1/p" <<<"$2"; }

# rss_mb EXE_NAME: VmRSS in MB of the Wine process of this prefix running EXE_NAME (its
# command line's first word; launch_timer's names it later).
rss_mb() {
  local status pid program
  for status in /proc/[0-9]*/status; do
    pid=${status%/status}
    pid=${pid#/proc/}
    program=$(tr '\0' '\n' 2>/dev/null <"/proc/$pid/cmdline" | head -1)
    [[ ${program,,} == *"\\${1,,}" ]] || continue
    tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$prefix" || continue
    awk '/^VmRSS:/ { printf "%.1f", $2 / 1024 }' "/proc/$pid/status" 2>/dev/null && return 0
  done
  echo "n/a"
}

# timed EXE_NAME ARGS...: one launch_timer run; prints its line plus " rss_mb=..." read while
# launch_timer holds the program at its titled window.
timed() {
  local name=$1 out=$work/timer.out pid waited=0 rss=n/a
  shift
  rm -f "$mark"
  taskset -c "$cpu" wine "$w_timer" "$@" >"$out" 2>&1 &
  pid=$!
  while [[ ! -e $mark ]] && kill -0 "$pid" 2>/dev/null && ((waited < 6000)); do
    sleep 0.05
    ((waited++))
  done
  if [[ -e $mark ]]; then
    rss=$(rss_mb "$name")
    rm -f "$mark"
  fi
  wait "$pid"
  printf '%s rss_mb=%s\n' "$(tr -d '\r' <"$out" | tr '\n' ' ')" "$rss"
}
run_floor() { timed enum_floor_gui.exe --title EnumFloorWindow '本机文件类型数量：' "$w_floor_gui" --shell --yield; }
run_program() { timed "$(basename "$exe")" --title FileTypesMainWindow '本机文件类型数量：' --sort --dpi 192 "$w_exe"; }
run_timing() {
  FT_ROW_TIMING_FILE=$(winpath "$work/rows.txt") WINEDEBUG=-all timed "$(basename "$timing_exe")" \
    --title FileTypesMainWindow '本机文件类型数量：' "$w_timing_exe" >/dev/null
}

median() { printf '%s\n' "$@" | grep -E '^[0-9.]+$' | sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) print "n/a"; else if (NR % 2) print v[(NR + 1) / 2]; else printf "%.2f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
minimum() { printf '%s\n' "$@" | grep -E '^[0-9.]+$' | sort -n | head -1; }
ratio() { awk -v x="$1" -v y="$2" -v d="${3:-2}" 'BEGIN { if (y + 0 > 0 && x + 0 > 0) printf "%.*f", d, x / y; else print "n/a" }'; }
# Cost of 1,000 more extensions between the two sizes: the fixed start-up cost drops out.
marginal() { awk -v a="$1" -v b="$2" -v n="$3" 'BEGIN { if (a + 0 > 0 && b + 0 > 0) printf "%.1f", (b - a) * 1000 / n; else print "n/a" }'; }

echo "Wine start-up benchmark ($(wine --version)), pinned to CPU $cpu"
echo "machine: $(nproc) CPUs, load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "program: $exe"

declare -A med best
row_fields=(row shell capture add stores insert progress yield other)
run_phase() {
  local name=$1 rounds=$2 r lf lp
  local -a f p q fr pr s0 s1 dp db
  run_floor >/dev/null # once untimed, so that every file involved is in the page cache
  run_program >/dev/null
  printf '%-4s %9s %11s %6s %9s %11s %9s %9s %9s %9s\n' pair "floor ms" "program ms" ratio "floor MB" "program MB" \
    "sort1 ms" "sort2 ms" "dpi ms" "back ms"
  for ((r = 1; r <= rounds; r++)); do
    if ((r % 2)); then
      lf=$(run_floor)
      lp=$(run_program)
    else
      lp=$(run_program)
      lf=$(run_floor)
    fi
    f+=("$(field ms "$lf")")
    p+=("$(field ms "$lp")")
    q+=("$(ratio "${p[-1]}" "${f[-1]}" 3)")
    fr+=("$(field rss_mb "$lf")")
    pr+=("$(field rss_mb "$lp")")
    s0+=("$(field sort0_ms "$lp")")
    s1+=("$(field sort1_ms "$lp")")
    dp+=("$(field dpi_ms "$lp")")
    db+=("$(field dpi_back_ms "$lp")")
    [[ -n ${p[-1]} ]] || echo "  program run failed: $lp"
    [[ -n ${f[-1]} ]] || echo "  floor run failed: $lf"
    printf '%-4s %9s %11s %6s %9s %11s %9s %9s %9s %9s\n' "$r" "${f[-1]}" "${p[-1]}" "${q[-1]}" "${fr[-1]}" "${pr[-1]}" \
      "${s0[-1]}" "${s1[-1]}" "${dp[-1]}" "${db[-1]}"
  done
  local k
  for k in f p q fr pr s0 s1 dp db; do
    local -n values=$k
    med[$name.$k]=$(median "${values[@]}")
    best[$name.$k]=$(minimum "${values[@]}")
  done
  rm -f "$work/rows.txt"
  for ((r = 1; r <= timing_reps; r++)); do run_timing; done
  local line
  for k in "${row_fields[@]}"; do
    local -a v=()
    while read -r line; do v+=("$(field "${k}_us" "$line")"); done <"$work/rows.txt"
    med[$name.us.$k]=$(median "${v[@]}")
  done
  med[$name.rows]=$(field rows "$(head -1 "$work/rows.txt")")
  med[$name.captures]=$(field captures "$(head -1 "$work/rows.txt")")
}

for phase in small large; do
  if [[ $phase == small ]]; then n=$small_ext rounds=$reps; else n=$large_ext rounds=$large_reps; fi
  start=$EPOCHREALTIME
  ft_import_reg "$work/$phase.reg" "$work" || ft_die "import failed"
  echo
  echo "== $n extra extensions (import $(ft_seconds_since "$start") s) =="
  run_phase "$phase" "$rounds"
done

# Paging the list with 20,000 extensions, top to bottom, one Page Down at a time: the median and
# the worst time of a page over all runs, each page timed until the list has painted it.
page_through_list() {
  local runs=${BENCH_PAGE_REPS:-2} r line
  local -a medians worsts counts
  for ((r = 1; r <= runs; r++)); do
    line=$(env -u LAUNCH_TIMER_MARK taskset -c "$cpu" wine "$w_timer" --title FileTypesMainWindow '本机文件类型数量：' \
      --page "$w_exe" 2>&1 | tr -d '\r' | tr '\n' ' ')
    [[ -n $(field page_median_ms "$line") ]] || echo "  paging run failed: $line"
    medians+=("$(field page_median_ms "$line")")
    worsts+=("$(field page_worst_ms "$line")")
    counts+=("$(field pages "$line")")
  done
  echo "paging ${med[large.rows]:-n/a} rows top to bottom ($runs runs of $(median "${counts[@]}") pages):" \
    "median $(median "${medians[@]}") ms a page, worst $(printf '%s\n' "${worsts[@]}" | sort -n | tail -1) ms"
}
page_through_list

rows_s=${med[small.rows]:-n/a}
rows_l=${med[large.rows]:-n/a}
echo
echo "whole start-up, program / floor with yield and early window, median of the pair ratios:"
echo "  $rows_s rows: ${med[small.q]} (pairs ${best[small.q]} and up; medians ${med[small.p]} / ${med[small.f]} ms)"
echo "  $rows_l rows: ${med[large.q]} (pairs ${best[large.q]} and up; medians ${med[large.p]} / ${med[large.f]} ms)"
mp=$(marginal "${med[small.p]}" "${med[large.p]}" $((large_ext - small_ext)))
mf=$(marginal "${med[small.f]}" "${med[large.f]}" $((large_ext - small_ext)))
bp=$(marginal "${best[small.p]}" "${best[large.p]}" $((large_ext - small_ext)))
bf=$(marginal "${best[small.f]}" "${best[large.f]}" $((large_ext - small_ext)))
echo "each further 1,000 extensions (ms): program $mp, floor $mf: $(ratio "$mp" "$mf") x (medians);" \
  "best runs $bp / $bf: $(ratio "$bp" "$bf") x"
# The same cost with each size's program time taken as its median pair ratio times the floor's
# median: a drift of the machine between the two phases moves the pair ratios less than it moves
# the medians of either program.
awk -v q1="${med[small.q]}" -v f1="${med[small.f]}" -v q2="${med[large.q]}" -v f2="${med[large.f]}" 'BEGIN {
  if (f2 + 0 > f1 + 0 && q1 + 0 > 0 && q2 + 0 > 0)
    printf "each further 1,000 extensions from the pair ratios: %.3f x the floor'\''s\n", (q2 * f2 - q1 * f1) / (f2 - f1)
}'
echo "resident set once the title is up (median MB): $rows_s rows program ${med[small.pr]}, floor ${med[small.fr]}" \
  "($(ratio "${med[small.pr]}" "${med[small.fr]}") x); $rows_l rows program ${med[large.pr]}, floor ${med[large.fr]}" \
  "($(ratio "${med[large.pr]}" "${med[large.fr]}") x)"
echo "DPI change to 192 dpi and back with $rows_l rows (median ms): ${med[large.dp]}, back ${med[large.db]};" \
  "with $rows_s rows: ${med[small.dp]}, back ${med[small.db]}"
echo "sorting $rows_l rows (median ms): by column 1 ${med[large.s0]}, by column 2 ${med[large.s1]}"
echo
echo "per row (microseconds, median of $timing_reps runs of the FT_ROW_TIMING build):"
printf '%-34s %10s %10s\n' "" "$rows_s rows" "$rows_l rows"
label() {
  case $1 in
  row) echo "whole row" ;; shell) echo "shell query" ;; capture) echo "two captures" ;;
  add) echo "two picture-store adds" ;; stores) echo "stores' keys and lookup" ;; insert) echo "list insert" ;;
  progress) echo "progress update" ;; yield) echo "yield" ;; other) echo "the rest of the row" ;;
  esac
}
for k in "${row_fields[@]}"; do
  printf '%-34s %10s %10s\n' "$(label "$k")" "${med[small.us.$k]}" "${med[large.us.$k]}"
done
printf '%-34s %10s %10s\n' "icons captured" "${med[small.captures]:-n/a}" "${med[large.captures]:-n/a}"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
