# The status bar's tests.
find_package(Qt6 COMPONENTS Core Gui Widgets)
velmaron_test(test_statusbar GUI SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/StatusBarTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StatusBarDrawTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StatusBarMouseTest.cpp
  DEPS markup gui_test_main gui rtl Qt6::Widgets)
