#pragma once
// Bevel, panel, image, splitter and scroll box.

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "platform/gui/Controls.h"

class QScrollArea;

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
using TPanelBevel = TBevelCut;
enum TResizeStyle { rsNone, rsLine, rsUpdate, rsPattern };

using TCanResizeEvent = std::function<void(TObject* Sender, int& NewSize, bool& Accept)>;

// Draws Width nested one-pixel frames, light on the top and left, dark on the
// bottom and right, and shrinks Rect by Width on each side.
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width);

class TBevel : public TGraphicControl {
 public:
  explicit TBevel(TComponent* AOwner);
  std::string ClassName() const override { return "TBevel"; }
  TBevelShape Shape() const { return shape_; }
  void SetShape(TBevelShape v);
  TBevelStyle Style() const { return style_; }
  void SetStyle(TBevelStyle v);

 protected:
  void Paint() override;

 private:
  TBevelShape shape_ = bsBox;
  TBevelStyle style_ = bsLowered;
};

class TCustomPanel : public TCustomControl {
 public:
  explicit TCustomPanel(TComponent* AOwner);
  std::string ClassName() const override { return "TCustomPanel"; }

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  TPanelBevel BevelInner() const { return bevelInner_; }
  void SetBevelInner(TPanelBevel v);
  TPanelBevel BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TPanelBevel v);
  int BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int v);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle v);
  bool FullRepaint() const { return fullRepaint_; }
  void SetFullRepaint(bool v) { fullRepaint_ = v; }
  // Inside the border, the bevels and BorderWidth.
  void AdjustClientRect(TRect& Rect) override;

 protected:
  void Paint() override;
  void CMTextChanged(TMessage& Message) override;
  void BordersChanged();

  TAlignment alignment_ = taCenter;
  TPanelBevel bevelInner_ = bvNone;
  TPanelBevel bevelOuter_ = bvRaised;
  int bevelWidth_ = 1;
  TBorderStyle borderStyle_ = bsNone;
  bool fullRepaint_ = true;
};

class TPanel : public TCustomPanel {
 public:
  explicit TPanel(TComponent* AOwner) : TCustomPanel(AOwner) {}
  std::string ClassName() const override { return "TPanel"; }
};

class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;
  std::string ClassName() const override { return "TImage"; }

  TPicture* Picture() const { return picture_.get(); }
  void SetPicture(TPicture* v) { picture_->Assign(v); }
  // The picture's bitmap canvas (an empty image gets a bitmap of the control's size);
  // raises EInvalidOperation when the picture is not a bitmap.
  TCanvas* Canvas();
  bool Stretch() const { return stretch_; }
  void SetStretch(bool v);
  bool Center() const { return center_; }
  void SetCenter(bool v);
  bool Proportional() const { return proportional_; }
  void SetProportional(bool v);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  void SetAutoSize(bool v) override;
  // Where the picture is drawn in the client area.
  TRect DestRect() const;

  TNotifyEvent OnProgress;

 protected:
  void Paint() override;
  void PictureChanged();

 private:
  std::unique_ptr<TPicture> picture_;
  bool stretch_ = false, center_ = false, proportional_ = false, transparent_ = false;
};

class TSplitter : public TGraphicControl {
 public:
  explicit TSplitter(TComponent* AOwner);
  std::string ClassName() const override { return "TSplitter"; }

  int MinSize() const { return minSize_; }
  void SetMinSize(int v) { minSize_ = std::max(1, v); }
  bool AutoSnap() const { return autoSnap_; }
  void SetAutoSnap(bool v) { autoSnap_ = v; }
  bool Beveled() const { return beveled_; }
  void SetBeveled(bool v);
  TResizeStyle ResizeStyle() const { return resizeStyle_; }
  void SetResizeStyle(TResizeStyle v) { resizeStyle_ = v; }

  TCanResizeEvent OnCanResize;
  TNotifyEvent OnMoved;

  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 protected:
  void Paint() override;
  // Keeps the sizing cursor in the splitter's direction.
  void BoundsChanged() override;
  // The control the splitter resizes: the one its aligned edge touches.
  TControl* FindResizeControl() const;
  void CalcSplitSize(int X, int Y, int& NewSize, int& Split) const;
  bool DoCanResize(int& NewSize);
  void UpdateControlSize();

 private:
  int minSize_ = 30;
  bool autoSnap_ = true;
  bool beveled_ = false;
  TResizeStyle resizeStyle_ = rsPattern;
  TControl* control_ = nullptr;
  TPoint downPos_;
  int maxSize_ = 0, newSize_ = 0, oldSize_ = -1, split_ = 0;
};

// A scroll bar of a scroll box: range and position in client pixels.
class TControlScrollBar : public TPersistent {
 public:
  std::string ClassName() const override { return "TControlScrollBar"; }
  int Position() const { return position_; }
  // Limited to 0..Range less the visible extent.
  void SetPosition(int v);
  int Range() const { return range_; }
  void SetRange(int v);
  int Increment = 8;
  bool Tracking = false;
  bool Visible() const { return visible_; }
  void SetVisible(bool v);

 private:
  friend class TScrollBox;
  std::function<void()> changed_;
  int position_ = 0, range_ = 0, view_ = 0;
  bool visible_ = true;
};

class TScrollBox : public TWinControl {
 public:
  explicit TScrollBox(TComponent* AOwner);
  ~TScrollBox() override;
  std::string ClassName() const override { return "TScrollBox"; }

  // The ranges follow the children at each look.
  TControlScrollBar* HorzScrollBar();
  TControlScrollBar* VertScrollBar();
  bool AutoScroll() const { return autoScroll_; }
  void SetAutoScroll(bool v);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle v);
  // Scrolls so that the control is in view.
  void ScrollInView(TControl* AControl);
  QWidget* ClientWidget() const override;
  void AlignControls(TControl* AControl) override;
  // Ranges follow the children (automatic scrolling) and the widget follows the positions.
  void UpdateScrollRange();

 protected:
  QWidget* CreatePeer(QWidget* ParentWidget) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  // A wheel no handler took scrolls the box (Shift: sideways); at the end it is left to the parent.
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
  void PushToPeer();
  // The visible extent inside the border.
  TSize ViewSize() const;

 private:
  std::unique_ptr<TControlScrollBar> horz_, vert_;
  bool autoScroll_ = true;
  TBorderStyle borderStyle_ = bsSingle;
  QWidget* inner_ = nullptr;
  bool pushing_ = false;
};

// ---------------------------------------------------------------- shape
enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

// A rectangle, square, rounded rectangle or square, ellipse or circle drawn with
// its own pen and brush; a change of either repaints it.
class TShape : public TGraphicControl {
 public:
  explicit TShape(TComponent* AOwner);
  ~TShape() override;
  std::string ClassName() const override { return "TShape"; }

  TShapeType Shape() const { return shape_; }
  void SetShape(TShapeType v);
  TPen* Pen() const { return pen_.get(); }
  void SetPen(TPen* v) { pen_->Assign(v); }
  TBrush* Brush() const { return brush_.get(); }
  void SetBrush(TBrush* v) { brush_->Assign(v); }

 protected:
  void Paint() override;

 private:
  TShapeType shape_ = stRectangle;
  std::unique_ptr<TPen> pen_;
  std::unique_ptr<TBrush> brush_;
};
