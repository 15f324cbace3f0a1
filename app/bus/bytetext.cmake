# The byte-cell text rule shared by every window with hex cells.
velmaron_library(app_bytetext SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ByteText.cpp
  DEPS rtl
)
