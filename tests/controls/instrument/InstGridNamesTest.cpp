// The button's text alignment and the grid's vertical alignment in one unit.
#include <gtest/gtest.h>

#include "controls/grid/BaseGrid.h"
#include "controls/instrument/InstButtons.h"
#include "tests/controls/instrument/InstTestSupport.h"

static_assert(vtaTop == 0 && vtaCenter == 1 && vtaBottom == 2);
static_assert(static_cast<unsigned>(TInstTextAlignment::vtaCenter) == 5);
static_assert(static_cast<unsigned>(TInstTextAlignment::vtaBottom) == 9);

namespace {

// The topmost row holding caption ink in the button's bitmap.
int FirstInkRow(TInstTextAlignment Alignment, TForm* Form) {
  auto* b = new Painted<TInstDemoButton>(Form);
  b->SetParent(Form);
  b->SetBounds(0, 0, 150, 80);
  b->SetCaption("W");
  b->SetTextAlignment(Alignment);
  b->PaintNow();
  const TRect r = b->CaptionRect();
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (b->PixelAt(x, y) == RGB(0, 0, 0)) return y;
  return -1;
}

}  // namespace

TEST(InstGridNames, BothAlignmentsPlaceTheirContentAsNamed) {
  PinSystemColours();
  auto form = MakeForm();
  const TVAlignment grid = vtaBottom;
  EXPECT_EQ(grid, 2);
  const int top = FirstInkRow(TInstTextAlignment::vtaTop, form.get());
  const int middle = FirstInkRow(TInstTextAlignment::vtaCenter, form.get());
  const int bottom = FirstInkRow(TInstTextAlignment::vtaBottom, form.get());
  ASSERT_GE(top, 0);
  EXPECT_LT(top, middle);
  EXPECT_LT(middle, bottom);
}
