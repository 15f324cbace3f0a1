// The grid's window messages driven through the real widgets offscreen: middle-button panning
// (its cursor per pointer offset, its ends, its marker), the selection-changed notice after
// panning and wheel steps, zoom by Ctrl and the wheel, the theme change, the in-cell combo
// box's notifications, in-cell editors ended by scrolling, and the timers stopped with the window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/grid/ExtGridEditors.h"
#include "platform/gui/Feedback.h"
#include "platform/gui/FormImage.h"
#include "platform/gui/Messages.h"
#include "platform/gui/VisualStyles.h"
#include "platform/gui/WinWindow.h"
#include "tests/controls/grid/GridInputFixture.h"

namespace {

class GridMessages : public GridInputTest {
 public:
  void SetUp() override {
    GridInputTest::SetUp();
    savedLines = QApplication::wheelScrollLines();
  }
  void TearDown() override {
    QApplication::setWheelScrollLines(savedLines);
    GridInputTest::TearDown();
  }
  void Tick() { grid->Perform(WM_TIMER, 999, 0); }
  void StartPan(int x, int y) {
    Mouse(QEvent::MouseButtonPress, x, y, Qt::MiddleButton);
    Mouse(QEvent::MouseButtonRelease, x, y, Qt::MiddleButton);
  }
  void BigGrid() {
    grid->SetColCount(20);
    grid->SetRowCount(60);
    Load();
  }
  // What the screen shows of the form, after pending paints.
  QImage Shown() {
    Flush();
    QWidget* top = form->Peer()->window();
    return QGuiApplication::primaryScreen()->grabWindow(top->winId()).toImage();
  }
  int savedLines = 3;
};

// ---------------------------------------------------------------- panning
struct PanCase {
  int dx, dy;
  TCursor cursor;
  int moveCol, moveRow;
};

TEST_F(GridMessages, PanningShowsTheDirectionCursorAndMovesOneCellPerTick) {
  BigGrid();
  grid->IntelliPan = ipBoth;
  StartPan(200, 120);
  ASSERT_TRUE(grid->Panning());
  EXPECT_EQ(grid->Cursor(), TExtStringGrid::crGridPan);
  EXPECT_EQ(GetCapture(), grid->Handle()) << "the grid holds the mouse while panning";
  const std::vector<PanCase> cases = {
      {0, 0, TExtStringGrid::crGridPan, 0, 0},           {5, -5, TExtStringGrid::crGridPan, 0, 0},
      {-5, 5, TExtStringGrid::crGridPan, 0, 0},          {6, 0, TExtStringGrid::crGridPanRight, 1, 0},
      {-30, 0, TExtStringGrid::crGridPanLeft, -1, 0},    {0, 30, TExtStringGrid::crGridPanDown, 0, 1},
      {0, -6, TExtStringGrid::crGridPanUp, 0, -1},       {30, -30, TExtStringGrid::crGridPanUpRight, 1, -1},
      {-30, -30, TExtStringGrid::crGridPanUpLeft, -1, -1}, {30, 30, TExtStringGrid::crGridPanDownRight, 1, 1},
      {-30, 30, TExtStringGrid::crGridPanDownLeft, -1, 1}};
  for (const PanCase& k : cases) {
    grid->FocusCell(8, 20, true);
    Mouse(QEvent::MouseMove, 200 + k.dx, 120 + k.dy);
    Tick();
    EXPECT_EQ(grid->Cursor(), k.cursor) << "offset " << k.dx << "," << k.dy;
    EXPECT_EQ(Current(), TPoint(8 + k.moveCol, 20 + k.moveRow)) << "offset " << k.dx << "," << k.dy;
    EXPECT_TRUE(grid->Panning());
  }
  std::vector<HCURSOR> shown;
  for (int n = TExtStringGrid::crGridPan; n <= TExtStringGrid::crGridPanDownLeft; ++n) {
    ASSERT_NE(Screen->Cursors(n), nullptr) << n;
    for (HCURSOR h : shown) EXPECT_NE(h, Screen->Cursors(n)) << "each direction has its own art: " << n;
    shown.push_back(Screen->Cursors(n));
  }
}

TEST_F(GridMessages, PanningStopsAtTheEdgesAndKeepsToItsAxis) {
  BigGrid();
  grid->SetFixedFooters(1);
  grid->IntelliPan = ipVertical;
  grid->FocusCell(3, 57, true);
  StartPan(200, 120);
  Mouse(QEvent::MouseMove, 260, 200);
  for (int i = 0; i < 4; ++i) Tick();
  EXPECT_EQ(Current(), TPoint(3, 58)) << "rows only, never into the footer row";
  EXPECT_EQ(grid->Cursor(), TExtStringGrid::crGridPanDown) << "the cursor shows the axis's direction";
  grid->IntelliPan = ipHorizontal;
  grid->FocusCell(17, 10, true);
  for (int i = 0; i < 4; ++i) Tick();
  EXPECT_EQ(Current(), TPoint(19, 10)) << "columns only, up to the last";
  EXPECT_EQ(grid->Cursor(), TExtStringGrid::crGridPanRight);
}

TEST_F(GridMessages, WhilePanningThePanCursorShowsEvenOverTheFixedCells) {
  BigGrid();
  grid->MouseActions()->ColSelect = true;
  StartPan(200, 120);
  Mouse(QEvent::MouseMove, 200, 5);  // over the fixed row: a column select cursor otherwise
  Tick();
  ASSERT_EQ(grid->Cursor(), TExtStringGrid::crGridPanUp);
  LRESULT r = grid->Perform(WM_SETCURSOR, reinterpret_cast<WPARAM>(grid->Handle()), MakeLParam(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(r, 1);
  const QCursor* want = reinterpret_cast<const QCursor*>(Screen->Cursors(TExtStringGrid::crGridPanUp));
  EXPECT_EQ(grid->ClientWidget()->cursor().pixmap().cacheKey(), want->pixmap().cacheKey());
}

TEST_F(GridMessages, CancelModeWhileMovingAColumnEndsTheMoveLook) {
  grid->SetColCount(12);
  grid->SetOptions(grid->Options() | goColMoving);
  Load();
  const TRect h = grid->CellRect(2, 0);
  const TPoint a((h.Left + h.Right) / 2, (h.Top + h.Bottom) / 2);
  Mouse(QEvent::MouseButtonPress, a.X, a.Y);
  Mouse(QEvent::MouseMove, grid->ClientRect().Right + 10, a.Y);
  ASSERT_EQ(grid->GridState(), gsColMoving);
  ASSERT_TRUE(grid->MoveImage() && grid->MoveImage()->Visible());
  ASSERT_GT(WindowTimerInterval(grid->Handle(), 997), 0u);
  CancelCaptureMode();
  EXPECT_EQ(grid->GridState(), gsNormal);
  EXPECT_FALSE(grid->MoveImage()->Visible());
  EXPECT_TRUE(grid->Feedback()->Marks().empty()) << "the drop marker goes";
  EXPECT_EQ(WindowTimerInterval(grid->Handle(), 997), 0u);
  EXPECT_EQ(grid->Cursor(), crDefault);
  Mouse(QEvent::MouseButtonRelease, a.X + 200, a.Y);
  EXPECT_EQ(grid->Cells(2, 1), "2:1") << "a cancelled move moves nothing";
}

struct PanEnd {
  const char* name;
  std::function<void(GridMessages&)> act;
};

TEST_F(GridMessages, AKeyOrAnyButtonEndsPanningAndGivesBackTheCursor) {
  BigGrid();
  const std::vector<PanEnd> ends = {
      {"key", [](GridMessages& t) { t.Key(Qt::Key_Shift); }},
      {"left button", [](GridMessages& t) { t.Click(40, 40); }},
      {"right button", [](GridMessages& t) { t.Click(40, 40, Qt::RightButton); }},
      {"middle button", [](GridMessages& t) { t.Click(40, 40, Qt::MiddleButton); }},
      {"cancel mode", [](GridMessages&) { CancelCaptureMode(); }}};
  for (const PanEnd& e : ends) {
    grid->SetCursor(crCross);
    StartPan(200, 120);
    ASSERT_TRUE(grid->Panning()) << e.name;
    Mouse(QEvent::MouseMove, 200, 220);
    Tick();
    ASSERT_EQ(grid->Cursor(), TExtStringGrid::crGridPanDown) << e.name;
    e.act(*this);
    EXPECT_FALSE(grid->Panning()) << e.name;
    EXPECT_EQ(grid->Cursor(), crCross) << e.name << ": the cursor from before comes back";
    EXPECT_NE(GetCapture(), grid->Handle()) << e.name;
    EXPECT_EQ(WindowTimerInterval(grid->Handle(), 999), 0u) << e.name;
    const TPoint at = Current();
    Tick();
    EXPECT_EQ(Current(), at) << e.name << ": a late tick moves nothing";
  }
}

TEST_F(GridMessages, AWheelWhilePanningStepsAsTheBaseGridsWheelAndPanningGoesOn) {
  BigGrid();
  grid->EnableWheel = true;
  grid->MouseActions()->WheelIncrement = 5;  // the grid's own wheel step would move 5 rows
  grid->FocusCell(4, 10, true);
  StartPan(200, 120);
  ASSERT_TRUE(grid->Panning());
  Wheel(-120);
  EXPECT_EQ(Current(), TPoint(4, 11)) << "one row down, as the base grid's wheel moves";
  Wheel(120);
  EXPECT_EQ(Current(), TPoint(4, 10));
  EXPECT_TRUE(grid->Panning());
  EXPECT_EQ(grid->Cursor(), TExtStringGrid::crGridPan);
  Mouse(QEvent::MouseMove, 200, 220);
  Tick();
  EXPECT_EQ(Current(), TPoint(4, 11)) << "the panning timer still moves";
}

TEST_F(GridMessages, WithoutIntelliPanTheMiddleButtonPansNothing) {
  BigGrid();
  grid->IntelliPan = ipNone;
  grid->FocusCell(4, 10, true);
  StartPan(200, 120);
  EXPECT_FALSE(grid->Panning());
  EXPECT_EQ(grid->Cursor(), crDefault);
  EXPECT_EQ(WindowTimerInterval(grid->Handle(), 999), 0u);
  Mouse(QEvent::MouseMove, 200, 220);
  Tick();
  EXPECT_EQ(Current(), TPoint(4, 10));
}

// Pixel colours of a marker picture, as rows of '#' (black), '.' (white) and '-' (anything else).
char Ink(QRgb c) {
  c &= 0xFFFFFF;
  return c == 0 ? '#' : c == 0xFFFFFF ? '.' : '-';
}

TEST_F(GridMessages, TheMarkerShowsTheAxesOfThePanningMode) {
  struct MarkerCase {
    TIntelliPan mode;
    bool vert, horz;
  };
  for (MarkerCase k : {MarkerCase{ipVertical, true, false}, MarkerCase{ipHorizontal, false, true},
                       MarkerCase{ipBoth, true, true}}) {
    TBitmap b;
    TExtStringGrid::LoadPanMarker(k.mode, &b);
    ASSERT_EQ(b.Width(), 26);
    ASSERT_EQ(b.Height(), 26);
    QImage img = b.ToImage();
    EXPECT_EQ(Ink(img.pixel(0, 0)), '.') << "the background is drawn white";
    EXPECT_EQ(Ink(img.pixel(12, 12)), '#') << "the centre dot";
    EXPECT_EQ(Ink(img.pixel(12, 4)) == '#', k.vert) << "head up, mode " << k.mode;
    EXPECT_EQ(Ink(img.pixel(12, 21)) == '#', k.vert) << "head down, mode " << k.mode;
    EXPECT_EQ(Ink(img.pixel(4, 12)) == '#', k.horz) << "head left, mode " << k.mode;
    EXPECT_EQ(Ink(img.pixel(21, 12)) == '#', k.horz) << "head right, mode " << k.mode;
  }
  std::string bytes;
  for (const char* name : {"INTLI1", "INTLI2", "INTLI3"}) EXPECT_TRUE(FindResource(name, bytes)) << name;
}

TEST_F(GridMessages, TheMarkerIsDrawnAtTheOriginWhilePanning) {
  BigGrid();
  grid->IntelliPan = ipVertical;
  const int ox = 150, oy = 100;
  const TPoint origin = grid->ClientToScreen(TPoint(ox, oy)), formOrigin = form->ClientToScreen(TPoint(0, 0));
  const int fx = origin.X - formOrigin.X, fy = origin.Y - formOrigin.Y;
  QImage before = Shown();
  StartPan(ox, oy);
  EXPECT_EQ(grid->PanMarkerRect(), TRect(ox, oy, ox + 32, oy + 32));
  QImage during = Shown();
  const std::string file = TestImagePath("extgrid-panning.png");
  EXPECT_TRUE(SaveControlImage(form, file));
  EXPECT_EQ(Ink(during.pixel(fx + 12, fy + 4)), '#') << "the up head";
  EXPECT_EQ(Ink(during.pixel(fx + 12, fy + 12)), '#') << "the dot";
  EXPECT_EQ(Ink(during.pixel(fx + 4, fy + 12)), '.') << "no left head in vertical panning";
  Key(Qt::Key_Escape);
  QImage after = Shown();
  EXPECT_EQ(grid->PanMarkerRect(), TRect());
  for (int y = 0; y < 26; ++y)
    for (int x = 0; x < 26; ++x)
      ASSERT_EQ(after.pixel(fx + x, fy + y), before.pixel(fx + x, fy + y)) << "the marker is gone at " << x << "," << y;
}

// Scrolling while panning must not carry copies of the marker along with the moved rows.
TEST_F(GridMessages, PanningThatScrollsLeavesOneMarkerAtTheOrigin) {
  BigGrid();
  grid->IntelliPan = ipVertical;
  const int top0 = grid->TopRow();
  StartPan(150, 60);
  Mouse(QEvent::MouseMove, 150, 160);
  for (int i = 0; i < 40; ++i) {
    Tick();
    Flush();
  }
  ASSERT_GT(grid->TopRow(), top0 + 3) << "the panning scrolled";
  ASSERT_TRUE(grid->Panning());
  QImage ticked = Shown();
  grid->Invalidate();
  QImage repainted = Shown();
  EXPECT_TRUE(ticked == repainted) << "the view after scrolling ticks matches a full repaint";
}

// ---------------------------------------------------------------- selection notices
TEST_F(GridMessages, PanAndWheelStepsTellAChangedSelection) {
  BigGrid();
  std::vector<TGridRect> told;
  grid->OnSelectionChanged = [&](TObject*, int l, int t, int r, int b) { told.push_back({l, t, r, b}); };
  grid->FocusCell(2, 10, true);
  told.clear();
  StartPan(200, 120);
  told.clear();  // the press itself is the mouse's
  Mouse(QEvent::MouseMove, 203, 123);
  Tick();
  EXPECT_TRUE(told.empty()) << "a tick in the dead zone changes nothing";
  Mouse(QEvent::MouseMove, 200, 180);
  Tick();
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0], (TGridRect{2, 11, 2, 11}));
  Key(Qt::Key_Shift);
  told.clear();
  Wheel(-120);
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].Top, 11 + QApplication::wheelScrollLines());
  grid->FocusCell(2, 1, true);
  told.clear();
  Wheel(120);
  EXPECT_TRUE(told.empty()) << "a wheel step that cannot move tells nothing";
}

// ---------------------------------------------------------------- zoom
TEST_F(GridMessages, ElevenOneLineZoomNotchesChangeSizesTenTimes) {
  QApplication::setWheelScrollLines(1);
  Load();
  grid->SetColWidths(3, 1);
  const int w = grid->ColWidths(1), h = grid->RowHeights(1);
  for (int i = 0; i < 11; ++i) Wheel(-120, Qt::ControlModifier);
  EXPECT_EQ(grid->ZoomLevel(), 10);
  EXPECT_EQ(grid->ColWidths(1), w + 10);
  EXPECT_EQ(grid->RowHeights(1), h + 10);
  EXPECT_EQ(grid->ColWidths(3), 11);
  for (int i = 0; i < 10; ++i) Wheel(120, Qt::ControlModifier);
  EXPECT_EQ(grid->ColWidths(1), w);
  EXPECT_EQ(grid->ColWidths(3), 1);
  Wheel(120, Qt::ControlModifier);
  EXPECT_EQ(grid->ColWidths(1), w - 1);
  EXPECT_EQ(grid->ColWidths(3), 1) << "a width of 1 zoomed out keeps 1";
  grid->IntelliZoom = false;
  grid->FocusCell(1, 2, true);
  Wheel(-120, Qt::ControlModifier);
  EXPECT_EQ(grid->ColWidths(1), w - 1) << "without IntelliZoom Ctrl and the wheel do not zoom";
}

// ---------------------------------------------------------------- theme change
TEST_F(GridMessages, AThemeChangeRereadsTheColoursOnlyWithAutoThemeAdapt) {
  SetVisualStylesLoader([] {
    auto lib = std::make_unique<TVisualStylesLibrary>();
    lib->IsThemeActive = [] { return true; };
    lib->GetCurrentThemeName = [](std::u16string& f, std::u16string& c, std::u16string& s) {
      f = u"luna.msstyles";
      c = u"HomeStead";
      s = u"NormalSize";
      return S_OK;
    };
    return lib;
  });
  const QString saved = QApplication::style()->name();
  auto newStyle = [&] {
    const QString other = QApplication::style()->name().compare("Windows", Qt::CaseInsensitive) == 0 ? "Fusion" : "Windows";
    QApplication::setStyle(QStyleFactory::create(other));
    QApplication::processEvents();
  };
  Load();
  grid->FixedGradientStart = TColorOf(0x123456);
  newStyle();
  EXPECT_EQ(grid->FixedGradientStart, TColorOf(0x123456)) << "without AutoThemeAdapt the colours stay";
  grid->SetAutoThemeAdapt(true);
  EXPECT_TRUE(grid->SearchFooter()->AutoThemeAdapt()) << "passed to the search footer";
  grid->FixedGradientStart = TColorOf(0x123456);
  grid->SetActiveCellColor(clRed);
  newStyle();
  EXPECT_EQ(grid->FixedGradientStart, TColorOf(0xCFF0EA));
  EXPECT_EQ(grid->FixedGradientEnd, TColorOf(0x8CC0B1));
  EXPECT_EQ(grid->ActiveCellColor(), TColorOf(0x94E6FB));
  QApplication::setStyle(QStyleFactory::create(saved));
  QApplication::processEvents();
  SetVisualStylesLoader(nullptr);
}

// ---------------------------------------------------------------- the in-cell combo box
struct ComboTold {
  std::string what;
  int col, row, index;
  std::string text;
  TObject* object;
  bool operator==(const ComboTold&) const = default;
};

class GridCombo : public GridMessages {
 public:
  void SetUp() override {
    GridMessages::SetUp();
    grid->OnGetEditorType = [this](TObject*, int c, int, TEditorType& e) {
      if (c == 2) e = kind;
    };
    grid->OnComboChange = [this](TObject*, int c, int r, int i, const std::string& s) {
      told.push_back({"change", c, r, i, s, nullptr});
    };
    grid->OnComboObjectChange = [this](TObject*, int c, int r, int i, const std::string& s, TObject* o) {
      told.push_back({"object", c, r, i, s, o});
    };
    grid->OnComboCloseUp = [this](TObject*, int r, int c) { told.push_back({"closeup", c, r, 0, "", nullptr}); };
    Load();
    grid->ComboBox()->Items()->AddObject("alpha", &objA);
    grid->ComboBox()->Items()->AddObject("beta", &objB);
  }
  TGridCombo* Open(int c, int r) {
    grid->FocusCell(c, r, true);
    Key(Qt::Key_F2);
    told.clear();
    return dynamic_cast<TGridCombo*>(grid->ActiveCellEditor());
  }
  TEditorType kind = edComboList;
  std::vector<ComboTold> told;
  TObject objA, objB;
};

TEST_F(GridCombo, AChoiceTellsTheIndexTextAndObjectOfTheCurrentCell) {
  grid->SetCells(2, 4, "alpha");
  TGridCombo* combo = Open(2, 4);
  ASSERT_NE(combo, nullptr);
  SendKeyEvent(combo, Qt::Key_Down);
  const std::vector<ComboTold> want = {{"change", 2, 4, 1, "beta", nullptr}, {"object", 2, 4, 1, "beta", &objB}};
  EXPECT_EQ(told, want);
  told.clear();
  combo->SetDroppedDown(true);
  Flush();
  combo->SetDroppedDown(false);
  Flush();
  const std::vector<ComboTold> closed = {{"closeup", 2, 4, 0, "", nullptr}};
  EXPECT_EQ(told, closed);
}

TEST_F(GridCombo, TypingTellsTheTypedTextWithIndexMinusOne) {
  kind = edComboEdit;
  TGridCombo* combo = Open(2, 3);
  ASSERT_NE(combo, nullptr);
  combo->SelectAll();
  SendKeyEvent(combo, Qt::Key_X, Qt::NoModifier, "x");
  std::vector<ComboTold> want = {{"change", 2, 3, -1, "x", nullptr}};
  EXPECT_EQ(told, want) << "a text that names no item tells only the text";
  told.clear();
  combo->SelectAll();
  for (char ch : std::string("beta")) SendKeyEvent(combo, Qt::Key_A + (ch - 'a'), Qt::NoModifier, QString(QChar(ch)));
  ASSERT_GE(told.size(), 3u);
  want = {{"change", 2, 3, 1, "beta", nullptr}, {"object", 2, 3, 1, "beta", &objB}, {"change", 2, 3, -1, "beta", nullptr}};
  EXPECT_EQ(std::vector<ComboTold>(told.end() - 3, told.end()), want) << "a typed item name tells the item, then the text";
  EXPECT_EQ(grid->Cells(2, 3), "2:3") << "telling writes nothing into the cell";
}

TEST_F(GridCombo, ScrollingFinishesAnOpenComboOrDateEditor) {
  grid->SetRowCount(60);
  grid->MouseActions()->WheelAction = waScroll;
  TGridCombo* combo = Open(2, 3);
  ASSERT_NE(combo, nullptr);
  SendKeyEvent(combo, Qt::Key_Down);
  Wheel(-120);
  EXPECT_GT(grid->TopRow(), 1);
  EXPECT_EQ(grid->ActiveCellEditor(), nullptr);
  EXPECT_FALSE(combo->Visible());
  EXPECT_EQ(grid->Cells(2, 3), "beta") << "the choice made is kept";

  kind = edDateEdit;
  grid->SetTopRow(1);
  grid->SetCells(2, 5, "");
  grid->FocusCell(2, 5, true);
  Key(Qt::Key_F2);
  ASSERT_EQ(grid->ActiveCellEditor(), grid->DateEditor());
  Wheel(-120);
  EXPECT_EQ(grid->ActiveCellEditor(), nullptr);
  EXPECT_FALSE(grid->DateEditor()->Visible());
}

TEST_F(GridCombo, AComboBoxPlacedInACellTellsItsChoiceForItsCell) {
  auto* box = new TComboBox(grid);
  box->SetParent(grid);
  box->Items()->Add("low");
  box->Items()->Add("high");
  grid->ControlList()->AddControl(3, 6, box);
  box->SetItemIndex(0);
  grid->FocusCell(1, 1, true);
  Flush();
  box->SetFocus();
  told.clear();
  SendKeyEvent(box, Qt::Key_Down);
  ASSERT_EQ(box->ItemIndex(), 1);
  const std::vector<ComboTold> want = {{"change", 3, 6, 1, "high", nullptr}};
  EXPECT_EQ(told, want);
  told.clear();
  SendMessage(grid->Handle(), WM_COMMAND, WPARAM(8) << 16, reinterpret_cast<LPARAM>(box->Handle()));
  EXPECT_TRUE(told.empty()) << "only the grid's own combo box tells its close-up";
  SendMessage(grid->Handle(), WM_COMMAND, WPARAM(1) << 16, reinterpret_cast<LPARAM>(grid->Handle()));
  EXPECT_TRUE(told.empty()) << "the grid's own window is no sender";
}

// A descendant's way to hide a column (no window hides one).
struct ColumnHider : TExtStringGrid {
  static void Set(TExtStringGrid* G, int ACol, bool Hidden) { (G->*&ColumnHider::SetColumnHidden)(ACol, Hidden); }
};

// A control placed in a cell stays on its cell when rows above it hide or show, hides with its
// row or column, and covers the merged area its cell becomes part of.
TEST_F(GridCombo, APlacedControlFollowsItsCellThroughHiddenRowsAndMerges) {
  auto* box = new TEdit(grid);
  box->SetParent(grid);
  grid->ControlList()->AddControl(3, 6, box);
  struct Case {
    const char* name;
    std::function<void()> act;
    bool shown;
    int displCol, displRow;  // where real cell (3, 6) shows
    TPoint span;             // of the merged area from there
  } cases[] = {
      {"row 3 hidden", [&] { grid->HideRows(3, 3); }, true, 3, 5, TPoint(0, 0)},
      {"row 3 shown", [&] { grid->UnHideRows(3, 3); }, true, 3, 6, TPoint(0, 0)},
      {"its column hidden", [&] { ColumnHider::Set(grid, 3, true); }, false, 3, 6, TPoint(0, 0)},
      {"its column shown", [&] { ColumnHider::Set(grid, 3, false); }, true, 3, 6, TPoint(0, 0)},
      {"column 2 hidden", [&] { ColumnHider::Set(grid, 2, true); }, true, 2, 6, TPoint(0, 0)},
      {"column 2 shown", [&] { ColumnHider::Set(grid, 2, false); }, true, 3, 6, TPoint(0, 0)},
      {"merged 2 x 2", [&] { grid->MergeCells(3, 6, 2, 2); }, true, 3, 6, TPoint(1, 1)},
  };
  for (const Case& k : cases) {
    k.act();
    EXPECT_EQ(box->Visible(), k.shown) << k.name;
    if (!k.shown) continue;
    TRect r1 = grid->CellRect(k.displCol, k.displRow);
    TRect r2 = grid->CellRect(k.displCol + k.span.X, k.displRow + k.span.Y);
    EXPECT_EQ(TPoint(box->Left(), box->Top()), TPoint(r1.Left, r1.Top)) << k.name;
    EXPECT_EQ(TPoint(box->Left() + box->Width(), box->Top() + box->Height()), TPoint(r2.Right, r2.Bottom))
        << k.name;
  }
}

// Placing the controls again re-lays out a control a cell's properties name, at its own width.
TEST_F(GridCombo, PlacingControlsRelaysOutTheControlACellNames) {
  auto* box = new TEdit(grid);
  box->SetParent(grid);
  grid->ControlList()->AddControl(3, 6, box);
  auto* named = new TEdit(grid);
  named->SetParent(grid);
  named->SetBounds(5, 5, 40, 20);
  named->SetVisible(true);
  grid->GetCellProperties(3, 6)->Control = named;
  int resized = 0;
  named->OnResize = [&](TObject*) { ++resized; };
  grid->HideRows(3, 3);
  EXPECT_GE(resized, 2);
  EXPECT_EQ(named->Width(), 40);
  grid->GetCellProperties(3, 5)->Control = nullptr;
}

// ---------------------------------------------------------------- the window's end and key-up
TEST_F(GridMessages, DestroyStopsTheGridsTimersAndPanning) {
  BigGrid();
  StartPan(200, 120);
  HWND h = grid->Handle();
  ASSERT_GT(WindowTimerInterval(h, 999), 0u);
  ASSERT_GT(WindowTimerInterval(h, 111), 0u) << "the hovering and blinking timer runs";
  grid->Perform(WM_DESTROY, 0, 0);
  EXPECT_FALSE(grid->Panning());
  EXPECT_EQ(WindowTimerInterval(h, 999), 0u);
  EXPECT_EQ(WindowTimerInterval(h, 111), 0u);
  EXPECT_NE(GetCapture(), h);
}

class LookupGrid : public TExtStringGrid {
 public:
  using TExtStringGrid::TExtStringGrid;
  void SetLookupText(const std::string& s) { lookupText_ = s; }
};

TEST_F(GridMessages, MovingKeysClearTheLookupTextAndOthersKeepIt) {
  auto* g = new LookupGrid(form);
  g->SetParent(form);
  g->SetBounds(10, 10, 300, 200);
  g->SetRowCount(20);
  g->SetFocus();
  Flush();
  struct KeyCase {
    int key;
    bool clears;
  };
  for (KeyCase k : {KeyCase{Qt::Key_Down, true}, KeyCase{Qt::Key_PageDown, true}, KeyCase{Qt::Key_End, true},
                    KeyCase{Qt::Key_Insert, true}, KeyCase{Qt::Key_Delete, true}, KeyCase{Qt::Key_Shift, false},
                    KeyCase{Qt::Key_Home, false}}) {
    g->SetLookupText("AB");
    SendKeyEvent(g, k.key, Qt::NoModifier, {});
    EXPECT_EQ(g->LookupText().empty(), k.clears) << "key " << k.key;
  }
}

TEST_F(GridMessages, AlwaysEditShowsTheEditorAfterArrowsAndTabButNotOnControls) {
  grid->Navigation()->AlwaysEdit = true;
  Load();
  grid->AddCheckBox(1, 3, false, false);
  grid->AddButton(2, 3, 30, 16, "go");
  grid->FocusCell(1, 1, true);
  struct Step {
    int key;
    TPoint at;
    bool editor;
  };
  for (Step s : {Step{Qt::Key_Down, {1, 2}, true}, Step{Qt::Key_Down, {1, 3}, false},
                 Step{Qt::Key_Tab, {2, 3}, false}, Step{Qt::Key_Tab, {3, 3}, true},
                 Step{Qt::Key_Up, {3, 2}, true}}) {
    Key(s.key);
    EXPECT_EQ(Current(), s.at) << "key " << s.key;
    EXPECT_EQ(EditorShown(), s.editor) << "at " << s.at.X << "," << s.at.Y;
  }
}

}  // namespace
