# shellcheck shell=bash
# The registry data of the start-up benchmark and of the progress window's picture.

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
