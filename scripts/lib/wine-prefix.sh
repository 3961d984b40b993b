# shellcheck shell=bash
# The Wine prefixes the program and its tests run in: a template made once per checkout (and
# per Wine version), fresh prefixes copied from it, and the wineserver of each prefix.
#   FT_WINE_TEMPLATE  template prefix      (default: $FT_REPO/build/wine-template)
#   WINEDEBUG         passed on; defaults to -all to keep output quiet
source "$(dirname "${BASH_SOURCE[0]}")/packages.sh"

: "${FT_WINE_TEMPLATE:=$FT_REPO/build/wine-template}"

# Bump when the template's settings below change, so old templates are rebuilt.
FT_TEMPLATE_REVISION=1

export WINEDEBUG=${WINEDEBUG:--all}
# No Gecko/Mono download prompts, and no menu entries or MIME links written into $HOME.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml=;winemenubuilder.exe=d"}

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
