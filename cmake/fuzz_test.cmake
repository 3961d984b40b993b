# One fuzz target run briefly as a test: from an empty corpus seeded with the fixtures' registry
# files, for FT_FUZZ_SECONDS seconds (from the environment, default 15). Fails when the target
# finds anything (a crash, a leak, a hang, too much memory); the input that did stays in
# WORK/findings. bench/fuzz.sh runs the same targets for longer.
#   cmake -DFUZZER=<program> -DFIXTURES=<dir> -DWORK=<dir> -P fuzz_test.cmake
set(seconds 15)
if(DEFINED ENV{FT_FUZZ_SECONDS})
  set(seconds "$ENV{FT_FUZZ_SECONDS}")
endif()
if(NOT seconds MATCHES "^[0-9]+$")
  message(FATAL_ERROR "FT_FUZZ_SECONDS must be a whole number of seconds, not \"${seconds}\"")
endif()

file(REMOVE_RECURSE ${WORK}/corpus ${WORK}/seeds)
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/findings)
file(GLOB seeds ${FIXTURES}/*.reg)
file(COPY ${seeds} DESTINATION ${WORK}/seeds)

# -timeout: one input that takes longer is a hang; -rss_limit_mb: one that takes more is a leak
# of its own. New inputs go to the first directory, so the fixtures' copies stay as they are.
math(EXPR limit "${seconds} + 60")
execute_process(
  COMMAND ${FUZZER} -max_total_time=${seconds} -timeout=10 -rss_limit_mb=2048 -max_len=16384
          -print_final_stats=1 -artifact_prefix=${WORK}/findings/ ${WORK}/corpus ${WORK}/seeds
  TIMEOUT ${limit}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${FUZZER} found a fault (${result}); the input is in ${WORK}/findings/")
endif()
