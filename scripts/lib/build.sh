# shellcheck shell=bash
# Building the checkout's CMake presets, one build or test run at a time.
#   FT_JOBS   parallel build jobs (default: 2)
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

: "${FT_JOBS:=2}"

# One build at a time in a checkout, and no build while a test run of the same checkout
# starts the programs it builds: a relink under a running test makes Windows refuse to start
# the half-written filetypes.exe (error 193, "bad EXE format") and the test fails at once.
FT_TREE_LOCK=$FT_REPO/build/.tree.lock

# ft_lock_tree "$@": from the top of a script that builds and then runs what it built; runs
# the script again under the checkout's lock (waiting for another run to end first). The
# lock is held by flock itself, so no program the script leaves running keeps it.
ft_lock_tree() {
  [[ -n ${FT_TREE_LOCKED:-} ]] && return 0
  mkdir -p "$FT_REPO/build"
  export FT_TREE_LOCKED=1
  if ! flock -n -o "$FT_TREE_LOCK" true; then
    ft_log "waiting for another build or test run in this checkout to end"
  fi
  exec flock -o "$FT_TREE_LOCK" bash "$0" "$@"
}

# ft_build PRESET [ARGS...]: configure and build one preset from CMakePresets.json; ARGS go to
# the build (e.g. --target filetypes).
ft_build() {
  local preset=$1
  shift
  local -a lock=()
  if [[ -z ${FT_TREE_LOCKED:-} ]]; then
    mkdir -p "$FT_REPO/build"
    lock=(flock -o "$FT_TREE_LOCK")
  fi
  (cd "$FT_REPO" && "${lock[@]}" cmake --preset "$preset" >/dev/null) || { ft_log "configure $preset failed"; return 1; }
  (cd "$FT_REPO" && "${lock[@]}" cmake --build --preset "$preset" -j "$FT_JOBS" "$@") || { ft_log "build $preset failed"; return 1; }
}
