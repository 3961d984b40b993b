# shellcheck shell=bash
# The display the Wine programs run on without one of the user's: a private Xvfb, and
# pictures of the windows on it.
#   FT_XVFB_SCREEN    Xvfb screen geometry (default: 1280x1024x24)
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

: "${FT_XVFB_SCREEN:=1280x1024x24}"
# The Xvfb that ft_xvfb_start started in this shell, and its temporary directory.
: "${FT_XVFB_PID:=}"
: "${FT_XVFB_DIR:=}"

# ft_xvfb_start [DIR]: starts Xvfb on a free display (Xvfb picks it itself with
# -displayfd, so two callers never race for one number), waits until it accepts
# connections and exports DISPLAY. Its log goes to DIR (default: a temporary directory
# that ft_xvfb_stop removes).
ft_xvfb_start() {
  local dir=${1:-}
  if [[ -n $dir ]]; then
    mkdir -p "$dir"
  else
    dir=$(mktemp -d "${TMPDIR:-/tmp}/ft-xvfb.XXXXXX")
    FT_XVFB_DIR=$dir
  fi
  local numfile=$dir/xvfb.display
  : >"$numfile"
  Xvfb -displayfd 3 -screen 0 "$FT_XVFB_SCREEN" -nolisten tcp -noreset \
    3>"$numfile" >"$dir/xvfb.log" 2>&1 </dev/null &
  FT_XVFB_PID=$!
  local n="" i
  for ((i = 0; i < 200; i++)); do
    if read -r n <"$numfile" && [[ $n =~ ^[0-9]+$ ]]; then
      break
    fi
    n=
    if ! kill -0 "$FT_XVFB_PID" 2>/dev/null; then
      ft_log "Xvfb exited: $(tail -3 "$dir/xvfb.log")"
      FT_XVFB_PID=
      return 1
    fi
    sleep 0.05
  done
  [[ -n $n ]] || { ft_log "Xvfb gave no display number"; ft_xvfb_stop; return 1; }
  export DISPLAY=:$n
  for ((i = 0; i < 200; i++)); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.05
  done
  ft_log "Xvfb on $DISPLAY does not accept connections"
  ft_xvfb_stop
  return 1
}

ft_xvfb_stop() {
  if [[ -n $FT_XVFB_PID ]]; then
    kill "$FT_XVFB_PID" 2>/dev/null
    wait "$FT_XVFB_PID" 2>/dev/null
    FT_XVFB_PID=
  fi
  if [[ -n $FT_XVFB_DIR ]]; then
    rm -rf "$FT_XVFB_DIR"
    FT_XVFB_DIR=
  fi
}

# ft_window_pixels WINDOW: the screen's pixels under X window WINDOW (a Wine window with
# the frame Wine draws, and whatever lies on top of it), as a PPM on stdout.
ft_window_pixels() {
  local X Y WIDTH HEIGHT SCREEN WINDOW geometry
  geometry=$(xdotool getwindowgeometry --shell "$1" 2>/dev/null) || return 1
  eval "$geometry"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage ppm:-
}

# ft_window_shot WINDOW FILE.png: a picture of WINDOW once it has finished painting (two
# looks a moment apart see the same pixels; after 10 s it is taken as it is).
ft_window_shot() {
  local window=$1 out=$2 previous="" current i
  for ((i = 0; i < 40; i++)); do
    current=$(ft_window_pixels "$window" | md5sum) || return 1
    [[ $current == "$previous" ]] && break
    previous=$current
    sleep 0.25
  done
  ft_window_pixels "$window" | convert ppm:- -strip "$out"
}
