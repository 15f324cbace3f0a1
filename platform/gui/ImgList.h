#pragma once
// A list of equally sized images, drawn by index.

#include <memory>
#include <vector>

#include "platform/gui/Graphics.h"

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
enum TImageType { itImage, itMask };

class TCustomImageList : public TComponent {
 public:
  explicit TCustomImageList(TComponent* AOwner);
  ~TCustomImageList() override;
  std::string ClassName() const override { return "TCustomImageList"; }
  void Assign(TPersistent* Source) override;

  int Width() const { return width_; }
  void SetWidth(int v);
  int Height() const { return height_; }
  void SetHeight(int v);
  int Count() const { return static_cast<int>(images_.size()); }
  TColor BkColor() const { return bkColor_; }
  void SetBkColor(TColor v) { bkColor_ = v; }
  TColor BlendColor = clNone;
  TDrawingStyle DrawingStyle = dsNormal;
  bool Masked = true;

  // Adds the image (cut into Width-wide pieces when wider); Mask colour pixels become transparent.
  int Add(TBitmap* Image, TBitmap* Mask);
  int AddMasked(TBitmap* Image, TColor MaskColor);
  int AddIcon(TIcon* Image);
  void Insert(int Index, TBitmap* Image, TBitmap* Mask);
  void Replace(int Index, TBitmap* Image, TBitmap* Mask);
  void Delete(int Index);
  void Clear();
  void Move(int CurIndex, int NewIndex);
  void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true);
  void DrawOverlay(TCanvas* Canvas, int X, int Y, int ImageIndex, int Overlay, bool Enabled = true);
  // Copies image Index into a bitmap (sized to the list).
  bool GetBitmap(int Index, TBitmap* Image);
  void GetIcon(int Index, TIcon* Image);
  QImage Image(int Index) const;
  TNotifyEvent OnChange;

 protected:
  void Change();
  int width_ = 16, height_ = 16;
  TColor bkColor_ = clNone;
  std::vector<std::unique_ptr<QImage>> images_;
};

class TImageList : public TCustomImageList {
 public:
  explicit TImageList(TComponent* AOwner) : TCustomImageList(AOwner) {}
  std::string ClassName() const override { return "TImageList"; }
};
