// Editing the device setup rows through real mouse clicks and key presses on a
// shown bar: which editor opens, typing, committing, Escape, Up/Down, AutoAdvance.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QWidget>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "controls/inspector/InspEditors.h"
#include "controls/inspector/InspectorBar.h"
#include "platform/gui/Calendar.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Windows.h"
#include "platform/gui/testing/GuiTest.h"
#include "platform/gui/testing/InputEvents.h"
#include "platform/gui/testing/TestResponder.h"
#include "tests/controls/inspector/InspSetupPanel.h"

namespace {

// Rows of the setup panel: caption bar 0-20, then four rows of 24 pixels.
constexpr int kValueX = 150, kCaptionX = 30;
int RowY(int Row) { return 20 + 24 * Row + 12; }

class InspEdit : public TGuiTest {
 protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBounds(0, 0, 260, 320);
    bar = new TInspectorBar(form);
    bar->SetParent(form);
    bar->SetWidth(200);
    panel = AddSetupPanel(bar);
    Address()->Values()->SetText("A0\nA2\nA4\nA6");
    Address()->SetTextValue("A0");
    PageSize()->Values()->SetText("8\n16\n32\n64");
    Spin()->SetSpinMin(1);
    Spin()->SetSpinMax(100);
    bar->OnEditStart = [this](TObject* s, TInspectorPanel* p, TInspectorItem* i) { Log("start", s, p, i); };
    bar->OnEditUpdate = [this](TObject* s, TInspectorPanel* p, TInspectorItem* i) { Log("update", s, p, i); };
    bar->OnEditStop = [this](TObject* s, TInspectorPanel* p, TInspectorItem* i) { Log("stop", s, p, i); };
    form->Show();
    QApplication::processEvents();
  }
  void TearDown() override {
    delete form;
    TGuiTest::TearDown();
  }
  void Log(const char* what, TObject* sender, TInspectorPanel* p, TInspectorItem* i) {
    EXPECT_EQ(sender, bar);
    EXPECT_EQ(p, i->Panel());
    events.push_back(std::string(what) + " " + i->Caption());
  }
  TInspectorItem* Row(int i) { return panel->Items()->GetItem(i); }
  TInspectorItem* Size() { return Row(0); }
  TInspectorItem* Address() { return Row(1); }
  TInspectorItem* PageSize() { return Row(2); }
  TInspectorItem* Spin() { return Row(3); }

  void Mouse(QEvent::Type type, int x, int y, Qt::MouseButton b = Qt::LeftButton) {
    QWidget* w = bar->ClientWidget();
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(b);
    QMouseEvent e(type, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), b, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
  }
  void Click(int x, int y, Qt::MouseButton b = Qt::LeftButton) {
    Mouse(QEvent::MouseButtonPress, x, y, b);
    Mouse(QEvent::MouseButtonRelease, x, y, b);
    QApplication::processEvents();
  }
  // Keys go where the keyboard focus is, as typing does.
  QWidget* FocusTarget() {
    QWidget* w = QApplication::focusWidget();
    if (w) return w;
    TWinControl* e = bar->ActiveEditor();
    return e ? e->ClientWidget() : bar->ClientWidget();
  }
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier, QString text = {}) {
    if (text.isEmpty() && !(mods & Qt::ControlModifier)) {
      if (key == Qt::Key_Return) text = "\r";
      if (key == Qt::Key_Escape) text = QString(QChar(27));
      if (key == Qt::Key_Backspace) text = "\b";
    }
    QWidget* w = FocusTarget();
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QCoreApplication::sendEvent(w, &press);
    QApplication::processEvents();
    // The press may have moved the focus (another row's editor): the release goes where it is now.
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QCoreApplication::sendEvent(FocusTarget(), &release);
    QApplication::processEvents();
  }
  void Type(const std::string& s) {
    for (char ch : s) {
      const int key = (ch >= 'a' && ch <= 'z')   ? Qt::Key_A + (ch - 'a')
                      : (ch >= 'A' && ch <= 'Z') ? Qt::Key_A + (ch - 'A')
                                                 : ch;
      Key(key, Qt::NoModifier, QString(QChar(ch)));
    }
  }
  // The window system's keyboard focus is in the control (its window or its line).
  static bool HasKeys(TWinControl* c) {
    QWidget* f = QApplication::focusWidget();
    return f && (f == c->Peer() || f == c->ClientWidget());
  }
  std::string EditorText() { return bar->ActiveEditor() ? bar->ActiveEditor()->Text() : "<none>"; }

  TForm* form = nullptr;
  TInspectorBar* bar = nullptr;
  TInspectorPanel* panel = nullptr;
  std::vector<std::string> events;
};

TEST_F(InspEdit, ReadOnlyIntegerRowOpensNoEditor) {
  Click(kValueX, RowY(0));
  EXPECT_EQ(bar->EditItem(), nullptr);
  EXPECT_EQ(bar->ActiveEditor(), nullptr);
  EXPECT_FALSE(bar->EditControl()->Visible());
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(Size()->TextValue(), "8192");
}

TEST_F(InspEdit, ClickOnTheValueOpensTheRowsEditorOverItsEditBox) {
  Click(kValueX, RowY(1));
  ASSERT_EQ(bar->EditItem(), Address());
  TWinControl* e = bar->ActiveEditor();
  ASSERT_EQ(e, bar->ComboControl());
  EXPECT_TRUE(e->Visible());
  EXPECT_TRUE(e->Focused());
  // Value column from CaptionWidth, inside the painted edit box of the row at 44..68.
  EXPECT_EQ(e->Left(), 75);
  EXPECT_EQ(e->Top(), 47);
  EXPECT_EQ(e->Width(), 120);
  EXPECT_EQ(e->Height(), 17);
  EXPECT_EQ(events, (std::vector<std::string>{"start Address"}));
  EXPECT_EQ(bar->EditorKind(), 0);

  // A click on the caption column edits nothing and stops the edit.
  Click(kCaptionX, RowY(2));
  EXPECT_FALSE(bar->Editing());
  EXPECT_FALSE(bar->ComboControl()->Visible());
  EXPECT_EQ(events, (std::vector<std::string>{"start Address", "update Address", "stop Address"}));
}

TEST_F(InspEdit, ValuesRowTypesAndKeepsReturnInTheListWithoutAutoAdvance) {
  bar->SetAutoAdvance(false);
  Click(kValueX, RowY(1));
  auto* combo = bar->ComboControl();
  EXPECT_EQ(combo->Style(), csDropDown);
  EXPECT_EQ(combo->Items()->Count(), 4);
  EXPECT_EQ(combo->Text(), "A0");
  EXPECT_EQ(combo->SelText(), "A0");  // all selected: typing replaces it
  Type("B4");
  EXPECT_EQ(combo->Text(), "B4");
  EXPECT_EQ(Address()->TextValue(), "A0");  // nothing written before a commit
  // Without AutoAdvance the list keeps Return: no commit, no OnEditUpdate, still editing.
  Key(Qt::Key_Return);
  EXPECT_EQ(Address()->TextValue(), "A0");
  EXPECT_EQ(combo->Text(), "B4");
  EXPECT_EQ(bar->EditItem(), Address());
  EXPECT_TRUE(bar->Editing());
  EXPECT_TRUE(combo->Visible());
  EXPECT_EQ(events, (std::vector<std::string>{"start Address"}));
  // Leaving commits.
  Click(kCaptionX, RowY(3));
  EXPECT_EQ(Address()->TextValue(), "B4");
  EXPECT_TRUE(Address()->Modified());
  EXPECT_EQ(events, (std::vector<std::string>{"start Address", "update Address", "stop Address"}));
}

TEST_F(InspEdit, EscapeRestoresTheTextOfTheStartAndLeavingWritesThatBack) {
  Click(kValueX, RowY(1));
  Type("C0");
  Key(Qt::Key_Escape);
  EXPECT_EQ(bar->ComboControl()->Text(), "A0");
  EXPECT_EQ(bar->EditItem(), Address());
  Click(kCaptionX, RowY(3));  // leave
  EXPECT_EQ(Address()->TextValue(), "A0");
  EXPECT_FALSE(Address()->Modified());
}

TEST_F(InspEdit, ValuesListRowPicksFromTheListOnly) {
  Click(kValueX, RowY(2));
  auto* combo = bar->ComboControl();
  ASSERT_EQ(bar->ActiveEditor(), combo);
  EXPECT_EQ(combo->Style(), csDropDownList);
  EXPECT_EQ(combo->ItemIndex(), 2);
  Type("6");  // the list's key search
  EXPECT_EQ(combo->Text(), "64");
  Type("x");  // no entry starts with it: the choice stays
  EXPECT_EQ(combo->Text(), "64");
  Click(kCaptionX, RowY(0));
  EXPECT_EQ(PageSize()->TextValue(), "64");
}

TEST_F(InspEdit, ValuesListRowWhoseTextIsNoChoiceStartsEmptyAndLeavesEmpty) {
  PageSize()->SetTextValue("48");
  Click(kValueX, RowY(2));
  EXPECT_EQ(bar->ComboControl()->ItemIndex(), -1);
  EXPECT_EQ(bar->ComboControl()->Text(), "");
  Click(kCaptionX, RowY(0));
  EXPECT_EQ(PageSize()->TextValue(), "");
}

TEST_F(InspEdit, SpinRowTakesTypedNumbersUnlimitedAndStepsWithinItsRange) {
  bar->SetAutoAdvance(false);
  Click(kValueX, RowY(3));
  auto* spin = bar->SpinControl();
  ASSERT_EQ(bar->ActiveEditor(), spin);
  EXPECT_EQ(spin->Width(), 119);  // one pixel narrower than the box
  EXPECT_EQ(spin->MinValue(), 1);
  EXPECT_EQ(spin->MaxValue(), 100);
  EXPECT_EQ(spin->SelText(), "10");
  const int beeps = BeepCount();
  Type("5a00");  // the letter is refused with a beep
  EXPECT_EQ(spin->Text(), "500");
  EXPECT_EQ(BeepCount(), beeps + 1);
  Key(Qt::Key_Return);
  EXPECT_EQ(Spin()->IntValue(), 500);
  EXPECT_EQ(Spin()->TextValue(), "500");
  // Ctrl+arrows step the number and stay inside SpinMin..SpinMax.
  Key(Qt::Key_Up, Qt::ControlModifier);
  EXPECT_EQ(spin->Text(), "100");
  Key(Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(spin->Text(), "99");
  EXPECT_EQ(bar->EditItem(), Spin());
  Key(Qt::Key_Escape);
  EXPECT_EQ(spin->Text(), "500");
}

TEST_F(InspEdit, SpinRowEmptiedAndLeftTakesSpinMin) {
  Click(kValueX, RowY(3));
  Key(Qt::Key_Backspace);
  EXPECT_EQ(bar->SpinControl()->Text(), "");
  Click(kCaptionX, RowY(0));
  EXPECT_EQ(Spin()->IntValue(), 1);
  EXPECT_EQ(Spin()->TextValue(), "1");
  EXPECT_TRUE(Spin()->Modified());
}

TEST_F(InspEdit, UpAndDownMoveTheEditorOverWritableRows) {
  bar->SetAutoAdvance(true);
  Click(kValueX, RowY(1));
  Type("A4");
  Key(Qt::Key_Down);
  EXPECT_EQ(Address()->TextValue(), "A4");  // moving on commits
  EXPECT_EQ(bar->EditItem(), PageSize());
  EXPECT_EQ(bar->ActiveEditor(), bar->ComboControl());
  EXPECT_EQ(bar->ComboControl()->Style(), csDropDownList);
  EXPECT_EQ(bar->ComboControl()->Top(), 71);
  Key(Qt::Key_Down);
  EXPECT_EQ(bar->EditItem(), Spin());
  EXPECT_TRUE(bar->SpinControl()->Focused());
  EXPECT_FALSE(bar->ComboControl()->Visible());
  EXPECT_TRUE(HasKeys(bar->SpinControl()));
  Key(Qt::Key_Down);  // the last row keeps its editor
  EXPECT_EQ(bar->EditItem(), Spin());
  Key(Qt::Key_Up);
  EXPECT_EQ(bar->EditItem(), PageSize());
  Key(Qt::Key_Up);
  EXPECT_EQ(bar->EditItem(), Address());
  // Above lies only the read-only row: the editor stays where it is.
  Key(Qt::Key_Up);
  EXPECT_EQ(bar->EditItem(), Address());
  EXPECT_TRUE(bar->ComboControl()->Visible());
  EXPECT_EQ(bar->ComboControl()->Style(), csDropDown);
  EXPECT_EQ(bar->ComboControl()->Text(), "A4");
}

TEST_F(InspEdit, AltDownOpensTheListOfTheRowInsteadOfMovingOn) {
  bar->SetAutoAdvance(true);
  for (int row : {1, 2}) {
    SCOPED_TRACE(Row(row)->Caption());
    Click(kValueX, RowY(row));
    ASSERT_EQ(bar->ActiveEditor(), bar->ComboControl());
    Key(Qt::Key_Down, Qt::AltModifier);
    EXPECT_TRUE(bar->ComboControl()->DroppedDown());
    EXPECT_EQ(bar->EditItem(), Row(row));
    bar->ComboControl()->SetDroppedDown(false);
  }
}

TEST_F(InspEdit, ReturnWithAutoAdvanceCommitsAndMovesOn) {
  bar->SetAutoAdvance(true);
  std::vector<std::string> advanced;
  bar->OnEditAutoAdvance = [&](TObject* s, TInspectorPanel*, TInspectorItem* i) {
    EXPECT_EQ(s, bar->ComboControl());
    advanced.push_back(i->Caption());
  };
  Click(kValueX, RowY(1));
  Type("A6");
  Key(Qt::Key_Return);
  EXPECT_EQ(Address()->TextValue(), "A6");
  EXPECT_EQ(bar->EditItem(), PageSize());
  Key(Qt::Key_Return);
  EXPECT_EQ(bar->EditItem(), Spin());
  Type("25");
  Key(Qt::Key_Return);  // last row: keeps editing
  EXPECT_EQ(bar->EditItem(), Spin());
  EXPECT_EQ(advanced, (std::vector<std::string>{"Address", "Page Size"}));
  EXPECT_EQ(events.front(), "start Address");
  EXPECT_EQ(events[1], "update Address");
  EXPECT_EQ(events[2], "stop Address");
  EXPECT_EQ(events[3], "start Page Size");
}

TEST_F(InspEdit, EditUpdateCanCorrectTheCommittedValueAndTheEditorShowsIt) {
  bar->SetAutoAdvance(false);
  // A window's check: write times above 50 ms are set to 50.
  bar->OnEditUpdate = [](TObject*, TInspectorPanel*, TInspectorItem* i) {
    if (i->Caption() == "Write Time" && i->IntValue() > 50) i->SetIntValue(50);
  };
  Click(kValueX, RowY(3));
  Type("75");
  Key(Qt::Key_Return);
  EXPECT_EQ(Spin()->TextValue(), "50");
  EXPECT_EQ(bar->SpinControl()->Text(), "50");
  Key(Qt::Key_Escape);  // the corrected value is what Escape goes back to
  EXPECT_EQ(bar->SpinControl()->Text(), "50");
}

TEST_F(InspEdit, ARowRemovedWhileEditedIsCommittedFirst) {
  Click(kValueX, RowY(1));
  Type("A2");
  panel->Items()->Delete(1);
  EXPECT_EQ(bar->EditItem(), nullptr);
  EXPECT_FALSE(bar->ComboControl()->Visible());
  EXPECT_EQ(events, (std::vector<std::string>{"start Address", "update Address", "stop Address"}));
}

// ---------------------------------------------------------------- other row types
class InspEditTypes : public InspEdit {
 protected:
  TInspectorItem* AddRow(const std::string& caption, TPropertyType type, const std::string& value) {
    TInspectorItem* it = panel->Items()->Add();
    it->SetCaption(caption);
    it->SetPropertyType(type);
    it->SetTextValue(value);
    it->SetHeight(24);
    return it;
  }
};

TEST_F(InspEditTypes, IntegerEditorFiltersCharactersAndKeepsTheValueOnBadText) {
  TInspectorItem* it = AddRow("Count", ptInteger, "5");  // row 4
  Click(kValueX, RowY(4));
  auto* e = bar->EditControl();
  ASSERT_EQ(bar->ActiveEditor(), e);
  EXPECT_EQ(e->InspEditType(), ieInteger);
  e->SetSelStart(1);  // caret after "5"
  Type("-");
  EXPECT_EQ(e->Text(), "-5");
  e->SelectAll();
  Type("12a");
  EXPECT_EQ(e->Text(), "12");
  Key(Qt::Key_Backspace);
  Key(Qt::Key_Backspace);
  EXPECT_EQ(e->Text(), "");
  Click(kCaptionX, RowY(0));
  EXPECT_EQ(it->IntValue(), 0);
  EXPECT_EQ(it->TextValue(), "5");
  EXPECT_TRUE(it->Modified());
}

TEST_F(InspEditTypes, MovingBetweenRowsOfOneEditorKeepsTheKeyboardOnIt) {
  bar->SetAutoAdvance(true);
  TInspectorItem* a = AddRow("L1", ptValues, "x");
  TInspectorItem* b = AddRow("L2", ptValues, "y");
  Click(kValueX, RowY(4));
  ASSERT_EQ(bar->EditItem(), a);
  Key(Qt::Key_Down);
  ASSERT_EQ(bar->EditItem(), b);
  EXPECT_TRUE(bar->ComboControl()->Visible());
  EXPECT_TRUE(HasKeys(bar->ComboControl()));
  Type("z");
  Key(Qt::Key_Up);
  EXPECT_EQ(b->TextValue(), "z");
  EXPECT_EQ(bar->EditItem(), a);
  EXPECT_TRUE(HasKeys(bar->ComboControl()));
  EXPECT_EQ(bar->ComboControl()->Text(), "x");
}

TEST_F(InspEditTypes, BooleanRowTogglesAtOnceWithoutAnEditor) {
  TInspectorItem* it = AddRow("Verify", ptBoolean, "False");
  Click(kValueX, RowY(4));
  EXPECT_TRUE(it->BoolValue());
  EXPECT_TRUE(it->Modified());
  EXPECT_EQ(bar->ActiveEditor(), nullptr);
  EXPECT_EQ(events, (std::vector<std::string>{"start Verify", "update Verify", "stop Verify"}));
}

TEST_F(InspEditTypes, DateRowWhoseTextIsNoDateStartsWithThePickersValue) {
  TInspectorItem* it = AddRow("Made", ptDate, "");
  it->SetDateValue(EncodeDate(2020, 5, 17));
  auto* picker = bar->DateTimeControl();
  picker->SetDateTime(EncodeDate(2026, 12, 7) + EncodeTime(9, 30, 0, 0));
  it->SetTextValue("no date");
  EXPECT_NO_THROW(Click(kValueX, RowY(4)));
  ASSERT_EQ(bar->ActiveEditor(), picker);
  EXPECT_EQ(bar->EditItem(), it);
  EXPECT_DOUBLE_EQ(picker->Date(), EncodeDate(2026, 12, 7));
  EXPECT_DOUBLE_EQ(picker->OrigValue, EncodeDate(2020, 5, 17));
  // A readable date replaces the picker's date and keeps its time of day.
  Click(kCaptionX, RowY(0));
  it->SetTextValue(DateToStr(EncodeDate(2021, 1, 2)));
  Click(kValueX, RowY(4));
  EXPECT_DOUBLE_EQ(picker->DateTime(), EncodeDate(2021, 1, 2) + EncodeTime(9, 30, 0, 0));
}

TEST_F(InspEditTypes, ADayPickedInTheCalendarIsTakenAndAltDownIsNoRowMove) {
  TInspectorItem* it = AddRow("Made", ptDate, "");
  it->SetDateValue(EncodeDate(2020, 5, 17));
  it->SetTextValue(DateToStr(EncodeDate(2020, 5, 17)));
  Click(kValueX, RowY(4));
  auto* picker = bar->DateTimeControl();
  ASSERT_EQ(bar->ActiveEditor(), picker);
  SendKeyEvent(picker, Qt::Key_Down, Qt::AltModifier);
  ASSERT_TRUE(picker->DroppedDown());
  EXPECT_EQ(bar->EditItem(), it);
  ClickWidgetIn(picker->Calendar()->DayView(), picker->Calendar()->DayRect(EncodeDate(2020, 5, 3)));
  EXPECT_FALSE(picker->DroppedDown());
  EXPECT_DOUBLE_EQ(std::floor(it->DateTimeValue()), EncodeDate(2020, 5, 3));
  EXPECT_TRUE(it->Modified());
  EXPECT_EQ(bar->ActiveEditor(), picker) << "taken as Return takes it: the editor stays";
}

TEST_F(InspEditTypes, DateRowHandsUpAndDownToTheBarAlsoWithCtrl) {
  bar->SetAutoAdvance(true);
  TInspectorItem* a = AddRow("Made", ptDate, DateToStr(EncodeDate(2020, 5, 17)));
  TInspectorItem* b = AddRow("Sold", ptDate, DateToStr(EncodeDate(2021, 6, 1)));
  for (Qt::KeyboardModifiers mods : {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::ControlModifier)}) {
    SCOPED_TRACE(mods == Qt::NoModifier ? "plain" : "Ctrl");
    Click(kValueX, RowY(4));
    ASSERT_EQ(bar->EditItem(), a);
    Key(Qt::Key_Down, mods);
    EXPECT_EQ(bar->EditItem(), b);
    EXPECT_DOUBLE_EQ(std::floor(a->DateTimeValue()), EncodeDate(2020, 5, 17));
    Key(Qt::Key_Up, mods);
    EXPECT_EQ(bar->EditItem(), a);
    Click(kCaptionX, RowY(0));
  }
}

TEST_F(InspEditTypes, FloatEditorRefusesASecondSeparatorAlsoOverASelectedOne) {
  const std::string d(1, FormatSettings.DecimalSeparator);
  const struct {
    std::string Text;
    int SelStart, SelLength;
    std::string Shown;
  } cases[] = {{"15", 1, 0, "1" + d + "5"}, {"1" + d + "5", 3, 0, "1" + d + "5"}, {"1" + d + "5", 1, 2, "1" + d + "5"}};
  AddRow("Gain", ptFloat, "0");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text + " " + std::to_string(c.SelStart));
    Row(4)->SetTextValue(c.Text);
    Click(kValueX, RowY(4));
    auto* e = bar->EditControl();
    ASSERT_EQ(bar->ActiveEditor(), e);
    e->SetSelStart(c.SelStart);
    e->SetSelLength(c.SelLength);
    Type(d);
    EXPECT_EQ(e->Text(), c.Shown);
    Click(kCaptionX, RowY(0));
  }
}

TEST_F(InspEditTypes, TextRowsApplyTheTextInsetAndPasswordRowsDoNot) {
  const struct {
    TPropertyType Type;
    bool MultiLine;
    QMargins Margins;
  } cases[] = {{ptText, true, QMargins(2, 1, 0, 0)}, {ptPassword, false, QMargins()}, {ptInteger, true, QMargins(2, 1, 0, 0)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Type);
    AddRow("R", c.Type, "12");
    Click(kValueX, RowY(panel->Items()->Count() - 1));
    auto* e = bar->EditControl();
    ASSERT_EQ(bar->ActiveEditor(), e);
    EXPECT_EQ(e->MultiLine(), c.MultiLine);
    auto* line = dynamic_cast<QLineEdit*>(e->Peer());
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->textMargins(), c.Margins);
    Click(kCaptionX, RowY(0));
  }
}

// The editors are shared: a row without a limit does not inherit the last row's.
TEST_F(InspEditTypes, ARowWithoutMaxLengthTypesWithoutTheLastRowsLimit) {
  TInspectorItem* short3 = AddRow("Short", ptText, "");  // row 4
  short3->SetMaxLength(3);
  TInspectorItem* free = AddRow("Free", ptText, "");  // row 5
  Click(kValueX, RowY(4));
  Type("abcde");
  EXPECT_EQ(bar->EditControl()->Text(), "abc");
  Click(kValueX, RowY(5));
  ASSERT_EQ(bar->EditItem(), free);
  Type("abcde");
  Click(kCaptionX, RowY(0));
  EXPECT_EQ(short3->TextValue(), "abc");
  EXPECT_EQ(free->TextValue(), "abcde");
}

TEST_F(InspEditTypes, TimeRowOpensAtItsTime) {
  TInspectorItem* it = AddRow("At", ptTime, "");
  it->SetTimeValue(EncodeTime(14, 5, 6, 0));
  bar->DateTimeControl()->SetDateTime(EncodeDate(2026, 1, 1) + EncodeTime(1, 0, 0, 0));
  Click(kValueX, RowY(4));
  EXPECT_NEAR(bar->DateTimeControl()->Time(), EncodeTime(14, 5, 6, 0), 1e-9);
}

TEST_F(InspEditTypes, PropButtonRowCannotBeTypedIn) {
  TInspectorItem* it = AddRow("Details", ptPropButton, "(more)");
  Click(kValueX, RowY(4));
  auto* e = bar->EditBtnControl();
  ASSERT_EQ(bar->ActiveEditor(), e);
  EXPECT_FALSE(e->EditorEnabled());
  Type("zz");
  EXPECT_EQ(e->Text(), "(more)");
  Click(kCaptionX, RowY(0));
  EXPECT_EQ(it->TextValue(), "(more)");
  EXPECT_FALSE(it->Modified());
}

TEST_F(InspEditTypes, ButtonOfTextButtonRowRunsTheBarsEventAndEditsAgain) {
  TInspectorItem* it = AddRow("File", ptTextButton, "a.bin");
  int clicks = 0;
  bar->OnEditBtnClick = [&](TObject*, TInspectorPanel*, TInspectorItem* i) {
    EXPECT_EQ(i, it);
    EXPECT_FALSE(bar->Editing());  // editing stopped around the event
    i->SetTextValue("b.bin");
    ++clicks;
  };
  Click(kValueX, RowY(4));
  bar->EditBtnControl()->ClickButton(bar->EditBtnControl());
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(bar->EditItem(), it);
  EXPECT_EQ(bar->EditBtnControl()->Text(), "b.bin");
}

TEST_F(InspEditTypes, CustomColourEntryAsksTheColourDialog) {
  TInspectorItem* it = AddRow("Ink", ptColor, "");
  it->SetColorValue(clRed);
  bar->ExecuteColorDialog = [](TColor& c) {
    EXPECT_EQ(c, clRed);
    c = RGB(1, 2, 3);
    return true;
  };
  Click(kValueX, RowY(4));
  auto* cc = bar->ColorComboControl();
  ASSERT_EQ(bar->ActiveEditor(), cc);
  EXPECT_EQ(cc->Items()->Count(), 41);
  EXPECT_EQ(cc->ItemIndex(), 9);
  cc->UserSelect(TInspColorComboBox::CustomIndex);
  EXPECT_EQ(it->ColorValue(), RGB(1, 2, 3));
  EXPECT_FALSE(bar->Editing());
  EXPECT_FALSE(cc->Visible());
}

TEST_F(InspEditTypes, WithoutItsOwnDialogsTheBarOpensTheStandardColourAndFontDialogs) {
  TInspectorItem* ink = AddRow("Ink", ptColor, "");
  ink->SetColorValue(clRed);
  Responder().ExpectColor(RGB(10, 20, 30), false);  // cancelled: the colour stays
  Click(kValueX, RowY(4));
  auto* cc = bar->ColorComboControl();
  ASSERT_EQ(bar->ActiveEditor(), cc);
  cc->UserSelect(TInspColorComboBox::CustomIndex);
  EXPECT_EQ(Responder().Pending(), 0);
  ASSERT_FALSE(Responder().Seen().empty());
  EXPECT_EQ(Responder().Seen().back().Kind, dkColor);
  EXPECT_EQ(Responder().Seen().back().Color, clRed);  // the dialog starts from the row's colour
  EXPECT_EQ(ink->ColorValue(), clRed);
  EXPECT_FALSE(bar->Editing());

  Responder().ExpectColor(RGB(10, 20, 30));
  Click(kValueX, RowY(4));
  ASSERT_EQ(bar->ActiveEditor(), cc);
  cc->UserSelect(TInspColorComboBox::CustomIndex);
  EXPECT_EQ(Responder().Pending(), 0);
  EXPECT_EQ(ink->ColorValue(), RGB(10, 20, 30));

  TInspectorItem* face = AddRow("Face", ptFont, "");
  TFont start;
  start.SetName("Arial");
  start.SetSize(9);
  start.SetColor(clNavy);
  face->SetFontValue(&start);
  Responder().ExpectFont("Courier New", 12, fsBold);
  Click(kValueX, RowY(5));
  ASSERT_EQ(bar->EditItem(), face);
  bar->EditBtnControl()->ClickButton(bar->EditBtnControl());
  EXPECT_EQ(Responder().Pending(), 0);
  EXPECT_EQ(Responder().Seen().back().Kind, dkFont);
  EXPECT_EQ(Responder().Seen().back().FontName, "Arial");
  EXPECT_EQ(Responder().Seen().back().FontSize, 9);
  EXPECT_EQ(face->FontValue()->Name(), "Courier New");
  EXPECT_EQ(face->FontValue()->Size(), 12);
  EXPECT_EQ(face->FontValue()->Style(), TFontStyles(fsBold));
  EXPECT_EQ(face->FontValue()->Color(), clNavy);  // the dialog chooses no colour
  EXPECT_FALSE(bar->Editing());
}

// ---------------------------------------------------------------- popup links
class TProbeLink : public TInspectorEditLink {
 public:
  using TInspectorEditLink::TInspectorEditLink;
  void CreateEditor(TWinControl* AParent) override {
    edit = new TEdit(AParent);
    edit->SetParent(AParent);
    edit->FreeNotification(this);
    ++created;
  }
  void DestroyEditor() override { ++destroyed; }
  TWinControl* GetEditor() override { return edit; }
  void Notification(TComponent* C, TOperation Op) override {
    TInspectorEditLink::Notification(C, Op);
    if (Op == opRemove && C == edit) {
      edit = nullptr;
      ++editorFreed;
    }
  }
  TEdit* edit = nullptr;
  int created = 0, destroyed = 0, editorFreed = 0;
};

TEST_F(InspEditTypes, PopupEditorOpenWhenTheBarGoesIsClosedAndFreed) {
  auto link = std::make_unique<TProbeLink>(nullptr);
  link->SetEditStyle(esPopup);
  TInspectorItem* it = AddRow("Custom", ptCustom, "x");
  it->SetEditLink(link.get());
  Click(kValueX, RowY(4));
  ASSERT_NE(link->PopupForm(), nullptr);
  EXPECT_EQ(link->created, 1);
  EXPECT_EQ(link->Inspector(), bar);
  delete form;  // takes the bar along
  form = nullptr;
  EXPECT_EQ(link->PopupForm(), nullptr);
  EXPECT_EQ(link->destroyed, 2);  // as the popup closed, and again as its row went
  EXPECT_EQ(link->editorFreed, 1);  // the window took its editor along
}

TEST_F(InspEditTypes, LinkFreedBeforeTheBarLeavesNoDanglingEditor) {
  auto link = std::make_unique<TProbeLink>(nullptr);
  link->SetEditStyle(esPopup);
  TInspectorItem* it = AddRow("Custom", ptCustom, "x");
  it->SetEditLink(link.get());
  Click(kValueX, RowY(4));
  link.reset();
  EXPECT_EQ(it->EditLink(), nullptr);
  EXPECT_EQ(bar->ActiveEditor(), nullptr);
  Click(kCaptionX, RowY(0));  // nothing to stop any more
}

// ---------------------------------------------------------------- file drops
TEST(InspFileDrop, DropWithoutAnActivePanelIsIgnored) {
  TInspectorBar bar(nullptr);
  bar.SetAcceptFiles(true);
  int asked = 0;
  bar.OnFileDrop = [&](TObject*, const std::string&, bool&) { ++asked; };
  bar.FilesDropped({"/tmp/a.hex"});
  EXPECT_EQ(asked, 0);
  TInspectorPanel* p = bar.Panels()->Add();
  p->SetVisible(false);
  bar.FilesDropped({"/tmp/a.hex"});
  EXPECT_EQ(p->Items()->Count(), 0);
  EXPECT_EQ(asked, 0);
}

TEST(InspFileDrop, AllowedFilesBecomeRowsOfTheActivePanel) {
  TInspectorBar bar(nullptr);
  bar.Panels()->Add();
  TInspectorPanel* p = bar.Panels()->Add();
  bar.SetTopPanel(1);
  bar.OnFileDrop = [](TObject*, const std::string& n, bool& allow) { allow = n != "/tmp/no.bin"; };
  bar.FilesDropped({"/tmp/a.hex"});
  EXPECT_EQ(p->Items()->Count(), 0);  // not accepting files
  bar.SetAcceptFiles(true);
  bar.FilesDropped({"/tmp/a.hex", "/tmp/no.bin", "/tmp/b.eep"});
  ASSERT_EQ(p->Items()->Count(), 2);
  EXPECT_EQ(p->Items()->GetItem(0)->Caption(), "/tmp/a.hex");
  EXPECT_EQ(p->Items()->GetItem(0)->URL(), "/tmp/a.hex");
  EXPECT_TRUE(p->Items()->GetItem(1)->AutoIcon());
  EXPECT_EQ(p->Items()->GetItem(1)->Caption(), "/tmp/b.eep");
}

}  // namespace
