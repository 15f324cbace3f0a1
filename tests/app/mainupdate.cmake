# The main window's web update command.
if(TARGET app_main AND TARGET update_wizard)
  velmaron_test(test_app_update GUI SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/MainUpdateTest.cpp
    DEPS app_main app_bus app_hw port markup update_wizard gui_test_main gui rtl Qt6::Widgets)
endif()
