#include "controls/markup/MarkupImages.h"

#include "platform/gui/ImgList.h"

int MarkupImageCount(TCustomImageList* Images) { return Images ? Images->Count() : 0; }
int MarkupImageWidth(TCustomImageList* Images) { return Images ? Images->Width() : 0; }
int MarkupImageHeight(TCustomImageList* Images) { return Images ? Images->Height() : 0; }
void MarkupImageDraw(TCustomImageList* Images, TCanvas* Canvas, int X, int Y, int Index) {
  if (Images && Canvas) Images->Draw(Canvas, X, Y, Index, true);
}
