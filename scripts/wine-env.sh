# Shared shell functions for building filetypes.exe and running it under Wine.
# Source it from bash:  source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
#
# Environment it reads (all optional):
#   FT_WINE_TEMPLATE  template prefix            (default: $FT_REPO/build/wine-template)
#   FT_JOBS           parallel build jobs         (default: 2)
#   FT_NO_INSTALL=1   never call apt-get; only report what is missing
#   FT_XVFB_SCREEN    Xvfb screen geometry        (default: 1280x1024x24)
#   WINEDEBUG         passed on; defaults to -all to keep output quiet

if [[ -n ${FT_WINE_ENV_LOADED:-} ]]; then
  return 0
fi
FT_WINE_ENV_LOADED=1

FT_REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
: "${FT_WINE_TEMPLATE:=$FT_REPO/build/wine-template}"
: "${FT_JOBS:=2}"
: "${FT_XVFB_SCREEN:=1280x1024x24}"
FT_LOCALE=zh_CN.UTF-8

# Bump when the template's settings below change, so old templates are rebuilt.
FT_TEMPLATE_REVISION=1

# Everything the build, the tests and run.sh need from Debian 12.
FT_APT_PACKAGES=(
  cmake ninja-build g++ googletest
  clang-14 libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 fonts-wine
  xvfb x11-utils xdotool imagemagick
  fonts-wqy-microhei fontconfig locales
)

export WINEDEBUG=${WINEDEBUG:--all}
# No Gecko/Mono download prompts, and no menu entries or MIME links written into $HOME.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml=;winemenubuilder.exe=d"}

ft_log() { printf '[ft] %s\n' "$*" >&2; }
ft_die() { printf '[ft] error: %s\n' "$*" >&2; exit 1; }

# ft_seconds_since T: seconds elapsed since T (an $EPOCHREALTIME value), e.g. 1.25.
ft_seconds_since() { awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.2f", b - a }'; }

# ---------------------------------------------------------------------------
# Packages and locale

ft_missing_packages() {
  local p
  for p in "${FT_APT_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
      printf '%s\n' "$p"
    fi
  done
}

ft_locale_present() {
  locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8'
}

# Installs whatever is missing. "apt-get update" runs once, and only when
# something has to be installed (or when called with --update).
ft_install_deps() {
  local force_update=0
  [[ ${1:-} == --update ]] && force_update=1
  local -a missing
  mapfile -t missing < <(ft_missing_packages)
  if ((${#missing[@]} > 0 || force_update)); then
    if [[ ${FT_NO_INSTALL:-} == 1 || $(id -u) -ne 0 ]]; then
      if ((${#missing[@]} > 0)); then
        ft_log "missing packages: ${missing[*]}"
        ft_die "install them as root: apt-get install ${missing[*]}"
      fi
    else
      export DEBIAN_FRONTEND=noninteractive
      ft_log "apt-get update"
      apt-get update -q >/dev/null || ft_die "apt-get update failed"
      if ((${#missing[@]} > 0)); then
        ft_log "installing: ${missing[*]}"
        apt-get install -y -q "${missing[@]}" </dev/null || ft_die "apt-get install failed"
      fi
    fi
  fi
  if ! ft_locale_present; then
    if [[ ${FT_NO_INSTALL:-} == 1 || $(id -u) -ne 0 ]]; then
      ft_die "locale $FT_LOCALE missing: run as root: localedef -i zh_CN -f UTF-8 $FT_LOCALE"
    fi
    ft_log "generating locale $FT_LOCALE"
    localedef -i zh_CN -f UTF-8 "$FT_LOCALE" || ft_die "localedef failed"
  fi
}

# ---------------------------------------------------------------------------
# Build

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

# ft_build PRESET: configure and build one preset from CMakePresets.json.
ft_build() {
  local preset=$1
  local -a lock=()
  if [[ -z ${FT_TREE_LOCKED:-} ]]; then
    mkdir -p "$FT_REPO/build"
    lock=(flock -o "$FT_TREE_LOCK")
  fi
  (cd "$FT_REPO" && "${lock[@]}" cmake --preset "$preset" >/dev/null) || { ft_log "configure $preset failed"; return 1; }
  (cd "$FT_REPO" && "${lock[@]}" cmake --build --preset "$preset" -j "$FT_JOBS") || { ft_log "build $preset failed"; return 1; }
}

# ---------------------------------------------------------------------------
# Wine prefixes

# What a usable template was made with; a template with another stamp is rebuilt.
ft_template_stamp() {
  printf 'wine=%s revision=%s locale=%s\n' "$(wine --version 2>/dev/null)" "$FT_TEMPLATE_REVISION" "$FT_LOCALE"
}

ft_template_ok() {
  [[ -f $FT_WINE_TEMPLATE/.ft-template && -f $FT_WINE_TEMPLATE/system.reg ]] &&
    [[ $(<"$FT_WINE_TEMPLATE/.ft-template") == "$(ft_template_stamp)" ]]
}

# Settings every test prefix starts with.
#  - X11 Driver Managed=N: there is no window manager under Xvfb, so Wine draws the
#    caption and frame itself (and screenshots show them).
#  - WineDbg ShowCrashDialog=0: a crash prints a backtrace instead of waiting on a
#    dialog nobody will click.
ft_template_settings_reg() {
  cat <<'EOF'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
EOF
}

# Creates the template prefix once. It is built under another name and renamed into
# place when complete, under a lock, so a half-made template is never used.
ft_prepare_template() {
  ft_template_ok && return 0
  local parent lockfd
  parent=$(dirname "$FT_WINE_TEMPLATE")
  mkdir -p "$parent"
  exec {lockfd}>"$FT_WINE_TEMPLATE.lock"
  flock "$lockfd"
  if ft_template_ok; then
    exec {lockfd}>&-
    return 0
  fi
  ft_locale_present || ft_die "locale $FT_LOCALE missing (see ft_install_deps)"
  # Left by a creation that was killed part-way; nobody else works on them under the lock.
  rm -rf "$FT_WINE_TEMPLATE".new.* "$FT_WINE_TEMPLATE".old.*
  local new start
  new=$(mktemp -d "$FT_WINE_TEMPLATE.new.XXXXXX") && chmod 755 "$new"
  start=$EPOCHREALTIME
  ft_log "creating Wine template prefix $FT_WINE_TEMPLATE"
  local rc=0
  (
    export WINEPREFIX=$new LANG=$FT_LOCALE LC_ALL=$FT_LOCALE
    unset DISPLAY LANGUAGE
    wineboot -i >"$new.log" 2>&1 || exit 1
    ft_template_settings_reg >"$new/drive_c/ft-settings.reg"
    wine regedit /s 'C:\ft-settings.reg' >>"$new.log" 2>&1 || exit 1
    wine reg query 'HKCU\Software\Wine\X11 Driver' /v Managed >/dev/null 2>&1 || exit 1
    rm -f "$new/drive_c/ft-settings.reg"
    wineserver -w
  ) || rc=1
  if ((rc == 0)); then
    # Wine's own fonts (Tahoma, Marlett for the caption buttons, MS Sans Serif). The
    # bitmap "System" fonts are left out: they have no Chinese glyphs and would replace
    # the font-linked fallback that shows Chinese in the default GUI font.
    local f
    for f in /usr/share/wine/fonts/*; do
      case ${f##*/} in
        *sys*.fon | *vgafix*.fon | vga*.fon) ;;
        *) cp "$f" "$new/drive_c/windows/Fonts/" || rc=1 ;;
      esac
    done
  fi
  if ((rc != 0)); then
    ft_log "template creation failed; wineboot log: $new.log"
    WINEPREFIX=$new wineserver -k 2>/dev/null
    rm -rf "$new"
    exec {lockfd}>&-
    return 1
  fi
  ft_template_stamp >"$new/.ft-template"
  rm -f "$new.log"
  if [[ -e $FT_WINE_TEMPLATE ]]; then
    local old
    old=$(mktemp -u "$FT_WINE_TEMPLATE.old.XXXXXX")
    mv "$FT_WINE_TEMPLATE" "$old" && rm -rf "$old"
  fi
  mv "$new" "$FT_WINE_TEMPLATE"
  exec {lockfd}>&-
  ft_log "template ready in $(ft_seconds_since "$start") s"
}

# ft_new_prefix DIR: a fresh prefix at DIR (which must not exist), copied from the template.
ft_new_prefix() {
  local dest=$1
  ft_prepare_template || return 1
  cp -a "$FT_WINE_TEMPLATE" "$dest" || return 1
  rm -f "$dest/.ft-template"
}

# ---------------------------------------------------------------------------
# Xvfb

FT_XVFB_PID=
FT_XVFB_DIR=

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

# ---------------------------------------------------------------------------
# Screenshots

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

# ---------------------------------------------------------------------------
# wineserver

# ft_wineserver_start PREFIX: a wineserver that outlives its clients, so each later
# wine command in PREFIX starts in milliseconds instead of a second.
ft_wineserver_start() {
  WINEPREFIX=$1 wineserver -p
}

# ft_wineserver_stop PREFIX: ends every Wine process of PREFIX and its server.
ft_wineserver_stop() {
  [[ -d $1 ]] || return 0
  WINEPREFIX=$1 wineserver -k 2>/dev/null
  WINEPREFIX=$1 wineserver -w 2>/dev/null
  # A Wine process can outlive its server (seen: a headless conhost.exe of a console test),
  # holding the output pipes it inherited from ctest, which then waits for them until its
  # timeout. Only Wine's own binaries are ended here, never a script that names the prefix.
  local environ pid
  for environ in /proc/[0-9]*/environ; do
    pid=${environ#/proc/}
    pid=${pid%/environ}
    [[ $(readlink "/proc/$pid/exe" 2>/dev/null) == */wine* ]] || continue
    tr '\0' '\n' 2>/dev/null <"$environ" | grep -qxF "WINEPREFIX=$1" && kill -KILL "$pid" 2>/dev/null
  done
  return 0
}

# Environment a command in PREFIX runs with.
ft_wine_env() {
  export WINEPREFIX=$1 LANG=$FT_LOCALE LC_ALL=$FT_LOCALE
  unset LANGUAGE
}

# ---------------------------------------------------------------------------
# Registry files

# ft_reg_text FILE: the .reg file as UTF-8 text (registry files may be UTF-16LE).
ft_reg_text() {
  if [[ $(head -c2 "$1" | od -An -tx1 | tr -d ' \n') == fffe ]]; then
    tail -c +3 "$1" | iconv -f UTF-16LE -t UTF-8
  else
    cat "$1"
  fi | tr -d '\r'
}

# ft_reg_for_import FILE OUTDIR: prints the file regedit should read. A UTF-8 file with
# non-ASCII text is converted to UTF-16LE, because regedit reads a file without a byte
# order mark in the ANSI code page (936 here) and would garble it.
ft_reg_for_import() {
  local src=$1 outdir=$2
  if [[ $(head -c2 "$src" | od -An -tx1 | tr -d ' \n') != fffe ]] &&
    LC_ALL=C grep -q $'[\x80-\xff]' "$src" && iconv -f UTF-8 -t UTF-8 "$src" >/dev/null 2>&1; then
    local out
    out=$outdir/$(basename "$src" .reg).utf16.reg
    { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$src"; } >"$out"
    printf '%s\n' "$out"
  else
    printf '%s\n' "$src"
  fi
}

# ft_reg_keys FILE: the keys the file creates (not the [-...] deletions), one a line.
ft_reg_keys() {
  ft_reg_text "$1" | sed -n 's/^[[:space:]]*\[\([^]-][^]]*\)\][[:space:]]*$/\1/p'
}

# ft_bulk_reg TYPE_KEYS WITH_TYPES FIRST_OTHER OTHERS FIRST_EXT EXTENSIONS: a .reg file (on
# stdout) for scans of a realistic size: the type keys BenchType.N (written when WITH_TYPES is
# 1), each with an icon and an open command; ordinary keys numbered from FIRST_OTHER; and
# extensions numbered from FIRST_EXT, each pointing at one of the type keys.
ft_bulk_reg() {
  local type_keys=$1 with_types=$2 first_other=$3 others=$4 first_ext=$5 exts=$6 t i
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  if ((with_types)); then
    for ((t = 0; t < type_keys; t++)); do
      printf '[HKEY_CLASSES_ROOT\\BenchType.%d]\r\n@="Bench document %d"\r\n\r\n' "$t" "$t"
      printf '[HKEY_CLASSES_ROOT\\BenchType.%d\\DefaultIcon]\r\n@="%%SystemRoot%%\\\\system32\\\\shell32.dll,%d"\r\n\r\n' "$t" "$t"
      printf '[HKEY_CLASSES_ROOT\\BenchType.%d\\shell]\r\n@="open"\r\n\r\n' "$t"
      printf '[HKEY_CLASSES_ROOT\\BenchType.%d\\shell\\open\\command]\r\n@="C:\\\\windows\\\\notepad.exe \\"%%1\\""\r\n\r\n' "$t"
    done
  fi
  for ((i = first_other; i < first_other + others; i++)); do
    printf '[HKEY_CLASSES_ROOT\\BenchProgId.%05d]\r\n@="Bench object %d"\r\n\r\n' "$i" "$i"
  done
  for ((i = first_ext; i < first_ext + exts; i++)); do
    printf '[HKEY_CLASSES_ROOT\\.bx%05d]\r\n@="BenchType.%d"\r\n"Content Type"="application/x-bench-%d"\r\n\r\n' \
      "$i" $((i % type_keys)) "$i"
  done
}

# ft_import_reg FILE [WORKDIR]: imports FILE into $WINEPREFIX with regedit /s and checks
# that the last key it creates exists afterwards (regedit /s reports nothing, and it
# writes the keys in file order, so the last one shows that it got to the end).
ft_import_reg() {
  local file=$1 workdir=${2:-${TMPDIR:-/tmp}}
  [[ -f $file ]] || { ft_log "fixture not found: $file"; return 1; }
  local import winpath
  import=$(ft_reg_for_import "$file" "$workdir") || return 1
  winpath=$(winepath -w "$import" 2>/dev/null) || { ft_log "winepath failed for $import"; return 1; }
  wine regedit /s "$winpath" || { ft_log "regedit failed on $file"; return 1; }
  local -a keys
  mapfile -t keys < <(ft_reg_keys "$file")
  if ((${#keys[@]} > 0)) && ! wine reg query "${keys[-1]}" >/dev/null 2>&1; then
    ft_log "import of $file did not happen: key ${keys[-1]} is missing"
    return 1
  fi
}
