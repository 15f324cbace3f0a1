#include "controls/inspector/InspShade.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "controls/grid/ExtUtil.h"

uint64_t TShadeRandom::ClockSeed() {
  // The counter keeps two rebuilds within one clock tick apart.
  static std::atomic<uint64_t> counter{0};
  const uint64_t now = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  return now ^ (++counter * 0x9E3779B97F4A7C15ull);
}

int TShadeRandom::Random(int Range) {
  if (Range <= 0) return 0;
  state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
  const uint64_t high = state_ >> 32;
  return static_cast<int>((high * static_cast<uint64_t>(Range)) >> 32);
}

TColor ShadeColor(int32_t Rgb, int V) {
  V = std::clamp(V, 0, 255);
  return RGB(GetRValue(Rgb) * V / 255, GetGValue(Rgb) * V / 255, GetBValue(Rgb) * V / 255);
}

namespace {

// The bitmap's pixels, written only where they lie inside it.
class TShadePixels {
 public:
  TShadePixels(TBitmap& B, int32_t Rgb) : W(B.Width()), H(B.Height()), r_(GetRValue(Rgb)), g_(GetGValue(Rgb)),
                                           b_(GetBValue(Rgb)) {
    rows_.reserve(H);
    for (int y = 0; y < H; ++y) rows_.push_back(B.ScanLine(y));
  }
  void Put(int x, int y, int v) {
    if (x < 0 || y < 0 || x >= W || y >= H) return;
    v = std::clamp(v, 0, 255);
    uint8_t* p = rows_[y] + 4 * x;
    p[0] = static_cast<uint8_t>(b_ * v / 255);
    p[1] = static_cast<uint8_t>(g_ * v / 255);
    p[2] = static_cast<uint8_t>(r_ * v / 255);
    p[3] = 0xFF;
  }
  int Blue(int x, int y) const { return rows_[y][4 * x]; }
  void Column(int x, int v) {
    for (int y = 0; y <= H; ++y) Put(x, y, v);
  }
  void Row(int y, int v) {
    for (int x = 0; x <= W; ++x) Put(x, y, v);
  }
  const int W, H;

 private:
  int r_, g_, b_;
  std::vector<uint8_t*> rows_;
};

int Cube(int t) { return t * t * t; }

// (Num / Den) rounded to the nearest integer, halves away from zero; Den > 0.
int RoundDiv(int64_t Num, int64_t Den) {
  return static_cast<int>(Num >= 0 ? (2 * Num + Den) / (2 * Den) : -((-2 * Num + Den) / (2 * Den)));
}

int Distance(int dx, int dy) { return static_cast<int>(std::lround(std::sqrt(double(dx) * dx + double(dy) * dy))); }

void Bump(TShadePixels& P, int L, bool Horizontal) {
  const int W = P.W, H = P.H;
  const int n = Horizontal ? W : H;
  for (int i = 0; i <= n; ++i) {
    const int t = Horizontal ? (W - i) * 255 / W - 127 : i * 255 / H - 127;
    const int c = ((Cube(t) / 128) / 128) * 120 / 128 + 128;
    if (Horizontal)
      P.Column(i, L - c / 2);
    else
      P.Row(i, L - c / 2);
  }
}

void SoftBump(TShadePixels& P, int L) {
  const int W = P.W, H = P.H;
  for (int y = 0; y <= H; ++y) {
    const int ty = y * 255 / H - 127;
    for (int x = 0; x <= W; ++x) {
      const int tx = (W - x) * 255 / W - 127;
      const int c = std::clamp(((Cube(ty) / 128) / 128 + (Cube(tx) / 128) / 128) * 120 / 128 + 128, 8, 247);
      P.Put(x, y, L - c / 2);
    }
  }
}

void HardBump(TShadePixels& P, int L) {
  const int W = P.W, H = P.H;
  for (int y = 0; y <= H; ++y) {
    const int t = y * 255 / H - 127;
    const int c = ((Cube(t) / 128) / 128) * 112 / 128 + 128;
    P.Row(y, L - c / 2);
  }
  // Rounded ends; a caption too narrow or too low for them keeps its plain bump.
  const int m = std::min(16, W / 6);
  const int quarterH2 = H * H / 4;
  if (m == 0 || quarterH2 == 0) return;
  for (int y = 0; y <= H; ++y) {
    const int dy = y - H / 2;
    const int e = dy * dy * m / quarterH2 + (W / 2 - m);
    for (int x = 0; x <= W; ++x) {
      const int dx = x - W / 2;
      if (dx > e) P.Put(x, y, L - ((W - x) * 128 / m + 8) / 2);
      if (dx + e < 0) P.Put(x, y, L - (247 - x * 128 / m) / 2);
    }
  }
}

// Darkens from the top-left towards the bottom-right by the blue channel already there.
void DiagonalReshade(TShadePixels& P, int L, int Span) {
  const int W = P.W, H = P.H;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const int t = (L - P.Blue(x, y)) + Span * x / W + Span * y / H;
      P.Put(x, y, L - t / 2);
    }
}

void Metal(TShadePixels& P, int L, bool Right, TShadeRandom& Rand) {
  const int W = P.W, H = P.H;
  auto streakPixel = [&](int x, int y, int v) {
    if (x > 0 && x < W && y > 0 && y < H) P.Put(x, y, v);
  };
  for (int s = 0; s < 251; ++s) {
    const int cx = Rand.Random(W);
    const int cy = Rand.Random(H);
    const int length = Rand.Random(std::min(W, H) / 2);
    const int v = L - Rand.Random(40);
    for (int k = 0; k < length; ++k) {
      if (Right) {
        streakPixel(cx - k, cy + k, v);
        streakPixel(cx + k, cy - k, v);
      } else {
        streakPixel(cx + k, cy + k, v);
        streakPixel(cx - k, cy - k, v);
      }
    }
  }
  DiagonalReshade(P, L, 120);
}

void Radial(TShadePixels& P, int L, bool Outer) {
  const int W = P.W, H = P.H;
  // The divisor is the distance between (0, W) and (0, H); a square caption would make it 0.
  const int D = std::max(1, Distance(0, H - W));
  for (int x = 0; x <= W / 2; ++x)
    for (int y = 0; y <= H / 2; ++y) {
      const int d = Distance(x - W / 2, y - H / 2);
      const int v = RoundDiv(int64_t(Outer ? d : D - d) * L, D);
      P.Put(x, y, v);
      P.Put(W - x, H - y, v);
      P.Put(W - x, y, v);
      P.Put(x, H - y, v);
    }
}

}  // namespace

void ShadeCaption(TBitmap& Bitmap, int Width, int Height, const TShadeLook& Look, TShadeRandom& Rand) {
  Width = std::max(0, Width);
  Height = std::max(0, Height);
  Bitmap.SetSize(Width, Height);
  if (Width == 0 || Height == 0) return;
  TCanvas* C = Bitmap.Canvas();
  const TRect all(0, 0, Width, Height);
  C->Brush()->SetStyle(bsSolid);
  C->Brush()->SetColor(clWhite);
  C->FillRect(all);

  const int L = Look.ShadeLight;
  switch (Look.ShadeType) {
    case stNormal:
    case stXPButton:
    case stBitmap:
    case stBitmapRStretch:
    case stBitmapLStretch:
      if (Look.ColorTo == clNone) {
        C->Brush()->SetColor(Look.Color);
        C->FillRect(all);
      } else {
        ExtUtil::DrawGradient(C, Look.Color, Look.ColorTo, 128, all, Look.HorizontalGradient);
      }
      return;
    default:
      break;
  }

  TShadePixels P(Bitmap, ColorToRGB(Look.Color));
  const int W = Width, H = Height;
  switch (Look.ShadeType) {
    case stNoise:
      for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) P.Put(x, y, L - (Rand.Random(Look.ShadeGrain) + 128) / 2);
      break;
    case stHBump:
      Bump(P, L, true);
      break;
    case stVBump:
      Bump(P, L, false);
      break;
    case stSoftBump:
      SoftBump(P, L);
      break;
    case stHardBump:
      HardBump(P, L);
      break;
    case stHShade:
    case stHShadeInv:
      for (int x = 0; x <= W; ++x)
        P.Column(Look.ShadeType == stHShade ? x : W - x, L - (239 * (W - x) / W + 8) / 2);
      break;
    case stVShade:
    case stVShadeInv:
      for (int y = 0; y <= H; ++y) P.Row(Look.ShadeType == stVShade ? y : H - y, L - (239 * y / H + 8) / 4);
      break;
    case stDiagShade:
      DiagonalReshade(P, L, 129);
      break;
    case stLMetal:
    case stRMetal:
      Metal(P, L, Look.ShadeType == stRMetal, Rand);
      break;
    case stIRadial:
    case stORadial:
      Radial(P, L, Look.ShadeType == stORadial);
      break;
    default:
      break;
  }
  Bitmap.SetModified(true);
}
