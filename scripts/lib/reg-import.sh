# shellcheck shell=bash
# Importing registry files (.reg) into a Wine prefix: the fixtures, the bench's data.
source "$(dirname "${BASH_SOURCE[0]}")/wine-prefix.sh"

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
