# What an installed copy holds beyond the program: its menu entry, its icon in the
# desktop's icon theme, its AppStream metadata, its manual page, its licence and its
# changelog. `cpack -G DEB` in the build folder makes the Debian package of the same
# files. The Windows download: windows.cmake.
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/windows.cmake)
  return()
endif()
include(GNUInstallDirs)

set(NORVIK_APP_ID example.stormwarden.NorvikPrefsEditor)

install(TARGETS norvik-prefs-editor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/${NORVIK_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/${NORVIK_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# Compressed as Debian wants them, without a time stamp, so a build makes the same bytes.
configure_file(${CMAKE_CURRENT_LIST_DIR}/norvik-prefs-editor.6 norvik-prefs-editor.6 @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog changelog COPYONLY)
# A native package's changelog (changelog.gz, not changelog.Debian.gz) tells of its version.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/changelog changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^norvik-prefs-editor \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog: the top entry is not for version ${PROJECT_VERSION}")
endif()
foreach(file norvik-prefs-editor.6 changelog)
  execute_process(COMMAND gzip -9nc ${file} OUTPUT_FILE ${file}.gz
                  WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/norvik-prefs-editor.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
set(NORVIK_DOC ${CMAKE_INSTALL_DATADIR}/doc/norvik-prefs-editor)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION ${NORVIK_DOC})
# The sizes assets/make_icon.py draws; the window's own icon holds the same images.
foreach(size 16 24 32 48 256)
  install(FILES ${PROJECT_SOURCE_DIR}/assets/norvik-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${NORVIK_APP_ID}.png)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME norvik-prefs-editor)
set(CPACK_PACKAGE_VENDOR Oskvarl)
set(CPACK_PACKAGE_CONTACT "Oskvarl <oskvarl@stormwarden.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor for the preference scripts of the game Norvik2")
# Lines of at most 80 characters, as Debian's package tools show them.
set(CPACK_PACKAGE_DESCRIPTION [[
Finds the data folder of the game Norvik2, lists every preference script
(*Prefs.cs) below it, and lets you change one line at a time, in a small
desktop window. The game is looked for on drives c: to f:, as a Wine prefix
or your own links in ~/.config/norvik-prefs-editor name them, or on a drive
typed at the prompt. A save never destroys the old file before the new one
is complete on disk.]])
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://stormwarden.example/)
# Debian's games section is for programs installed in /usr/games; this one edits files.
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The library dependencies come from dpkg-shlibdeps, read off the program itself.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
