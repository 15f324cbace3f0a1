# The I2C bus engine and its bit timing (no window).
velmaron_library(app_bus SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/I2CBus.cpp
  DEPS app_hw rtl
)
