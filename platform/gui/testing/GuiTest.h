#pragma once
// Base fixture of GUI tests: checks the dialog script at the end and frees
// the forms a test left behind. The test main (GuiTestMain.cpp, library
// gui_test_main) creates the QApplication on the offscreen platform.

#include <gtest/gtest.h>

#include <string>

#include "platform/gui/testing/TestResponder.h"

class TGuiTest : public ::testing::Test {
 protected:
  void TearDown() override;
};

// Frees every form still alive and runs the posted messages (used between tests).
void FreeAllForms();
// Path of a picture a test writes: "<folder>/<name>", the folder made if missing. The folder is
// $VELMARON_TEST_IMAGES when set, else "<build>/test-images".
std::string TestImagePath(const std::string& Name);
