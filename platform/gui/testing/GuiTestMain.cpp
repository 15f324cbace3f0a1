// main() of GUI test programs: the QApplication on the offscreen platform,
// the scripted dialog responder, then every test.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <cstdlib>

#include "platform/gui/Forms.h"
#include "platform/gui/GuiInternal.h"
#include "platform/gui/testing/GuiTest.h"

void FreeAllForms() {
  Application->ProcessMessages();
  while (Screen->FormCount() > 0) {
    TCustomForm* f = Screen->Forms(Screen->FormCount() - 1);
    f->BeforeDestruction();
    delete f;
  }
  Application->ProcessMessages();
  Application->ClearTerminated();
  Screen->SetCursor(crDefault);
}

void TGuiTest::TearDown() {
  FreeAllForms();
  Responder().Verify();
}

std::string TestImagePath(const std::string& Name) {
#ifdef VELMARON_BINARY_DIR
  std::string dir = std::string(VELMARON_BINARY_DIR) + "/test-images";
#else
  std::string dir = QDir::tempPath().toStdString() + "/velmaron-test-images";
#endif
  QDir().mkpath(QString::fromStdString(dir));
  return dir + "/" + Name;
}

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("VELMARON_TEST", "1", 0);
  QApplication app(argc, argv);
  Application->Initialize();
  SetDialogResponder(&Responder());
  ::testing::InitGoogleTest(&argc, argv);
  int r = RUN_ALL_TESTS();
  FreeAllForms();
  SetDialogResponder(nullptr);
  return r;
}
