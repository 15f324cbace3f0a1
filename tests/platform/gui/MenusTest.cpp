#include <gtest/gtest.h>

#include <QScrollBar>

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMenu>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMouseEvent>

#include "GuiProbes.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/FormImage.h"
#include "platform/gui/Menus.h"
#include "platform/gui/testing/GuiTest.h"

namespace {

class Menus : public TGuiTest {};

TMenuItem* Top(TComponent* owner, TMainMenu* m, const std::string& caption, int group) {
  auto* it = new TMenuItem(owner);
  it->SetCaption(caption);
  it->SetGroupIndex(static_cast<uint8_t>(group));
  auto* sub = new TMenuItem(owner);
  sub->SetCaption(caption + " item");
  it->Add(sub);
  m->Items()->Add(it);
  return it;
}

std::vector<std::string> Captions(const std::vector<TMenuItem*>& items) {
  std::vector<std::string> r;
  for (auto* i : items) r.push_back(i->Caption());
  return r;
}

std::vector<std::string> BarTexts(TForm* f) {
  std::vector<std::string> r;
  QMenuBar* bar = f->Peer()->findChild<QMenuBar*>();
  if (!bar) return r;
  for (QAction* a : bar->actions()) r.push_back(a->text().toStdString());
  return r;
}

struct MdiSetup {
  TForm* frame;
  TMenuItem* window;
};

MdiSetup MakeFrame() {
  auto* frame = new TForm(Application);
  Application->SetMainForm(frame);
  frame->SetFormStyle(fsMDIForm);
  frame->SetBounds(0, 0, 500, 400);
  auto* menu = new TMainMenu(frame);
  Top(frame, menu, "&File", 0);
  Top(frame, menu, "&Device", 1);
  Top(frame, menu, "Options", 2);
  TMenuItem* window = Top(frame, menu, "&Window", 4);
  Top(frame, menu, "About", 5);
  frame->SetMenu(menu);
  frame->SetWindowMenu(window);
  frame->Show();
  return {frame, window};
}

TForm* MakeChild(const std::string& caption, bool withMenu) {
  auto* child = new TForm(Application);
  child->SetCaption(caption);
  if (withMenu) {
    auto* m = new TMainMenu(child);
    Top(child, m, "&Edit", 1);
    Top(child, m, "&Tools", 3);
    child->SetMenu(m);
  }
  child->SetFormStyle(fsMDIChild);
  return child;
}

TEST_F(Menus, MaximisedMdiChildStaysMaximisedAfterItsFirstShowing) {
  auto [frame, window] = MakeFrame();
  (void)window;
  // A child that maximises itself when it is first activated (as it becomes a child), then
  // gets its designed bounds while maximised.
  auto* child = new TForm(Application);
  child->OnActivate = [child](TObject*) { child->SetWindowState(wsMaximized); };
  child->SetFormStyle(fsMDIChild);
  ASSERT_EQ(child->WindowState(), wsMaximized);
  child->SetBounds(0, 0, 300, 200);
  child->SetWindowState(wsMaximized);
  child->Show();
  Application->ProcessMessages();
  ASSERT_NE(child->SubWindow(), nullptr);
  EXPECT_EQ(child->WindowState(), wsMaximized);
  EXPECT_TRUE(child->SubWindow()->isMaximized());
  const QSize area = frame->MdiArea()->viewport()->size();
  EXPECT_EQ(child->SubWindow()->size(), area);
  EXPECT_EQ(child->Width(), area.width());
  EXPECT_EQ(child->Height(), area.height());
  child->SetWindowState(wsNormal);
  Application->ProcessMessages();
  EXPECT_FALSE(child->SubWindow()->isMaximized());
  EXPECT_EQ(child->SubWindow()->size(), QSize(300, 200)) << "restoring gives back the designed size";
  child->BeforeDestruction();
  delete child;
}

// The window system's own restore (the caption's button, or the area restoring the child it
// maximised before when another is activated) of a child that opened maximised gives its form
// size, cut only where the client area ends, never the area's default box.
TEST_F(Menus, ChildOpenedMaximisedIsRestoredToItsFormSize) {
  auto [frame, window] = MakeFrame();
  (void)window;
  struct Case {
    const char* name;
    int width, height;
    bool byActivatingAnother;
  };
  const Case cases[] = {{"caption button", 300, 200, false},
                        {"another child activated", 260, 180, true},
                        {"larger than the area", 2000, 1500, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto* child = new TForm(Application);
    child->SetBounds(0, 0, c.width, c.height);
    child->SetWindowState(wsMaximized);
    child->SetFormStyle(fsMDIChild);
    Application->ProcessMessages();
    ASSERT_TRUE(child->SubWindow() && child->SubWindow()->isMaximized());
    TForm* other = nullptr;
    if (c.byActivatingAnother) {
      other = MakeChild("Other", false);
      other->SetBounds(0, 0, 100, 80);
      frame->MdiArea()->setActiveSubWindow(child->SubWindow());
      Application->ProcessMessages();
      frame->MdiArea()->setActiveSubWindow(other->SubWindow());
    } else {
      child->SubWindow()->showNormal();
    }
    Application->ProcessMessages();
    const QSize area = frame->MdiArea()->viewport()->size();
    EXPECT_FALSE(child->SubWindow()->isMaximized());
    EXPECT_EQ(child->WindowState(), wsNormal);
    EXPECT_EQ(child->SubWindow()->size(), QSize(std::min(c.width, area.width() - child->Left()),
                                                std::min(c.height, area.height() - child->Top())));
    EXPECT_EQ(child->Width(), child->SubWindow()->width());
    EXPECT_GE(child->Left(), 0);
    EXPECT_GE(child->Top(), 0);
    for (TForm* f : {other, static_cast<TForm*>(child)})
      if (f) {
        f->BeforeDestruction();
        delete f;
      }
  }
}

// A child smaller than its controls scrolls: bars for the directions it lacks room in, and the
// controls at the far end reachable; a client-aligned control fills the whole extent.
TEST_F(Menus, ChildSmallerThanItsControlsScrollsToThem) {
  auto [frame, window] = MakeFrame();
  (void)window;
  frame->SetBounds(0, 0, 900, 700);
  TForm* child = MakeChild("Controls", false);
  auto* far = new TProbe(child);
  far->SetBounds(380, 10, 40, 20);  // the rightmost control
  far->SetParent(child);
  auto* low = new TProbe(child);
  low->SetBounds(10, 300, 80, 25);  // the lowest
  low->SetParent(child);
  auto* bar = new TPanel(child);  // a bar along the top whose last button reaches out
  bar->SetAlign(alTop);
  bar->SetHeight(30);
  bar->SetParent(child);
  auto* button = new TProbe(child);
  button->SetBounds(400, 2, 50, 20);
  button->SetParent(bar);
  auto* fill = new TProbe(child);
  fill->SetAlign(alClient);
  fill->SetParent(child);
  low->BringToFront();
  far->BringToFront();
  struct Case {
    int width, height;
    bool horz, vert;
  };
  const Case cases[] = {{600, 500, false, false}, {600, 200, false, true}, {280, 500, true, false}, {280, 200, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    child->SetBounds(0, 0, c.width, c.height);
    Application->ProcessMessages();
    EXPECT_EQ(child->ScrollRange().cx, 450);
    EXPECT_EQ(child->ScrollRange().cy, 325);
    std::vector<QScrollBar*> shown;
    for (QScrollBar* b : child->Peer()->findChildren<QScrollBar*>(QString(), Qt::FindDirectChildrenOnly))
      if (b->isVisibleTo(child->Peer())) shown.push_back(b);
    int h = 0, v = 0;
    for (QScrollBar* b : shown) (b->orientation() == Qt::Horizontal ? h : v)++;
    EXPECT_EQ(h, c.horz ? 1 : 0);
    EXPECT_EQ(v, c.vert ? 1 : 0);
    const TRect view = child->ClientRect();
    EXPECT_EQ(fill->Width(), std::max(450, view.Right));
    EXPECT_EQ(fill->Top() + fill->Height(), std::max(325, view.Bottom));
    child->ScrollTo(10000, 10000);
    // At the far end the rightmost control shows across, the lowest one down.
    const QRect r(button->Peer()->mapTo(child->Peer(), QPoint(0, 0)), button->Peer()->size());
    EXPECT_TRUE(r.left() >= 0 && r.right() < view.Right) << r.left() << ".." << r.right();
    const QRect d(low->Peer()->mapTo(child->Peer(), QPoint(0, 0)), low->Peer()->size());
    EXPECT_TRUE(d.top() >= 0 && d.bottom() < view.Bottom) << d.top() << ".." << d.bottom();
    child->ScrollTo(0, 0);
  }
  child->BeforeDestruction();
  delete child;
}

TEST_F(Menus, MdiChildMenusMergeByGroupIndexAndUnmerge) {
  auto [frame, window] = MakeFrame();
  const std::vector<std::string> own = {"&File", "&Device", "Options", "&Window", "About"};
  EXPECT_EQ(Captions(frame->Menu()->VisibleTopItems()), own);
  EXPECT_EQ(BarTexts(frame), own);

  TForm* child = MakeChild("Editor", true);
  EXPECT_EQ(frame->ActiveMDIChild(), child);
  const std::vector<std::string> merged = {"&File", "&Edit", "Options", "&Tools", "&Window", "About"};
  EXPECT_EQ(Captions(frame->Menu()->VisibleTopItems()), merged);
  EXPECT_EQ(BarTexts(frame), merged);

  TForm* plain = MakeChild("Plain", false);
  EXPECT_EQ(frame->ActiveMDIChild(), plain);
  EXPECT_EQ(BarTexts(frame), own) << "a child without a menu shows the frame's own";

  child->BringToFront();
  EXPECT_EQ(BarTexts(frame), merged);
  EXPECT_TRUE(SaveControlImage(frame, TestImagePath("mdi_frame_merged.png")));

  child->BeforeDestruction();
  delete child;
  EXPECT_EQ(BarTexts(frame), own) << "merging is undone when the child goes";
  ASSERT_NE(frame->MdiArea(), nullptr);
  EXPECT_EQ(frame->MdiArea()->subWindowList().size(), 1) << "a freed child takes its sub-window along";
  plain->BeforeDestruction();
  delete plain;
  Application->ProcessMessages();
  EXPECT_TRUE(frame->MdiArea()->subWindowList().isEmpty());
  EXPECT_EQ(frame->MDIChildCount(), 0);
  EXPECT_EQ(frame->ActiveMDIChild(), nullptr);
  EXPECT_EQ(BarTexts(frame), own);
}

TEST_F(Menus, WindowMenuListsTheChildrenAndTheFrameCountsThem) {
  auto [frame, window] = MakeFrame();
  TForm* a = MakeChild("Alpha", false);
  TForm* b = MakeChild("Beta", false);
  EXPECT_EQ(frame->MDIChildCount(), 2);
  EXPECT_EQ(frame->MDIChildren(0), b) << "the active child comes first";
  QMenu* m = window->SubMenu();
  ASSERT_NE(m, nullptr);
  QMetaObject::invokeMethod(m, "aboutToShow");
  std::vector<std::string> texts;
  for (QAction* act : m->actions())
    if (!act->isSeparator()) texts.push_back(act->text().toStdString());
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[1], "&1 Beta");
  EXPECT_EQ(texts[2], "&2 Alpha");
  a->SetBounds(10, 10, 200, 150);
  TRect c = a->ClientRect();
  EXPECT_LT(c.Right, 200) << "the child's frame is not client area";
  EXPECT_LT(c.Bottom, 150);
  a->SetClientSize(180, 100);
  EXPECT_EQ(a->ClientWidth(), 180);
  EXPECT_EQ(a->ClientHeight(), 100);
  auto* fill = new TProbe(b);
  fill->SetAlign(alClient);
  fill->SetParent(b);
  frame->Tile();
  EXPECT_EQ(fill->Width(), b->ClientWidth()) << "arranging realigns the children's controls";
  EXPECT_EQ(fill->Height(), b->ClientHeight());
  EXPECT_EQ(b->Width(), b->SubWindow() ? b->SubWindow()->width() : -1);
  frame->Cascade();
  EXPECT_EQ(fill->Width(), b->ClientWidth());
  a->Close();
  EXPECT_EQ(a->WindowState(), wsMinimized) << "an MDI child minimizes on close by default";
}

// Cascading lays the children over each other at their restored sizes (a maximised one is
// restored first), each a step lower and to the right, the active one in front; none shrinks
// to its caption, and one larger than the client area is cut to it.
TEST_F(Menus, CascadeKeepsTheChildrensSizesAndStepsThemDown) {
  auto [frame, window] = MakeFrame();
  (void)window;
  struct Case {
    const char* caption;
    int width, height;
    bool maximised;
  };
  const Case cases[] = {{"Small", 220, 160, false}, {"Huge", 2000, 1500, false}, {"Max", 300, 200, true}};
  std::vector<TForm*> kids;
  for (const Case& c : cases) {
    TForm* f = MakeChild(c.caption, false);
    f->SetBounds(40, 30, c.width, c.height);
    if (c.maximised) f->SetWindowState(wsMaximized);
    kids.push_back(f);
  }
  Application->ProcessMessages();
  ASSERT_TRUE(kids[2]->SubWindow() && kids[2]->SubWindow()->isMaximized());
  const QSize area = frame->MdiArea()->viewport()->size();
  frame->Cascade();
  Application->ProcessMessages();
  int lastLeft = -1;
  for (size_t i = 0; i < kids.size(); ++i) {
    TForm* f = kids[i];
    SCOPED_TRACE(cases[i].caption);
    ASSERT_NE(f->SubWindow(), nullptr);
    EXPECT_FALSE(f->SubWindow()->isMaximized());
    EXPECT_EQ(f->WindowState(), wsNormal);
    EXPECT_EQ(f->Width(), std::min(cases[i].width, area.width() - f->Left()));
    EXPECT_EQ(f->Height(), std::min(cases[i].height, area.height() - f->Top()));
    EXPECT_EQ(f->SubWindow()->geometry(), QRect(f->Left(), f->Top(), f->Width(), f->Height()));
    EXPECT_EQ(f->Left(), f->Top());
    EXPECT_GT(f->Left(), lastLeft) << "each child a step further than the one behind it";
    lastLeft = f->Left();
  }
  EXPECT_EQ(kids[0]->Left(), 0);
  EXPECT_EQ(frame->ActiveMDIChild(), kids[2]) << "the active child stays in front";
}

TEST_F(Menus, ItemsChangeAtRunTimeWithRadioGroupsAndShortcuts) {
  auto* f = new TForm(Application);
  auto* popup = new TPopupMenu(f);
  auto* one = new TMenuItem(f);
  auto* two = new TMenuItem(f);
  auto* three = new TMenuItem(f);
  for (auto* it : {one, two, three}) {
    it->SetRadioItem(true);
    it->SetGroupIndex(7);
    popup->Items()->Add(it);
  }
  one->SetChecked(true);
  two->SetChecked(true);
  EXPECT_FALSE(one->Checked());
  EXPECT_TRUE(two->Checked());
  EXPECT_FALSE(three->Checked());
  three->SetGroupIndex(8);
  three->SetChecked(true);
  EXPECT_TRUE(two->Checked()) << "another group is left alone";

  EXPECT_EQ(popup->Items()->IndexOf(two), 1);
  popup->Items()->Delete(0);
  EXPECT_EQ(popup->Items()->Count(), 2);
  EXPECT_EQ(two->MenuIndex(), 0);
  auto* line = NewLine();
  popup->Items()->Insert(1, line);
  EXPECT_TRUE(popup->Items()->Items(1)->IsLine());
  EXPECT_THROW(popup->Items()->Insert(1, line), EMenuError);

  bool popped = false;
  popup->OnPopup = [&](TObject*) { popped = true; };
  popup->Popup(10, 10);
  EXPECT_TRUE(popped);
  EXPECT_EQ(popup->Items()->SubMenu()->actions().size(), 3);
  QAction* sep = popup->Items()->SubMenu()->actions().at(1);
  EXPECT_TRUE(sep->isSeparator());
  EXPECT_TRUE(sep->text().isEmpty()) << "styles draw a separator's text as a heading";

  EXPECT_EQ(ShortCutToText(ShortCut('S', ssCtrl)), "Ctrl+S");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_F5, 0)), "F5");
  EXPECT_EQ(TextToShortCut("Shift+Ctrl+Del"), ShortCut(VK_DELETE, ssShift | ssCtrl));
}

TEST_F(Menus, ItemHintsGoToTheApplicationAndClicksToTheHandler) {
  auto* f = new TForm(Application);
  auto* m = new TMainMenu(f);
  auto* it = new TMenuItem(f);
  it->SetCaption("E&xit");
  it->SetHint("Leave|Ends the program");
  m->Items()->Add(it);
  f->SetMenu(m);
  std::string hint;
  Application->OnHint = [&](TObject*) { hint = Application->Hint(); };
  it->Action()->hover();
  EXPECT_EQ(hint, "Ends the program");
  int clicks = 0;
  it->OnClick = [&](TObject*) { ++clicks; };
  it->Action()->trigger();
  it->SetEnabled(false);
  it->Click();
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(it->Action()->isEnabled());
  EXPECT_EQ(m->Items()->Find("exit"), it);
  Application->OnHint = nullptr;
}

// Real mouse events on the Qt menus, as a user's pointer makes them.
void MoveMouse(QWidget* w, QPoint p) {
  QMouseEvent e(QEvent::MouseMove, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::NoButton, Qt::NoButton,
                Qt::NoModifier);
  QCoreApplication::sendEvent(w, &e);
}
void ClickMouse(QWidget* w, QPoint p) {
  const QPointF g = w->mapToGlobal(QPointF(p));
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(p), g, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(p), g, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &release);
}

TEST_F(Menus, HoveringItemsThatOpenSubmenusShowsTheirHintsAndClosingClearsIt) {
  auto* f = new TForm(Application);
  f->SetBounds(0, 0, 400, 300);
  auto* m = new TMainMenu(f);
  auto* file = new TMenuItem(f);
  file->SetCaption("&File");
  file->SetHint("File|File related commands");
  auto* recent = new TMenuItem(f);
  recent->SetCaption("Recent");
  recent->SetHint("Recent|Files opened lately");
  auto* first = new TMenuItem(f);
  first->SetCaption("a.def");
  first->SetHint("Opens a.def");
  recent->Add(first);
  auto* save = new TMenuItem(f);
  save->SetCaption("Save");
  save->SetHint("Saves the file");
  save->SetEnabled(false);
  auto* exit = new TMenuItem(f);
  exit->SetCaption("E&xit");
  exit->SetHint("Ends the program");
  file->Add({recent, save, exit});
  m->Items()->Add(file);
  f->SetMenu(m);
  f->Show();
  std::vector<std::string> hints;
  Application->OnHint = [&](TObject*) { hints.push_back(Application->Hint()); };

  QMenuBar* bar = f->Peer()->findChild<QMenuBar*>();
  ASSERT_NE(bar, nullptr);
  QAction* fileAction = bar->actions().at(0);
  MoveMouse(bar, bar->actionGeometry(fileAction).center());
  ASSERT_FALSE(hints.empty());
  EXPECT_EQ(hints.back(), "File related commands") << "a menu bar item with a submenu has its hint too";

  ClickMouse(bar, bar->actionGeometry(fileAction).center());
  QMenu* popup = file->SubMenu();
  ASSERT_TRUE(popup->isVisible());
  MoveMouse(popup, popup->actionGeometry(recent->SubMenu()->menuAction()).center());
  EXPECT_EQ(hints.back(), "Files opened lately") << "so has an item inside a menu that opens one";
  MoveMouse(popup, popup->actionGeometry(exit->Action()).center());
  EXPECT_EQ(hints.back(), "Ends the program");
  MoveMouse(popup, popup->actionGeometry(save->Action()).center());
  EXPECT_EQ(hints.back(), "Saves the file") << "a disabled item shows its own hint";

  popup->close();
  Application->ProcessMessages();
  EXPECT_EQ(Application->Hint(), "") << "the hint goes with the last menu";
  Application->OnHint = nullptr;
}

TEST_F(Menus, APressOnTheMenuBarReachesTheClickWatcherAsThePressOnItsForm) {
  auto* f = new TForm(Application);
  f->SetBounds(0, 0, 400, 300);
  auto* m = new TMainMenu(f);
  auto* file = new TMenuItem(f);
  file->SetCaption("&File");
  auto* exit = new TMenuItem(f);
  exit->SetCaption("E&xit");
  file->Add(exit);
  m->Items()->Add(file);
  f->SetMenu(m);
  f->Show();
  std::vector<TControl*> pressed;
  Application->OnAnyMouseDown = [&](TControl* Target) { pressed.push_back(Target); };

  QMenuBar* bar = f->Peer()->findChild<QMenuBar*>();
  ASSERT_NE(bar, nullptr);
  // On the bar beside the items, and on an item (which opens its menu).
  ClickMouse(bar, QPoint(bar->width() - 4, bar->height() / 2));
  ClickMouse(bar, bar->actionGeometry(bar->actions().at(0)).center());
  Application->OnAnyMouseDown = nullptr;
  while (QWidget* popup = QApplication::activePopupWidget()) popup->close();
  EXPECT_EQ(pressed, (std::vector<TControl*>{f, f}));
}

}  // namespace

// A child shown at its own size lays its controls out in the client area its caption and frame
// leave, whether the controls came before or after it became a child: none reaches under the
// frame's right or bottom edge.
TEST_F(Menus, AChildShownAtItsSizeAlignsItsControlsInsideItsFrame) {
  auto [frame, window] = MakeFrame();
  (void)window;
  for (bool controlsFirst : {true, false}) {
    SCOPED_TRACE(controlsFirst ? "controls first" : "child first");
    auto* f = new TForm(Application);
    f->SetBounds(0, 0, 300, 200);
    if (!controlsFirst) f->SetFormStyle(fsMDIChild);
    auto* bottom = new TProbe(f);
    bottom->SetAlign(alBottom);
    bottom->SetHeight(40);
    bottom->SetParent(f);
    auto* fill = new TProbe(f);
    fill->SetAlign(alClient);
    fill->SetParent(f);
    int sizes = 0;
    f->OnResize = [&](TObject*) { ++sizes; };
    if (controlsFirst) f->SetFormStyle(fsMDIChild);
    Application->ProcessMessages();
    ASSERT_NE(f->SubWindow(), nullptr);
    ASSERT_FALSE(f->SubWindow()->isMaximized());
    ASSERT_LT(f->ClientWidth(), 300) << "the frame is no client area";
    EXPECT_EQ(f->ClientWidth(), f->SubWindow()->widget()->width());
    EXPECT_EQ(f->ClientHeight(), f->SubWindow()->widget()->height());
    EXPECT_EQ(fill->Width(), f->ClientWidth());
    EXPECT_EQ(bottom->Width(), f->ClientWidth());
    EXPECT_EQ(bottom->Top() + bottom->Height(), f->ClientHeight());
    EXPECT_EQ(fill->Top() + fill->Height(), bottom->Top());
    if (controlsFirst) {
      EXPECT_GE(sizes, 1) << "the form hears that its client area changed";
    }
    delete f;
  }
}
