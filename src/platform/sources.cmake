list(APPEND TERVOLIN_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/file_places.cpp
  ${CMAKE_CURRENT_LIST_DIR}/icons.cpp
  ${CMAKE_CURRENT_LIST_DIR}/instance_lock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picture_buttons.cpp
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
  ${CMAKE_CURRENT_LIST_DIR}/qr_code_view.cpp
)

# Payment QR codes: encoded with libqrencode in plain C++, drawn by the windows and the printout.
find_package(PkgConfig REQUIRED)
pkg_check_modules(TERVOLIN_QR_LIBS REQUIRED IMPORTED_TARGET libqrencode)
list(APPEND TERVOLIN_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/qr_code.cpp
)
list(APPEND TERVOLIN_CORE_LIBRARIES PkgConfig::TERVOLIN_QR_LIBS)

# Workbooks: written with libxlsxwriter, read with our own reader over libzip and pugixml (.xlsx)
# and FreeXL (legacy .xls).
find_package(PkgConfig REQUIRED)
pkg_check_modules(TERVOLIN_WORKBOOK_LIBS REQUIRED IMPORTED_TARGET xlsxwriter libzip pugixml freexl)
list(APPEND TERVOLIN_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/cell_address.cpp
  ${CMAKE_CURRENT_LIST_DIR}/workbook_files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/workbook_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/workbook_writer.cpp
)
list(APPEND TERVOLIN_UI_LIBRARIES PkgConfig::TERVOLIN_WORKBOOK_LIBS)
