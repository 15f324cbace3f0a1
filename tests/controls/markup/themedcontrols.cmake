# Inline controls drawn through the visual-styles binding.
velmaron_test(test_markup_themed GUI SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ThemedControlsTest.cpp
  DEPS markup gui_test_main gui rtl)
