// The universal window through its controls: the Device menu, the layout, and
// every editing rule of the boxes.
#include "platform/gui/FormImage.h"
#include "platform/gui/RecordingCanvas.h"
#include "tests/devices/UniversFixture.h"

namespace {

using UniversWindow = TUniversTest;

std::string Fresh() {
  std::string m;
  for (int k = 0; k < 22; ++k) m += std::string{char('0' + k / 10), char('0' + k % 10)};
  return m + "P";
}

TEST_F(UniversWindow, DeviceMenuOpensOneWindowLaidOutAsItsGroups) {
  Open();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(frmMain->mnuUniversal->Enabled());
  EXPECT_EQ(w->Caption(), "Universal I\xC2\xB2" "C Control");
  EXPECT_EQ(w->FormStyle(), fsMDIChild);
  for (int n = 1; n <= 5; ++n) {
    EXPECT_EQ(w->Group(n).grbData->Caption(), "Message &" + std::to_string(n));
    EXPECT_EQ(Message(n), Fresh());
    EXPECT_EQ(w->Group(n).edtAdrs->Text(), "A0");
    EXPECT_EQ(w->Group(n).edtRW->Text(), "W ");
    EXPECT_EQ(w->Group(n).edtStart->Text(), "S ");
    EXPECT_TRUE(w->Group(n).edtStart->ReadOnly());
    EXPECT_TRUE(w->Group(n).Cells[22]->ReadOnly());
    EXPECT_EQ(w->Group(n).Cells[22]->Name(), "edt" + std::to_string(n) + "23");
  }
  EXPECT_EQ(w->Group(1).edtStart->Name(), "Edit14");
  EXPECT_EQ(w->Group(3).edtStart->Name(), "edtStart3");
  EXPECT_EQ(w->edtSequence->Text(), "1234512345");
  EXPECT_EQ(w->spnDelay->Value(), 0);
  EXPECT_EQ(w->grbSend->Caption(), "Send Message 1");
  EXPECT_FALSE(w->gauge->Visible());
  EXPECT_EQ(w->ActiveMessage, 1);

  TfrmUniversal* first = w;
  frmMain->mnuUniversal->Click();
  Application->ProcessMessages();
  EXPECT_EQ(frmUniversal, first) << "at most one universal window";
  EXPECT_EQ(frmMain->MDIChildCount(), 1);
}

TEST_F(UniversWindow, TheDirectionBoxHintShowsWholeOnTheStatusLine) {
  Open();
  const std::string hint = w->Group(1).edtRW->Hint();
  EXPECT_EQ(hint, "Read/write bit.  Press <R> or <W> key to change.");
  Application->SetHint(hint);
  TRecordingCanvas canvas(1280, 40);
  frmMain->pnlStatusBar->PaintOn(&canvas);
  std::string drawn;
  for (const std::string& t : canvas.Texts()) drawn += t;
  EXPECT_NE(drawn.find("<R>"), std::string::npos) << drawn;
  EXPECT_NE(drawn.find("<W>"), std::string::npos) << drawn;
}

TEST_F(UniversWindow, InsertDeleteAndRestartKeysEditTheMessage) {
  Open();
  TfrmUniversal::TGroup& g = w->Group(2);
  w->Display(2, "1122P");
  g.Cells[1]->SetFocus();
  EXPECT_EQ(w->ActiveMessage, 2);
  Key(g.Cells[1], Qt::Key_Insert);
  EXPECT_EQ(Message(2), "11FF22P");
  EXPECT_EQ(g.Cells[1]->SelLength(), 2) << "the new cell is selected";

  Key(g.Cells[3], Qt::Key_Insert);  // the box that shows the P
  EXPECT_EQ(Message(2), "11FF22FFP");

  // Delete on a box the user emptied removes exactly that cell.
  g.Cells[1]->SetText("");
  Key(g.Cells[1], Qt::Key_Delete);
  EXPECT_EQ(Message(2), "1122FFP");
  // A lone digit gets its "0" before the cell goes; the next cell is untouched.
  g.Cells[0]->SetText("7");
  Key(g.Cells[0], Qt::Key_Delete);
  EXPECT_EQ(Message(2), "22FFP");

  // S adds a restart at the box; R makes it a read; W a write again.
  g.Cells[1]->SetFocus();
  Key(g.Cells[1], Qt::Key_S, "s");
  EXPECT_EQ(Message(2), "22S A0W FFP");
  EXPECT_TRUE(g.Cells[1]->ReadOnly()) << "a box showing \"S \" cannot be typed into";
  EXPECT_EQ(g.Cells[1]->Font()->Color(), clRed);
  Key(g.Cells[3], Qt::Key_R, "r");
  EXPECT_EQ(Message(2), "22S A0R FFP");
  Key(g.Cells[3], Qt::Key_W, "w");
  EXPECT_EQ(Message(2), "22S A0W FFP");
  // Insert and Delete on the restart's address or direction change nothing.
  Key(g.Cells[2], Qt::Key_Insert);
  Key(g.Cells[3], Qt::Key_Delete);
  EXPECT_EQ(Message(2), "22S A0W FFP");
  // Delete on the "S " box removes the restart; the cells after it stay.
  Key(g.Cells[1], Qt::Key_Delete);
  EXPECT_EQ(Message(2), "22FFP");
  EXPECT_FALSE(g.Cells[3]->Visible()) << "a shrunk message hides the boxes past its stop";

  // A full message takes no Insert.
  w->Display(2, Fresh());
  Key(g.Cells[0], Qt::Key_Insert);
  EXPECT_EQ(Message(2), Fresh());
  // S in cell 13 or later does nothing.
  Key(g.Cells[12], Qt::Key_S, "s");
  EXPECT_EQ(Message(2), Fresh());
}

// Delete acts only on a message that has two cells and the stop as joined on entry, an emptied
// box adding nothing to it; the emptied box becomes "FF" in every case.
TEST_F(UniversWindow, DeleteCountsTheMessageAsJoinedOnEntry) {
  Open();
  TfrmUniversal::TGroup& g = w->Group(3);
  struct Case {
    const char* Shown;
    int Box;
    const char* BoxText;  // what the user left in the box
    const char* After;
  };
  const Case cases[] = {
      {"0511P", 1, "", "05FFP"},      // joined "05P": too short, the box only gets FF
      {"051122P", 1, "7", "0522P"},   // joined "05722P": the padded cell goes
      {"051122P", 1, "", "0522P"},    // joined "0522P": the emptied box's own cell goes
      {"05P", 0, "", "FFP"},          // joined "P"
      {"0511P", 0, "05", "11P"},
  };
  for (const Case& c : cases) {
    w->Display(3, c.Shown);
    g.Cells[c.Box]->SetFocus();
    g.Cells[c.Box]->SetText(c.BoxText);
    Key(g.Cells[c.Box], Qt::Key_Delete);
    EXPECT_EQ(Message(3), c.After) << c.Shown << " box " << c.Box << " \"" << c.BoxText << "\"";
  }
}

TEST_F(UniversWindow, TypedTextKeepsToHexAndTheAddressesStayEven) {
  Open();
  TfrmUniversal::TGroup& g = w->Group(1);
  g.Cells[4]->SetFocus();
  g.Cells[4]->SelectAll();
  Key(g.Cells[4], Qt::Key_G, "g");
  Key(g.Cells[4], Qt::Key_X, "x");
  EXPECT_EQ(g.Cells[4]->Text(), "04") << "letters outside A-F never reach a box";
  Key(g.Cells[4], Qt::Key_A, "a");
  EXPECT_EQ(g.Cells[4]->Text(), "A") << "upper case";
  g.Cells[5]->SetFocus();
  EXPECT_EQ(g.Cells[4]->Text(), "0A") << "a lone digit gets its leading 0 when the box is left";
  g.Cells[4]->SetText("");
  g.Cells[4]->SetFocus();
  g.Cells[5]->SetFocus();
  EXPECT_EQ(g.Cells[4]->Text(), "FF") << "an empty box counts FF";

  g.edtAdrs->SetFocus();
  g.edtAdrs->SelectAll();
  Key(g.edtAdrs, Qt::Key_A, "a");
  Key(g.edtAdrs, Qt::Key_1, "1");
  EXPECT_EQ(g.edtAdrs->Text(), "A0") << "typing A1 leaves A0";
  g.edtAdrs->SetText("Z9");  // pasted
  EXPECT_EQ(g.edtAdrs->Text(), "A0") << "text that is no address goes back";
  g.edtAdrs->SetText("");
  g.Cells[0]->SetFocus();
  EXPECT_EQ(g.edtAdrs->Text(), "A0");

  // The direction box takes only R and W.
  g.edtRW->SetFocus();
  Key(g.edtRW, Qt::Key_R, "r");
  EXPECT_EQ(g.edtRW->Text(), "R ");
  Key(g.edtRW, Qt::Key_5, "5");
  EXPECT_EQ(g.edtRW->Text(), "R ");
  Key(g.edtRW, Qt::Key_W, "w");
  EXPECT_EQ(g.edtRW->Text(), "W ");

  // A restart address is kept even, and pasted text that is none goes back.
  w->Display(1, "00S 42W 11P");
  w->Data(1);
  g.Cells[2]->SetText("43");
  EXPECT_EQ(g.Cells[2]->Text(), "42");
  g.Cells[2]->SetText("Q!");
  EXPECT_EQ(g.Cells[2]->Text(), "42");
  // An ordinary data cell may be odd.
  g.Cells[4]->SetText("43");
  EXPECT_EQ(g.Cells[4]->Text(), "43");
}

TEST_F(UniversWindow, AnAddressOfTwoCharactersIsSelectedWholeChangedOrNot) {
  Open();
  TfrmUniversal::TGroup& g = w->Group(1);
  w->Display(1, "00S 42W 11P");
  w->Data(1);
  const struct {
    const char* Typed;
    const char* Shown;
  } cases[] = {{"A1", "A0"}, {"A2", "A2"}, {"40", "40"}, {"7F", "7E"}};
  for (TEdit* box : {g.edtAdrs, g.Cells[2]}) {
    box->SetFocus();
    for (const auto& c : cases) {
      SCOPED_TRACE(box->Name() + " " + c.Typed);
      box->SetText(c.Typed);
      EXPECT_EQ(box->Text(), c.Shown);
      EXPECT_EQ(box->SelStart(), 0);
      EXPECT_EQ(box->SelLength(), 2);
    }
    // One character is no address yet: nothing is selected for it.
    box->SetText("4");
    EXPECT_EQ(box->SelLength(), 0);
  }
}

TEST_F(UniversWindow, ScreenshotWithMessagesFilledIn) {
  Open();
  SetMessage(1, "40", "W ", "0011223344556677P");
  SetMessage(2, "40", "W ", "10S 40R FFFFFFFFP");
  SetMessage(3, "A0", "R ", "FFFFFFFFFFFFFFFFP");
  SetMessage(4, "A8", "W ", "0000DEADBEEFP");
  w->edtSequence->SetText("1234");
  w->spnDelay->SetValue(100);
  w->Group(2).Cells[0]->SetFocus();
  for (int i = 0; i < 5; ++i) Application->ProcessMessages();
  // Every box lies inside its group, one after the other without overlap.
  for (int n = 1; n <= 5; ++n) {
    const TRect grp = w->Group(n).grbData->ClientRect();
    int right = 0;
    for (TEdit* e : w->Group(n).Cells) {
      EXPECT_GE(e->Left(), right);
      right = e->Left() + e->Width();
      EXPECT_LE(right, grp.Right);
      EXPECT_LE(e->Top() + e->Height(), grp.Bottom);
    }
  }
  EXPECT_LE(w->Group(5).grbData->Top() + w->Group(5).grbData->Height(), w->grbSend->Top());
  EXPECT_TRUE(SaveControlImage(w, TestImagePath("universal-window.png")));
  EXPECT_TRUE(SaveControlImage(frmMain, TestImagePath("universal-in-frame.png")));
}

}  // namespace
