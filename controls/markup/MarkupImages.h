#pragma once
// The few image-list operations the renderer needs, in one place.

#include "platform/gui/Graphics.h"

class TCustomImageList;

int MarkupImageCount(TCustomImageList* Images);
int MarkupImageWidth(TCustomImageList* Images);
int MarkupImageHeight(TCustomImageList* Images);
void MarkupImageDraw(TCustomImageList* Images, TCanvas* Canvas, int X, int Y, int Index);
