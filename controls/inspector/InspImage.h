#pragma once
// The inspector's picture: keeps the raw bytes of a picture file and draws the
// picture decoded from them, so a saved layout keeps the bytes unchanged.

#include <memory>
#include <string>

#include "platform/gui/Graphics.h"

// The decoded pixels live in the TBitmap base; the picture bytes are kept apart.
class TInspImage : public TBitmap {
 public:
  TInspImage() = default;
  std::string ClassName() const override { return "TInspImage"; }

  // From another TInspImage: its bytes, decoded, OnChange. From nothing: cleared,
  // OnChange. From anything else: the bytes stay, the picture is dropped, no OnChange.
  void Assign(TPersistent* Source) override;
  bool Empty() const override { return empty_; }
  int Width() const override { return hasPicture_ ? TBitmap::Width() : 0; }
  int Height() const override { return hasPicture_ ? TBitmap::Height() : 0; }
  void SetWidth(int) override {}
  void SetHeight(int) override {}
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;
  void LoadFromStream(TStream* Stream) override;
  void LoadFromFile(const std::string& FileName) override;
  void SaveToStream(TStream* Stream) override { WriteData(Stream); }
  // As LoadFromStream without OnChange (layout reading).
  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream) const;
  void LoadFromClipboardFormat() {}
  void SaveToClipboardFormat() {}

  const std::string& Bytes() const { return bytes_; }
  bool HasPicture() const { return hasPicture_; }
  std::unique_ptr<TGraphic> Clone() const override;

 private:
  // Raises when the bytes are no picture; the bytes and the empty flag stay.
  void LoadPicture();
  void ReleasePicture();
  // Sets the base's pixels without announcing a change.
  void SetPixels(TGraphic* source);
  std::string bytes_;
  bool empty_ = true;
  bool hasPicture_ = false;
};
