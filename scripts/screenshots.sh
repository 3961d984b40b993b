#!/usr/bin/env bash
# Takes the README's pictures of filetypes.exe under Wine, each one window with the frame
# Wine draws, cut from a private Xvfb screen, and saves them as PNG files in docs/:
#   main-window.png        the main window on tests/fixtures/e2e.reg, the row ftalpha selected
#   popup-menu.png         the same with the right-click menu open
#   main-window-row-tooltip.png  the pointer resting on the grey row ftgone, its tooltip shown
#   properties-window.png  "查看文件类型属性" on ftalpha
#   export-window.png      "文件类型备份 (.reg)" on ftalpha
#   progress-window.png    the progress window half-way, in a scan of 2,500 more keys
# The program runs from C:\filetypes in a fresh prefix, as a user who unpacked it there would
# run it, and is driven from outside with xdotool. Prints the paths it wrote; exits non-zero
# when a window does not come up.
#   FT_SHOTS_DIR   where the pictures go (default: docs)
#   FT_SHOTS_WAIT  seconds to wait for each window (default 60)
set -uo pipefail
for part in packages build wine-prefix reg-import display bench-registry; do
  source "$(dirname "${BASH_SOURCE[0]}")/lib/$part.sh"
done
self=$(realpath "${BASH_SOURCE[0]}")

if [[ ${1:-} != --in-prefix ]]; then
  cd "$FT_REPO" || exit 1
  ft_install_deps
  ft_build win64 --target filetypes || ft_die "build failed"
  ft_prepare_template || ft_die "no Wine template"
  export FT_SHOTS_DIR=${FT_SHOTS_DIR:-$FT_REPO/docs}
  # Always a private screen: a known size and no window manager adding its own frames.
  unset DISPLAY
  exec bash "$FT_REPO/scripts/with-prefix.sh" --fixture "$FT_REPO/tests/fixtures/e2e.reg" -- bash "$self" --in-prefix
fi

# From here on: inside the prefix that with-prefix.sh made, on its Xvfb.
out=$FT_SHOTS_DIR
wait_limit=${FT_SHOTS_WAIT:-60}
app_dir=$WINEPREFIX/drive_c/filetypes
mkdir -p "$out" "$app_dir" || exit 1
cp "$FT_REPO/build/win64/filetypes.exe" "$app_dir/" || exit 1

prog=
start_program() {
  (cd "$app_dir" && exec wine filetypes.exe) </dev/null >/dev/null 2>&1 &
  prog=$!
}
stop_program() {
  kill "$prog" 2>/dev/null
  wait "$prog" 2>/dev/null
  prog=
}

# Seconds since START (an $EPOCHREALTIME value) exceed the wait limit.
waited_too_long() { awk -v s="$1" -v n="$EPOCHREALTIME" -v t="$wait_limit" 'BEGIN { exit !(n - s > t) }'; }

# wait_window WHAT COMMAND...: polls COMMAND (an xdotool search) until it names a window and
# prints the first one; dies after the wait limit or when the program has ended.
wait_window() {
  local what=$1 start=$EPOCHREALTIME win
  shift
  while :; do
    win=$("$@" 2>/dev/null | head -1)
    [[ -n $win ]] && { printf '%s\n' "$win"; return 0; }
    kill -0 "$prog" 2>/dev/null || ft_die "filetypes.exe ended before its $what appeared"
    waited_too_long "$start" && ft_die "no $what after $wait_limit s"
    sleep 0.1
  done
}
# wait_gone WHAT COMMAND...: polls COMMAND until it names no window; dies after the wait limit.
wait_gone() {
  local what=$1 start=$EPOCHREALTIME
  shift
  while [[ -n $("$@" 2>/dev/null) ]]; do
    waited_too_long "$start" && ft_die "the $what does not go away"
    sleep 0.1
  done
}
shown_named() { xdotool search --onlyvisible --name "$1"; }
# The program's shown windows without a title: its popup menu, or its progress window.
shown_untitled() {
  local w
  for w in $(xdotool search --onlyvisible --class '^filetypes\.exe$' 2>/dev/null); do
    [[ -z $(xdotool getwindowname "$w" 2>/dev/null) ]] && printf '%s\n' "$w"
  done
}

shot() {
  ft_window_shot "$1" "$out/$2" || ft_die "could not take $2"
  echo "$out/$2"
}

# Opens the popup menu from the keyboard; the main window's list must have the focus.
open_menu() {
  xdotool key shift+F10
  wait_window "popup menu" shown_untitled >/dev/null || exit 1
}
# pick_menu_entry N: opens the popup menu and picks its N-th entry.
pick_menu_entry() {
  local n=$1
  open_menu
  while ((n-- > 0)); do xdotool key Down; done
  xdotool key Return
  wait_gone "popup menu" shown_untitled
}

# The main window, its popup menu, the properties and the export result window.
start_program
main=$(wait_window "main window" shown_named '^本机文件类型数量：') || exit 1
# The list has the focus: typing a row's first letters selects it.
xdotool type --delay 50 ftalpha
sleep 0.5
shot "$main" main-window.png
open_menu
shot "$main" popup-menu.png
xdotool key Escape
wait_gone "popup menu" shown_untitled

# The pointer on the grey row ftgone, while ftalpha stays selected: ftgone's place is found by
# selecting it for a moment and looking for the highlight in the picture.
selected_row_top() {
  ft_window_pixels "$main" | convert ppm:- -depth 8 ppm:- | python3 -c '
import sys
data = sys.stdin.buffer.read()
fields, pos = [], 0
while len(fields) < 4:
    while data[pos:pos + 1].isspace(): pos += 1
    end = pos
    while not data[end:end + 1].isspace(): end += 1
    fields.append(data[pos:end]); pos = end
width, height = int(fields[1]), int(fields[2])
pos += 1
x, below = 40, 45  # below the blue title bar and the header
blue = [y >= below and data[pos + 3 * (y * width + x) + 2] > data[pos + 3 * (y * width + x)] + 60 for y in range(height)]
print(blue.index(True) if True in blue else -1)'
}
sleep 1.2 # past the list's type-ahead, so that the letters start a new search
xdotool type --delay 50 ftgone
# Until two looks agree on where the selection is.
previous=-1 start=$EPOCHREALTIME
while :; do
  sleep 0.3
  gone_top=$(selected_row_top)
  ((gone_top > 0 && gone_top == previous)) && break
  previous=$gone_top
  waited_too_long "$start" && ft_die "the row ftgone is not to be found in the picture"
done
sleep 1.2
xdotool type --delay 50 ftalpha
sleep 0.5
xdotool mousemove --window "$main" 40 $((gone_top + 6))
wait_window "row tooltip" shown_untitled >/dev/null || exit 1
shot "$main" main-window-row-tooltip.png
xdotool mousemove --window "$main" 200 5
wait_gone "row tooltip" shown_untitled

pick_menu_entry 1
properties=$(wait_window "properties window" shown_named '^文件类型属性$') || exit 1
shot "$properties" properties-window.png
# Closing it gives the focus back to the main window's list.
xdotool key alt+F4
wait_gone "properties window" shown_named '^文件类型属性$'

pick_menu_entry 2
export_window=$(wait_window "export result window" shown_named '^文件类型备份$') || exit 1
shot "$export_window" export-window.png
stop_program

# The progress window, in a scan long enough to watch: pictures are taken as long as it is
# shown. Once its bar is full (after 600 file types) the pictures stay the same, so the one
# kept is half-way between the first picture and the first one with the full bar.
extensions=1000
bulk=$FT_SCRATCH_DIR/bulk.reg
ft_bulk_reg 8 1 0 $((2500 - extensions - 8)) 0 "$extensions" >"$bulk"
ft_import_reg "$bulk" "$FT_SCRATCH_DIR" || ft_die "could not import $bulk"
frames=$FT_SCRATCH_DIR/progress
mkdir -p "$frames"
start_program
progress=$(wait_window "progress window" shown_untitled) || exit 1
count=0
while [[ -n $(shown_untitled) ]]; do
  ft_window_pixels "$progress" >"$frames/$count.ppm" 2>/dev/null && [[ -s $frames/$count.ppm ]] || break
  count=$((count + 1))
done
wait_window "main window" shown_named '^本机文件类型数量：' >/dev/null || exit 1
stop_program
# The last picture may show the window going, so the one before it shows the full bar.
((count >= 3)) || ft_die "the scan ended too soon: only $count pictures of the progress window"
mapfile -t sums < <(for ((i = 0; i < count; i++)); do md5sum <"$frames/$i.ppm"; done)
full=0
while [[ ${sums[full]} != "${sums[count - 2]}" ]]; do full=$((full + 1)); done
pick=$((full / 2))
ft_log "$count pictures of the progress window, the bar full from picture $full on; keeping picture $pick"
((pick >= 1)) || ft_die "the bar filled too soon: after $full of $count pictures"
convert "$frames/$pick.ppm" -strip "$out/progress-window.png" || ft_die "could not save the progress window"
echo "$out/progress-window.png"
