velmaron_bench(bench_hw SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/PortIOBench.cpp
  DEPS app_hw
)
