# The expert window's message language and data file, apart from any window.
velmaron_library(devices_expert_core SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ExpertMessage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ExpertFile.cpp
  DEPS app_bytetext
)
# The expert window with its message editor and sequence editor. The main
# window's Device menu opens it, so app_bus and this library need each other.
if(TARGET gui AND TARGET extgrid AND TARGET instrument AND TARGET devices_busrun)
  velmaron_library(devices_expert SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Universal_III.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MessageEditor.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Sequence.cpp
    DEPS devices_expert_core devices_busrun app_bus extgrid grid instrument gui rtl
  )
endif()
