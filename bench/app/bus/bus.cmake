velmaron_bench(bench_app_bus SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/I2CBusBench.cpp
  DEPS app_bus app_hw port rtl
)
