# What every message window needs around a bus run (busy flag, stop guard, pause clock).
if(TARGET gui)
  velmaron_library(devices_busrun SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/BusRun.cpp
    DEPS app_bus gui rtl
  )
endif()
