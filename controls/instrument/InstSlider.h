#pragma once
// A bar of LED-like ticks with a thumb: ticks from the minimum end up to the
// thumb are lit.

#include <cstdint>
#include <memory>
#include <string>

#include "controls/instrument/InstClasses.h"
#include "controls/instrument/InstControls.h"
#include "controls/instrument/InstSystem.h"

enum TInstSliderStyle { ssBottomLeft, ssTopRight };
enum TInstSliderOption : unsigned { soActiveClick = 1, soMouseClip = 2, soHandPoint = 4, soThumbOpaque = 8 };
using TInstSliderOptions = unsigned;
// Thumb images side by side in the thumb bitmap, 1 to 4.
using TInstNumGlyphs = int;

class TInstSlider : public TInstCustomImageControl {
 public:
  explicit TInstSlider(TComponent* AOwner);
  ~TInstSlider() override;
  std::string ClassName() const override { return "TInstSlider"; }

  int MinValue() const { return FMinValue; }
  void SetMinValue(int V);
  int MaxValue() const { return FMaxValue; }
  void SetMaxValue(int V);
  int Position() const { return FPosition; }
  void SetPosition(int V);
  TInstOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TInstOrientation V);
  TInstSliderStyle Style() const { return FStyle; }
  void SetStyle(TInstSliderStyle V);
  int TickWidth() const { return FTickWidth; }
  void SetTickWidth(int V);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int V);
  bool SolidFill() const { return FSolidFill; }
  void SetSolidFill(bool V);
  TInstSliderOptions Options() const { return FOptions; }
  void SetOptions(TInstSliderOptions V);
  int KeyIncrement() const { return FKeyIncrement; }
  void SetKeyIncrement(int V) { FKeyIncrement = V; }
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int V);
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor V);
  TColor FocusColor() const { return FFocusColor; }
  void SetFocusColor(TColor V);
  TInstBevel* Bevel() const { return FBevel.get(); }
  void SetBevel(TInstBevel* V) { FBevel->Assign(V); }
  TInstPalette* Palette() const { return FPalette.get(); }
  void SetPalette(TInstPalette* V) { FPalette->Assign(V); }
  int ThumbImageIndex() const { return FThumbImageIndex; }
  void SetThumbImageIndex(int V);
  TInstBitmapList* BitmapList() const { return FBitmapList; }
  void SetBitmapList(TInstBitmapList* V);
  TInstNumGlyphs ThumbStates() const { return FThumbStates; }
  void SetThumbStates(TInstNumGlyphs V);
  int ThumbIndent() const { return FThumbIndent; }
  void SetThumbIndent(int V);

  TNotifyEvent OnChange;

  // Geometry, in client pixels. The thumb's top (vertical) or left
  // (horizontal) for a position, and the position for such a pixel.
  int PositionToPixel(int Pos) const;
  int PixelToPosition(int Pixel) const;
  // Moves the thumb to a pixel of its travel and sets Position from it.
  void MoveThumbTo(int Pixel);
  TRect TravelRect() const;
  int TravelOffset() const;
  int TravelLength() const;
  TRect ThumbRect() const;
  // The thumb bitmap in use (all its cells).
  TBitmap* ThumbBitmap() const { return FThumb.get(); }
  int ThumbWidth() const { return FThumbWidth; }
  int ThumbHeight() const { return FThumbHeight; }
  // The thumb cell the last paint drew (0..3).
  int PaintedThumbState() const { return FPaintedThumbState; }
  bool Dragging() const { return FDragging; }
  bool Hovering() const { return FHovering; }
  // The unlit and lit track images.
  TBitmap* LowImage() const { return FLowImage.get(); }
  TBitmap* HighImage() const { return FHighImage.get(); }

  void Notification(TComponent* AComponent, TOperation Operation) override;

  // Input entry points (also driven by tests).
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  // While the hand shows over the thumb, a cursor set here is kept for afterwards.
  void SetCursor(TCursor V) override;
  void MouseLeave() override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Loaded() override;
  void Paint() override;
  void WMGetDlgCode(TMessage& Message) override;
  void DoEnter() override;
  void DoExit() override;
  void CMEnabledChanged(TMessage& Message) override;
  void CMColorChanged(TMessage& Message) override;
  void CMSysColorChange(TMessage& Message) override;
  void Resize() override;

 private:
  // Sets Position from a value computed in 64 bits, clamped to the range first.
  void SetPositionClamped(int64_t V);
  void LoadThumb();
  void BuildTrackImages();
  void PlaceThumbAcross();
  void UpdateCursor(bool OverThumb);
  void ShowHand(bool Show);
  void Rebuild() {
    BuildTrackImages();
    Invalidate();
  }
  bool Loading() const { return ComponentState() & csLoading; }

  int FMinValue = 0, FMaxValue = 100, FPosition = 0;
  TInstOrientation FOrientation = voVertical;
  TInstSliderStyle FStyle = ssBottomLeft;
  int FTickWidth = 1, FSpacing = 1;
  bool FSolidFill = true;
  TInstSliderOptions FOptions = soHandPoint | soThumbOpaque;
  int FKeyIncrement = 5;
  int FBorderWidth = 1;
  TColor FBorderColor = clBtnFace, FFocusColor = clBlue;
  std::unique_ptr<TInstBevel> FBevel;
  std::unique_ptr<TInstPalette> FPalette;
  int FThumbImageIndex = -1;
  TInstBitmapList* FBitmapList = nullptr;
  std::unique_ptr<TInstChangeLink> FChangeLink;
  TInstNumGlyphs FThumbStates = 1;
  int FThumbIndent = 2;

  std::unique_ptr<TBitmap> FThumb, FLowImage, FHighImage;
  int FThumbWidth = 0, FThumbHeight = 0;
  int FThumbAcross = 0;  // left (vertical) or top (horizontal) of the thumb
  bool FFocused = false, FDragging = false, FHovering = false, FClipped = false;
  int FDragOffset = 0;
  int FPaintedThumbState = 0;
  int FSavedCursor = 0;
  bool FCursorSet = false;
};
