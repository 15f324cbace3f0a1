velmaron_library(app_hw SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/PortIO.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InstHPTimerFunc.cpp
  DEPS rtl port
)
