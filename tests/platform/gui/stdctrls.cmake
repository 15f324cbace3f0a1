# Tests of the standard controls (included from this folder's CMakeLists.txt).
find_package(Qt6 REQUIRED COMPONENTS Test)
velmaron_test(test_gui_stdctrls GUI
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/StdCtrlsButtonTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/StdCtrlsEditTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/StdCtrlsListTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/StdCtrlsPaintTest.cpp
  DEPS gui gui_test_main Qt6::Test)
velmaron_test(test_gui_pages GUI SOURCES ${CMAKE_CURRENT_LIST_DIR}/PagesTest.cpp DEPS gui gui_test_main)
