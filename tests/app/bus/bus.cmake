velmaron_test(test_app_bus SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/I2CBusTest.cpp
  DEPS app_bus app_hw port rtl
)
