#!/usr/bin/env bash
# Runs one command in a fresh Wine prefix:
#   with-prefix.sh [--fixture FILE.reg]... -- COMMAND [ARGS...]
#
# The prefix is copied from the template (scripts/lib/wine-prefix.sh), each fixture is imported
# with regedit and checked, and COMMAND runs with WINEPREFIX, LANG/LC_ALL=zh_CN.UTF-8 and
# an X display: $DISPLAY when set, otherwise a private Xvfb for the duration.
# Exit status: COMMAND's; 125 when the prefix could not be set up.
#
# COMMAND also receives FT_SCRATCH_DIR, an empty directory removed afterwards, for files
# a test wants to leave behind (such as export files).
# FT_KEEP_PREFIX=1 keeps the prefix (its path is printed) for looking at it afterwards.
set -uo pipefail
for part in packages wine-prefix reg-import display; do
  source "$(dirname "${BASH_SOURCE[0]}")/lib/$part.sh"
done

usage() {
  echo "usage: $0 [--fixture FILE.reg]... -- COMMAND [ARGS...]" >&2
  exit 125
}

fixtures=()
while (($# > 0)); do
  case $1 in
    --fixture)
      (($# >= 2)) || usage
      fixtures+=("$(realpath -m -- "$2")")
      shift 2
      ;;
    --fixture=*)
      fixtures+=("$(realpath -m -- "${1#--fixture=}")")
      shift
      ;;
    --)
      shift
      break
      ;;
    *) usage ;;
  esac
done
(($# > 0)) || usage

# A run killed outright (ctest's timeout) cannot clean up after itself; the next run
# ends the wineserver and Xvfb that such a run left behind and removes its prefix.
sweep_stale() {
  local dir pid xpid
  for dir in "${TMPDIR:-/tmp}"/ft-prefix.*; do
    [[ -f $dir/owner ]] || continue
    pid=$(<"$dir/owner")
    [[ $pid =~ ^[0-9]+$ ]] || continue
    kill -0 "$pid" 2>/dev/null && continue
    ft_wineserver_stop "$dir/prefix"
    if [[ -f $dir/xvfb.pid ]]; then
      xpid=$(<"$dir/xvfb.pid")
      if [[ $xpid =~ ^[0-9]+$ && $(cat "/proc/$xpid/comm" 2>/dev/null) == Xvfb ]]; then
        kill "$xpid" 2>/dev/null
      fi
    fi
    rm -rf "$dir"
  done
}
sweep_stale

work=$(mktemp -d "${TMPDIR:-/tmp}/ft-prefix.XXXXXX") || exit 125
echo $$ >"$work/owner"
prefix=$work/prefix
child=

cleanup() {
  local rc=$?
  trap - EXIT INT TERM HUP
  if [[ -n $child ]]; then
    kill "$child" 2>/dev/null
  fi
  ft_wineserver_stop "$prefix"
  [[ -n $child ]] && wait "$child" 2>/dev/null
  ft_xvfb_stop
  if [[ ${FT_KEEP_PREFIX:-} == 1 && -d $prefix ]]; then
    rm -f "$work/owner" "$work/xvfb.pid"
    echo "[ft] prefix kept: WINEPREFIX=$prefix" >&2
  else
    rm -rf "$work"
  fi
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

setup_failed() {
  ft_log "$*"
  exit 125
}

ft_locale_present || setup_failed "locale $FT_LOCALE missing: run scripts/test.sh or ft_install_deps as root"
ft_new_prefix "$prefix" || setup_failed "could not create a prefix from the template"

if [[ -z ${DISPLAY:-} ]]; then
  ft_xvfb_start "$work" || setup_failed "could not start Xvfb"
  echo "$FT_XVFB_PID" >"$work/xvfb.pid"
fi

ft_wine_env "$prefix"
ft_wineserver_start "$prefix" || setup_failed "could not start wineserver"

mkdir -p "$work/import" "$work/scratch"
for f in "${fixtures[@]}"; do
  ft_import_reg "$f" "$work/import" || setup_failed "fixture import failed: $f"
done

export FT_SCRATCH_DIR=$work/scratch

# In the background so that a signal reaches the trap at once; stdin is passed on.
"$@" <&0 &
child=$!
wait "$child"
rc=$?
child=
# Wine ends a program that cannot reach its display with exit code 1 and, with WINEDEBUG=-all,
# without a word, so a failure caused by the display server would look like the program's.
if ((rc != 0)) && ! xdpyinfo >/dev/null 2>&1; then
  ft_log "the display $DISPLAY no longer answers: the failures above may be its, not the program's"
  [[ -s $work/xvfb.log ]] && ft_log "Xvfb's log ends: $(tail -5 "$work/xvfb.log")"
fi
exit "$rc"
