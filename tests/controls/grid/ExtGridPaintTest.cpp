// The grid component's painting rules, cell text, typed access, rows and
// calculations. Colour and alignment rules are checked as functions of the
// grid's state (the style step on a scratch brush and font); only what pixels
// alone show is checked on pictures.
#include <QApplication>
#include <QImage>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/grid/ExtGrid.h"
#include "controls/grid/ExtUtil.h"
#include "controls/markup/EsgHTMLE.h"
#include "platform/gui/FormImage.h"
#include "platform/gui/Forms.h"
#include "platform/gui/RecordingCanvas.h"
#include "platform/gui/testing/GuiTest.h"
#include "tests/controls/grid/GridTestLocales.h"

namespace {

// Reaches the grid's cell drawing so one cell can be drawn onto a recording canvas.
class TProbeGrid : public TExtStringGrid {
 public:
  using TExtStringGrid::TExtStringGrid;
  using TExtStringGrid::BottomInset;
  void DrawOneCell(int ACol, int ARow, TGridDrawState AState) {
    TRect r = CellRect(ACol, ARow);
    DrawCell(ACol, ARow, r, AState);
  }
};

class GridPaintTest : public TGuiTest {
 protected:
  void SetUp() override {
    form = new TForm(Application);
    form->SetClientSize(520, 400);
    grid = new TProbeGrid(form);
    grid->SetParent(form);
    grid->SetBounds(10, 10, 480, 360);
    grid->SetColCount(5);
    grid->SetRowCount(10);
    grid->Loaded();
    form->Show();
    Flush();
  }
  void TearDown() override { delete form; }
  static void Flush() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    QCoreApplication::processEvents();
  }

  // The style step as the fill sees it (selection flag set) for a cell.
  struct TStyle {
    TColor Brush, ColorTo, FontColor;
    TFontStyles FontStyle;
    std::string FontName;
    TGridDrawState State;
    TAlignment HAlign;
    TVAlignment VAlign;
    bool WordWrap;
  };
  TStyle Style(int c, int r, TGridDrawState st = 0, bool selectionPass = true) {
    TBrush brush;
    TFont font;
    TStyle s{};
    s.State = st;
    grid->GetCellColors(c, r, s.State, false, true, selectionPass, &brush, s.ColorTo, &font, s.HAlign, s.VAlign,
                        s.WordWrap);
    s.Brush = brush.Color();
    s.FontColor = font.Color();
    s.FontStyle = font.Style();
    s.FontName = font.Name();
    return s;
  }
  // One cell drawn on a recording canvas: the operations, in order.
  std::vector<TCanvasOp> DrawnOps(TProbeGrid* g, int c, int r) {
    TRecordingCanvas rec(600, 600);
    TCanvas* cv = g->Canvas();
    TCanvasBackend* saved = cv->Backend();
    cv->SetBackend(rec.Backend());
    g->DrawOneCell(c, r, 0);
    cv->SetBackend(saved);
    return rec.Ops();
  }
  // The texts drawn, in order.
  std::vector<std::string> DrawnTexts(TProbeGrid* g, int c, int r) {
    std::vector<std::string> v;
    for (const TCanvasOp& op : DrawnOps(g, c, r))
      if (op.Kind == okText) v.push_back(op.Text);
    return v;
  }
  QImage Picture() {
    Flush();
    return RenderControlImage(grid);
  }
  // The client area starts inside the control's border.
  int Ox() const { return grid->BorderStyle() == bsSingle ? 2 : 0; }
  QRgb At(const QImage& img, int c, int r, int dx, int dy) {
    TRect rc = grid->CellRect(c, r);
    return img.pixel(Ox() + rc.Left + dx, Ox() + rc.Top + dy) & 0xFFFFFF;
  }
  QRgb AtClient(const QImage& img, int x, int y) { return img.pixel(Ox() + x, Ox() + y) & 0xFFFFFF; }
  static QRgb Rgb(TColor c) {
    int32_t v = ColorToRGB(c);
    return static_cast<QRgb>((GetRValue(v) << 16) | (GetGValue(v) << 8) | GetBValue(v));
  }

  TForm* form = nullptr;
  TProbeGrid* grid = nullptr;
};

// ---------------------------------------------------------------- colour and font precedence
TEST_F(GridPaintTest, BandsGiveRowsTheirColoursButNeverTheFixedCells) {
  grid->Bands()->SetActive(true);
  EXPECT_EQ(Style(2, 1).Brush, clInfoBk);
  EXPECT_EQ(Style(2, 2).Brush, clWindow);
  EXPECT_EQ(Style(2, 3).Brush, clInfoBk);
  EXPECT_EQ(Style(2, 0).Brush, grid->FixedColor());
  EXPECT_EQ(Style(0, 3).Brush, grid->FixedColor());
  grid->SetColors(2, 3, clLime);
  EXPECT_EQ(Style(2, 3).Brush, clLime);  // a cell's colour shows instead of the band
  EXPECT_EQ(Style(3, 3).Brush, clInfoBk);
}

TEST_F(GridPaintTest, NormalCellPrecedenceColourBandCellEventSelection) {
  grid->SetColor(clWhite);
  EXPECT_EQ(Style(2, 2).Brush, clWhite);
  grid->Bands()->SetActive(true);
  EXPECT_EQ(Style(2, 1).Brush, clInfoBk);
  grid->SetColors(2, 1, clAqua);
  EXPECT_EQ(Style(2, 1).Brush, clAqua);
  // The event may fire twice for a painted cell (fill and content): it must give the same answer each time.
  grid->OnGetCellColor = [](TObject*, int r, int c, TGridDrawState, TBrush* b, TFont*) {
    if (c == 2 && r == 1) b->SetColor(clFuchsia);
  };
  EXPECT_EQ(Style(2, 1).Brush, clFuchsia);
  TStyle sel = Style(2, 1, gdSelected);
  EXPECT_EQ(sel.Brush, TColorOf(0xEACAB6));
  EXPECT_EQ(sel.FontColor, clBlack);
  EXPECT_TRUE(sel.State & gdSelected);
  // The content pass does not select.
  EXPECT_EQ(Style(2, 1, gdSelected, false).Brush, clFuchsia);
  grid->SetShowSelection(false);
  EXPECT_EQ(Style(2, 1, gdSelected).Brush, clFuchsia);
  grid->OnGetCellColor = nullptr;
  EXPECT_EQ(Style(3, 1, gdSelected).Brush, clInfoBk);  // keeps its band
}

TEST_F(GridPaintTest, FixedCellPrecedenceFixedActiveCellEventAndFont) {
  grid->SetFixedColor(clSilver);
  EXPECT_EQ(Style(0, 3).Brush, clSilver);
  EXPECT_TRUE(Style(0, 3).State & gdFixed);
  EXPECT_EQ(Style(0, 3).FontName, grid->FixedFont()->Name());
  grid->SetRow(3);
  grid->SetActiveCellShow(true);
  grid->SetActiveCellColor(clYellow);
  EXPECT_EQ(Style(0, 3).Brush, clYellow);
  EXPECT_EQ(Style(0, 4).Brush, clSilver);
  EXPECT_EQ(Style(0, 3).FontStyle, grid->ActiveCellFont()->Style());
  grid->GetCellProperties(0, 3)->SetBrushColor(clRed);
  grid->SetFontColors(0, 4, clBlue);
  grid->GetCellProperties(0, 4)->SetBrushColor(clRed);
  EXPECT_EQ(Style(0, 3).Brush, clRed);  // the cell's own colour wins over the fixed colours
  TStyle s = Style(0, 4);
  EXPECT_EQ(s.Brush, clRed);
  EXPECT_EQ(s.FontColor, clBlue);
  EXPECT_EQ(s.FontName, grid->FixedFont()->Name());  // the fixed font with the cell's colour
  grid->OnGetCellColor = [](TObject*, int, int c, TGridDrawState, TBrush* b, TFont*) {
    if (c == 0) b->SetColor(clGreen);
  };
  EXPECT_EQ(Style(0, 3).Brush, clGreen);
  // A fixed cell never takes the selection colours.
  EXPECT_EQ(Style(0, 5, gdSelected).Brush, clGreen);
  // Fixed by the event and by the footer count too.
  grid->OnGetCellColor = nullptr;
  grid->SetFixedFooters(1);
  EXPECT_EQ(Style(2, 9).Brush, clSilver);
  EXPECT_TRUE(Style(2, 9).State & gdFixed);
}

TEST_F(GridPaintTest, DisjunctRowAndCellSelectionColourOnlyFlaggedCells) {
  grid->MouseActions()->SetDisjunctRowSelect(true);
  grid->SetRowSelect(4, true);
  EXPECT_EQ(Style(2, 4).Brush, TColorOf(0xEACAB6));
  TStyle unflagged = Style(2, 5, gdSelected);  // inside a block selection, but not flagged
  EXPECT_EQ(unflagged.Brush, grid->Color());
  EXPECT_FALSE(unflagged.State & gdSelected);
  grid->MouseActions()->SetDisjunctRowSelect(false);
  grid->MouseActions()->SetDisjunctCellSelect(true);
  grid->SetSelectedCells({TPoint(3, 6)});
  EXPECT_EQ(Style(3, 6).Brush, TColorOf(0xEACAB6));
  grid->SetCol(2);
  grid->SetRow(7);
  TStyle current = Style(2, 7, gdSelected | gdFocused);
  EXPECT_EQ(current.Brush, grid->Color());
  EXPECT_FALSE(current.State & gdSelected);
}

// Switching a disjunct mode resets its marks: marks of an earlier spell never show again.
TEST_F(GridPaintTest, SwitchingADisjunctModeResetsItsMarks) {
  TMouseActions* m = grid->MouseActions();
  struct TCase {
    const char* Name;
    std::function<void(bool)> Switch;
    std::function<void()> Mark;
    std::function<bool()> Marked;
    TPoint Cell;  // a cell the mark selects
  };
  const std::vector<TCase> cases = {
      {"rows", [&](bool v) { m->SetDisjunctRowSelect(v); }, [&] { grid->SetRowSelect(4, true); },
       [&] { return grid->RowSelect(4); }, TPoint(2, 4)},
      {"columns", [&](bool v) { m->SetDisjunctColSelect(v); }, [&] { grid->SetColSelect(3, true); },
       [&] { return grid->ColSelect(3); }, TPoint(3, 2)},
      {"cells", [&](bool v) { m->SetDisjunctCellSelect(v); }, [&] { grid->SetSelectedCells({TPoint(3, 6)}); },
       [&] { return !grid->SelectedCells().empty(); }, TPoint(3, 6)},
  };
  for (const TCase& c : cases) {
    c.Switch(true);
    c.Mark();
    EXPECT_EQ(Style(c.Cell.X, c.Cell.Y).Brush, TColorOf(0xEACAB6)) << c.Name;
    c.Switch(true);
    EXPECT_TRUE(c.Marked()) << c.Name << ": writing the same value keeps the marks";
    c.Switch(false);
    c.Switch(true);
    EXPECT_FALSE(c.Marked()) << c.Name;
    EXPECT_EQ(Style(c.Cell.X, c.Cell.Y).Brush, grid->Color()) << c.Name;
    c.Switch(false);
  }
}

TEST_F(GridPaintTest, CellColourEventRunsOnEveryPassWithTheSameAnswer) {
  int calls = 0;
  grid->OnGetCellColor = [&](TObject*, int, int, TGridDrawState, TBrush* b, TFont*) {
    ++calls;
    b->SetColor(clLime);
  };
  TRecordingCanvas rec;
  TCanvasBackend* saved = grid->Canvas()->Backend();
  grid->Canvas()->SetBackend(rec.Backend());
  grid->DrawOneCell(2, 2, 0);
  grid->Canvas()->SetBackend(saved);
  // The fill and the content pass each ask; handlers must not count on one call.
  EXPECT_EQ(calls, 2);
  bool filled = false;
  for (const TCanvasOp& op : rec.OpsOf(okFillRect)) filled |= op.BrushColor == clLime;
  EXPECT_TRUE(filled);
}

// ---------------------------------------------------------------- alignment
TEST_F(GridPaintTest, AutoNumAlignRightAlignsNumbersOnlyAndCellsAndEventOverride) {
  ExtUtil::TLocaleScope en(EnglishUS());
  grid->SetCells(1, 1, "12");
  grid->SetCells(1, 2, "-3");
  grid->SetCells(1, 3, "1-2");
  grid->SetCells(1, 4, "abc");
  grid->SetCells(1, 5, "1,234.5");
  EXPECT_EQ(Style(1, 1).HAlign, taLeftJustify);  // off by default
  grid->AutoNumAlign = true;
  EXPECT_EQ(Style(1, 1).HAlign, taRightJustify);
  EXPECT_EQ(Style(1, 2).HAlign, taRightJustify);
  EXPECT_EQ(Style(1, 3).HAlign, taLeftJustify);
  EXPECT_EQ(Style(1, 4).HAlign, taLeftJustify);
  EXPECT_EQ(Style(1, 5).HAlign, taRightJustify);
  grid->GetCellProperties(1, 4)->Alignment = taCenter;
  EXPECT_EQ(Style(1, 4).HAlign, taCenter);
  grid->GetCellProperties(1, 5);  // an object's own alignment, left as made, wins over the number's
  EXPECT_EQ(Style(1, 5).HAlign, taLeftJustify);
  grid->SetVAlignment(vtaBottom);
  grid->GetCellProperties(1, 4)->SetVAlignment(vtaCenter);  // the vertical one is the grid's
  EXPECT_EQ(Style(1, 4).VAlign, vtaBottom);
  grid->OnGetAlignment = [](TObject*, int r, int, TAlignment& h, TVAlignment& v) {
    if (r == 1) h = taCenter, v = vtaCenter;
  };
  EXPECT_EQ(Style(1, 1).HAlign, taCenter);
  EXPECT_EQ(Style(1, 1).VAlign, vtaCenter);
}

// ---------------------------------------------------------------- cell text
TEST_F(GridPaintTest, FormatterAcceptsOneNumericConversionOnly) {
  ExtUtil::TLocaleScope en(EnglishUS());
  std::string out = "untouched";
  EXPECT_TRUE(FormatGridNumber("%.2f", 3, out));
  EXPECT_EQ(out, "3.00");
  EXPECT_TRUE(FormatGridNumber("%d items", 2.6, out));
  EXPECT_EQ(out, "3 items");  // rounded, not cut
  EXPECT_TRUE(FormatGridNumber("%5.1e%%", 1234.5, out));
  EXPECT_EQ(out, "1.2e+03%");
  EXPECT_TRUE(FormatGridNumber("%-+8.3g|", -0.5, out));
  EXPECT_EQ(out, "-0.5    |");
  out = "untouched";
  for (const char* bad : {"%s", "%n", "%d%d", "%x", "%", "abc", "%1000d", "%.999f", "%p", "%ld", "%*d", ""})
    EXPECT_FALSE(FormatGridNumber(bad, 1, out)) << bad;
  EXPECT_EQ(out, "untouched");
  EXPECT_FALSE(FormatGridNumber("%d", 1e300, out));
  {
    ExtUtil::TLocaleScope de(GermanDE());
    EXPECT_TRUE(FormatGridNumber("%.2f", 1234.5, out));
    EXPECT_EQ(out, "1234,50");
  }
}

TEST_F(GridPaintTest, DisplayTextFormatsNumbersAndLeavesEverythingElse) {
  for (const TLocaleCase& lc : {EnglishCase(), GermanCase()}) {
    ExtUtil::TLocaleScope scope(lc.Locale);
    grid->OnGetFloatFormat = nullptr;
    grid->SetCells(1, 1, "3");
    std::string s;
    grid->FormatCellText(1, 1, s);
    EXPECT_EQ(s, "3");  // no event: the text as it is
    grid->OnGetFloatFormat = [](TObject*, int, int, bool&, std::string&) {};
    grid->FormatCellText(1, 1, s);
    EXPECT_EQ(s, std::string("3") + lc.Locale.DecimalSeparator + "00");
    grid->SetCells(1, 2, lc.Grouped);
    grid->FormatCellText(1, 2, s);
    EXPECT_EQ(s, std::string("1234") + lc.Locale.DecimalSeparator + "50") << lc.Name;
    for (const char* raw : {"-", "abc", "1-2", ""}) {
      grid->SetCells(1, 3, raw);
      EXPECT_NO_THROW(grid->FormatCellText(1, 3, s));
      EXPECT_EQ(s, raw);
    }
    // A float under a "d" format is rounded; a hostile format shows the raw text.
    grid->OnGetFloatFormat = [](TObject*, int, int r, bool&, std::string& f) { f = r == 4 ? "%d" : "%s%s%n"; };
    grid->SetCells(1, 4, std::string("2") + lc.Locale.DecimalSeparator + "6");
    grid->FormatCellText(1, 4, s);
    EXPECT_EQ(s, "3");
    grid->SetCells(1, 5, "42");
    grid->FormatCellText(1, 5, s);
    EXPECT_EQ(s, "42");
    // The event may refuse the format for a cell.
    grid->OnGetFloatFormat = [](TObject*, int, int, bool& isFloat, std::string&) { isFloat = false; };
    grid->FormatCellText(1, 4, s);
    EXPECT_EQ(s, std::string("2") + lc.Locale.DecimalSeparator + "6");
  }
}

TEST_F(GridPaintTest, FloatFormatThatIsNoNumberFormatFallsBackToTwoDecimals) {
  ExtUtil::TLocaleScope en(EnglishUS());
  grid->FloatFormat = "%s";
  grid->SetFloats(1, 1, 2.5);
  EXPECT_EQ(grid->Cells(1, 1), "2.50");
  grid->FloatFormat = "%.1f V";
  grid->SetFloats(1, 1, 2.25);
  EXPECT_EQ(grid->Cells(1, 1), "2.2 V");
}

TEST_F(GridPaintTest, MarkupCellsDrawThroughTheGridDialectAndPlainCellsAsTheyAre) {
  grid->SetColWidths(1, 300);
  grid->SetCells(1, 1, "<B>bold</B> text");
  std::vector<std::string> texts = DrawnTexts(grid, 1, 1);
  std::string all;
  for (auto& t : texts) all += t + "|";
  EXPECT_EQ(all.find("<B>"), std::string::npos) << all;
  EXPECT_NE(all.find("bold"), std::string::npos) << all;
  grid->EnableHTML = false;
  texts = DrawnTexts(grid, 1, 1);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0], "<B>bold</B> text");
  // A formula and a single character stay plain.
  grid->EnableHTML = true;
  grid->SetCells(1, 2, "=A1+1");
  std::vector<std::string> formula = DrawnTexts(grid, 1, 2);
  EXPECT_EQ(formula, std::vector<std::string>{"=A1+1"});
}

TEST_F(GridPaintTest, MarkupIsMeasuredByTheRendererItDrawsWith) {
  grid->SetCells(1, 1, "<B>bold</B> and <I>italic</I>");
  TSize sz = grid->GetCellTextSize(1, 1, false);
  // The renderer's own measure of the same text in the cell's font, plus the margins.
  TCanvas* cv = grid->Canvas();
  cv->Font()->Assign(grid->Font());
  std::string a, sv, fa, t, cid, cvv, ct;
  int xs = 0, ys = 0, hl = 0, ml = 0;
  TRect hr, cr;
  THTMLPictureCache cache;
  HTMLDraw(cv, grid->Cells(1, 1), TRect(2, 2, 65535, 100), nullptr, 0, 0, -1, -1, 1, false, true, false, false,
           false, false, false, false, 1.0, clBlue, clNone, clNone, clGray, a, sv, fa, t, xs, ys, hl, ml, hr, cr, cid,
           cvv, ct, &cache, nullptr, nullptr);
  EXPECT_EQ(sz.cx, xs + 2 + 4);
  EXPECT_EQ(sz.cy, ys + 2 + 4);
  EXPECT_LT(sz.cx, cv->TextWidth(grid->Cells(1, 1)));  // tags take no room
}

TEST_F(GridPaintTest, MultiLineSettingOfOneGridNeverChangesAnother) {
  auto* other = new TProbeGrid(form);
  other->SetParent(form);
  other->SetBounds(0, 0, 200, 200);
  other->SetDefaultRowHeight(60);
  grid->SetDefaultRowHeight(60);
  for (TProbeGrid* g : {grid, other}) {
    g->SetWordWrap(false);
    g->SetCells(1, 1, "one\r\ntwo");
  }
  grid->Multilinecells = true;
  std::vector<std::string> multi = DrawnTexts(grid, 1, 1);
  std::vector<std::string> single = DrawnTexts(other, 1, 1);
  EXPECT_EQ(multi, (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(single, std::vector<std::string>{"one"});
  // and again in the other order
  EXPECT_EQ(DrawnTexts(other, 1, 1), std::vector<std::string>{"one"});
  EXPECT_EQ(DrawnTexts(grid, 1, 1), (std::vector<std::string>{"one", "two"}));
  other->SetWordWrap(true);
  EXPECT_EQ(DrawnTexts(other, 1, 1), (std::vector<std::string>{"one", "two"}));
}

// ---------------------------------------------------------------- pixels: fixed looks, focus, background
TEST_F(GridPaintTest, FixedCellLooksAsPixels) {
  for (int c = 1; c < 5; ++c) grid->SetCells(c, 0, "");
  const QRgb face = Rgb(clBtnFace);
  // XP: gradient from white to the button face, a dark bottom line and white top and left lines.
  QImage xp = Picture();
  EXPECT_EQ(At(xp, 2, 0, 20, 0), 0xFFFFFFu);  // white top line
  EXPECT_EQ(At(xp, 2, 0, 0, 10), 0xFFFFFFu);  // white left line
  int h = grid->RowHeights(0);
  EXPECT_EQ(At(xp, 2, 0, 20, h - 1), Rgb(ExtUtil::DarkenColor(clBtnFace)));
  QRgb top = At(xp, 2, 0, 20, 2), low = At(xp, 2, 0, 20, h - 3);
  EXPECT_GT(qRed(top), qRed(low));  // the gradient darkens downwards
  EXPECT_NEAR(qRed(low), qRed(face), 12);
  // The gradient covers a fixed cell's own colour; a flat grid shows that colour.
  grid->GetCellProperties(3, 0)->SetBrushColor(clRed);
  QImage covered = Picture();
  EXPECT_NE(At(covered, 3, 0, 20, 5), 0xFF0000u);
  // Flat: plain fixed colour.
  grid->SetFlat(true);
  grid->SetFixedColor(clSilver);
  QImage flat = Picture();
  EXPECT_EQ(At(flat, 2, 0, 20, 2), 0xC0C0C0u);
  EXPECT_EQ(At(flat, 2, 0, 20, h - 3), 0xC0C0C0u);
  EXPECT_EQ(At(flat, 3, 0, 20, 5), 0xFF0000u);
  grid->FreeCellProperties(3, 0);
  grid->SetFlat(false);
  // Soft: the lines without the gradient.
  grid->SetLook(glSoft);
  QImage soft = Picture();
  EXPECT_EQ(At(soft, 2, 0, 20, 4), 0xC0C0C0u);
  EXPECT_EQ(At(soft, 2, 0, 20, 0), 0xFFFFFFu);
  EXPECT_EQ(At(soft, 2, 0, 20, h - 1), Rgb(ExtUtil::DarkenColor(clSilver)));
  // Classic: a black line along the right and bottom edge.
  grid->SetLook(glClassic);
  QImage classic = Picture();
  EXPECT_EQ(At(classic, 2, 0, grid->ColWidths(2) - 1, 5), 0x000000u);
  EXPECT_EQ(At(classic, 2, 0, 20, 5), 0xC0C0C0u);
  // Quarn: the gradient as in XP.
  grid->SetLook(glQuarn);
  grid->FixedGradientStart = clWhite;
  grid->FixedGradientEnd = clBlack;
  QImage quarn = Picture();
  EXPECT_GT(qRed(At(quarn, 2, 0, 20, 2)), qRed(At(quarn, 2, 0, 20, h - 3)) + 100);
  // List view: the header face with a white frame or line at the top.
  grid->SetLook(glListView);
  QImage lv = Picture();
  EXPECT_EQ(At(lv, 2, 0, 20, 0), 0xFFFFFFu);
}

TEST_F(GridPaintTest, ModifiedRowsAreMarkedAtTheRightOfTheirFixedCell) {
  grid->SetRowModified(3, true);
  QImage off = Picture();
  int w = grid->ColWidths(0);
  EXPECT_NE(At(off, 0, 3, w - 3, 8), Rgb(clAqua));  // not shown while the mark is switched off
  grid->ShowModified()->Enabled = true;
  grid->ShowModified()->SetColor(clAqua);
  QImage on = Picture();
  EXPECT_EQ(At(on, 0, 3, w - 3, 8), Rgb(clAqua));
  EXPECT_NE(At(on, 0, 4, w - 3, 8), Rgb(clAqua));
  grid->InsertRows(2, 1);  // the mark goes with its row
  QImage moved = Picture();
  EXPECT_EQ(At(moved, 0, 4, w - 3, 8), Rgb(clAqua));
  EXPECT_NE(At(moved, 0, 3, w - 3, 8), Rgb(clAqua));
}

TEST_F(GridPaintTest, FocusRectangleOnlyWithFocusAndNeverInRowSelectMode) {
  grid->SetCol(2);
  grid->SetRow(3);
  grid->HideFocusRect = false;
  auto drawnFocus = [&]() {
    TRecordingCanvas rec;
    TCanvasBackend* saved = grid->Canvas()->Backend();
    grid->Canvas()->SetBackend(rec.Backend());
    grid->DrawOneCell(2, 3, gdFocused);
    grid->Canvas()->SetBackend(saved);
    return rec.OpsOf(okFocusRect).size();
  };
  form->SetFocus();
  Flush();
  grid->SetFocus();
  Flush();
  ASSERT_TRUE(grid->Focused());
  EXPECT_EQ(drawnFocus(), 1u);
  grid->HideFocusRect = true;
  EXPECT_EQ(drawnFocus(), 0u);
  grid->HideFocusRect = false;
  grid->SetOptions(grid->Options() | goRowSelect);
  EXPECT_EQ(drawnFocus(), 0u);
  grid->SetOptions(grid->Options() & ~goRowSelect);
  auto* other = new TExtStringGrid(form);
  other->SetParent(form);
  other->SetBounds(0, 380, 50, 20);
  other->SetFocus();
  Flush();
  ASSERT_FALSE(grid->Focused());
  EXPECT_EQ(drawnFocus(), 0u);
}

TEST_F(GridPaintTest, BackgroundOutsideTheCellsAndInsideThem) {
  grid->SetRowCount(3);
  grid->SetColor(clWhite);
  TRect last = grid->CellRect(4, 2);
  int below = last.Bottom + 40;
  QImage plain = Picture();
  EXPECT_EQ(AtClient(plain, 40, below), 0xFFFFFFu);
  grid->BackGround()->SetDisplay(bdGradientVert);
  grid->BackGround()->SetColor(clRed);
  grid->BackGround()->SetColorTo(clBlue);
  grid->BackGround()->SetCells(bcFixed);
  QImage grad = Picture();
  QRgb low = AtClient(grad, 40, grid->ClientHeight() - 3);
  QRgb mid = AtClient(grad, 40, below);
  EXPECT_GT(qBlue(low), qRed(low));  // towards blue at the bottom
  EXPECT_GT(qRed(mid), qBlue(mid));  // nearer red higher up
  EXPECT_EQ(At(grad, 2, 1, 20, 5), 0xFFFFFFu);  // normal cells are not part of a fixed-cell background
  // Normal cells take their slice of the gradient; a cell with its own colour keeps it.
  grid->BackGround()->SetCells(bcNormal);
  grid->SetColors(3, 1, clLime);
  QImage cells = Picture();
  QRgb slice = At(cells, 2, 1, 20, 5);
  EXPECT_GT(qRed(slice), 120u);
  EXPECT_LT(qGreen(slice), 60u);
  EXPECT_EQ(At(cells, 3, 1, 20, 5), 0x00FF00u);
  // Without an end colour nothing is painted outside the cells, and the cells get the start colour.
  grid->BackGround()->SetColorTo(clNone);
  QImage none = Picture();
  EXPECT_EQ(AtClient(none, 40, below), 0xFFFFFFu);
  EXPECT_EQ(At(none, 2, 1, 20, 5), 0xFF0000u);
  // Nor with a picture: the cells show their part of it, the area below the last row stays as it was.
  TBitmap picture;
  picture.SetSize(600, 600);
  picture.Canvas()->Brush()->SetColor(clBlue);
  picture.Canvas()->FillRect(TRect(0, 0, 600, 600));
  grid->BackGround()->SetBitmap(&picture);
  QImage pictured = Picture();
  EXPECT_EQ(AtClient(pictured, 40, below), 0xFFFFFFu);
  EXPECT_EQ(At(pictured, 2, 1, 20, 5), 0x0000FFu);
  TBitmap noPicture;
  grid->BackGround()->SetBitmap(&noPicture);
  // A grid that fills its view has nothing outside its cells to paint over them.
  grid->BackGround()->SetColorTo(clBlue);
  grid->BackGround()->SetCells(bcFixed);
  grid->SetRowCount(100);
  grid->SetColCount(40);
  QImage full = Picture();
  int lastCol = grid->LeftCol() + grid->VisibleColCount() - 1;
  TRect lastShown = grid->CellRect(lastCol, grid->TopRow() + 1);
  EXPECT_EQ(AtClient(full, lastShown.Left + 10, lastShown.Top + 10), 0xFFFFFFu);
  // Over a floating footer the gradient ends where the footer starts.
  grid->SetRowCount(3);
  grid->SetColCount(5);
  grid->FloatingFooter()->SetVisible(true);
  ASSERT_GT(grid->BottomInset(), 10);
  QImage footed = Picture();
  QRgb above = AtClient(footed, 40, grid->ClientHeight() - grid->BottomInset() - 3);
  EXPECT_NEAR(qBlue(above), qBlue(low), 4);
  EXPECT_NEAR(qRed(above), qRed(low), 4);
}

// A tiled picture lies on the cells: a cell shows the same part of it wherever the grid is
// scrolled, and a neighbour continues it by the widths and heights of the cells before it.
TEST_F(GridPaintTest, BackgroundTilesInCellsScrollWithTheCells) {
  grid->SetColCount(12);
  grid->SetRowCount(40);
  TBitmap pattern(11, 7);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 11; ++x) pattern.Canvas()->SetPixels(x, y, RGB(20 * x, 30 * y, 100));
  grid->BackGround()->SetBitmap(&pattern);
  grid->BackGround()->SetDisplay(bdTile);
  grid->BackGround()->SetCells(bcNormal);
  const int w = grid->ColWidths(2), h = grid->RowHeights(3);
  // Pixels of cell (4, 5), at places inside it.
  auto samples = [&](const QImage& img) {
    std::vector<QRgb> v;
    for (int dx : {3, 9, 20})
      for (int dy : {2, 5}) v.push_back(At(img, 4, 5, dx, dy));
    return v;
  };
  const QImage start = Picture();
  const std::vector<QRgb> first = samples(start);
  // The neighbour's first pixels continue where this cell's would go on past its edge.
  EXPECT_EQ(At(start, 3, 3, 2, 4), At(start, 2, 3, 2 + w - 11 * ((w + 2) / 11), 4));
  EXPECT_EQ(At(start, 2, 4, 5, 1), At(start, 2, 3, 5, 1 + h - 7 * ((h + 1) / 7)));
  struct {
    int left, top;
  } views[] = {{2, 1}, {1, 2}, {2, 3}, {3, 4}};
  for (const auto& v : views) {
    SCOPED_TRACE(std::to_string(v.left) + "," + std::to_string(v.top));
    grid->SetLeftCol(v.left);
    grid->SetTopRow(v.top);
    ASSERT_EQ(grid->LeftCol(), v.left);
    ASSERT_EQ(grid->TopRow(), v.top);
    EXPECT_EQ(samples(Picture()), first);
  }
}

// A child's horizontal tree line runs 4 pixels past its indent, and on to the cell's right edge
// with ShowTreeFull.
TEST_F(GridPaintTest, TreeLinesReachTheCellEdgeWithShowTreeFull) {
  grid->AddNode(2, 4);
  grid->CellNode()->SetTreeColor(clRed);
  const int indent = grid->CellNode()->NodeIndent(), w = grid->ColWidths(0), h = grid->RowHeights(3);
  // Red somewhere around the middle of the row at that place of the cell.
  auto redAt = [&](const QImage& img, int dx) {
    for (int dy = h / 2 - 2; dy <= h / 2 + 2; ++dy)
      if (At(img, 0, 3, dx, dy) == 0xFF0000u) return true;
    return false;
  };
  for (bool full : {true, false}) {
    SCOPED_TRACE(full);
    grid->CellNode()->SetShowTreeFull(full);
    const QImage img = Picture();
    EXPECT_TRUE(redAt(img, indent + 3));
    EXPECT_EQ(redAt(img, w - 3), full);
  }
  // The node row has its lines too; a child with more rows below runs its line 4 pixels past the
  // cell; the node row's text stands 12 pixels a level and 4 more in.
  grid->SetCells(0, 2, "T1");
  grid->SetCells(1, 2, "T1");
  auto ops = [&](int c, int r) { return DrawnOps(grid, c, r); };
  auto redLines = [&](int r) {
    std::vector<TRect> v;
    const TRect cr = grid->CellRect(0, r);
    for (const TCanvasOp& op : ops(0, r))
      if (op.Kind == okLine && op.Pen.Color == clRed)
        v.push_back(TRect(op.R.Left - cr.Left, op.R.Top - cr.Top, op.R.Right - cr.Left, op.R.Bottom - cr.Top));
    return v;
  };
  auto textLeft = [&](int c, int r) {
    for (const TCanvasOp& op : ops(c, r))
      if (op.Kind == okText && op.Text == "T1") return op.R.Left - grid->CellRect(c, r).Left;
    return -100;
  };
  EXPECT_FALSE(redLines(2).empty());
  const std::vector<TRect> child = redLines(3);
  EXPECT_TRUE(std::any_of(child.begin(), child.end(), [&](const TRect& l) { return l.Left == l.Right && l.Bottom > h; }));
  EXPECT_EQ(textLeft(0, 2), textLeft(1, 2) + 12 + 4);
}

// A grid line of width W lies whole inside its cell: the cell's last W pixel rows and columns.
TEST_F(GridPaintTest, WideGridLinesLieWholeInsideTheirCell) {
  grid->SetGridLineColor(clRed);
  for (int width = 1; width <= 5; ++width) {
    SCOPED_TRACE(width);
    grid->SetGridLineWidth(width);
    const QImage img = Picture();
    const TRect rc = grid->CellRect(2, 3);
    const int midX = (rc.Left + rc.Right) / 2, midY = (rc.Top + rc.Bottom) / 2;
    std::vector<int> rows, cols, want;
    for (int y = rc.Top; y < rc.Bottom; ++y)
      if (AtClient(img, midX, y) == 0xFF0000u) rows.push_back(rc.Bottom - y);
    for (int x = rc.Left; x < rc.Right; ++x)
      if (AtClient(img, x, midY) == 0xFF0000u) cols.push_back(rc.Right - x);
    for (int k = width; k >= 1; --k) want.push_back(k);
    EXPECT_EQ(rows, want) << "the bottom line, counted up from the cell's bottom";
    EXPECT_EQ(cols, want) << "the right line, counted in from the cell's right";
  }
}

// A cell's own bottom border lies on its last pixel row; its top border stands GridLineWidth above
// the drawn rectangle: on the cell's first row with one-pixel lines, a pixel higher with two.
TEST_F(GridPaintTest, CellBordersLieOnTheCellsFirstAndLastRows) {
  grid->OnGetCellBorder = [](TObject*, int ARow, int ACol, TPen* APen, TCellBorders& Borders) {
    if (ACol != 2 || ARow != 3) return;
    APen->SetColor(clRed);
    APen->SetWidth(1);
    Borders = cbTop | cbBottom;
  };
  for (int lines : {1, 2}) {
    SCOPED_TRACE(lines);
    grid->SetGridLineWidth(lines);
    const QImage img = Picture();
    const TRect rc = grid->CellRect(2, 3);
    std::vector<int> red;
    for (int y = rc.Top - 3; y < rc.Bottom + 3; ++y)
      if (AtClient(img, rc.Left + 10, y) == 0xFF0000u) red.push_back(y - rc.Top);
    EXPECT_EQ(red, (std::vector<int>{1 - lines, rc.Bottom - rc.Top - 2}));
  }
}

// Black dots with the cells between them, along the whole client; the same lines again leave nothing.
TEST_F(GridPaintTest, SizingLinesAreDottedOverTheWholeGridAndGoWhenDrawnAgain) {
  const QImage before = Picture();
  grid->Canvas()->Pen()->SetColor(clRed);
  grid->DrawColSizingLine(70);
  grid->DrawRowSizingLine(30);
  EXPECT_EQ(grid->Canvas()->Pen()->Color(), clRed);  // the caller's pen comes back
  const QImage shown = Picture();
  for (bool col : {true, false}) {
    const int n = col ? grid->ClientHeight() : grid->ClientWidth();
    int black = 0, kept = 0, lastBlack = -1;
    for (int i = 0; i < n; ++i) {
      const int x = col ? 70 : i, y = col ? i : 30;
      if (AtClient(shown, x, y) == 0) black++, lastBlack = i;
      else if (AtClient(shown, x, y) == AtClient(before, x, y)) kept++;
    }
    EXPECT_GT(black, n / 5) << col;
    EXPECT_GT(kept, n / 5) << col;
    EXPECT_GE(lastBlack, n - 4) << col;
  }
  grid->DrawColSizingLine(70);
  grid->DrawRowSizingLine(30);
  EXPECT_TRUE(grid->SizingLines().empty());
  EXPECT_EQ(Picture(), before);
}

TEST_F(GridPaintTest, ThemeColourSets) {
  grid->ApplyThemeColors(2);
  EXPECT_EQ(grid->FixedGradientStart, TColorOf(0xCFF0EA));
  EXPECT_EQ(grid->FixedGradientEnd, TColorOf(0x8CC0B1));
  EXPECT_EQ(grid->ActiveCellColor(), TColorOf(0x94E6FB));
  EXPECT_EQ(grid->ControlLook()->FixedGradientTo(), TColorOf(0x8CC0B1));
  EXPECT_EQ(grid->SearchFooter()->ColorTo(), TColorOf(0x8CC0B1));
  grid->ApplyThemeColors(0);  // no visual styles: white to the button face, active cells white to light blue
  EXPECT_EQ(grid->FixedGradientStart, TColorOf(0xFFFFFF));
  EXPECT_EQ(grid->FixedGradientEnd, ColorToRGB(clBtnFace));
  EXPECT_EQ(grid->ActiveCellColorTo(), TColorOf(0xFFD9B3));
  EXPECT_EQ(grid->ControlLook()->FixedGradientFrom(), clNone);
}

// ---------------------------------------------------------------- rows: whole-table comparisons
struct TRowImage {
  std::vector<std::string> Texts;
  std::vector<TColor> Colors;
  bool Modified = false, Flagged = false;
  int Height = 0;
  bool operator==(const TRowImage&) const = default;
};

std::vector<TRowImage> TableOf(TExtStringGrid* g) {
  std::vector<TRowImage> t;
  for (int r = 0; r < g->RowCount(); ++r) {
    TRowImage i;
    for (int c = 0; c < g->ColCount(); ++c) {
      i.Texts.push_back(g->Cells(c, r));
      i.Colors.push_back(g->Colors(c, r));
    }
    i.Modified = g->RowModified(r);
    i.Flagged = g->RowAttributes(r).DisjunctSelected;
    i.Height = g->RowHeights(r);
    t.push_back(i);
  }
  return t;
}

TEST_F(GridPaintTest, InsertAndRemoveKeepHiddenRowsControlsFlagsAndTheRestOfTheTable) {
  grid->SetRowCount(12);
  for (int r = 0; r < 12; ++r)
    for (int c = 0; c < 5; ++c) grid->SetCells(c, r, std::to_string(c) + ":" + std::to_string(r));
  grid->SetColors(2, 6, clRed);
  grid->SetRowModified(7, true);
  grid->SetRowHeights(8, 33);
  grid->MouseActions()->SetDisjunctRowSelect(true);
  grid->SetRowSelect(9, true);
  grid->SetCells(2, 2, "merged");
  ASSERT_TRUE(grid->MergeCells(2, 2, 2, 1));  // above the insertion: stays
  ASSERT_TRUE(grid->MergeCells(3, 8, 1, 2));  // below it: moves with its rows
  grid->HideRow(10);  // real row 10 hidden
  auto* box = new TEdit(form);
  grid->ControlList()->AddControl(3, 11, box);  // real row 11
  std::vector<TRowImage> before = TableOf(grid);
  TRect changed;
  grid->OnCellsChanged = [&](TObject*, TRect r) { changed = r; };

  grid->InsertRows(4, 3);
  std::vector<TRowImage> expected = before;
  TRowImage empty;
  empty.Texts.assign(5, "");
  empty.Colors.assign(5, clNone);
  empty.Height = grid->DefaultRowHeight();
  expected.insert(expected.begin() + 4, 3, empty);
  EXPECT_EQ(TableOf(grid), expected);
  EXPECT_EQ(changed, TRect(0, 4, 4, 7));
  EXPECT_TRUE(grid->IsHiddenRow(13));
  EXPECT_FALSE(grid->IsHiddenRow(10));
  EXPECT_EQ(grid->ControlList()->GetControl(0)->Y, 14);
  EXPECT_EQ(grid->CellSpan(2, 2), TPoint(1, 0));
  EXPECT_EQ(grid->CellSpan(3, 11), TPoint(0, 1));
  EXPECT_EQ(grid->BaseCell(3, 12), TPoint(3, 11));

  grid->RemoveRows(4, 3);
  EXPECT_EQ(TableOf(grid), before);
  EXPECT_EQ(grid->BaseCell(3, 9), TPoint(3, 8));
  EXPECT_TRUE(grid->IsHiddenRow(10));
  EXPECT_EQ(grid->ControlList()->GetControl(0)->Y, 11);

  // Removal below the hidden row leaves it; removal above moves it up by the rows removed.
  grid->RemoveRows(1, 2);
  EXPECT_TRUE(grid->IsHiddenRow(8));
  EXPECT_EQ(grid->ControlList()->GetControl(0)->Y, 9);
  grid->UnHideRowsAll();
  EXPECT_EQ(grid->Cells(0, 8), "0:10");
  // The control of a removed row goes with it.
  grid->RemoveRows(9, 1);
  EXPECT_EQ(grid->ControlList()->Count(), 0);
}

TEST_F(GridPaintTest, RemovalAndInsertionClampTheirIndexes) {
  grid->SetCells(1, 9, "last");
  grid->RemoveRows(-1, 2);
  grid->RemoveRows(10, 1);
  grid->RemoveRows(3, 0);
  EXPECT_THROW(grid->InsertRows(-1, 2), EInvalidGridOperation);
  EXPECT_THROW(grid->InsertRows(11, 1), EInvalidGridOperation);
  grid->InsertRows(11, 0);  // nothing to insert: no index is read
  EXPECT_EQ(grid->RowCount(), 10);
  grid->RemoveRows(8, 100);  // cut to the rows that exist
  EXPECT_EQ(grid->RowCount(), 8);
  grid->RemoveRows(0, 100);
  EXPECT_EQ(grid->RowCount(), 1);
  std::vector<TRect> changed;
  grid->OnCellsChanged = [&](TObject*, TRect r) { changed.push_back(r); };
  grid->RemoveCols(1, 2);
  // The columns are emptied first (their cells), then removed (one past them).
  EXPECT_EQ(changed, (std::vector<TRect>{TRect(1, 0, 2, 0), TRect(1, 0, 3, 0)}));
  grid->RemoveCols(0, 100);
  EXPECT_EQ(grid->ColCount(), 1);
}

// The core removal moves the hidden-row records up with the rows, or leaves them at their indexes
// for a caller that books them itself; both keep every surviving row's height.
TEST_F(GridPaintTest, DeleteRowsCoreMovesTheHiddenRecordsOnlyWhenAsked) {
  struct Case {
    bool adjust;
    int hiddenAt;  // the record's row after removing rows 2 and 3
  } cases[] = {{true, 6}, {false, 8}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.adjust);
    grid->UnHideRowsAll();
    grid->SetRowCount(10);
    for (int r = 0; r < 10; ++r) {
      grid->SetCells(1, r, "r" + std::to_string(r));
      grid->SetRowHeights(r, 20 + r);
    }
    grid->HideRow(8);
    grid->DeleteRowsCore(2, 2, c.adjust);
    EXPECT_EQ(grid->NumHiddenRows(), 1);
    EXPECT_TRUE(grid->IsHiddenRow(c.hiddenAt));
    std::vector<std::string> texts;
    std::vector<int> heights;
    for (int r = 0; r < grid->RowCount(); ++r) {
      texts.push_back(grid->Cells(1, r));
      heights.push_back(grid->RowHeights(r));
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"r0", "r1", "r4", "r5", "r6", "r7", "r9"}));
    EXPECT_EQ(heights, (std::vector<int>{20, 21, 24, 25, 26, 27, 29}));
  }
}

TEST_F(GridPaintTest, RemoveSelectedRowsTakesExactlyTheFlaggedRowsAlsoWhenPersistent) {
  for (int r = 1; r < 10; ++r) grid->SetCells(1, r, "r" + std::to_string(r));
  grid->MouseActions()->SetDisjunctRowSelect(true);
  grid->MouseActions()->RowSelectPersistent = true;
  for (int r : {2, 3, 6, 9}) grid->SetRowSelect(r, true);
  grid->InsertRows(1, 1);  // the flags go with their rows
  grid->RemoveSelectedRows();
  std::vector<std::string> left;
  for (int r = 1; r < grid->RowCount(); ++r) left.push_back(grid->Cells(1, r));
  EXPECT_EQ(left, (std::vector<std::string>{"", "r1", "r4", "r5", "r7", "r8"}));
  EXPECT_EQ(grid->RowSelectCount(), 0);
}

TEST_F(GridPaintTest, AppendRowGoesBeforeTheFixedFooters) {
  grid->SetFixedFooters(1);
  grid->SetCells(1, 9, "total");
  grid->AppendRow();
  EXPECT_EQ(grid->RowCount(), 11);
  EXPECT_EQ(grid->Cells(1, 10), "total");
  EXPECT_EQ(grid->Cells(1, 9), "");
  grid->SetFixedFooters(0);
  grid->AppendRow();
  EXPECT_EQ(grid->Cells(1, 10), "total");
  EXPECT_EQ(grid->RowCount(), 12);
}

TEST_F(GridPaintTest, RemovingTheCurrentLastRowOrAllDataRowsMovesTheSelection) {
  grid->SetFixedFooters(1);
  grid->SetRow(8);
  grid->RemoveRows(8, 1);  // the last data row, current
  EXPECT_EQ(grid->RowCount(), 9);
  EXPECT_EQ(grid->Row(), 7);  // the new last data row above the footer
  grid->RemoveRows(1, 7);
  EXPECT_EQ(grid->RowCount(), 2);
  EXPECT_GE(grid->Row(), grid->RowCount());  // outside the grid, not on the fixed or footer row
}

// ---------------------------------------------------------------- calculations
TEST_F(GridPaintTest, ColumnCalculationsOverEmptyHiddenAndMixedRanges) {
  grid->SetCells(1, 1, "2");
  grid->SetCells(1, 2, "");
  grid->SetCells(1, 3, "4");
  grid->SetCells(1, 4, "6");
  EXPECT_DOUBLE_EQ(grid->ColumnAvg(1, 1, 4), 3.0);  // 12 / 4: every row of the range counts
  EXPECT_DOUBLE_EQ(grid->ColumnSum(1, 1, 4), 12.0);
  grid->SetCells(1, 1, "5");
  grid->SetCells(1, 3, "7");
  grid->SetCells(1, 4, "9");
  EXPECT_DOUBLE_EQ(grid->ColumnMin(1, 1, 4), 5.0);
  EXPECT_DOUBLE_EQ(grid->ColumnMax(1, 1, 4), 9.0);
  grid->SetCells(1, 5, "abc");
  EXPECT_DOUBLE_EQ(grid->ColumnMin(1, 1, 5), 5.0);  // text that is no number changes nothing
  EXPECT_DOUBLE_EQ(grid->ColumnAvg(1, 3, 2), 0.0);  // empty range
  EXPECT_DOUBLE_EQ(grid->ColumnMax(1, 6, 9), 0.0);  // no number at all
  // A range past the displayed rows counts hidden rows from their records.
  grid->SetCells(1, 8, "100");
  grid->HideRow(8);
  EXPECT_DOUBLE_EQ(grid->ColumnSum(1, 1, 8), 21.0);   // displayed rows 1..8: the hidden row is out
  EXPECT_DOUBLE_EQ(grid->ColumnSum(1, 1, 10), 121.0);  // all rows
  EXPECT_DOUBLE_EQ(grid->AllFloats(1, 8), 100.0);
  // Cells covered by a merged area count once.
  grid->UnHideRowsAll();
  grid->SetCells(2, 1, "10");
  grid->MergeCells(2, 1, 1, 3);
  EXPECT_DOUBLE_EQ(grid->ColumnSum(2, 1, 3), 10.0);
  // Below zero an empty cell read as 0 would be the maximum.
  grid->SetCells(3, 1, "-5");
  grid->SetCells(3, 3, "-7");
  EXPECT_DOUBLE_EQ(grid->ColumnMax(3, 1, 3), -5.0);
  EXPECT_DOUBLE_EQ(grid->ColumnMin(3, 1, 3), -7.0);
}

TEST_F(GridPaintTest, AutoSizeOfAMarkupColumnTakesTheDrawnWidthNotTheTags) {
  grid->SetCells(2, 1, "<B>Register</B> <FONT color=\"clred\">status</FONT>");
  grid->SetCells(2, 2, "short");
  grid->AutoSizeColumn(2);
  int w = grid->ColWidths(2);
  int measured = grid->GetCellTextSize(2, 1, false).cx;
  EXPECT_EQ(w, measured + (grid->GridLineWidth() + 1) * 2);
  EXPECT_LT(w, grid->Canvas()->TextWidth(grid->Cells(2, 1)));
  grid->SetColWidths(2, 400);
  grid->AutoSizeColumnEx(2, true);  // only grow: never narrower
  EXPECT_EQ(grid->ColWidths(2), 400);
  grid->AutoSizeOnlyGrow = true;  // the grid's setting reaches the plain calls and AutoSize
  grid->AutoSizeColumn(2);
  EXPECT_EQ(grid->ColWidths(2), 400);
  grid->SetRowHeights(1, 90);
  grid->AutoSizeRow(1);
  EXPECT_EQ(grid->RowHeights(1), 90);
  grid->AutoSizeOnlyGrow = false;
  grid->AutoSizeRow(1);
  EXPECT_LT(grid->RowHeights(1), 90);
  grid->MaxColWidth = 50;
  grid->AutoSizeColumn(2);
  EXPECT_EQ(grid->ColWidths(2), 50);
}

TEST_F(GridPaintTest, LineCountsFollowTheMultiLineSetting) {
  grid->SetCells(1, 1, "a\rb\rc");
  EXPECT_EQ(grid->MaxLineCountInRow(1), 1);
  grid->Multilinecells = true;
  EXPECT_EQ(grid->MaxLineCountInRow(1), 3);
}

// ---------------------------------------------------------------- typed access
TEST_F(GridPaintTest, IntsFloatsAndDatesRoundTripInBothLocales) {
  for (const TLocaleCase& lc : {EnglishCase(), GermanCase()}) {
    ExtUtil::TLocaleScope scope(lc.Locale);
    grid->SetInts(1, 1, -1234);
    EXPECT_EQ(grid->Ints(1, 1), -1234);
    grid->SetCells(1, 1, "$1F");
    EXPECT_EQ(grid->Ints(1, 1), 31);
    for (const char* zero : {"", "-"}) {
      grid->SetCells(1, 1, zero);
      EXPECT_EQ(grid->Ints(1, 1), 0);
      EXPECT_EQ(grid->Floats(1, 1), 0.0);
    }
    grid->SetCells(1, 1, "12a");
    EXPECT_THROW(grid->Ints(1, 1), EExtGridError);
    EXPECT_EQ(grid->Cells(1, 1), "12a");
    grid->SetFloats(1, 2, 1234.5);
    EXPECT_DOUBLE_EQ(grid->Floats(1, 2), 1234.5) << lc.Name;
    grid->SetCells(1, 2, lc.Parenthesised);
    EXPECT_DOUBLE_EQ(grid->Floats(1, 2), -1234.5);
    grid->SetCells(1, 2, "abc");
    try {
      grid->Floats(1, 2);
      ADD_FAILURE() << "no error";
    } catch (const EExtGridError& e) {
      EXPECT_STREQ(e.what(), "Cell does not contain a float value");
    }
    TDateTime d = EncodeDate(1999, 12, 31);
    grid->SetDates(1, 3, d);
    EXPECT_EQ(grid->Cells(1, 3), lc.EarlyDate);
    EXPECT_DOUBLE_EQ(grid->Dates(1, 3), d);
    grid->SetDates(1, 3, 0);
    EXPECT_EQ(grid->Cells(1, 3), "");
    grid->SetCells(1, 3, lc.February30);
    EXPECT_THROW(grid->Dates(1, 3), EExtGridError);
  }
}

TEST_F(GridPaintTest, SelectionFlagsCheckTheirIndexes) {
  EXPECT_THROW(grid->RowSelect(grid->RowCount()), EExtGridError);
  EXPECT_THROW(grid->SetRowSelect(-1, true), EExtGridError);
  EXPECT_THROW(grid->ColSelect(grid->ColCount()), EExtGridError);
  grid->HideRow(3);
  EXPECT_NO_THROW(grid->RowSelect(grid->RowCount()));  // a hidden row counts
  grid->MouseActions()->SetDisjunctRowSelect(true);
  grid->SetRowSelect(grid->RowCount(), true);  // and keeps its flag
  EXPECT_TRUE(grid->RowSelect(grid->RowCount()));
  EXPECT_EQ(grid->RowSelectCount(), 1);
  grid->ClearRowSelect();
  EXPECT_FALSE(grid->RowSelect(grid->RowCount()));
  grid->SetColSelect(2, true);
  EXPECT_TRUE(grid->ColSelect(2));
  EXPECT_FALSE(grid->ColSelect(3));
  grid->ClearColSelect();
  EXPECT_FALSE(grid->ColSelect(2));
}

// A fixed size equal to the default one is the default's: the fixed column width is then left
// alone, the fixed row height resets every row; a layout that loads sets neither.
TEST_F(GridPaintTest, FixedSizeWritesGiveWayToTheDefaults) {
  const int dw = grid->DefaultColWidth(), dh = grid->DefaultRowHeight();
  const struct {
    const char* name;
    std::function<void()> write;
    std::vector<int> widths;   // columns 0, 1, 2
    std::vector<int> heights;  // rows 0, 1, 3
  } cases[] = {
      {"FixedColWidth", [&] { grid->SetFixedColWidth(40); }, {40, 40, 70}, {30, 30, 50}},
      {"FixedColWidth the default", [&] { grid->SetFixedColWidth(dw); }, {20, 30, 70}, {30, 30, 50}},
      {"FixedColWidth while loading",
       [&] { grid->BeginLoading(), grid->SetFixedColWidth(40), grid->EndLoading(); },
       {20, 30, 70},
       {30, 30, 50}},
      {"FixedRowHeight", [&] { grid->SetFixedRowHeight(25); }, {20, 30, 70}, {25, 25, 50}},
      {"FixedRowHeight the default", [&] { grid->SetFixedRowHeight(dh); }, {20, 30, 70}, {dh, dh, dh}},
      {"FixedRowHeight while loading",
       [&] { grid->BeginLoading(), grid->SetFixedRowHeight(25), grid->EndLoading(); },
       {20, 30, 70},
       {30, 30, 50}},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    grid->SetFixedCols(2);
    grid->SetFixedRows(2);
    grid->SetColWidths(0, 20);
    grid->SetColWidths(1, 30);
    grid->SetColWidths(2, 70);
    grid->SetRowHeights(0, 30);
    grid->SetRowHeights(1, 30);
    grid->SetRowHeights(3, 50);
    k.write();
    EXPECT_EQ((std::vector<int>{grid->ColWidths(0), grid->ColWidths(1), grid->ColWidths(2)}), k.widths);
    EXPECT_EQ((std::vector<int>{grid->RowHeights(0), grid->RowHeights(1), grid->RowHeights(3)}), k.heights);
  }
}

// The fixed font and the lookup items are the grid's own objects: a write copies into them.
TEST_F(GridPaintTest, FixedFontAndLookupItemsWritesCopyTheContents) {
  TFont* own = grid->FixedFont();
  TFont f;
  f.SetName("Courier");
  f.SetSize(17);
  Flush();
  const int before = grid->PaintCounter();
  grid->SetFixedFont(&f);
  Flush();
  EXPECT_EQ(grid->FixedFont(), own);
  EXPECT_EQ(own->Name(), "Courier");
  EXPECT_EQ(own->Size(), 17);
  EXPECT_GT(grid->PaintCounter(), before);

  TStringList* items = grid->LookupItems();
  TStringList l;
  l.Add("alpha");
  l.Add("beta");
  grid->SetLookupItems(&l);
  EXPECT_EQ(grid->LookupItems(), items);
  EXPECT_EQ(items->Text(), l.Text());
  grid->SetLookupItems(nullptr);
  EXPECT_EQ(items->Count(), 2) << "nil is ignored";
}

// ---------------------------------------------------------------- save and load hooks
TEST_F(GridPaintTest, SaveAndLoadHooks) {
  grid->SetCells(1, 1, "<B>x</B>");
  std::string v;
  grid->SaveCellText(1, 1, v);
  EXPECT_EQ(v, "<B>x</B>");
  grid->SaveKeepTags = false;
  grid->SaveCellText(1, 1, v);
  EXPECT_EQ(v, "x");
  auto* g = new TCellGraphic;
  g->CellType = ctCheckBox;
  g->CellBoolean = true;
  grid->GetCellProperties(2, 2)->Graphic.reset(g);
  grid->SaveCellText(2, 2, v);
  EXPECT_EQ(v, "Y");
  g->CellBoolean = false;
  grid->SaveCellText(2, 2, v);
  EXPECT_EQ(v, "N");
  grid->OnSaveCell = [](TObject*, int, int, std::string& s) { s += "!"; };
  grid->SaveCellText(2, 2, v);
  EXPECT_EQ(v, "N!");
  grid->OnLoadCell = [](TObject*, int c, int, std::string& s) { s = std::to_string(c) + s; };
  int changes = 0;
  grid->OnCellsChanged = [&](TObject*, TRect) { ++changes; };
  grid->LoadCellText(3, 3, "loaded");
  EXPECT_EQ(grid->Cells(3, 3), "3loaded");
  EXPECT_EQ(changes, 0);  // stored directly: no events
  // Deleting the only data row keeps it, emptied, and still reports.
  grid->SetRowCount(2);
  grid->SetCells(1, 1, "only");
  int deleted = -1;
  grid->OnAutoDeleteRow = [&](TObject*, int r) { deleted = r; };
  grid->DoAutoDeleteRow(1);
  EXPECT_EQ(grid->RowCount(), 2);
  EXPECT_EQ(grid->Cells(1, 1), "");
  EXPECT_EQ(deleted, 1);
  int inserted = -1;
  grid->OnAutoInsertRow = [&](TObject*, int r) { inserted = r; };
  grid->DoAutoInsertRow(1);
  EXPECT_EQ(grid->RowCount(), 3);
  EXPECT_EQ(inserted, 1);
}

}  // namespace

namespace {

// ---------------------------------------------------------------- counts, headers, filter
TEST_F(GridPaintTest, FixedCountsWithTheAlwaysSwitches) {
  grid->FixedRowAlways = true;
  grid->SetFixedRows(0);
  EXPECT_EQ(grid->FixedRows(), 1);  // the switch keeps one fixed row in what is read
  grid->SetFixedRows(2);
  grid->SetRowCount(1);  // the library lowers the fixed rows with the count
  grid->SetRowCount(10);
  EXPECT_EQ(grid->FixedRows(), 2);  // the remembered count comes back
  grid->FixedColAlways = true;
  grid->SetFixedCols(1);
  grid->SetColCount(1);
  grid->SetColCount(6);
  EXPECT_EQ(grid->FixedCols(), 1);
}

// Rows coming back to a grid emptied down to its fixed row bring back the selection it had.
TEST_F(GridPaintTest, RowsComingBackRestoreTheSelectionTheEmptiedGridHad) {
  const TPoint cases[] = {TPoint(2, 3), TPoint(4, 1), TPoint(1, 9)};
  grid->FixedRowAlways = true;
  for (const TPoint& k : cases) {
    grid->SetRowCount(10);
    grid->FocusCell(k.X, k.Y, true);
    grid->RemoveRows(1, grid->RowCount() - 1);
    ASSERT_EQ(grid->RowCount(), 1);
    grid->SetRowCount(10);
    EXPECT_EQ(TPoint(grid->Col(), grid->Row()), k);
    EXPECT_EQ(grid->Selection(), (TGridRect{k.X, k.Y, k.X, k.Y}));
  }
}

TEST_F(GridPaintTest, HeadersGoToTheFixedRowAndColumnWithLineBreaks) {
  grid->SetCells(4, 0, "old");
  TStringList heads;
  heads.Add("Addr");
  heads.Add("Two\\nlines");
  grid->SetColumnHeaders(&heads);
  EXPECT_EQ(grid->Cells(0, 0), "Addr");
  EXPECT_EQ(grid->Cells(1, 0), "Two\rlines");
  EXPECT_EQ(grid->Cells(4, 0), "");  // row 0 emptied first
  grid->ColumnHeaders()->Add("third");  // a change of the list applies it again
  EXPECT_EQ(grid->Cells(2, 0), "third");
  for (int i = 0; i < 12; ++i) grid->RowHeaders()->Add("r" + std::to_string(i));
  EXPECT_EQ(grid->Cells(0, 9), "r9");  // only the rows that exist
  TStringList rows;
  rows.Add("first");
  grid->SetRowHeaders(&rows);
  EXPECT_EQ(grid->Cells(0, 0), "first");
  EXPECT_EQ(grid->Cells(0, 9), "r9") << "at run time column 0 keeps what the new list does not cover";
  EXPECT_EQ(grid->GetVersionString(), "1.0.0.0 Dec 2026") << "the numbers, a blank, month and year";
  // Version: the packed number's bytes, high to low.
  struct TVersioned : TExtStringGrid {
    using TExtStringGrid::TExtStringGrid;
    int GetVersionNr() override { return 0x0A140304; }
  } versioned(form);
  EXPECT_EQ(versioned.Version(), "10.20.3.4");
}

// Look settings repaint the grid when written (VAlignment outside an update; the selection's
// settings only when they change).
TEST_F(GridPaintTest, LookSettingsRepaintWhenWritten) {
  const struct {
    const char* name;
    std::function<void()> write;
    bool repaints;
  } cases[] = {
      {"VAlignment", [&] { grid->SetVAlignment(vtaCenter); }, true},
      {"SelectionColor", [&] { grid->SetSelectionColor(clRed); }, true},
      {"SelectionColor unchanged", [&] { grid->SetSelectionColor(grid->SelectionColor()); }, false},
      {"SelectionColorTo", [&] { grid->SetSelectionColorTo(clBlue); }, true},
      {"SelectionTextColor", [&] { grid->SetSelectionTextColor(clWhite); }, true},
      {"ShowSelection", [&] { grid->SetShowSelection(false); }, true},
      {"ShowSelection unchanged", [&] { grid->SetShowSelection(grid->ShowSelection()); }, false},
      {"SelectionRectangle", [&] { grid->SetSelectionRectangle(true); }, true},
      {"SelectionResizer", [&] { grid->SetSelectionResizer(true); }, true},
      {"URLColor, addresses not shown", [&] { grid->SetURLColor(clRed); }, false},
      {"URLShow", [&] { grid->SetURLShow(true); }, true},
      {"URLColor", [&] { grid->SetURLColor(clGreen); }, true},
      {"URLFull", [&] { grid->SetURLFull(true); }, true},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    Flush();
    const int before = grid->PaintCounter();
    k.write();
    Flush();
    EXPECT_EQ(grid->PaintCounter() > before, k.repaints);
  }
}

TEST_F(GridPaintTest, FilterHidesFailingRowsAndGivesThemBack) {
  for (int r = 1; r < 10; ++r) grid->SetCells(1, r, std::to_string(r));
  grid->SetCells(2, 4, "x");
  std::vector<std::string> before;
  for (int r = 0; r < 10; ++r) before.push_back(grid->Cells(1, r));
  TFilterData* f = grid->Filter()->Add();
  f->Column = 1;
  f->Condition = ">5";
  std::vector<int> progress;
  grid->OnFilterProgress = [&](TObject*, int16_t p) { progress.push_back(p); };
  grid->SetFilterActive(true);
  EXPECT_EQ(grid->RowCount(), 5);
  std::vector<std::string> shown;
  for (int r = 1; r < grid->RowCount(); ++r) shown.push_back(grid->Cells(1, r));
  EXPECT_EQ(shown, (std::vector<std::string>{"6", "7", "8", "9"}));
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.back(), 100);
  grid->SetFilterActive(false);
  std::vector<std::string> after;
  for (int r = 0; r < grid->RowCount(); ++r) after.push_back(grid->Cells(1, r));
  EXPECT_EQ(after, before);
  EXPECT_EQ(grid->Cells(2, 4), "x");
  // Conditions combine in order: a row passes ">5" or holds "x" in column 2.
  TFilterData* g = grid->Filter()->Add();
  g->Column = 2;
  g->Condition = "x";
  g->Operation = foOR;
  f->Operation = foNONE;
  grid->SetFilterActive(true);
  EXPECT_EQ(grid->RowCount(), 6);
  EXPECT_EQ(grid->Cells(1, 1), "4");
}

}  // namespace

namespace {

// A merged area far down a large grid is placed from the view, above or below it.
TEST_F(GridPaintTest, MergedAreaRectanglesFarDownALargeGrid) {
  grid->SetRowCount(70000);
  grid->SetRowHeights(60001, 30);
  ASSERT_TRUE(grid->MergeCells(1, 60000, 2, 3));
  grid->SetTopRow(59990);
  TRect a = grid->CellRect(1, 60000), b = grid->CellRect(2, 60002);
  ASSERT_GT(a.Bottom, a.Top);
  EXPECT_EQ(grid->CellRectEx(2, 60001), TRect(a.Left, a.Top, b.Right, b.Bottom));
  grid->SetTopRow(60002);  // the base row is above the view now
  TRect c = grid->CellRect(1, 60002);
  TRect m = grid->CellRectEx(1, 60002);
  EXPECT_EQ(m.Top, c.Top - 30 - grid->RowHeights(60000));
  EXPECT_EQ(m.Bottom, c.Bottom);
}

}  // namespace

namespace {

// Vertical alignment holds with and without word wrap (the system centres only single lines).
TEST_F(GridPaintTest, VerticalAlignmentPlacesTextInEveryWrapMode) {
  grid->SetRowHeights(2, 80);
  grid->SetColWidths(1, 200);
  grid->SetCells(1, 2, "low");
  TRect cell = grid->CellRect(1, 2);
  auto textTop = [&]() {
    TRecordingCanvas rec;
    TCanvasBackend* saved = grid->Canvas()->Backend();
    grid->Canvas()->SetBackend(rec.Backend());
    grid->DrawOneCell(1, 2, 0);
    grid->Canvas()->SetBackend(saved);
    std::vector<TCanvasOp> t = rec.OpsOf(okText);
    return t.empty() ? -1 : t[0].R.Top - cell.Top;
  };
  for (bool wrap : {true, false}) {
    grid->SetWordWrap(wrap);
    grid->SetVAlignment(vtaTop);
    int top = textTop();
    EXPECT_LT(top, 10) << wrap;
    grid->SetVAlignment(vtaBottom);
    EXPECT_GT(textTop(), 50) << wrap;
    grid->SetVAlignment(vtaCenter);
    int mid = textTop();
    EXPECT_GT(mid, 20) << wrap;
    EXPECT_LT(mid, 45) << wrap;
  }
}

}  // namespace

namespace {

TEST_F(GridPaintTest, MaxEditLengthReachesAnOpenEditorAtOnce) {
  grid->SetOptions(grid->Options() | goEditing);
  grid->SetCol(1);
  grid->SetRow(1);
  grid->SetFocus();
  grid->ShowEditor();
  Flush();
  auto* e = dynamic_cast<TExtInplaceEdit*>(grid->InplaceEditor());
  ASSERT_TRUE(e && e->Visible());
  EXPECT_EQ(e->LengthLimit, 0);
  grid->SetMaxEditLength(2);
  EXPECT_EQ(e->LengthLimit, 2);
  EXPECT_EQ(grid->MaxEditLength, 2);
  grid->SetMaxEditLength(0);
  EXPECT_EQ(e->LengthLimit, 0);
}

// A descendant that shows a filter button in row 0 of a column gets the funnel at the cell's right,
// and the header text keeps clear of it; the grid itself shows none.
TEST_F(GridPaintTest, AFilterButtonShowsWhereADescendantAsksForIt) {
  struct TFilterGrid : TProbeGrid {
    using TProbeGrid::TProbeGrid;
    bool ShowsFilterButton(int ACol) override { return ACol == 2; }
  };
  auto* filtered = new TFilterGrid(form);
  filtered->SetParent(form);
  filtered->SetBounds(10, 10, 480, 200);
  filtered->Loaded();
  filtered->OnGetAlignment = [](TObject*, int, int, TAlignment& h, TVAlignment&) { h = taRightJustify; };
  grid->OnGetAlignment = filtered->OnGetAlignment;
  const struct {
    TProbeGrid* g;
    int col, row;
    bool button, picture;
  } cases[] = {{filtered, 2, 0, true, false}, {filtered, 1, 0, false, false}, {filtered, 2, 1, false, false},
               {grid, 2, 0, false, false},    {filtered, 2, 0, true, true}};
  TBitmap pattern(8, 8);
  pattern.Canvas()->Brush()->SetColor(clYellow);
  pattern.Canvas()->FillRect(TRect(0, 0, 8, 8));
  for (const auto& k : cases) {
    SCOPED_TRACE(testing::Message() << (k.g == grid ? "grid" : "descendant") << " " << k.col << "," << k.row
                                    << (k.picture ? " on a picture" : ""));
    if (k.picture) {
      k.g->BackGround()->SetBitmap(&pattern);
      k.g->BackGround()->SetDisplay(bdTile);
      k.g->BackGround()->SetCells(bcFixed);
    }
    k.g->SetCells(k.col, k.row, "Head");
    const TRect cell = k.g->CellRect(k.col, k.row);
    TRecordingCanvas rec(600, 600);
    TCanvasBackend* saved = k.g->Canvas()->Backend();
    k.g->Canvas()->SetBackend(rec.Backend());
    k.g->DrawOneCell(k.col, k.row, 0);
    k.g->Canvas()->SetBackend(saved);
    int funnels = 0;
    size_t lastFunnel = 0, lastPicture = 0;
    for (size_t i = 0; i < rec.Ops().size(); ++i) {
      const TCanvasOp& op = rec.Ops()[i];
      if (op.Kind == okImage) lastPicture = i;
      if (op.Kind != okPolygon) continue;
      for (const TPoint& p : op.Points) funnels += p.X >= cell.Right - 17 && p.X < cell.Right;
      if (funnels > 0) lastFunnel = i;
    }
    EXPECT_EQ(funnels > 0, k.button);
    if (k.picture) {
      ASSERT_GT(lastPicture, 0u) << "the picture is drawn in the cell";
      EXPECT_GT(lastFunnel, lastPicture) << "the funnel lies on the picture";
    }
    std::vector<TCanvasOp> texts = rec.OpsOf(okText);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].R.Right <= cell.Right - 16, k.button) << "right-aligned text ends left of the button";
  }
}

// Plain text measures every line it holds; wide text keeps to one line, ended with an ellipsis
// when it does not fit, unless the cell wraps or the grid breaks lines.
TEST_F(GridPaintTest, PlainAndWideTextDrawAndMeasureByTheirOwnRules) {
  const std::string lines = "ab\r\ncdefgh", longText = "a header far too long for its cell";
  const std::string wideLines = ExtUtil::EncodeWideText(u"ab\r\ncdefgh"),
                    wideLong = ExtUtil::EncodeWideText(u"a header far too long for its cell");
  const struct {
    const char* name;
    std::string text;
    bool wrap, multi;
    int lines;
    bool ellipsis;
  } cases[] = {
      {"plain, too long", longText, false, false, 1, false},
      {"wide, too long", wideLong, false, false, 1, true},
      {"plain, two lines", lines, false, false, 2, false},
      {"plain, two lines, multi-line grid", lines, false, true, 2, false},
      {"wide, two lines", wideLines, false, false, 1, false},
      {"wide, two lines, multi-line grid", wideLines, false, true, 2, false},
      {"wide, two lines, word wrap", wideLines, true, false, 2, false},
  };
  auto setUp = [&](const auto& k) {
    grid->OnGetWordWrap = [&k](TObject*, int, int, bool& w) { w = k.wrap; };
    grid->Multilinecells = k.multi;
    grid->SetCells(2, 2, k.text);
  };
  // All drawn before anything is measured: measuring gives the canvas a backend of its own.
  for (const auto& k : cases) {
    if (k.text != longText && k.text != wideLong) continue;
    SCOPED_TRACE(k.name);
    setUp(k);
    const std::vector<std::string> drawn = DrawnTexts(grid, 2, 2);
    ASSERT_EQ(drawn.size(), 1u);
    // Without an ellipsis the text's start goes to the canvas (of a long line, as far as can show).
    EXPECT_EQ(drawn[0].find("...") != std::string::npos, k.ellipsis) << drawn[0];
    if (!k.ellipsis) {
      EXPECT_EQ(longText.rfind(drawn[0], 0), 0u) << drawn[0];
    }
  }
  TCanvas* cv = grid->Canvas();
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    setUp(k);
    const TSize sz = grid->GetCellTextSize(2, 2, false);
    cv->Font()->Assign(grid->Font());
    EXPECT_EQ(sz.cy, k.lines * cv->TextHeight("hg") + 4);
    if (k.text == lines) {
      EXPECT_EQ(sz.cx, cv->TextWidth("cdefgh") + 4) << "as wide as the widest line";
    }
  }
  grid->Multilinecells = false;
}

// Rich text draws run by run in its own formats.
TEST_F(GridPaintTest, RichTextDrawsItsRunsFormatted) {
  grid->SetCells(2, 2, "{\\rtf1\\ansi {\\b Bus} ready}");
  EXPECT_EQ(DrawnTexts(grid, 2, 2), (std::vector<std::string>{"Bus", " ready"}));
}

}  // namespace
