# The file services' Windows backend in the everyday test run: a MinGW-w64 build of the
# file services, their tests and the fuzz corpus replays (build/windows/), made with the
# rest of the build, and a test for each of those programs, run under Wine in a prefix
# kept in build/wine-prefix/. Left out, with a note, where the cross compiler, GoogleTest's
# sources or Wine are missing (the test command installs them).
find_program(NORVIK_MINGW_CXX x86_64-w64-mingw32-g++-posix)
find_program(NORVIK_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(NOT NORVIK_MINGW_CXX OR NOT NORVIK_WINE OR NOT EXISTS /usr/src/googletest/CMakeLists.txt)
  message(STATUS "Windows tests left out: MinGW-w64, Wine or GoogleTest's sources are missing")
  return()
endif()

include(ExternalProject)
set(windows_build ${CMAKE_BINARY_DIR}/windows)
ExternalProject_Add(windows_fileservices
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${windows_build}
  CONFIGURE_COMMAND ${CMAKE_COMMAND} --preset windows-cross -S ${PROJECT_SOURCE_DIR} -B ${windows_build}
  BUILD_ALWAYS ON  # its own build decides what changed
  INSTALL_COMMAND "")

# One Wine process per program: Wine's start-up costs seconds, the tests themselves little.
# Making the prefix takes some seconds the first time, a moment after that.
add_test(NAME windows.prefix COMMAND ${NORVIK_WINE} wineboot --init)
add_test(NAME windows.fileservices_tests COMMAND ${NORVIK_WINE} ${windows_build}/tests/fileservices_tests.exe)
set(windows_tests windows.fileservices_tests)
foreach(target ${NORVIK_FUZZ_TARGETS})
  add_test(NAME windows.fuzz.${target}.corpus
           COMMAND ${NORVIK_WINE} ${windows_build}/fuzz/${target}_fuzz.exe ${PROJECT_SOURCE_DIR}/fuzz/corpus/${target})
  list(APPEND windows_tests windows.fuzz.${target}.corpus)
endforeach()
set_tests_properties(windows.prefix PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(${windows_tests} PROPERTIES FIXTURES_REQUIRED wine)
set_tests_properties(windows.prefix ${windows_tests} PROPERTIES TIMEOUT 300 ENVIRONMENT
                     "WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix;WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=")
