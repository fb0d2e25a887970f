# What the bank import and the readings import share to find a subscriber by the texts they read:
# the folding of texts, the numbers of accounts and plots, the index of the directory's names.
# Plain C++ over the record table; below every subsystem that imports.
list(APPEND TERVOLIN_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/account_numbers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folding.cpp
  ${CMAKE_CURRENT_LIST_DIR}/name_index.cpp
)
