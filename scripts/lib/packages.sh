# shellcheck shell=bash
# Installing what the build and the tests need from Debian 12: the packages and the locale.
#   FT_NO_INSTALL=1   never call apt-get or localedef; only report what is missing
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# The locale the program and Wine run in (a Simplified Chinese system).
FT_LOCALE=zh_CN.UTF-8

# Everything the build, the tests and run.sh need.
FT_APT_PACKAGES=(
  cmake ninja-build g++ googletest
  clang-14 libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 fonts-wine
  xvfb x11-utils xdotool imagemagick
  fonts-wqy-microhei fontconfig locales
)

# The packages of the list that are not installed, one a line (one dpkg-query for all).
ft_missing_packages() {
  local -A installed=()
  local name status p
  while read -r name status; do
    [[ $status == 'install ok installed' ]] && installed[$name]=1
  done < <(dpkg-query -W -f='${Package} ${Status}\n' "${FT_APT_PACKAGES[@]}" 2>/dev/null)
  for p in "${FT_APT_PACKAGES[@]}"; do
    [[ -n ${installed[$p]:-} ]] || printf '%s\n' "$p"
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
