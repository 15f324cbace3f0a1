// Combo boxes, list boxes and the range controls.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>
#include <QWheelEvent>

#include "platform/gui/Collation.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/StdCtrls.h"
#include "tests/platform/gui/StdCtrlsTestSupport.h"

namespace {

class StdLists : public TGuiTest {
 protected:
  template <class T>
  T* Make() {
    if (!form_) form_ = StdForm(400, 300);
    auto* c = new T(form_);
    c->SetParent(form_);
    c->SetBounds(10, 10 + 40 * count_++, 150, c->Height());
    form_->Show();
    return c;
  }
  TForm* form_ = nullptr;
  int count_ = 0;
};

void Fill(TStrings* s) {
  s->Add("alpha");
  s->Add("beta");
  s->Add("gamma");
}

TEST_F(StdLists, DropDownListTextFollowsItsItem) {
  auto* c = Make<TComboBox>();
  c->SetStyle(csDropDownList);
  Fill(c->Items());
  int changes = 0;
  c->OnChange = [&](TObject*) { ++changes; };
  c->SetItemIndex(1);
  EXPECT_EQ(c->Text(), "beta");
  c->SetText("GAMMA");
  EXPECT_EQ(c->ItemIndex(), 2) << "a list takes the text of one of its items, in any case";
  EXPECT_EQ(c->Text(), "gamma");
  c->SetText("delta");
  EXPECT_EQ(c->ItemIndex(), 2) << "a text that is no item changes nothing";
  c->SetItemIndex(7);
  EXPECT_EQ(c->ItemIndex(), -1);
  EXPECT_EQ(c->Text(), "");
  EXPECT_EQ(changes, 0) << "the program's choices fire no OnChange";
  c->SetItemIndex(2);
  c->Items()->Delete(2);
  EXPECT_EQ(c->ItemIndex(), -1);
  EXPECT_EQ(c->Text(), "") << "the chosen item went away";
  EXPECT_EQ(static_cast<QComboBox*>(c->Peer())->count(), 2);
}

TEST_F(StdLists, UserChoiceFiresOnChangeOrOnSelect) {
  auto* c = Make<TComboBox>();
  c->SetStyle(csDropDownList);
  Fill(c->Items());
  c->SetItemIndex(0);
  std::string log;
  c->OnChange = [&](TObject*) { log += "change:" + c->Text() + " "; };
  c->OnClick = [&](TObject*) { log += "click "; };
  static_cast<QComboBox*>(c->Peer())->setCurrentIndex(2);
  EXPECT_EQ(c->ItemIndex(), 2);
  EXPECT_EQ(log, "click change:gamma ");
  c->OnSelect = [&](TObject*) { log += "select "; };
  log.clear();
  c->UserSelect(1);
  EXPECT_EQ(log, "click select ") << "OnSelect takes the place of OnChange when assigned";
}

TEST_F(StdLists, DropDownTextIsFreeAndMatchesItemsExactly) {
  auto* c = Make<TComboBox>();
  Fill(c->Items());
  int changes = 0;
  c->OnChange = [&](TObject*) { ++changes; };
  c->SetText("beta");
  EXPECT_EQ(c->ItemIndex(), 1);
  c->SetText("bet");
  EXPECT_EQ(c->ItemIndex(), -1);
  EXPECT_EQ(c->Text(), "bet");
  EXPECT_EQ(changes, 0);
  c->SetMaxLength(4);
  QLineEdit* line = static_cast<QComboBox*>(c->Peer())->lineEdit();
  ASSERT_NE(line, nullptr);
  line->setText("");
  line->setFocus();
  for (const char* t : {"g", "a", "m", "m", "a"}) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, t);
    QCoreApplication::sendEvent(line, &press);
  }
  EXPECT_EQ(c->Text(), "gamm") << "typing stops at MaxLength";
  EXPECT_GE(changes, 4);
  c->SetItemIndex(0);
  EXPECT_EQ(line->text(), "alpha");
  c->SelectAll();
  EXPECT_EQ(c->SelText(), "alpha");
  EXPECT_EQ(c->SelStart(), 0);
  StdClick(line, 3, 3);
  c->SetText("");
  StdType(c, "be");
  EXPECT_EQ(c->Text(), "be") << "keys reaching the combo type into its line";
}

TEST_F(StdLists, DropDownEventsWrapTheList) {
  auto* c = Make<TComboBox>();
  std::string log;
  c->OnDropDown = [&](TObject*) {
    log += "drop ";
    c->Items()->Add("late item");
  };
  c->OnCloseUp = [&](TObject*) { log += "close "; };
  c->SetDroppedDown(true);
  EXPECT_EQ(static_cast<QComboBox*>(c->Peer())->count(), 1) << "items added in OnDropDown are listed";
  c->SetDroppedDown(false);
  EXPECT_EQ(log, "drop close ");
}

TEST_F(StdLists, SortedListsKeepTheChosenItem) {
  auto* c = Make<TComboBox>();
  c->Items()->Add("zulu");
  c->Items()->Add("alpha");
  c->SetItemIndex(0);
  c->SetSorted(true);
  EXPECT_EQ(c->Items()->Get(0), "alpha");
  EXPECT_EQ(c->ItemIndex(), 1);
  EXPECT_EQ(c->Text(), "zulu");
}

// The runtime's locale comparisons follow the collation of the locale named, whatever the
// machine's; a text is UTF-8 or else Windows-1252 ("\xc9" is É).
TEST_F(StdLists, LocaleComparisonsFollowTheCollation) {
  SetCollationLocale("de_DE");
  EXPECT_EQ(AnsiCompareText("\xc9", "\u00e9"), 0);
  EXPECT_EQ(AnsiCompareStr("\u00c9", "\u00e9"), 1);
  EXPECT_EQ(AnsiCompareText("\u00f6", "z"), -1);
  SetCollationLocale("sv_SE");
  EXPECT_EQ(AnsiCompareText("\u00f6", "z"), 1) << "Swedish puts \u00f6 after z";
  SetCollationLocale("");
}

TEST_F(StdLists, ListBoxSingleAndMultipleSelection) {
  auto* l = Make<TListBox>();
  Fill(l->Items());
  int clicks = 0;
  l->OnClick = [&](TObject*) { ++clicks; };
  l->SetItemIndex(1);
  EXPECT_TRUE(l->Selected(1));
  EXPECT_EQ(clicks, 0);
  EXPECT_THROW(l->Selected(3), EListError);
  static_cast<QListWidget*>(l->Peer())->setCurrentRow(2);
  EXPECT_EQ(l->ItemIndex(), 2) << "a choice in the window comes back";
  EXPECT_GE(clicks, 1);
  auto* view = static_cast<QListWidget*>(l->Peer());
  QRect row0 = view->visualItemRect(view->item(0));
  clicks = 0;
  StdClick(view->viewport(), row0.center().x(), row0.center().y());
  EXPECT_EQ(l->ItemIndex(), 0) << "a mouse click on an item chooses it";
  EXPECT_GE(clicks, 1);
  TRect r1 = l->ItemRect(1);
  EXPECT_EQ(r1.Left, 0) << "client positions start inside the border";
  EXPECT_EQ(l->ItemAtPos(TPoint((r1.Left + r1.Right) / 2, r1.Top), true), 1);
  EXPECT_EQ(l->ItemAtPos(TPoint((r1.Left + r1.Right) / 2, r1.Bottom - 1), true), 1);
  int doubles = 0;
  l->OnDblClick = [&](TObject*) { ++doubles; };
  QPointF at = row0.center();
  QMouseEvent dbl(QEvent::MouseButtonDblClick, at, view->viewport()->mapToGlobal(at), Qt::LeftButton,
                  Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(view->viewport(), &dbl);
  EXPECT_EQ(doubles, 1);
  int downY = -1;
  l->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int y) { downY = y; };
  StdClick(view->viewport(), 5, r1.Top + 2);
  EXPECT_EQ(downY, r1.Top + 2) << "mouse events reach the list's handlers in client positions";
  EXPECT_EQ(l->ItemIndex(), 1);

  l->SetMultiSelect(true);
  l->ClearSelection();
  l->UserClickItem(0);
  l->UserClickItem(2, ssShift);
  EXPECT_EQ(l->SelCount(), 3);
  l->UserClickItem(1, ssCtrl);
  EXPECT_FALSE(l->Selected(1));
  EXPECT_EQ(l->SelCount(), 2);
  EXPECT_TRUE(static_cast<QListWidget*>(l->Peer())->item(2)->isSelected());
  l->Items()->Delete(2);
  EXPECT_EQ(l->SelCount(), 1);
}

TEST_F(StdLists, ScrollBarLimitsAndScrollActions) {
  auto* s = Make<TScrollBar>();
  int changes = 0;
  s->OnChange = [&](TObject*) { ++changes; };
  EXPECT_THROW(s->SetParams(0, 10, 5), EInvalidOperation);
  s->SetParams(150, 0, 100);
  EXPECT_EQ(s->Position(), 100);
  EXPECT_EQ(changes, 1);
  s->SetLargeChange(30);
  s->Scroll(scPageUp);
  EXPECT_EQ(s->Position(), 70);
  s->OnScroll = [](TObject*, TScrollCode code, int& pos) {
    if (code == scLineDown) pos = 5;
  };
  s->Scroll(scLineDown);
  EXPECT_EQ(s->Position(), 5) << "OnScroll may move the position elsewhere";
  s->Scroll(scBottom);
  EXPECT_EQ(s->Position(), 100);
}

TEST_F(StdLists, UpDownStepsItsAssociate) {
  auto* e = Make<TEdit>();
  auto* u = new TUpDown(form_);
  u->SetParent(form_);
  u->SetMin(0);
  u->SetMax(1200);
  u->SetIncrement(500);
  int oldWidth = e->Width();
  u->SetAssociate(e);
  EXPECT_EQ(e->Text(), "0");
  EXPECT_EQ(u->Left(), e->Left() + e->Width());
  EXPECT_EQ(e->Width(), oldWidth - u->Width());
  std::string log;
  u->OnClick = [&](TObject*, TUDBtnType b) { log += b == btNext ? "up " : "down "; };
  u->Step(btNext);
  u->Step(btNext);
  EXPECT_EQ(e->Text(), "1,000");
  u->Step(btNext);
  EXPECT_EQ(u->Position(), 1200) << "no wrap: stays at the maximum";
  u->SetWrap(true);
  u->Step(btNext);
  EXPECT_EQ(u->Position(), 0);
  e->SetText("700");
  StdKey(e, Qt::Key_Down);
  EXPECT_EQ(u->Position(), 200) << "the associate's number and arrow keys are used";
  StdClick(u->Peer(), u->Width() / 2, 3);
  EXPECT_EQ(u->Position(), 700) << "a click on the upper arrow";
  u->OnChanging = [](TObject*, bool& allow) { allow = false; };
  u->Step(btNext);
  EXPECT_EQ(u->Position(), 700);
  EXPECT_EQ(log, "up up up up down up ");
  delete u;
  StdKey(e, Qt::Key_Down);
  EXPECT_EQ(e->Text(), "700") << "the associate is let go with its up-down";
}

TEST_F(StdLists, TrackBarProgressBarAndGaugeKeepTheirRanges) {
  auto* t = Make<TTrackBar>();
  int changes = 0;
  t->OnChange = [&](TObject*) { ++changes; };
  t->SetPosition(20);
  EXPECT_EQ(t->Position(), 10);
  EXPECT_EQ(changes, 1);
  static_cast<QSlider*>(t->Peer())->setValue(4);
  EXPECT_EQ(t->Position(), 4);
  EXPECT_EQ(changes, 2);

  auto* p = Make<TProgressBar>();
  p->SetStep(40);
  p->StepIt();
  p->StepIt();
  EXPECT_EQ(p->Position(), 80);
  p->StepIt();
  EXPECT_EQ(p->Position(), 0) << "stepping past the end starts again";
  p->StepBy(250);
  EXPECT_EQ(p->Position(), 100);

  TGauge g(nullptr);
  g.SetMaxValue(300);
  g.SetProgress(299);
  EXPECT_EQ(g.PercentDone(), 99);
  g.AddProgress(5);
  EXPECT_EQ(g.Progress(), 300);
  g.SetMinValue(300);
  EXPECT_EQ(g.PercentDone(), 0) << "an empty range is no division by zero";
}

}  // namespace

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/FormImage.h"
#include "platform/gui/QtBridge.h"

namespace {

TEST_F(StdLists, OwnerDrawnListPaintsItemsThroughItsCanvas) {
  auto* l = Make<TListBox>();
  l->SetStyle(lbOwnerDrawFixed);
  l->SetItemHeight(12);
  l->SetBorderStyle(bsNone);
  l->SetBounds(10, 10, 100, 60);
  Fill(l->Items());
  l->SetItemIndex(2);
  std::vector<std::pair<int, TOwnerDrawState>> drawn;
  l->OnDrawItem = [&](TWinControl* c, int index, TRect r, TOwnerDrawState state) {
    EXPECT_EQ(c, l);
    drawn.emplace_back(index, state);
    EXPECT_EQ(r.Bottom - r.Top, 12) << "fixed item height";
    l->Canvas()->Brush()->SetColor(index == 1 ? clLime : clWhite);
    l->Canvas()->FillRect(r);
  };
  form_->Show();
  QImage img = RenderControlImage(form_);
  ASSERT_FALSE(drawn.empty());
  bool selectedSeen = false;
  for (auto& d : drawn)
    if (d.first == 2) selectedSeen = (d.second & odSelected) != 0;
  EXPECT_TRUE(selectedSeen) << "the chosen item is drawn selected";
  TPoint o = l->ClientOrigin(), f = form_->ClientOrigin();
  EXPECT_EQ(img.pixelColor(o.X - f.X + 50, o.Y - f.Y + 12 + 6), ToQColor(clLime)) << "item 1 in its row";
  EXPECT_EQ(img.pixelColor(o.X - f.X + 50, o.Y - f.Y + 6), ToQColor(clWhite));
  EXPECT_EQ(l->ItemAtPos(TPoint(50, 12 + 6), true), 1);
  EXPECT_EQ(l->ItemAtPos(TPoint(50, 55), true), -1);
  EXPECT_EQ(l->ItemAtPos(TPoint(50, 55), false), 3);
}

TEST_F(StdLists, ScrollBoxScrollsAControlIntoView) {
  auto* box = Make<TScrollBox>();
  box->SetBounds(10, 10, 100, 80);
  auto* far = new TButton(form_);
  far->SetParent(box);
  far->SetBounds(20, 200, 60, 25);
  EXPECT_EQ(box->VertScrollBar()->Range(), 225);
  box->ScrollInView(far);
  EXPECT_EQ(box->VertScrollBar()->Position(), 225 - 76) << "the bottom of the control at the bottom of the view";
  box->VertScrollBar()->SetPosition(0);
  box->VertScrollBar()->SetPosition(1000);
  EXPECT_EQ(box->VertScrollBar()->Position(), 225 - 76) << "the view never passes the range";
  auto* near = new TButton(form_);
  near->SetParent(box);
  near->SetBounds(0, 0, 20, 20);
  box->ScrollInView(near);
  EXPECT_EQ(box->VertScrollBar()->Position(), 0);
}

// A wheel no handler takes scrolls the box; at an end it is left to the parent.
TEST_F(StdLists, TheWheelScrollsABoxUntilItsEnds) {
  auto* box = Make<TScrollBox>();
  box->SetBounds(10, 10, 100, 80);
  auto* far = new TButton(form_);
  far->SetParent(box);
  far->SetBounds(20, 200, 60, 25);
  const int last = box->VertScrollBar()->Range() - 76, notch = 3 * box->VertScrollBar()->Increment;
  ASSERT_EQ(QApplication::wheelScrollLines(), 3);
  bool handlerTakes = false;
  box->OnMouseWheel = [&](TObject*, TShiftState, int, TPoint, bool& handled) { handled = handlerTakes; };
  QWidget* w = box->ClientWidget();
  auto wheel = [&](int delta, Qt::KeyboardModifiers mods) {
    QWheelEvent e(QPointF(3, 3), w->mapToGlobal(QPointF(3, 3)), QPoint(), QPoint(0, delta), Qt::NoButton, mods,
                  Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w, &e);
    return e.isAccepted();
  };
  struct {
    int Delta, From, To;
    Qt::KeyboardModifiers Mods;
    bool Handler, Taken;
  } cases[] = {
      {-120, 0, notch, Qt::NoModifier, false, true},
      {-120, notch, 2 * notch, Qt::NoModifier, false, true},
      {120, notch, 0, Qt::NoModifier, false, true},
      {120, 0, 0, Qt::NoModifier, false, false},          // at the top: the parent's
      {-120, last, last, Qt::NoModifier, false, false},   // at the bottom
      {-120 * 100, 0, last, Qt::NoModifier, false, true},  // a fast spin stops at the end
      {-30, 0, notch / 4, Qt::NoModifier, false, true},    // a fine wheel moves a share
      {-120, 0, 0, Qt::ShiftModifier, false, false},       // sideways: nothing to scroll
      {-120, 0, 0, Qt::NoModifier, true, true},            // a handler took it
  };
  for (const auto& c : cases) {
    box->VertScrollBar()->SetPosition(c.From);
    handlerTakes = c.Handler;
    EXPECT_EQ(wheel(c.Delta, c.Mods), c.Taken) << c.Delta << " from " << c.From;
    EXPECT_EQ(box->VertScrollBar()->Position(), c.To) << c.Delta << " from " << c.From;
  }
}

}  // namespace
