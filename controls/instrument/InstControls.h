#pragma once
// Bases of the instrument controls: components with change links, and
// windowed and windowless controls that paint through an offscreen bitmap
// copied to the screen in one step.

#include <memory>
#include <string>
#include <vector>

#include "controls/instrument/InstClasses.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Graphics.h"
#include "platform/rtl/Classes.h"

inline constexpr const char* kInstVersion = "1.3";

class TInstComponent : public TComponent {
 public:
  explicit TInstComponent(TComponent* AOwner);
  std::string ClassName() const override { return "TInstComponent"; }
  std::string Version() const { return FVersion; }
  void SetVersion(const std::string& V) { FVersion = V; }

 private:
  std::string FVersion = kInstVersion;
};

class TInstSharedComponent;

// Stores Value into Field when it differs and repaints Control.
template <class T>
void InstStore(TControl* Control, T& Field, const T& Value) {
  if (Field == Value) return;
  Field = Value;
  Control->Invalidate();
}

// A listener registered with a shared component.
class TInstChangeLink : public TObject {
 public:
  TInstChangeLink() = default;
  ~TInstChangeLink() override;
  TInstChangeLink(const TInstChangeLink&) = delete;
  TInstChangeLink& operator=(const TInstChangeLink&) = delete;
  std::string ClassName() const override { return "TInstChangeLink"; }

  TNotifyEvent OnChange;
  // The component the link is registered with, or nullptr.
  TInstSharedComponent* Sender() const { return FSender; }
  void Change();

 private:
  friend class TInstSharedComponent;

  TInstSharedComponent* FSender = nullptr;
};

class TInstSharedComponent : public TInstComponent {
 public:
  explicit TInstSharedComponent(TComponent* AOwner) : TInstComponent(AOwner) {}
  ~TInstSharedComponent() override;
  std::string ClassName() const override { return "TInstSharedComponent"; }

  void InsertLink(TInstChangeLink* Link);
  void RemoveLink(TInstChangeLink* Link);
  int LinkCount() const { return static_cast<int>(FLinks.size()); }

 protected:
  // Calls every registered link's OnChange.
  void NotifyLinks();

 private:
  std::vector<TInstChangeLink*> FLinks;
};

// What the windowed and windowless bases share: the version, repaint unless
// loading, and the notifications they turn into overridable operations.
template <class Base>
class TInstNotifying : public Base {
 public:
  explicit TInstNotifying(TComponent* AOwner) : Base(AOwner) {}
  std::string Version() const { return FVersion; }
  void SetVersion(const std::string& V) { FVersion = V; }

  // OnMouseEnter and OnMouseLeave are the control's own events.
  TNotifyEvent OnFontChanged, OnTextChanged;

  // Repaints unless the control is loading.
  virtual void UpdateControl() {
    if (!(this->ComponentState() & csLoading)) this->Invalidate();
  }
  virtual void MouseEnter() {
    if (this->OnMouseEnter) this->OnMouseEnter(this);
  }
  virtual void MouseLeave() {
    if (this->OnMouseLeave) this->OnMouseLeave(this);
  }
  virtual void FontChanged() {
    if (OnFontChanged) OnFontChanged(this);
  }
  virtual void TextChanged() {
    if (OnTextChanged) OnTextChanged(this);
  }

 protected:
  // The inherited enter and leave handling only fires the events, which
  // MouseEnter and MouseLeave fire themselves once their state is set.
  void CMMouseEnter(TMessage&) override { MouseEnter(); }
  void CMMouseLeave(TMessage&) override { MouseLeave(); }
  void CMFontChanged(TMessage& Message) override {
    Base::CMFontChanged(Message);
    FontChanged();
  }
  void CMTextChanged(TMessage& Message) override {
    Base::CMTextChanged(Message);
    TextChanged();
  }

 private:
  std::string FVersion = kInstVersion;
};

class TInstCustomControl : public TInstNotifying<TCustomControl> {
 public:
  // A click gives the focus only where a control's own press handling takes it (with TabStop).
  explicit TInstCustomControl(TComponent* AOwner) : TInstNotifying<TCustomControl>(AOwner) { SetClickFocus(false); }
  std::string ClassName() const override { return "TInstCustomControl"; }
};

class TInstCustomImageControl : public TInstCustomControl {
 public:
  explicit TInstCustomImageControl(TComponent* AOwner);
  ~TInstCustomImageControl() override;
  std::string ClassName() const override { return "TInstCustomImageControl"; }

  // The offscreen bitmap and its canvas; descendants draw here.
  TBitmap* OffscreenBitmap() const { return FBitmap.get(); }
  TCanvas* BitmapCanvas() const;

 protected:
  // Sizes the offscreen bitmap to the control and fills it with Color.
  virtual void ClearBitmapCanvas();
  // Copies the offscreen bitmap to the control in one step.
  void Paint() override;

 private:
  std::unique_ptr<TBitmap> FBitmap;
};

class TInstGraphicControl : public TInstNotifying<TGraphicControl> {
 public:
  explicit TInstGraphicControl(TComponent* AOwner) : TInstNotifying<TGraphicControl>(AOwner) {}
  std::string ClassName() const override { return "TInstGraphicControl"; }

  // With AutoSize (and Align not alClient) the bounds are applied again so
  // the automatic size takes effect; repaints only when they stayed the same.
  virtual void AdjustBounds();
  virtual void UpdateBounds();
};

class TInstGraphicImageControl : public TInstGraphicControl {
 public:
  explicit TInstGraphicImageControl(TComponent* AOwner);
  ~TInstGraphicImageControl() override;
  std::string ClassName() const override { return "TInstGraphicImageControl"; }

  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool V);
  void UpdateControl() override;

  TBitmap* OffscreenBitmap() const { return FBitmap.get(); }
  TCanvas* BitmapCanvas() const;

 protected:
  // Transparent: the captured background; else a fill with Color.
  virtual void ClearBitmapCanvas();
  void Paint() override;
  // Copies what lies under the control into the background bitmap; where
  // the screen cannot give its pixels back, BackgroundColor stands in.
  void CaptureBackground();
  TColor BackgroundColor() const;

 private:
  std::unique_ptr<TBitmap> FBitmap;
  std::unique_ptr<TBitmap> FBackground;
  bool FTransparent = false;
  bool FNeedCapture = true;
};
