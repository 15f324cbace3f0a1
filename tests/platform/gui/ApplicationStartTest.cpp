// The program's own start: no QApplication exists until Application->Initialize
// makes one, and Run returns once the main form has closed.
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/gui/Forms.h"
#include "platform/gui/Timer.h"

TEST(ApplicationStart, InitializeMakesTheWindowSystemAndRunEndsWhenTheMainFormCloses) {
  ASSERT_EQ(QCoreApplication::instance(), nullptr);
  Application->Initialize();
  ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);
  Application->Initialize();  // a second call keeps the one application
  TForm* main = nullptr;
  Application->CreateForm(main);
  ASSERT_EQ(Application->MainForm(), main);
  bool shown = false;
  main->OnShow = [&](TObject*) { shown = true; };
  auto* closer = new TTimer(main);
  closer->SetInterval(10);
  closer->OnTimer = [&](TObject*) { main->Close(); };
  Application->Run();  // would hang if closing the main form did not end the loop
  EXPECT_TRUE(shown);
  EXPECT_EQ(Application->MainForm(), nullptr) << "the run's end frees the forms";
  // The process is left as the test found it, so that the test holds when repeated.
  Application->ClearTerminated();
  delete QCoreApplication::instance();
}
