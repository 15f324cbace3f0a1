velmaron_bench(bench_hw SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/PortIOBench.cpp
  DEPS app_hw
)
velmaron_bench(bench_app_timebase SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/TimeBaseBench.cpp
  DEPS app_hw
)
