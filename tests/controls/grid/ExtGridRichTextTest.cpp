// Rich-text cells: edited in the grid's rich edit with their formats, drawn formatted from a
// bounded store of parsed texts, measured formatted, and moved in and out of rich edits.
#include <gtest/gtest.h>

#include <QImage>

#include <string>
#include <vector>

#include "controls/grid/ExtGridEditors.h"
#include "platform/gui/FormImage.h"
#include "platform/gui/RichText.h"
#include "tests/controls/grid/GridInputFixture.h"

namespace {

const std::string kBoldRed = "{\\rtf1\\ansi{\\colortbl;\\red255\\green0\\blue0;}\\cf1\\b bold\\b0  plain}";

class RichTextTest : public GridInputTest {
 protected:
  void SetUp() override {
    GridInputTest::SetUp();
    grid->OnGetEditorType = [](TObject*, int c, int, TEditorType& e) {
      if (c == 2) e = edRichEdit;
    };
    grid->OnCellValidate = [this](TObject*, int, int, std::string&, bool&) { ++validations; };
    grid->OnRichEditSelectionChange = [this](TObject* s) {
      EXPECT_EQ(s, grid);
      ++selectionChanges;
    };
    grid->SetCells(2, 2, kBoldRed);
    Load();
  }
  TExtRichEdit* Open(int row) {
    grid->FocusCell(2, row, true);
    Key(Qt::Key_F2);
    return dynamic_cast<TExtRichEdit*>(grid->ActiveCellEditor());
  }
  // The style of the character at a position of the open editor.
  static TFontStyles StyleAt(TExtRichEdit* e, int pos) {
    e->SetSelection(pos, 1);
    return e->SelStyle();
  }
  int validations = 0, selectionChanges = 0;
};

TEST_F(RichTextTest, TheRichEditOpensWithTheFormatsTogglesStylesAndStoresOnlyAChange) {
  TExtRichEdit* e = Open(2);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e, grid->RichEditor());
  EXPECT_NE(e, grid->RichFormatter()) << "one rich edit formats, another edits";
  EXPECT_EQ(e->Text(), "bold plain");
  EXPECT_TRUE(StyleAt(e, 1) & fsBold);
  EXPECT_FALSE(StyleAt(e, 6) & fsBold);
  EXPECT_GT(selectionChanges, 0);
  // Ctrl+B over "plain", then Ctrl+I and Ctrl+U twice: only bold stays.
  e->SetSelection(5, 5);
  SendKeyEvent(e, Qt::Key_B, Qt::ControlModifier);
  SendKeyEvent(e, Qt::Key_I, Qt::ControlModifier);
  SendKeyEvent(e, Qt::Key_I, Qt::ControlModifier);
  EXPECT_EQ(StyleAt(e, 7) & (fsBold | fsItalic), fsBold);
  SendKeyEvent(e, Qt::Key_Tab);
  EXPECT_EQ(grid->ActiveCellEditor(), nullptr);
  EXPECT_EQ(validations, 1);
  EXPECT_NE(grid->Cells(2, 2), kBoldRed);
  EXPECT_EQ(RtfToPlainText(grid->Cells(2, 2)), "bold plain");
  e = Open(2);
  ASSERT_NE(e, nullptr);
  EXPECT_TRUE(StyleAt(e, 7) & fsBold) << "the stored RTF keeps the new bold";
  // Left as it opened (Tab and focus loss alike): nothing is stored, nothing validated.
  const std::string stored = grid->Cells(2, 2);
  SendKeyEvent(e, Qt::Key_Tab);
  EXPECT_EQ(grid->Cells(2, 2), stored);
  EXPECT_EQ(validations, 1);
  // Typed, then Escape: the old rich text comes back; typed, then focus lost: it is stored.
  e = Open(2);
  SendKeyEvent(e, Qt::Key_X, Qt::NoModifier, "x");
  SendKeyEvent(e, Qt::Key_Escape);
  EXPECT_EQ(grid->Cells(2, 2), stored);
  // Typed, then the focus to another control: the edit stays open; to the grid: it is stored.
  e = Open(2);
  SendKeyEvent(e, Qt::Key_X, Qt::NoModifier, "x");
  other->SetFocus();
  Flush();
  EXPECT_EQ(grid->ActiveCellEditor(), e) << "another control takes the focus meanwhile";
  e->SetFocus();
  Flush();
  grid->SetFocus();
  Flush();
  EXPECT_EQ(grid->ActiveCellEditor(), nullptr) << "the grid taking the focus finishes the edit";
  EXPECT_EQ(RtfToPlainText(grid->Cells(2, 2)), "bold plainx");
}

TEST_F(RichTextTest, TheOpeningCharacterIsTypedIntoTheFormattedText) {
  grid->FocusCell(2, 2, true);
  SendKeyEvent(grid, Qt::Key_Z, Qt::NoModifier, "z");
  auto* e = dynamic_cast<TExtRichEdit*>(grid->ActiveCellEditor());
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->Text(), "bold plainz");
  EXPECT_TRUE(StyleAt(e, 1) & fsBold);
}

TEST_F(RichTextTest, TheRowGrowsWhileTypingUnlessLockedAndUpDownLeaveForTheGrid) {
  grid->SizeWhileTyping()->Height = true;
  grid->SetColWidths(2, 60);
  std::vector<int> sized;
  grid->OnEndRowSize = [&](TObject*, int r) { sized.push_back(r); };
  const int before = grid->RowHeights(2);
  TExtRichEdit* e = Open(2);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(grid->RowHeights(2), before) << "opening is no typing";
  e->SetResizeLocked(true);
  e->SetSelText(" and more words that wrap");
  EXPECT_EQ(grid->RowHeights(2), before) << "locked";
  e->SetResizeLocked(false);
  e->SetSelText(" and still more words");
  const int h = e->ReqHeight();
  EXPECT_GT(h, before);
  EXPECT_EQ(grid->RowHeights(2), h + 5);
  EXPECT_EQ(e->Height(), h + 4);
  ASSERT_FALSE(sized.empty());
  EXPECT_EQ(sized.back(), 2);
  // Up leaves for the grid without word wrap; with multi-line cells it stays in the text.
  grid->SetWordWrap(false);
  SendKeyEvent(e, Qt::Key_Return);
  EXPECT_EQ(grid->ActiveCellEditor(), e) << "Return starts a paragraph";
  SendKeyEvent(e, Qt::Key_Up);
  EXPECT_EQ(grid->ActiveCellEditor(), nullptr);
  EXPECT_EQ(Current(), TPoint(2, 1));
  grid->Multilinecells = true;
  e = Open(2);
  SendKeyEvent(e, Qt::Key_Down);
  EXPECT_EQ(grid->ActiveCellEditor(), e);
  SendKeyEvent(e, Qt::Key_Escape);
}

TEST_F(RichTextTest, RichCellsDrawFormattedInTheSelectionColourUnlessKeptAndMeasureFormatted) {
  grid->SetCells(1, 1, "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\cf1\\fs40 WWW}");
  grid->SetCells(3, 1, "WWW");
  grid->SetSelectionTextColor(clBlue);
  grid->FocusCell(4, 4, true);
  auto reds = [this] {
    Flush();
    const QImage img = RenderControlImage(grid);
    const TRect r = grid->CellRect(1, 1);
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) n += (img.pixel(x + 2, y + 2) & 0xFFFFFF) == 0xFF0000;
    return n;
  };
  EXPECT_GT(reds(), 20) << "drawn in its own colour";
  grid->SetSelection({1, 1, 3, 1});  // the current cell is (3, 1)
  grid->Invalidate();
  EXPECT_EQ(reds(), 0) << "a selected cell draws in SelectionTextColor";
  grid->SelectionRTFKeep = true;
  grid->Invalidate();
  EXPECT_GT(reds(), 20) << "SelectionRTFKeep keeps its colours";
  grid->SelectionRTFKeep = false;
  grid->SetShowSelection(false);
  grid->Invalidate();
  EXPECT_EQ(reds(), 0) << "selected without ShowSelection: still SelectionTextColor";
  grid->SetShowSelection(true);
  grid->SelectionRTFKeep = true;
  const TSize rich = grid->GetCellTextSize(1, 1, false), plain = grid->GetCellTextSize(3, 1, false);
  EXPECT_GT(rich.cx, plain.cx + 10) << "20 points measure wider than the grid's font";
  EXPECT_GT(rich.cy, plain.cy);
  EXPECT_EQ(rich.cx, grid->RichFormatter()->ReqWidth() + 4);
  grid->SetCells(1, 2, "{\\rtf1 many words wrapping in a narrow cell}");
  EXPECT_GT(grid->GetCellTextSize(1, 2, true).cy, 2 * grid->GetCellTextSize(1, 2, false).cy - 4)
      << "measured wrapped at the column's width";
  grid->AutoSizeColumn(1);
  EXPECT_GE(grid->ColWidths(1), rich.cx);
}

// A canvas of another resolution (a printer's) draws rich text at its own pixels per inch: twice
// the resolution, twice the ink.
TEST_F(RichTextTest, RichCellsFollowTheCanvassResolution) {
  grid->SetCells(1, 1, "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\cf1\\fs24 WWW}");
  auto inkWidth = [&](int ppi) {
    const int scale = ppi / 96;
    TBitmap b(300 * scale, 60 * scale);
    TCanvas* cv = b.Canvas();
    cv->Brush()->SetColor(clWhite);
    cv->FillRect(TRect(0, 0, 300 * scale, 60 * scale));
    cv->Font()->Assign(grid->Font());
    cv->Font()->SetPixelsPerInch(ppi);
    grid->DrawRichTextCell(1, 1, TRect(0, 0, 300 * scale, 60 * scale), cv);
    const QImage img = b.ToImage();
    int left = img.width(), right = -1;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        if (const QRgb p = img.pixel(x, y); qRed(p) > 200 && qGreen(p) < 80 && qBlue(p) < 80)
          left = std::min(left, x), right = std::max(right, x);
    return right - left + 1;
  };
  const int screen = inkWidth(96), printer = inkWidth(192);
  ASSERT_GT(screen, 10);
  EXPECT_NEAR(printer, 2 * screen, screen / 5);
}

TEST_F(RichTextTest, PlainCellsLeaveTheirVerticalAlignmentFlag) {
  const struct {
    TVAlignment VAlign;
    unsigned Flag;
  } rows[] = {{vtaBottom, DT_BOTTOM}, {vtaCenter, DT_VCENTER}, {vtaTop, DT_TOP}};
  grid->SetCells(2, 2, "plain");
  for (const auto& k : rows) {
    grid->SetVAlignment(k.VAlign);
    grid->Invalidate();
    Flush();
    RenderControlImage(grid);
    EXPECT_EQ(grid->LastVAlignFlag(), k.Flag);
  }
}

TEST_F(RichTextTest, ParsedTextsAreKeptForDrawingUpToABound) {
  grid->SetRowCount(40);
  grid->SetDefaultRowHeight(7);
  for (int r = 0; r < 40; ++r)
    for (int c = 0; c < 5; ++c) grid->SetCells(c, r, "{\\rtf1 r" + std::to_string(r) + "c" + std::to_string(c) + "}");
  for (int round = 0; round < 2; ++round) {
    Flush();
    RenderControlImage(grid);
  }
  EXPECT_EQ(grid->RichTextCacheSize(), 201u) << "each text once (and the one painted before)";
  for (int r = 0; r < 40; ++r)
    for (int c = 0; c < 5; ++c) grid->SetCells(c, r, "{\\rtf1 n" + std::to_string(r) + "c" + std::to_string(c) + "}");
  Flush();
  RenderControlImage(grid);
  EXPECT_EQ(grid->RichTextCacheSize(), 256u) << "the least recently drawn go";
}

TEST_F(RichTextTest, CellsLoadIntoAndSaveFromRichEdits) {
  TRichEdit edit(form);
  grid->LoadRichEdit(2, 2, &edit);
  EXPECT_EQ(edit.Text(), "bold plain");
  std::string saved;
  grid->SaveRichEdit(&edit, saved);
  EXPECT_EQ(RtfToPlainText(saved), "bold plain");
  grid->SetCells(3, 3, "");
  grid->LoadRichEdit(3, 3, &edit);
  EXPECT_EQ(edit.Text(), "") << "an empty cell clears the rich edit";
  // The text stream carries the RTF as it is, line breaks in it too.
  grid->SetCells(3, 3, saved);
  TMemoryStream stream;
  grid->SaveGridToStream(&stream);
  grid->SetCells(2, 2, "");
  grid->SetCells(3, 3, "");
  stream.SetPosition(0);
  grid->LoadGridFromStream(&stream);
  EXPECT_EQ(grid->Cells(2, 2), kBoldRed);
  EXPECT_EQ(grid->Cells(3, 3), saved);
}

// A text the rich edit would take unbounded time over is refused with the message, from F2 and
// from LoadRichEdit alike, and the cell keeps it; it still paints and measures.
TEST_F(RichTextTest, ATextTheRichEditCannotTakeIsRefusedAndTheCellKept) {
  std::string many;
  while (many.size() <= 262144) many += "word ";
  const std::string rows[] = {
      "{\\rtf1 {" + std::string(1 << 20, 'w'),  // one word of 1 MB, its group never closed
      "{\\rtf1 " + many + "}",                  // too many characters
      std::string(5000, 'p'),                    // plain text, a word too long
  };
  std::vector<std::string> told;
  Application->OnException = [&](TObject*, Exception& E) { told.push_back(E.Message()); };
  for (const std::string& text : rows) {
    SCOPED_TRACE(text.substr(0, 12));
    told.clear();
    grid->SetCells(2, 3, text);
    EXPECT_EQ(Open(3), nullptr) << "no rich edit opens";
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_EQ(told, std::vector<std::string>{kRichTextTooLong});
    TRichEdit edit(form);
    edit.SetRtfText(kBoldRed);
    EXPECT_THROW(grid->LoadRichEdit(2, 3, &edit), EExtGridError);
    EXPECT_EQ(edit.Text(), "bold plain") << "the edit keeps what it held";
    EXPECT_EQ(grid->Cells(2, 3), text);
    grid->SetColWidths(2, 80);
    grid->AutoSizeRow(3);
    EXPECT_GT(grid->RowHeights(3), 0);
    EXPECT_FALSE(RenderControlImage(grid).isNull()) << "it paints";
  }
  Application->OnException = nullptr;
  // A text within the bounds opens.
  grid->SetCells(2, 3, "{\\rtf1 " + std::string(4000, 'w') + "}");
  EXPECT_NE(Open(3), nullptr);
}

}  // namespace
