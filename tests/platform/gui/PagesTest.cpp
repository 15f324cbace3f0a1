// Page control with visible and hidden tabs, check list box and shape.
#include <QComboBox>
#include <QListWidget>
#include <QStyle>
#include <QStyleOptionViewItem>

#include "platform/gui/CheckLst.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/RecordingCanvas.h"
#include "tests/platform/gui/StdCtrlsTestSupport.h"

namespace {

class Pages : public TGuiTest {
 protected:
  // A page control of three pages "One", "Two", "Three" with a button on each.
  void Build(TTabStyle Style) {
    form_ = StdForm(400, 300);
    pc_ = new TPageControl(form_);
    pc_->SetParent(form_);
    pc_->SetBounds(10, 10, 300, 200);
    pc_->SetStyle(Style);
    for (const char* caption : {"One", "Two", "Three"}) {
      auto* sheet = new TTabSheet(form_);
      sheet->SetPageControl(pc_);
      sheet->SetCaption(caption);
      auto* b = new TButton(form_);
      b->SetParent(sheet);
      b->SetBounds(10, 10, 75, 25);
      b->SetCaption(caption);
      sheets_.push_back(sheet);
      buttons_.push_back(b);
    }
    pc_->OnChanging = [this](TObject*, bool& allow) {
      log_ += "changing ";
      allow = allow_;
    };
    pc_->OnChange = [this](TObject*) { log_ += "change:" + std::to_string(pc_->ActivePageIndex()) + " "; };
    form_->Show();
  }
  void ClickAt(int x, int y) { StdClick(pc_->Peer(), x, y); }
  void ClickTab(int tab) {
    TRect r = pc_->TabRect(tab);
    ASSERT_LT(r.Left, r.Right);
    ClickAt((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  int Shown() const {
    int n = -1, count = 0;
    for (size_t i = 0; i < sheets_.size(); ++i)
      if (sheets_[i]->Visible() && sheets_[i]->Peer() && sheets_[i]->Peer()->isVisible()) n = static_cast<int>(i), ++count;
    return count == 1 ? n : -1 - count;
  }

  TForm* form_ = nullptr;
  TPageControl* pc_ = nullptr;
  std::vector<TTabSheet*> sheets_;
  std::vector<TButton*> buttons_;
  std::string log_;
  bool allow_ = true;
};

TEST_F(Pages, ProgramChoosesPagesWithoutEventsAndOnlyTheActiveOneShows) {
  Build(tsTabs);
  EXPECT_EQ(pc_->PageCount(), 3);
  EXPECT_EQ(pc_->ActivePage(), nullptr) << "no page is active until one is chosen";
  EXPECT_EQ(Shown(), -1) << "and none shows";
  std::string shows;
  for (TTabSheet* s : sheets_) {
    s->OnShow = [&, s](TObject*) { shows += "show:" + s->Caption() + " "; };
    s->OnHide = [&, s](TObject*) { shows += "hide:" + s->Caption() + " "; };
  }
  pc_->SetActivePageIndex(1);
  EXPECT_EQ(pc_->ActivePage(), sheets_[1]);
  EXPECT_EQ(Shown(), 1);
  pc_->SetActivePage(sheets_[2]);
  EXPECT_EQ(Shown(), 2);
  EXPECT_EQ(shows, "show:Two hide:Two show:Three ");
  EXPECT_EQ(log_, "") << "the program's choices ask nobody and announce nothing";

  auto* stranger = new TTabSheet(form_);
  pc_->SetActivePage(stranger);
  EXPECT_EQ(pc_->ActivePage(), nullptr) << "a page of no page control cannot be active here";
  pc_->SetActivePageIndex(1);
  pc_->SetActivePageIndex(7);
  EXPECT_EQ(pc_->ActivePageIndex(), -1);
  EXPECT_EQ(Shown(), -1);
  EXPECT_THROW(pc_->Pages(3), EListError);
  EXPECT_THROW(pc_->Pages(-1), EListError);

  pc_->SetActivePageIndex(0);
  TRect d = pc_->DisplayRect();
  for (TTabSheet* s : sheets_) EXPECT_EQ(s->BoundsRect(), d) << "every page lies on the display area";
  EXPECT_GT(d.Top, pc_->TabRect(0).Bottom) << "below the tabs";
}

TEST_F(Pages, UserClicksAndArrowsAskFirstAndAnnounceAfter) {
  Build(tsTabs);
  pc_->SetActivePageIndex(0);
  ClickTab(2);
  EXPECT_EQ(pc_->ActivePageIndex(), 2);
  EXPECT_EQ(log_, "changing change:2 ");
  EXPECT_EQ(Shown(), 2);

  log_.clear();
  allow_ = false;
  ClickTab(0);
  EXPECT_EQ(pc_->ActivePageIndex(), 2) << "OnChanging refused";
  EXPECT_EQ(log_, "changing ");

  log_.clear();
  ClickTab(2);
  EXPECT_EQ(log_, "") << "a click on the active tab asks nothing";

  allow_ = true;
  sheets_[1]->SetTabVisible(false);
  EXPECT_EQ(pc_->VisibleTabCount(), 2);
  EXPECT_EQ(sheets_[2]->TabIndex(), 1);
  EXPECT_EQ(sheets_[1]->TabIndex(), -1);
  pc_->SetFocus();
  log_.clear();
  StdKey(pc_, Qt::Key_Left);
  EXPECT_EQ(pc_->ActivePageIndex(), 0) << "the arrow skips the hidden tab";
  StdKey(pc_, Qt::Key_Left);
  EXPECT_EQ(pc_->ActivePageIndex(), 0) << "and stops at the first";
  EXPECT_EQ(log_, "changing change:0 ");
  StdKey(pc_, Qt::Key_Right);
  EXPECT_EQ(pc_->ActivePageIndex(), 2);
  StdKey(pc_, Qt::Key_Right);
  EXPECT_EQ(pc_->ActivePageIndex(), 2);

  EXPECT_EQ(pc_->FindNextPage(sheets_[2], true, true), sheets_[0]) << "wraps round";
  EXPECT_EQ(pc_->FindNextPage(sheets_[0], true, true), sheets_[2]);
  EXPECT_EQ(pc_->FindNextPage(sheets_[0], true, false), sheets_[1]);
}

TEST_F(Pages, HiddenFlatButtonsGiveThePagesTheWholeControlAndNoWayToSwitch) {
  Build(tsFlatButtons);
  for (TTabSheet* s : sheets_) s->SetTabVisible(false);
  pc_->SetActivePageIndex(0);
  EXPECT_EQ(pc_->DisplayRect(), TRect(0, 0, 300, 200));
  EXPECT_EQ(sheets_[0]->BoundsRect(), TRect(0, 0, 300, 200));
  EXPECT_EQ(pc_->VisibleTabCount(), 0);
  EXPECT_EQ(pc_->TabIndex(), -1);
  EXPECT_EQ(pc_->TabRect(0), TRect());
  EXPECT_EQ(pc_->IndexOfTabAt(5, 5), -1);

  // Where a tab would be, the page's own control takes the click.
  int clicks = 0;
  buttons_[0]->SetBounds(0, 0, 75, 25);
  buttons_[0]->OnClick = [&](TObject*) { ++clicks; };
  StdClick(buttons_[0]);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(pc_->ActivePageIndex(), 0);
  pc_->SetFocus();
  StdKey(pc_, Qt::Key_Right);
  pc_->SelectNextPage(true);
  EXPECT_EQ(pc_->ActivePageIndex(), 0) << "no key or user step reaches a hidden page";
  EXPECT_EQ(log_, "");
  pc_->SetActivePageIndex(2);
  EXPECT_EQ(Shown(), 2) << "the program still moves between hidden pages";

  sheets_[0]->SetTabVisible(true);
  EXPECT_GT(pc_->DisplayRect().Top, 0) << "a visible button takes its row";
  pc_->SetStyle(tsTabs);
  sheets_[0]->SetTabVisible(false);
  EXPECT_EQ(pc_->DisplayRect(), TRect(4, 4, 296, 196)) << "the tab style keeps its frame";
}

TEST_F(Pages, FocusInsideTheOldPageMovesToTheNewOne) {
  Build(tsTabs);
  pc_->SetActivePageIndex(0);
  buttons_[0]->SetFocus();
  EXPECT_EQ(form_->ActiveControl(), buttons_[0]);
  pc_->SetActivePageIndex(1);
  EXPECT_EQ(form_->ActiveControl(), buttons_[1]);
  buttons_[2]->SetTabStop(false);
  pc_->SetActivePageIndex(2);
  EXPECT_EQ(form_->ActiveControl(), pc_) << "a page without a tab stop leaves the focus on the page control";

  StdKey(pc_, Qt::Key_Tab);
  EXPECT_EQ(form_->ActiveControl(), pc_) << "Tab reaches no control of a hidden page";
}

TEST_F(Pages, PagesMoveLeaveAndDie) {
  Build(tsTabs);
  pc_->SetActivePageIndex(1);
  sheets_[2]->SetPageIndex(0);
  EXPECT_EQ(pc_->Pages(0), sheets_[2]);
  EXPECT_EQ(sheets_[1]->PageIndex(), 2);
  EXPECT_EQ(pc_->ActivePageIndex(), 2);

  delete sheets_[1];
  EXPECT_EQ(pc_->PageCount(), 2);
  EXPECT_EQ(pc_->ActivePage(), sheets_[2]) << "the next page becomes active when the active one goes";
  EXPECT_TRUE(sheets_[2]->Visible());

  sheets_[0]->SetPageControl(nullptr);
  EXPECT_EQ(pc_->PageCount(), 1);
  EXPECT_EQ(sheets_[0]->PageIndex(), -1);
  EXPECT_EQ(sheets_[0]->Parent(), nullptr);
  sheets_[0]->SetParent(pc_);
  EXPECT_EQ(pc_->Pages(1), sheets_[0]) << "a page given the page control as parent joins it";

  delete pc_;  // takes its pages with it
  EXPECT_EQ(form_->ControlCount(), 0);
}

// ---------------------------------------------------------------- check list box
class CheckList : public TGuiTest {
 protected:
  TCheckListBox* Make() {
    form_ = StdForm(300, 200);
    auto* c = new TCheckListBox(form_);
    c->SetParent(form_);
    c->SetBounds(10, 10, 200, 150);
    form_->Show();
    return c;
  }
  static QListWidget* List(TCheckListBox* c) { return static_cast<QListWidget*>(c->Peer()); }
  static Qt::CheckState Shown(TCheckListBox* c, int i) { return List(c)->item(i)->checkState(); }
  // A real click in the middle of a line's check box.
  static void ClickBox(TCheckListBox* c, int i) {
    QListWidget* l = List(c);
    QStyleOptionViewItem opt;
    opt.initFrom(l);
    opt.rect = l->visualItemRect(l->item(i));
    opt.features |= QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    opt.text = l->item(i)->text();
    QRect box = l->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, l);
    ASSERT_FALSE(box.isEmpty());
    StdClick(l->viewport(), box.center().x(), box.center().y());
  }
  TForm* form_ = nullptr;
};

TEST_F(CheckList, LineStatesTravelWithTheirLines) {
  TCheckListBox* c = Make();
  for (const char* s : {"delta", "alpha", "charlie", "bravo"}) c->Items()->Add(s);
  c->SetChecked(0, true);      // delta
  c->SetItemEnabled(2, false); // charlie
  c->SetItemData(3, 33);       // bravo
  c->SetState(1, cbGrayed);    // alpha

  c->Items()->Insert(0, "echo");
  EXPECT_FALSE(c->Checked(0)) << "a new line starts unchecked";
  EXPECT_TRUE(c->ItemEnabled(0));
  EXPECT_EQ(c->ItemData(0), 0);
  EXPECT_TRUE(c->Checked(1));
  EXPECT_EQ(c->State(2), cbGrayed);
  EXPECT_FALSE(c->ItemEnabled(3));
  EXPECT_EQ(c->ItemData(4), 33);

  c->Items()->Delete(0);
  c->SetSorted(true);
  ASSERT_EQ(c->Items()->Text(), "alpha\r\nbravo\r\ncharlie\r\ndelta\r\n");
  EXPECT_EQ(c->State(0), cbGrayed);
  EXPECT_EQ(c->ItemData(1), 33);
  EXPECT_FALSE(c->ItemEnabled(2));
  EXPECT_TRUE(c->Checked(3));
  int at = c->Items()->Add("baker");
  EXPECT_EQ(at, 1) << "a sorted list puts the line in its place";
  EXPECT_EQ(c->ItemData(2), 33) << "and the others keep theirs";
  EXPECT_FALSE(c->Checked(1));

  c->SetSorted(false);
  c->Items()->Exchange(0, 4);  // delta <-> alpha
  EXPECT_TRUE(c->Checked(0));
  EXPECT_EQ(c->State(4), cbGrayed);
  c->Items()->Move(0, 3);
  EXPECT_EQ(c->Items()->Get(3), "delta");
  EXPECT_TRUE(c->Checked(3));
  EXPECT_FALSE(c->ItemEnabled(2)) << "charlie moved up by one";

  // The window shows the same.
  QListWidget* l = List(c);
  ASSERT_EQ(l->count(), 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(l->item(i)->text().toStdString(), c->Items()->Get(i));
    Qt::CheckState want = c->State(i) == cbChecked ? Qt::Checked : c->State(i) == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked;
    EXPECT_EQ(l->item(i)->checkState(), want) << i;
    EXPECT_EQ(bool(l->item(i)->flags() & Qt::ItemIsEnabled), c->ItemEnabled(i)) << i;
    EXPECT_EQ(l->item(i)->foreground().style() != Qt::NoBrush, !c->ItemEnabled(i)) << "a disabled line is grey " << i;
  }

  c->Items()->Clear();
  EXPECT_EQ(c->Count(), 0);
  EXPECT_THROW(c->Checked(0), EListError);
  EXPECT_THROW(c->SetItemEnabled(-1, true), EListError);
  EXPECT_THROW(c->SetItemData(1, 0), EListError);
}

TEST_F(CheckList, ABatchOfLinesIsShownOnceWhenItEnds) {
  TCheckListBox* c = Make();
  auto* list = new TListBox(form_);
  list->SetParent(form_);
  auto* combo = new TComboBox(form_);
  combo->SetParent(form_);
  QListWidget* l = List(c);
  for (TStrings* items : {c->Items(), list->Items(), combo->Items()}) items->BeginUpdate();
  for (int i = 0; i < 3; ++i) {
    const std::string text = "line " + std::to_string(i);
    int at = c->Items()->Add(text);
    c->SetChecked(at, i != 1);
    c->SetItemEnabled(at, i != 2);
    list->Items()->Add(text);
    combo->Items()->Add(text);
  }
  EXPECT_EQ(l->count(), 0) << "nothing is shown while the batch runs";
  EXPECT_EQ(static_cast<QListWidget*>(list->Peer())->count(), 0);
  EXPECT_EQ(static_cast<QComboBox*>(combo->Peer())->count(), 0);
  for (TStrings* items : {c->Items(), list->Items(), combo->Items()}) items->EndUpdate();
  ASSERT_EQ(l->count(), 3);
  EXPECT_EQ(static_cast<QListWidget*>(list->Peer())->count(), 3);
  EXPECT_EQ(static_cast<QComboBox*>(combo->Peer())->count(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(l->item(i)->text().toStdString(), "line " + std::to_string(i));
    EXPECT_EQ(Shown(c, i), i != 1 ? Qt::Checked : Qt::Unchecked) << i;
    EXPECT_EQ(bool(l->item(i)->flags() & Qt::ItemIsEnabled), i != 2) << i;
  }
  c->SetChecked(1, true);
  EXPECT_EQ(Shown(c, 1), Qt::Checked) << "outside a batch a change shows at once";
}

// The lines come into the shown list with their boxes, states and grey already set: the list
// hears of no item changing (each would cost it a pass over every line), whatever the batch held.
TEST_F(CheckList, AFilledListShowsItsLinesWithoutChangingThemInTheList) {
  TCheckListBox* c = Make();
  QListWidget* l = List(c);
  int changes = 0;
  QObject::connect(l->model(), &QAbstractItemModel::dataChanged, l, [&] { ++changes; });
  for (bool grayed : {false, true}) {
    SCOPED_TRACE(grayed);
    c->SetAllowGrayed(grayed);
    changes = 0;
    c->Items()->BeginUpdate();
    c->Items()->Clear();
    for (int i = 0; i < 30; ++i) {
      const int at = c->Items()->Add("line " + std::to_string(i));
      c->SetState(at, i % 3 == 0 ? cbChecked : i % 3 == 1 ? cbGrayed : cbUnchecked);
      c->SetItemEnabled(at, i % 4 != 0);
    }
    c->Items()->EndUpdate();
    EXPECT_EQ(changes, 0);
    ASSERT_EQ(l->count(), 30);
    for (int i = 0; i < 30; ++i) {
      EXPECT_EQ(Shown(c, i), i % 3 == 0 ? Qt::Checked : i % 3 == 1 ? Qt::PartiallyChecked : Qt::Unchecked) << i;
      EXPECT_EQ(bool(l->item(i)->flags() & Qt::ItemIsEnabled), i % 4 != 0) << i;
      EXPECT_EQ(bool(l->item(i)->flags() & Qt::ItemIsUserTristate), grayed) << i;
      EXPECT_EQ(l->item(i)->foreground().style() != Qt::NoBrush, i % 4 == 0) << i;
    }
  }
  // Selected lines stay selected, the others not, when the list is filled anew.
  c->SetMultiSelect(true);
  c->SetSelected(2, true);
  c->SetSelected(5, true);
  c->Items()->Add("one more");
  ASSERT_EQ(l->count(), 31);
  for (int i = 0; i < 31; ++i) EXPECT_EQ(l->item(i)->isSelected(), i == 2 || i == 5) << i;
}

TEST_F(CheckList, TheUserTogglesEnabledLinesOnly) {
  TCheckListBox* c = Make();
  for (const char* s : {"one", "two", "three"}) c->Items()->Add(s);
  int checks = 0, clicks = 0;
  c->OnClickCheck = [&](TObject*) { ++checks; };
  c->SetChecked(1, true);
  c->SetItemEnabled(1, false);
  EXPECT_EQ(checks, 0) << "the program's changes fire no OnClickCheck";

  ClickBox(c, 0);
  EXPECT_TRUE(c->Checked(0));
  EXPECT_EQ(Shown(c, 0), Qt::Checked);
  EXPECT_EQ(checks, 1);
  ClickBox(c, 0);
  EXPECT_FALSE(c->Checked(0));
  EXPECT_EQ(checks, 2);

  ClickBox(c, 1);
  EXPECT_TRUE(c->Checked(1)) << "a disabled line stays checked";
  EXPECT_EQ(Shown(c, 1), Qt::Checked);
  EXPECT_EQ(checks, 2);

  c->OnClick = [&](TObject*) { ++clicks; };
  c->SetItemIndex(2);
  c->SetFocus();
  StdKey(c, Qt::Key_Space, " ");
  EXPECT_TRUE(c->Checked(2)) << "the space bar toggles the current line";
  EXPECT_EQ(checks, 3);

  c->SetAllowGrayed(true);
  ClickBox(c, 0);
  EXPECT_EQ(c->State(0), cbGrayed);
  EXPECT_EQ(Shown(c, 0), Qt::PartiallyChecked);
  ClickBox(c, 0);
  EXPECT_EQ(c->State(0), cbChecked);
  ClickBox(c, 0);
  EXPECT_EQ(c->State(0), cbUnchecked);
  EXPECT_EQ(checks, 6);
}

// ---------------------------------------------------------------- shape
class Shapes : public TGuiTest {};

class TRecordedShape : public TShape {
 public:
  explicit TRecordedShape(TComponent* owner) : TShape(owner) { Canvas()->SetBackend(&Rec, TSize{1000, 1000}); }
  ~TRecordedShape() override { Canvas()->SetBackend(nullptr); }
  TCanvasOp PaintOnce() {
    Rec.Ops.clear();
    Paint();
    EXPECT_EQ(Rec.Ops.size(), 1u);
    return Rec.Ops.empty() ? TCanvasOp() : Rec.Ops.back();
  }
  TRecordingCanvasBackend Rec;
};

TEST_F(Shapes, FiguresStayInsideTheBoundsWithTheirPen) {
  TForm* f = StdForm();
  auto* s = new TRecordedShape(f);
  s->SetParent(f);
  s->SetBounds(0, 0, 100, 60);
  TCanvasOp op = s->PaintOnce();
  EXPECT_EQ(op.Kind, okRectangle);
  EXPECT_EQ(op.R, TRect(0, 0, 100, 60));
  EXPECT_EQ(op.BrushColor, clWhite);

  s->Pen()->SetWidth(5);
  s->Pen()->SetColor(clRed);
  op = s->PaintOnce();
  EXPECT_EQ(op.R, TRect(2, 2, 98, 58)) << "a wide pen is drawn inside";
  EXPECT_EQ(op.Pen.Color, clRed);

  s->Pen()->SetWidth(0);
  s->Brush()->SetStyle(bsClear);
  op = s->PaintOnce();
  EXPECT_EQ(op.R, TRect(0, 0, 100, 60));
  EXPECT_EQ(op.BrushStyle, bsClear) << "a clear brush leaves a frame only";

  s->Pen()->SetWidth(1);
  s->SetShape(stCircle);
  op = s->PaintOnce();
  EXPECT_EQ(op.Kind, okEllipse);
  EXPECT_EQ(op.R, TRect(20, 0, 80, 60)) << "a circle is centred in the longer side";
  s->SetBounds(0, 0, 40, 100);
  s->SetShape(stSquare);
  op = s->PaintOnce();
  EXPECT_EQ(op.R, TRect(0, 30, 40, 70));
  s->SetShape(stRoundRect);
  EXPECT_EQ(s->PaintOnce().Kind, okRoundRect);
}

}  // namespace
