// The grid-only operations: Fill, the checkerboards, Copy Block and the go-to dialog.
#include <gtest/gtest.h>

#include <QLineEdit>

#include "app/bus/ByteText.h"
#include "eeprom/GotoByte.h"
#include "platform/gui/testing/InputEvents.h"
#include "tests/eeprom/EEWindowFixture.h"

namespace {

class EEWindowOps : public TEEWindowTest {
 protected:
  // Every byte's two cells agree.
  static void ExpectGridsAgree(TEEWindow* w) {
    for (int a = 0; a < w->DeviceSize(); ++a) {
      const auto v = ByteCellValue(w->HexCell(a));
      ASSERT_TRUE(v.has_value()) << a;
      ASSERT_EQ(w->stgText->Cells(a % 16, a / 16 + 1), AsciiCellText(*v)) << a;
    }
  }
};

TEST_F(EEWindowOps, FillSetsTheRangeInBothGridsAndPadsOneDigit) {
  TfrmMain* m = Start();
  TfrmEEPROM* w = OpenLarge(m->mnu4Kx8);
  w->edtFillFrom->SetText("10");
  w->edtFillTo->SetText("1F");
  w->edtFillWith->SetText("A5");
  Click(w->btnFill);
  for (int a = 0; a < 0x30; ++a) EXPECT_EQ(w->HexCell(a), a >= 0x10 && a <= 0x1F ? "A5" : "FF") << a;
  EXPECT_EQ(w->stgText->Cells(0, 2), ".");
  w->edtFillWith->SetText("4");
  Click(w->btnFill);
  EXPECT_EQ(w->HexCell(0x10), "04") << "a byte cell holds two digits";
  EXPECT_EQ(w->HexCell(0x1F), "04");
  EXPECT_EQ(w->edtFillWith->Text(), "04");
  w->edtFillWith->SetText("41");
  w->edtFillFrom->SetText("0");
  w->edtFillTo->SetText("0");
  Click(w->btnFill);
  EXPECT_EQ(w->stgText->Cells(0, 1), "A");
  ExpectGridsAgree(w);
}

TEST_F(EEWindowOps, FillRefusesBadRangesAndBadValuesBeforeAnyCellChanges) {
  TfrmMain* m = Start();
  TfrmEEPROM* w = OpenLarge(m->mnu4Kx8);
  w->edtFillFrom->SetText("0");
  w->edtFillTo->SetText("1000");
  Responder().ExpectMessage("The \"To hex address\" must be less than\r4096  (0xFFF)");
  Click(w->btnFill);
  EXPECT_EQ(w->edtFillTo->Text(), "FFF");
  w->edtFillFrom->SetText("20");
  w->edtFillTo->SetText("10");
  Responder().ExpectMessage("The \"From Address\"\rmust be less than\r\"To Address\"");
  Click(w->btnFill);
  w->edtFillFrom->SetText("0");
  for (const char* bad : {"", " ", "G", "1G"}) {
    w->edtFillWith->SetText(bad);
    Responder().ExpectMessage("is not a byte");
    Click(w->btnFill);
  }
  for (int a = 0; a < 0x20; ++a) EXPECT_EQ(w->HexCell(a), "FF") << a;
  // The small window refuses the same way (its address fields are read strictly).
  TfrmSmallEE* s = OpenSmall(m->mnu2K);
  s->edtPreset->SetText("");
  Responder().ExpectMessage("is not a byte");
  Click(s->btnFill);
  EXPECT_EQ(s->HexCell(0), "FF");
  s->edtFrom->SetText("X");
  s->edtPreset->SetText("00");
  Responder().ExpectMessage("'$X' is not a valid integer value");
  Click(s->btnFill);
  EXPECT_EQ(s->HexCell(0), "FF");
}

TEST_F(EEWindowOps, CheckerboardsAlternateRowsOfFiftyFiveAndAa) {
  TfrmMain* m = Start();
  TfrmSmallEE* w = OpenSmall(m->mnu1K);
  w->mnuCheckerboard->Click();
  for (int c = 0; c < 16; ++c) {
    EXPECT_EQ(w->HexCell(c), "55");
    EXPECT_EQ(w->HexCell(16 + c), "AA");
    EXPECT_EQ(w->HexCell(127 - c), "AA");
  }
  EXPECT_EQ(w->stgText->Cells(0, 1), "U");
  EXPECT_EQ(w->stgText->Cells(0, 2), ".");
  w->mnuInvCheckerboard->Click();
  EXPECT_EQ(w->HexCell(0), "AA");
  EXPECT_EQ(w->HexCell(16), "55");
  ExpectGridsAgree(w);
  // One row: no pair, the row stays.
  TfrmSmallEE* tiny = OpenSmall(m->mnu16B);
  tiny->mnuCheckerboard->Click();
  EXPECT_EQ(tiny->HexCell(0), "FF");
}

TEST_F(EEWindowOps, CopyBlockMovesOverlappingBlocksBothWays) {
  TfrmMain* m = Start();
  TfrmSmallEE* w = OpenSmall(m->mnu16B);
  for (int a = 0; a < 16; ++a) w->SetByte(a, static_cast<uint8_t>(0x40 + a));
  // Forward overlap: 0..7 to 4.
  w->edtStart->SetText("0");
  w->edtEnding->SetText("7");
  w->edtTarget->SetText("4");
  EXPECT_EQ(w->edtEndTarget->Text(), "00B");
  Click(w->btnCopy);
  for (int a = 0; a < 16; ++a) {
    const int want = a < 4 ? 0x40 + a : a <= 11 ? 0x40 + a - 4 : 0x40 + a;
    EXPECT_EQ(w->HexCell(a), IntToHex(want, 2)) << a;
  }
  ExpectGridsAgree(w);
  // Backward overlap on a large window: 0x100..0x1FF to 0x80.
  TfrmEEPROM* l = OpenLarge(m->mnu4Kx8);
  for (int a = 0; a < 0x200; ++a) l->SetByte(a, static_cast<uint8_t>(a * 3));
  l->edtCopyStart->SetText("100");
  l->edtCopyEnd->SetText("1FF");
  l->edtTargetStart->SetText("80");
  Click(l->btnCopy);
  for (int a = 0x80; a < 0x180; ++a) ASSERT_EQ(l->HexCell(a), IntToHex(((a + 0x80) * 3) & 0xFF, 2)) << a;
  EXPECT_EQ(l->HexCell(0x7F), IntToHex((0x7F * 3) & 0xFF, 2));
  EXPECT_EQ(l->HexCell(0x180), IntToHex((0x180 * 3) & 0xFF, 2));
  ExpectGridsAgree(l);
}

TEST_F(EEWindowOps, CopyKeepsTheTargetEndAsTheFieldsGiveIt) {
  TfrmMain* m = Start();
  // Fields as the window was set up: the target end stays as set up.
  TfrmSmallEE* s = OpenSmall(m->mnu2K);
  const std::string setUp = s->edtEndTarget->Text();
  EXPECT_EQ(setUp, "FF");
  Click(s->btnCopy);
  EXPECT_EQ(s->edtEndTarget->Text(), setUp);
  TfrmEEPROM* l = OpenLarge(m->mnu4Kx8);
  EXPECT_EQ(l->edtTargetEnd->Text(), "FFF");
  Click(l->btnCopy);
  EXPECT_EQ(l->edtTargetEnd->Text(), "FFF");
  // The first change counts the other fields as set up (0, 7FF, 800).
  l->edtCopyStart->SetText("1");
  EXPECT_EQ(l->edtTargetEnd->Text(), "0FFE");
  // t + (e - s), also below zero while the fields are being typed; an emptied field keeps its last value.
  const struct {
    const char *Start, *End, *Target, *TargetEnd;
  } cases[] = {{"10", "1F", "40", "04F"}, {"20", "10", "5", "FFFFFFF5"}, {"0", "0", "0", "000"}, {"", "1F", "40", "05F"}};
  for (const auto& c : cases) {
    s->edtStart->SetText(c.Start);
    s->edtEnding->SetText(c.End);
    s->edtTarget->SetText(c.Target);
    EXPECT_EQ(s->edtEndTarget->Text(), c.TargetEnd) << c.Start << " " << c.End << " " << c.Target;
  }
}

// A window's first copy-field change may empty a field: nothing is computed and no conversion
// error shows; the other fields' values are still the set-up texts (keys as typed).
TEST_F(EEWindowOps, AFirstChangeThatEmptiesACopyFieldComputesNothing) {
  TfrmMain* m = Start();
  auto pick = [](TEEWindow* w, int i) { return i == 0 ? w->CopyStart : i == 1 ? w->CopyEnd : w->TargetStart; };
  const struct {
    TMenuItem* Menu;
    int Emptied, Typed;  // 0 copy start, 1 copy end, 2 target start
    const char *Text, *TargetEnd;
  } cases[] = {// Copy end emptied, then left ("000") for the copy start: 4000 + (0 - 1).
               {m->mnu32Kx8, 1, 0, "1", "3FFF"},
               {m->mnu4Kx8, 0, 2, "0", "07FF"},
               // The small window's strict conversion refuses an empty field on exit: typed in place.
               {m->mnu2K, 1, 1, "1F", "09F"},
               {m->mnu16K, 2, 2, "1", "400"}};
  for (const auto& c : cases) {
    TEEWindow* w = c.Menu == m->mnu2K || c.Menu == m->mnu16K ? static_cast<TEEWindow*>(OpenSmall(c.Menu))
                                                              : OpenLarge(c.Menu);
    SCOPED_TRACE(w->Caption());
    const std::string setUp = w->TargetEnd->Text();
    TEdit* emptied = pick(w, c.Emptied);
    emptied->SetFocus();
    SendKeyEvent(emptied, Qt::Key_A, Qt::ControlModifier);
    SendKeyEvent(emptied, Qt::Key_Backspace);
    ASSERT_EQ(emptied->Text(), "");
    EXPECT_EQ(w->TargetEnd->Text(), setUp) << "nothing is computed";
    TEdit* typed = pick(w, c.Typed);
    typed->SetFocus();
    SendKeyEvent(typed, Qt::Key_A, Qt::ControlModifier);
    for (const char* k = c.Text; *k; ++k) SendKeyEvent(typed, *k, Qt::NoModifier, QString(QChar(*k)));
    EXPECT_EQ(typed->Text(), c.Text);
    EXPECT_EQ(w->TargetEnd->Text(), c.TargetEnd);
  }
}

TEST_F(EEWindowOps, CopyRefusesReversedAndOverlongBlocks) {
  TfrmMain* m = Start();
  TfrmEEPROM* w = OpenLarge(m->mnu4Kx8);
  w->edtCopyStart->SetText("20");
  w->edtCopyEnd->SetText("10");
  Responder().ExpectMessage("Copy From \"Starting Address\" must be less than Copy From \"Ending Address\"");
  Click(w->btnCopy);
  w->edtCopyStart->SetText("0");
  w->edtCopyEnd->SetText("FF");
  w->edtTargetStart->SetText("F80");
  Responder().ExpectMessage("Copied block extends beyond the maximum EEPROM address.\rEnding address must be less than 0xFFF");
  Click(w->btnCopy);
  for (int a = 0xF80; a < 0x1000; ++a) ASSERT_EQ(w->HexCell(a), "FF");
  // The block is judged by the fields as they stand: an emptied copy start leaves the target-end
  // field at its last computation (0FFF), while the copy would run from 0 to 1FF onto F00..10FF.
  for (int a = 0; a < 0x200; ++a) w->SetByte(a, 0x11);
  w->edtCopyStart->SetText("100");
  w->edtCopyEnd->SetText("1FF");
  w->edtTargetStart->SetText("F00");
  w->edtCopyStart->SetText("");
  ASSERT_EQ(w->edtTargetEnd->Text(), "0FFF");
  Responder().ExpectMessage("Copied block extends beyond the maximum EEPROM address.\rEnding address must be less than 0xFFF");
  Click(w->btnCopy);
  for (int a = 0xF00; a < 0x1000; ++a) ASSERT_EQ(w->HexCell(a), "FF");
}

TEST_F(EEWindowOps, CopyFieldsClampToTheDeviceAndTidyOnExit) {
  TfrmMain* m = Start();
  TfrmSmallEE* w = OpenSmall(m->mnu1K);
  Responder().ExpectMessage("Maximum address = 07F");
  w->edtStart->SetText("80");
  EXPECT_EQ(w->edtStart->Text(), "0");
  Responder().ExpectMessage("Maximum address = 07F");
  w->edtTarget->SetText("90");
  EXPECT_EQ(w->edtTarget->Text(), "07F");
  w->edtStart->SetText("10");
  w->edtEnding->SetText("8");
  Responder().ExpectMessage("End of Block must be greater than beginning of block");
  w->CopyEndExit(w->edtEnding);
  EXPECT_EQ(w->edtEnding->Text(), "011");
  w->CopyStartExit(w->edtStart);
  EXPECT_EQ(w->edtStart->Text(), "010");
}

TEST_F(EEWindowOps, GoToMovesTheWindowItWasOpenedFromAndFollowsIt) {
  TfrmMain* m = Start();
  TfrmEEPROM* w = OpenLarge(m->mnu64Kx8);
  w->mnuGoto->Click();
  Application->ProcessMessages();
  ASSERT_NE(frmGoTo, nullptr);
  EXPECT_EQ(frmGoTo->edtNote->Text(), "Note: maximum address = 0xFFFF");
  // The whole note shows, in the font the dialog really has.
  auto* note = dynamic_cast<QLineEdit*>(frmGoTo->edtNote->Peer());
  ASSERT_NE(note, nullptr);
  EXPECT_LE(note->fontMetrics().horizontalAdvance(note->text()) + 4, note->contentsRect().width());
  EXPECT_LE(frmGoTo->edtNote->Left() + frmGoTo->edtNote->Width(), frmGoTo->ClientWidth());
  frmGoTo->edtDecimal->SetText("300");
  frmGoTo->edtDecimalChange(frmGoTo->edtDecimal);
  EXPECT_EQ(frmGoTo->edtHex->Text(), "012C");
  Click(frmGoTo->OKBtn);
  Application->ProcessMessages();
  EXPECT_EQ(w->stgMemory->Col(), 13);
  EXPECT_EQ(w->stgMemory->Row(), 19);
  EXPECT_EQ(frmGoTo, nullptr) << "OK releases the dialog";
  // Above the maximum: the field takes the maximum.
  w->mnuGoto->Click();
  Application->ProcessMessages();
  Responder().ExpectMessage("Maximum address = 65535");
  frmGoTo->edtDecimal->SetText("70000");
  frmGoTo->edtDecimalChange(frmGoTo->edtDecimal);
  EXPECT_EQ(frmGoTo->edtDecimal->Text(), "65535");
  // A value past the grid that reached the field unmirrored: OK warns and keeps the dialog and the cell.
  frmGoTo->edtDecimal->SetText("70000");
  Responder().ExpectMessage("Maximum address = 65535");
  Click(frmGoTo->OKBtn);
  Application->ProcessMessages();
  ASSERT_NE(frmGoTo, nullptr) << "a refused OK keeps the dialog";
  EXPECT_EQ(w->stgMemory->Row(), 19);
  EXPECT_EQ(Responder().Pending(), 0);
  // The window goes first: the dialog goes with it, and nothing reaches a freed window.
  w->Close();
  Application->ProcessMessages();
  EXPECT_EQ(frmGoTo, nullptr);
}

TEST_F(EEWindowOps, GoToTakesReturnAsOkAndEscapeAsCancel) {
  TfrmMain* m = Start();
  TfrmEEPROM* w = OpenLarge(m->mnu64Kx8);
  struct Case {
    const char* name;
    int key;
    bool onCancel;  // the Cancel button has the focus
    int row;        // where the grid is afterwards
  };
  const Case cases[] = {{"Return in the field", Qt::Key_Return, false, 19},
                        {"Escape", Qt::Key_Escape, false, 1},
                        {"Return on Cancel", Qt::Key_Return, true, 1},
                        {"Escape on Cancel", Qt::Key_Escape, true, 1}};
  for (const Case& c : cases) {
    w->stgMemory->SetRow(1);
    w->mnuGoto->Click();
    Application->ProcessMessages();
    ASSERT_NE(frmGoTo, nullptr) << c.name;
    frmGoTo->edtDecimal->SetFocus();
    frmGoTo->edtDecimal->SetText("300");
    frmGoTo->edtDecimalChange(frmGoTo->edtDecimal);
    auto* cancel = dynamic_cast<TWinControl*>(ButtonControl(frmGoTo->CancelBtn));
    ASSERT_NE(cancel, nullptr);
    if (c.onCancel) frmGoTo->SetActiveControl(cancel);
    SendKeyEvent(c.onCancel ? cancel : static_cast<TWinControl*>(frmGoTo->edtDecimal), c.key);
    Application->ProcessMessages();
    EXPECT_EQ(frmGoTo, nullptr) << c.name << ": the key closes the dialog";
    EXPECT_EQ(w->stgMemory->Row(), c.row) << c.name;
    if (frmGoTo) frmGoTo->Release(), Application->ProcessMessages();
  }
}

TEST_F(EEWindowOps, SmallWindowsGoToDoesNothing) {
  TfrmMain* m = Start();
  TfrmSmallEE* w = OpenSmall(m->mnu2K);
  w->mnuGoto->Click();
  Application->ProcessMessages();
  EXPECT_EQ(frmGoTo, nullptr);
}

}  // namespace
