#include "controls/inspector/InspImage.h"

#include <utility>

#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"

void TInspImage::SetPixels(TGraphic* source) {
  TNotifyEvent keep = std::move(OnChange);
  OnChange = nullptr;
  try {
    if (source)
      TBitmap::Assign(source);
    else
      TBitmap::SetSize(0, 0);
  } catch (...) {
    OnChange = std::move(keep);
    throw;
  }
  OnChange = std::move(keep);
}

void TInspImage::ReleasePicture() {
  if (hasPicture_) SetPixels(nullptr);
  hasPicture_ = false;
}

void TInspImage::Assign(TPersistent* Source) {
  if (Source == this) return;
  empty_ = true;
  ReleasePicture();
  if (!Source) {
    bytes_.clear();
    Changed();
    return;
  }
  if (auto* other = dynamic_cast<TInspImage*>(Source)) {
    bytes_ = other->bytes_;
    empty_ = other->empty_;
    // Bytes that never decoded are copied as they are, without raising again.
    if (other->hasPicture_) LoadPicture();
    Changed();
  }
}

void TInspImage::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (empty_ || !hasPicture_ || !ACanvas) return;
  TBitmap::Draw(ACanvas, Rect);
}

void TInspImage::ReadData(TStream* Stream) {
  if (!Stream) return;
  Stream->SetPosition(0);
  const int64_t n = Stream->Size();
  std::string bytes(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) Stream->ReadBuffer(bytes.data(), n);
  bytes_ = std::move(bytes);
  empty_ = false;
  LoadPicture();
}

void TInspImage::LoadFromStream(TStream* Stream) {
  if (!Stream) return;
  ReadData(Stream);
  Changed();
}

void TInspImage::LoadFromFile(const std::string& FileName) {
  TMemoryStream s;
  s.LoadFromFile(FileName);
  LoadFromStream(&s);
}

void TInspImage::WriteData(TStream* Stream) const {
  if (Stream && !bytes_.empty()) Stream->WriteBuffer(bytes_.data(), static_cast<int64_t>(bytes_.size()));
}

void TInspImage::LoadPicture() {
  ReleasePicture();
  if (bytes_.empty()) throw Exception("Empty image stream created");
  std::unique_ptr<TGraphic> picture = CreateGraphicFromBytes(bytes_);
  if (!picture) throw Exception("Could not load image. Invalid format");
  try {
    TMemoryStream ms;
    ms.WriteBuffer(bytes_.data(), static_cast<int64_t>(bytes_.size()));
    ms.SetPosition(0);
    picture->LoadFromStream(&ms);
  } catch (const Exception&) {
    throw Exception("Could not load image. Invalid format");
  }
  if (picture->Empty()) throw Exception("Could not load image");
  SetPixels(picture.get());
  hasPicture_ = true;
}

std::unique_ptr<TGraphic> TInspImage::Clone() const {
  auto copy = std::make_unique<TInspImage>();
  copy->Assign(const_cast<TInspImage*>(this));
  return copy;
}
