// A two-image list (red, blue; 16 x 16) for cells that draw images, shared by the graphics test and
// the tree form.
#pragma once

#include "platform/gui/ImgList.h"

inline void AddRedAndBlueImages(TCustomImageList& images) {
  images.SetWidth(16);
  images.SetHeight(16);
  TBitmap strip(32, 16);
  strip.Canvas()->Brush()->SetColor(clRed);
  strip.Canvas()->FillRect(TRect(0, 0, 16, 16));
  strip.Canvas()->Brush()->SetColor(clBlue);
  strip.Canvas()->FillRect(TRect(16, 0, 32, 16));
  images.Add(&strip, nullptr);
}
