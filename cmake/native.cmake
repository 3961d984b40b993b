# Unit tests of the core against the in-memory registry.
file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${UNIT_TEST_SOURCES} tests/contract/registry_contract.cpp)
target_include_directories(unit_tests PRIVATE tests)
target_compile_definitions(unit_tests PRIVATE FIXTURES_DIR="${FIXTURES_DIR}")
target_link_libraries(unit_tests PRIVATE ft_core ft_ui_rules ft_test_support GTest::gtest_main)
include(GoogleTest)
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60)

# Fuzz targets (clang's libFuzzer, in the sanitized build): registry bytes turned into the
# program's text, and the registry editor's file format. Each is also a test that fuzzes for
# a few seconds (FT_FUZZ_SECONDS, see cmake/fuzz_test.cmake); bench/fuzz.sh runs them longer.
if(FT_SANITIZE AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  foreach(target registry_text_fuzz reg_file_fuzz)
    add_executable(${target} tests/fuzz/${target}.cpp)
    target_include_directories(${target} PRIVATE tests)
    target_link_libraries(${target} PRIVATE ft_test_support)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer)
    add_test(NAME ${target}
      COMMAND ${CMAKE_COMMAND} -DFUZZER=$<TARGET_FILE:${target}> -DFIXTURES=${FIXTURES_DIR}
              -DWORK=${CMAKE_BINARY_DIR}/fuzz/${target} -P ${CMAKE_SOURCE_DIR}/cmake/fuzz_test.cmake)
    # As bench/fuzz.sh runs them: a finding stops the target and leaves its input behind.
    set_tests_properties(${target} PROPERTIES
      ENVIRONMENT "ASAN_OPTIONS=halt_on_error=1:detect_leaks=1;UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1")
  endforeach()
endif()
