#include "controls/instrument/InstSlider.h"

#include "controls/instrument/InstSysUtils.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/SysUtils.h"

TInstSlider::TInstSlider(TComponent* AOwner)
    : TInstCustomImageControl(AOwner),
      FBevel(std::make_unique<TInstBevel>()),
      FPalette(std::make_unique<TInstPalette>()),
      FChangeLink(std::make_unique<TInstChangeLink>()),
      FThumb(std::make_unique<TBitmap>()),
      FLowImage(std::make_unique<TBitmap>()),
      FHighImage(std::make_unique<TBitmap>()) {
  SetControlStyle(ControlStyle() | csOpaque);
  SetBounds(0, 0, 36, 171);
  SetColor(clBlack);
  SetParentColor(false);
  SetTabStop(false);
  FBevel->SetInnerStyle(TInstBevelStyle::bsLowered);
  FBevel->SetInnerWidth(2);
  FBevel->SetInnerColor(clBlack);
  FBevel->OnChange = [this](TObject*) { Rebuild(); };
  FPalette->OnChange = [this](TObject*) { Rebuild(); };
  FChangeLink->OnChange = [this](TObject*) {
    LoadThumb();
    Invalidate();
  };
  LoadThumb();
  BuildTrackImages();
  InstInstallHandCursor();
}

TInstSlider::~TInstSlider() {
  if (FBitmapList) {
    FBitmapList->RemoveLink(FChangeLink.get());
    FBitmapList->RemoveFreeNotification(this);
    FBitmapList = nullptr;
  }
  FBevel->OnChange = nullptr;
  FPalette->OnChange = nullptr;
}

// ---- properties

void TInstSlider::SetPosition(int V) {
  if (V > FMaxValue) V = FMaxValue;
  if (V < FMinValue) V = FMinValue;
  if (V == FPosition) return;
  FPosition = V;
  Invalidate();
  if (OnChange) OnChange(this);
}

void TInstSlider::SetPositionClamped(int64_t V) {
  if (V > FMaxValue) V = FMaxValue;
  if (V < FMinValue) V = FMinValue;
  SetPosition(static_cast<int>(V));
}

void TInstSlider::SetMinValue(int V) {
  if (V == FMinValue) return;
  FMinValue = V;
  if (FMinValue > FPosition)
    SetPosition(FMinValue);
  else
    Invalidate();
}

void TInstSlider::SetMaxValue(int V) {
  if (V == FMaxValue) return;
  FMaxValue = V;
  if (FMaxValue < FPosition)
    SetPosition(FMaxValue);
  else
    Invalidate();
}

void TInstSlider::SetOrientation(TInstOrientation V) {
  if (V == FOrientation) return;
  FOrientation = V;
  if (Width() == Height())
    BuildTrackImages();
  else
    SetBounds(Left(), Top(), Height(), Width());
  LoadThumb();
  Invalidate();
}

void TInstSlider::SetStyle(TInstSliderStyle V) {
  if (V == FStyle) return;
  FStyle = V;
  Rebuild();
}

void TInstSlider::SetTickWidth(int V) {
  if (V < 1 || V == FTickWidth) return;
  FTickWidth = V;
  Rebuild();
}

void TInstSlider::SetSpacing(int V) {
  if (V < 0 || V == FSpacing) return;
  FSpacing = V;
  Rebuild();
}

void TInstSlider::SetSolidFill(bool V) {
  if (V == FSolidFill) return;
  FSolidFill = V;
  Rebuild();
}

void TInstSlider::SetBorderWidth(int V) {
  if (V < 0 || V == FBorderWidth) return;
  FBorderWidth = V;
  Rebuild();
  PlaceThumbAcross();
}

void TInstSlider::SetOptions(TInstSliderOptions V) {
  if (V == FOptions) return;
  FOptions = V;
  if (!(V & soHandPoint)) ShowHand(false);
  Invalidate();
}

void TInstSlider::SetBorderColor(TColor V) {
  if (V == FBorderColor) return;
  FBorderColor = V;
  Invalidate();
}

void TInstSlider::SetFocusColor(TColor V) {
  if (V == FFocusColor) return;
  FFocusColor = V;
  Invalidate();
}

void TInstSlider::SetThumbIndent(int V) {
  if (V < 0 || V == FThumbIndent) return;
  FThumbIndent = V;
  Invalidate();
}

void TInstSlider::SetThumbImageIndex(int V) {
  if (V == FThumbImageIndex) return;
  FThumbImageIndex = V;
  LoadThumb();
  Invalidate();
}

void TInstSlider::SetThumbStates(TInstNumGlyphs V) {
  if (V < 1) V = 1;
  if (V > 4) V = 4;
  if (V == FThumbStates) return;
  FThumbStates = V;
  LoadThumb();
  Invalidate();
}

void TInstSlider::SetBitmapList(TInstBitmapList* V) {
  if (V == FBitmapList) return;
  if (FBitmapList) {
    FBitmapList->RemoveLink(FChangeLink.get());
    FBitmapList->RemoveFreeNotification(this);
  }
  FBitmapList = V;
  if (FBitmapList) {
    FBitmapList->InsertLink(FChangeLink.get());
    FBitmapList->FreeNotification(this);
  }
  LoadThumb();
  Invalidate();
}

void TInstSlider::Notification(TComponent* AComponent, TOperation Operation) {
  TInstCustomImageControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FBitmapList) {
    // The list has already dropped every link of its own accord.
    FBitmapList = nullptr;
    LoadThumb();
    Invalidate();
  }
}

void TInstSlider::Loaded() {
  TInstCustomImageControl::Loaded();
  LoadThumb();
  BuildTrackImages();
}

// ---- geometry

TRect TInstSlider::TravelRect() const {
  TRect t = ClientRect();
  InflateRect(t, -(FBorderWidth + FThumbIndent), -(FBorderWidth + FThumbIndent));
  return t;
}

int TInstSlider::TravelOffset() const {
  const TRect t = TravelRect();
  return MaxInt(FOrientation == voHorizontal ? t.Left : t.Top, 0);
}

int TInstSlider::TravelLength() const {
  const TRect t = TravelRect();
  return FOrientation == voHorizontal ? t.Width() - FThumbWidth : t.Height() - FThumbHeight;
}

int TInstSlider::PositionToPixel(int Pos) const {
  const TRect t = TravelRect();
  // In 64 bits: the range of two ints does not fit one.
  const int64_t range = int64_t(FMaxValue) - FMinValue;
  // An empty range puts the thumb at the minimum end.
  const int step =
      range <= 0 ? 0 : static_cast<int>(Round(double(TravelLength()) * double(int64_t(Pos) - FMinValue) / double(range)));
  const int p = step + TravelOffset();
  if (FOrientation == voVertical && FStyle == ssBottomLeft) return t.Top + t.Bottom - p - FThumbHeight;
  if (FOrientation == voHorizontal && FStyle == ssTopRight) return t.Left + t.Right - p - FThumbWidth;
  return p;
}

int TInstSlider::PixelToPosition(int Pixel) const {
  const int len = TravelLength();
  // No travel: every pixel is the minimum.
  if (len <= 0) return FMinValue;
  const int64_t q = FOrientation == voVertical ? int64_t(Height()) - Pixel - FThumbHeight : int64_t(Pixel);
  const int64_t steps = Round(double(q - TravelOffset()) * (double(FMaxValue) - FMinValue) / len);
  const int64_t pos = (steps < 0 ? 0 : steps) + FMinValue;
  return static_cast<int>(pos > FMaxValue ? FMaxValue : pos);
}

void TInstSlider::MoveThumbTo(int Pixel) {
  const int offset = TravelOffset();
  const int len = MaxInt(TravelLength(), 0);
  if (Pixel < offset) Pixel = offset;
  if (Pixel > offset + len) Pixel = offset + len;
  int64_t pos = PixelToPosition(Pixel);
  if (FStyle == ssTopRight) pos = int64_t(FMinValue) + FMaxValue - pos;
  SetPositionClamped(pos);
}

TRect TInstSlider::ThumbRect() const {
  const int p = PositionToPixel(FPosition);
  if (FOrientation == voVertical) return Bounds(FThumbAcross, p, FThumbWidth, FThumbHeight);
  return Bounds(p, FThumbAcross, FThumbWidth, FThumbHeight);
}

void TInstSlider::PlaceThumbAcross() {
  FThumbAcross = FOrientation == voVertical ? (Width() - FThumbWidth) / 2 : (Height() - FThumbHeight) / 2;
}

// ---- images

void TInstSlider::LoadThumb() {
  TBitmap* src = FBitmapList ? FBitmapList->GetBitmap(FThumbImageIndex) : nullptr;
  if (src && !src->Empty()) {
    FThumb->Assign(src);
  } else {
    InstLoadResourceBitmap(FOrientation == voVertical ? "INSTSLIDERTHUMB_HORI" : "INSTSLIDERTHUMB_VERT",
                           FThumb.get());
  }
  FThumbHeight = FThumb->Height();
  FThumbWidth = FThumb->Width() / FThumbStates;
  PlaceThumbAcross();
}

namespace {

void FillTick(TCanvas* C, const TRect& R, TColor Tick, TColor Back, bool Solid) {
  if (Solid) {
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Tick);
    C->FillRect(R);
    return;
  }
  // 50 % checkerboard anchored at the image's origin.
  for (int y = MaxInt(R.Top, 0); y < R.Bottom; ++y)
    for (int x = MaxInt(R.Left, 0); x < R.Right; ++x) C->SetPixels(x, y, ((x & 1) == (y & 1)) ? Tick : Back);
}

}  // namespace

void TInstSlider::BuildTrackImages() {
  if (Loading()) return;
  TRect a = ClientRect();
  InflateRect(a, -FBorderWidth, -FBorderWidth);
  FBevel->GetVisibleArea(a);
  const int w = MaxInt(a.Width(), 0);
  const int h = MaxInt(a.Height(), 0);
  const int step = FTickWidth + FSpacing;
  for (int i = 0; i < 2; ++i) {
    TBitmap* img = i == 0 ? FLowImage.get() : FHighImage.get();
    const TColor tick = i == 0 ? FPalette->Low() : FPalette->High();
    img->SetSize(w, h);
    if (w == 0 || h == 0) continue;
    TCanvas* c = img->Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(Rect(0, 0, w, h));
    if (FOrientation == voVertical) {
      if (FStyle == ssBottomLeft)
        for (int y = h - FTickWidth; y + FTickWidth > 0; y -= step)
          FillTick(c, Rect(0, y, w, y + FTickWidth), tick, Color(), FSolidFill);
      else
        for (int y = 0; y < h; y += step) FillTick(c, Rect(0, y, w, y + FTickWidth), tick, Color(), FSolidFill);
    } else {
      if (FStyle == ssBottomLeft)
        for (int x = 0; x < w; x += step) FillTick(c, Rect(x, 0, x + FTickWidth, h), tick, Color(), FSolidFill);
      else
        for (int x = w - FTickWidth; x + FTickWidth > 0; x -= step)
          FillTick(c, Rect(x, 0, x + FTickWidth, h), tick, Color(), FSolidFill);
    }
  }
}

// ---- painting

void TInstSlider::Paint() {
  ClearBitmapCanvas();
  TCanvas* c = BitmapCanvas();
  TRect r = ClientRect();
  if (FBorderWidth > 0) {
    const TColor frame = FFocused ? FFocusColor : FBorderColor;
    DrawFrame3D(c, r, frame, frame, FBorderWidth);
  }
  FBevel->Paint(c, r);
  if (!FLowImage->Empty()) c->Draw(r.Left, r.Top, FLowImage.get());

  const TRect thumb = ThumbRect();
  TRect lit = r;
  if (FOrientation == voVertical) {
    const int centre = thumb.Top + FThumbHeight / 2;
    if (FStyle == ssBottomLeft)
      lit.Top = MaxInt(centre, r.Top);
    else
      lit.Bottom = MinInt(centre, r.Bottom);
  } else {
    const int centre = thumb.Left + FThumbWidth / 2;
    if (FStyle == ssBottomLeft)
      lit.Right = MinInt(centre, r.Right);
    else
      lit.Left = MaxInt(centre, r.Left);
  }
  if (!FHighImage->Empty() && !IsRectEmpty(lit)) {
    const TRect src = Rect(lit.Left - r.Left, lit.Top - r.Top, lit.Right - r.Left, lit.Bottom - r.Top);
    c->CopyRect(lit, FHighImage->Canvas(), src);
  }

  int state = 0;
  if (FHovering && !FDragging)
    state = 3;
  else if (FDragging)
    state = 2;
  else if (!Enabled())
    state = 1;
  if (state > FThumbStates - 1) state = 0;
  FPaintedThumbState = state;
  if (FThumbWidth > 0 && FThumbHeight > 0) {
    const TRect src = Bounds(state * FThumbWidth, 0, FThumbWidth, FThumbHeight);
    const TColor key = FThumb->TransparentColor();
    if (FOptions & soThumbOpaque) {
      c->Brush()->SetStyle(bsSolid);
      c->Brush()->SetColor(key);  // the key colour stays: the thumb is drawn whole
    } else {
      c->Brush()->SetStyle(bsClear);  // the track shows through
    }
    c->BrushCopy(thumb, FThumb.get(), src, key);
  }
  TInstCustomImageControl::Paint();
}

// ---- mouse and keys

void TInstSlider::UpdateCursor(bool OverThumb) {
  // The hand stays for the whole of a drag.
  if (FDragging) return;
  ShowHand(OverThumb && (FOptions & soHandPoint) && !(ComponentState() & csDesigning));
}

void TInstSlider::ShowHand(bool Show) {
  if (Show == FCursorSet) return;
  FCursorSet = Show;
  if (Show) {
    FSavedCursor = Cursor();
    TInstCustomImageControl::SetCursor(crInstHandPoint);
  } else {
    TInstCustomImageControl::SetCursor(FSavedCursor);
  }
}

void TInstSlider::SetCursor(TCursor V) {
  // While the hand shows, the program's cursor waits for the mouse to leave the thumb.
  if (FCursorSet)
    FSavedCursor = V;
  else
    TInstCustomImageControl::SetCursor(V);
}

void TInstSlider::MouseLeave() {
  if (!FDragging) ShowHand(false);
  TInstCustomImageControl::MouseLeave();
}

void TInstSlider::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TInstCustomImageControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  if (TabStop() && CanFocus()) SetFocus();
  const TRect thumb = ThumbRect();
  if (PtInRect(thumb, Point(X, Y))) {
    FDragging = true;
    FDragOffset = FOrientation == voVertical ? Y - thumb.Top : X - thumb.Left;
    if (FOptions & soMouseClip) FClipped = true;
    Invalidate();
  } else if (FOptions & soActiveClick) {
    MoveThumbTo(FOrientation == voVertical ? Y - FThumbHeight / 2 : X - FThumbWidth / 2);
  }
}

void TInstSlider::MouseMove(TShiftState Shift, int X, int Y) {
  if (FClipped) {
    const int cx = MaxInt(0, MinInt(X, ClientWidth() - 1));
    const int cy = MaxInt(0, MinInt(Y, ClientHeight() - 1));
    // The pointer is held inside the client area until release: put back where it left.
    if (cx != X || cy != Y) Mouse_SetCursorPos(ClientToScreen(Point(cx, cy)));
    X = cx;
    Y = cy;
  }
  if (FDragging) {
    MoveThumbTo((FOrientation == voVertical ? Y : X) - FDragOffset);
  } else {
    const bool over = PtInRect(ThumbRect(), Point(X, Y));
    if (over != FHovering) {
      FHovering = over;
      Invalidate();
    }
  }
  UpdateCursor(PtInRect(ThumbRect(), Point(X, Y)));
  TInstCustomImageControl::MouseMove(Shift, X, Y);
}

void TInstSlider::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FDragging) {
    FDragging = false;
    Invalidate();
    UpdateCursor(PtInRect(ThumbRect(), Point(X, Y)));
  }
  FClipped = false;
  TInstCustomImageControl::MouseUp(Button, Shift, X, Y);
}

void TInstSlider::Dispatch(TMessage& Message) {
  // A thumb drag taken over (a drag of the control starts) ends as at button up.
  if (Message.Msg == WM_CANCELMODE) {
    if (FDragging) {
      FDragging = false;
      Invalidate();
      UpdateCursor(PtInRect(ThumbRect(), ScreenToClient(Mouse_CursorPos())));
    }
    FClipped = false;
  }
  TInstCustomImageControl::Dispatch(Message);
}

void TInstSlider::WMGetDlgCode(TMessage& Message) {
  TInstCustomImageControl::WMGetDlgCode(Message);
  Message.Result |= DLGC_WANTARROWS;
}

void TInstSlider::KeyDown(uint16_t& Key, TShiftState Shift) {
  if (Shift == 0) {
    const int64_t step = (FStyle == ssTopRight ? -1 : 1) * int64_t(FKeyIncrement);
    const int64_t pos = FPosition;
    const bool vertical = FOrientation == voVertical;
    switch (Key) {
      case VK_HOME:
        SetPosition(FMinValue);
        break;
      case VK_END:
        SetPosition(FMaxValue);
        break;
      case VK_UP:
        if (vertical) SetPositionClamped(pos + step);
        break;
      case VK_DOWN:
        if (vertical) SetPositionClamped(pos - step);
        break;
      case VK_RIGHT:
        if (!vertical) SetPositionClamped(pos + step);
        break;
      case VK_LEFT:
        if (!vertical) SetPositionClamped(pos - step);
        break;
      default:
        break;
    }
  }
  TInstCustomImageControl::KeyDown(Key, Shift);
}

void TInstSlider::DoEnter() {
  TInstCustomImageControl::DoEnter();
  if (!FFocused) {
    FFocused = true;
    Invalidate();
  }
}

void TInstSlider::DoExit() {
  TInstCustomImageControl::DoExit();
  if (FFocused) {
    FFocused = false;
    Invalidate();
  }
}

void TInstSlider::CMEnabledChanged(TMessage& Message) {
  TInstCustomImageControl::CMEnabledChanged(Message);
  Invalidate();
}

void TInstSlider::CMColorChanged(TMessage& Message) {
  TInstCustomImageControl::CMColorChanged(Message);
  Rebuild();
}

void TInstSlider::CMSysColorChange(TMessage& Message) {
  BuildTrackImages();  // the ticks and the ground may be system colours
  TInstCustomImageControl::CMSysColorChange(Message);
}

void TInstSlider::Resize() {
  TInstCustomImageControl::Resize();
  BuildTrackImages();
  PlaceThumbAcross();
  Invalidate();
}
