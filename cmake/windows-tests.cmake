# Windows in the everyday test run: a MinGW-w64 build (build/windows/), made with the rest
# of the build, and its programs run under Wine in a prefix kept in build/wine-prefix/.
# With a Qt for Windows (scripts/qt-windows.sh builds one into the cache) that is the whole
# editor, its widget tests and the end-to-end test; without one, the file services alone.
# Left out, with a note, where the cross compiler, GoogleTest's sources or Wine are
# missing (the test command installs them).
find_program(NORVIK_MINGW_CXX x86_64-w64-mingw32-g++-posix)
find_program(NORVIK_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(NOT NORVIK_MINGW_CXX OR NOT NORVIK_WINE OR NOT EXISTS /usr/src/googletest/CMakeLists.txt)
  message(STATUS "Windows tests left out: MinGW-w64, Wine or GoogleTest's sources are missing")
  return()
endif()

# Where scripts/qt-windows.sh keeps (or would build) Qt for Windows; it alone knows.
execute_process(COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/qt-windows.sh --where
                OUTPUT_VARIABLE qt_windows OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
if(EXISTS ${qt_windows}/.complete)
  set(windows_editor ON)
  set(windows_options -DNORVIK_FILESERVICES_ONLY=OFF -DNORVIK_QT_WINDOWS=${qt_windows})
  message(STATUS "Windows build: the whole editor, against ${qt_windows}")
else()
  set(windows_editor OFF)
  set(windows_options -DNORVIK_FILESERVICES_ONLY=ON)
  message(STATUS "Windows build: the file services alone (no Qt for Windows in ${qt_windows}; "
                 "bash scripts/qt-windows.sh builds it)")
endif()

include(ExternalProject)
set(windows_build ${CMAKE_BINARY_DIR}/windows)
ExternalProject_Add(windows_build
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${windows_build}
  CONFIGURE_COMMAND ${CMAKE_COMMAND} --preset windows-cross -S ${PROJECT_SOURCE_DIR} -B ${windows_build}
                    ${windows_options}
  BUILD_ALWAYS ON  # its own build decides what changed
  INSTALL_COMMAND "")

# Wine finds the Qt DLLs and the MinGW runtime (the Qt build copies it beside them)
# through WINEPATH, a Windows path on drive z:, Wine's view of /. A download carries them
# beside the program instead.
string(REPLACE "/" "\\" wine_path "z:${qt_windows}/bin")

# One Wine process per program: Wine's start-up costs seconds, the tests themselves little.
# Making the prefix takes some seconds the first time, a moment after that.
add_test(NAME windows.prefix COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-prefix.sh ${NORVIK_WINE})
add_test(NAME windows.fileservices_tests COMMAND ${NORVIK_WINE} ${windows_build}/tests/fileservices_tests.exe)
set(windows_tests windows.fileservices_tests)
foreach(target ${NORVIK_FUZZ_TARGETS})
  add_test(NAME windows.fuzz.${target}.corpus
           COMMAND ${NORVIK_WINE} ${windows_build}/fuzz/${target}_fuzz.exe ${PROJECT_SOURCE_DIR}/fuzz/corpus/${target})
  list(APPEND windows_tests windows.fuzz.${target}.corpus)
endforeach()
if(windows_editor)
  # The same widget tables as on Linux, headless as there.
  add_test(NAME windows.editor_tests COMMAND ${NORVIK_WINE} ${windows_build}/tests/editor_tests.exe)
  set_tests_properties(windows.editor_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  # The program on Windows' own window system, driven as on Linux, in a prefix with Wine's
  # Tahoma copied in, whose small sizes carry bitmaps ...
  add_test(NAME windows.e2e.editRoad_savesTheEditedFileByteForByte
           COMMAND ${PROJECT_SOURCE_DIR}/tests/e2e/edit_road.sh --wine --tahoma
                   ${windows_build}/norvik-prefs-editor.exe ${PROJECT_SOURCE_DIR}/examples/drive_c)
  # ... and on a desktop scaled to 150 % (144 dots per inch), the whole window scaled with
  # it, in a prefix as Wine makes it (none of Wine's own faces in it; the zip's and the
  # setup's tests run in such prefixes too).
  add_test(NAME windows.e2e.editRoad_at150Percent
           COMMAND ${PROJECT_SOURCE_DIR}/tests/e2e/edit_road.sh --wine --scale 150
                   ${windows_build}/norvik-prefs-editor.exe ${PROJECT_SOURCE_DIR}/examples/drive_c)
  # ... and with the keyboard alone.
  add_test(NAME windows.e2e.keyboardRoad_savesTheEditedFileByteForByte
           COMMAND ${PROJECT_SOURCE_DIR}/tests/e2e/edit_road.sh --wine --keys
                   ${windows_build}/norvik-prefs-editor.exe ${PROJECT_SOURCE_DIR}/examples/drive_c)
  list(APPEND windows_tests windows.editor_tests windows.e2e.editRoad_savesTheEditedFileByteForByte
       windows.e2e.editRoad_at150Percent windows.e2e.keyboardRoad_savesTheEditedFileByteForByte)
  set_tests_properties(windows.e2e.editRoad_savesTheEditedFileByteForByte windows.e2e.editRoad_at150Percent
                       windows.e2e.keyboardRoad_savesTheEditedFileByteForByte PROPERTIES RESOURCE_LOCK display)
endif()
set_tests_properties(windows.prefix PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(${windows_tests} PROPERTIES FIXTURES_REQUIRED wine)
set_property(TEST windows.prefix ${windows_tests} PROPERTY TIMEOUT 300)
set_property(TEST windows.prefix ${windows_tests} APPEND PROPERTY ENVIRONMENT
             "WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix" WINEDEBUG=-all "WINEDLLOVERRIDES=mscoree,mshtml="
             "WINEPATH=${wine_path}")
