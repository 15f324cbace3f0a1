velmaron_test(test_eeprom_files SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/EEImageTest.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/EEFilesTest.cpp
  DEPS eeprom_core rtl
)
velmaron_test(test_eeprom_busops SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/EEBusOpsTest.cpp
  DEPS eeprom_core app_bus app_hw port rtl
)
