velmaron_test(test_app_hw SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/PortIOTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TimeBaseTest.cpp
  DEPS app_hw
)
