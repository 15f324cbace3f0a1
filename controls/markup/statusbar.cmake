# The status bar is part of the markup library.
target_sources(markup PRIVATE ${CMAKE_CURRENT_LIST_DIR}/HTMLStatusBar.cpp)
