// The grid's looks and cell queries: the marks of a sort by several keys, the window frame of the
// modern looks, fixed cells drawn as pressed buttons, the public queries of cell graphics, lines
// moved from outside, and the popup button's markup caption.
#include <QImage>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "controls/grid/ExtGridEditors.h"
#include "controls/grid/ExtUtil.h"
#include "controls/markup/PictureContainer.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/FormImage.h"
#include "platform/gui/RecordingCanvas.h"
#include "platform/gui/VisualStyles.h"
#include "tests/controls/grid/GridInputFixture.h"

namespace {

QRgb Rgb(TColor c) {
  int32_t v = ColorToRGB(c);
  return static_cast<QRgb>((GetRValue(v) << 16) | (GetGValue(v) << 8) | GetBValue(v));
}

// Reaches the grid's cell drawing so one cell can be drawn onto a recording canvas.
class TProbeGrid : public TExtStringGrid {
 public:
  using TExtStringGrid::TExtStringGrid;
  std::vector<TCanvasOp> DrawnOps(int ACol, int ARow) {
    TRecordingCanvas rec(800, 600);
    TCanvasBackend* saved = Canvas()->Backend();
    Canvas()->SetBackend(rec.Backend());
    const TGridDrawState state = ARow < FixedRows() || ACol < FixedCols() ? TGridDrawState(gdFixed) : TGridDrawState(0);
    DrawCell(ACol, ARow, CellRect(ACol, ARow), state);
    Canvas()->SetBackend(saved);
    return rec.Ops();
  }
};

class GridLooksTest : public TGuiTest {
 protected:
  void SetUp() override {
    form = new TForm(Application);
    form->SetClientSize(520, 400);
    grid = new TProbeGrid(form);
    grid->SetParent(form);
    grid->SetBounds(10, 10, 480, 300);
    grid->SetColCount(5);
    grid->SetRowCount(6);
    for (int c = 0; c < 5; ++c) grid->SetCells(c, 0, "H");
    grid->Loaded();
    form->Show();
    Flush();
  }
  void TearDown() override { delete form; }
  static void Flush() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    QCoreApplication::processEvents();
  }
  TForm* form = nullptr;
  TProbeGrid* grid = nullptr;
};

// ---------------------------------------------------------------- marks of a sort by several keys
enum TMark { mkNone, mkPlain, mkTipUp, mkTipDown, mkGlyph };
struct TDrawnMark {
  TMark Mark = mkNone;
  TColor Fill = clNone;
  int GlyphWidth = 0;
  std::string Number;
};

TDrawnMark MarkOf(TProbeGrid* g, int c) {
  auto lines = [](const std::vector<TCanvasOp>& ops) {
    return std::count_if(ops.begin(), ops.end(), [](const TCanvasOp& o) { return o.Kind == okLine; });
  };
  const std::vector<TCanvasOp> ops = g->DrawnOps(c, 0);
  const std::vector<TCanvasOp> plain = g->DrawnOps(4, 0);  // a header without a mark
  TDrawnMark m;
  for (const TCanvasOp& o : ops) {
    if (o.Kind == okPolygon && o.Points.size() == 3) {
      m.Mark = o.Points[2].Y < o.Points[0].Y ? mkTipUp : mkTipDown;
      m.Fill = o.BrushColor;
    }
    if (o.Kind == okImage && o.R.Right - o.R.Left <= 12) {  // not the header's gradient
      m.Mark = mkGlyph;
      m.GlyphWidth = o.R.Right - o.R.Left;
    }
    if (o.Kind == okText && o.Text != "H") m.Number = o.Text;
  }
  if (m.Mark == mkNone && lines(ops) > lines(plain)) m.Mark = mkPlain;
  return m;
}

// Columns 1 (ascending) and 3 (descending) are the keys: with IndexShow each shows its number on a
// tip-up (ascending) or tip-down (descending) triangle in IndexColor, or the index glyphs when both
// are given (ascending IndexDownGlyph, descending IndexUpGlyph); without it only the first key
// shows the plain mark.
TEST_F(GridLooksTest, EveryKeyOfASortBySeveralKeysShowsItsNumberedMark) {
  struct TCase {
    const char* Name;
    bool IndexShow, Glyphs;
    int Col;
    TMark Mark;
    std::string Number;
    int GlyphWidth;
  };
  const std::vector<TCase> cases = {
      {"first key ascending", true, false, 1, mkTipUp, "1", 0},
      {"second key descending", true, false, 3, mkTipDown, "2", 0},
      {"no key", true, false, 2, mkNone, "", 0},
      {"first key, glyphs", true, true, 1, mkGlyph, "1", 11},
      {"second key, glyphs", true, true, 3, mkGlyph, "2", 9},
      {"first key without IndexShow", false, false, 1, mkPlain, "", 0},
      {"second key without IndexShow", false, false, 3, mkNone, "", 0},
  };
  TBitmap up, down;
  up.SetSize(9, 9);
  down.SetSize(11, 11);
  TBitmap none;
  TSortSettings* s = grid->SortSettings();
  s->SetShow(true);
  s->IndexColor = clAqua;
  grid->SortIndexes()->AddIndex(1, true);
  grid->SortIndexes()->AddIndex(3, false);
  for (const TCase& c : cases) {
    s->IndexShow = c.IndexShow;
    s->SetIndexUpGlyph(c.Glyphs ? &up : &none);
    s->SetIndexDownGlyph(c.Glyphs ? &down : &none);
    TDrawnMark m = MarkOf(grid, c.Col);
    EXPECT_EQ(m.Mark, c.Mark) << c.Name;
    EXPECT_EQ(m.Number, c.Number) << c.Name;
    if (c.Mark == mkTipUp || c.Mark == mkTipDown) {
      EXPECT_EQ(m.Fill, clAqua) << c.Name;
    }
    if (c.Mark == mkGlyph) {
      EXPECT_EQ(m.GlyphWidth, c.GlyphWidth) << c.Name;
    }
  }
}

// A Shift+click sort by two columns marks both header cells, numbered in key order.
TEST_F(GridLooksTest, AShiftClickSortMarksBothKeys) {
  grid->SortSettings()->SetShow(true);
  grid->SortSettings()->IndexShow = true;
  for (int r = 1; r < 6; ++r) {
    grid->SetCells(1, r, r % 2 ? "a" : "b");
    grid->SetCells(2, r, std::to_string(10 - r));
  }
  grid->HeaderClickSort(1, 0);
  grid->HeaderClickSort(2, ssShift);
  EXPECT_EQ(MarkOf(grid, 1).Number, "1");
  EXPECT_EQ(MarkOf(grid, 2).Number, "2");
  EXPECT_EQ(MarkOf(grid, 2).Mark, mkTipUp);
  grid->HeaderClickSort(2, ssShift);  // the second key turns round
  EXPECT_EQ(MarkOf(grid, 2).Mark, mkTipDown);
}

// Where the sort mark stands beside the header text, and the room the text leaves it. Offsets are
// the mark's centre from the drawn text's right (or left) edge, or the cell's right; "centre" is how far the sort
// column's centred text stands right of the same text in another column.
TEST_F(GridLooksTest, TheSortMarkStandsBesideItsHeaderText) {
  enum TGraphic { grNone, grLeft, grBefore };
  enum TFrom { fromRight, fromLeft, fromCell, centre };
  const std::string wide = ExtUtil::EncodeWideText(u"Name");
  const struct {
    const char* name;
    std::string text;
    TAlignment align;
    TGraphic graphic;
    bool rtl;
    int rows, height;  // height 0: the header keeps its height and the grid's vertical alignment
    TFrom from;
    int offset;
  } cases[] = {
      {"left-aligned", "Name", taLeftJustify, grNone, false, 6, 0, fromRight, 10},
      {"beside a graphic at the left", "Name", taLeftJustify, grLeft, false, 6, 0, fromRight, 30},
      {"beside a graphic before the text", "Name", taLeftJustify, grBefore, false, 6, 0, fromRight, 10},
      {"right-aligned", "Name", taRightJustify, grNone, false, 6, 0, fromLeft, -10},
      {"wide, right-aligned", wide, taRightJustify, grNone, false, 6, 0, fromRight, 3},
      {"markup", "<B>Name</B>", taLeftJustify, grNone, false, 6, 0, fromCell, -11},
      // The renderer starts its text 1 pixel into the rectangle.
      {"markup, right to left", "<B>Name</B>", taLeftJustify, grNone, true, 6, 0, fromLeft, -3},
      // Plain text right to left takes the other side; the mark follows it.
      {"right to left, left-aligned", "Name", taLeftJustify, grNone, true, 6, 0, fromLeft, -10},
      {"right to left, right-aligned", "Name", taRightJustify, grNone, true, 6, 0, fromRight, 10},
      {"centred, mark shown", "Name", taCenter, grNone, false, 6, 0, centre, 12},
      {"centred, too few rows for the mark", "Name", taCenter, grNone, false, 2, 0, centre, 12},
      // A tall header centred down: the mark keeps to the middle of the text rectangle.
      {"left-aligned, centred down a tall header", "Name", taLeftJustify, grNone, false, 6, 80, fromRight, 10},
  };
  TBitmap bmp(20, 10);
  TSortSettings* ss = grid->SortSettings();
  ss->SetShow(true);
  ss->Column = 2;
  grid->EnableHTML = true;
  grid->SetColWidths(2, 150);
  grid->SetColWidths(3, 150);
  const int headerHeight = grid->RowHeights(0);
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    grid->SetRowCount(k.rows);
    grid->SetRowHeights(0, k.height ? k.height : headerHeight);
    grid->SetBiDiMode(k.rtl ? bdRightToLeft : bdLeftToRight);
    grid->OnGetAlignment = [&](TObject*, int, int, TAlignment& h, TVAlignment& v) {
      h = k.align;
      if (k.height) v = vtaCenter;
    };
    grid->RemoveCellGraphic(2, 0);
    if (k.graphic != grNone) grid->AddBitmap(2, 0, &bmp, false, k.graphic == grLeft ? haLeft : haBeforeText, vaCenter);
    grid->SetCells(2, 0, k.text);
    grid->SetCells(3, 0, k.text);
    int markTop = INT_MAX, markBottom = INT_MIN;
    auto drawn = [&](int c, int& markX) {
      TRect text;
      markX = -1;
      for (const TCanvasOp& o : grid->DrawnOps(c, 0)) {
        if (o.Kind == okText && o.Text == "Name") text = o.R;
        if (o.Kind == okLine && o.Pen.Color == clWhite && markX < 0) markX = (o.R.Left + o.R.Right) / 2;
        // The mark's strokes are short; the header's white bevel runs along the cell.
        if (o.Kind == okLine && o.Pen.Color == clWhite && c == 2 && std::abs(o.R.Bottom - o.R.Top) <= 8 &&
            std::abs(o.R.Right - o.R.Left) <= 8) {
          markTop = std::min({markTop, o.R.Top, o.R.Bottom});
          markBottom = std::max({markBottom, o.R.Top, o.R.Bottom});
        }
      }
      return text;
    };
    int x = -1, other = -1;
    const TRect t = drawn(2, x), t3 = drawn(3, other);
    ASSERT_GT(t.Width(), 0);
    if (k.from == centre) {
      const TRect c2 = grid->CellRect(2, 0), c3 = grid->CellRect(3, 0);
      EXPECT_EQ((t.Left - c2.Left) - (t3.Left - c3.Left), k.offset);
      continue;
    }
    ASSERT_GE(x, 0) << "the mark is drawn";
    const TRect cell = grid->CellRect(2, 0);
    EXPECT_EQ(x - (k.from == fromRight ? t.Right : k.from == fromLeft ? t.Left : cell.Right), k.offset);
    EXPECT_TRUE(x - 4 >= cell.Left && x + 4 < cell.Right) << "the mark stands inside its cell";
    if (k.height) {
      // The text rectangle runs from 2 below the cell's top to its bottom.
      const int top = cell.Top + 2, bottom = cell.Bottom;
      EXPECT_EQ((markTop + markBottom) / 2, top + (bottom - top) / 2) << "text " << t.Top << ".." << t.Bottom;
    }
  }
  grid->SetRowHeights(0, headerHeight);
  grid->SetBiDiMode(bdLeftToRight);
}

// Right to left, plain text is read from the right and its left and right alignments swap;
// centred text stays centred. Offsets are from the cell's left, right or centre.
TEST_F(GridLooksTest, PlainTextRightToLeftReadsFromTheRightOnItsOtherSide) {
  enum TSide { atLeft, atRight, atCentre };
  const struct {
    const char* name;
    TAlignment align;
    TBiDiMode mode;
    TSide side;
  } cases[] = {
      {"left-aligned", taLeftJustify, bdLeftToRight, atLeft},
      {"left-aligned, right to left", taLeftJustify, bdRightToLeft, atRight},
      {"right-aligned, right to left", taRightJustify, bdRightToLeft, atLeft},
      {"centred, right to left", taCenter, bdRightToLeft, atCentre},
      // Reading from the right without the alignment swap.
      {"left-aligned, no align", taLeftJustify, bdRightToLeftNoAlign, atLeft},
      {"right-aligned, reading only", taRightJustify, bdRightToLeftReadingOnly, atRight},
  };
  grid->SetColWidths(2, 150);
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    grid->SetBiDiMode(k.mode);
    grid->OnGetAlignment = [&](TObject*, int, int, TAlignment& h, TVAlignment&) { h = k.align; };
    grid->SetCells(2, 2, "Text");
    TCanvasOp text;
    for (const TCanvasOp& o : grid->DrawnOps(2, 2))
      if (o.Kind == okText && o.Text == "Text") text = o;
    ASSERT_GT(text.R.Width(), 0);
    EXPECT_EQ(text.RightToLeft, k.mode != bdLeftToRight) << "read from the right";
    const TRect cell = grid->CellRect(2, 2);
    const int left = text.R.Left - cell.Left, right = cell.Right - text.R.Right;
    if (k.side == atLeft) {
      EXPECT_LT(left, 5);
    } else if (k.side == atRight) {
      EXPECT_LT(right, 5);
    } else {
      EXPECT_LE(std::abs(left - right), 4);
    }
  }
  grid->SetBiDiMode(bdLeftToRight);
}

// ---------------------------------------------------------------- the window frame
// glSoft, glQuarn, glXP and glListView with a single border and Flat off draw a grey line inside
// the edge and a line in the parent's colour outside; other looks, Flat or no border keep the
// border as it is.
TEST_F(GridLooksTest, TheModernLooksDrawTheirOnePixelFrame) {
  struct TCase {
    const char* Name;
    TGridLook Look;
    bool Flat;
    TBorderStyle Border;
    bool Frame;
  };
  const std::vector<TCase> cases = {
      {"glXP", glXP, false, bsSingle, true},         {"glSoft", glSoft, false, bsSingle, true},
      {"glQuarn", glQuarn, false, bsSingle, true},   {"glListView", glListView, false, bsSingle, true},
      {"glStandard", glStandard, false, bsSingle, false}, {"glClassic", glClassic, false, bsSingle, false},
      {"glXP flat", glXP, true, bsSingle, false},    {"glXP without border", glXP, false, bsNone, false},
  };
  form->SetColor(clAqua);
  const TColor inner = IsWindowsXPOrLater() && VisualStylesUsable() ? TColorOf(0xB99D7F) : clGray;
  for (const TCase& c : cases) {
    grid->SetLook(glStandard);
    grid->SetFlat(c.Flat);
    grid->SetBorderStyle(c.Border);
    Flush();
    QImage plain = RenderControlImage(grid);
    grid->SetLook(c.Look);
    Flush();
    QImage img = RenderControlImage(grid);
    ASSERT_FALSE(img.isNull()) << c.Name;
    const int w = img.width(), h = img.height();
    const std::vector<TPoint> innerLine = {{1, h / 2}, {w / 2, 1}, {w - 2, h / 2}, {w / 2, h - 2}};
    const std::vector<TPoint> outerLine = {{0, h / 2}, {w / 2, 0}, {w - 1, h / 2}, {w / 2, h - 1}};
    // Without a border the cells reach the edge: only the frame's colours must be missing there.
    auto expect = [&](const TPoint& p, TColor frame, const char* which) {
      const QRgb got = img.pixel(p.X, p.Y) & 0xFFFFFF;
      if (c.Frame)
        EXPECT_EQ(got, Rgb(frame)) << c.Name << " " << which << " " << p.X << "," << p.Y;
      else if (c.Border == bsSingle)
        EXPECT_EQ(got, plain.pixel(p.X, p.Y) & 0xFFFFFF) << c.Name << " " << which << " " << p.X << "," << p.Y;
      else
        EXPECT_NE(got, Rgb(frame)) << c.Name << " " << which << " " << p.X << "," << p.Y;
    };
    for (const TPoint& p : innerLine) expect(p, inner, "inner");
    for (const TPoint& p : outerLine) expect(p, clAqua, "outer");
  }
}

// While the grid holds its painting back the frame waits, and comes with the last EndUpdate.
TEST_F(GridLooksTest, TheFrameWaitsForTheUpdateToEnd) {
  grid->SetLook(glStandard);
  Flush();
  const QImage plain = RenderControlImage(grid);
  grid->BeginUpdate();
  grid->SetLook(glXP);
  Flush();
  QImage during = RenderControlImage(grid);
  EXPECT_EQ(during.pixel(1, 40) & 0xFFFFFF, plain.pixel(1, 40) & 0xFFFFFF);
  grid->EndUpdate();
  Flush();
  QImage after = RenderControlImage(grid);
  EXPECT_NE(after.pixel(1, 40) & 0xFFFFFF, plain.pixel(1, 40) & 0xFFFFFF);
}

// ---------------------------------------------------------------- the popup button's caption
class TProbePopup : public TPopupButton {
 public:
  using TPopupButton::TPopupButton;
  std::vector<std::string> DrawnTexts() {
    TRecordingCanvas rec(300, 100);
    TCanvasBackend* saved = Canvas()->Backend();
    Canvas()->SetBackend(rec.Backend());
    Paint();
    Canvas()->SetBackend(saved);
    return rec.Texts();
  }
};

// A caption holding "</" goes through the markup renderer (tags are not shown); any other caption
// is drawn as it is, "<" included.
TEST_F(GridLooksTest, APopupButtonDrawsAMarkupCaptionThroughTheRenderer) {
  struct TCase {
    const char* Caption;
    bool TagsShown;
  };
  const std::vector<TCase> cases = {{"<b>bold</b> rest", false}, {"a <b> b", true}, {"plain", true}};
  TProbePopup pop(form);
  pop.SetBounds(0, 0, 200, 20);
  for (const TCase& c : cases) {
    pop.SetCaption(c.Caption);
    std::string all;
    for (const std::string& t : pop.DrawnTexts()) all += t;
    EXPECT_EQ(all.find("<b>") != std::string::npos, c.TagsShown && std::string(c.Caption).find("<b>") != std::string::npos)
        << c.Caption;
    EXPECT_NE(all.find(std::string(c.Caption).find("bold") != std::string::npos ? "bold" : "a"), std::string::npos)
        << c.Caption;
  }
}

// A plain caption has the whole client area inside the border: one that fits it is not cut.
TEST_F(GridLooksTest, APopupButtonCaptionFillsItsClientArea) {
  TProbePopup pop(form);
  pop.SetBounds(0, 0, 60, 20);
  TRecordingCanvas measure(300, 100);  // measures as the recording paint does
  measure.Font()->Assign(pop.Font());
  std::string caption = "i";
  while (measure.TextWidth(caption + "i") <= 58) caption += "i";
  ASSERT_GT(measure.TextWidth(caption), 52) << "wider than the client area less 3 pixels a side";
  pop.SetCaption(caption);
  EXPECT_EQ(pop.DrawnTexts(), std::vector<std::string>{caption});
}

// The window's border round the client area; the 3-D frame lies under the gradient, so a gradient
// covers it.
TEST_F(GridLooksTest, APopupButtonHasABorderAndItsGradientCoversTheFrame) {
  const struct {
    bool flat;
    TColor grad;
    QRgb topLeft, bottomRight, middle;
  } rows[] = {{false, clNone, 0xFFFFFF, 0x808080, 0x0000FF}, {false, clRed, 0xFF0000, 0xFF0000, 0xFF0000},
              {true, clNone, 0x0000FF, 0x0000FF, 0x0000FF}, {true, clLime, 0x00FF00, 0x00FF00, 0x00FF00}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.flat) + " " + std::to_string(row.grad));
    TPopupButton pop(form);
    pop.SetBounds(0, 0, 60, 20);
    // Not the frame colour, so that a missing border shows.
    pop.SetColor(clBlue);
    pop.Flat = row.flat;
    pop.GradFrom = row.grad;
    pop.GradTo = row.grad;
    const QImage img = RenderControlImage(&pop);
    auto at = [&](int x, int y) { return img.pixel(x, y) & 0xFFFFFF; };
    const int32_t frame = ColorToRGB(clWindowFrame);
    const QRgb border = qRgb(GetRValue(frame), GetGValue(frame), GetBValue(frame)) & 0xFFFFFF;
    for (TPoint p : {TPoint(0, 0), TPoint(59, 19), TPoint(30, 0), TPoint(0, 10)})
      EXPECT_EQ(at(p.X, p.Y), border) << p.X << "," << p.Y;
    EXPECT_EQ(at(1, 10), row.topLeft);
    EXPECT_EQ(at(58, 10), row.bottomRight);
    EXPECT_EQ(at(30, 10), row.middle);
  }
}

// ---------------------------------------------------------------- pressed fixed cells and queries
class GridPressTest : public GridInputTest {
 protected:
  QRgb PixelAt(int c, int r, int dx, int dy) {
    Flush();
    QImage img = RenderControlImage(grid);
    const int o = grid->BorderStyle() == bsSingle ? 2 : 0;
    TRect rc = grid->CellRect(c, r);
    return img.pixel(o + rc.Left + dx, o + rc.Top + dy) & 0xFFFFFF;
  }
};

// With FixedAsButtons and both fixed line options a press on a fixed cell draws it pressed (sunken:
// its top-left edge dark instead of the look's white line) until the release.
TEST_F(GridPressTest, AFixedCellIsDrawnPressedUntilTheRelease) {
  struct TCase {
    const char* Name;
    bool AsButtons;
    TGridOptions Lines;
    int Col, Row;
    bool Pressed;
  };
  const TGridOptions both = goFixedVertLine | goFixedHorzLine;
  const std::vector<TCase> cases = {
      {"header cell", true, both, 2, 0, true},
      {"row header", true, both, 0, 3, true},
      {"normal cell", true, both, 2, 3, false},
      {"option off", false, both, 2, 0, false},
      {"no vertical fixed lines", true, goFixedHorzLine, 2, 0, false},
  };
  for (const TCase& c : cases) {
    grid->FixedAsButtons = c.AsButtons;
    grid->SetOptions((grid->Options() & ~both) | c.Lines);
    const QRgb before = PixelAt(c.Col, c.Row, 0, 0);
    TPoint p = Mid(c.Col, c.Row);
    Mouse(QEvent::MouseButtonPress, p.X, p.Y);
    EXPECT_EQ(grid->PressedFixedCell() == TPoint(c.Col, c.Row), c.Pressed) << c.Name;
    if (c.Pressed) {
      EXPECT_NE(PixelAt(c.Col, c.Row, 0, 0), before) << c.Name;
    }
    Mouse(QEvent::MouseButtonRelease, p.X, p.Y);
    EXPECT_EQ(grid->PressedFixedCell(), TPoint(-1, -1)) << c.Name;
    if (c.Col == 0 || c.Row == 0) {
      EXPECT_EQ(PixelAt(c.Col, c.Row, 0, 0), before) << c.Name << ": raised again";
    }
  }
}

// Which graphics count as clickable: check boxes of every kind, radio groups and buttons of
// either kind (a bit button is pressed like a button).
TEST_F(GridPressTest, ClickableCellsAreTheControlsTheMouseActsOn) {
  struct TCase {
    TCellType Type;
    bool Clickable;
  };
  const std::vector<TCase> cases = {{ctCheckBox, true},   {ctDataCheckBox, true}, {ctVirtCheckBox, true},
                                    {ctRowCheckBox, true}, {ctRadio, true},       {ctButton, true},
                                    {ctBitButton, true},  {ctImageList, false},   {ctProgress, false}};
  for (const TCase& c : cases) {
    grid->CreateCellGraphic(2, 2)->CellType = c.Type;
    EXPECT_EQ(grid->IsClickableCell(2, 2), c.Clickable) << c.Type;
  }
  EXPECT_FALSE(grid->IsClickableCell(3, 3)) << "no graphic";
  grid->AddCheckBox(1, 4, false, false);
  grid->MergeCells(1, 4, 2, 1);
  EXPECT_TRUE(grid->IsClickableCell(2, 4)) << "a covered cell answers for its base";
}

// The kind queries answer for a merged area's base; a radio cell also gives its chosen index, the
// check box queries whether there is a box.
TEST_F(GridPressTest, KindQueriesAndTheirAnswers) {
  grid->AddCheckBox(1, 1, true, false);
  grid->AddButton(1, 2, 20, 12, "b");
  grid->AddRadio(1, 3, false, 1, {"x", "y"});
  grid->MergeCells(1, 3, 2, 1);
  struct TCase {
    int Col, Row;
    bool Check, Button, Radio;
  };
  const std::vector<TCase> cases = {
      {1, 1, true, false, false}, {1, 2, false, true, false}, {2, 3, false, false, true}, {3, 3, false, false, false}};
  for (const TCase& c : cases) {
    EXPECT_EQ(grid->IsCheckCell(c.Col, c.Row), c.Check) << c.Col << "," << c.Row;
    EXPECT_EQ(grid->IsButtonCell(c.Col, c.Row), c.Button) << c.Col << "," << c.Row;
    EXPECT_EQ(grid->IsRadioCell(c.Col, c.Row), c.Radio) << c.Col << "," << c.Row;
  }
  int index = -5;
  EXPECT_TRUE(grid->IsRadioCell(2, 3, index));
  EXPECT_EQ(index, 1);
  grid->AddRadio(1, 6, false, -1, {"x", "y"});
  grid->SetCells(1, 6, "y");
  EXPECT_TRUE(grid->IsRadioCell(1, 6, index));
  EXPECT_EQ(index, -1) << "the stored index, not the text's item";
  bool state = false;
  EXPECT_TRUE(grid->GetCheckBoxState(1, 1, state));
  EXPECT_TRUE(state);
  EXPECT_FALSE(grid->GetCheckBoxState(1, 2, state));
  EXPECT_FALSE(grid->SetCheckBoxState(1, 2, true)) << "no check box";
  EXPECT_TRUE(grid->SetCheckBoxState(1, 1, false));
  EXPECT_FALSE(grid->GetCheckBoxState(1, 1));
}

// ToggleRadio asks for editing only with CheckEdit (and RadioAlwaysActive off).
TEST_F(GridPressTest, ToggleRadioAsksForEditingOnlyWithCheckEdit) {
  struct TCase {
    const char* Name;
    bool CheckEdit, Editing, AlwaysActive;
    int Index;
    const char* Text;  // the cell's text after the toggle: the item chosen
  };
  const std::vector<TCase> cases = {{"no check", false, false, false, 1, "y"},
                                    {"editing off", true, false, false, 0, "old"},
                                    {"editing on", true, true, false, 1, "y"},
                                    {"always active", true, false, true, 1, "y"}};
  for (const TCase& c : cases) {
    grid->SetCells(2, 2, "old");
    grid->AddRadio(2, 2, false, 0, {"x", "y"});
    grid->SetOptions(c.Editing ? grid->Options() | goEditing : grid->Options() & ~goEditing);
    grid->ControlLook()->RadioAlwaysActive = c.AlwaysActive;
    grid->ToggleRadio(2, 2, c.CheckEdit);
    EXPECT_EQ(grid->GetRadioIndex(2, 2), c.Index) << c.Name;
    EXPECT_EQ(grid->Cells(2, 2), c.Text) << c.Name;
  }
}

TEST_F(GridPressTest, RadioItemsErrorRangeAndGraphicState) {
  grid->AddRadio(1, 2, false, 0, {"one", "two"});
  grid->MergeCells(1, 2, 2, 1);
  const std::vector<std::string>* items = grid->GetRadioItems(2, 2);
  ASSERT_NE(items, nullptr);
  EXPECT_EQ(*items, (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(grid->GetRadioItems(3, 3), nullptr);
  grid->AddCheckBox(3, 3, false, false);
  EXPECT_EQ(grid->GetRadioItems(3, 3), nullptr);

  int from = 7, len = 7;
  grid->GetCellErrorRange(4, 4, from, len);
  EXPECT_EQ(from, 0);
  EXPECT_EQ(len, 0);
  TCellGraphic* g = grid->GetCellGraphic(3, 3);
  g->CellErrFrom = 2;
  g->CellErrLen = 3;
  grid->GetCellErrorRange(3, 3, from, len);
  EXPECT_EQ(from, 2);
  EXPECT_EQ(len, 3);

  grid->SetCellGraphicState(3, 3, true);
  EXPECT_TRUE(grid->GetCheckBoxState(3, 3));
  grid->SetCellGraphicState(3, 3, false);
  EXPECT_FALSE(grid->GetCheckBoxState(3, 3));
  grid->SetCellGraphicState(4, 4, true);  // no graphic: nothing happens
  EXPECT_EQ(grid->GetCellGraphic(4, 4), nullptr);
}

// The rectangle a graphic is drawn in is the one its hit test uses.
TEST_F(GridPressTest, TheGraphicRectangleIsWhereTheGraphicIsDrawn) {
  grid->AddCheckBox(1, 1, false, false);
  grid->AddButton(2, 2, 30, 14, "Go");
  grid->AddRadio(3, 3, false, 0, {"a", "b"});
  TRect r;
  ASSERT_TRUE(grid->GetCellGraphicRect(1, 1, r));
  EXPECT_EQ(r, grid->CheckGlyphRectAt(1, 1));
  ASSERT_TRUE(grid->GetCellGraphicRect(2, 2, r));
  EXPECT_EQ(r, grid->ButtonRectAt(2, 2));
  EXPECT_EQ(r.Width(), 30);
  ASSERT_TRUE(grid->GetCellGraphicRect(3, 3, r));
  std::vector<TRect> items = grid->RadioItemRectsAt(3, 3);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(r.TopLeft(), items[0].TopLeft());
  EXPECT_EQ(r.Bottom, items[1].Bottom);
  EXPECT_FALSE(grid->GetCellGraphicRect(4, 4, r));
}

TEST_F(GridPressTest, CheckAllAndUnCheckAllReachEveryDataRowBox) {
  grid->AddCheckBox(2, 0, false, false);  // a header box is no data row
  for (int r = 1; r < 5; ++r) grid->AddCheckBox(2, r, r == 2, r == 3);
  grid->CheckAll(2);
  for (int r = 1; r < 5; ++r) EXPECT_TRUE(grid->GetCheckBoxState(2, r)) << r;
  EXPECT_EQ(grid->Cells(2, 3), "Y") << "a data check box keeps its state as text";
  EXPECT_FALSE(grid->GetCheckBoxState(2, 0));
  EXPECT_EQ(grid->Cells(2, 6), "2:6") << "cells without a box keep their text";
  grid->UnCheckAll(2);
  for (int r = 1; r < 5; ++r) EXPECT_FALSE(grid->GetCheckBoxState(2, r)) << r;
}

// With CheckEdit the toggle asks CanEditCell unless CheckAlwaysActive; it answers whether it flipped.
TEST_F(GridPressTest, ToggleCheckAsksForEditingOnlyWithCheckEdit) {
  struct TCase {
    const char* Name;
    bool CheckEdit, Editing, AlwaysActive, Refuse, Toggled;
  };
  const std::vector<TCase> cases = {
      {"no check", false, false, false, true, true},
      {"editing allowed", true, true, false, false, true},
      {"editing off", true, false, false, false, false},
      {"handler refuses", true, true, false, true, false},
      {"always active", true, false, true, true, true},
  };
  for (const TCase& c : cases) {
    grid->AddCheckBox(2, 2, false, true);
    grid->SetOptions(c.Editing ? grid->Options() | goEditing : grid->Options() & ~goEditing);
    grid->ControlLook()->CheckAlwaysActive = c.AlwaysActive;
    grid->OnCanEditCell = [&](TObject*, int, int, bool& Can) {
      if (c.Refuse) Can = false;
    };
    EXPECT_EQ(grid->ToggleCheck(2, 2, c.CheckEdit), c.Toggled) << c.Name;
    EXPECT_EQ(grid->GetCheckBoxState(2, 2), c.Toggled) << c.Name;
  }
  grid->OnCanEditCell = nullptr;
  EXPECT_FALSE(grid->ToggleCheck(3, 3, false)) << "no check box";
  EXPECT_EQ(grid->Cells(3, 3), "3:3");
}

// Anywhere in a check box cell, or with PreciseCheckBoxCheck only on the box.
TEST_F(GridPressTest, CheckBoxHitTestsTheCellOrTheBox) {
  grid->AddCheckBox(2, 2, false, false);
  const TRect box = grid->CheckGlyphRectAt(2, 2), cell = grid->CellRect(2, 2);
  const TPoint onBox((box.Left + box.Right) / 2, (box.Top + box.Bottom) / 2);
  const TPoint beside(cell.Right - 3, cell.Bottom - 3);
  const TPoint outside(cell.Right + 5, cell.Top + 2);
  struct TCase {
    const char* Name;
    bool Precise;
    TPoint P;
    bool Hit;
  };
  const std::vector<TCase> cases = {
      {"box", false, onBox, true},        {"beside the box", false, beside, true},
      {"other cell", false, outside, false}, {"precise: box", true, onBox, true},
      {"precise: beside", true, beside, false},
  };
  for (const TCase& c : cases) {
    grid->MouseActions()->PreciseCheckBoxCheck = c.Precise;
    EXPECT_EQ(grid->IsCheckBoxHit(2, 2, c.P.X, c.P.Y), c.Hit) << c.Name;
  }
  EXPECT_FALSE(grid->IsCheckBoxHit(3, 3, grid->CellRect(3, 3).Left + 2, grid->CellRect(3, 3).Top + 2));
}

TEST_F(GridPressTest, GraphicKeysSortBitmapsIconsAndImageIndexes) {
  TBitmap bmp;
  bmp.SetSize(4, 4);
  TCellGraphic* b = grid->AddBitmap(1, 1, &bmp, false, haLeft, vaTop);
  grid->AddImageIdx(1, 2, 4, haLeft, vaTop);
  grid->AddCheckBox(1, 3, false, false);
  EXPECT_EQ(grid->GetCellGraphicKey(1, 1), reinterpret_cast<intptr_t>(b->Picture.get()));
  EXPECT_NE(grid->GetCellGraphicKey(1, 1), -1);
  EXPECT_EQ(grid->GetCellGraphicKey(1, 2), 4);
  EXPECT_EQ(grid->GetCellGraphicKey(1, 3), -1);
  EXPECT_EQ(grid->GetCellGraphicKey(1, 4), -1);
}

// A line moved from outside goes with what a move by mouse carries; the column order list is made
// at the first move and follows the columns.
TEST_F(GridPressTest, LinesMovedFromOutsideCarryTheirData) {
  grid->SortSettings()->Column = 1;
  EXPECT_TRUE(grid->ColumnOrder().empty());
  grid->NotifyColumnMoved(1, 3);
  EXPECT_EQ(grid->Cells(3, 2), "1:2");
  EXPECT_EQ(grid->Cells(1, 2), "2:2");
  EXPECT_EQ(grid->SortSettings()->Column, 3);
  EXPECT_EQ(grid->ColumnOrder(), (std::vector<int>{0, 2, 3, 1, 4}));
  grid->NotifyColumnMoved(3, 1);
  EXPECT_EQ(grid->ColumnOrder(), (std::vector<int>{0, 1, 2, 3, 4}));
  grid->NotifyRowMoved(2, 5);
  EXPECT_EQ(grid->Cells(1, 5), "1:2");
  EXPECT_EQ(grid->Cells(1, 2), "1:3");
  grid->NotifyRowMoved(2, 99);  // outside the grid: nothing moves
  EXPECT_EQ(grid->Cells(1, 2), "1:3");
}

// DirectComboDrop: the list drops as the in-cell combo box opens.
TEST_F(GridPressTest, DirectComboDropDropsTheListAsTheComboOpens) {
  grid->OnGetEditorType = [](TObject*, int c, int, TEditorType& e) {
    if (c == 2) e = edComboList;
  };
  Load();
  for (bool direct : {false, true}) {
    grid->MouseActions()->DirectComboDrop = direct;
    TGridCombo* combo = grid->ComboBox();
    combo->Items()->Clear();
    combo->Items()->Add("on");
    combo->Items()->Add("off");
    grid->FocusCell(2, direct ? 4 : 3, true);
    Key(Qt::Key_F2);
    ASSERT_EQ(grid->ActiveCellEditor(), combo);
    EXPECT_EQ(combo->DroppedDown(), direct);
    combo->SetDroppedDown(false);
    SendKeyEvent(combo, Qt::Key_Escape);
  }
}

// An image list or picture container freed before the grid is forgotten by it, so painting
// never reaches a freed list.
TEST_F(GridPressTest, ListsFreedFirstAreForgotten) {
  auto* images = new TCustomImageList(form);
  auto* pictures = new TPictureContainer(form);
  grid->GridImages = images;
  grid->PictureContainer = pictures;
  grid->AddImageIdx(1, 1, 0, haLeft, vaTop);
  delete images;
  EXPECT_EQ(grid->GridImages, nullptr);
  EXPECT_EQ(grid->PictureContainer, pictures);
  delete pictures;
  EXPECT_EQ(grid->PictureContainer, nullptr);
  grid->Repaint();
  Flush();
}

// Loading a grid of the glQuarn look gives its fixed cells and its popup button the grey to white
// gradient; other looks keep the button plain.
TEST_F(GridPressTest, TheQuarnLookGivesThePopupButtonItsGradient) {
  struct TCase {
    TGridLook Look;
    TColor From, To;
  };
  const std::vector<TCase> cases = {{glQuarn, TColorOf(0xC0C0C0), TColorOf(0xFFFFFF)}, {glXP, clNone, clNone}};
  for (const TCase& c : cases) {
    auto* g = new TExtStringGrid(form);
    g->SetParent(form);
    g->SetLook(c.Look);
    g->Loaded();
    TPopupButton* b = g->DragIndicator();
    EXPECT_EQ(b->GradFrom, c.From) << c.Look;
    EXPECT_EQ(b->GradTo, c.To) << c.Look;
    if (c.Look == glQuarn) {
      EXPECT_EQ(g->FixedGradientStart, c.From);
    }
    delete g;
  }
}

}  // namespace
