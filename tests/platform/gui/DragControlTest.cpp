#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>

#include "GuiProbes.h"
#include "platform/gui/testing/GuiTest.h"

namespace {

class DragControls : public TGuiTest {};

std::string Name(TObject* o) {
  auto* c = dynamic_cast<TControl*>(o);
  return c ? c->Name() : "nil";
}

// The pointer at a screen point, as the source that holds the mouse hears it.
void MoveTo(TWinControl* Source, TPoint Screen, QEvent::Type Type = QEvent::MouseMove) {
  TPoint p = Source->ScreenToClient(Screen);
  SendMouse(Source, Type, p.X, p.Y);
}

TPoint At(TControl* c, int x, int y) { return c->ClientToScreen(TPoint(x, y)); }

Qt::CursorShape DragCursorShape() {
  return QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::ArrowCursor;
}

struct TDragScene {
  TForm* Form;
  TProbe *Source, *Target, *Refuser;
  std::string Log;
  int Clicks = 0;

  TDragScene() {
    Form = new TForm(Application);
    Form->SetClientSize(300, 200);
    Source = Make("src", 10, 10);
    Target = Make("dst", 100, 10);
    Refuser = Make("ref", 200, 10);
    Source->SetDragMode(dmAutomatic);
    Source->OnClick = [this](TObject*) { ++Clicks; };
    Source->OnStartDrag = [this](TObject*, TObject*&) { Log += "start "; };
    Source->OnEndDrag = [this](TObject*, TObject* t, int x, int y) {
      Log += "end(" + Name(t) + "," + std::to_string(x) + "," + std::to_string(y) + ") ";
    };
    static const char* states[] = {"enter", "leave", "move"};
    Target->OnDragOver = [this](TObject*, TObject* s, int, int, TDragState st, bool& accept) {
      Log += std::string(states[st]) + " ";
      accept = s == Source;
    };
    Target->OnDragDrop = [this](TObject*, TObject* s, int x, int y) {
      Log += "drop(" + Name(s) + "," + std::to_string(x) + "," + std::to_string(y) + ") ";
    };
    Form->Show();
  }
  TProbe* Make(const char* name, int l, int t) {
    auto* p = new TProbe(Form);
    p->SetName(name);
    p->SetBounds(l, t, 60, 60);
    p->SetParent(Form);
    return p;
  }
};

TEST_F(DragControls, APressedSourceDragsPastTheThresholdAndDropsOnWhatAccepts) {
  struct Row {
    const char* what;
    TPoint over;  // in the form, where the pointer goes after the small move
    bool escape;
    const char* log;
    Qt::CursorShape cursor;
  };
  const Row rows[] = {
      {"dropped on an accepting control", TPoint(106, 16), false,
       "start enter move leave drop(src,6,6) end(dst,6,6) ", Qt::DragMoveCursor},
      {"released over a control without a drag-over handler", TPoint(210, 20), false, "start end(nil,0,0) ",
       Qt::ForbiddenCursor},
      {"Escape cancels", TPoint(106, 16), true, "start enter move leave end(nil,0,0) ", Qt::DragMoveCursor},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    TDragScene s;
    SendMouse(s.Source, QEvent::MouseButtonPress, 5, 5);
    MoveTo(s.Source, At(s.Source, 8, 7));
    EXPECT_EQ(s.Log, "") << "below the threshold nothing starts";
    MoveTo(s.Source, At(s.Form, r.over.X, r.over.Y));
    MoveTo(s.Source, At(s.Form, r.over.X, r.over.Y));
    EXPECT_TRUE(s.Source->Dragging());
    EXPECT_EQ(DragCursorShape(), r.cursor);
    if (r.escape) {
      SendKey(s.Form, Qt::Key_Escape);
      EXPECT_FALSE(s.Source->Dragging());
    }
    MoveTo(s.Source, At(s.Form, r.over.X, r.over.Y), QEvent::MouseButtonRelease);
    EXPECT_EQ(s.Log, r.log);
    EXPECT_EQ(s.Clicks, 0) << "a drag is no click";
    EXPECT_FALSE(s.Source->Dragging());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(GetCaptureControl(), nullptr);
    FreeAllForms();
  }
}

TEST_F(DragControls, AShortPressStillClicksAndBeginDragStartsAtOnceByHand) {
  TDragScene s;
  ClickAt(s.Source, 5, 5);
  EXPECT_EQ(s.Clicks, 1);
  EXPECT_EQ(s.Log, "");

  s.Source->SetDragMode(dmManual);
  s.Source->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { s.Source->BeginDrag(true); };
  SendMouse(s.Source, QEvent::MouseButtonPress, 5, 5);
  EXPECT_EQ(s.Log, "start ");
  MoveTo(s.Source, At(s.Target, 3, 4));
  MoveTo(s.Source, At(s.Target, 3, 4), QEvent::MouseButtonRelease);
  EXPECT_EQ(s.Log, "start enter leave drop(src,3,4) end(dst,3,4) ");
}

TEST_F(DragControls, ADockDragDocksIntoASiteFloatsElsewhereAndUndocksFromTheSite) {
  TDragScene s;
  s.Source->SetDragKind(dkDock);
  s.Source->OnStartDrag = nullptr;
  s.Source->OnEndDrag = nullptr;
  s.Source->OnStartDock = [&](TObject*, TObject*&) { s.Log += "startdock "; };
  s.Source->OnEndDock = [&](TObject*, TObject* t, int, int) { s.Log += "enddock(" + Name(t) + ") "; };
  TProbe* site = s.Target;
  site->SetDockSite(true);
  site->OnDockOver = [&](TObject*, TObject* src, int, int, TDragState, bool& accept) { accept = src == s.Source; };
  site->OnDockDrop = [&](TObject*, TObject* src, int x, int y) {
    s.Log += "dockdrop(" + Name(src) + "," + std::to_string(x) + "," + std::to_string(y) + ") ";
  };
  site->OnUnDock = [&](TObject*, TControl* client, TWinControl* to, bool&) {
    s.Log += "undock(" + Name(client) + "," + Name(to) + ") ";
  };
  auto drag = [&](TPoint screen) {
    SendMouse(s.Source, QEvent::MouseButtonPress, 2, 2);
    MoveTo(s.Source, screen);
    MoveTo(s.Source, screen, QEvent::MouseButtonRelease);
  };

  drag(At(site, 20, 30));
  EXPECT_EQ(s.Log, "startdock dockdrop(src,20,30) enddock(dst) ");
  EXPECT_EQ(s.Source->Parent(), site);
  EXPECT_EQ(s.Source->HostDockSite(), site);
  EXPECT_EQ(s.Source->BoundsRect().TopLeft(), TPoint(20, 30));

  s.Log.clear();
  drag(At(s.Form, 40, 150));
  EXPECT_EQ(s.Log, "startdock undock(src,nil) enddock(nil) ");
  EXPECT_TRUE(s.Source->Floating());
  auto* host = dynamic_cast<TCustomForm*>(s.Source->Parent());
  ASSERT_NE(host, nullptr);
  EXPECT_TRUE(host->Visible());
  EXPECT_EQ(host->ClientWidth(), 60) << "the tool window fits the control";

  s.Log.clear();
  auto hostAlive = host->AliveFlag();
  drag(At(site, 5, 6));
  EXPECT_EQ(s.Log, "startdock dockdrop(src,5,6) enddock(dst) ") << "no site to undock from";
  EXPECT_EQ(s.Source->Parent(), site);
  EXPECT_FALSE(s.Source->Floating());
  Application->ProcessMessages();
  EXPECT_FALSE(*hostAlive) << "the empty tool window goes";

  s.Log.clear();
  site->OnUnDock = [&](TObject*, TControl*, TWinControl*, bool& allow) { allow = false; };
  drag(At(s.Form, 40, 150));
  EXPECT_EQ(s.Log, "startdock enddock(nil) ");
  EXPECT_EQ(s.Source->Parent(), site) << "the site kept it";
}

}  // namespace
