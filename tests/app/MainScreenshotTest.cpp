// The frame rendered offscreen: the pictures go into the test picture folder,
// and the status line's colours are checked in the pixels.
#include <gtest/gtest.h>

#include <QImage>
#include <QMenu>
#include <QWidget>

#include "tests/app/MainTestFixture.h"

namespace {

using MainScreenshotTest = TMainWindowTest<>;

QString ShotPath(const char* name) { return QString::fromStdString(TestImagePath(name)); }

TEST_F(MainScreenshotTest, FrameWithMenusAndStatusBar) {
  TfrmMain* f = Start();
  f->Show();
  for (int i = 0; i < 5; ++i) Application->ProcessMessages();
  ASSERT_NE(f->Peer(), nullptr);
  const QImage frame = f->Peer()->grab().toImage();
  ASSERT_FALSE(frame.isNull());
  EXPECT_TRUE(frame.save(ShotPath("main-window.png")));

  ASSERT_NE(f->pnlStatusBar->Peer(), nullptr);
  const QImage bar = f->pnlStatusBar->Peer()->grab().toImage();
  ASSERT_FALSE(bar.isNull());
  EXPECT_TRUE(bar.save(ShotPath("main-statusbar.png")));
  // The status line and the mode label cover their panels in their colours.
  const TRect status = f->pnlStatus->BoundsRect();
  const TRect mode = f->lblMode->BoundsRect();
  const double scale = bar.devicePixelRatio();
  auto at = [&](int x, int y) { return bar.pixelColor(int(x * scale), int(y * scale)); };
  EXPECT_EQ(at(status.Right - 3, status.Top + 2), QColor(0, 128, 0));
  EXPECT_EQ(at(mode.Left + 2, mode.Top + 2), QColor(255, 255, 0));

  QMenu* options = f->mnuOptions->SubMenu();
  ASSERT_NE(options, nullptr);
  options->adjustSize();
  const QImage menu = options->grab().toImage();
  EXPECT_TRUE(menu.save(ShotPath("main-options-menu.png")));
}

}  // namespace
