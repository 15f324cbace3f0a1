if(TARGET devices_univers_text)
  velmaron_test(test_devices_univers_text SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/UniversTextTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UniversFileTest.cpp
    DEPS devices_univers_text
  )
endif()
if(TARGET devices_univers AND TARGET gui_test_main)
  find_package(Qt6 COMPONENTS Core Gui Widgets)
  velmaron_test(test_devices_univers GUI SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/UniversWindowTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UniversRunTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UniversFileWindowTest.cpp
    DEPS devices_univers app_main port gui_test_main gui rtl Qt6::Widgets
  )
endif()
