# The expert window's message language and data file.
if(TARGET devices_expert_core)
  velmaron_test(test_devices_expert_core SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/ExpertMessageTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ExpertFileTest.cpp
    DEPS devices_expert_core)
endif()
# The expert window, its editors and pictures, through the main window on the simulated adapter.
if(TARGET devices_expert AND TARGET gui_test_main)
  find_package(Qt6 COMPONENTS Core Gui Widgets)
  velmaron_test(test_devices_expert GUI SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/ExpertSendTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ExpertTableTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ExpertEditorTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ExpertScreenshotTest.cpp
    DEPS devices_expert app_main app_bus app_hw port gui_test_main gui rtl Qt6::Widgets)
endif()
