#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>
#include <QMdiSubWindow>
#include <QWidget>
#include <functional>
#include <string>

#include "GuiProbes.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Timer.h"
#include "platform/gui/testing/GuiTest.h"

namespace {

class Forms : public TGuiTest {};

// A dialog that sets its ModalResult when a posted message arrives, as a button click would.
class TModalProbe : public TForm {
 public:
  using TForm::TForm;
  static constexpr UINT WM_ANSWER = WM_USER + 1;

 protected:
  void Dispatch(TMessage& m) override {
    if (m.Msg == WM_ANSWER) {
      SetModalResult(static_cast<TModalResult>(m.WParam));
      return;
    }
    TForm::Dispatch(m);
  }
};

TEST_F(Forms, ShowModalReturnsTheModalResultAfterCloseQueryAgrees) {
  auto* d = new TModalProbe(Application);
  int queries = 0;
  std::string closes;
  d->OnCloseQuery = [&](TObject*, bool& can) { can = ++queries > 1; };
  d->OnClose = [&](TObject*, TCloseAction& a) { closes += a == caHide ? "hide " : "other "; };
  bool shown = false;
  d->OnShow = [&](TObject*) { shown = true; };
  PostMessage(d->Handle(), TModalProbe::WM_ANSWER, mrYes, 0);  // refused by CloseQuery
  PostMessage(d->Handle(), TModalProbe::WM_ANSWER, mrOk, 0);
  EXPECT_EQ(d->ShowModal(), mrOk);
  EXPECT_TRUE(shown);
  EXPECT_EQ(queries, 2);
  EXPECT_EQ(closes, "hide ");
  EXPECT_FALSE(d->Visible());
  EXPECT_FALSE(d->FormState() & fsModal);

  d->Show();
  EXPECT_THROW(d->ShowModal(), EInvalidOperation) << "a visible window cannot be made modal";
}

TEST_F(Forms, CloseOfAModalFormCancelsAndCaFreeReleasesIt) {
  auto* d = new TModalProbe(Application);
  bool destroyed = false;
  d->OnDestroy = [&](TObject*) { destroyed = true; };
  d->OnShow = [&](TObject*) { d->Close(); };
  d->OnClose = [](TObject*, TCloseAction& a) { a = caFree; };
  EXPECT_EQ(d->ShowModal(), mrCancel);
  EXPECT_FALSE(destroyed) << "freed only through the message queue";
  Application->ProcessMessages();
  EXPECT_TRUE(destroyed);
}

TEST_F(Forms, ReleaseWaitsForTheHandlerEvenThroughNestedProcessMessages) {
  auto* f = new TForm(Application);
  f->SetClientSize(100, 100);
  auto* button = new TProbe(f);
  button->SetBounds(0, 0, 50, 50);
  button->SetParent(f);
  bool destroyed = false;
  f->OnDestroy = [&](TObject*) { destroyed = true; };
  bool aliveAfterNested = false;
  button->OnClick = [&](TObject*) {
    f->Release();
    Application->ProcessMessages();
    Application->ProcessMessages();
    aliveAfterNested = !destroyed;
    f->SetCaption("still here");  // the form must still exist
  };
  f->Show();
  int before = Screen->FormCount();
  ClickAt(button, 5, 5);
  EXPECT_TRUE(aliveAfterNested);
  Application->ProcessMessages();
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(Screen->FormCount(), before - 1);
}

TEST_F(Forms, ATimerOnAFormCountsAsAHandlerRunningOnIt) {
  auto* f = new TForm(Application);
  auto* t = new TTimer(f);
  bool destroyed = false;
  f->OnDestroy = [&](TObject*) { destroyed = true; };
  int ticks = 0;
  t->OnTimer = [&](TObject*) {
    ++ticks;
    f->Release();
    Application->ProcessMessages();
    EXPECT_FALSE(destroyed);
  };
  t->Tick();
  EXPECT_EQ(ticks, 1);
  Application->ProcessMessages();
  EXPECT_TRUE(destroyed);
}

TEST_F(Forms, TimerExceptionsAreShownAndDisabledTimersStaySilent) {
  auto* f = new TForm(Application);
  auto* t = new TTimer(f);
  t->SetInterval(100);
  int ticks = 0;
  t->OnTimer = [&](TObject*) {
    if (++ticks == 1) throw Exception("tick failed");
  };
  Responder().ExpectMessage("tick failed");
  t->Tick();
  t->Tick();
  EXPECT_EQ(ticks, 2);
  t->SetEnabled(false);
  t->Tick();
  EXPECT_EQ(ticks, 2);
}

TEST_F(Forms, CloseActionsAndTheMainForm) {
  auto* main = new TForm(Application);
  Application->SetMainForm(main);
  auto* other = new TForm(Application);
  main->Show();
  other->Show();
  other->Close();
  EXPECT_FALSE(other->Visible()) << "the default action hides";
  bool destroyed = false;
  other->OnDestroy = [&](TObject*) { destroyed = true; };
  other->OnClose = [](TObject*, TCloseAction& a) { a = caFree; };
  other->Show();
  other->Close();
  Application->ProcessMessages();
  EXPECT_TRUE(destroyed);

  main->OnClose = [](TObject*, TCloseAction& a) { a = caNone; };
  main->Close();
  EXPECT_FALSE(Application->Terminated()) << "caNone keeps the program running";
  main->OnClose = nullptr;
  main->Close();
  EXPECT_TRUE(Application->Terminated()) << "closing the main form ends the program";
}

TEST_F(Forms, ActivationEventsAndTheActiveFormChange) {
  auto* a = new TForm(Application);
  auto* b = new TForm(Application);
  std::string log;
  a->OnActivate = [&](TObject*) { log += "a+"; };
  a->OnDeactivate = [&](TObject*) { log += "a-"; };
  b->OnActivate = [&](TObject*) { log += "b+"; };
  int changes = 0;
  Screen->OnActiveFormChange = [&](TObject*) { ++changes; };
  a->Show();
  b->Show();
  EXPECT_EQ(log, "a+a-b+");
  EXPECT_EQ(Screen->ActiveForm(), b);
  EXPECT_EQ(changes, 2);
  // The window system reports the activations later; they change nothing that is settled.
  Application->ProcessMessages();
  EXPECT_EQ(log, "a+a-b+");
  EXPECT_EQ(Screen->ActiveForm(), b);
  EXPECT_EQ(changes, 2);
  b->Hide();
  Application->ProcessMessages();
  EXPECT_EQ(Screen->ActiveForm(), a);
  Screen->OnActiveFormChange = nullptr;
  FreeAllForms();  // before the handlers' captures go
}

// Once a form's destruction has begun its derived part may be gone: no event of the form or of
// its controls fires from then on, for a top-level form and an MDI child, deleted or released.
TEST_F(Forms, NoEventFiresOnceAFormsDestructionHasBegun) {
  struct Way {
    const char* Name;
    bool Child;
    std::function<void(TForm*)> Destroy;
  };
  auto del = [](TForm* f) { delete f; };
  auto release = [](TForm* f) {
    f->Release();
    Application->ProcessMessages();
  };
  const Way ways[] = {{"delete", false, del}, {"Release", false, release},
                      {"delete child", true, del}, {"Release child", true, release}};
  for (const Way& way : ways) {
    auto* frame = new TForm(Application);
    Application->SetMainForm(frame);
    frame->SetFormStyle(fsMDIForm);
    frame->SetBounds(0, 0, 500, 400);
    frame->Show();
    auto* sibling = new TForm(Application);
    if (way.Child) sibling->SetFormStyle(fsMDIChild);
    sibling->Show();
    auto* f = new TForm(Application);
    if (way.Child) f->SetFormStyle(fsMDIChild);
    auto* edit = new TEdit(f);
    edit->SetParent(f);
    f->Show();
    edit->SetFocus();
    Application->ProcessMessages();
    ASSERT_EQ(Screen->ActiveForm(), f) << way.Name;
    std::string log;
    f->OnDeactivate = [&](TObject*) { log += "deactivate "; };
    f->OnHide = [&](TObject*) { log += "hide "; };
    f->OnResize = [&](TObject*) { log += "resize "; };
    edit->OnExit = [&](TObject*) { log += "exit "; };
    edit->OnChange = [&](TObject*) { log += "change "; };
    way.Destroy(f);
    Application->ProcessMessages();
    EXPECT_EQ(log, "") << way.Name;
    Application->SetMainForm(nullptr);
    delete sibling;
    delete frame;
  }
}

TEST_F(Forms, OnCreateFiresOnceBeforeTheFirstShow) {
  TForm* f = nullptr;
  int created = 0;
  struct TCreateProbe : public TForm {
    explicit TCreateProbe(TComponent* o, int* n) : TForm(o) {
      OnCreate = [n](TObject*) { ++*n; };
    }
  };
  f = new TCreateProbe(Application, &created);
  EXPECT_EQ(created, 0);
  f->Show();
  f->Hide();
  f->Show();
  EXPECT_EQ(created, 1);
  TCreateProbe* g = nullptr;
  int created2 = 0;
  struct Maker {
    static TCreateProbe* Make(int* n) { return new TCreateProbe(Application, n); }
  };
  g = Maker::Make(&created2);
  g->AfterConstruction();
  g->AfterConstruction();
  EXPECT_EQ(created2, 1);
}

TEST_F(Forms, HelpSaysOnceThatThereIsNoViewer) {
  Application->SetHelpFile("Velmaron.hlp");
  Responder().ExpectMessage("Velmaron.hlp");
  EXPECT_FALSE(Application->HelpContext(590));
  EXPECT_FALSE(Application->HelpContext(10)) << "asked again: no second message";
}

TEST_F(Forms, ScreenCursorOverridesAndRestores) {
  Screen->SetCursor(crHourGlass);
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
  Screen->SetCursor(crDefault);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// The border style and icons reach the window system: only a sizeable frame can be sized, the
// buttons are those the icons ask for and the frame can hold, whatever order the form sets them.
TEST_F(Forms, BorderStyleAndIconsShapeTheWindowsFrame) {
  const TBorderIcons all = biSystemMenu | biMinimize | biMaximize;
  struct Case {
    const char* name;
    TBorderStyle style;
    TBorderIcons icons;
    bool onTop, styleFirst, whileShown;
    Qt::WindowType type;
    bool close, minimise, maximise, fixed;
  };
  const Case cases[] = {
      {"tool window, close only", bsToolWindow, biSystemMenu, true, false, false, Qt::Tool, true, false, false, true},
      {"tool window set before stay on top", bsToolWindow, biSystemMenu, true, true, false, Qt::Tool, true, false, false, true},
      {"sizeable tool window never minimises", bsSizeToolWin, all, false, false, false, Qt::Tool, true, false, false, false},
      {"dialog without icons", bsDialog, 0, true, false, false, Qt::Dialog, false, false, false, true},
      {"dialog frame holds no min and max", bsDialog, all, false, false, false, Qt::Dialog, true, false, false, true},
      {"single border, close only", bsSingle, biSystemMenu, false, false, false, Qt::Window, true, false, false, true},
      {"no system menu, no buttons", bsSingle, biMinimize | biMaximize, false, false, false, Qt::Window, false, false, false, true},
      {"sizeable without maximise", bsSizeable, biSystemMenu | biMinimize, false, false, false, Qt::Window, true, true, false, false},
      {"sizeable with every icon", bsSizeable, all, false, false, false, Qt::Window, true, true, true, false},
      {"changed on a shown window", bsDialog, biSystemMenu, false, false, true, Qt::Dialog, true, false, false, true},
  };
  for (const Case& c : cases) {
    auto* f = new TForm(Application);
    if (c.whileShown) f->Show();
    if (!c.styleFirst && c.onTop) f->SetFormStyle(fsStayOnTop);
    f->SetBorderStyle(c.style);
    f->SetBorderIcons(c.icons);
    if (c.styleFirst && c.onTop) f->SetFormStyle(fsStayOnTop);
    f->SetBounds(10, 10, 200, 150);
    f->Show();
    const QWidget* w = f->Peer();
    const Qt::WindowFlags fl = w->windowFlags();
    // Without the customising hint the window system offers every button of a plain window.
    auto shows = [&](Qt::WindowType hint) {
      return fl.testFlag(hint) || (!fl.testFlag(Qt::CustomizeWindowHint) && (fl & Qt::WindowType_Mask) == Qt::Window);
    };
    EXPECT_EQ(fl & Qt::WindowType_Mask, c.type) << c.name;
    EXPECT_EQ(shows(Qt::WindowCloseButtonHint), c.close) << c.name;
    EXPECT_EQ(shows(Qt::WindowMinimizeButtonHint), c.minimise) << c.name;
    EXPECT_EQ(shows(Qt::WindowMaximizeButtonHint), c.maximise) << c.name;
    EXPECT_EQ(fl.testFlag(Qt::WindowStaysOnTopHint), c.onTop) << c.name;
    EXPECT_TRUE(w->isVisible()) << c.name;
    EXPECT_EQ(w->minimumSize() == w->maximumSize(), c.fixed) << c.name;
    // The program still sizes a fixed frame: the window follows.
    f->SetBounds(10, 10, 260, 170);
    EXPECT_EQ(w->size(), QSize(260, 170)) << c.name;
    if (c.fixed) {
      EXPECT_EQ(w->maximumSize(), QSize(260, 170)) << c.name;
    }
    delete f;
  }

  // A plain main window keeps the toolkit's own frame; a single-border MDI child is sized by its
  // frame's area, not held at a fixed size.
  auto* frame = new TForm(Application);
  Application->SetMainForm(frame);
  frame->SetFormStyle(fsMDIForm);
  frame->SetBounds(0, 0, 600, 400);
  frame->Show();
  EXPECT_EQ(frame->Peer()->windowFlags() & (Qt::WindowType_Mask | Qt::CustomizeWindowHint), Qt::Window);
  EXPECT_NE(frame->Peer()->minimumSize(), frame->Peer()->maximumSize());
  auto* child = new TForm(Application);
  child->SetBorderStyle(bsSingle);
  child->SetFormStyle(fsMDIChild);
  child->SetBounds(0, 0, 200, 150);
  child->SubWindow()->resize(300, 200);
  EXPECT_EQ(child->SubWindow()->size(), QSize(300, 200));
  EXPECT_NE(child->Peer()->minimumSize(), child->Peer()->maximumSize());
  Application->SetMainForm(nullptr);
  FreeAllForms();
}

// The window manager may minimise any window: only a frame the form lets minimise stays so; the
// others come back in the state they had. The program's own minimise stands.
TEST_F(Forms, WindowSystemMinimiseIsUndoneWhereTheFormOffersNone) {
  const TBorderIcons all = biSystemMenu | biMinimize | biMaximize;
  struct Case {
    const char* name;
    TBorderStyle style;
    TBorderIcons icons;
    TWindowState before;  // the form's own state when the window system minimises it
    bool kept;
  };
  const Case cases[] = {
      {"dialog without icons", bsDialog, 0, wsNormal, false},
      {"dialog frame with every icon", bsDialog, all, wsNormal, false},
      {"tool window", bsToolWindow, biSystemMenu | biMinimize, wsNormal, false},
      {"sizeable tool window", bsSizeToolWin, all, wsNormal, false},
      {"single border, close only", bsSingle, biSystemMenu, wsNormal, false},
      {"maximised, no minimise", bsSizeable, biSystemMenu | biMaximize, wsMaximized, false},
      {"single border with minimise", bsSingle, biSystemMenu | biMinimize, wsNormal, true},
      {"main window", bsSizeable, all, wsNormal, true},
      {"minimise without system menu", bsSingle, biMinimize, wsNormal, true},
      {"minimised by the program", bsDialog, 0, wsMinimized, true},
  };
  for (const Case& c : cases) {
    auto* f = new TForm(Application);
    f->SetBorderStyle(c.style);
    f->SetBorderIcons(c.icons);
    f->SetBounds(10, 10, 200, 150);
    f->Show();
    f->SetWindowState(c.before);
    QWidget* w = f->Peer();
    w->setWindowState(w->windowState() | Qt::WindowMinimized);
    Application->ProcessMessages();
    EXPECT_EQ(w->isMinimized(), c.kept) << c.name;
    EXPECT_TRUE(w->isVisible()) << c.name;
    EXPECT_EQ(w->isMaximized(), c.before == wsMaximized) << c.name;
    EXPECT_EQ(f->WindowState(), c.before) << c.name;
    delete f;
  }
}
}  // namespace
