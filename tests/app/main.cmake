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
    ${CMAKE_CURRENT_LIST_DIR}/MainCloseAllTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainCloseAllDevice.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainCascadeTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WindowGridsTest.cpp
    DEPS app_main app_bus app_hw port markup instrument gui_test_main gui rtl Qt6::Widgets)
  # The tests hold when they all run twice in one process.
  add_test(NAME test_app_main_repeated COMMAND test_app_main --gtest_repeat=2)
  set_tests_properties(test_app_main_repeated PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VELMARON_TEST=1" TIMEOUT 300)
endif()
