list(APPEND TERVOLIN_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/change_journal.cpp
  ${CMAKE_CURRENT_LIST_DIR}/change_log.cpp
  ${CMAKE_CURRENT_LIST_DIR}/closed_months.cpp
  ${CMAKE_CURRENT_LIST_DIR}/commit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/data_folder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/database_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/database_reading.cpp
  ${CMAKE_CURRENT_LIST_DIR}/money.cpp
  ${CMAKE_CURRENT_LIST_DIR}/record_table.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sha256.cpp
  ${CMAKE_CURRENT_LIST_DIR}/year_archive.cpp
  ${CMAKE_CURRENT_LIST_DIR}/year_window.cpp
)
