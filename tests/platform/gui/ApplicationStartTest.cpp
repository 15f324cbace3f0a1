// The program's own start: no QApplication exists until Application->Initialize
// makes one, and Run returns once the main form has closed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>

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

// At the program's end everything the run made is freed, so a leak check sees only leaks.
TEST(ApplicationStart, ShutdownFreesTheFormsTheCursorsAndTheWindowSystem) {
  ASSERT_EQ(QCoreApplication::instance(), nullptr);
  Application->Initialize();
  TForm* main = nullptr;
  Application->CreateForm(main);
  bool freed = false;
  TForm* other = new TForm(nullptr);  // made outside CreateForm
  other->OnDestroy = [&](TObject*) { freed = true; };
  constexpr int kOwnCursor = 7;
  Screen->SetCursors(kOwnCursor, reinterpret_cast<HCURSOR>(new QCursor(Qt::PointingHandCursor)));
  main->Close();
  Application->Run();
  Application->ClearTerminated();
  ASSERT_NE(QCoreApplication::instance(), nullptr);
  Application->Shutdown();
  EXPECT_EQ(QCoreApplication::instance(), nullptr);
  EXPECT_TRUE(freed);
  EXPECT_EQ(Screen->FormCount(), 0);
  EXPECT_EQ(Screen->Cursors(kOwnCursor), nullptr);
}
