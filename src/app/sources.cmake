list(APPEND TERVOLIN_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/automatic_backup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/backup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/backup_list_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/colour_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window_commands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window_load.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window_menus.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window_place.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window_saving.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window_sheet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/payee_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/program.cpp
  ${CMAKE_CURRENT_LIST_DIR}/save_settings_window.cpp
)
list(APPEND TERVOLIN_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/backup_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/backup_rotation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_place.cpp
)
