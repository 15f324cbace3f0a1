// main() of GUI test programs: the QApplication on the offscreen platform,
// the scripted dialog responder, then every test.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <cstdio>
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
  // Each test starts as a fresh run would, also when the tests are repeated.
  GuiForgetHelpNotice();
}

void TGuiTest::TearDown() {
  FreeAllForms();
  Responder().Verify();
}

std::string TestImagePath(const std::string& Name) {
  // A run whose build tree is not writable (another user's, a read-only checkout) points the
  // pictures elsewhere.
  const char* chosen = std::getenv("VELMARON_TEST_IMAGES");
#ifdef VELMARON_BINARY_DIR
  std::string dir = std::string(VELMARON_BINARY_DIR) + "/test-images";
#else
  std::string dir = QDir::tempPath().toStdString() + "/velmaron-test-images";
#endif
  if (chosen && *chosen) dir = chosen;
  QDir().mkpath(QString::fromStdString(dir));
  return dir + "/" + Name;
}

namespace {
// The offscreen platform cannot raise windows or size hints; those notes are noise in test logs.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& msg) {
  if (msg.contains("does not support") || msg.contains("XDG_RUNTIME_DIR")) return;
  std::fprintf(stderr, "%s\n", qPrintable(msg));
  if (type == QtFatalMsg) std::abort();
}
}  // namespace

int main(int argc, char** argv) {
  qInstallMessageHandler(QuietMessages);
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
