list(APPEND TERVOLIN_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/file_places.cpp
  ${CMAKE_CURRENT_LIST_DIR}/icons.cpp
  ${CMAKE_CURRENT_LIST_DIR}/instance_lock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picture_buttons.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_dialogs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/read_only_input.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scripted_dialogs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings_store.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shell.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_input.cpp
)
# The file system under the database, its backups and the lock: one side per system.
if(WIN32)
  list(APPEND TERVOLIN_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/file_system_windows.cpp)
  list(APPEND TERVOLIN_UI_SOURCES ${CMAKE_CURRENT_LIST_DIR}/termination_signals_windows.cpp)
else()
  list(APPEND TERVOLIN_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/file_system_posix.cpp)
  list(APPEND TERVOLIN_UI_SOURCES ${CMAKE_CURRENT_LIST_DIR}/termination_signals.cpp)
endif()
list(APPEND TERVOLIN_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/printer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/print_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qr_code_view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/repeated_texts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wrapped_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_frame.cpp
)

# Payment QR codes: encoded with libqrencode in plain C++, drawn by the windows and the printout.
# (TERVOLIN_QR_CODES: see the top CMakeLists.txt.)
if(TERVOLIN_QR_CODES)
  tervolin_find_libraries(qr_libraries libqrencode:qrencode.h:qrencode)
  list(APPEND TERVOLIN_CORE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/qr_code.cpp
  )
  list(APPEND TERVOLIN_CORE_LIBRARIES tervolin::qr_libraries)
endif()

# Workbooks: written with libxlsxwriter, read with our own reader over libzip and pugixml (.xlsx)
# and FreeXL (legacy .xls).
if(NOT TERVOLIN_CORE_ONLY)
  tervolin_find_libraries(workbook_libraries xlsxwriter libzip:zip.h:zip pugixml:pugixml.hpp:pugixml freexl)
endif()
list(APPEND TERVOLIN_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/cell_address.cpp
  ${CMAKE_CURRENT_LIST_DIR}/workbook_files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/workbook_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/workbook_reader_dates.cpp
  ${CMAKE_CURRENT_LIST_DIR}/workbook_reader_xls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/workbook_reader_xlsx.cpp
  ${CMAKE_CURRENT_LIST_DIR}/workbook_writer.cpp
)
list(APPEND TERVOLIN_UI_LIBRARIES tervolin::workbook_libraries)
