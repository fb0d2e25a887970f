list(APPEND TERVOLIN_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/notice_texts.cpp
)
list(APPEND TERVOLIN_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/app_state.cpp
  ${CMAKE_CURRENT_LIST_DIR}/status_notices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/year_selector.cpp
)
