list(APPEND TERVOLIN_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/directory_workbook.cpp
)
