// Control and form state: visibility, enabling, z-order, sizes, positions and
// the canvas's own state kept across operations.
#include <gtest/gtest.h>

#include <QWidget>

#include "GuiProbes.h"
#include "platform/gui/Menus.h"
#include "platform/gui/RecordingCanvas.h"
#include "platform/gui/testing/GuiTest.h"

namespace {

class State : public TGuiTest {};

TEST_F(State, VisibleAndEnabledReachThePeerAndShowingFollowsTheParents) {
  auto* f = new TForm(Application);
  auto* panel = new TProbe(f);
  panel->SetParent(f);
  auto* inner = new TProbe(f);
  inner->SetParent(panel);
  f->Show();
  EXPECT_TRUE(inner->Showing());
  panel->SetVisible(false);
  EXPECT_FALSE(inner->Showing()) << "hidden with its parent";
  EXPECT_TRUE(inner->Visible());
  EXPECT_FALSE(panel->Peer()->isVisibleTo(f->ClientWidget()));
  panel->SetVisible(true);
  inner->SetEnabled(false);
  EXPECT_FALSE(inner->Peer()->isEnabled());
  EXPECT_FALSE(inner->CanFocus());
  inner->SetEnabled(true);
  panel->SetEnabled(false);
  EXPECT_FALSE(inner->CanFocus()) << "a disabled parent stops its children taking the focus";
  TProbe stray(nullptr);
  EXPECT_THROW(f->SetActiveControl(&stray), EInvalidOperation) << "a control of no form";
}

TEST_F(State, ZOrderDecidesWhichGraphicControlTheMouseFinds) {
  auto* f = new TForm(Application);
  f->SetClientSize(100, 100);
  auto* a = new TGraphicProbe(f);
  auto* b = new TGraphicProbe(f);
  a->SetBounds(0, 0, 50, 50);
  b->SetBounds(25, 25, 50, 50);
  a->SetParent(f);
  b->SetParent(f);
  EXPECT_EQ(f->ControlAtPos(TPoint(30, 30), false), b) << "the later one is on top";
  a->BringToFront();
  EXPECT_EQ(f->ControlAtPos(TPoint(30, 30), false), a);
  a->SendToBack();
  EXPECT_EQ(f->ControlAtPos(TPoint(30, 30), false), b);
  b->SetEnabled(false);
  EXPECT_EQ(f->ControlAtPos(TPoint(30, 30), false), a) << "disabled controls are passed over";
  EXPECT_EQ(f->ControlAtPos(TPoint(30, 30), true), b);
  EXPECT_EQ(f->ControlAtPos(TPoint(90, 90), true), nullptr);
  b->SetParent(nullptr);
  EXPECT_EQ(f->ControlCount(), 1);
  delete b;
}

TEST_F(State, ConstraintsAutoSizeAndResizeEvents) {
  auto* f = new TForm(Application);
  struct TAuto : public TProbe {
    using TProbe::TProbe;
    bool CanAutoSize(int& w, int& h) override {
      w = 33;
      h = 7;
      return true;
    }
  };
  auto* a = new TAuto(f);
  a->SetParent(f);
  int resizes = 0;
  a->OnResize = [&](TObject*) { ++resizes; };
  a->SetBounds(1, 2, 100, 100);
  EXPECT_EQ(resizes, 1);
  a->SetAutoSize(true);
  EXPECT_EQ(a->BoundsRect(), TRect(1, 2, 34, 9)) << "the automatic size takes effect at once";
  a->SetBounds(5, 5, 200, 200);
  EXPECT_EQ(a->Width(), 33);
  a->SetAutoSize(false);
  a->Constraints()->MinWidth = 20;
  a->Constraints()->MaxHeight = 15;
  a->SetBounds(0, 0, 5, 50);
  EXPECT_EQ(a->Width(), 20);
  EXPECT_EQ(a->Height(), 15);
  int before = resizes;
  a->SetBounds(3, 3, 20, 15);
  EXPECT_EQ(resizes, before) << "a move without a size change is no resize";
}

TEST_F(State, CoordinatesBetweenClientAndScreen) {
  auto* f = new TForm(Application);
  f->SetBounds(100, 50, 300, 200);
  auto* p = new TProbe(f);
  p->SetBounds(10, 20, 50, 50);
  p->SetParent(f);
  auto* g = new TGraphicProbe(f);
  g->SetBounds(5, 6, 10, 10);
  g->SetParent(p);
  TPoint s = g->ClientToScreen(TPoint(1, 1));
  EXPECT_EQ(g->ScreenToClient(s), TPoint(1, 1));
  EXPECT_EQ(TPoint(s.X - p->ClientToScreen(TPoint(0, 0)).X, s.Y - p->ClientToScreen(TPoint(0, 0)).Y), TPoint(6, 7));
}

TEST_F(State, FormsKeepTheirCaptionClientSizeAndPosition) {
  auto* f = new TForm(Application);
  f->SetCaption("Velmaron");
  EXPECT_EQ(f->Peer()->windowTitle().toStdString(), "Velmaron");
  auto* m = new TMainMenu(f);
  auto* file = new TMenuItem(f);
  file->SetCaption("&File");
  m->Items()->Add(file);
  f->SetMenu(m);
  f->SetClientSize(400, 300);
  EXPECT_EQ(f->ClientWidth(), 400);
  EXPECT_EQ(f->ClientHeight(), 300);
  EXPECT_GT(f->Height(), 300) << "the menu bar is outside the client area";
  f->SetPosition(poScreenCenter);
  f->Show();
  EXPECT_EQ(f->Left(), (Screen->Width() - f->Width()) / 2);
  EXPECT_EQ(f->Top(), (Screen->Height() - f->Height()) / 2);
  auto* p = new TProbe(f);
  p->SetAlign(alClient);
  p->SetParent(f);
  EXPECT_EQ(p->BoundsRect(), TRect(0, 0, 400, 300));
  f->SetWindowState(wsMaximized);
  EXPECT_EQ(f->WindowState(), wsMaximized);
  f->SetWindowState(wsNormal);
}

TEST_F(State, TabOrderListsNestedControlsInOrder) {
  auto* f = new TForm(Application);
  auto* a = new TProbe(f);
  auto* box = new TProbe(f);
  auto* b = new TProbe(f);
  a->SetParent(f);
  box->SetParent(f);
  b->SetParent(box);
  auto* c = new TProbe(f);
  c->SetParent(f);
  c->SetTabOrder(0);
  EXPECT_EQ(c->TabOrder(), 0);
  EXPECT_EQ(a->TabOrder(), 1);
  std::vector<TWinControl*> list;
  f->GetTabOrderList(list);
  EXPECT_EQ(list, (std::vector<TWinControl*>{c, a, box, b}));
  c->SetTabOrder(99);
  EXPECT_EQ(c->TabOrder(), 2) << "an order past the end puts the control last";
}

TEST(CanvasState, ChangesReachTheBackendAndThePenFollowsText) {
  TRecordingCanvas c;
  c.Font()->SetHeight(-10);
  c.TextOut(0, 0, "ab");
  c.Font()->SetColor(clRed);
  c.TextOut(0, 20, "cd");
  TFont other;
  other.SetHeight(-30);
  c.SetFont(&other);
  c.TextOut(0, 40, "ef");
  auto t = c.OpsOf(okText);
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0].Font.Height, -10);
  EXPECT_EQ(t[1].Font.Color, clRed);
  EXPECT_EQ(t[2].Font.Height, -30) << "an assigned font reaches the backend";
  EXPECT_EQ(t[2].R.Right, 30);

  c.Clear();
  c.Font()->SetHeight(-10);
  c.TextOut(10, 5, "abc");
  c.LineTo(50, 5);
  auto l = c.OpsOf(okLine);
  ASSERT_EQ(l.size(), 1u);
  EXPECT_EQ(l[0].R, TRect(25, 5, 50, 5)) << "the line starts where the text ended";
}

TEST(CanvasState, ShapesAndTextRectRecordTheirGeometry) {
  TRecordingCanvas c;
  c.Pen()->SetColor(clNavy);
  c.Brush()->SetColor(clAqua);
  c.Polygon({TPoint(0, 0), TPoint(10, 0), TPoint(5, 8)});
  c.Ellipse(20, 20, 10, 10);
  c.Pie(0, 0, 10, 10, 10, 5, 5, 0);
  c.Rectangle(TRect(5, 5, 1, 1));
  auto ops = c.Ops();
  ASSERT_EQ(ops.size(), 4u);
  EXPECT_EQ(ops[0].Points.size(), 3u);
  EXPECT_EQ(ops[0].Pen.Color, clNavy);
  EXPECT_EQ(ops[1].R, TRect(10, 10, 20, 20)) << "corners are put in order";
  EXPECT_EQ(ops[2].Kind, okPie);
  EXPECT_EQ(ops[3].R, TRect(1, 1, 5, 5));

  c.Clear();
  c.TextRect(TRect(0, 0, 20, 10), 2, 1, "overlong text");
  ops = c.Ops();
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0].Kind, okFillRect) << "an opaque brush fills the whole rectangle";
  EXPECT_EQ(ops[0].R, TRect(0, 0, 20, 10));
  EXPECT_TRUE(ops[1].Clipped);
  EXPECT_EQ(ops[1].Clip, TRect(0, 0, 20, 10));
  EXPECT_FALSE(ops[1].Opaque);
  c.Clear();
  c.TextOut(0, 0, "x");
  EXPECT_FALSE(c.Ops()[0].Clipped) << "the text clip is removed afterwards";
}

TEST(Windows, SendMessageKeyStateAndAccelerators) {
  EXPECT_EQ(SendMessage(nullptr, WM_USER, 0, 0), 0);
  EXPECT_NE(RegisterWindowMessage("One"), RegisterWindowMessage("Two"));
  EXPECT_TRUE(IsAccel('F', "&File"));
  EXPECT_TRUE(IsAccel('x', "E&xit"));
  EXPECT_FALSE(IsAccel('F', "File"));
  EXPECT_FALSE(IsAccel('A', "Save && &Quit")) << "\"&&\" is a plain ampersand";
  EXPECT_TRUE(IsAccel('Q', "Save && &Quit"));
  EXPECT_EQ(StripHotkey("Save && &Quit"), "Save & Quit");
  EXPECT_EQ(GetShortHint("short|long"), "short");
  EXPECT_EQ(GetLongHint("only"), "only");
}

}  // namespace

namespace {

class TPaintCounter : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  int Paints = 0;

 protected:
  void Paint() override { ++Paints; }
};

TEST_F(State, DrawingOutsideAPaintMakesTheControlRepaint) {
  auto* f = new TForm(Application);
  f->SetClientSize(50, 50);
  auto* c = new TPaintCounter(f);
  c->SetBounds(0, 0, 20, 20);
  c->SetParent(f);
  f->Show();
  Application->ProcessMessages();
  int before = c->Paints;
  EXPECT_EQ(c->Canvas()->TextWidth("abc"), c->Canvas()->TextWidth("abc")) << "measuring works outside a paint";
  Application->ProcessMessages();
  EXPECT_EQ(c->Paints, before) << "measuring does not repaint";
  c->Canvas()->FillRect(TRect(0, 0, 5, 5));
  Application->ProcessMessages();
  EXPECT_GT(c->Paints, before);
}

}  // namespace
