# The setup program, read by cpack for each kind of package it makes.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(assets ${CMAKE_CURRENT_LIST_DIR}/../../assets)
  set(CPACK_PACKAGE_FILE_NAME norvik-prefs-editor-${CPACK_PACKAGE_VERSION}-windows-x64-setup)
  set(CPACK_PACKAGE_INSTALL_DIRECTORY "Norvik2 Prefs Editor")
  set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY norvik-prefs-editor)
  set(CPACK_NSIS_PACKAGE_NAME "Norvik2 Prefs Editor")
  set(CPACK_NSIS_DISPLAY_NAME "Norvik2 Prefs Editor")
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  # The Start-menu entry, with the program's own icon; the program lies at the top.
  set(CPACK_PACKAGE_EXECUTABLES norvik-prefs-editor "Norvik2 Prefs Editor")
  set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
  set(CPACK_NSIS_MUI_ICON ${assets}/norvik.ico)
  set(CPACK_NSIS_MUI_UNIICON ${assets}/norvik.ico)
  set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
  # Add/Remove Programs shows these beside the name, the version and the publisher.
  set(CPACK_NSIS_INSTALLED_ICON_NAME norvik-prefs-editor.exe)
  set(CPACK_NSIS_URL_INFO_ABOUT https://stormwarden.example/)
  set(CPACK_NSIS_CONTACT oskvarl@stormwarden.example)
  set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_LIST_DIR}/../../LICENSE)
  # A 64-bit setup; each part refuses, with its message, before it changes anything
  # (installer.nsh).
  set(CPACK_NSIS_DEFINES "Target amd64-unicode\n!include \"${CMAKE_CURRENT_LIST_DIR}/installer.nsh\"")
  set(CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS "Call NorvikMayInstall")
  set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "Call un.NorvikMayUninstall")
endif()
