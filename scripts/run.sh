#!/usr/bin/env bash
# Builds filetypes.exe and starts it under Wine.
# With $DISPLAY set it runs there until the program is closed. Without one it runs on a
# private Xvfb, waits for the main window (title "本机文件类型数量：…"), saves a
# picture of it to build/screenshots/run-<time>.png, prints its path and stops.
#
# The program runs in the prefix build/wine-run (made once from the template, kept
# between runs) with build/run as its working directory, where its export files go.
#   FT_RUN_TIMEOUT   seconds to wait for the main window without a display (default 120)
set -uo pipefail
for part in packages build wine-prefix display; do
  source "$(dirname "${BASH_SOURCE[0]}")/lib/$part.sh"
done
cd "$FT_REPO" || exit 1

ft_install_deps
# Only the program is built, and the Wine template (made once, in some 10 s) is made meanwhile:
# on a fresh clone the window shows as soon as the program's own build allows.
ft_prepare_template &
template_job=$!
ft_build win64 --target filetypes || ft_die "build failed"
exe=$FT_REPO/build/win64/filetypes.exe
[[ -f $exe ]] || ft_die "$exe was not built"

wait "$template_job" || ft_die "no Wine template"
run_prefix=$FT_REPO/build/wine-run
if [[ ! -f $run_prefix/system.reg ]]; then
  rm -rf "$run_prefix"
  tmp_prefix=$(mktemp -u "$run_prefix.new.XXXXXX")
  ft_new_prefix "$tmp_prefix" && mv "$tmp_prefix" "$run_prefix" || ft_die "could not make $run_prefix"
  ft_log "made run prefix $run_prefix"
fi
run_dir=$FT_REPO/build/run
mkdir -p "$run_dir"
ft_wine_env "$run_prefix"

if [[ -n ${DISPLAY:-} ]]; then
  ft_log "starting filetypes.exe on $DISPLAY (exports go to $run_dir)"
  cd "$run_dir" && wine "$exe"
  exit $?
fi

cleanup() {
  ft_wineserver_stop "$run_prefix"
  ft_xvfb_stop
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

ft_xvfb_start || ft_die "could not start Xvfb"
ft_wineserver_start "$run_prefix"
ft_log "starting filetypes.exe on Xvfb $DISPLAY"
(cd "$run_dir" && exec wine "$exe") </dev/null &
prog=$!

timeout=${FT_RUN_TIMEOUT:-120}
start=$EPOCHREALTIME
win=
while :; do
  win=$(xdotool search --name '^本机文件类型数量：' 2>/dev/null | head -1)
  [[ -n $win ]] && break
  kill -0 "$prog" 2>/dev/null || ft_die "filetypes.exe exited before its main window appeared"
  if awk -v s="$start" -v n="$EPOCHREALTIME" -v t="$timeout" 'BEGIN { exit !(n - s > t) }'; then
    ft_die "no main window after $timeout s"
  fi
  sleep 0.2
done
ft_log "main window after $(ft_seconds_since "$start") s: $(xdotool getwindowname "$win" 2>/dev/null)"
mkdir -p "$FT_REPO/build/screenshots"
shot=$FT_REPO/build/screenshots/run-$(date +%Y%m%d-%H%M%S).png
ft_window_shot "$win" "$shot" || ft_die "screenshot failed"
echo "$shot"
