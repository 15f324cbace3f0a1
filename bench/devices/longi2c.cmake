if(TARGET devices_longi2c_file)
  velmaron_bench(bench_longi2c_file SOURCES ${CMAKE_CURRENT_LIST_DIR}/Longi2cFileBench.cpp DEPS devices_longi2c_file rtl)
endif()
