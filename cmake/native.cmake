# Unit tests of the core against the in-memory registry.
file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${UNIT_TEST_SOURCES} tests/contract/registry_contract.cpp)
target_include_directories(unit_tests PRIVATE tests)
target_compile_definitions(unit_tests PRIVATE FIXTURES_DIR="${FIXTURES_DIR}")
target_link_libraries(unit_tests PRIVATE ft_core GTest::gtest_main)
include(GoogleTest)
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60)
