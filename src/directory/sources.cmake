list(APPEND TERVOLIN_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/directory.cpp
)
list(APPEND TERVOLIN_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/add_subscriber_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/close_guard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/directory_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/directory_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/directory_workbook.cpp
  ${CMAKE_CURRENT_LIST_DIR}/edit_subscriber_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/subscriber_form.cpp
)
