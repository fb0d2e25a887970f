list(APPEND TERVOLIN_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/change_history.cpp
  ${CMAKE_CURRENT_LIST_DIR}/chart_data.cpp
  ${CMAKE_CURRENT_LIST_DIR}/summary.cpp
  ${CMAKE_CURRENT_LIST_DIR}/supplier_figures.cpp
)
list(APPEND TERVOLIN_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/about_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/chart_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/check_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/help_command.cpp
  ${CMAKE_CURRENT_LIST_DIR}/log_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/report_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/report_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/report_workbook.cpp
  ${CMAKE_CURRENT_LIST_DIR}/summary_window.cpp
)
list(APPEND TERVOLIN_UI_LIBRARIES Qt6::Charts)
# The about window names the version the project is built as.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/about_window.cpp PROPERTIES
  COMPILE_DEFINITIONS "TERVOLIN_VERSION=\"${PROJECT_VERSION}\"")
list(APPEND TERVOLIN_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/sheet_workbook.cpp
)
