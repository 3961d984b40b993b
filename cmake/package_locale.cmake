# Read by cpack before it packs. The archive library converts file names through the
# locale's character set; under the C locale the read-me's Chinese name cannot be
# converted and packing fails, so cpack always works in a UTF-8 locale.
set(ENV{LC_ALL} C.UTF-8)
