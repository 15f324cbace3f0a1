# The main window (library app_main) and the program (velmaron, built into build/app/).
if(TARGET gui AND TARGET markup)
  # The window needs the standard controls of the GUI layer.
  get_target_property(_velmaron_gui_sources gui SOURCES)
  list(FILTER _velmaron_gui_sources INCLUDE REGEX "StdCtrls")
  set(_velmaron_stdctrls_stopgap "")
  if(NOT _velmaron_gui_sources AND EXISTS ${PROJECT_SOURCE_DIR}/platform/gui/StdCtrls.cpp)
    # The GUI library does not carry the standard controls yet: take them in here.
    set(_velmaron_stdctrls_stopgap ${PROJECT_SOURCE_DIR}/platform/gui/StdCtrls.cpp)
    set(_velmaron_gui_sources ON)
  endif()
endif()
if(TARGET gui AND TARGET markup AND _velmaron_gui_sources)
  velmaron_library(app_main SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Main.cpp
    ${_velmaron_stdctrls_stopgap}
    DEPS app_bus app_hw markup gui rtl
  )
  add_executable(velmaron ${CMAKE_CURRENT_LIST_DIR}/Velmaron.cpp)
  target_include_directories(velmaron PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(velmaron PRIVATE ${VELMARON_WARNINGS})
  target_link_libraries(velmaron PRIVATE app_main)
  set_target_properties(velmaron PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/app)
endif()
