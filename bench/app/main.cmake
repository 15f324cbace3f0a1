# Start-up time of the main window.
if(TARGET app_main)
  find_package(Qt6 COMPONENTS Core Gui Widgets)
  velmaron_bench(bench_app_startup SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/MainStartupBench.cpp
    DEPS app_main port Qt6::Widgets
  )
endif()
