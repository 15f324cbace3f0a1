velmaron_test(test_app_bytetext SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/ByteTextTest.cpp
  DEPS app_bytetext
)
