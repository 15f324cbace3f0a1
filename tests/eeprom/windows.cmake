# The EEPROM windows driven through the main window on the simulated adapter.
if(TARGET eeprom_windows)
  find_package(Qt6 COMPONENTS Core Gui Widgets)
  velmaron_test(test_eeprom_windows GUI SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/EEWindowSetUpTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EEWindowEditTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EEWindowOpsTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EEWindowScreenshotTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EEWindowBusTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EEWindowFileTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EEWindowSettingsTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EEWindowStatesTest.cpp
    DEPS eeprom_windows app_main port gui_test_main gui rtl Qt6::Widgets)
endif()
