# The main window's tests.
if(TARGET app_main AND EXISTS ${CMAKE_CURRENT_LIST_DIR}/MainTest.cpp AND EXISTS ${CMAKE_CURRENT_LIST_DIR}/MainStatusTest.cpp
   AND EXISTS ${CMAKE_CURRENT_LIST_DIR}/MainScreenshotTest.cpp)
  find_package(Qt6 COMPONENTS Core Gui Widgets)
  velmaron_test(test_app_main GUI SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/MainTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainStatusTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainScreenshotTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainTimingTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainWindowTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainPortSettingsTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ShellDialogsTest.cpp
    DEPS app_main app_bus app_hw port markup instrument gui_test_main gui rtl Qt6::Widgets)
endif()
