// Typing bytes into the hex and ASCII grids: the key filter, Tab, Escape and
// the byte address label.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QWheelEvent>
#include <functional>

#include "tests/eeprom/EEWindowFixture.h"

namespace {

class EEWindowEdit : public TEEWindowTest {};

TEST_F(EEWindowEdit, HexGridTakesHexDigitsOnlyAndTabPadsToTwoDigits) {
  TfrmMain* m = Start();
  TfrmEEPROM* w = OpenLarge(m->mnu4Kx8);
  Focus(w, w->stgMemory, 1, 1);
  Type(w->stgMemory, "g");
  EXPECT_EQ(w->stgMemory->Cells(1, 1), "FF") << "a key that is no hex digit is discarded";
  Type(w->stgMemory, "5");
  Press(w->stgMemory, Qt::Key_Tab);
  EXPECT_EQ(w->stgMemory->Cells(1, 1), "05");
  EXPECT_EQ(w->stgText->Cells(0, 1), ".");
  EXPECT_EQ(w->stgMemory->Col(), 2) << "Tab moves on";
  EXPECT_EQ(w->ActiveControl(), w->stgMemory) << "and the focus stays in the grid";
  Type(w->stgMemory, "4a");
  Press(w->stgMemory, Qt::Key_Tab);
  EXPECT_EQ(w->stgMemory->Cells(2, 1), "4A");
  EXPECT_EQ(w->stgText->Cells(1, 1), "J");
  // Return keeps the editor open on the cell: its text stands at the top of its text rectangle.
  Type(w->stgMemory, "12");
  Press(w->stgMemory, Qt::Key_Return, "\r");
  ASSERT_TRUE(w->stgMemory->InplaceEditor()->Visible());
  EXPECT_EQ(w->stgMemory->InplaceEditor()->PosFromChar(0).Y, 2);
}

// The wheel leaves an edited cell through the window's validation as Tab and Down do.
TEST_F(EEWindowEdit, EveryWayOutOfAHexCellPadsASingleDigit) {
  TfrmMain* m = Start();
  TfrmEEPROM* w = OpenLarge(m->mnu4Kx8);
  struct Way {
    const char* Name;
    std::function<void()> Leave;
  };
  auto wheelDown = [w] {
    QWidget* target = w->stgMemory->ClientWidget();
    QWheelEvent e(QPointF(60, 60), target->mapToGlobal(QPointF(60, 60)), QPoint(), QPoint(0, -120), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(target, &e);
  };
  const Way ways[] = {{"Tab", [w] { Press(w->stgMemory, Qt::Key_Tab); }},
                      {"Down", [w] { Press(w->stgMemory, Qt::Key_Down); }},
                      {"Wheel", wheelDown}};
  int row = 1;
  for (const Way& way : ways) {
    Focus(w, w->stgMemory, 3, row);
    Type(w->stgMemory, "5");
    way.Leave();
    EXPECT_EQ(w->stgMemory->Cells(3, row), "05") << way.Name;
    EXPECT_NE(w->stgMemory->Col() * 1000 + w->stgMemory->Row(), 3 * 1000 + row) << way.Name << " leaves the cell";
    row += 5;
  }
}

TEST_F(EEWindowEdit, ClearingACellAndTabbingLeavesZeroZero) {
  TfrmMain* m = Start();
  TfrmSmallEE* w = OpenSmall(m->mnu2K);
  Focus(w, w->stgMemory, 3, 2);
  Press(w->stgMemory, Qt::Key_F2);
  Press(w->stgMemory, Qt::Key_Backspace, "\b");
  Press(w->stgMemory, Qt::Key_Backspace, "\b");
  Press(w->stgMemory, Qt::Key_Tab);
  EXPECT_EQ(w->stgMemory->Cells(3, 2), "00");
  EXPECT_EQ(w->stgText->Cells(2, 2), ".");
}

TEST_F(EEWindowEdit, AsciiGridTakesAnyPrintableCharacterAndSetsTheByte) {
  TfrmMain* m = Start();
  TfrmEEPROM* w = OpenLarge(m->mnu4Kx8);
  Focus(w, w->stgText, 4, 1);
  Type(w->stgText, "g");
  EXPECT_EQ(w->stgMemory->Cells(5, 1), "67");
  Press(w->stgText, Qt::Key_Tab);
  EXPECT_EQ(w->stgText->Cells(4, 1), "g");
  EXPECT_EQ(w->stgMemory->Cells(5, 1), "67");
}

// A character that is not ASCII stores its Windows-1252 byte; one that has none is refused.
TEST_F(EEWindowEdit, AsciiGridStoresTheWindows1252ByteOfWhatIsTyped) {
  TfrmMain* m = Start();
  struct Case {
    const char* Typed;  // UTF-8
    const char* WhileTyping;
    const char* Stored;
  };
  const Case cases[] = {
      {"\xC3\xA9", "E9", "E9"},      // é
      {"\xE2\x82\xAC", "80", "80"},  // €
      {"\xC3\xBC", "FC", "FC"},      // ü
      {"\xC5\xB8", "9F", "9F"},      // Ÿ
      {"\xCE\xA9", "12", "12"},      // Ω: no byte, the byte stays
      {"\xE2\x86\x92", "12", "12"},  // →: no byte either
      {"?", "3F", "3F"},              // a typed "?" is a "?"
  };
  for (TEEWindow* w : std::initializer_list<TEEWindow*>{OpenLarge(m->mnu4Kx8), OpenSmall(m->mnu2K)}) {
    int a = 0;
    for (const Case& c : cases) {
      w->SetByte(a, 0x12);
      Focus(w, w->stgText, a % 16, a / 16 + 1);
      Press(w->stgText, Qt::Key_unknown, QString::fromUtf8(c.Typed));
      EXPECT_EQ(w->HexCell(a), c.WhileTyping) << c.Typed;
      Press(w->stgText, Qt::Key_Tab);
      EXPECT_EQ(w->HexCell(a), c.Stored) << c.Typed;
      EXPECT_EQ(w->stgText->Cells(a % 16, a / 16 + 1), c.Stored == std::string("3F") ? "?" : ".") << c.Typed;
      ++a;
    }
  }
}

TEST_F(EEWindowEdit, EscapeNeverRewritesTheByteAndTheGridsNeverDisagree) {
  TfrmMain* m = Start();
  TfrmEEPROM* w = OpenLarge(m->mnu4Kx8);
  w->SetByte(0x10, 0x41);
  // Escape alone in the ASCII grid: no byte 1B.
  Focus(w, w->stgText, 0, 2);
  Press(w->stgText, Qt::Key_Escape);
  EXPECT_EQ(w->stgMemory->Cells(1, 2), "41");
  EXPECT_EQ(w->stgText->Cells(0, 2), "A");
  // A character typed, then Escape: the byte gets back its value in both grids.
  Type(w->stgText, "z");
  EXPECT_EQ(w->stgMemory->Cells(1, 2), "7A");
  Press(w->stgText, Qt::Key_Escape);
  EXPECT_EQ(w->stgMemory->Cells(1, 2), "41");
  EXPECT_EQ(w->stgText->Cells(0, 2), "A");
  // The same in the hex grid.
  Focus(w, w->stgMemory, 1, 2);
  Type(w->stgMemory, "62");
  EXPECT_EQ(w->stgText->Cells(0, 2), "b");
  Press(w->stgMemory, Qt::Key_Escape);
  EXPECT_EQ(w->stgMemory->Cells(1, 2), "41");
  EXPECT_EQ(w->stgText->Cells(0, 2), "A");
}

TEST_F(EEWindowEdit, ControlCharactersInTheAsciiGridLeaveTheByte) {
  TfrmMain* m = Start();
  TfrmSmallEE* w = OpenSmall(m->mnu2K);
  w->SetByte(0, 0x30);
  Focus(w, w->stgText, 0, 1);
  for (char k : {'\x1B', '\x01', '\x7F'}) {
    char key = k;
    w->stgText->OnKeyPress(w->stgText, key);
    EXPECT_EQ(w->stgMemory->Cells(1, 1), "30") << int(k);
  }
  EXPECT_TRUE(EEPrintableKey(' '));
  EXPECT_TRUE(EEPrintableKey('~'));
  EXPECT_TRUE(EEPrintableKey('\xE9'));
  EXPECT_FALSE(EEPrintableKey('\x1F'));
  EXPECT_FALSE(EEPrintableKey('\x7F'));
}

TEST_F(EEWindowEdit, SelectingACellShowsItsByteAddress) {
  TfrmMain* m = Start();
  TfrmEEPROM* big = OpenLarge(m->mnu4Kx8);
  big->stgText->SetRow(0x1F + 1);
  big->stgText->SetCol(3);
  EXPECT_EQ(big->lblWordAddress->Caption(), "01F3");
  big->stgMemory->SetRow(0x1F + 1);
  big->stgMemory->SetCol(0xA + 1);
  EXPECT_EQ(big->lblWordAddress->Caption(), "01FA");
  TfrmSmallEE* small = OpenSmall(m->mnu4K);
  small->stgText->SetRow(0x1F + 1);
  small->stgText->SetCol(3);
  EXPECT_EQ(small->lblWordAddress->Caption(), "1F3");
}

TEST_F(EEWindowEdit, TheByteAddressFollowsMouseClicksAndArrowKeys) {
  TfrmMain* m = Start();
  TfrmEEPROM* w = OpenLarge(m->mnu4Kx8);
  const TRect r = w->stgMemory->CellRect(5, 3);
  QWidget* g = w->stgMemory->ClientWidget();
  const QPointF p((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  QMouseEvent press(QEvent::MouseButtonPress, p, g->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(g, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, p, g->mapToGlobal(p), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(g, &release);
  EXPECT_EQ(w->lblWordAddress->Caption(), "0024");
  Press(w->stgMemory, Qt::Key_Right);
  EXPECT_EQ(w->lblWordAddress->Caption(), "0025");
  Press(w->stgMemory, Qt::Key_Down);
  EXPECT_EQ(w->lblWordAddress->Caption(), "0035");
}

TEST_F(EEWindowEdit, ClosingOneOfTwoLargeWindowsLeavesTheOtherWhole) {
  TfrmMain* m = Start();
  TfrmEEPROM* a = OpenLarge(m->mnu8Kx8);
  TfrmEEPROM* b = OpenLarge(m->mnu8Kx8);
  a->SetByte(0x123, 0x99);
  a->SetupItem(esAddress)->SetTextValue("A4");
  b->mnuClose->Click();
  Application->ProcessMessages();
  EXPECT_EQ(frmEEPROM, nullptr);
  EXPECT_EQ(m->MDIChildCount(), 1);
  EXPECT_EQ(a->HexCell(0x123), "99");
  EXPECT_EQ(a->SetupItem(esAddress)->TextValue(), "A4");
  Focus(a, a->stgMemory, 1, 1);
  Type(a->stgMemory, "x");
  EXPECT_EQ(a->stgMemory->Cells(1, 1), "FF") << "the key filter still works";
}

TEST_F(EEWindowEdit, PastedTextThatIsNoByteIsRefusedAndTheCellKeepsItsValue) {
  TfrmMain* m = Start();
  TfrmEEPROM* w = OpenLarge(m->mnu4Kx8);
  w->SetByte(0, 0x12);
  std::string v = "G7";
  bool ok = true;
  Responder().ExpectMessage("is not a byte");
  w->stgMemory->OnCellValidate(w->stgMemory, 1, 1, v, ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(w->stgText->Cells(0, 1), ".");
  v = " 7";
  ok = true;
  w->stgMemory->OnCellValidate(w->stgMemory, 1, 1, v, ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(v, "07");
}

}  // namespace
