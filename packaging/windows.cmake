# The Windows downloads, made in the Windows build folder: a portable folder, zipped
# (`cpack -G ZIP`), and a setup program (`cpack -G NSIS`). Both hold the program, the Qt
# DLLs and the plugins it loads, the MinGW runtime, and the licences. Unpacked anywhere,
# the zip runs from there and keeps NorvikPrefs.ini beside itself; installed, the program
# keeps it in %APPDATA%\norvik-prefs-editor when it may not write its own folder.
install(TARGETS norvik-prefs-editor RUNTIME DESTINATION .)
foreach(module Core Gui Widgets)
  install(FILES $<TARGET_FILE:Qt6::${module}> DESTINATION .)
endforeach()
# Qt looks for its plugins in these folders beside the program.
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)
install(FILES $<TARGET_FILE:Qt6::QICOPlugin> DESTINATION imageformats)  # the window's icon
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  install(FILES ${NORVIK_QT_WINDOWS}/bin/${dll} DESTINATION .)
endforeach()

file(STRINGS ${NORVIK_QT_WINDOWS}/.complete NORVIK_QT_DEBIAN_VERSION LIMIT_COUNT 1)
set(NORVIK_QT_VERSION ${Qt6_VERSION})
configure_file(${CMAKE_CURRENT_LIST_DIR}/windows/QT-NOTICE.txt.in QT-NOTICE.txt @ONLY)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/QT-NOTICE.txt
              ${NORVIK_QT_WINDOWS}/LICENSES/LGPL-3.0-only.txt
              ${NORVIK_QT_WINDOWS}/LICENSES/GPL-3.0-only.txt
        DESTINATION .)
include(${CMAKE_CURRENT_LIST_DIR}/windows/notices.cmake)
norvik_third_party_notices(${NORVIK_QT_WINDOWS}/NOTICES ${CMAKE_CURRENT_BINARY_DIR}/THIRD-PARTY-NOTICES.txt)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/THIRD-PARTY-NOTICES.txt DESTINATION .)
install(FILES /usr/share/doc/mingw-w64-x86-64-dev/copyright DESTINATION . RENAME mingw-w64-copyright.txt)
install(FILES /usr/share/doc/gcc-mingw-w64-base/copyright DESTINATION . RENAME gcc-mingw-w64-copyright.txt)

# The setup program's pictures, drawn from the icon, and what its pages and version say.
find_program(NORVIK_PYTHON python3 REQUIRED)
execute_process(COMMAND ${NORVIK_PYTHON} ${PROJECT_SOURCE_DIR}/assets/make_setup_pictures.py
                        ${CMAKE_CURRENT_BINARY_DIR}/setup-pictures COMMAND_ERROR_IS_FATAL ANY)
set(CPACK_NORVIK_PYTHON ${NORVIK_PYTHON})
set(CPACK_NORVIK_SETUP_PICTURES ${CMAKE_CURRENT_BINARY_DIR}/setup-pictures)
set(CPACK_NORVIK_QT_VERSION ${NORVIK_QT_VERSION})
set(CPACK_NORVIK_COPYRIGHT "Copyright (c) 2026 Oskvarl, MIT License")

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME norvik-prefs-editor)
set(CPACK_PACKAGE_VENDOR Oskvarl)
set(CPACK_PACKAGE_FILE_NAME norvik-prefs-editor-${PROJECT_VERSION}-windows-x64)
set(CPACK_STRIP_FILES ON)
# The setup program (`cpack -G NSIS`): the same files in Program Files, a Start-menu entry,
# an entry in Add/Remove Programs and an uninstaller (packaging/windows/installer.cmake).
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/windows/installer.cmake)
include(CPack)
