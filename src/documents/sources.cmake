list(APPEND TERVOLIN_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/amount_words.cpp
  ${CMAKE_CURRENT_LIST_DIR}/payee.cpp
  ${CMAKE_CURRENT_LIST_DIR}/payee_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/payee_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/payment_qr.cpp
  ${CMAKE_CURRENT_LIST_DIR}/receipt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sheets.cpp
)
list(APPEND TERVOLIN_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/document_output.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ledger_print_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page_widgets.cpp
  ${CMAKE_CURRENT_LIST_DIR}/payee_settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/preview_frame.cpp
  ${CMAKE_CURRENT_LIST_DIR}/receipt_batch_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/receipt_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sheet_printout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/statement_page.cpp
)
