#!/usr/bin/env bash
# Start-up benchmark of filetypes.exe under Wine. Prints figures only.
#
# In one fresh prefix holding 2,500 extra keys under HKEY_CLASSES_ROOT (2,000 of them
# extensions) it measures, several times each:
#   floor        enum_floor.exe: walk HKEY_CLASSES_ROOT and count the keys
#   floor+shell  enum_floor.exe --shell: the same plus SHGetFileInfoW per extension
#   +window      enum_floor_gui.exe --shell --window: the same as a windowed program,
#                timed like the program until its titled window exists
#   program      filetypes.exe: from process creation until the main window's title
#                starts with "本机文件类型数量："
# All three are timed inside Wine by launch_timer.exe (process creation to exit, or to
# the title), with a persistent wineserver, so Wine's own start-up cost stays small.
#   BENCH_REPS   repetitions (default 5)
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/wine-env.sh"
cd "$FT_REPO" || exit 1

reps=${BENCH_REPS:-5}
extensions=2000
type_keys=8
other_keys=$((2500 - extensions - type_keys))

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

# 2,000 extensions pointing at a few type keys, and ordinary keys to fill up to 2,500.
reg=$work/bench.reg
ft_bulk_reg "$extensions" "$type_keys" "$other_keys" >"$reg"

start=$EPOCHREALTIME
ft_new_prefix "$prefix" || ft_die "no prefix"
t_copy=$(ft_seconds_since "$start")
ft_xvfb_start "$work" || ft_die "no Xvfb"
ft_wine_env "$prefix"
start=$EPOCHREALTIME
ft_wineserver_start "$prefix"
wine cmd /c exit 0 >/dev/null 2>&1 # start the prefix's services before timing anything
t_boot=$(ft_seconds_since "$start")
start=$EPOCHREALTIME
ft_import_reg "$reg" "$work" || ft_die "import failed"
t_import=$(ft_seconds_since "$start")

winpath() { winepath -w "$1" 2>/dev/null; }
w_floor=$(winpath "$floor")
w_floor_gui=$(winpath "$floor_gui")
w_timer=$(winpath "$timer")
w_exe=$(winpath "$exe")
mkdir -p "$work/cwd"
cd "$work/cwd" || exit 1

# field NAME LINE: the value of NAME=... in a key=value line.
field() { sed -n "s/.*\\b$1=\\([0-9.]*\\).*/\\1/p" <<<"$2"; }

run_floor() { wine "$w_timer" --exit "$w_floor" "$@" 2>&1 | tr -d '\r'; }
run_floor_gui() { wine "$w_timer" --title EnumFloorWindow '本机文件类型数量：' "$w_floor_gui" --shell --window 2>&1 | tr -d '\r'; }
run_program() { wine "$w_timer" --title FileTypesMainWindow '本机文件类型数量：' "$w_exe" 2>&1 | tr -d '\r'; }

echo "Wine start-up benchmark ($(wine --version))"
echo "prefix copy ${t_copy} s, prefix services start ${t_boot} s, import of 2,500 keys ${t_import} s"
counts=$(wine "$w_floor" | tr -d '\r')
echo "HKEY_CLASSES_ROOT: $counts"

# One untimed round so that every file involved is in the page cache.
run_floor >/dev/null
run_floor --shell >/dev/null
run_floor_gui >/dev/null
run_program >/dev/null

# Each floor line holds enum_floor's own "scan_ms= peak_kb=" and launch_timer's "ms=".
declare -a a b c d as bs am bm cm
printf '\n%-4s %10s %10s %16s %16s %11s %11s %13s\n' rep "floor ms" "(scan ms)" "floor+shell ms" "(scan ms)" "+window ms" "program ms" "program peak"
for ((r = 1; r <= reps; r++)); do
  la=$(run_floor)
  lb=$(run_floor --shell)
  ld=$(run_floor_gui)
  lc=$(run_program)
  a+=("$(field ms "$la")")
  d+=("$(field ms "$ld")")
  b+=("$(field ms "$lb")")
  c+=("$(field ms "$lc")")
  as+=("$(field scan_ms "$la")")
  bs+=("$(field scan_ms "$lb")")
  am+=("$(field peak_kb "$la")")
  bm+=("$(field peak_kb "$lb")")
  cm+=("$(field peak_kb "$lc")")
  [[ -n ${c[-1]} ]] || echo "  program run failed: $lc"
  printf '%-4s %10s %10s %16s %16s %11s %11s %9s KiB\n' "$r" "${a[-1]}" "${as[-1]}" "${b[-1]}" "${bs[-1]}" "${d[-1]}" "${c[-1]}" "${cm[-1]}"
done

# median VALUES...
median() { printf '%s\n' "$@" | grep -E '^[0-9.]+$' | sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) print "n/a"; else if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
minimum() { printf '%s\n' "$@" | grep -E '^[0-9.]+$' | sort -n | head -1; }
ratio() { awk -v x="$1" -v y="$2" 'BEGIN { if (y + 0 > 0 && x + 0 > 0) printf "%.2f", x / y; else print "n/a" }'; }

ma=$(median "${a[@]}")
mb=$(median "${b[@]}")
mc=$(median "${c[@]}")
md=$(median "${d[@]}")
echo
printf '%-34s %10s %10s\n' "" "median ms" "min ms"
printf '%-34s %10s %10s\n' "floor (enum_floor)" "$ma" "$(minimum "${a[@]}")"
printf '%-34s %10s %10s\n' "  its scan alone" "$(median "${as[@]}")" "$(minimum "${as[@]}")"
printf '%-34s %10s %10s\n' "floor + shell (enum_floor --shell)" "$mb" "$(minimum "${b[@]}")"
printf '%-34s %10s %10s\n' "  its scan alone" "$(median "${bs[@]}")" "$(minimum "${bs[@]}")"
printf '%-34s %10s %10s\n' "floor + shell + window" "$md" "$(minimum "${d[@]}")"
printf '%-34s %10s %10s\n' "program until title" "$mc" "$(minimum "${c[@]}")"
echo
echo "program / floor          $(ratio "$mc" "$ma")"
echo "program / floor+shell    $(ratio "$mc" "$mb")"
echo "program / floor+shell+window $(ratio "$mc" "$md")"
echo "floor+shell / floor      $(ratio "$mb" "$ma")"
echo
echo "peak working set (median KiB): floor $(median "${am[@]}"), floor+shell $(median "${bm[@]}"), program $(median "${cm[@]}")"
