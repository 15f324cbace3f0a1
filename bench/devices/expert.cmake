# The expert data file codec and the token check.
if(TARGET devices_expert_core)
  velmaron_bench(bench_devices_expert SOURCES ${CMAKE_CURRENT_LIST_DIR}/ExpertBench.cpp DEPS devices_expert_core)
endif()
