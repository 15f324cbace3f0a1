# Printing over Qt's print support: a library of its own, so only its users link it.
find_package(Qt6 REQUIRED COMPONENTS PrintSupport)
velmaron_library(gui_printers SOURCES ${CMAKE_CURRENT_LIST_DIR}/Printers.cpp DEPS gui rtl Qt6::PrintSupport)
