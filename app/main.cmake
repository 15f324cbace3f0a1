# The main window (library app_main) and the program (velmaron, built into build/app/).
if(TARGET gui AND TARGET markup)
  velmaron_library(app_main SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Bitrate.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Splash.cpp
    ${CMAKE_CURRENT_LIST_DIR}/About.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DeviceMenu.cpp
    DEPS app_bus app_hw markup update_wizard instrument gui rtl
  )
  # The expert window, which the Device menu opens.
  if(TARGET devices_expert)
    target_link_libraries(app_main PUBLIC devices_expert)
  endif()
  target_compile_definitions(app_main PRIVATE VELMARON_VERSION="${PROJECT_VERSION}")
  # The Device menu's windows (they in turn drive the bus through this window).
  if(TARGET devices_longi2c)
    target_link_libraries(app_main PUBLIC devices_longi2c)
  endif()
  if(TARGET eeprom_windows)
    target_link_libraries(app_main PUBLIC eeprom_windows)
  endif()
  add_executable(velmaron ${CMAKE_CURRENT_LIST_DIR}/Velmaron.cpp)
  target_include_directories(velmaron PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(velmaron PRIVATE ${VELMARON_WARNINGS})
  target_link_libraries(velmaron PRIVATE app_main)
  set_target_properties(velmaron PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/app)
  # The web update starts the updater found beside the program.
  add_dependencies(velmaron upd)
  add_custom_command(TARGET velmaron POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:upd> $<TARGET_FILE_DIR:velmaron>/upd)
endif()
# The device windows the Device menu opens.
if(TARGET app_main AND TARGET devices_univers)
  target_link_libraries(app_main PUBLIC devices_univers)
endif()
