if(TARGET devices_longi2c AND TARGET app_main)
  find_package(Qt6 COMPONENTS Core Gui Widgets)
  velmaron_test(test_devices_longi2c GUI SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Longi2cBusTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Longi2cFilesTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Longi2cToolsTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Longi2cScreenshotTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Longi2cUseTest.cpp
    DEPS devices_longi2c gui_printers instrument app_main app_bus app_hw port gui_test_main gui rtl Qt6::Widgets)
endif()
