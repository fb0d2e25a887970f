list(APPEND TERVOLIN_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/icons.cpp
  ${CMAKE_CURRENT_LIST_DIR}/instance_lock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_dialogs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scripted_dialogs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings_store.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shell.cpp
  ${CMAKE_CURRENT_LIST_DIR}/termination_signals.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_input.cpp
)
list(APPEND TERVOLIN_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/printer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/print_window.cpp
)
