if(TARGET devices_busrun)
  velmaron_test(test_devices_busrun SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/BusRunTest.cpp
    DEPS devices_busrun
  )
endif()
