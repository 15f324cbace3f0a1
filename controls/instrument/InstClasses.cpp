#include "controls/instrument/InstClasses.h"

#include <cstdint>
#include <cstring>
#include <memory>

#include "controls/instrument/InstSysUtils.h"
#include "platform/rtl/SysUtils.h"

// ---- TInstPersistent

void TInstPersistent::EndUpdate() {
  if (FUpdateCount > 0) --FUpdateCount;
  Changed();
}

void TInstPersistent::Changed() {
  if (FUpdateCount == 0 && OnChange) OnChange(this);
}

namespace {

// Copies all properties from another object of the same class inside one
// update, so the owner hears one change; false for any other source.
template <class T, class Copy>
bool AssignSame(T* Self, TPersistent* Source, Copy CopyAll) {
  auto* src = dynamic_cast<T*>(Source);
  if (!src) return false;
  Self->BeginUpdate();
  CopyAll(*src);
  Self->EndUpdate();
  return true;
}

}  // namespace

void TInstPalette::Assign(TPersistent* Source) {
  if (!AssignSame(this, Source, [this](TInstPalette& s) {
        SetLow(s.Low());
        SetHigh(s.High());
      }))
    TPersistent::Assign(Source);
}

void TInstTextOutline::Assign(TPersistent* Source) {
  if (!AssignSame(this, Source, [this](TInstTextOutline& s) {
        SetColor(s.Color());
        SetVisible(s.Visible());
        SetWidth(s.Width());
      }))
    TPersistent::Assign(Source);
}

void TInstFont3D::Assign(TPersistent* Source) {
  if (!AssignSame(this, Source, [this](TInstFont3D& s) {
        SetStyle(s.Style());
        SetHighlightColor(s.HighlightColor());
        SetShadowColor(s.ShadowColor());
        SetHighlightDepth(s.HighlightDepth());
        SetShadowDepth(s.ShadowDepth());
      }))
    TPersistent::Assign(Source);
}

namespace {

TRect Moved(const TRect& R, int D) { return Rect(R.Left + D, R.Top + D, R.Right + D, R.Bottom + D); }

void DrawIn(TCanvas* Canvas, TRect R, unsigned Flags, const std::string& Text, TColor Color) {
  Canvas->Font()->SetColor(Color);
  Canvas->DrawText(Text, R, Flags);
}

}  // namespace

void TInstFont3D::Paint(TCanvas* Canvas, const TRect& R, unsigned Flags, const std::string& Text) {
  Canvas->Brush()->SetStyle(bsClear);
  const TColor fontColor = Canvas->Font()->Color();
  switch (FStyle) {
    case f3dRaised:
      DrawIn(Canvas, Moved(R, FShadowDepth), Flags, Text, FShadowColor);
      DrawIn(Canvas, Moved(R, -FHighlightDepth), Flags, Text, FHighlightColor);
      break;
    case f3dSunken:
      DrawIn(Canvas, Moved(R, FHighlightDepth), Flags, Text, FHighlightColor);
      DrawIn(Canvas, Moved(R, -FShadowDepth), Flags, Text, FShadowColor);
      break;
    case f3dShadow:
      DrawIn(Canvas, Moved(R, FShadowDepth), Flags, Text, FShadowColor);
      break;
    case f3dNone:
      break;
  }
  DrawIn(Canvas, R, Flags, Text, fontColor);
}

// ---- TInstBevel

void TInstBevel::Assign(TPersistent* Source) {
  if (!AssignSame(this, Source, [this](TInstBevel& s) {
        SetBorderWidth(s.BorderWidth());
        SetBorderColor(s.BorderColor());
        SetOuterStyle(s.OuterStyle());
        SetOuterOutline(s.OuterOutline());
        SetOuterWidth(s.OuterWidth());
        SetOuterShadow(s.OuterShadow());
        SetOuterHighlight(s.OuterHighlight());
        SetOuterSpace(s.OuterSpace());
        SetOuterColor(s.OuterColor());
        SetInnerStyle(s.InnerStyle());
        SetInnerOutline(s.InnerOutline());
        SetInnerWidth(s.InnerWidth());
        SetInnerShadow(s.InnerShadow());
        SetInnerHighlight(s.InnerHighlight());
        SetInnerSpace(s.InnerSpace());
        SetInnerColor(s.InnerColor());
        SetVisible(s.Visible());
      }))
    TPersistent::Assign(Source);
}

namespace {

void StyledFrame(TCanvas* Canvas, TRect& R, TInstBevelStyle Style, int Width, TColor Highlight, TColor Shadow) {
  if (Style == TInstBevelStyle::bsRaised)
    DrawFrame3D(Canvas, R, Highlight, Shadow, Width);
  else if (Style == TInstBevelStyle::bsLowered)
    DrawFrame3D(Canvas, R, Shadow, Highlight, Width);
}

}  // namespace

void TInstBevel::Paint(TCanvas* Canvas, TRect& R) {
  if (!FVisible) return;
  if (FBorderWidth > 0) DrawFrame3D(Canvas, R, FBorderColor, FBorderColor, FBorderWidth);
  if (FOuterOutline == osOuter) DrawFrame3D(Canvas, R, clBlack, clBlack, 1);
  StyledFrame(Canvas, R, FOuterStyle, FOuterWidth, FOuterHighlight, FOuterShadow);
  if (FOuterOutline == osInner) DrawFrame3D(Canvas, R, clBlack, clBlack, 1);
  DrawFrame3D(Canvas, R, FOuterColor, FOuterColor, FOuterSpace);
  if (FInnerOutline == osOuter) DrawFrame3D(Canvas, R, clBlack, clBlack, 1);
  StyledFrame(Canvas, R, FInnerStyle, FInnerWidth, FInnerHighlight, FInnerShadow);
  if (FInnerOutline == osInner) DrawFrame3D(Canvas, R, clBlack, clBlack, 1);
  DrawFrame3D(Canvas, R, FInnerColor, FInnerColor, FInnerSpace);
}

void TInstBevel::GetVisibleArea(TRect& R) const {
  if (!FVisible) return;
  int d = FBorderWidth + FInnerSpace + FOuterSpace;
  if (FOuterOutline != osNone) ++d;
  if (FInnerOutline != osNone) ++d;
  if (FInnerStyle != TInstBevelStyle::bsNone) d += FInnerWidth;
  if (FOuterStyle != TInstBevelStyle::bsNone) d += FOuterWidth;
  R.Left += d;
  R.Top += d;
  R.Right -= d;
  R.Bottom -= d;
}

// ---- TInstBitmaps

namespace {

const uint8_t kSignature[4] = {0x62, 0x54, 0x35, 0x00};
// A file header (14) and the smallest info header (12).
constexpr int64_t kMinBitmapBytes = 26;

uint32_t LittleEndian32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

int64_t Remaining(TStream* S) { return S->Size() - S->Position(); }

// Reads every bitmap of a list stream without touching any list.
std::vector<std::unique_ptr<TBitmap>> ReadBitmapList(TStream* S) {
  uint8_t head[8];
  if (Remaining(S) < 8 || S->Read(head, 8) != 8 || std::memcmp(head, kSignature, 4) != 0)
    throw Exception("Invalid file format");
  const int32_t count = static_cast<int32_t>(LittleEndian32(head + 4));
  if (count < 0 || int64_t(count) * kMinBitmapBytes > Remaining(S))
    throw Exception("Invalid bitmap count " + std::to_string(count));
  std::vector<std::unique_ptr<TBitmap>> out;
  out.reserve(count);
  for (int32_t i = 0; i < count; ++i) {
    const int64_t left = Remaining(S);
    uint8_t bh[6];
    if (left < 6 || S->Read(bh, 6) != 6) throw Exception("Bitmap " + std::to_string(i) + " is truncated");
    if (bh[0] != 'B' || bh[1] != 'M') throw Exception("Bitmap " + std::to_string(i) + " is not a bitmap");
    const int64_t size = LittleEndian32(bh + 2);
    if (size < kMinBitmapBytes) throw Exception("Bitmap " + std::to_string(i) + " is not a bitmap");
    if (size > left) throw Exception("Bitmap " + std::to_string(i) + " is truncated");
    std::string bytes(static_cast<size_t>(size), '\0');
    std::memcpy(bytes.data(), bh, 6);
    if (S->Read(bytes.data() + 6, static_cast<int>(size - 6)) != size - 6)
      throw Exception("Bitmap " + std::to_string(i) + " is truncated");
    TMemoryStream ms;
    ms.Write(bytes.data(), static_cast<int>(bytes.size()));
    ms.SetPosition(0);
    auto bmp = std::make_unique<TBitmap>();
    bmp->LoadFromStream(&ms);
    out.push_back(std::move(bmp));
  }
  return out;
}

}  // namespace

TInstBitmaps::~TInstBitmaps() {
  for (TBitmap* b : FItems) delete b;
}

int TInstBitmaps::Add(TBitmap* Bitmap) {
  auto copy = std::make_unique<TBitmap>();
  if (Bitmap) copy->Assign(Bitmap);
  FItems.push_back(copy.release());
  Changed();
  return Count() - 1;
}

void TInstBitmaps::Clear() {
  for (TBitmap* b : FItems) delete b;
  FItems.clear();
  Changed();
}

TBitmap* TInstBitmaps::Bitmaps(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FItems[Index];
}

void TInstBitmaps::Assign(TPersistent* Source) {
  if (!Source) {
    Clear();
    return;
  }
  auto* src = dynamic_cast<TInstBitmaps*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  if (src == this) return;
  BeginUpdate();
  Clear();
  for (TBitmap* b : src->FItems) Add(b);
  EndUpdate();
}

void TInstBitmaps::LoadFromStream(TStream* Stream) {
  auto read = ReadBitmapList(Stream);
  for (auto& b : read) {
    FItems.push_back(b.release());
    Changed();
  }
}

void TInstBitmaps::SaveToStream(TStream* Stream) const {
  uint8_t head[8];
  std::memcpy(head, kSignature, 4);
  const uint32_t n = static_cast<uint32_t>(FItems.size());
  for (int i = 0; i < 4; ++i) head[4 + i] = uint8_t(n >> (8 * i));
  Stream->WriteBuffer(head, 8);
  for (TBitmap* b : FItems) b->SaveToStream(Stream);
}

void TInstBitmaps::LoadFromFile(const std::string& FileName) {
  TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
  BeginUpdate();
  try {
    LoadFromStream(&f);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TInstBitmaps::SaveToFile(const std::string& FileName) const {
  TMemoryStream ms;
  SaveToStream(&ms);
  SaveFileAtomically(FileName, ms.Bytes());
}

void TInstBitmaps::ReadData(TStream* Stream) {
  BeginUpdate();
  try {
    Clear();
    LoadFromStream(Stream);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TInstBitmaps::WriteData(TStream* Stream) const { SaveToStream(Stream); }
