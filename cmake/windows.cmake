# The Windows program and the tests that run it, or the real registry, under Wine.
set(WINE_WITH_PREFIX ${CMAKE_SOURCE_DIR}/scripts/with-prefix.sh)
set(STATIC_RUNTIME -static -static-libgcc -static-libstdc++)

file(GLOB_RECURSE UI_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/ui/*.cpp)
list(FILTER UI_SOURCES EXCLUDE REGEX ".*/winmain\\.cpp$|.*/ui/rules/.*")
file(GLOB PLATFORM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/*.cpp)
add_library(ft_win STATIC
  src/registry/win32_registry.cpp
  ${PLATFORM_SOURCES}
  src/icons/shell_icons.cpp
  ${UI_SOURCES}
)
target_link_libraries(ft_win PUBLIC ft_core ft_ui_rules advapi32 shell32 shlwapi comctl32 gdi32 user32 uxtheme ole32 uuid version)
target_compile_definitions(ft_win PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00 WINVER=0x0A00)
target_compile_definitions(ft_core PUBLIC UNICODE _UNICODE NOMINMAX)

add_executable(filetypes WIN32 src/ui/app/winmain.cpp src/ui/res/app.rc)
# The version resource takes the project's version from a generated header.
set(GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(src/ui/res/version.h.in ${GENERATED_DIR}/version.h @ONLY)
target_include_directories(filetypes PRIVATE ${GENERATED_DIR})
target_include_directories(ft_win PRIVATE ${GENERATED_DIR})  # the maker's web page
# windres reports no dependencies, so name what the resource script pulls in.
set(RES_DIR ${CMAKE_SOURCE_DIR}/src/ui/res)
set_source_files_properties(src/ui/res/app.rc PROPERTIES
  OBJECT_DEPENDS "${RES_DIR}/app.ico;${RES_DIR}/progress.ico;${RES_DIR}/app.manifest;${RES_DIR}/resource.h;${GENERATED_DIR}/version.h")
target_link_libraries(filetypes PRIVATE ft_win)
target_link_options(filetypes PRIVATE ${STATIC_RUNTIME} -municode)
set_target_properties(filetypes PROPERTIES OUTPUT_NAME filetypes)
if(FT_ROW_TIMING)
  target_sources(filetypes PRIVATE bench/row_timer.cpp)
  target_compile_definitions(filetypes PRIVATE FT_ROW_TIMING)
  target_include_directories(filetypes PRIVATE ${CMAKE_SOURCE_DIR})
endif()

# The reader contract over the real registry, with the fixture imported into a fresh prefix.
add_executable(registry_contract_tests tests/wine/registry_contract_main.cpp tests/contract/registry_contract.cpp)
target_include_directories(registry_contract_tests PRIVATE tests)
target_link_libraries(registry_contract_tests PRIVATE ft_win GTest::gtest)
target_link_options(registry_contract_tests PRIVATE ${STATIC_RUNTIME})
add_test(NAME registry_contract_wine
  COMMAND bash ${WINE_WITH_PREFIX} --fixture ${FIXTURES_DIR}/reader_contract.reg
          -- ${WINE_PROGRAM} $<TARGET_FILE:registry_contract_tests>)

# Windows-only unit tests (platform behaviour the core relies on).
file(GLOB WIN_UNIT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/wine/unit/*.cpp)
if(WIN_UNIT_SOURCES)
  add_executable(win_unit_tests ${WIN_UNIT_SOURCES})
  target_include_directories(win_unit_tests PRIVATE tests)
  target_link_libraries(win_unit_tests PRIVATE ft_win GTest::gtest_main)
  target_link_options(win_unit_tests PRIVATE ${STATIC_RUNTIME})
  add_test(NAME win_unit COMMAND bash ${WINE_WITH_PREFIX} -- ${WINE_PROGRAM} $<TARGET_FILE:win_unit_tests>)
endif()

# End to end: the real program started under Wine and driven from outside its process.
file(GLOB E2E_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/wine/e2e/*.cpp ${CMAKE_SOURCE_DIR}/tests/wine/probe/*.cpp)
if(E2E_SOURCES)
  add_executable(e2e_tests ${E2E_SOURCES})
  target_include_directories(e2e_tests PRIVATE tests src)
  target_compile_definitions(e2e_tests PRIVATE UNICODE _UNICODE NOMINMAX _WIN32_WINNT=0x0A00)
  target_link_libraries(e2e_tests PRIVATE ft_test_support GTest::gtest_main user32 gdi32 comctl32 psapi)
  target_link_options(e2e_tests PRIVATE ${STATIC_RUNTIME})
  add_dependencies(e2e_tests filetypes)
  # The odd-values fixture's large part (500 verbs, a 1 MB command line) is made at build time.
  set(LARGE_FIXTURE ${CMAKE_BINARY_DIR}/fixtures/large_values.reg)
  add_custom_command(OUTPUT ${LARGE_FIXTURE}
    COMMAND bash ${FIXTURES_DIR}/make_large_values.sh ${LARGE_FIXTURE}
    DEPENDS ${FIXTURES_DIR}/make_large_values.sh)
  add_custom_target(large_fixture ALL DEPENDS ${LARGE_FIXTURE})
  add_test(NAME e2e_wine
    COMMAND bash ${WINE_WITH_PREFIX} --fixture ${FIXTURES_DIR}/e2e.reg --fixture ${FIXTURES_DIR}/odd_values.reg
            --fixture ${LARGE_FIXTURE}
            -- ${WINE_PROGRAM} $<TARGET_FILE:e2e_tests>)
  set_tests_properties(e2e_wine PROPERTIES
    ENVIRONMENT "FT_EXE=$<TARGET_FILE:filetypes>;FT_ARTIFACTS=${CMAKE_BINARY_DIR}/artifacts")
  # The windows at 150 % and 200 %: the screen's DPI set in the prefix before the program
  # starts, and the screenshots kept apart from those at 96 dpi.
  foreach(dpi 144 192)
    add_test(NAME e2e_wine_dpi${dpi}
      COMMAND bash ${WINE_WITH_PREFIX} --fixture ${FIXTURES_DIR}/e2e.reg --fixture ${FIXTURES_DIR}/odd_values.reg
              --fixture ${FIXTURES_DIR}/dpi${dpi}.reg
              -- ${WINE_PROGRAM} $<TARGET_FILE:e2e_tests>
                 --gtest_filter=Dpi.EveryWindow*:StartupAndList.ProgressWindow*)
    set_tests_properties(e2e_wine_dpi${dpi} PROPERTIES
      ENVIRONMENT "FT_EXE=$<TARGET_FILE:filetypes>;FT_ARTIFACTS=${CMAKE_BINARY_DIR}/artifacts/dpi${dpi}")
  endforeach()
endif()

include(cmake/package.cmake)

if(EXISTS ${CMAKE_SOURCE_DIR}/bench/CMakeLists.txt)
  add_subdirectory(bench)
endif()
