// The grid's markup hint window (size, place on its monitor, plain text kept plain) and its
// balloon tips (text rules, the window's life, shown and hidden as the pointer rests and moves).
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <memory>
#include <string>

#include "controls/grid/ExtUtil.h"
#include "controls/grid/GridHints.h"
#include "platform/gui/Timer.h"
#include "tests/controls/grid/GridInputFixture.h"

namespace {

class HintsTest : public GridInputTest {
 public:
  void MoveTo(int c, int r) {
    const TPoint p = Mid(c, r);
    Mouse(QEvent::MouseMove, p.X, p.Y, Qt::NoButton);
  }
  // The pointer rests: the balloon's delay runs out.
  void Rest() { grid->BalloonTimer()->Tick(); }
};

// N times a two-byte character.
std::string E(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "\u00e9";
  return s;
}

TEST_F(HintsTest, BalloonTextFollowsTheCellAndItsLimits) {
  const std::string k1024(1024, 'k'), k1025(1025, 'k');
  struct Case {
    std::string cell, text;
  } cases[] = {
      {"plain & <text>", "plain & <text>"},
      {"<b>bold</b> &amp; <i>it</i>", "bold & it"},
      {"\t\r\n\tafter\tbreaks", "after breaks"},  // leading breaks go, tabs become blanks
      {"{\\rtf1\\ansi {\\fonttbl{\\f0 Arial;}}rich words}", "rich words"},
      {ExtUtil::EncodeWideText(u"wide \u00e9"), "wide \u00e9"},
      {k1024, k1024},
      {k1025, std::string(1021, 'k') + "..."},
      // Characters are counted, not bytes, and a cut never splits one.
      {E(1024), E(1024)},
      {E(1025), E(1021) + "..."},
      {"k" + E(1024), "k" + E(1020) + "..."},
  };
  grid->EnableHTML = true;
  for (const Case& k : cases) {
    grid->SetCells(2, 3, k.cell);
    std::string title, text;
    int icon = -5;
    EXPECT_TRUE(grid->CellBalloon(2, 3, title, text, icon)) << k.cell;
    EXPECT_EQ(text, k.text) << k.cell;
    EXPECT_EQ(title, " ");
    EXPECT_EQ(icon, 1);
  }
  grid->SetCells(2, 3, "");
  std::string title, text;
  int icon = 0;
  EXPECT_FALSE(grid->CellBalloon(2, 3, title, text, icon)) << "an empty cell has no balloon";
  // The handler's answers are held to the same limits.
  struct Handled {
    std::string title, text;
    int icon;
    std::string shownTitle, shownText;
    int shownIcon;
  } handled[] = {{"T", std::string(5000, 'x'), 2, "T", std::string(1021, 'x') + "...", 2},
                 {std::string(101, 't'), "ok", 3, std::string(97, 't') + "...", "ok", 3},
                 {std::string(100, 't'), "ok", 7, std::string(100, 't'), "ok", 0},
                 {E(100), "ok", 1, E(100), "ok", 1},
                 {E(60), "ok", 1, E(60), "ok", 1},
                 {"t" + E(100), "ok", 1, "t" + E(96) + "...", "ok", 1},
                 {"T", "", 1, "T", "", 1}};
  for (const Handled& h : handled) {
    grid->OnCellBalloon = [&](TObject*, int c, int r, std::string& t, std::string& x, int& i) {
      EXPECT_EQ(TPoint(c, r), TPoint(1, 1));
      t = h.title, x = h.text, i = h.icon;
    };
    const bool any = grid->CellBalloon(1, 1, title, text, icon);
    EXPECT_EQ(any, !h.shownText.empty());
    EXPECT_EQ(title, h.shownTitle);
    EXPECT_EQ(text, h.shownText);
    EXPECT_EQ(icon, h.shownIcon);
  }
}

TEST_F(HintsTest, BalloonShowsOverTheRestingCellAndLivesWithTheSetting) {
  EXPECT_EQ(grid->BalloonWindow(), nullptr) << "off by default";
  // A layout that turns balloons on makes the window only when loading is over.
  grid->BeginLoading();
  grid->Balloon()->SetEnable(true);
  EXPECT_EQ(grid->BalloonWindow(), nullptr);
  grid->Loaded();
  ASSERT_NE(grid->BalloonWindow(), nullptr);
  grid->Balloon()->BackgroundColor = clYellow;
  grid->OnCellBalloon = [](TObject*, int, int, std::string& t, std::string&, int& i) { t = "Cell", i = 2; };
  MoveTo(2, 3);
  EXPECT_FALSE(grid->BalloonWindow()->Active()) << "not before the delay";
  Rest();
  TBalloonWindow* b = grid->BalloonWindow();
  ASSERT_TRUE(b->Active());
  EXPECT_EQ(b->BalloonText(), "2:3");
  EXPECT_EQ(b->Title(), "Cell");
  EXPECT_EQ(b->Icon(), 2);
  EXPECT_EQ(b->Color(), clYellow);
  // Its tail points just below the pointer, on the same monitor.
  const TPoint tip = grid->ClientToScreen(TPoint(Mid(2, 3).X, Mid(2, 3).Y + 18));
  EXPECT_EQ(b->Left() + b->TailPoint().X, tip.X);
  EXPECT_EQ(b->Top() + b->TailPoint().Y, tip.Y);
  MoveTo(2, 3);
  EXPECT_TRUE(b->Active()) << "moving within the cell keeps it";
  MoveTo(3, 5);
  EXPECT_FALSE(b->Active()) << "another cell takes it away";
  Rest();
  EXPECT_EQ(b->BalloonText(), "3:5");
  Rest();
  EXPECT_FALSE(b->Active()) << "its time runs out";
  // No balloon while a button is held (a sizing or selecting drag).
  const TPoint from = Mid(1, 2), to = Mid(2, 6);
  Mouse(QEvent::MouseButtonPress, from.X, from.Y);
  Mouse(QEvent::MouseMove, to.X, to.Y);
  EXPECT_FALSE(grid->BalloonTimer()->Enabled());
  Mouse(QEvent::MouseButtonRelease, to.X, to.Y);
  grid->Balloon()->SetEnable(false);
  EXPECT_EQ(grid->BalloonWindow(), nullptr);
  grid->Balloon()->SetEnable(true);
  grid->Balloon()->SetEnable(true);
  ASSERT_NE(grid->BalloonWindow(), nullptr);
  // The window goes with the grid.
  bool gone = false;
  struct Watcher : TComponent {
    bool* gone;
    explicit Watcher(bool* g) : TComponent(nullptr), gone(g) {}
    void Notification(TComponent* c, TOperation op) override {
      if (op == opRemove) *gone = true;
      TComponent::Notification(c, op);
    }
  } watcher(&gone);
  grid->BalloonWindow()->FreeNotification(&watcher);
  delete grid;
  grid = nullptr;
  EXPECT_TRUE(gone);
}

TEST_F(HintsTest, MarkupHintWindowSizesToItsTextOnItsMonitor) {
  struct Case {
    std::string hint, markup;
  } cases[] = {{"<b>bold</b>", "<b>bold</b>"}, {"a<b & c", "a&lt;b &amp; c"}, {"one\r\ntwo", "one<BR>two"}};
  for (const Case& k : cases) EXPECT_EQ(THTMLHintWindow::HintMarkup(k.hint), k.markup);
  auto* w = new THTMLHintWindow(form);
  const TRect mon = Screen->MonitorRect(TPoint(0, 0));
  w->ActivateHint(TRect(mon.Left + 10, mon.Top + 10, 0, 0), "<b>some</b> text");
  const TSize s = w->TextSize();
  EXPECT_GT(s.cx, 0);
  EXPECT_GT(s.cy, 0);
  EXPECT_EQ(w->Width(), s.cx + 16);
  EXPECT_EQ(w->Height(), s.cy + 4);
  EXPECT_EQ(w->Left(), mon.Left + 10);
  EXPECT_TRUE(w->Active());
  // Near the right and bottom edges it moves to end 2 pixels inside.
  w->ActivateHint(TRect(mon.Right - 5, mon.Bottom - 5, 0, 0), "<b>some</b> text");
  EXPECT_EQ(w->Left() + w->Width(), mon.Right - 2);
  EXPECT_EQ(w->Top() + w->Height(), mon.Bottom - 2);
  // Wider than the monitor: it keeps its left edge.
  std::string wide;
  for (int i = 0; i < 400; ++i) wide += "<b>word</b> ";  // wraps 1008 pixels wide
  w->ActivateHint(TRect(mon.Left + 40, mon.Top + 10, 0, 0), wide);
  ASSERT_GT(w->Width(), mon.Width()) << "the case needs a hint wider than the monitor";
  EXPECT_EQ(w->Left(), mon.Left + 40);
  // Cell hints come in the markup window.
  grid->HintShowCells = true;
  THintInfo info;
  info.CursorPos = Mid(2, 3);
  grid->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.HintStr, "2:3");
  ASSERT_NE(info.HintWindowClass, nullptr);
  std::unique_ptr<THintWindow> made(info.HintWindowClass(nullptr));
  EXPECT_EQ(made->ClassName(), "THTMLHintWindow");
}

TEST_F(HintsTest, MarkupHintWindowCastsAShadowOfWhatLiesBelowIt) {
  // A hint over the form's plain face: right of it and below it the face shows darker, most
  // along the hint, fading out over the shadow's depth; past the depth the face is untouched.
  const int d = THintWindow::ShadowDepth;
  const TPoint at = form->ClientToScreen(TPoint(150, 330));
  QScreen* screen = QGuiApplication::primaryScreen();
  auto grab = [&](int x, int y) { return screen->grabWindow(0, x, y, 1, 1).toImage().pixel(0, 0); };
  const QRgb face = grab(at.X + 100, at.Y + 20);
  auto* w = new THTMLHintWindow(form);
  EXPECT_TRUE(w->DropShadow());
  w->ActivateHint(TRect(at.X, at.Y, 0, 0), "some <b>hint</b><br>on<br>three lines");
  Flush();
  const TRect r = w->BoundsRect();
  ASSERT_LT(r.Bottom + d, at.Y + 70) << "the case needs the hint over the form's face";
  EXPECT_EQ(w->ShadowRect(), TRect(r.Left + d, r.Top + d, r.Right + d, r.Bottom + d));
  const int midY = (r.Top + r.Bottom) / 2, midX = (r.Left + r.Right) / 2;
  const QRgb right[] = {grab(r.Right, midY), grab(r.Right + d / 2, midY), grab(r.Right + d - 1, midY)};
  const QRgb below[] = {grab(midX, r.Bottom), grab(midX, r.Bottom + d / 2), grab(midX, r.Bottom + d - 1)};
  for (const QRgb* strip : {right, below}) {
    EXPECT_LT(qGray(strip[0]), qGray(face) * 4 / 5) << "darkest along the hint";
    EXPECT_LT(qGray(strip[0]), qGray(strip[1]));
    EXPECT_LT(qGray(strip[1]), qGray(strip[2]));
    EXPECT_LT(qGray(strip[2]), qGray(face)) << "still a shadow at its last pixel";
  }
  EXPECT_EQ(grab(r.Right + d, midY), face) << "nothing past the depth";
  EXPECT_EQ(grab(midX, r.Bottom + d), face);
  EXPECT_EQ(grab(r.Left + 1, r.Bottom + 1), face) << "the shadow is offset, not under the left edge";
  w->ReleaseHandle();
  Flush();
  EXPECT_EQ(w->ShadowRect(), TRect()) << "the shadow goes with the hint";
  EXPECT_EQ(grab(r.Right + 1, midY), face);
  w->SetDropShadow(false);
  w->ActivateHint(TRect(at.X, at.Y, 0, 0), "some <b>hint</b>");
  Flush();
  EXPECT_EQ(w->ShadowRect(), TRect());
}

}  // namespace
