list(APPEND TERVOLIN_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/bank_import.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bank_journal.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bank_statement.cpp
  ${CMAKE_CURRENT_LIST_DIR}/debtors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ledger.cpp
  ${CMAKE_CURRENT_LIST_DIR}/year_rollover.cpp
)
list(APPEND TERVOLIN_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/bank_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bank_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/carry_over_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cell_editor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/debtors_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frozen_column_table.cpp
  ${CMAKE_CURRENT_LIST_DIR}/grid_header.cpp
  ${CMAKE_CURRENT_LIST_DIR}/keys_help_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ledger_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ledger_settings_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ledger_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ledger_workbook.cpp
)
