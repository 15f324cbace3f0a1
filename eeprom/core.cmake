# The EEPROM windows' code that needs no window: image, bus operations, files.
velmaron_library(eeprom_core SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/EEImage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EEBusOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EEFiles.cpp
  DEPS app_bytetext rtl
)
