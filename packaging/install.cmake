# What an installed copy holds beyond the program: its menu entry, its icon in the
# desktop's icon theme, its AppStream metadata and its licence. `cpack -G DEB` in the
# build folder makes the Debian package of the same files. The Windows download:
# windows.cmake.
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
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/norvik-prefs-editor)
# The sizes assets/make_icon.py draws; the window's own icon holds the same images.
foreach(size 32 48)
  install(FILES ${PROJECT_SOURCE_DIR}/assets/norvik-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${NORVIK_APP_ID}.png)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME norvik-prefs-editor)
set(CPACK_PACKAGE_VENDOR Oskvarl)
set(CPACK_PACKAGE_CONTACT "Oskvarl")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor for the preference scripts of the game Norvik2")
set(CPACK_PACKAGE_DESCRIPTION
    "Finds the game's data folder, lists every preference script (*Prefs.cs) below it, and lets you change one line at a time and write the file back safely.")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://stormwarden.example/)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The library dependencies come from dpkg-shlibdeps, read off the program itself.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
