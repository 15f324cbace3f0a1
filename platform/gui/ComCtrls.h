#pragma once
// Up-down arrows, track bar, progress bar and gauge.

#include <functional>
#include <string>
#include <vector>

#include "platform/gui/Controls.h"

class TTimer;

enum TUDAlignButton { udLeft, udRight };
enum TUDOrientation { udHorizontal, udVertical };
enum TUDBtnType { btNext, btPrev };
enum TUpDownDirection { updNone, updUp, updDown };
using TUDClickEvent = std::function<void(TObject* Sender, TUDBtnType Button)>;
using TUDChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;
using TUDChangingEventEx =
    std::function<void(TObject* Sender, bool& AllowChange, int NewValue, TUpDownDirection Direction)>;

// A pair of arrows that steps Position between Min and Max; with an associate
// control, the associate shows the position and its arrow keys step it.
class TCustomUpDown : public TCustomControl {
 public:
  explicit TCustomUpDown(TComponent* AOwner);
  ~TCustomUpDown() override;
  std::string ClassName() const override { return "TCustomUpDown"; }

  TWinControl* Associate() const { return associate_; }
  void SetAssociate(TWinControl* v);
  TUDAlignButton AlignButton() const { return alignButton_; }
  void SetAlignButton(TUDAlignButton v);
  int Min() const { return min_; }
  void SetMin(int v);
  int Max() const { return max_; }
  void SetMax(int v);
  int Increment() const { return increment_; }
  void SetIncrement(int v) { increment_ = v; }
  // Reads the associate's number first when it holds one.
  int Position() const;
  void SetPosition(int v);
  TUDOrientation Orientation() const { return orientation_; }
  void SetOrientation(TUDOrientation v);
  bool Wrap() const { return wrap_; }
  void SetWrap(bool v) { wrap_ = v; }
  bool ArrowKeys() const { return arrowKeys_; }
  void SetArrowKeys(bool v) { arrowKeys_ = v; }
  bool Thousands() const { return thousands_; }
  void SetThousands(bool v);

  // The arrows' own click event (the control's OnClick of other controls).
  TUDClickEvent OnClick;
  TUDChangingEvent OnChanging;
  TUDChangingEventEx OnChangingEx;

  // One step as a press on an arrow makes it: asks OnChanging, moves, fires OnClick.
  void Step(TUDBtnType Button);
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  void Paint() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void WMGetDlgCode(TMessage& Message) override;
  void BoundsChanged() override;
  void UpdateAssociate();
  void PlaceNextToAssociate();
  std::string FormatPosition(int v) const;
  void Unhook();

 private:
  TWinControl* associate_ = nullptr;
  std::function<void(TMessage&)> oldWindowProc_;
  TUDAlignButton alignButton_ = udRight;
  int min_ = 0, max_ = 100, increment_ = 1;
  mutable int position_ = 0;
  TUDOrientation orientation_ = udVertical;
  bool wrap_ = false, arrowKeys_ = true, thousands_ = true;
  int pressed_ = -1;  // 0 next, 1 previous
  TTimer* timer_ = nullptr;
};

class TUpDown : public TCustomUpDown {
 public:
  explicit TUpDown(TComponent* AOwner) : TCustomUpDown(AOwner) {}
  std::string ClassName() const override { return "TUpDown"; }
};

enum TTrackBarOrientation { trHorizontal, trVertical };
enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };
enum TTickStyle { tsNone, tsAuto, tsManual };

class TTrackBar : public TWinControl {
 public:
  explicit TTrackBar(TComponent* AOwner);
  std::string ClassName() const override { return "TTrackBar"; }

  int Min() const { return min_; }
  void SetMin(int v);
  int Max() const { return max_; }
  void SetMax(int v);
  int Position() const { return position_; }
  // Limited to Min..Max; a change fires OnChange.
  void SetPosition(int v);
  TTrackBarOrientation Orientation() const { return orientation_; }
  void SetOrientation(TTrackBarOrientation v);
  int Frequency() const { return frequency_; }
  void SetFrequency(int v);
  TTickStyle TickStyle() const { return tickStyle_; }
  void SetTickStyle(TTickStyle v);
  TTickMark TickMarks() const { return tickMarks_; }
  void SetTickMarks(TTickMark v);
  int LineSize() const { return lineSize_; }
  void SetLineSize(int v);
  int PageSize() const { return pageSize_; }
  void SetPageSize(int v);

  TNotifyEvent OnChange;

 protected:
  QWidget* CreatePeer(QWidget* ParentWidget) override;
  void CreateWnd() override;
  virtual void Changed();
  void PushToPeer();

 private:
  int min_ = 0, max_ = 10, position_ = 0, frequency_ = 1, lineSize_ = 1, pageSize_ = 2;
  TTrackBarOrientation orientation_ = trHorizontal;
  TTickStyle tickStyle_ = tsAuto;
  TTickMark tickMarks_ = tmBottomRight;
  bool pushing_ = false;
};

enum TProgressBarOrientation { pbHorizontal, pbVertical };

class TProgressBar : public TCustomControl {
 public:
  explicit TProgressBar(TComponent* AOwner);
  std::string ClassName() const override { return "TProgressBar"; }

  int Min() const { return min_; }
  void SetMin(int v);
  int Max() const { return max_; }
  void SetMax(int v);
  int Position() const { return position_; }
  void SetPosition(int v);
  int Step() const { return step_; }
  void SetStep(int v) { step_ = v; }
  bool Smooth() const { return smooth_; }
  void SetSmooth(bool v);
  TProgressBarOrientation Orientation() const { return orientation_; }
  void SetOrientation(TProgressBarOrientation v);
  TColor BarColor() const { return barColor_; }
  void SetBarColor(TColor v);
  // Advances by Step; past Max it starts again from Min.
  void StepIt();
  // Advances by Delta, limited to Min..Max.
  void StepBy(int Delta);

 protected:
  void Paint() override;

 private:
  int min_ = 0, max_ = 100, position_ = 0, step_ = 10;
  bool smooth_ = false;
  TProgressBarOrientation orientation_ = pbHorizontal;
  TColor barColor_ = clDefault;
};

enum TGaugeKind { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };

// A gauge that shows a progress value as a bar, pie or needle with its percentage.
class TGauge : public TGraphicControl {
 public:
  explicit TGauge(TComponent* AOwner);
  std::string ClassName() const override { return "TGauge"; }

  TGaugeKind Kind() const { return kind_; }
  void SetKind(TGaugeKind v);
  int MinValue() const { return minValue_; }
  void SetMinValue(int v);
  int MaxValue() const { return maxValue_; }
  void SetMaxValue(int v);
  int Progress() const { return progress_; }
  // Limited to MinValue..MaxValue.
  void SetProgress(int v);
  void AddProgress(int v) { SetProgress(progress_ + v); }
  // Whole percent of the way from MinValue to MaxValue (truncated).
  int PercentDone() const;
  TColor ForeColor() const { return foreColor_; }
  void SetForeColor(TColor v);
  TColor BackColor() const { return backColor_; }
  void SetBackColor(TColor v);
  bool ShowText() const { return showText_; }
  void SetShowText(bool v);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle v);

 protected:
  void Paint() override;

 private:
  TGaugeKind kind_ = gkHorizontalBar;
  int minValue_ = 0, maxValue_ = 100, progress_ = 0;
  TColor foreColor_ = clBlack, backColor_ = clWhite;
  bool showText_ = true;
  TBorderStyle borderStyle_ = bsSingle;
};

// ---------------------------------------------------------------- page control
enum TTabStyle { tsTabs, tsButtons, tsFlatButtons };
using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

class TPageControl;

// One page of a page control. Only the active page is visible; a page whose
// tab is hidden can still be made active by the program.
class TTabSheet : public TWinControl {
 public:
  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;
  std::string ClassName() const override { return "TTabSheet"; }

  TPageControl* PageControl() const { return pageControl_; }
  // Moves the page to another page control (its last page), or out of any.
  void SetPageControl(TPageControl* v);
  void SetParent(TWinControl* AParent) override;
  // Position among the pages (-1 without a page control); setting it moves the page.
  int PageIndex() const;
  void SetPageIndex(int v);
  bool TabVisible() const { return tabVisible_; }
  void SetTabVisible(bool v);
  // Position among the visible tabs; -1 when the tab is hidden.
  int TabIndex() const;

  // The page became the active one, or stopped being it.
  TNotifyEvent OnShow, OnHide;

 protected:
  void CMTextChanged(TMessage& Message) override;

 private:
  friend class TPageControl;
  TPageControl* pageControl_ = nullptr;
  bool tabVisible_ = true;
};

// Pages with a row of tabs (or buttons) to choose among them. The program's
// changes of the active page fire no events; the user's (a click on a tab, the
// arrow keys on the focused control) ask OnChanging first and then fire OnChange.
class TPageControl : public TCustomControl {
 public:
  explicit TPageControl(TComponent* AOwner);
  ~TPageControl() override;
  std::string ClassName() const override { return "TPageControl"; }

  int PageCount() const { return static_cast<int>(pages_.size()); }
  // Raises EListError for an index out of range.
  TTabSheet* Pages(int Index) const;
  TTabSheet* ActivePage() const { return activePage_; }
  // A page of another control (or none) leaves no page active.
  void SetActivePage(TTabSheet* Page);
  int ActivePageIndex() const;
  // Out of range: no page active.
  void SetActivePageIndex(int Index);
  TTabStyle Style() const { return style_; }
  void SetStyle(TTabStyle v);
  // Position of the active page among the visible tabs (-1 when none or hidden).
  int TabIndex() const { return activePage_ ? activePage_->TabIndex() : -1; }
  int VisibleTabCount() const;
  // The next page after (or before) CurPage, wrapping round; only pages with a
  // visible tab when CheckTabVisible. nullptr when there is none.
  TTabSheet* FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible) const;
  // Moves to the next page as the user does (OnChanging, then OnChange).
  void SelectNextPage(bool GoForward, bool CheckTabVisible = true);
  // Where the pages lie in the client area.
  TRect DisplayRect() const;
  // The rectangle of a visible tab (client coordinates); empty when there is none.
  TRect TabRect(int TabIndex) const;
  // The visible tab at a client point, or -1.
  int IndexOfTabAt(int X, int Y) const;

  TNotifyEvent OnChange;
  TTabChangingEvent OnChanging;

  void AdjustClientRect(TRect& Rect) override;
  void AlignControls(TControl* AControl) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 protected:
  void Paint() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void WMGetDlgCode(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  virtual bool CanChange();
  virtual void Change();
  // Makes Page active; focus inside the old page moves to the new one.
  void ChangeActivePage(TTabSheet* Page);
  // The user's choice of a page: asks, changes, announces.
  void UserSelectPage(TTabSheet* Page);
  void TabsChanged();
  int TabRowHeight() const;
  TTabSheet* VisibleTab(int TabIndex) const;

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* Page);
  void RemovePage(TTabSheet* Page);
  void MovePage(TTabSheet* Page, int NewIndex);

  std::vector<TTabSheet*> pages_;
  TTabSheet* activePage_ = nullptr;
  TTabStyle style_ = tsTabs;
};
