// The message editor and the sequence editor, driven through their controls.
#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

#include "controls/instrument/InstEdit.h"
#include "platform/grid/Grids.h"
#include "platform/gui/testing/InputEvents.h"
#include "tests/devices/ExpertWindowFixture.h"
#include "tests/platform/gui/StdCtrlsTestSupport.h"

namespace {

class ExpertEditorTest : public ExpertWindowTest {
 protected:
  TfrmEditor* Open(int row) {
    Select(row);
    w->grdData->DblClick();
    TfrmEditor* e = w->Editor();
    EXPECT_NE(e, nullptr);
    EXPECT_TRUE(e && e->Visible());
    return e;
  }
  static std::string Token(TfrmEditor* e, int c) { return e->grdWrite->Cells(c, 1); }
  // Types into the control that has the keys: the cell's editor when it shows, else the grid.
  static void Type(TStringGrid* g, const std::string& text) {
    for (char ch : text) {
      TInplaceEdit* ed = g->InplaceEditor();
      TWinControl* target = ed && ed->Visible() ? static_cast<TWinControl*>(ed) : g;
      const int key = (ch >= 'a' && ch <= 'z') ? Qt::Key_A + (ch - 'a') : (ch >= 'A' && ch <= 'Z') ? Qt::Key_A + (ch - 'A') : ch;
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(QChar(ch)));
      QCoreApplication::sendEvent(target->Peer(), &press);
      QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(QChar(ch)));
      QCoreApplication::sendEvent(target->Peer(), &release);
    }
  }
};

TEST_F(ExpertEditorTest, TypedTokensWithOneDigitCloseAsTwoDigits) {
  TfrmEditor* e = Open(1);
  e->spnBytes->SetValue(3);
  e->grdWrite->SetFocus();
  e->grdWrite->SetCol(0);
  e->grdWrite->SetEditorMode(true);
  Type(e->grdWrite, "5");
  e->grdWrite->SetCol(1);
  Type(e->grdWrite, "a");
  e->grdWrite->SetCol(2);
  Type(e->grdWrite, "3g");  // g is no hex digit: dropped
  ASSERT_NE(e->grdWrite->InplaceEditor(), nullptr);
  EXPECT_TRUE(e->grdWrite->InplaceEditor()->Focused());
  e->btnClose->SetFocus();  // leaving a cell with one digit is no error
  EXPECT_TRUE(e->btnClose->Focused());
  e->btnClose->Click();
  EXPECT_FALSE(e->Visible());
  EXPECT_EQ(Cell(ecData, 1), "05,0A,03");
}

TEST_F(ExpertEditorTest, EmptyRowOpensWithDefaultsAndClosesThemIntoTheRow) {
  TfrmEditor* e = Open(3);
  EXPECT_EQ(e->Caption(), "Message Editor - Msg # 3");
  EXPECT_EQ(e->edtAddress->Text(), "A0");
  EXPECT_EQ(e->cmbRW->Text(), "Write");
  EXPECT_EQ(e->cmbStop->Text(), "Yes");
  EXPECT_EQ(e->spnBytes->Value(), 1);
  EXPECT_EQ(e->grdWrite->ColCount(), 1);
  EXPECT_EQ(Token(e, 0), "FF");
  EXPECT_EQ(e->edtDelay->Value(), 0);
  EXPECT_TRUE(Universal_III::Modified);
  e->btnClose->Click();
  EXPECT_FALSE(e->Visible());
  EXPECT_EQ(w->RowFields(3), (TExpertRow{"A0", "Write", "FF", "Yes", "0", ""}));
}

TEST_F(ExpertEditorTest, RowFieldsLoadAndLoweringTheCountDropsTokens) {
  Row(2, "40", "Read", "01,02,TH,04,05", "No", "250", "my note");
  TfrmEditor* e = Open(2);
  EXPECT_EQ(e->edtAddress->Text(), "40");
  EXPECT_EQ(e->cmbRW->Text(), "Read");
  EXPECT_EQ(e->cmbStop->Text(), "No");
  EXPECT_EQ(e->spnBytes->Value(), 5);
  EXPECT_EQ(e->grdWrite->ColCount(), 5);
  EXPECT_EQ(Token(e, 2), "TH");
  EXPECT_EQ(e->edtDelay->Value(), 250);
  EXPECT_EQ(e->edtNotes->Text(), "my note");
  e->spnBytes->SetValue(3);
  EXPECT_EQ(e->grdWrite->ColCount(), 3);
  e->Close();
  EXPECT_EQ(w->RowFields(2), (TExpertRow{"40", "Read", "01,02,TH", "No", "250", "my note"}));
}

TEST_F(ExpertEditorTest, OneDigitCellsArePaddedAndTokenButtonsFillTheClickedCell) {
  TfrmEditor* e = Open(1);
  e->spnBytes->SetValue(4);
  e->grdWrite->SetCells(0, 1, "5 ");
  e->grdWrite->SetCells(1, 1, "a");
  e->grdWrite->SetCells(2, 1, "");
  e->grdWrite->SetCol(3);
  e->grdWrite->Click();
  e->btnPulseLow->Click();
  EXPECT_EQ(Token(e, 3), "PL");
  e->grdWrite->SetCol(1);
  e->grdWrite->Click();
  e->btnRestart->Click();
  e->btnClose->Click();
  EXPECT_EQ(Cell(ecData, 1), "05,ST,FF,PL");
}

// After a token button the keys are back in the token cells, on the cell after the token:
// "05 Tab [token] Tab 77" keeps the 77; the cell passed over stays empty ("FF"), as Tab pads the
// active column, the token's. A token in the last cell keeps the keys on that cell.
struct TTokenCase {
  TButton* TfrmEditor::*Button;
  int Tabs;  // Tabs before the button
  const char* Data;
  int KeysOn;  // the cell that has the keys after the button
};

class ExpertEditorTokenTest : public ExpertEditorTest, public ::testing::WithParamInterface<TTokenCase> {
 protected:
  // A key as the window system gives it: to the widget that has the focus.
  static void KeyToFocus(int key, const QString& text) { ASSERT_TRUE(SendKeyToFocus(key, text)); }
};

TEST_P(ExpertEditorTokenTest, TypingGoesOnInTheCellAfterATokenButton) {
  const TTokenCase& c = GetParam();
  TfrmEditor* e = Open(1);
  e->spnBytes->SetValue(4);
  e->grdWrite->SetFocus();
  e->grdWrite->SetCol(0);
  e->grdWrite->Click();
  Application->ProcessMessages();
  KeyToFocus(Qt::Key_0, "0");
  KeyToFocus(Qt::Key_5, "5");
  for (int i = 0; i < c.Tabs; ++i) KeyToFocus(Qt::Key_Tab, "\t");
  TButton* b = e->*c.Button;
  StdClick(b->Peer(), b->Width() / 2, b->Height() / 2);
  Application->ProcessMessages();
  EXPECT_EQ(e->grdWrite->Col(), c.KeysOn);
  EXPECT_EQ(MessageEditor::ActiveColumn, c.Tabs) << "the buttons act on the token's column still";
  EXPECT_TRUE(e->grdWrite->Focused() || (e->grdWrite->InplaceEditor() && e->grdWrite->InplaceEditor()->Focused()));
  if (c.KeysOn < 3) {
    KeyToFocus(Qt::Key_Tab, "\t");
    KeyToFocus(Qt::Key_7, "7");
    KeyToFocus(Qt::Key_7, "7");
  }
  e->btnClose->Click();
  EXPECT_EQ(Cell(ecData, 1), c.Data);
}

INSTANTIATE_TEST_SUITE_P(Buttons, ExpertEditorTokenTest,
                         ::testing::Values(TTokenCase{&TfrmEditor::btnTrigHigh, 1, "05,TH,FF,77", 2},
                                           TTokenCase{&TfrmEditor::btnTrigLow, 1, "05,TL,FF,77", 2},
                                           TTokenCase{&TfrmEditor::btnPulseHigh, 1, "05,PH,FF,77", 2},
                                           TTokenCase{&TfrmEditor::btnPulseLow, 1, "05,PL,FF,77", 2},
                                           TTokenCase{&TfrmEditor::btnRestart, 1, "05,ST,FF,77", 2},
                                           TTokenCase{&TfrmEditor::btnTrigHigh, 3, "05,00,00,TH", 3}));

TEST_F(ExpertEditorTest, TabPadsTheActiveCell) {
  TfrmEditor* e = Open(1);
  e->spnBytes->SetValue(2);
  e->grdWrite->SetCells(1, 1, "7");
  e->grdWrite->SetCol(1);
  e->grdWrite->Click();
  WORD key = VK_TAB;
  e->grdWriteKeyDown(e->grdWrite, key, 0);
  EXPECT_EQ(Token(e, 1), "07");
  e->grdWrite->SetCells(1, 1, " ");
  key = VK_TAB;
  e->grdWriteKeyDown(e->grdWrite, key, 0);
  EXPECT_EQ(Token(e, 1), "00");
}

TEST_F(ExpertEditorTest, KeyFiltersPassOnlyHexDigitsAndEditingKeys) {
  TfrmEditor* e = Open(1);
  for (char k : std::string("09afAF\b\t\r")) {
    char key = k;
    e->grdWriteKeyPress(e->grdWrite, key);
    EXPECT_EQ(key, k);
  }
  for (char k : std::string("gGzZ ,-")) {
    char key = k;
    e->grdWriteKeyPress(e->grdWrite, key);
    EXPECT_EQ(key, 0) << k;
  }
  e->edtAddress->SetText("5");
  e->edtAddressExit(e->edtAddress);
  EXPECT_EQ(e->edtAddress->Text(), "05");
  e->edtAddress->SetText("");
  e->edtAddressExit(e->edtAddress);
  EXPECT_EQ(e->edtAddress->Text(), "A0");
}

TEST_F(ExpertEditorTest, ShowingAgainKeepsTheRowItWasOpenedFor) {
  Row(4, "40", "Write", "44");
  TfrmEditor* e = Open(4);
  Select(9);
  w->grdData->DblClick();
  EXPECT_EQ(e->Caption(), "Message Editor - Msg # 4");
  e->Close();
  EXPECT_EQ(Cell(ecData, 4), "44");
  EXPECT_EQ(Cell(ecData, 9), "");
}

TEST_F(ExpertEditorTest, EditorFollowsInsertedRowsAndNeverWritesIntoADeletedOne) {
  Row(5, "40", "Write", "55");
  TfrmEditor* e = Open(5);
  e->grdWrite->SetCells(0, 1, "66");
  Select(2);
  w->btnAddRow->Click();  // row 5 is now row 6
  e->Close();
  EXPECT_EQ(Cell(ecData, 6), "66");
  EXPECT_EQ(Cell(ecData, 5), "");

  e = Open(6);
  e->grdWrite->SetCells(0, 1, "77");
  Select(6);
  w->btnDeleteRow->Click();
  const TExpertRow next = w->RowFields(6);
  e->Close();
  EXPECT_EQ(w->RowFields(6), next);
  for (int r = 1; r < w->grdData->RowCount(); ++r) EXPECT_NE(Cell(ecData, r), "77");
}

TEST_F(ExpertEditorTest, TokensBeyondTheSpinAreKeptWhenNotEdited) {
  std::vector<std::string> many(140, "AB");
  const std::string data = JoinExpertTokens(many);
  Row(1, "40", "Write", data);
  TfrmEditor* e = Open(1);
  EXPECT_EQ(e->spnBytes->Value(), 128);
  e->edtNotes->SetText("only the note changed");
  e->Close();
  EXPECT_EQ(Cell(ecData, 1), data);
  EXPECT_EQ(Cell(ecNotes, 1), "only the note changed");
}

TEST_F(ExpertEditorTest, TokensOfTheRowEditedBeforeNeverComeBack) {
  Row(1, "40", "Write", "AA,12,03,44");
  Row(2, "40", "Write", "5A");
  const struct {
    int Row, Bytes;
    std::string Data;
  } cases[] = {{3, 3, "FF,FF,FF"}, {2, 4, "5A,FF,FF,FF"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Row);
    TfrmEditor* e = Open(1);
    e->Close();
    e = Open(c.Row);
    e->spnBytes->SetValue(c.Bytes);
    for (int col = 1; col < c.Bytes; ++col) EXPECT_EQ(Token(e, col), "") << col;
    e->Close();
    EXPECT_EQ(Cell(ecData, c.Row), c.Data);
  }
}

TEST_F(ExpertEditorTest, TheColumnLastClickedStaysActiveWhenShownAgain) {
  Row(1, "40", "Write", "01,02,03");
  Row(2, "40", "Write", "04,05,06");
  TfrmEditor* e = Open(1);
  e->grdWrite->SetCol(2);
  e->grdWrite->Click();
  e->Close();
  e = Open(2);
  EXPECT_EQ(MessageEditor::ActiveColumn, 2);
  e->grdWrite->SetCells(2, 1, "7");
  WORD key = VK_TAB;
  e->grdWriteKeyDown(e->grdWrite, key, 0);
  EXPECT_EQ(Token(e, 2), "07");
  e->btnTrigHigh->Click();
  e->btnTrigLow->Click();  // on the same cell: the last clicked
  e->Close();
  EXPECT_EQ(Cell(ecData, 2), "04,05,TL");
}

TEST_F(ExpertEditorTest, DelayThatIsNoNumberOpensAsZero) {
  Row(1, "40", "Write", "01", "Yes", "soon");
  TfrmEditor* e = Open(1);
  EXPECT_EQ(e->edtDelay->Value(), 0);
  e->Close();
  EXPECT_EQ(Cell(ecDelay, 1), "0");
}

// The Delay goes back as the editor holds it: one longer than the editor offers is kept.
TEST_F(ExpertEditorTest, DelayGoesBackAsItStands) {
  for (const char* delay : {"20000", "250", "0"}) {
    Row(1, "40", "Write", "01", "Yes", delay);
    Open(1)->Close();
    EXPECT_EQ(Cell(ecDelay, 1), delay);
  }
}

// A close by the frame writes the address as it stands; the Close button takes the focus from the
// address box, which pads it.
TEST_F(ExpertEditorTest, FrameCloseWritesTheAddressAsItStands) {
  for (bool button : {false, true}) {
    TfrmEditor* e = Open(1);
    e->edtAddress->SetFocus();
    e->edtAddress->SetText("5");
    button ? e->btnClose->Click() : e->Close();
    EXPECT_EQ(Cell(ecAddress, 1), button ? "05" : "5");
  }
}

TEST_F(ExpertEditorTest, EditorGoesWithTheWindow) {
  Open(1);  // a double-click marks the table modified
  EXPECT_EQ(frmEditor, w->Editor());
  Responder().ExpectMessage("Save changes?", mrNo);
  w->mnuClose->Click();
  Application->ProcessMessages();
  Application->ProcessMessages();
  EXPECT_EQ(frmMessage, nullptr);
  EXPECT_EQ(frmEditor, nullptr);
  for (int i = 0; i < Screen->FormCount(); ++i) EXPECT_NE(Screen->Forms(i)->ClassName(), "TfrmEditor");
}

// ---------------------------------------------------------------- the sequence editor

class SequenceEditorTest : public ExpertWindowTest {
 protected:
  TfrmSequenceEditor* Open() {
    w->edtSequence->DblClick();
    EXPECT_NE(frmSequenceEditor, nullptr);
    return frmSequenceEditor;
  }
  static void SetCells(TfrmSequenceEditor* s, std::vector<std::string> cells) {
    for (int c = 0; c < 64; ++c) s->grdSequencer->SetCells(c, 1, c < static_cast<int>(cells.size()) ? cells[c] : "");
  }
};

TEST_F(SequenceEditorTest, ShowsTheSequenceAndWritesBackTwoDigitEntries) {
  TfrmSequenceEditor* s = Open();
  EXPECT_EQ(s->Caption(), "Sequence Editor");
  EXPECT_EQ(s->grdSequencer->Cells(0, 0), "1");
  EXPECT_EQ(s->grdSequencer->Cells(63, 0), "64");
  EXPECT_EQ(s->grdSequencer->Cells(9, 1), "10");
  SetCells(s, {"3", "12", "0", "00", "", "7"});
  s->btnClose->Click();
  EXPECT_EQ(w->edtSequence->Text(), "03,12,07");
  EXPECT_FALSE(s->Visible());
}

TEST_F(SequenceEditorTest, EntryAbove64IsRefusedAndChangesNothing) {
  TfrmSequenceEditor* s = Open();
  SetCells(s, {"3", "65"});
  Responder().ExpectMessage("The maximum Msg #\ris 64 in the Sequencer");
  s->btnClose->Click();
  EXPECT_TRUE(s->Visible());
  EXPECT_EQ(w->edtSequence->Text(), "01,02,03,04,05,06,07,08,09,10");
}

// The box gave the activation away as it closed (to the frame, as the window system may): the
// editor, still open with its refused entry, must not stay hidden behind the main window.
TEST_F(SequenceEditorTest, AfterItsWarningTheEditorIsInFrontOnItsCells) {
  TfrmSequenceEditor* s = Open();
  SetCells(s, {"65"});
  s->SetActiveControl(s->btnClose);
  struct GivesActivationAway : TDialogResponder {
    std::string text;
    bool Answer(const TDialogRequest& r, TDialogAnswer& a) override {
      text = r.Text;
      frmMain->BringToFront();
      a.Result = mrOk;
      return true;
    }
  } away;
  SetDialogResponder(&away);
  s->btnClose->Click();
  SetDialogResponder(&Responder());
  EXPECT_EQ(away.text, "The maximum Msg #\ris 64 in the Sequencer");
  EXPECT_TRUE(s->Visible());
  EXPECT_EQ(Screen->ActiveForm(), s);
  EXPECT_EQ(s->ActiveControl(), s->grdSequencer);
}

TEST_F(SequenceEditorTest, KeyFilterPassesDigitsOnly) {
  TfrmSequenceEditor* s = Open();
  for (char k : std::string("0123456789")) {
    char key = k;
    s->grdSequencerKeyPress(s->grdSequencer, key);
    EXPECT_EQ(key, k);
  }
  for (char k : std::string("a\b ,")) {
    char key = k;
    s->grdSequencerKeyPress(s->grdSequencer, key);
    EXPECT_EQ(key, 0);
  }
}

TEST_F(SequenceEditorTest, FrameCloseWritesNothing) {
  TfrmSequenceEditor* s = Open();
  SetCells(s, {"5"});
  s->Close();
  EXPECT_FALSE(s->Visible());
  EXPECT_EQ(w->edtSequence->Text(), "01,02,03,04,05,06,07,08,09,10");
}

TEST_F(SequenceEditorTest, OutlivesTheWindowAndNeverWritesIntoIt) {
  TfrmSequenceEditor* s = Open();
  w->mnuClose->Click();
  Application->ProcessMessages();
  Application->ProcessMessages();
  ASSERT_EQ(frmMessage, nullptr);
  ASSERT_EQ(frmSequenceEditor, s);
  SetCells(s, {"2"});
  s->btnClose->Click();  // nothing to write into: hides
  EXPECT_FALSE(s->Visible());
  // A new window's editor shows the new window's sequence.
  frmMain->mnuExpert->Click();
  w = frmMessage;
  w->edtSequence->SetText("04");
  EXPECT_EQ(Open(), s);
  EXPECT_EQ(s->grdSequencer->Cells(0, 1), "04");
  EXPECT_EQ(s->grdSequencer->Cells(1, 1), "");
}

TEST_F(SequenceEditorTest, LongSequenceShowsTheFirst64) {
  std::vector<int> entries(64, 9);
  w->edtSequence->SetText(ExpertSequenceText(entries) + ",01,02");
  TfrmSequenceEditor* s = Open();
  EXPECT_EQ(s->grdSequencer->Cells(63, 1), "09");
}

}  // namespace
