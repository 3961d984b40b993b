# The release package, build/win64/filetypes-<version>-win64.zip: filetypes.exe and its
# Chinese read-me, made by `cmake --build --preset win64 --target package`.
# Notepad on a Chinese Windows reads a file without a byte order mark as GBK and wants CRLF
# line ends on older versions, so the read-me keeps its mark and gets CRLF here.
set(PACKAGE_README ${CMAKE_BINARY_DIR}/package/说明.txt)
configure_file(docs/说明.txt ${PACKAGE_README} @ONLY NEWLINE_STYLE CRLF)

# Only the "program" component goes into the package, never the test or benchmark programs.
install(TARGETS filetypes RUNTIME DESTINATION . COMPONENT program)
install(FILES ${PACKAGE_README} DESTINATION . COMPONENT program)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_FILE_NAME ${PACKAGE_FILE_NAME})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};program;/")
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR})
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/package_locale.cmake)
include(CPack)

add_test(NAME package_zip
  COMMAND ${CMAKE_COMMAND}
          -DBUILD_DIR=${CMAKE_BINARY_DIR}
          -DZIP=${CMAKE_BINARY_DIR}/${PACKAGE_FILE_NAME}.zip
          -DVERSION=${PROJECT_VERSION}
          -DOBJDUMP=${CMAKE_OBJDUMP}
          -P ${CMAKE_SOURCE_DIR}/tests/package/check_package.cmake)
