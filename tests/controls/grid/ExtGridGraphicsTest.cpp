// Every drawn kind of cell graphic painted once into a picture (left under the build tree to look
// at); values that are no numbers, images outside the list and missing pictures paint without an
// error; the shared check-box graphics survive removal; picture sizes by stretch mode.
#include <gtest/gtest.h>

#include <QImage>

#include <cmath>

#include "platform/gui/FormImage.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/VisualStyles.h"
#include "tests/controls/grid/GridInputFixture.h"
#include "tests/controls/grid/TwoImageStrip.h"

namespace {

class GraphicsTest : public GridInputTest {
 public:
  QImage Paint() {
    Flush();
    return RenderControlImage(grid);
  }
  // Colours found inside a cell's rectangle, apart from the background.
  int Inked(const QImage& Img, int C, int R) {
    TRect rc = grid->CellRect(C, R);
    QRgb bg = Img.pixel(rc.Right - 3, rc.Bottom - 3);
    int n = 0;
    for (int y = rc.Top + 1; y < rc.Bottom - 1; ++y)
      for (int x = rc.Left + 1; x < rc.Right - 1; ++x) n += Img.pixel(x, y) != bg;
    return n;
  }
};

TEST_F(GraphicsTest, EveryKindDrawsAndBadValuesDrawNothing) {
  grid->SetColCount(6);
  grid->SetRowCount(8);
  grid->SetDefaultRowHeight(26);
  for (int r = 1; r < 8; ++r)
    for (int c = 1; c < 6; ++c) grid->SetCells(c, r, "");
  TCustomImageList images(form);
  AddRedAndBlueImages(images);
  grid->GridImages = &images;
  TBitmap bmp(12, 12);
  bmp.Canvas()->Brush()->SetColor(clGreen);
  bmp.Canvas()->FillRect(TRect(0, 0, 12, 12));
  grid->AddBitmap(1, 1, &bmp, false, haLeft, vaCenter);
  grid->AddImageIdx(2, 1, 1, haLeft, vaCenter);
  grid->SetCells(3, 1, "1");
  grid->AddDataImage(3, 1, 0, haLeft, vaCenter);
  grid->AddMultiImage(4, 1, true, {0, 1, 0}, haLeft, vaCenter);
  grid->SetCells(1, 2, "60");
  grid->AddProgress(1, 2, clBlue, clWhite);
  grid->SetCells(2, 2, "75");
  grid->AddProgressPie(2, 2, clRed);
  grid->SetCells(3, 2, "-40");
  grid->AddRangeIndicator(3, 2, clLime, clRed);
  grid->SetCells(4, 2, "note");
  grid->AddComment(4, 2, "a comment");
  grid->AddRotated(5, 2, 90, "up");
  // Values that are no numbers, indexes outside the list, a picture file that went away.
  grid->SetCells(1, 3, "abc");
  grid->AddProgress(1, 3, clBlue, clWhite);
  grid->SetCells(2, 3, "250");
  grid->AddProgress(2, 3, clBlue, clWhite);
  grid->SetCells(3, 3, "x");
  grid->AddDataImage(3, 3, 0, haLeft, vaCenter);
  grid->SetCells(4, 3, "7");
  grid->AddDataImage(4, 3, 0, haLeft, vaCenter);
  grid->AddImageIdx(5, 3, 9, haLeft, vaCenter);
  grid->SetCells(2, 4, "100");
  grid->AddProgress(2, 4, clBlue, clWhite);
  grid->SetRowCount(9);
  grid->AddNode(5, 3);
  grid->AddNode(6, 2);
  grid->ContractNode(6);
  QImage img;
  ASSERT_NO_THROW(img = Paint());
  img.save(QString::fromStdString(TestImagePath("i25-graphics.png")));
  for (int c = 1; c <= 4; ++c) EXPECT_GT(Inked(img, c, 1), 20) << "row 1 col " << c;
  for (int c = 1; c <= 5; ++c) EXPECT_GT(Inked(img, c, 2), 10) << "row 2 col " << c;
  EXPECT_GT(Inked(img, 0, 5), 10);  // the node sign
  auto cell = [&](int C, int R) {
    TRect a = grid->CellRect(C, R);
    return img.copy(a.Left, a.Top, a.Width(), a.Height());
  };
  // Drawn as the empty cell below each of them.
  for (int c = 3; c <= 5; ++c) EXPECT_TRUE(cell(c, 3) == cell(c, 4)) << "nothing for col " << c;
  // A bar over 100 % is clamped: it paints as 100 % does.
  EXPECT_TRUE(cell(2, 3) == cell(2, 4));
  // A picture file that cannot be read is refused when set, and the cell keeps what it had.
  EXPECT_ANY_THROW(grid->AddFilePicture(1, 5, "/nonexistent/x.png", false, 0, 0, haLeft, vaTop));
  EXPECT_EQ(grid->GetCellType(1, 5), ctEmpty);
}

TEST_F(GraphicsTest, SharedCheckBoxesSurviveRemoval) {
  grid->MouseActions()->SetHotmailRowSelect(true);
  TCellGraphic* shared = grid->GetCellGraphic(0, 2);
  ASSERT_NE(shared, nullptr);
  grid->RemoveCellGraphic(0, 2);
  EXPECT_EQ(grid->GetCellGraphic(0, 2), shared);
  EXPECT_EQ(grid->GetCellType(0, 3), ctRowCheckBox);
}

TEST_F(GraphicsTest, PictureSizeByStretchMode) {
  TBitmap pic(40, 20);
  TCellGraphic* g = grid->AddPicture(1, 1, &pic, false, 0, 0, haLeft, vaTop);
  struct Case {
    int Mode, Padding, W, H;
    TSize Want;
  };
  const Case cases[] = {{0, 0, 10, 10, TSize(40, 20)}, {1, 2, 30, 30, TSize(28, 28)}, {2, 0, 20, 40, TSize(20, 10)},
                        {2, 0, 80, 20, TSize(40, 20)}, {3, 0, 50, 30, TSize(40, 20)}, {3, 0, 30, 30, TSize(30, 30)},
                        {4, 0, 50, 30, TSize(40, 20)}, {4, 0, 20, 30, TSize(20, 10)}};
  for (const Case& c : cases) {
    g->CellAngle = c.Mode;
    g->CellIndex = c.Padding;
    TSize s(-1, -1);
    grid->GetPictureSize(g, c.W, c.H, s);
    EXPECT_EQ(s.cx, c.Want.cx) << c.Mode << " " << c.W << "x" << c.H;
    EXPECT_EQ(s.cy, c.Want.cy) << c.Mode << " " << c.W << "x" << c.H;
  }
}

// With the theme look and ProgressXP the desktop's progress bar draws the bar less the margins and
// the chunk over the value's share (nothing for no value); without either, or without a theme,
// the grid's own bar.
TEST_F(GraphicsTest, ProgressBarsFollowTheDesktopTheme) {
  struct TPart {
    int Part;
    TRect R;
  };
  std::vector<TPart> drawn;
  bool active = true;
  SetVisualStylesLoader([&] {
    auto lib = std::make_unique<TVisualStylesLibrary>();
    lib->OpenThemeData = [](HWND, const std::string& c) { return c == "progress" ? reinterpret_cast<HTHEME>(uintptr_t{1}) : nullptr; };
    lib->CloseThemeData = [](HTHEME) { return S_OK; };
    lib->DrawThemeBackground = [&](HTHEME, HDC, int Part, int, const TRect& R, const TRect*) {
      drawn.push_back({Part, R});
      return S_OK;
    };
    lib->IsThemeActive = [&] { return active; };
    return lib;
  });
  grid->SetColWidths(1, 104);
  grid->SetCells(1, 1, "40");
  grid->AddProgress(1, 1, clBlue, clWhite);
  grid->SetCells(1, 2, "none");
  grid->AddProgress(1, 2, clBlue, clWhite);
  TControlLook* look = grid->ControlLook();
  look->SetProgressMarginX(2);
  look->SetProgressMarginY(3);
  struct Case {
    TGridControlStyle Style;
    bool XP, Active;
    int Themed;  // parts drawn for the two cells
  };
  for (const Case& c : {Case{csTheme, true, true, 3}, Case{csWinXP, true, true, 3}, Case{csTheme, false, true, 0},
                        Case{csFlat, true, true, 0}, Case{csTheme, true, false, 0}}) {
    look->SetControlStyle(c.Style);
    look->SetProgressXP(c.XP);
    active = c.Active;
    grid->Invalidate();
    Flush();
    drawn.clear();
    RenderControlImage(grid);  // one paint
    SCOPED_TRACE(std::to_string(c.Style) + (c.XP ? " xp" : "") + (c.Active ? " active" : ""));
    ASSERT_EQ(static_cast<int>(drawn.size()), c.Themed);
    if (!c.Themed) continue;
    const TRect cell = grid->CellRect(1, 1);
    // The content rectangle is the cell less its one-pixel grid lines.
    const TRect inner(cell.Left + 1 + 2, cell.Top + 1 + 3, cell.Right - 1 - 2, cell.Bottom - 1 - 3);
    EXPECT_EQ(drawn[0].Part, 1);
    EXPECT_EQ(drawn[0].R.Width(), inner.Width());
    EXPECT_EQ(drawn[0].R.Height(), inner.Height());
    EXPECT_EQ(drawn[1].Part, 3);
    EXPECT_EQ(drawn[1].R.Width(), inner.Width() * 40 / 100);
    EXPECT_EQ(drawn[1].R.Left, drawn[0].R.Left);
    EXPECT_EQ(drawn[2].Part, 1) << "no value: the bar alone";
  }
  SetVisualStylesLoader(nullptr);
}

// Sizes for output at another scale: pictures shrink by the factor, a progress bar fills its cell,
// a data image answers the image list's size whatever its value; the others as on the screen.
TEST_F(GraphicsTest, ScaledGraphicSizes) {
  TCustomImageList images(form);
  images.SetWidth(16);
  images.SetHeight(12);
  grid->GridImages = &images;
  TBitmap pic(40, 20);
  grid->AddPicture(1, 1, &pic, false, 0, 0, haLeft, vaTop);
  grid->AddProgress(2, 1, clBlue, clWhite);
  grid->SetCells(3, 1, "no number");
  grid->AddDataImage(3, 1, 0, haLeft, vaCenter);
  grid->AddProgressPie(4, 1, clRed);
  grid->SetColWidths(2, 90);
  grid->SetRowHeights(1, 30);
  struct Case {
    int Col;
    double Factor;
    TSize Want;
  };
  for (const Case& c : {Case{1, 2.0, TSize(20, 10)}, Case{1, 3.0, TSize(13, 7)}, Case{2, 2.0, TSize(90, 30)},
                        Case{3, 2.0, TSize(16, 12)}, Case{4, 2.0, TSize(20, 20)}, Case{0, 2.0, TSize(0, 0)}}) {
    const TSize s = grid->GetCellGraphicSizeScaled(c.Col, 1, c.Factor);
    EXPECT_EQ(s.cx, c.Want.cx) << "col " << c.Col << " factor " << c.Factor;
    EXPECT_EQ(s.cy, c.Want.cy) << "col " << c.Col << " factor " << c.Factor;
  }
}

// The turned text's box adds the rounded terms: |round(cos a W)| + |round(sin a H)| wide and
// |round(sin a W)| + |round(cos a H)| high, never the box rounded as a whole.
TEST_F(GraphicsTest, TurnedTextBoxAddsItsRoundedTerms) {
  TBitmap bm(10, 10);
  TCanvas* cv = bm.Canvas();
  const int w = cv->TextWidth("turnedw"), h = cv->TextHeight("turnedw");
  int differ = 0;
  for (int angle = 0; angle < 360; angle += 7) {
    SCOPED_TRACE(angle);
    const double a = angle * M_PI / 180;
    auto term = [](double v) { return std::abs(static_cast<int>(std::lround(v))); };
    const int cw = term(std::cos(a) * w), sh = term(std::sin(a) * h), sw = term(std::sin(a) * w), ch = term(std::cos(a) * h);
    TPoint origin;
    const TSize box = RotatedTextBox(cv, "turned", angle, origin);
    EXPECT_EQ(box.cx, cw + sh);
    EXPECT_EQ(box.cy, sw + ch);
    if (std::lround(std::abs(std::cos(a) * w) + std::abs(std::sin(a) * h)) != cw + sh) ++differ;
  }
  EXPECT_GT(differ, 0) << "some angle tells the two roundings apart";
}

}  // namespace
