// Pictures of the expert window with messages and of its two editors, written
// into the test picture folder to be looked at; the colours of the
// status labels are checked in the pixels.
#include <QImage>

#include "platform/gui/FormImage.h"
#include "tests/devices/ExpertWindowFixture.h"

namespace {

std::string Shot(const std::string& name) { return TestImagePath(name); }

TEST_F(ExpertWindowTest, ScreenshotOfTheWindowWithMessages) {
  frmMain->SetBounds(0, 0, 900, 620);
  w->SetBounds(0, 0, 760, 480);
  Row(1, "40", "Write", "10,AB,CD,EF", "Yes", "10", "set registers 10 to 12");
  Row(2, "40", "Write", "10", "No", "", "pointer, then restart");
  Row(3, "41", "Read", "FF,TH,FF,FF", "Yes", "", "read three around the trigger");
  Row(4, "A0", "Write", "00,ST,A0,55,PL,PH", "Yes", "250");
  w->edtSequence->SetText("01,02,03");
  Select(3);
  w->btnSendOne->Click();
  w->btnRead->Click();
  for (int i = 0; i < 3; ++i) Application->ProcessMessages();
  ASSERT_TRUE(SaveControlImage(w, Shot("expert-window.png")));
  ASSERT_TRUE(SaveControlImage(frmMain, Shot("expert-in-frame.png")));
  const QImage img = RenderControlImage(w->pnlControls);
  ASSERT_FALSE(img.isNull());
  const double k = img.devicePixelRatio();
  auto at = [&](TLabel* l) { return img.pixelColor(int((l->Left() + 3) * k), int((l->Top() + 3) * k)); };
  // The trigger label is green, the input label red (pin 10 reads high: "Input State Low").
  EXPECT_EQ(at(w->lblTriggerOut), QColor(0, 128, 0));
  EXPECT_EQ(at(w->lblTrigger), QColor(255, 0, 0));
  EXPECT_EQ(Cell(ecData, 3).substr(3, 2), "TH");
}

TEST_F(ExpertWindowTest, ScreenshotOfTheMessageEditor) {
  Row(2, "40", "Read", "01,02,TH,04,PL,ST,07", "No", "250", "editor picture");
  Select(2);
  w->grdData->DblClick();
  ASSERT_NE(w->Editor(), nullptr);
  for (int i = 0; i < 3; ++i) Application->ProcessMessages();
  ASSERT_TRUE(SaveControlImage(w->Editor(), Shot("expert-message-editor.png")));
  EXPECT_EQ(w->Editor()->grdWrite->ColCount(), 7);
}

TEST_F(ExpertWindowTest, ScreenshotOfTheSequenceEditor) {
  w->edtSequence->SetText("03,12,07,01,02");
  w->edtSequence->DblClick();
  ASSERT_NE(frmSequenceEditor, nullptr);
  for (int i = 0; i < 3; ++i) Application->ProcessMessages();
  ASSERT_TRUE(SaveControlImage(frmSequenceEditor, Shot("expert-sequence-editor.png")));
  EXPECT_EQ(frmSequenceEditor->grdSequencer->Cells(4, 1), "02");
}

}  // namespace
