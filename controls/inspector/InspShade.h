#pragma once
// The caption shading: the background picture a caption bar copies when it paints.
// It is rendered pixel by pixel, so the bar renders it once per width and look.

#include <cstdint>

#include "platform/gui/Graphics.h"

enum TShadeType {
  stNormal, stNoise, stDiagShade, stHShade, stVShade, stHBump, stVBump, stSoftBump, stHardBump,
  stLMetal, stRMetal, stIRadial, stORadial, stHShadeInv, stVShadeInv, stXPButton, stBitmap,
  stBitmapRStretch, stBitmapLStretch
};

// Random numbers for the grainy and streaked shades. The bar makes a new one seeded from the
// clock for each rebuild; tests give a fixed seed or a subclass with numbers of their own.
class TShadeRandom {
 public:
  explicit TShadeRandom(uint64_t Seed) : state_(Seed) {}
  virtual ~TShadeRandom() = default;
  // A seed that differs from every other this process asked for.
  static uint64_t ClockSeed();
  // 0 .. Range - 1; 0 when Range is 0 or less.
  virtual int Random(int Range);

 private:
  uint64_t state_;
};

// What the shading reads of the caption and the bar.
struct TShadeLook {
  TColor Color = clBtnFace;
  TColor ColorTo = clNone;
  TShadeType ShadeType = stNormal;
  int ShadeLight = 255;
  int ShadeGrain = 32;
  bool HorizontalGradient = false;  // the bar's default gradient runs left to right
};

// The colour of a pixel of intensity V (clamped to 0..255) shaded from the RGB value Rgb.
TColor ShadeColor(int32_t Rgb, int V);

// Sizes Bitmap to Width x Height, fills it white and renders the shade of Look into it;
// with either dimension 0 the bitmap stays empty white.
void ShadeCaption(TBitmap& Bitmap, int Width, int Height, const TShadeLook& Look, TShadeRandom& Rand);
