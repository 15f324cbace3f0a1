// Pictures of a hex byte grid worked with keys and the mouse: before typing,
// the editor open with a typed byte, after Tab, a selected range, a column
// being sized. Each picture is checked at a few points and kept for looking.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QWidget>
#include <cstdlib>
#include <string>

#include "app/bus/ByteText.h"
#include "platform/gui/FormImage.h"
#include "tests/controls/grid/GridInputFixture.h"

namespace {

class InputShots : public GridInputTest {
 public:
  void SetUpHexGrid() {
    grid->SetColCount(9);
    grid->SetRowCount(17);
    grid->SetDefaultColWidth(32);
    grid->SetColWidths(0, 48);
    grid->SetOptions(grid->Options() | goColSizing | goRangeSelect);
    grid->OnGetEditMask = [](TObject*, int, int, std::string& m) { m = ">CC;1;_"; };
    grid->OnCellValidate = [](TObject*, int, int, std::string& v, bool& valid) {
      v = NormalizeByteCell(v);
      valid = IsByteCellText(v);
    };
    const char hex[] = "0123456789ABCDEF";
    for (int c = 1; c < 9; ++c) grid->SetCells(c, 0, std::string(1, hex[c - 1]));
    for (int r = 1; r < 17; ++r) {
      grid->SetCells(0, r, ByteCellText(static_cast<uint8_t>((r - 1) * 8)));
      for (int c = 1; c < 9; ++c) grid->SetCells(c, r, "FF");
    }
    Load();
  }
  QImage Shot(const std::string& name) {
    Flush();
    std::string file = TestImagePath("extgrid-input-" + name + ".png");
    EXPECT_TRUE(SaveControlImage(form, file));
    return QImage(QString::fromStdString(file));
  }
  // What the window shows now (its backing store), not a fresh rendering.
  QImage Shown() {
    Flush();
    QWidget* top = form->Peer()->window();
    return QGuiApplication::primaryScreen()->grabWindow(top->winId()).toImage();
  }
  QRgb At(const QImage& img, int c, int r, int dx, int dy) const {
    TRect rc = grid->CellRect(c, r);
    return img.pixel(grid->Left() + rc.Left + dx, grid->Top() + rc.Top + dy) & 0xFFFFFF;
  }
};

TEST_F(InputShots, TypingTabSelectingAndSizing) {
  SetUpHexGrid();
  grid->FocusCell(1, 1, true);
  QImage before = Shot("1-before-typing");
  ASSERT_FALSE(before.isNull());
  EXPECT_FALSE(EditorShown());

  Type("a");
  QImage typing = Shot("2-editor-with-typed-byte");
  ASSERT_TRUE(EditorShown());
  EXPECT_EQ(EditorText(), "A ");  // the blank of the mask reads as a space
  EXPECT_NE(typing, before) << "the open editor shows on the cell";

  Key(Qt::Key_Tab);
  QImage tabbed = Shot("3-after-tab");
  EXPECT_EQ(grid->Cells(1, 1), "0A");
  EXPECT_EQ(Current(), TPoint(2, 1));

  TPoint p = Mid(2, 3), q = Mid(5, 6);
  Mouse(QEvent::MouseButtonPress, p.X, p.Y);
  Mouse(QEvent::MouseMove, q.X, q.Y);
  Mouse(QEvent::MouseButtonRelease, q.X, q.Y);
  QImage range = Shot("4-selected-range");
  EXPECT_EQ(grid->Selection(), (TGridRect{2, 3, 5, 6}));
  EXPECT_NE(At(range, 3, 4, 4, 4), At(range, 7, 4, 4, 4)) << "selected cells look unlike the others";

  TRect h = grid->CellRect(3, 0);
  int y = (h.Top + h.Bottom) / 2, w0 = grid->ColWidths(3);
  Mouse(QEvent::MouseButtonPress, h.Right, y);
  Mouse(QEvent::MouseMove, h.Right + 40, y);
  QImage sizing = Shot("5-column-being-sized");
  EXPECT_EQ(grid->ColWidths(3), w0) << "the width changes at the release";
  Mouse(QEvent::MouseButtonRelease, h.Right + 40, y);
  EXPECT_EQ(grid->ColWidths(3), w0 + 40);
  Shot("6-column-sized");
}

TEST_F(InputShots, RowsMovedByAScrollLookAsARepaintedGridDoes) {
  SetUpHexGrid();
  for (int r = 1; r < 17; ++r) grid->SetCells(1, r, ByteCellText(static_cast<uint8_t>(r)));
  grid->FocusCell(1, 1, true);
  Flush();
  for (int i = 0; i < 15; ++i) {
    Key(Qt::Key_Down);
    Flush();  // each step paints only what it changed
  }
  ASSERT_GT(grid->TopRow(), 1) << "the walk scrolled";
  QImage scrolled = Shown();
  ASSERT_FALSE(scrolled.isNull());
  scrolled.save(QString::fromStdString(TestImagePath("extgrid-input-7-scrolled-by-keys.png")));
  grid->Invalidate();
  QImage repainted = Shown();
  EXPECT_TRUE(scrolled == repainted) << "moved rows and newly painted rows match a full repaint";
  for (int i = 0; i < 15; ++i) {
    Key(Qt::Key_Up);
    Flush();
  }
  QImage back = Shown();
  grid->Invalidate();
  EXPECT_TRUE(back == Shown());
}


// Where a cell's ink starts: the first dark pixel row from the cell's top and the
// first dark pixel column from its left (-1 when the cell is blank).
TPoint InkStart(const QImage& img, const TRect& rc) {
  auto dark = [&](int x, int y) { return qGray(img.pixel(x, y)) < 128; };
  TPoint at(-1, -1);
  for (int y = rc.Top; y < rc.Bottom && at.Y < 0; ++y)
    for (int x = rc.Left; x < rc.Right; ++x)
      if (dark(x, y)) at.Y = y - rc.Top;
  for (int x = rc.Left; x < rc.Right && at.X < 0; ++x)
    for (int y = rc.Top; y < rc.Bottom; ++y)
      if (dark(x, y)) at.X = x - rc.Left;
  return at;
}

// The edited text stays where the cell draws it in any row height, not centred in a tall row.
TEST_F(InputShots, TheEditedTextStandsWhereTheCellDrawsIt) {
  const int heights[] = {21, 40, 60};
  for (int h : heights) {
    SCOPED_TRACE("row height " + std::to_string(h));
    grid->SetRowHeights(2, h);
    grid->SetRowHeights(3, h);
    grid->SetCells(1, 2, "HHHH");
    grid->SetCells(1, 3, "HHHH");
    grid->FocusCell(1, 2, true);
    grid->ShowEditor();
    Flush();
    ASSERT_TRUE(EditorShown());
    ASSERT_EQ(EditorText(), "HHHH");
    grid->InplaceEditor()->SetSelStart(4);  // no selection colour over the text
    Flush();
    QImage img = grid->ClientWidget()->grab().toImage();
    img.save(QString::fromStdString(TestImagePath("extgrid-input-8-edited-row-" + std::to_string(h) + ".png")));
    // Inside the cell's lines (they are no ink), and left of the caret at the text's end.
    auto inner = [&](int r) {
      TRect rc = grid->CellRect(1, r);
      return TRect(rc.Left + 1, rc.Top + 1, rc.Left + 16, rc.Bottom - 2);
    };
    TPoint drawn = InkStart(img, inner(3)), edited = InkStart(img, inner(2));
    ASSERT_GE(drawn.Y, 0);
    ASSERT_GE(edited.Y, 0);
    EXPECT_LE(std::abs(edited.Y - drawn.Y), 1) << "drawn " << drawn.Y << ", edited " << edited.Y;
    EXPECT_LE(std::abs(edited.X - drawn.X), 1) << "drawn " << drawn.X << ", edited " << edited.X;
    grid->HideEditor();
  }
}

}  // namespace
