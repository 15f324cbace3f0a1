# The two EEPROM windows and the go-to dialog. They stand on the main window's
# bus routines and status line, and the main window's Device menu opens them,
# so this library and app_bus need each other (a cycle of static libraries).
if(TARGET gui AND TARGET extgrid AND TARGET inspector)
  velmaron_library(eeprom_windows SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/EEWindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Eeprom.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SmallEE.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GotoByte.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EEButtons.cpp
    DEPS eeprom_core app_bus app_bytetext extgrid inspector instrument gui rtl
  )
endif()
