# The universal window: message texts and the data file codec (no window), and the window.
velmaron_library(devices_univers_text SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/UniversText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UniversFile.cpp
  DEPS app_bytetext
)
if(TARGET devices_busrun AND TARGET instrument)
  velmaron_library(devices_univers SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Univers.cpp
    DEPS devices_univers_text devices_busrun app_bus instrument gui rtl
  )
endif()
