list(APPEND TERVOLIN_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/reading_check.cpp
  ${CMAKE_CURRENT_LIST_DIR}/readings_import.cpp
  ${CMAKE_CURRENT_LIST_DIR}/readings_import_match.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sheet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sheet_calculation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sheet_editing.cpp
)
list(APPEND TERVOLIN_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/readings_import_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sheet_view.cpp
)
list(APPEND TERVOLIN_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/readings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/route_file.cpp
)
list(APPEND TERVOLIN_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/readings_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/readings_window.cpp
)
