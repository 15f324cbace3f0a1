# The user-definable device: its files (no window) and its windows.
velmaron_library(devices_longi2c_file SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/Longi2cFile.cpp
  DEPS app_bytetext rtl
)
# The device window, its dialogs and tool windows (they drive the bus through the main window).
if(TARGET gui AND TARGET extgrid)
  velmaron_library(devices_longi2c SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Longi2c.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Longi2cFiles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Longi2cButtons.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Definition.cpp
    ${CMAKE_CURRENT_LIST_DIR}/editcell.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RegisterTool.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Spinner.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Bits.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Slider.cpp
    DEPS devices_longi2c_file devices_busrun app_bus app_bytetext extgrid instrument gui_printers gui rtl
  )
endif()
