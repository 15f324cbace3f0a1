# The universal data file reader and the message notation it checks.
if(TARGET devices_univers_text)
  velmaron_fuzz(fuzz_univers_file SOURCES ${CMAKE_CURRENT_LIST_DIR}/UniversFileFuzz.cpp DEPS devices_univers_text)
endif()
