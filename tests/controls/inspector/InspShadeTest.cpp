#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <vector>

#include "controls/inspector/InspShade.h"

namespace {

// Hands out the numbers a test names (0 once they run out) and records the ranges asked for.
class TScriptedRandom : public TShadeRandom {
 public:
  explicit TScriptedRandom(std::deque<int> Values) : TShadeRandom(0), values_(std::move(Values)) {}
  int Random(int Range) override {
    ranges.push_back(Range);
    if (values_.empty()) return 0;
    const int v = values_.front();
    values_.pop_front();
    return v;
  }
  std::vector<int> ranges;

 private:
  std::deque<int> values_;
};

// With a white caption every channel of a pixel is its intensity.
TShadeLook White(TShadeType T) {
  TShadeLook look;
  look.Color = clWhite;
  look.ShadeType = T;
  return look;
}

int Intensity(TBitmap& B, int x, int y) { return GetBValue(B.Canvas()->Pixels(x, y)); }

std::vector<int> Row(TBitmap& B, int y) {
  std::vector<int> out;
  for (int x = 0; x < B.Width(); ++x) out.push_back(Intensity(B, x, y));
  return out;
}

std::vector<int> Column(TBitmap& B, int x) {
  std::vector<int> out;
  for (int y = 0; y < B.Height(); ++y) out.push_back(Intensity(B, x, y));
  return out;
}

std::unique_ptr<TBitmap> Shade(TShadeType T, int W, int H, uint64_t Seed = 7) {
  auto b = std::make_unique<TBitmap>();
  TShadeRandom rand(Seed);
  ShadeCaption(*b, W, H, White(T), rand);
  return b;
}

std::vector<TColor> AllPixels(TBitmap& B) {
  std::vector<TColor> out;
  for (int y = 0; y < B.Height(); ++y)
    for (int x = 0; x < B.Width(); ++x) out.push_back(B.Canvas()->Pixels(x, y));
  return out;
}

using TBitmapPtr = std::unique_ptr<TBitmap>;
int Intensity(TBitmapPtr& B, int x, int y) { return Intensity(*B, x, y); }
std::vector<int> Row(TBitmapPtr& B, int y) { return Row(*B, y); }
std::vector<int> Column(TBitmapPtr& B, int x) { return Column(*B, x); }
std::vector<TColor> AllPixels(TBitmapPtr& B) { return AllPixels(*B); }

TEST(InspShade, OnePixelCaptions) {
  {
    auto b = Shade(stHBump, 1, 1);
    EXPECT_EQ(Intensity(b, 0, 0), 131);  // t = 128, c = 248
  }
  {
    auto b = Shade(stVBump, 1, 1);
    EXPECT_EQ(Intensity(b, 0, 0), 250);  // t = -127, c = 11
  }
  {
    auto b = Shade(stSoftBump, 1, 1);
    EXPECT_EQ(Intensity(b, 0, 0), 190);  // -125 + 128 = 3, c = 130
  }
  {
    auto b = Shade(stHShade, 1, 1);
    EXPECT_EQ(Intensity(b, 0, 0), 132);
    auto inv = Shade(stHShadeInv, 1, 1);
    EXPECT_EQ(Intensity(inv, 0, 0), 251);  // the column of x = W lands on 0
  }
  {
    auto b = Shade(stVShade, 1, 1);
    EXPECT_EQ(Intensity(b, 0, 0), 253);
    auto inv = Shade(stVShadeInv, 1, 1);
    EXPECT_EQ(Intensity(inv, 0, 0), 194);
  }
  {
    auto b = Shade(stDiagShade, 1, 1);
    EXPECT_EQ(Intensity(b, 0, 0), 255);
  }
}

TEST(InspShade, FivePixelWideCaptions) {
  {
    auto b = Shade(stHBump, 5, 1);
    EXPECT_EQ(Row(b, 0), (std::vector<int>{131, 179, 191, 191, 203}));
  }
  {
    auto b = Shade(stHShade, 5, 1);
    EXPECT_EQ(Row(b, 0), (std::vector<int>{132, 156, 180, 204, 228}));
    auto inv = Shade(stHShadeInv, 5, 1);
    EXPECT_EQ(Row(inv, 0), (std::vector<int>{251, 228, 204, 180, 156}));
  }
  {
    // The last column's c would be -13 without the 8..247 limit.
    auto b = Shade(stSoftBump, 5, 1);
    EXPECT_EQ(Row(b, 0), (std::vector<int>{190, 237, 249, 250, 251}));
  }
  {
    // D = |5 - 1| = 4; the quarter is x 0..2 on row 0 and its mirrors land on columns 4 and 3.
    auto in = Shade(stIRadial, 5, 1);
    EXPECT_EQ(Row(in, 0), (std::vector<int>{128, 191, 255, 255, 191}));
    auto out = Shade(stORadial, 5, 1);
    EXPECT_EQ(Row(out, 0), (std::vector<int>{128, 64, 0, 0, 64}));
  }
}

TEST(InspShade, SquareCaptions) {
  {
    auto b = Shade(stVBump, 4, 4);
    EXPECT_EQ(Column(b, 0), (std::vector<int>{250, 199, 191, 184}));
    EXPECT_EQ(Column(b, 3), Column(b, 0));
  }
  {
    auto b = Shade(stVShade, 4, 4);
    EXPECT_EQ(Column(b, 2), (std::vector<int>{253, 239, 224, 209}));
    auto inv = Shade(stVShadeInv, 4, 4);
    EXPECT_EQ(Column(inv, 2), (std::vector<int>{194, 209, 224, 239}));
  }
  {
    auto b = Shade(stDiagShade, 4, 4);
    EXPECT_EQ(Intensity(b, 0, 0), 255);
    EXPECT_EQ(Intensity(b, 1, 0), 239);
    EXPECT_EQ(Intensity(b, 2, 1), 207);
    EXPECT_EQ(Intensity(b, 3, 3), 159);
  }
}

TEST(InspShade, WideHardBumpRoundsItsEnds) {
  auto b = Shade(stHardBump, 24, 4);
  // Rows before the ends: 246, 198, 191, 184. m = 4, e = dy^2 + 8.
  EXPECT_EQ(Row(b, 0), std::vector<int>(24, 246));
  std::vector<int> row1(24, 198);
  row1[0] = 132, row1[1] = 148, row1[2] = 164, row1[22] = 219, row1[23] = 235;
  EXPECT_EQ(Row(b, 1), row1);
  std::vector<int> row2(24, 191);
  row2[0] = 132, row2[1] = 148, row2[2] = 164, row2[3] = 180, row2[21] = 203, row2[22] = 219, row2[23] = 235;
  EXPECT_EQ(Row(b, 2), row2);
  EXPECT_EQ(Intensity(b, 4, 3), 184);
  EXPECT_EQ(Intensity(b, 2, 3), 164);
}

TEST(InspShade, HardBumpTooSmallForRoundedEndsKeepsItsPlainBump) {
  // Width under 6 makes the end width 0, height under 2 the quarter height 0.
  auto narrow = Shade(stHardBump, 5, 1);
  EXPECT_EQ(Row(narrow, 0), std::vector<int>(5, 246));
  auto low = Shade(stHardBump, 24, 1);
  EXPECT_EQ(Row(low, 0), std::vector<int>(24, 246));
  auto tall = Shade(stHardBump, 1, 4);
  EXPECT_EQ(Column(tall, 0), (std::vector<int>{246, 198, 191, 184}));
}

TEST(InspShade, RadialShadeOfASquareUsesADistanceOfAtLeastOne) {
  // The divisor is |W - H|, 0 for a square and 1 after the limit; intensities past 255 or
  // below 0 are clamped.
  auto one = Shade(stIRadial, 1, 1);
  EXPECT_EQ(Intensity(one, 0, 0), 255);
  auto oneOut = Shade(stORadial, 1, 1);
  EXPECT_EQ(Intensity(oneOut, 0, 0), 0);

  auto out = Shade(stORadial, 4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(Intensity(out, x, y), x == 2 && y == 2 ? 0 : 255) << x << "," << y;
  auto in = Shade(stIRadial, 4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(Intensity(in, x, y), x == 2 && y == 2 ? 255 : 0) << x << "," << y;
}

TEST(InspShade, IntensitiesAreClampedAndScaleTheCaptionColour) {
  EXPECT_EQ(ShadeColor(clWhite, 300), clWhite);
  EXPECT_EQ(ShadeColor(clWhite, -40), clBlack);
  EXPECT_EQ(ShadeColor(RGB(200, 100, 50), 132), RGB(103, 51, 25));

  TShadeLook look;
  look.Color = RGB(200, 100, 50);
  look.ShadeType = stHShade;
  TBitmap b;
  TShadeRandom rand(1);
  ShadeCaption(b, 1, 1, look, rand);
  EXPECT_EQ(b.Canvas()->Pixels(0, 0), RGB(103, 51, 25));

  // A light far past 255 pushes the intensities of every shade type but the radial ones (whose
  // clamping the square radial test covers) past 255: all clamp to white; far below 0, to black.
  auto radial = [](int t) { return t == stIRadial || t == stORadial; };
  for (int t = stNoise; t <= stVShadeInv; ++t) {
    if (radial(t)) continue;
    TShadeLook bright = White(static_cast<TShadeType>(t));
    bright.ShadeLight = 2000;
    TBitmap p;
    TShadeRandom r(3);
    ShadeCaption(p, 12, 6, bright, r);
    for (TColor c : AllPixels(p)) ASSERT_EQ(c, clWhite) << "shade type " << t;
  }
  for (int t = stNoise; t <= stVShadeInv; ++t) {
    if (radial(t)) continue;
    TShadeLook dark = White(static_cast<TShadeType>(t));
    dark.ShadeLight = -2000;
    TBitmap p;
    TShadeRandom r(3);
    ShadeCaption(p, 12, 6, dark, r);
    for (TColor c : AllPixels(p)) ASSERT_EQ(c, clBlack) << "shade type " << t;
  }
}

TEST(InspShade, TinyAndEmptyCaptionsStayInsideTheBitmap) {
  for (int t = stNormal; t <= stBitmapLStretch; ++t)
    for (auto [w, h] : std::vector<std::pair<int, int>>{{1, 1}, {2, 1}, {1, 2}, {5, 1}, {7, 3}, {3, 9}}) {
      auto b = Shade(static_cast<TShadeType>(t), w, h);
      EXPECT_EQ(b->Width(), w);
      EXPECT_EQ(b->Height(), h);
    }
  auto none = Shade(stRMetal, 0, 24);
  EXPECT_TRUE(none->Empty());
  auto flat = Shade(stNoise, 800, 0);
  EXPECT_TRUE(flat->Empty());
}

TEST(InspShade, NoiseTakesItsGrainFromTheGenerator) {
  TScriptedRandom rand({0, 31, 10, 5, 1});
  TBitmap b;
  ShadeCaption(b, 5, 1, White(stNoise), rand);
  EXPECT_EQ(Row(b, 0), (std::vector<int>{191, 176, 186, 189, 191}));
  EXPECT_EQ(rand.ranges, std::vector<int>(5, 32));

  // A grain of 0 or less asks for no random offset at all.
  for (int grain : {0, -8}) {
    TShadeLook look = White(stNoise);
    look.ShadeGrain = grain;
    TShadeRandom real(99);
    ShadeCaption(b, 6, 2, look, real);
    for (TColor c : AllPixels(b)) EXPECT_EQ(c, RGB(191, 191, 191));
  }
}

TEST(InspShade, RandomRangeOfZeroOrLessGivesZero) {
  TShadeRandom rand(5);
  EXPECT_EQ(rand.Random(0), 0);
  EXPECT_EQ(rand.Random(-1), 0);
  EXPECT_EQ(rand.Random(-2147483647 - 1), 0);
  std::vector<int> seen(7, 0);
  for (int i = 0; i < 700; ++i) {
    const int v = rand.Random(7);
    ASSERT_GE(v, 0);
    ASSERT_LT(v, 7);
    ++seen[v];
  }
  for (int n : seen) EXPECT_GT(n, 50);
  EXPECT_EQ(rand.Random(1), 0);
}

TEST(InspShade, MetalStreaksRunAlongTheirDiagonalInsideTheBorder) {
  // First streak: centre (4, 4), length 3, intensity 245; second: centre (1, 1), length 3,
  // intensity 245, whose pixel (0, 0) lies on the border and stays white. The rest have length 0.
  auto metal = [](TShadeType T, std::vector<int>* ranges) {
    TScriptedRandom rand({4, 4, 3, 10, 1, 1, 3, 10});
    auto b = std::make_unique<TBitmap>();
    ShadeCaption(*b, 8, 8, White(T), rand);
    if (ranges) *ranges = rand.ranges;
    return b;
  };
  std::vector<int> ranges;
  auto r = metal(stRMetal, &ranges);
  ASSERT_EQ(ranges.size(), 251u * 4);
  EXPECT_EQ(std::vector<int>(ranges.begin(), ranges.begin() + 4), (std::vector<int>{8, 8, 4, 40}));
  // Re-shade: t = (255 - b) + 15x + 15y, v = 255 - t / 2.
  EXPECT_EQ(Intensity(r, 4, 4), 190);
  EXPECT_EQ(Intensity(r, 5, 3), 190);
  EXPECT_EQ(Intensity(r, 2, 6), 190);
  EXPECT_EQ(Intensity(r, 5, 5), 180);  // off the streak
  EXPECT_EQ(Intensity(r, 3, 4), 203);

  auto l = metal(stLMetal, nullptr);
  EXPECT_EQ(Intensity(l, 5, 5), 175);
  EXPECT_EQ(Intensity(l, 5, 3), 195);  // off the streak
  EXPECT_EQ(Intensity(l, 2, 2), 220);  // on the second streak: 10 + 30 + 30
  EXPECT_EQ(Intensity(l, 0, 0), 255);  // border pixel never streaked
}

TEST(InspShade, FixedSeedRepeatsAndOtherSeedsDiffer) {
  for (TShadeType t : {stNoise, stLMetal, stRMetal}) {
    auto a = Shade(t, 40, 12, 1234), b = Shade(t, 40, 12, 1234), c = Shade(t, 40, 12, 4321);
    EXPECT_EQ(AllPixels(a), AllPixels(b)) << t;
    EXPECT_NE(AllPixels(a), AllPixels(c)) << t;
  }
  EXPECT_NE(TShadeRandom::ClockSeed(), TShadeRandom::ClockSeed());
}

TEST(InspShade, PlainTypesFillWithTheColourOrAGradient) {
  TShadeLook look;
  look.Color = RGB(10, 20, 30);
  TShadeRandom rand(1);
  for (TShadeType t : {stNormal, stXPButton, stBitmap, stBitmapRStretch, stBitmapLStretch}) {
    look.ShadeType = t;
    TBitmap b;
    ShadeCaption(b, 6, 3, look, rand);
    for (TColor c : AllPixels(b)) ASSERT_EQ(c, RGB(10, 20, 30)) << t;
  }
  look.ShadeType = stNormal;
  look.Color = clBlack;
  look.ColorTo = clWhite;
  TBitmap v;
  ShadeCaption(v, 256, 24, look, rand);
  // 128 bands over 24 rows overlap: row 0 ends up with band 2, 255 * 2 / 128 rounded.
  EXPECT_EQ(v.Canvas()->Pixels(0, 0), RGB(4, 4, 4));
  EXPECT_EQ(v.Canvas()->Pixels(255, 0), RGB(4, 4, 4));  // top to bottom by default
  EXPECT_GT(GetRValue(v.Canvas()->Pixels(0, 23)), 200);
  look.HorizontalGradient = true;
  TBitmap h;
  ShadeCaption(h, 256, 24, look, rand);
  EXPECT_EQ(h.Canvas()->Pixels(0, 23), clBlack);
  EXPECT_GT(GetRValue(h.Canvas()->Pixels(255, 0)), 200);
}

}  // namespace
