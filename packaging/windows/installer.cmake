# The setup program, read by cpack for each kind of package it makes. The setup is made
# from a template of its own (NSIS.template.in, in this folder): English only, its own
# pictures (drawn by assets/make_setup_pictures.py when the build is configured) and
# wording, and the window's name wherever a user reads one.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})
  set(assets ${CMAKE_CURRENT_LIST_DIR}/../../assets)
  set(CPACK_PACKAGE_FILE_NAME norvik-prefs-editor-${CPACK_PACKAGE_VERSION}-windows-x64-setup)
  set(CPACK_PACKAGE_INSTALL_DIRECTORY "Norvik2 - Prefs Editor")
  set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY norvik-prefs-editor)
  set(CPACK_NSIS_PACKAGE_NAME "Norvik2 - Prefs Editor")
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  set(CPACK_NSIS_MUI_ICON ${assets}/norvik.ico)
  set(CPACK_NSIS_MUI_UNIICON ${assets}/norvik.ico)
  set(CPACK_NSIS_URL_INFO_ABOUT https://stormwarden.example/)
  set(CPACK_NSIS_CONTACT oskvarl@stormwarden.example)
  set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_LIST_DIR}/../../LICENSE)
  set(CPACK_NORVIK_WINDOWS_DIR ${CMAKE_CURRENT_LIST_DIR})
endif()
