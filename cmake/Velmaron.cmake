# Shared helpers for the folders' CMakeLists.txt.

set(VELMARON_WARNINGS -Wall -Wextra -Wno-unused-parameter)

# velmaron_library(<name> SOURCES <files...> [DEPS <targets...>] [PRIVATE_DEPS <targets...>])
function(velmaron_library name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${VELMARON_WARNINGS})
  if(A_DEPS)
    target_link_libraries(${name} PUBLIC ${A_DEPS})
  endif()
  if(A_PRIVATE_DEPS)
    target_link_libraries(${name} PRIVATE ${A_PRIVATE_DEPS})
  endif()
endfunction()

# velmaron_test(<name> SOURCES <files...> DEPS <targets...> [GUI])
# GUI tests run on Qt's offscreen platform.
function(velmaron_test name)
  cmake_parse_arguments(A "GUI" "" "SOURCES;DEPS" ${ARGN})
  find_package(GTest REQUIRED)
  add_executable(${name} ${A_SOURCES} ${PROJECT_SOURCE_DIR}/tests/TestEnvironment.cpp)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${VELMARON_WARNINGS})
  target_compile_definitions(${name} PRIVATE
    VELMARON_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    VELMARON_BINARY_DIR="${PROJECT_BINARY_DIR}")
  target_link_libraries(${name} PRIVATE ${A_DEPS} GTest::gtest GTest::gmock)
  if(NOT A_GUI)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  # The environment goes through the test launcher: a list in the tests'
  # ENVIRONMENT property does not survive test discovery.
  set_target_properties(${name} PROPERTIES
    CROSSCOMPILING_EMULATOR "/usr/bin/env;QT_QPA_PLATFORM=offscreen;VELMARON_TEST=1")
  include(GoogleTest)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES TIMEOUT 300)
endfunction()

# velmaron_bench(<name> SOURCES <files...> DEPS <targets...> [GUI])
# GUI benchmarks get the shared main that starts an offscreen application.
function(velmaron_bench name)
  cmake_parse_arguments(A "GUI" "" "SOURCES;DEPS" ${ARGN})
  find_package(benchmark REQUIRED)
  if(A_GUI)
    find_package(Qt6 REQUIRED COMPONENTS Widgets)
    list(APPEND A_SOURCES ${PROJECT_SOURCE_DIR}/bench/GuiBenchMain.cpp)
    list(APPEND A_DEPS Qt6::Widgets)
  endif()
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${VELMARON_WARNINGS})
  target_link_libraries(${name} PRIVATE ${A_DEPS} benchmark::benchmark)
endfunction()

# velmaron_fuzz(<name> SOURCES <files...> DEPS <targets...>)
function(velmaron_fuzz name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${name} PRIVATE ${A_DEPS})
endfunction()
