# The expert data file reader and the expert token language.
if(TARGET devices_expert_core)
  velmaron_fuzz(fuzz_expert_file SOURCES ${CMAKE_CURRENT_LIST_DIR}/ExpertFileFuzz.cpp DEPS devices_expert_core)
  velmaron_fuzz(fuzz_expert_tokens SOURCES ${CMAKE_CURRENT_LIST_DIR}/ExpertTokensFuzz.cpp DEPS devices_expert_core)
endif()
