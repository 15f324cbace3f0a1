#include <gtest/gtest.h>

#include <QGuiApplication>

#include <QApplication>
#include <QImage>
#include <QPalette>

#include "GuiProbes.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/FormImage.h"
#include "platform/gui/QtPeer.h"
#include "platform/gui/testing/GuiTest.h"

namespace {

class Controls : public TGuiTest {};

int32_t FromQColorForTest(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

TProbe* Child(TForm* f, TAlign a, int l, int t, int w, int h) {
  auto* p = new TProbe(f);
  p->SetBounds(l, t, w, h);
  p->SetAlign(a);
  p->SetParent(f);
  return p;
}

TEST_F(Controls, AlignFollowsTheLibraryOrderAndPositions) {
  auto* f = new TForm(Application);
  f->SetClientSize(200, 100);
  TProbe* top1 = Child(f, alTop, 0, 50, 10, 10);
  TProbe* top2 = Child(f, alTop, 0, 0, 10, 20);  // higher up: placed first
  TProbe* client = Child(f, alClient, 0, 0, 5, 5);
  TProbe* bottom = Child(f, alBottom, 0, 0, 10, 15);
  TProbe* left = Child(f, alLeft, 0, 0, 30, 10);
  TProbe* right = Child(f, alRight, 0, 0, 40, 10);
  EXPECT_EQ(top2->BoundsRect(), TRect(0, 0, 200, 20));
  EXPECT_EQ(top1->BoundsRect(), TRect(0, 20, 200, 30));
  EXPECT_EQ(bottom->BoundsRect(), TRect(0, 85, 200, 100));
  EXPECT_EQ(left->BoundsRect(), TRect(0, 30, 30, 85));
  EXPECT_EQ(right->BoundsRect(), TRect(160, 30, 200, 85));
  EXPECT_EQ(client->BoundsRect(), TRect(30, 30, 160, 85));

  f->SetClientSize(300, 200);
  EXPECT_EQ(bottom->BoundsRect(), TRect(0, 185, 300, 200));
  EXPECT_EQ(right->BoundsRect(), TRect(260, 30, 300, 185));
  EXPECT_EQ(client->BoundsRect(), TRect(30, 30, 260, 185));

  top1->SetVisible(false);
  EXPECT_EQ(client->BoundsRect(), TRect(30, 20, 260, 185)) << "a hidden control gives its room back";
}

TEST_F(Controls, AnchorsFollowTheParentOnResize) {
  auto* f = new TForm(Application);
  f->SetClientSize(200, 100);
  TProbe* corner = Child(f, alNone, 150, 80, 40, 10);
  corner->SetAnchors(akRight | akBottom);
  TProbe* wide = Child(f, alNone, 10, 10, 180, 10);
  wide->SetAnchors(akLeft | akRight | akTop);
  TProbe* floating = Child(f, alNone, 80, 40, 40, 20);
  floating->SetAnchors(0);
  TProbe* fixed = Child(f, alNone, 5, 50, 10, 10);

  f->SetClientSize(300, 150);
  EXPECT_EQ(corner->BoundsRect(), TRect(250, 130, 290, 140));
  EXPECT_EQ(wide->BoundsRect(), TRect(10, 10, 290, 20));
  EXPECT_EQ(floating->BoundsRect(), TRect(130, 65, 170, 85)) << "no anchor keeps the control centred";
  EXPECT_EQ(fixed->BoundsRect(), TRect(5, 50, 15, 60));

  f->SetClientSize(200, 100);
  EXPECT_EQ(corner->BoundsRect(), TRect(150, 80, 190, 90)) << "back to the size it was placed at";

  corner->SetLeft(10);  // placed by hand: the rule is taken again from here
  f->SetClientSize(220, 100);
  EXPECT_EQ(corner->Left(), 30);
}

TEST_F(Controls, MouseReachesGraphicChildrenWithCaptureAndClick) {
  auto* f = new TForm(Application);
  f->SetClientSize(100, 100);
  auto* g = new TGraphicProbe(f);
  g->SetBounds(10, 10, 20, 20);
  g->SetParent(f);
  int gClicks = 0, fClicks = 0, ups = 0;
  TPoint downAt;
  g->OnClick = [&](TObject*) { ++gClicks; };
  f->OnClick = [&](TObject*) { ++fClicks; };
  g->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) { downAt = TPoint(x, y); };
  g->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { ++ups; };
  f->Show();

  ClickAt(f, 15, 17);
  EXPECT_EQ(gClicks, 1);
  EXPECT_EQ(fClicks, 0);
  EXPECT_EQ(downAt, TPoint(5, 7)) << "coordinates are the child's own";

  SendMouse(f, QEvent::MouseButtonPress, 15, 15);
  EXPECT_EQ(GetCaptureControl(), g);
  SendMouse(f, QEvent::MouseButtonRelease, 80, 80);
  EXPECT_EQ(ups, 2) << "the captured control hears the release outside it";
  EXPECT_EQ(gClicks, 1) << "no click when released outside";
  EXPECT_EQ(GetCaptureControl(), nullptr);

  ClickAt(f, 70, 70);
  EXPECT_EQ(fClicks, 1);

  int dbl = 0;
  TShiftState dblShift = 0;
  g->OnDblClick = [&](TObject*) { ++dbl; };
  g->OnMouseDown = [&](TObject*, TMouseButton, TShiftState s, int, int) { dblShift = s; };
  ClickAt(f, 15, 15);
  SendMouse(f, QEvent::MouseButtonDblClick, 15, 15);
  SendMouse(f, QEvent::MouseButtonRelease, 15, 15);
  EXPECT_EQ(dbl, 1);
  EXPECT_TRUE(dblShift & ssDouble) << "the second press carries ssDouble";
  EXPECT_EQ(gClicks, 2) << "the double click's press does not click again";
}

TEST_F(Controls, MouseEnterAndLeaveReachGraphicChildren) {
  auto* f = new TForm(Application);
  f->SetClientSize(100, 100);
  auto* g = new TGraphicProbe(f);
  g->SetBounds(10, 10, 20, 20);
  g->SetParent(f);
  std::string hints;
  g->SetHint("short|long hint");
  Application->OnHint = [&](TObject*) { hints += "[" + Application->Hint() + "]"; };
  f->Show();
  SendMouse(f, QEvent::MouseMove, 50, 50);
  SendMouse(f, QEvent::MouseMove, 15, 15);
  SendMouse(f, QEvent::MouseMove, 16, 15);
  SendMouse(f, QEvent::MouseMove, 60, 60);
  EXPECT_EQ(g->Log, (std::vector<std::string>{"enter", "leave"}));
  EXPECT_EQ(hints, "[long hint][]");
  Application->OnHint = nullptr;
}

TEST_F(Controls, ParentFontAndColourFlowDownUntilSetOwn) {
  auto* f = new TForm(Application);
  auto* p = new TProbe(f);
  p->SetParent(f);
  auto* g = new TGraphicProbe(f);
  g->SetParent(p);
  g->SetParentColor(true);
  f->Font()->SetHeight(-20);
  EXPECT_EQ(p->Font()->Height(), -20);
  EXPECT_EQ(g->Font()->Height(), -20);
  p->SetColor(clYellow);
  EXPECT_EQ(g->Color(), clYellow);
  g->Font()->SetHeight(-9);
  EXPECT_FALSE(g->ParentFont());
  f->Font()->SetHeight(-30);
  EXPECT_EQ(p->Font()->Height(), -30);
  EXPECT_EQ(g->Font()->Height(), -9);
}

// Hears every mode it is given, as a control that mirrors its parts does.
class TBiDiProbe : public TGraphicProbe {
 public:
  using TGraphicProbe::TGraphicProbe;
  std::vector<TBiDiMode> Heard;
  void SetBiDiMode(TBiDiMode v) override {
    Heard.push_back(v);
    TGraphicProbe::SetBiDiMode(v);
  }
};

TEST_F(Controls, ParentBiDiModeFollowsTheParentUntilTheControlSetsItsOwn) {
  auto* f = new TForm(Application);
  auto* p = new TProbe(f);
  p->SetParent(f);
  f->SetBiDiMode(bdRightToLeft);
  EXPECT_EQ(p->BiDiMode(), bdRightToLeft) << "taken on entering the parent";
  EXPECT_TRUE(p->ParentBiDiMode());
  auto* g = new TBiDiProbe(f);
  EXPECT_TRUE(g->ParentBiDiMode()) << "the default";
  g->SetParent(p);
  f->SetBiDiMode(bdRightToLeftReadingOnly);
  EXPECT_EQ(p->BiDiMode(), bdRightToLeftReadingOnly);
  EXPECT_EQ(g->BiDiMode(), bdRightToLeftReadingOnly) << "down through every level";
  EXPECT_EQ(g->Heard.back(), bdRightToLeftReadingOnly) << "through the overridable setter";
  EXPECT_TRUE(g->ParentBiDiMode());

  g->SetBiDiMode(bdLeftToRight);
  EXPECT_FALSE(g->ParentBiDiMode());
  f->SetBiDiMode(bdRightToLeft);
  EXPECT_EQ(g->BiDiMode(), bdLeftToRight) << "its own mode stays";
  g->SetParentBiDiMode(true);
  EXPECT_EQ(g->BiDiMode(), bdRightToLeft);
}

TEST_F(Controls, WindowProcCanBeSubclassedAndPerformReturnsTheResult) {
  auto* f = new TForm(Application);
  auto* p = new TProbe(f);
  p->SetParent(f);
  const UINT msg = RegisterWindowMessage("VelmaronProbe");
  EXPECT_EQ(RegisterWindowMessage("velmaronprobe"), msg);
  EXPECT_GE(msg, 0xC000u);
  auto old = p->WindowProc;
  p->WindowProc = [&](TMessage& m) {
    if (m.Msg == msg) {
      m.Result = static_cast<LRESULT>(m.WParam * 2);
      return;
    }
    old(m);
  };
  EXPECT_EQ(p->Perform(msg, 21), 42);
  p->DlgCode = DLGC_WANTTAB;
  EXPECT_EQ(p->Perform(WM_GETDLGCODE), DLGC_WANTTAB);
}

TEST_F(Controls, APaletteChangeReachesEveryControlAsASystemColourChange) {
  auto* f = new TForm(Application);
  auto* panel = new TPanel(f);
  panel->SetParent(f);
  auto* inner = new TProbe(f);
  inner->SetParent(panel);
  auto* label = new TGraphicProbe(f);
  label->SetParent(panel);
  std::vector<std::string> heard;
  const std::pair<TControl*, std::string> listeners[] = {{f, "form"}, {inner, "inner"}, {label, "label"}};
  for (const auto& [c, name] : listeners) {
    auto old = c->WindowProc;
    c->WindowProc = [&heard, name = name, old](TMessage& m) {
      if (m.Msg == CM_SYSCOLORCHANGE) heard.push_back(name);
      old(m);
    };
  }
  f->Show();
  const QPalette saved = QApplication::palette();
  QPalette changed = saved;
  changed.setColor(QPalette::Dark, QColor(12, 34, 56));
  QApplication::setPalette(changed);
  EXPECT_EQ(heard, (std::vector<std::string>{"form", "inner", "label"})) << "through the panel to its children";
  EXPECT_EQ(ColorToRGB(clBtnShadow), RGB(12, 34, 56)) << "system colours are read again";
  QApplication::setPalette(saved);
  EXPECT_EQ(ColorToRGB(clBtnShadow), FromQColorForTest(saved.color(QPalette::Dark)));
}

TEST_F(Controls, PostedMessagesArriveInOrderAndNotAfterTheWindowIsGone) {
  auto* f = new TForm(Application);
  auto* p = new TProbe(f);
  p->SetParent(f);
  std::vector<int> got;
  p->WindowProc = [&](TMessage& m) {
    if (m.Msg >= WM_USER && m.Msg < WM_USER + 10) got.push_back(static_cast<int>(m.Msg - WM_USER));
  };
  HWND h = p->Handle();
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(PostMessage(h, WM_USER + i, 0, 0));
  EXPECT_TRUE(got.empty()) << "posting does not deliver at once";
  Application->ProcessMessages();
  EXPECT_EQ(got, (std::vector<int>{0, 1, 2, 3, 4}));

  PostMessage(h, WM_USER + 9, 0, 0);
  delete p;
  Application->ProcessMessages();
  EXPECT_FALSE(IsWindow(h));
  EXPECT_FALSE(PostMessage(h, WM_USER, 0, 0));
}

TEST_F(Controls, PaintingReachesCustomAndGraphicControlsAndRendersToPng) {
  auto* f = new TForm(Application);
  f->SetClientSize(120, 80);
  f->SetColor(clWhite);
  auto* p = new TProbe(f, clRed);
  p->SetBounds(10, 10, 40, 30);
  p->SetParent(f);
  auto* g = new TGraphicProbe(f, clBlue);
  g->SetBounds(60, 10, 30, 30);
  g->SetParent(f);
  auto* inner = new TGraphicProbe(f, clLime);
  inner->SetBounds(5, 5, 10, 10);
  inner->SetParent(p);
  f->Show();
  QImage img = RenderControlImage(f);
  ASSERT_FALSE(img.isNull());
  EXPECT_EQ(img.pixelColor(30, 30), QColor(Qt::red));
  EXPECT_EQ(img.pixelColor(70, 20), QColor(Qt::blue));
  EXPECT_EQ(img.pixelColor(17, 17), QColor(Qt::green)) << "a graphic control on a custom control";
  EXPECT_EQ(img.pixelColor(100, 70), QColor(Qt::white));
  EXPECT_TRUE(SaveControlImage(f, TestImagePath("controls_paint.png")));
}

// A windowless control that takes a copy of what lies under it, as transparent controls do.
class TSeeThrough : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;
  TColor Under = clNone;

 protected:
  void Paint() override {
    TBitmap bg(Width(), Height());
    TRect r(0, 0, Width(), Height());
    bg.Canvas()->CopyRect(r, Canvas(), r);
    Under = bg.Canvas()->Pixels(Width() / 2, Height() / 2);
  }
};

TEST_F(Controls, AGraphicControlCanCopyWhatItsParentPaintedUnderIt) {
  auto* f = new TForm(Application);
  f->SetClientSize(60, 40);
  f->SetColor(clWhite);
  auto* p = new TProbe(f, clAqua);
  p->SetBounds(10, 10, 40, 20);
  p->SetParent(f);
  auto* s = new TSeeThrough(f);
  s->SetBounds(5, 5, 10, 10);
  s->SetParent(p);
  f->Show();
  RenderControlImage(f);
  EXPECT_EQ(s->Under, clAqua);
}

TEST_F(Controls, AnExceptionInAHandlerIsShownAndTheLoopGoesOn) {
  auto* f = new TForm(Application);
  f->SetClientSize(100, 100);
  Application->SetTitle("Velmaron");
  auto* p = new TProbe(f);
  p->SetBounds(0, 0, 50, 50);
  p->SetParent(f);
  int clicks = 0;
  p->OnClick = [&](TObject*) {
    if (++clicks == 1) throw EConvertError("'zz' is not a valid integer value");
  };
  f->Show();
  Responder().ExpectMessage("'zz' is not a valid integer value.", mrOk);
  ClickAt(p, 5, 5);
  EXPECT_EQ(Responder().Seen().size(), 1u);
  EXPECT_EQ(Responder().Seen()[0].Caption, "Velmaron");
  EXPECT_NE(QGuiApplication::applicationDisplayName().toStdString(), "Velmaron")
      << "the window system appends a display name to every caption: the title is no display name";
  ClickAt(p, 5, 5);
  EXPECT_EQ(clicks, 2) << "the next event is handled as usual";

  std::string caught;
  Application->OnException = [&](TObject*, Exception& e) { caught = e.Message(); };
  p->OnClick = [](TObject*) { throw Exception("handled elsewhere"); };
  ClickAt(p, 5, 5);
  EXPECT_EQ(caught, "handled elsewhere");
  p->OnClick = [](TObject*) { throw EAbort("silent"); };
  caught.clear();
  ClickAt(p, 5, 5);
  EXPECT_EQ(caught, "") << "EAbort is silent";
  Application->OnException = nullptr;
}

// Inner widgets routed to a control may sit inside its client window or beside it;
// their mouse positions arrive in the control's client coordinates either way.
TEST_F(Controls, RoutedInnerWidgetsGiveClientCoordinatesWhereverTheySit) {
  auto* f = new TForm(Application);
  f->SetClientSize(200, 200);
  auto* p = new TProbe(f);
  p->SetBounds(10, 10, 100, 100);
  p->SetParent(f);
  TPoint downAt(-1, -1);
  int downs = 0;
  p->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
    downAt = TPoint(x, y);
    ++downs;
  };
  f->Show();
  auto press = [](QWidget* w, int x, int y) {
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), Qt::LeftButton,
                  Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
    QMouseEvent r(QEvent::MouseButtonRelease, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), Qt::LeftButton,
                  Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &r);
  };

  auto* inside = new QWidget(p->ClientWidget());  // as a list's viewport sits in the list
  inside->setGeometry(20, 30, 40, 40);
  inside->show();
  RouteEvents(p, inside);
  press(inside, 3, 4);
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(downAt, TPoint(23, 34));

  auto* beside = new QWidget(f->ClientWidget());  // neither holds the other
  beside->setGeometry(150, 160, 30, 30);
  beside->show();
  RouteEvents(p, beside);
  press(beside, 1, 2);
  EXPECT_EQ(downs, 2);
  EXPECT_EQ(downAt, TPoint(141, 152));
  delete beside;
}

}  // namespace
