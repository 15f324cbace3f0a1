if(TARGET devices_longi2c_file)
  velmaron_test(test_devices_longi2c_file SOURCES ${CMAKE_CURRENT_LIST_DIR}/Longi2cFileTest.cpp
    DEPS devices_longi2c_file rtl)
endif()
