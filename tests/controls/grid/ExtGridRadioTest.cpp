// Radio groups, check boxes, cell buttons and markup controls clicked with
// real mouse events on a grid offscreen. Where a click lands is checked
// against what painting drew: the cell is painted onto a recording canvas
// and the clicks are made with that canvas in place, so drawing and hit
// testing see the same font metrics. Also: validation of in-cell editor
// controls on every way out of them.
#include <gtest/gtest.h>

#include <QImage>

#include <functional>
#include <string>
#include <vector>

#include "controls/grid/ExtGridEditors.h"
#include "controls/grid/ExtGridMarkupControls.h"
#include "controls/markup/MarkupText.h"
#include "platform/gui/FormImage.h"
#include "platform/gui/RecordingCanvas.h"
#include "tests/controls/grid/GridInputFixture.h"

namespace {

// Reaches the grid's cell drawing, and records what the markup control editor slot is asked.
class TRadioProbe : public TExtStringGrid {
 public:
  using TExtStringGrid::TExtStringGrid;
  void PaintCell(int ACol, int ARow) { DrawCell(ACol, ARow, CellRect(ACol, ARow), 0); }
  void OpenCellMarkupControl(int ACol, int ARow, const std::string& CtrlID) override {
    Opened.push_back(std::to_string(ACol) + "," + std::to_string(ARow) + ":" + CtrlID);
  }
  std::vector<std::string> Opened;
};

bool Inside(const TRect& R, TPoint P) { return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom; }
TPoint Centre(const TRect& R) { return TPoint((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2); }
TRect Union(const TRect& A, const TRect& B) {
  return TRect(std::min(A.Left, B.Left), std::min(A.Top, B.Top), std::max(A.Right, B.Right),
               std::max(A.Bottom, B.Bottom));
}

class RadioTest : public GridInputTest {
 public:
  void SetUp() override {
    GridInputTest::SetUp();
    // The same grid set-up, on a grid whose cells can be painted one by one.
    delete grid;
    probe = new TRadioProbe(form);
    grid = probe;
    grid->SetParent(form);
    grid->SetBounds(10, 10, 480, 300);
    grid->SetColCount(5);
    grid->SetRowCount(10);
    grid->SetOptions(grid->Options() | goEditing | goTabs);
    for (int r = 0; r < grid->RowCount(); ++r)
      for (int c = 0; c < grid->ColCount(); ++c) grid->SetCells(c, r, std::to_string(c) + ":" + std::to_string(r));
    Load();
    grid->SetFocus();
    Flush();
  }
  void TearDown() override {
    Unrecord();
    GridInputTest::TearDown();
  }
  // Paints one cell onto a recording canvas that stays in place for the clicks that follow.
  TRecordingCanvas& Record(int c, int r) {
    if (!saved_) saved_ = grid->Canvas()->Backend();
    grid->Canvas()->SetBackend(rec.Backend());
    rec.Clear();
    probe->PaintCell(c, r);
    return rec;
  }
  void Unrecord() {
    if (saved_) grid->Canvas()->SetBackend(saved_);
    saved_ = nullptr;
  }
  // The radio buttons painted (outer circles of the button size) and the item texts, in order.
  void PaintedRadio(int c, int r, int size, std::vector<TRect>& buttons, std::vector<TRect>& texts) {
    Record(c, r);
    buttons.clear();
    texts.clear();
    for (const TCanvasOp& op : rec.Ops()) {
      // The system look draws circles, the themed look pictures.
      if ((op.Kind == okEllipse || op.Kind == okImage) && op.R.Width() == size && op.R.Height() == size)
        buttons.push_back(op.R);
      if (op.Kind == okText) texts.push_back(op.R);
    }
  }

  TRadioProbe* probe = nullptr;
  TRecordingCanvas rec{1000, 1000};

 private:
  TCanvasBackend* saved_ = nullptr;
};

// ---------------------------------------------------------------- the layout routine
TEST(RadioLayout, StackedItemsTakeOneTextLineEachSideBySideItemsFollowTheirTexts) {
  std::vector<TRect> v = RadioItemRects(TRect(10, 20, 110, 120), {30, 0, 12}, 13, false, 10);
  ASSERT_EQ(v.size(), 3u);
  EXPECT_EQ(v[0], TRect(12, 22, 12 + 10 + 30, 35)) << "the text right behind the button";
  EXPECT_EQ(v[1], TRect(12, 35, 22, 48)) << "an item without text is its button alone";
  EXPECT_EQ(v[2].Top, 48);
  std::vector<TRect> tall = RadioItemRects(TRect(10, 20, 110, 120), {30, 12}, 13, false, 16);
  EXPECT_EQ(tall[1].Top, 35) << "one text line apart, whatever the button's size";
  std::vector<TRect> h = RadioItemRects(TRect(10, 20, 300, 40), {30, 12}, 13, true, 16);
  ASSERT_EQ(h.size(), 2u);
  EXPECT_EQ(h[0], TRect(12, 22, 12 + 16 + 30, 38)) << "centred down the cell";
  EXPECT_EQ(h[1].Left, 12 + 16 + 30) << "the next button where the text before it ends";
  // Each item's band: its columns side by side, its line stacked.
  const struct {
    bool across;
    TPoint at;
    int item;
  } bands[] = {
      {true, TPoint(12, 0), 0},   {true, TPoint(57, 100), 0}, {true, TPoint(58, 30), 1}, {true, TPoint(11, 30), -1},
      {true, TPoint(86, 30), -1}, {false, TPoint(200, 40), 1}, {false, TPoint(12, 21), -1},
      {false, TPoint(0, 60), 2},  {false, TPoint(12, 61), -1},
  };
  for (const auto& b : bands) {
    EXPECT_EQ(RadioItemAt(b.across ? h : v, b.at, b.across), b.item) << b.at.X << "," << b.at.Y;
  }
  std::vector<TRect> bare = RadioItemRects(TRect(0, 0, 100, 50), {0, 0}, 13, false, 10);
  EXPECT_EQ(bare[0].Left, 45) << "buttons without texts stand centred";
  // The measure: 12 for each button with its text side by side, the widest text + 12 stacked.
  EXPECT_EQ(RadioGroupExtent({}, 13, false), TSize(12, 0)) << "stacked: at least 12 wide, items or none";
  EXPECT_EQ(RadioGroupExtent({}, 13, true), TSize(0, 13));
  EXPECT_EQ(RadioGroupExtent({8, 16}, 13, true), TSize(48, 13));
  EXPECT_EQ(RadioGroupExtent({8, 16}, 13, false), TSize(28, 26));
  EXPECT_EQ(RadioGroupExtent({0, 0, 0}, 13, false), TSize(12, 39)) << "no texts: at least 12 wide";
}

// Graphics by their own placement; before and after the text they stand beside it.
TEST(GraphicPlacement, BeforeAndAfterTheTextFollowTheTextsAlignment) {
  const TRect cell(10, 20, 110, 60);
  const TSize g(16, 12);
  const struct {
    TCellHAlign h;
    TCellVAlign v;
    TAlignment text;
    int textWidth;
    TRect want;
  } cases[] = {
      {haLeft, vaTop, taLeftJustify, 30, TRect(11, 21, 27, 33)},
      {haRight, vaBottom, taLeftJustify, 30, TRect(93, 47, 109, 59)},
      {haCenter, vaCenter, taLeftJustify, 30, TRect(52, 34, 68, 46)},
      {haFull, vaFull, taLeftJustify, 30, TRect(10, 20, 110, 60)},
      {haBeforeText, vaAboveText, taLeftJustify, 30, TRect(11, 21, 27, 33)},
      {haBeforeText, vaTop, taRightJustify, 30, TRect(64, 21, 80, 33)},
      {haBeforeText, vaTop, taCenter, 30, TRect(64, 21, 80, 33)},
      {haBeforeText, vaTop, taRightJustify, 95, TRect(11, 21, 27, 33)},  // never left of the left edge + 1
      {haAfterText, vaUnderText, taRightJustify, 30, TRect(93, 48, 109, 60)},
      {haAfterText, vaTop, taLeftJustify, 30, TRect(40, 21, 56, 33)},
      {haAfterText, vaTop, taCenter, 30, TRect(40, 21, 56, 33)},
  };
  for (const auto& k : cases) {
    EXPECT_EQ(PlaceCellGraphic(cell, g, k.h, k.v, k.text, k.textWidth), k.want)
        << "placement " << k.h << "/" << k.v << " text " << k.text << " width " << k.textWidth;
  }
}

// ---------------------------------------------------------------- clicks find what was drawn
struct RadioCase {
  const char* Name;
  bool SideBySide;
  TGridControlStyle Style;
  int FontSize;
  std::vector<std::string> Items;
};

class RadioHitTest : public RadioTest, public ::testing::WithParamInterface<RadioCase> {};

TEST_P(RadioHitTest, AClickPicksTheItemWhoseBandHoldsItAndNothingPastTheBands) {
  const RadioCase& k = GetParam();
  grid->ControlLook()->SetControlStyle(k.Style);
  grid->ControlLook()->SetRadioSize(12);
  grid->Font()->SetSize(k.FontSize);
  const int size = (k.Style == csClassic || k.Style == csFlat) ? 12 : 16;
  grid->SetColWidths(2, 300);
  grid->SetRowHeights(3, 110);
  const int n = static_cast<int>(k.Items.size());
  grid->AddRadio(2, 3, k.SideBySide, n - 1, k.Items);
  int fired = 0, firedIdx = -2;
  grid->OnRadioClick = [&](TObject*, int c, int r, int i) {
    EXPECT_EQ(c, 2);
    EXPECT_EQ(r, 3);
    ++fired;
    firedIdx = i;
  };
  std::vector<TRect> buttons, texts;
  PaintedRadio(2, 3, size, buttons, texts);
  ASSERT_EQ(static_cast<int>(buttons.size()), n) << rec.Dump();
  ASSERT_EQ(static_cast<int>(texts.size()), n) << rec.Dump();
  // The bands as painted: side by side the columns from a button to the end of its text, stacked
  // the text's line.
  std::vector<std::pair<int, int>> bands;
  const std::vector<TRect> items = grid->RadioItemRectsAt(2, 3);
  ASSERT_EQ(static_cast<int>(items.size()), n);
  for (int i = 0; i < n; ++i) {
    EXPECT_EQ(texts[i].Left, buttons[i].Right) << "the text right behind its button";
    if (k.SideBySide) {
      bands.emplace_back(buttons[i].Left, texts[i].Right);
      EXPECT_EQ(items[i].Left, buttons[i].Left);
      EXPECT_EQ(items[i].Right, texts[i].Right);
      if (i > 0) {
        EXPECT_EQ(buttons[i].Left, texts[i - 1].Right) << "no room between the items";
      }
    } else {
      bands.emplace_back(texts[i].Top, texts[i].Bottom);
      EXPECT_EQ(items[i].Top, texts[i].Top);
      EXPECT_EQ(items[i].Bottom, texts[i].Bottom);
    }
  }

  // Probes: every button and text centre, the edges, beside, below and between the items.
  std::vector<TPoint> probes;
  for (int i = 0; i < n; ++i) {
    const TRect a = Union(buttons[i], texts[i]);
    probes.push_back(Centre(buttons[i]));
    probes.push_back(Centre(texts[i]));
    probes.push_back(TPoint(a.Left, a.Top));
    probes.push_back(TPoint(a.Right - 1, a.Bottom - 1));
    probes.push_back(TPoint(a.Right, Centre(a).Y));       // just right of the item
    probes.push_back(TPoint(a.Right + 20, Centre(a).Y));  // beside a stacked item's text
    probes.push_back(TPoint(Centre(a).X, a.Bottom + 3));  // below a side-by-side item
    probes.push_back(TPoint(a.Left - 1, Centre(a).Y));    // just left
  }
  TRect cell = grid->CellRect(2, 3);
  probes.push_back(TPoint(cell.Right - 3, cell.Bottom - 3));
  probes.push_back(TPoint(cell.Left + 1, cell.Top + 1));
  int expectFired = 0;
  for (TPoint p : probes) {
    if (!Inside(cell, p)) continue;
    int expect = -1;
    const int at = k.SideBySide ? p.X : p.Y;
    for (int i = 0; i < n; ++i)
      if (at >= bands[i].first && at < bands[i].second) expect = i;
    // Start from a choice the probe does not make, so a change shows.
    int start = expect == n - 1 ? 0 : n - 1;
    grid->SetRadioIndex(2, 3, start);
    Record(2, 3);
    Click(p.X, p.Y);
    if (expect >= 0) ++expectFired;
    EXPECT_EQ(grid->GetRadioIndex(2, 3), expect >= 0 ? expect : start) << "at " << p.X << "," << p.Y;
    EXPECT_EQ(fired, expectFired) << "at " << p.X << "," << p.Y;
    if (expect >= 0) {
      EXPECT_EQ(firedIdx, expect);
    }
    EXPECT_EQ(Current(), TPoint(2, 3));
  }
  EXPECT_GT(expectFired, 2 * n) << "the probes hit every band more than once";
}

INSTANTIATE_TEST_SUITE_P(
    Groups, RadioHitTest,
    ::testing::Values(RadioCase{"StackedClassic", false, csClassic, 8, {"Low", "Medium", "High"}},
                      RadioCase{"StackedXPLargeFont", false, csWinXP, 16, {"A", "BB", "CCCC", "D"}},
                      RadioCase{"SideBySideFlat", true, csFlat, 10, {"On", "Off", "Auto"}},
                      RadioCase{"SideBySideXPSmallFont", true, csWinXP, 6, {"x", "yy", "zzzzz"}},
                      RadioCase{"SideBySideLargeFont", true, csClassic, 14, {"Yes", "No"}}),
    [](const ::testing::TestParamInfo<RadioCase>& i) { return std::string(i.param.Name); });

TEST_F(RadioTest, AGroupKeepingItsChoiceAsTextWritesTheItemAndSpaceStepsThroughIt) {
  grid->SetColWidths(1, 200);
  grid->SetRowHeights(2, 80);
  grid->SetCells(1, 2, "Beta");
  grid->AddRadio(1, 2, false, -1, {"Alpha", "Beta", "Gamma"});
  EXPECT_EQ(grid->GetRadioIndex(1, 2), 1) << "the cell's text names the choice";
  std::vector<TRect> items = grid->RadioItemRectsAt(1, 2);
  ASSERT_EQ(items.size(), 3u);
  TPoint p = Centre(items[2]);
  Click(p.X, p.Y);
  EXPECT_EQ(grid->Cells(1, 2), "Gamma");
  EXPECT_EQ(grid->GetRadioIndex(1, 2), 2);
  Key(Qt::Key_Space);
  EXPECT_EQ(grid->Cells(1, 2), "Alpha") << "Space steps on and wraps";
  grid->SetCells(1, 2, "none of them");
  EXPECT_EQ(grid->GetRadioIndex(1, 2), -1);
  Key(Qt::Key_Space);
  EXPECT_EQ(grid->Cells(1, 2), "Alpha") << "from no choice Space takes the first";
  grid->AddRadio(2, 2, false, 7, {"x", "y", "z"});
  grid->FocusCell(2, 2, true);
  Key(Qt::Key_Space);
  EXPECT_EQ(grid->GetRadioIndex(2, 2), 0) << "an index naming no item steps to the first";
  EXPECT_EQ(grid->Cells(2, 2), "x") << "a group keeping its choice as an index takes the item as its text too";
  // Any negative index, not only -1, keeps the choice as the cell's text.
  grid->AddRadio(2, 2, false, -3, {"x", "y", "z"});
  grid->SetCells(2, 2, "y");
  EXPECT_EQ(grid->GetRadioIndex(2, 2), 1) << "the text names the choice";
  Key(Qt::Key_Space);
  EXPECT_EQ(grid->Cells(2, 2), "z");
  EXPECT_EQ(grid->GetRadioIndex(2, 2), 2);
  grid->FocusCell(1, 2, true);
  grid->SetOptions(grid->Options() & ~goEditing);
  Key(Qt::Key_Space);
  EXPECT_EQ(grid->Cells(1, 2), "Alpha") << "a group that cannot be edited stays";
  grid->ControlLook()->RadioAlwaysActive = true;
  Key(Qt::Key_Space);
  EXPECT_EQ(grid->Cells(1, 2), "Beta");
}

TEST_F(RadioTest, AGroupInACellThatCannotBeEnteredStaysAsItIs) {
  grid->SetRowHeights(2, 70);
  grid->SetRowHeights(4, 70);
  grid->AddRadio(1, 2, false, 0, {"a", "b", "c"});
  grid->AddRadio(1, 4, false, 0, {"a", "b", "c"});
  grid->FocusCell(1, 2, true);
  grid->OnCellChanging = [](TObject*, int, int, int, int, bool& allow) { allow = false; };
  int fired = 0;
  grid->OnRadioClick = [&](TObject*, int, int, int) { ++fired; };
  std::vector<TRect> items = grid->RadioItemRectsAt(1, 4);
  ASSERT_EQ(items.size(), 3u);
  Click(Centre(items[2]).X, Centre(items[2]).Y);
  EXPECT_EQ(Current(), TPoint(1, 2));
  EXPECT_EQ(grid->GetRadioIndex(1, 4), 0);
  EXPECT_EQ(grid->GetRadioIndex(1, 2), 0) << "the current cell's group is not the one pressed";
  EXPECT_EQ(fired, 0);
}

TEST_F(RadioTest, MeasuringAGroupGivesTwelveForEachButtonAndItsText) {
  grid->ControlLook()->SetControlStyle(csClassic);
  grid->ControlLook()->SetRadioSize(10);
  grid->AddRadio(1, 1, false, 0, {"A", "BB"});
  TSize bb(grid->Canvas()->TextWidth("BB"), grid->Canvas()->TextHeight("gh"));
  const int a = grid->Canvas()->TextWidth("A");
  EXPECT_EQ(grid->GetCellGraphicSize(1, 1), TSize(bb.cx + 12, 2 * bb.cy))
      << "stacked: 12 wider than the widest text, two lines high";
  grid->AddRadio(2, 1, true, 0, {"A", "BB"});
  EXPECT_EQ(grid->GetCellGraphicSize(2, 1), TSize(a + 12 + bb.cx + 12, bb.cy)) << "side by side: one line";
  grid->AddRadio(2, 2, false, 0, {"", ""});
  EXPECT_EQ(grid->GetCellGraphicSize(2, 2), TSize(12, 2 * bb.cy)) << "stacked without texts: 12 wide";
  grid->AddRadio(1, 3, false, -1, {});
  EXPECT_EQ(grid->GetCellGraphicSize(1, 3), TSize(12, 0)) << "stacked without items: still 12 wide";
  grid->AddRadio(2, 3, true, -1, {});
  EXPECT_EQ(grid->GetCellGraphicSize(2, 3), TSize(0, bb.cy)) << "side by side without items: no width";
  grid->AddRadio(3, 1, true, 0, {"first choice", "second choice", "third"});
  grid->SetColWidths(3, 30);
  grid->AutoSizeColumn(3);
  grid->AutoSizeRow(1);
  TRect content = grid->CellRect(3, 1);
  for (const TRect& r : grid->RadioItemRectsAt(3, 1)) {
    EXPECT_GE(r.Left, content.Left);
    EXPECT_LE(r.Right, content.Right) << "autosized: every item fits the cell it is drawn in";
    EXPECT_LE(r.Bottom, content.Bottom);
  }
  // Check boxes measure with their glyph: an autosized column shows the glyph and the text beside it.
  grid->SetCells(4, 2, "a longer text");
  grid->AddCheckBox(4, 2, true, false);
  grid->AddCheckBox(4, 3, true, true);
  grid->AutoSizeColumn(4);
  grid->SetColWidths(3, 40);  // column 4 wholly in view
  TRect box = grid->CheckGlyphRectAt(4, 2), cell4 = grid->CellRect(4, 2);
  ASSERT_EQ(cell4.Width(), grid->ColWidths(4));
  int textRight = box.Right + 2 + grid->Canvas()->TextWidth("a longer text");
  EXPECT_LE(textRight, cell4.Right - 1) << "the text beside the glyph fits";
  EXPECT_LE(grid->CheckGlyphRectAt(4, 3).Right, cell4.Right - 1);
  EXPECT_FALSE(grid->RemoveCellGraphicOfType(1, 1, ctCheckBox)) << "another kind stays";
  EXPECT_EQ(grid->GetCellType(1, 1), ctRadio);
  EXPECT_TRUE(grid->RemoveCellGraphic(1, 1));
  EXPECT_EQ(grid->GetCellType(1, 1), ctEmpty);
  EXPECT_EQ(grid->GetCellType(-1, 0), ctEmpty);
  grid->ControlLook()->SetControlStyle(csWinXP);
  EXPECT_EQ(grid->GetCellGraphicSize(2, 1), TSize(a + bb.cx + 24, bb.cy)) << "whatever the button's look";
}

// Drawn side by side, each button stands where the text before it ends and its text right behind
// it: item i at the content's left + 2 + (i - 1) button sizes + the texts before it.
TEST_F(RadioTest, SideBySideItemsAreDrawnButtonThenTextWithNothingBetween) {
  grid->ControlLook()->SetControlStyle(csClassic);
  grid->ControlLook()->SetRadioSize(10);
  grid->SetColWidths(2, 200);
  grid->SetRowHeights(2, 30);
  TCellProperties* cp = grid->GetCellProperties(2, 2);
  cp->SetBrushColor(clYellow);
  cp->FontColor = clRed;
  grid->AddRadio(2, 2, true, 0, {"A", "BB"});
  grid->SetBorderStyle(bsNone);  // the picture's pixels are the client's
  Flush();
  const QImage img = RenderControlImage(grid);
  const TRect cell = grid->CellRect(2, 2);
  const int line = grid->GridLineWidth();  // the content lies inside the cell's grid lines
  const TRect content(cell.Left + line, cell.Top + line, cell.Right - line, cell.Bottom - line);
  // The buttons are grey, white and black, the texts red on yellow (red and yellow mixed at their
  // edges): only a button's pixels are without much red or with blue. The rows across the middle.
  std::vector<int> buttonCols, textCols;
  const int mid = (content.Top + content.Bottom) / 2;
  for (int x = content.Left + 1; x < content.Right; ++x) {
    bool button = false, text = false;
    for (int y = mid - 4; y <= mid + 4; ++y) {
      const QRgb px = img.pixel(x, y);
      const bool redOrYellow = qRed(px) > 200 && qBlue(px) < 40;
      button |= !redOrYellow;
      text |= redOrYellow && (px & 0xFFFFFF) != 0xFFFF00u;
    }
    if (button) buttonCols.push_back(x);
    if (text) textCols.push_back(x);
  }
  // Runs of columns: where each button and each text starts and ends.
  auto runs = [](const std::vector<int>& cols) {
    std::vector<std::pair<int, int>> out;
    for (int x : cols) {
      if (out.empty() || x != out.back().second + 1) out.emplace_back(x, x);
      else out.back().second = x;
    }
    return out;
  };
  const auto b = runs(buttonCols), t = runs(textCols);
  ASSERT_EQ(b.size(), 2u) << "two buttons";
  ASSERT_GE(t.size(), 2u);
  grid->Canvas()->Font()->Assign(grid->Font());
  const int a = grid->Canvas()->TextWidth("A");
  EXPECT_EQ(b[0].first, content.Left + 2);
  EXPECT_EQ(b[0].second, content.Left + 2 + 10 - 1) << "a button of RadioSize";
  EXPECT_EQ(b[1].first, content.Left + 2 + 10 + a) << "the second button where \"A\" ends";
  EXPECT_GE(t[0].first, b[0].second + 1) << "the text right behind its button";
  EXPECT_LE(t[0].first, b[0].second + 2);
  EXPECT_LT(t[0].second, b[1].first);
  EXPECT_GE(t[1].first, b[1].second + 1);
  EXPECT_LE(t[1].first, b[1].second + 2);
}

// A picture placed before, after, above or under the text: the text stands beside it, never under it.
TEST_F(RadioTest, TextStandsBesideAGraphicPlacedBeforeAfterAboveOrUnderIt) {
  const struct {
    const char* name;
    TCellHAlign h;
    TCellVAlign v;
    TAlignment text;
    TVAlignment textV;
    const char* cell = "Wide text";
    TBiDiMode mode = bdLeftToRight;
  } cases[] = {
      {"before left-aligned text", haBeforeText, vaCenter, taLeftJustify, vtaCenter},
      {"before left-aligned markup", haBeforeText, vaCenter, taLeftJustify, vtaCenter, "<B>Wide</B> text"},
      // Reading from the right with the alignment kept: the markup stays beside its graphic.
      {"before markup read from the right", haBeforeText, vaCenter, taLeftJustify, vtaCenter, "<B>Wide</B> text",
       bdRightToLeftNoAlign},
      {"before markup, reading only", haBeforeText, vaCenter, taLeftJustify, vtaCenter, "<B>Wide</B> text",
       bdRightToLeftReadingOnly},
      {"before right-aligned text", haBeforeText, vaCenter, taRightJustify, vtaCenter},
      {"after left-aligned text", haAfterText, vaCenter, taLeftJustify, vtaCenter},
      {"after right-aligned text", haAfterText, vaCenter, taRightJustify, vtaCenter},
      {"above the text", haLeft, vaAboveText, taLeftJustify, vtaTop},
      {"under the text", haLeft, vaUnderText, taLeftJustify, vtaBottom},
  };
  TBitmap bmp(10, 10);
  bmp.Canvas()->Brush()->SetColor(clGreen);
  bmp.Canvas()->FillRect(TRect(0, 0, 10, 10));
  grid->SetColWidths(2, 200);
  grid->SetRowHeights(2, 60);
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    grid->SetBiDiMode(k.mode);
    grid->SetCells(2, 2, k.cell);
    grid->AddBitmap(2, 2, &bmp, false, k.h, k.v);
    grid->OnGetAlignment = [&](TObject*, int, int, TAlignment& h, TVAlignment& v) { h = k.text, v = k.textV; };
    TRecordingCanvas& r = Record(2, 2);
    Unrecord();
    std::vector<TCanvasOp> images = r.OpsOf(okImage), texts = r.OpsOf(okText);
    ASSERT_EQ(images.size(), 1u);
    const bool markup = k.cell[0] == '<';
    if (markup) {
      ASSERT_FALSE(texts.empty());
    } else {
      ASSERT_EQ(texts.size(), 1u);
    }
    // Markup draws a piece at a time: its text spans all of them.
    TRect txt = texts[0].R;
    for (const TCanvasOp& t : texts) txt = TRect(std::min(txt.Left, t.R.Left), std::min(txt.Top, t.R.Top),
                                                 std::max(txt.Right, t.R.Right), std::max(txt.Bottom, t.R.Bottom));
    const TRect img = images[0].R;
    if (k.h == haBeforeText) {
      EXPECT_LE(img.Right, txt.Left);
      EXPECT_LE(txt.Left - img.Right, 3) << "just beside it";
    } else if (k.h == haAfterText) {
      EXPECT_LE(txt.Right, img.Left);
      EXPECT_LE(img.Left - txt.Right, 3) << "just beside it";
    } else if (k.v == vaAboveText) {
      EXPECT_LE(img.Bottom, txt.Top);
    } else {
      EXPECT_LE(txt.Bottom, img.Top);
    }
  }
  grid->SetBiDiMode(bdLeftToRight);
}

// Autosizing measures text, markup and graphic as painting lays them out.
TEST_F(RadioTest, AutosizingMeasuresTheGraphicWithTheText) {
  TBitmap big(120, 60), small(30, 10), full(50, 20);
  const int lines = (grid->GridLineWidth() + 1) * 2, rowLines = 2 * grid->GridLineWidth();
  auto text = [&](int c, int r) { return grid->GetCellTextSize(c, r, false); };
  const struct {
    const char* name;
    std::function<void(int c, int r)> make;
    std::function<int(int c, int r)> width, height;  // 0: not asked
  } cases[] = {
      {"a picture beside no placement of the text",
       [&](int c, int r) { grid->AddBitmap(c, r, &big, false, haLeft, vaTop); },
       [&](int, int) { return 122 + lines; }, [&](int c, int r) { return text(c, r).cy + 60 + rowLines; }},
      {"a button", [&](int c, int r) { grid->AddButton(c, r, 90, 40, "Go"); }, [&](int, int) { return 92 + lines; },
       [&](int c, int r) { return text(c, r).cy + 40 + rowLines; }},
      {"a picture before the text",
       [&](int c, int r) { grid->AddBitmap(c, r, &small, false, haBeforeText, vaCenter); },
       [&](int c, int r) { return text(c, r).cx + 30 + lines; }, nullptr},
      {"a picture of full height: its own width",
       [&](int c, int r) { grid->AddBitmap(c, r, &full, false, haLeft, vaFull); }, [&](int, int) { return 50; },
       nullptr},
      {"text turned upright takes its trailing w",
       [&](int c, int r) { grid->AddRotated(c, r, 90, "abc"); }, nullptr,
       [&](int, int) { return grid->Canvas()->TextWidth("abcw") + 12 + rowLines; }},
      {"a check box: the default row height",
       [&](int c, int r) { grid->AddCheckBox(c, r, true, false); }, nullptr,
       [&](int, int) { return grid->DefaultRowHeight() + rowLines; }},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    TearDown();
    SetUp();
    for (int r = 0; r < grid->RowCount(); ++r) grid->SetCells(3, r, "");
    grid->SetCells(3, 2, "x");
    k.make(3, 2);
    grid->Canvas()->Font()->Assign(grid->Font());
    if (k.width) {
      grid->AutoSizeColumn(3);
      EXPECT_EQ(grid->ColWidths(3), k.width(3, 2));
    }
    if (k.height) {
      grid->AutoSizeRow(2);
      EXPECT_EQ(grid->RowHeights(2), k.height(3, 2));
    }
  }
}

// ---------------------------------------------------------------- check boxes
TEST_F(RadioTest, ACheckBoxTogglesOnlyWhenThePressIsOnItsGlyph) {
  grid->ControlLook()->SetControlStyle(csFlat);
  grid->SetColWidths(2, 120);
  grid->AddCheckBox(2, 4, false, false);
  grid->AddCheckBox(3, 4, false, true);
  grid->OnGetAlignment = [](TObject*, int r, int c, TAlignment& h, TVAlignment& v) {
    if (r == 4 && c == 2) h = taRightJustify, v = vtaCenter;
  };
  std::vector<std::string> log;
  grid->OnCheckBoxClick = [&](TObject*, int c, int r, bool s) {
    log.push_back(std::to_string(c) + "," + std::to_string(r) + (s ? "+" : "-"));
  };
  // The glyph as painted: the flat box's frame fill of CheckSize square.
  TRect glyph;
  for (const TCanvasOp& op : Record(2, 4).Ops())
    if (op.Kind == okFillRect && op.BrushColor == clBtnShadow && op.R.Width() == 15 && op.R.Height() == 15)
      glyph = op.R;
  ASSERT_EQ(glyph.Width(), 15) << rec.Dump();
  EXPECT_EQ(grid->CheckGlyphRectAt(2, 4), glyph);
  TRect text;
  for (const TCanvasOp& op : rec.Ops())
    if (op.Kind == okText && op.Text == "2:4") text = op.R;
  EXPECT_LE(glyph.Right, text.Left) << "a right-aligned box stands before its text";
  Click(Centre(text).X, Centre(text).Y);
  EXPECT_FALSE(grid->GetCheckBoxState(2, 4)) << "a press on the text only selects the cell";
  EXPECT_EQ(Current(), TPoint(2, 4));
  Click(glyph.Left, glyph.Top);
  EXPECT_TRUE(grid->GetCheckBoxState(2, 4));
  Click(glyph.Right - 1, glyph.Bottom - 1);
  EXPECT_FALSE(grid->GetCheckBoxState(2, 4));
  Click(glyph.Right, glyph.Bottom - 1);
  EXPECT_FALSE(grid->GetCheckBoxState(2, 4)) << "one pixel beside the glyph";
  Unrecord();
  TRect data = grid->CheckGlyphRectAt(3, 4);
  Click(Centre(data).X, Centre(data).Y);
  EXPECT_EQ(grid->Cells(3, 4), "Y") << "a data check box keeps its state as the check text";
  EXPECT_TRUE(grid->GetCheckBoxState(3, 4));
  Click(Centre(data).X, Centre(data).Y);
  EXPECT_EQ(grid->Cells(3, 4), "N");
  EXPECT_EQ(log, (std::vector<std::string>{"2,4+", "2,4-", "3,4+", "3,4-"}));
}

// A press on a check box moves the current cell there unless AlwaysEdit keeps it; either way the
// press tells OnMouseDown once and starts no range.
TEST_F(RadioTest, ACheckBoxPressMovesTheCurrentCellOnlyWithoutAlwaysEdit) {
  grid->SetOptions(grid->Options() | goRangeSelect);
  grid->AddCheckBox(3, 5, false, false);
  int downs = 0;
  grid->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++downs; };
  for (bool always : {true, false}) {
    SCOPED_TRACE(always ? "AlwaysEdit" : "without AlwaysEdit");
    grid->Navigation()->AlwaysEdit = always;
    grid->FocusCell(1, 1, true);
    downs = 0;
    const bool before = grid->GetCheckBoxState(3, 5);
    const TPoint g = Centre(grid->CheckGlyphRectAt(3, 5));
    Click(g.X, g.Y);
    EXPECT_NE(grid->GetCheckBoxState(3, 5), before);
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(Current(), always ? TPoint(1, 1) : TPoint(3, 5));
    EXPECT_EQ(grid->Selection(), always ? (TGridRect{1, 1, 1, 1}) : (TGridRect{3, 5, 3, 5}));
  }
}

TEST_F(RadioTest, AHeaderCheckBoxWithCheckAllCheckSetsItsColumn) {
  grid->MouseActions()->CheckAllCheck = true;
  for (int r = 0; r < grid->RowCount(); ++r) grid->AddCheckBox(2, r, r % 2 == 0, false);
  TRect g = grid->CheckGlyphRectAt(2, 0);
  Click(Centre(g).X, Centre(g).Y);
  EXPECT_FALSE(grid->GetCheckBoxState(2, 0));
  for (int r = 1; r < grid->RowCount(); ++r) EXPECT_FALSE(grid->GetCheckBoxState(2, r)) << r;
  Click(Centre(g).X, Centre(g).Y);
  for (int r = 0; r < grid->RowCount(); ++r) EXPECT_TRUE(grid->GetCheckBoxState(2, r)) << r;
  grid->MouseActions()->CheckAllCheck = false;
  Click(Centre(g).X, Centre(g).Y);
  EXPECT_FALSE(grid->GetCheckBoxState(2, 0));
  EXPECT_TRUE(grid->GetCheckBoxState(2, 5)) << "without the option the header box is alone";
}

TEST_F(RadioTest, HotmailRowCheckBoxesFollowAndFlipTheRowMarks) {
  grid->MouseActions()->SetDisjunctRowSelect(true);
  grid->MouseActions()->SetHotmailRowSelect(true);
  for (int r = 0; r < grid->RowCount(); ++r) EXPECT_EQ(grid->GetCellType(0, r), ctRowCheckBox);
  grid->SetRowSelect(6, true);
  EXPECT_TRUE(grid->GetCheckBoxState(0, 6));
  TRect g = grid->CheckGlyphRectAt(0, 3);
  Click(Centre(g).X, Centre(g).Y);
  EXPECT_TRUE(grid->RowSelect(3)) << "one click flips the row mark once";
  EXPECT_TRUE(grid->GetCheckBoxState(0, 3));
  EXPECT_TRUE(grid->RowSelect(6));
  EXPECT_EQ(grid->Row(), 3);
  Click(Centre(g).X, Centre(g).Y);
  EXPECT_FALSE(grid->RowSelect(3));
  EXPECT_FALSE(grid->RemoveCellGraphic(0, 3)) << "the shared row box is not the cell's";
}

// A row check box keeps its state as the row's mark: toggling it flips the mark and writes no text
// (a check text written there would leave the state the box shows unchanged).
TEST_F(RadioTest, ToggleCheckOfARowCheckBoxFlipsTheRowMark) {
  grid->MouseActions()->SetDisjunctRowSelect(true);
  grid->MouseActions()->SetHotmailRowSelect(true);
  grid->SetCells(0, 4, "");
  EXPECT_TRUE(grid->ToggleCheck(0, 4, false));
  EXPECT_TRUE(grid->RowSelect(4));
  EXPECT_TRUE(grid->GetCheckBoxState(0, 4));
  EXPECT_EQ(grid->Cells(0, 4), "");
  EXPECT_TRUE(grid->ToggleCheck(0, 4, false));
  EXPECT_FALSE(grid->RowSelect(4));
  EXPECT_FALSE(grid->GetCheckBoxState(0, 4));
  EXPECT_EQ(grid->Cells(0, 4), "");
}

// A group that always works is chosen by a press in the current cell of a grid that drags its
// selection: the group takes the press before a drag can.
TEST_F(RadioTest, AGroupThatAlwaysWorksIsChosenInTheSelectionOfADragSource) {
  grid->SetOptions(grid->Options() & ~goEditing);
  grid->ControlLook()->RadioAlwaysActive = true;
  grid->DragDropSettings()->OleDropSource = true;
  grid->SetColWidths(2, 120);
  grid->SetRowHeights(3, 60);
  grid->AddRadio(2, 3, false, 0, {"one", "two", "three"});
  std::vector<int> told;
  grid->OnRadioClick = [&](TObject*, int, int, int i) { told.push_back(i); };
  ClickCell(2, 3);
  EXPECT_EQ(Current(), TPoint(2, 3));
  std::vector<TRect> items = grid->RadioItemRectsAt(2, 3);
  ASSERT_EQ(items.size(), 3u);
  Click(Centre(items[2]).X, Centre(items[2]).Y);
  EXPECT_EQ(grid->GetRadioIndex(2, 3), 2) << "the press in the selected current cell chooses";
  // Beside the item's text, on its line: the item's band.
  Click(items[1].Right + 30, Centre(items[1]).Y);
  EXPECT_EQ(grid->GetRadioIndex(2, 3), 1);
  EXPECT_EQ(told.back(), 1);
}

// The release on a check box or a group tells OnCheckBoxMouseUp or OnRadioMouseUp; in a fixed
// column only while fixed columns sort.
TEST_F(RadioTest, AReleaseInAFixedColumnTellsNothingUnlessFixedColumnsSort) {
  grid->SetColWidths(0, 60);
  const struct {
    const char* name;
    int col;
    bool sortFixed;
    bool told;
  } cases[] = {
      {"scrollable column", 2, false, true},
      {"fixed column", 0, false, false},
      {"fixed column, fixed columns sort", 0, true, true},
  };
  for (const auto& k : cases) {
    grid->SortSettings()->FixedCols = k.sortFixed;
    grid->AddCheckBox(k.col, 4, false, false);
    int up = 0;
    grid->OnCheckBoxMouseUp = [&](TObject*, int c, int r, bool) {
      EXPECT_EQ(c, k.col);
      EXPECT_EQ(r, 4);
      ++up;
    };
    TRect g = grid->CheckGlyphRectAt(k.col, 4);
    Click(Centre(g).X, Centre(g).Y);
    EXPECT_TRUE(grid->GetCheckBoxState(k.col, 4)) << k.name << ": the press toggles";
    EXPECT_EQ(up, k.told ? 1 : 0) << k.name;
    grid->RemoveCheckBox(k.col, 4);
  }
}

// ---------------------------------------------------------------- buttons
TEST_F(RadioTest, AButtonClicksWhenPressedAndReleasedOnIt) {
  grid->SetColWidths(2, 120);
  grid->SetRowHeights(3, 30);
  grid->AddButton(2, 3, 60, 20, "Go", haRight, vaCenter);
  int clicks = 0;
  grid->OnButtonClick = [&](TObject*, int c, int r) {
    EXPECT_EQ(TPoint(c, r), TPoint(2, 3));
    ++clicks;
  };
  TRect b = grid->ButtonRectAt(2, 3);
  TRect cell = grid->CellRect(2, 3);
  EXPECT_EQ(b.Right, cell.Right - 2) << "right-placed inside the cell's lines";
  EXPECT_EQ(b.Width(), 60);
  TRect caption;
  for (const TCanvasOp& op : Record(2, 3).Ops())
    if (op.Kind == okText && op.Text == "Go") caption = op.R;
  TPoint in = Centre(b);
  Mouse(QEvent::MouseButtonPress, in.X, in.Y);
  EXPECT_EQ(grid->PressedButton(), TPoint(2, 3));
  TRect pressedCaption;
  for (const TCanvasOp& op : Record(2, 3).Ops())
    if (op.Kind == okText && op.Text == "Go") pressedCaption = op.R;
  EXPECT_EQ(pressedCaption.Left, caption.Left + 1) << "the pressed look moves the caption";
  Mouse(QEvent::MouseButtonRelease, in.X, in.Y);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(grid->PressedButton(), TPoint(-1, -1));
  Mouse(QEvent::MouseButtonPress, in.X, in.Y);
  Mouse(QEvent::MouseButtonRelease, cell.Left + 3, in.Y);
  EXPECT_EQ(clicks, 2) << "a pressed button clicks wherever it is released";
  EXPECT_EQ(grid->PressedButton(), TPoint(-1, -1));
  Click(cell.Left + 3, in.Y);
  EXPECT_EQ(grid->PressedButton(), TPoint(-1, -1)) << "beside the button nothing presses";
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(Current(), TPoint(2, 3));
}

// A bit button shows its bitmap left of its caption, both inside the button; a plain button has none.
TEST_F(RadioTest, ABitButtonDrawsItsBitmapLeftOfTheCaption) {
  grid->SetColWidths(2, 120);
  grid->SetRowHeights(3, 30);
  TBitmap bmp(10, 10);
  bmp.Canvas()->Brush()->SetColor(clGreen);
  bmp.Canvas()->FillRect(TRect(0, 0, 10, 10));
  for (TCellType type : {ctButton, ctBitButton}) {
    SCOPED_TRACE(type == ctButton ? "button" : "bit button");
    grid->AddButton(2, 3, 80, 20, "Go", haLeft, vaCenter);
    TCellGraphic* g = grid->GetCellGraphic(2, 3);
    g->CellType = type;
    g->Picture = std::shared_ptr<TGraphic>(bmp.Clone().release());
    const TRect b = grid->ButtonRectAt(2, 3);
    TRecordingCanvas& r = Record(2, 3);
    Unrecord();
    std::vector<TCanvasOp> images, texts;
    for (const TCanvasOp& op : r.OpsOf(okImage))  // not the themed button face
      if (op.R.Width() == 10 && op.R.Height() == 10) images.push_back(op);
    for (const TCanvasOp& op : r.OpsOf(okText))
      if (op.Text == "Go") texts.push_back(op);
    ASSERT_EQ(texts.size(), 1u);
    if (type == ctButton) {
      EXPECT_TRUE(images.empty());
      continue;
    }
    ASSERT_EQ(images.size(), 1u);
    const TRect img = images[0].R;
    EXPECT_GE(img.Left, b.Left);
    EXPECT_LE(img.Bottom, b.Bottom);
    EXPECT_GE(img.Top, b.Top);
    EXPECT_LE(img.Right, texts[0].R.Left) << "the caption stands right of the bitmap";
    EXPECT_LE(texts[0].R.Right, b.Right);
  }
}

// A check box stands down the cell by its own placement unless its text is aligned apart from the
// grid, and at the right for right-to-left reading, where its text keeps clear of it.
TEST_F(RadioTest, ACheckBoxStandsByItsPlacementAndReadingOrder) {
  enum TAt { atTop, atMiddle, atBottom };
  const struct {
    const char* name;
    TVAlignment gridV, textV;
    TCellVAlign box;
    TBiDiMode mode;
    TAt at;
    TAlignment align;
  } cases[] = {
      {"top box in a centred grid", vtaCenter, vtaCenter, vaTop, bdLeftToRight, atTop, taLeftJustify},
      {"bottom box in a centred grid", vtaCenter, vtaCenter, vaBottom, bdLeftToRight, atBottom, taLeftJustify},
      {"centred box in a top grid", vtaTop, vtaTop, vaCenter, bdLeftToRight, atMiddle, taLeftJustify},
      {"full-height box in a top grid", vtaTop, vtaTop, vaFull, bdLeftToRight, atMiddle, taLeftJustify},
      {"text centred apart from the grid", vtaTop, vtaCenter, vaTop, bdLeftToRight, atMiddle, taLeftJustify},
      {"text at the bottom apart from the grid", vtaCenter, vtaBottom, vaTop, bdLeftToRight, atBottom, taLeftJustify},
      {"right to left", vtaTop, vtaTop, vaTop, bdRightToLeft, atTop, taLeftJustify},
      {"right to left, right-aligned", vtaTop, vtaTop, vaTop, bdRightToLeft, atTop, taRightJustify},
      // Where the text keeps its alignment the box keeps its side, clear of the text.
      {"reading only", vtaTop, vtaTop, vaTop, bdRightToLeftReadingOnly, atTop, taLeftJustify},
      {"no align", vtaTop, vtaTop, vaTop, bdRightToLeftNoAlign, atTop, taLeftJustify},
      {"no align, right-aligned", vtaTop, vtaTop, vaTop, bdRightToLeftNoAlign, atTop, taRightJustify},
  };
  grid->SetColWidths(2, 150);
  grid->SetRowHeights(2, 60);
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    grid->SetBiDiMode(k.mode);
    grid->SetVAlignment(k.gridV);
    grid->OnGetAlignment = [&](TObject*, int, int, TAlignment& h, TVAlignment& v) { h = k.align, v = k.textV; };
    // Long enough that a box mirrored beside right-aligned text would land on it.
    grid->SetCells(2, 2, k.align == taRightJustify || k.mode != bdLeftToRight ? "A long text, right" : "Text");
    grid->AddCheckBox(2, 2, true, false);
    grid->GetCellGraphic(2, 2)->CellVAlign = k.box;
    const TRect cell = grid->CellRect(2, 2), box = grid->CheckGlyphRectAt(2, 2);
    const int line = grid->GridLineWidth();
    const TRect c(cell.Left + line, cell.Top + line, cell.Right - line, cell.Bottom - line);
    const int size = grid->ControlLook()->CheckSize();
    const int top = k.at == atTop ? c.Top + 1 : k.at == atMiddle ? c.Top + (c.Height() - size) / 2 : c.Bottom - size - 1;
    EXPECT_EQ(box.Top, top);
    if (k.align == taLeftJustify) {
      EXPECT_EQ(box.Left, k.mode == bdRightToLeft ? c.Right - 1 - size : c.Left + 1);
    }
    std::vector<TCanvasOp> texts = Record(2, 2).OpsOf(okText);
    Unrecord();
    ASSERT_EQ(texts.size(), 1u);
    const TRect t = texts[0].R;
    EXPECT_TRUE(t.Right <= box.Left || t.Left >= box.Right) << "the text keeps clear of the box";
  }
  grid->SetBiDiMode(bdLeftToRight);
}

// ---------------------------------------------------------------- markup controls
TEST_F(RadioTest, MarkupControlsAnswerPressesOnThemAndThePressesBesideSelectTheCell) {
  grid->SetColWidths(1, 300);
  grid->SetRowHeights(2, 40);
  const std::string text =
      "<B>x</B> <CONTROL TYPE=\"CHECK\" ID=\"c1\" VALUE=\"FALSE\" WIDTH=\"16\"> "
      "<CONTROL TYPE=\"BUTTON\" ID=\"b1\" VALUE=\"Go\" WIDTH=\"50\"> "
      "<CONTROL TYPE=\"EDIT\" ID=\"e1\" VALUE=\"abc\" WIDTH=\"60\">";
  grid->SetCells(1, 2, text);
  std::vector<std::string> clicks;
  grid->OnControlClick = [&](TObject*, int r, int c, const std::string& id, const std::string& type,
                             const std::string& val) {
    clicks.push_back(std::to_string(c) + "," + std::to_string(r) + " " + id + " " + type + " " + val);
  };
  TRect check, go, edit, x;
  for (const TCanvasOp& op : Record(1, 2).Ops()) {
    bool box = (op.Kind == okFillRect && op.BrushColor == clBtnShadow) || op.Kind == okImage;
    if (box && op.R.Width() >= 10 && op.R.Width() <= 16) check = op.R;
    if (op.Kind == okText && op.Text == "Go") go = op.R;
    if (op.Kind == okText && op.Text == "abc") edit = op.R;
    if (op.Kind == okText && op.Text == "x") x = op.R;
  }
  ASSERT_GT(check.Width(), 0) << rec.Dump();
  ASSERT_GT(go.Width(), 0);
  ASSERT_GT(edit.Width(), 0);
  Click(Centre(check).X, Centre(check).Y);
  EXPECT_NE(grid->Cells(1, 2).find("VALUE=\"TRUE\""), std::string::npos) << grid->Cells(1, 2);
  Record(1, 2);
  Click(Centre(check).X, Centre(check).Y);
  EXPECT_EQ(GetHTMLControlValue(grid->Cells(1, 2), "c1"), "FALSE") << "a second press flips it back";
  EXPECT_EQ(GetHTMLControlType(grid->Cells(1, 2), "c1"), "CHECK");
  const std::string after = grid->Cells(1, 2);
  Record(1, 2);
  Mouse(QEvent::MouseButtonPress, Centre(go).X, Centre(go).Y);
  EXPECT_EQ(grid->PressedMarkupButton(), TPoint(1, 2));
  Mouse(QEvent::MouseButtonRelease, Centre(go).X, Centre(go).Y);
  EXPECT_EQ(grid->PressedMarkupButton(), TPoint(-1, -1)) << "released on button up";
  Click(Centre(edit).X, Centre(edit).Y);
  EXPECT_EQ(probe->Opened, (std::vector<std::string>{"1,2:e1"}));
  EXPECT_EQ(clicks, (std::vector<std::string>{"1,2 c1 CHECK TRUE", "1,2 c1 CHECK FALSE", "1,2 b1 BUTTON Go",
                                              "1,2 e1 EDIT abc"}));
  grid->FocusCell(1, 5, true);
  ASSERT_TRUE(Inside(grid->CellRect(1, 2), Centre(x))) << rec.Dump();
  Click(Centre(x).X, Centre(x).Y);
  EXPECT_EQ(Current(), TPoint(1, 2)) << "a press beside the controls selects the cell";
  EXPECT_EQ(grid->Selection(), (TGridRect{1, 2, 1, 2}));
  EXPECT_EQ(clicks.size(), 4u);
  EXPECT_EQ(grid->Cells(1, 2), after);
  // A cell that cannot be edited keeps its controls as they are.
  grid->OnCanEditCell = [](TObject*, int, int, bool& can) { can = false; };
  Click(Centre(check).X, Centre(check).Y);
  EXPECT_EQ(grid->Cells(1, 2), after);
  EXPECT_EQ(clicks.size(), 4u);
}

// The editor of a markup control (F2's first control) opens over the control as it is drawn,
// beside a check box as well.
TEST_F(RadioTest, AMarkupControlsEditorOpensWhereTheControlIsDrawn) {
  const bool checkBoxes[] = {false, true};
  grid->SetColWidths(1, 320);
  grid->SetRowHeights(2, 40);
  for (bool box : checkBoxes) {
    grid->SetCells(1, 2, "<B>x</B> <CONTROL TYPE=\"EDIT\" ID=\"e1\" VALUE=\"abc\" WIDTH=\"60\">");
    if (box) grid->AddCheckBox(1, 2, false, false);
    TRect value;
    for (const TCanvasOp& op : Record(1, 2).Ops())
      if (op.Kind == okText && op.Text == "abc") value = op.R;
    Unrecord();
    ASSERT_GT(value.Width(), 0) << rec.Dump();
    grid->EditFirstControl(1, 2);
    TControlEdit* e = grid->ControlEditor();
    ASSERT_TRUE(e->Visible()) << "check box " << box;
    EXPECT_LE(e->Left(), value.Left) << "check box " << box << ": the editor starts at the control";
    EXPECT_GT(e->Left() + 8, value.Left) << "check box " << box;
    SendKeyEvent(e, Qt::Key_Return);
  }
}

TEST_F(RadioTest, MarkupBesideACheckBoxIsHitWhereItIsDrawn) {
  grid->ControlLook()->SetControlStyle(csFlat);
  grid->SetColWidths(1, 200);
  grid->SetRowHeights(2, 30);
  grid->SetCells(1, 2, "<B>t</B><CONTROL TYPE=\"CHECK\" ID=\"k\" VALUE=\"FALSE\" WIDTH=\"16\">");
  grid->AddCheckBox(1, 2, false, false);
  std::vector<std::string> clicks;
  grid->OnControlClick = [&](TObject*, int, int, const std::string& id, const std::string&, const std::string& v) {
    clicks.push_back(id + "=" + v);
  };
  TRect glyph = grid->CheckGlyphRectAt(1, 2), t, control;
  for (const TCanvasOp& op : Record(1, 2).Ops()) {
    if (op.Kind == okText && op.Text == "t") t = op.R;
    if ((op.Kind == okImage || (op.Kind == okFillRect && op.BrushColor == clBtnShadow)) && op.R.Width() < 15 &&
        op.R.Left > glyph.Right)
      control = op.R;
  }
  ASSERT_GT(control.Width(), 0) << rec.Dump();
  EXPECT_GE(t.Left, glyph.Right) << "the text starts past the glyph";
  Click(Centre(control).X, Centre(control).Y);
  EXPECT_EQ(clicks, (std::vector<std::string>{"k=TRUE"}));
  EXPECT_FALSE(grid->GetCheckBoxState(1, 2));
  Click(Centre(glyph).X, Centre(glyph).Y);
  EXPECT_TRUE(grid->GetCheckBoxState(1, 2));
  EXPECT_EQ(clicks.size(), 1u) << "the glyph is the cell's box, not the markup's";
}

TEST_F(RadioTest, AMarkupAnchorToACellMovesThere) {
  grid->SetCells(1, 1, "<A href=\"CELL://R6C3\">jump</A>");
  std::string anchor;
  grid->OnAnchorClick = [&](TObject*, int, int, const std::string& a, bool&) { anchor = a; };
  TRect jump;
  for (const TCanvasOp& op : Record(1, 1).Ops())
    if (op.Kind == okText && op.Text == "jump") jump = op.R;
  ASSERT_GT(jump.Width(), 0) << rec.Dump();
  Click(Centre(jump).X, Centre(jump).Y);
  EXPECT_EQ(anchor, "CELL://R6C3");
  EXPECT_EQ(Current(), TPoint(3, 6));
}

// ---------------------------------------------------------------- validation of in-cell controls
enum class Way { Tab, Return, ClickElsewhere, FocusLoss };
enum class Answer { Accept, Refuse, Correct, RefuseCorrected };

struct ValidateCase {
  const char* Name;
  Way Out;
  Answer Reply;
};

class ControlValidateTest : public RadioTest, public ::testing::WithParamInterface<ValidateCase> {};

TEST_P(ControlValidateTest, AControlsValueGoesThroughValidationOnEveryWayOut) {
  const ValidateCase& k = GetParam();
  grid->OnGetEditorType = [](TObject*, int c, int, TEditorType& e) {
    if (c == 2) e = edComboEdit;
  };
  std::vector<std::string> asked;
  grid->OnCellValidate = [&](TObject*, int c, int r, std::string& v, bool& valid) {
    asked.push_back(std::to_string(c) + "," + std::to_string(r) + "=" + v);
    if (k.Reply == Answer::Refuse) valid = false;
    if (k.Reply == Answer::Correct) v = "[" + v + "]";
    if (k.Reply == Answer::RefuseCorrected) v = "fix", valid = false;
  };
  grid->FocusCell(2, 3, true);
  Key(Qt::Key_F2);
  auto* combo = dynamic_cast<TGridCombo*>(grid->ActiveCellEditor());
  ASSERT_NE(combo, nullptr);
  combo->SetText("new");
  switch (k.Out) {
    case Way::Tab: SendKeyEvent(combo, Qt::Key_Tab); break;
    case Way::Return: SendKeyEvent(combo, Qt::Key_Return); break;
    case Way::ClickElsewhere: ClickCell(4, 6); break;
    case Way::FocusLoss: other->SetFocus(); break;
  }
  Flush();
  EXPECT_EQ(asked, (std::vector<std::string>{"2,3=new"})) << "validated once, with the real column";
  const bool refused = k.Reply == Answer::Refuse || k.Reply == Answer::RefuseCorrected;
  const std::string stored = k.Reply == Answer::Accept ? "new"
                             : k.Reply == Answer::Correct ? "[new]"
                             : k.Reply == Answer::Refuse ? "2:3"
                                                         : "fix";
  EXPECT_EQ(grid->Cells(2, 3), stored);
  if (refused) {
    EXPECT_EQ(grid->ActiveCellEditor(), combo) << "a refused value keeps the control open on the cell";
    EXPECT_TRUE(combo->Visible());
    EXPECT_EQ(combo->Text(), stored);
    EXPECT_EQ(Current(), TPoint(2, 3));
    if (k.Out == Way::FocusLoss) {
      EXPECT_TRUE(other->Focused()) << "focus going elsewhere is not taken back";
    }
    // Leaving again without a change is no new validation, and the cell keeps its text.
    if (k.Out != Way::FocusLoss) {
      SendKeyEvent(combo, Qt::Key_Tab);
      EXPECT_EQ(asked.size(), 1u);
      EXPECT_EQ(grid->ActiveCellEditor(), nullptr);
      EXPECT_EQ(grid->Cells(2, 3), stored);
    }
  } else {
    EXPECT_EQ(grid->ActiveCellEditor(), nullptr);
    EXPECT_FALSE(combo->Visible());
    TPoint expect = k.Out == Way::Tab ? TPoint(3, 3) : k.Out == Way::ClickElsewhere ? TPoint(4, 6) : TPoint(2, 3);
    EXPECT_EQ(Current(), expect);
  }
}

INSTANTIATE_TEST_SUITE_P(
    WaysOut, ControlValidateTest,
    ::testing::Values(ValidateCase{"TabAccept", Way::Tab, Answer::Accept},
                      ValidateCase{"TabRefuse", Way::Tab, Answer::Refuse},
                      ValidateCase{"TabCorrect", Way::Tab, Answer::Correct},
                      ValidateCase{"TabRefuseCorrected", Way::Tab, Answer::RefuseCorrected},
                      ValidateCase{"ReturnAccept", Way::Return, Answer::Accept},
                      ValidateCase{"ReturnRefuse", Way::Return, Answer::Refuse},
                      ValidateCase{"ReturnCorrect", Way::Return, Answer::Correct},
                      ValidateCase{"ReturnRefuseCorrected", Way::Return, Answer::RefuseCorrected},
                      ValidateCase{"ClickAccept", Way::ClickElsewhere, Answer::Accept},
                      ValidateCase{"ClickRefuse", Way::ClickElsewhere, Answer::Refuse},
                      ValidateCase{"ClickCorrect", Way::ClickElsewhere, Answer::Correct},
                      ValidateCase{"ClickRefuseCorrected", Way::ClickElsewhere, Answer::RefuseCorrected},
                      ValidateCase{"FocusLossAccept", Way::FocusLoss, Answer::Accept},
                      ValidateCase{"FocusLossRefuse", Way::FocusLoss, Answer::Refuse},
                      ValidateCase{"FocusLossCorrect", Way::FocusLoss, Answer::Correct},
                      ValidateCase{"FocusLossRefuseCorrected", Way::FocusLoss, Answer::RefuseCorrected}),
    [](const ::testing::TestParamInfo<ValidateCase>& i) { return std::string(i.param.Name); });

TEST_F(RadioTest, ADateEditorsRefusedValueKeepsItOpenUntilEscapeRestores) {
  grid->OnGetEditorType = [](TObject*, int c, int, TEditorType& e) {
    if (c == 1) e = edDateEdit;
  };
  const std::string start = DateToStr(EncodeDate(2024, 5, 6));
  grid->SetCells(1, 4, start);
  grid->OnCellValidate = [](TObject*, int, int, std::string&, bool& valid) { valid = false; };
  grid->FocusCell(1, 4, true);
  Key(Qt::Key_F2);
  auto* date = dynamic_cast<TGridDatePicker*>(grid->ActiveCellEditor());
  ASSERT_NE(date, nullptr);
  date->SetDateTime(EncodeDate(2025, 1, 2));
  SendKeyEvent(date, Qt::Key_Return);
  EXPECT_EQ(grid->Cells(1, 4), start);
  EXPECT_EQ(grid->ActiveCellEditor(), date);
  EXPECT_EQ(date->Text(), start);
  date->SetDateTime(EncodeDate(2025, 1, 3));
  SendKeyEvent(date, Qt::Key_Escape);
  EXPECT_EQ(grid->ActiveCellEditor(), nullptr);
  EXPECT_EQ(grid->Cells(1, 4), start);
}

TEST_F(RadioTest, EscapeInAChangedControlTakesTheCellsTextBackWithoutValidating) {
  grid->OnGetEditorType = [](TObject*, int c, int, TEditorType& e) {
    if (c == 2) e = edComboEdit;
  };
  int asked = 0;
  grid->OnCellValidate = [&](TObject*, int, int, std::string&, bool&) { ++asked; };
  grid->FocusCell(2, 5, true);
  Key(Qt::Key_F2);
  auto* combo = dynamic_cast<TGridCombo*>(grid->ActiveCellEditor());
  ASSERT_NE(combo, nullptr);
  combo->SetText("changed");
  SendKeyEvent(combo, Qt::Key_Escape);
  EXPECT_EQ(grid->ActiveCellEditor(), combo);
  EXPECT_EQ(combo->Text(), "2:5");
  EXPECT_EQ(grid->Cells(2, 5), "2:5");
  SendKeyEvent(combo, Qt::Key_Tab);
  EXPECT_EQ(grid->ActiveCellEditor(), nullptr);
  EXPECT_EQ(grid->Cells(2, 5), "2:5");
  EXPECT_EQ(asked, 0) << "the cell's own text is not validated";
}

// ---------------------------------------------------------------- what a person sees
TEST_F(RadioTest, ScreenshotOfGroupsAndCheckBoxesAfterClicks) {
  grid->SetColWidths(1, 90);
  grid->SetColWidths(2, 200);
  grid->SetRowHeights(1, 64);
  grid->SetRowHeights(2, 28);
  grid->AddRadio(1, 1, false, 0, {"Low", "Medium", "High"});
  grid->AddRadio(2, 2, true, 0, {"On", "Off", "Auto"});
  grid->SetCells(2, 1, "Notify");
  grid->AddCheckBox(2, 1, false, false);
  grid->AddCheckBox(3, 1, false, true);
  grid->AddButton(3, 2, 50, 20, "Apply");
  grid->SetCells(1, 3, "<B>Ctl</B> <CONTROL TYPE=\"CHECK\" ID=\"k\" VALUE=\"FALSE\" WIDTH=\"16\">");
  Flush();
  std::vector<TRect> v = grid->RadioItemRectsAt(1, 1), h = grid->RadioItemRectsAt(2, 2);
  ASSERT_EQ(v.size(), 3u);
  ASSERT_EQ(h.size(), 3u);
  Click(Centre(v[2]).X, Centre(v[2]).Y);
  Click(Centre(h[1]).X, Centre(h[1]).Y);
  TRect g = grid->CheckGlyphRectAt(2, 1);
  Click(Centre(g).X, Centre(g).Y);
  g = grid->CheckGlyphRectAt(3, 1);
  Click(Centre(g).X, Centre(g).Y);
  EXPECT_EQ(grid->GetRadioIndex(1, 1), 2);
  EXPECT_EQ(grid->GetRadioIndex(2, 2), 1);
  EXPECT_TRUE(grid->GetCheckBoxState(2, 1));
  EXPECT_TRUE(grid->GetCheckBoxState(3, 1));
  Flush();
  std::string file = TestImagePath("extgrid-radio-after-clicks.png");
  ASSERT_TRUE(SaveControlImage(form, file));
  QImage img(QString::fromStdString(file));
  ASSERT_FALSE(img.isNull());
  // The chosen stacked button has its dot: a dark pixel at the centre of the third button.
  TRect b = RadioButtonRect(v[2], 16);
  TPoint c = Centre(b);
  QRgb dot = img.pixel(grid->Left() + c.X, grid->Top() + c.Y) & 0xFFFFFF;
  EXPECT_LT(qGray(dot), 100);
  TRect b0 = RadioButtonRect(v[0], 16);
  QRgb empty = img.pixel(grid->Left() + Centre(b0).X, grid->Top() + Centre(b0).Y) & 0xFFFFFF;
  EXPECT_GT(qGray(empty), 150) << "the item no longer chosen shows no dot";
  for (int i = 0; i < 3; ++i) {
    TPoint m = Centre(RadioButtonRect(h[static_cast<size_t>(i)], 16));
    QRgb px = img.pixel(grid->Left() + m.X, grid->Top() + m.Y) & 0xFFFFFF;
    if (i == 1)
      EXPECT_LT(qGray(px), 100) << "the side-by-side choice is drawn where the hit test put it";
    else
      EXPECT_GT(qGray(px), 150) << i;
  }

  // A held cell button looks pressed until the release.
  TRect apply = grid->ButtonRectAt(3, 2);
  auto region = [&](const QImage& i) { return i.copy(grid->Left() + apply.Left, grid->Top() + apply.Top, apply.Width(), apply.Height()); };
  TRect applyCell = grid->CellRect(3, 2);
  Click(applyCell.Left + 2, applyCell.Top + 2);  // the cell becomes current without a press on its button
  Flush();
  std::string up = TestImagePath("extgrid-radio-button-up.png");
  ASSERT_TRUE(SaveControlImage(form, up));
  img = QImage(QString::fromStdString(up));
  Mouse(QEvent::MouseButtonPress, Centre(apply).X, Centre(apply).Y);
  Flush();
  std::string held = TestImagePath("extgrid-radio-button-held.png");
  ASSERT_TRUE(SaveControlImage(form, held));
  QImage heldImg(QString::fromStdString(held));
  EXPECT_NE(region(heldImg), region(img)) << "pressed look";
  Mouse(QEvent::MouseButtonRelease, Centre(apply).X, Centre(apply).Y);
  Flush();
  std::string after = TestImagePath("extgrid-radio-button-released.png");
  ASSERT_TRUE(SaveControlImage(form, after));
  EXPECT_EQ(region(QImage(QString::fromStdString(after))), region(img)) << "up again after the release";
}

TEST_F(RadioTest, APressedMarkupButtonComesUpWhenTheGridLosesTheFocus) {
  grid->SetColWidths(1, 200);
  grid->SetRowHeights(2, 40);
  grid->SetCells(1, 2, "<B>b</B> <CONTROL TYPE=\"BUTTON\" ID=\"b1\" VALUE=\"Go\" WIDTH=\"50\">");
  TRect go;
  for (const TCanvasOp& op : Record(1, 2).Ops())
    if (op.Kind == okText && op.Text == "Go") go = op.R;
  ASSERT_GT(go.Width(), 0) << rec.Dump();
  Mouse(QEvent::MouseButtonPress, Centre(go).X, Centre(go).Y);
  EXPECT_EQ(grid->PressedMarkupButton(), TPoint(1, 2));
  Unrecord();
  other->SetFocus();
  EXPECT_EQ(grid->PressedMarkupButton(), TPoint(-1, -1));
}

}  // namespace
