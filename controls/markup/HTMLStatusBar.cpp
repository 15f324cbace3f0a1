#include "controls/markup/HTMLStatusBar.h"

#include <algorithm>
#include <cmath>

#include "controls/markup/HTMLStatusBarMarkup.h"
#include "controls/markup/PictureContainer.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Hints.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/Messages.h"
#include "platform/gui/Timer.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"

namespace {

// Part flags, as the parts keep them.
constexpr unsigned PartNoBorders = 0x100;
constexpr unsigned PartPopOut = 0x200;
constexpr unsigned PartRtlReading = 0x400;
constexpr unsigned PartOwnerDraw = 0x1000;

constexpr int PartTop = 2;      // space above the parts
constexpr int PartGap = 2;      // space between two parts
constexpr int GripSize = 16;    // the size grip's square
constexpr int TextMargin = 2;   // text of a part drawn by the bar itself
constexpr int ShadowOffset = 1;
constexpr int ProgressBands = 11;
constexpr int SettingNonClientMetrics = 42;
// The smallest form the grip sizes to: a caption's worth above the bar.
constexpr int MinTrackWidth = 112, MinTrackHeight = 27;

bool OwnerDrawn(const THTMLStatusPanel* p) {
  if (!p->Enabled()) return true;
  switch (p->Style()) {
    case psText: case psTime: case psDate: case psNumLock: case psCapsLock: case psScrollLock: return false;
    default: return true;
  }
}

TAlignment Mirrored(TAlignment a) {
  if (a == taLeftJustify) return taRightJustify;
  if (a == taRightJustify) return taLeftJustify;
  return a;
}

unsigned AlignFlags(TAlignment a) {
  return a == taRightJustify ? DT_RIGHT : a == taCenter ? DT_CENTER : DT_LEFT;
}

// Saves what drawing a part may change on a canvas and puts it back.
class TCanvasState {
 public:
  explicit TCanvasState(TCanvas* c) : c_(c) {
    font_.Assign(c->Font());
    pen_.Assign(c->Pen());
    brush_.Assign(c->Brush());
  }
  ~TCanvasState() {
    c_->Font()->Assign(&font_);
    c_->Pen()->Assign(&pen_);
    c_->Brush()->Assign(&brush_);
  }
  TCanvasState(const TCanvasState&) = delete;
  TCanvasState& operator=(const TCanvasState&) = delete;

 private:
  TCanvas* c_;
  TFont font_;
  TPen pen_;
  TBrush brush_;
};

}  // namespace

// ---------------------------------------------------------------- gradient

void StatusGradient(TCanvas* Canvas, TColor From, TColor To, int Bands, const TRect& R, bool Vertical) {
  if (Bands < 1 || IsRectEmpty(R)) return;
  const int32_t a = ColorToRGB(From), b = ColorToRGB(To);
  const double stepR = double(GetRValue(b) - GetRValue(a)) / Bands;
  const double stepG = double(GetGValue(b) - GetGValue(a)) / Bands;
  const double stepB = double(GetBValue(b) - GetBValue(a)) / Bands;
  const int start = Vertical ? R.Top : R.Left;
  const int end = Vertical ? R.Bottom : R.Right;
  const int extent = end - start;
  for (int i = 0; i < Bands; ++i) {
    const int s = start + static_cast<int>(int64_t(i) * extent / Bands);
    // One pixel longer than the band, so no seam shows between bands.
    const int e = std::min(end, start + static_cast<int>(int64_t(i + 1) * extent / Bands) + 1);
    if (e <= s) continue;
    const TColor c = RGB(GetRValue(a) + static_cast<int>(Round(i * stepR)),
                         GetGValue(a) + static_cast<int>(Round(i * stepG)),
                         GetBValue(a) + static_cast<int>(Round(i * stepB)));
    Canvas->Brush()->SetColor(c);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->FillRect(Vertical ? TRect(R.Left, s, R.Right, e) : TRect(s, R.Top, e, R.Bottom));
  }
}

// ---------------------------------------------------------------- TProgressStyle

void TProgressStyle::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TProgressStyle*>(Source)) {
    background_ = s->background_;
    textColor_ = s->textColor_;
    indication_ = s->indication_;
    min_ = s->min_;
    max_ = s->max_;
    position_ = s->position_;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

void TProgressStyle::Changed() {
  if (panel_) panel_->PanelChanged(false);
}

// ---------------------------------------------------------------- THTMLStatusPanel

THTMLStatusPanel::THTMLStatusPanel(TCollection* Collection)
    : TCollectionItem(nullptr),
      progress_(std::make_unique<TProgressStyle>(this)),
      imageIndexes_(std::make_unique<TStringList>()) {
  // Join only now: joining announces the panel, and the bar then reads it.
  SetCollection(Collection);
}

THTMLStatusPanel::~THTMLStatusPanel() { SetCollection(nullptr); }

THTMLStatusBar* THTMLStatusPanel::StatusBar() const {
  auto* panels = dynamic_cast<THTMLStatusPanels*>(Collection());
  return panels ? panels->StatusBar() : nullptr;
}

void THTMLStatusPanel::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<THTMLStatusPanel*>(Source)) {
    SetText(s->text_);
    SetWidth(s->width_);
    SetAlignment(s->alignment_);
    SetBevel(s->bevel_);
    SetStyle(s->style_);
    SetDateFormat(s->dateFormat_);
    SetTimeFormat(s->timeFormat_);
    SetProgress(s->Progress());
    SetHint(s->hint_);
    return;
  }
  TCollectionItem::Assign(Source);
}

std::string THTMLStatusPanel::DisplayName() const {
  return text_.empty() ? TCollectionItem::DisplayName() : text_;
}

void THTMLStatusPanel::SetText(const std::string& v) {
  if (v == text_) return;
  text_ = v;
  Changed(false);
}

void THTMLStatusPanel::SetAlignment(TAlignment v) {
  if (v == alignment_) return;
  alignment_ = v;
  Changed(false);
}

void THTMLStatusPanel::SetBevel(THTMLStatusPanelBevel v) {
  if (v == bevel_) return;
  bevel_ = v;
  Changed(false);
}

void THTMLStatusPanel::SetStyle(THTMLStatusPanelStyle v) {
  if (v == style_) return;
  style_ = v;
  Changed(false);
}

void THTMLStatusPanel::SetBiDiMode(TBiDiMode v) {
  if (v == biDiMode_) return;
  biDiMode_ = v;
  parentBiDiMode_ = false;
  Changed(false);
}

void THTMLStatusPanel::SetParentBiDiMode(bool v) {
  if (v == parentBiDiMode_) return;
  parentBiDiMode_ = v;
  Changed(false);
}

bool THTMLStatusPanel::UseRightToLeftReading() const {
  TBiDiMode mode = biDiMode_;
  if (parentBiDiMode_) {
    const THTMLStatusBar* bar = StatusBar();
    mode = bar ? bar->BiDiMode() : bdLeftToRight;
  }
  return mode != bdLeftToRight;
}

void THTMLStatusPanel::SetWidth(int v) {
  width_ = v;
  Changed(true);
}

void THTMLStatusPanel::SetTimeFormat(const std::string& v) {
  timeFormat_ = v;
  Changed(true);
}

void THTMLStatusPanel::SetDateFormat(const std::string& v) {
  dateFormat_ = v;
  Changed(true);
}

void THTMLStatusPanel::SetHint(const std::string& v) {
  hint_ = v;
  Changed(true);
}

void THTMLStatusPanel::SetHTMLOffsetX(int v) {
  htmlOffsetX_ = v;
  Changed(true);
}

void THTMLStatusPanel::SetHTMLOffsetY(int v) {
  htmlOffsetY_ = v;
  Changed(true);
}

void THTMLStatusPanel::SetImageIndex(int v) {
  imageIndex_ = v;
  Changed(true);
}

void THTMLStatusPanel::SetAnimationImages(TCustomImageList* v) {
  animationImages_ = v;
  frame_ = 0;
  if (THTMLStatusBar* bar = StatusBar(); bar && v) v->FreeNotification(bar);
  Changed(true);
}

void THTMLStatusPanel::SetAnimationDelay(int v) {
  if (v < 0) return;
  animationDelay_ = v;
}

void THTMLStatusPanel::SetAnimated(bool v) {
  animated_ = v;
  Changed(true);
}

void THTMLStatusPanel::SetEnabled(bool v) {
  enabled_ = v;
  Changed(true);
}

void THTMLStatusPanel::SetProgress(TProgressStyle* v) {
  progress_->Assign(v);
  Changed(true);
}

int THTMLStatusPanel::ImageIndexes(int Index) const {
  if (Index < 0 || Index >= imageIndexes_->Count()) return -1;
  return StrToInt(imageIndexes_->Strings(Index));
}

void THTMLStatusPanel::SetImageIndexes(int Index, int Value) {
  if (Index < 0) return;
  while (imageIndexes_->Count() <= Index) imageIndexes_->Add("-1");
  imageIndexes_->SetStrings(Index, IntToStr(Value));
  Changed(false);
}

// ---------------------------------------------------------------- THTMLStatusPanels

THTMLStatusPanels::THTMLStatusPanels(THTMLStatusBar* StatusBar)
    : TCollection(CollectionItemClass<THTMLStatusPanel>()), bar_(StatusBar) {}

TPersistent* THTMLStatusPanels::GetOwner() const { return bar_; }

void THTMLStatusPanels::Update(TCollectionItem* Item) {
  if (bar_) bar_->PanelsChanged(static_cast<THTMLStatusPanel*>(Item));
}

// ---------------------------------------------------------------- THTMLStatusBar

THTMLStatusBar::THTMLStatusBar(TComponent* AOwner)
    : TCustomControl(AOwner),
      panels_(std::make_unique<THTMLStatusPanels>(this)),
      timer_(std::make_unique<TTimer>(nullptr)),
      pictureCache_(std::make_unique<THTMLPictureCache>()) {
  SetControlStyle(csCaptureMouse | csClickEvents | csOpaque | csDoubleClicks | csAcceptsControls);
  // A click on a panel or the grip leaves the focus where the user was typing.
  SetClickFocus(false);
  SetColor(clBtnFace);
  SetHeight(19);
  SetAlign(alBottom);
  SetParentFont(false);
  SyncToSystemFont();
  timer_->SetEnabled(false);
  timer_->SetInterval(100);
  timer_->OnTimer = [this](TObject*) { Perform(WM_TIMER, TimerID, 0); };
}

THTMLStatusBar::~THTMLStatusBar() {
  Destroying();
  timer_->SetEnabled(false);
  timer_->OnTimer = nullptr;
  panels_.reset();
}

TCanvas* THTMLStatusBar::Canvas() const { return drawCanvas_ ? drawCanvas_ : TCustomControl::Canvas(); }

void THTMLStatusBar::SetPanels(THTMLStatusPanels* v) { panels_->Assign(v); }

void THTMLStatusBar::SetSimplePanel(bool v) {
  if (v == simplePanel_) return;
  simplePanel_ = v;
  if (HandleAllocated()) Invalidate();
}

void THTMLStatusBar::SetSimpleText(const std::string& v) {
  simpleText_ = v;
  UpdateSimpleText();
}

void THTMLStatusBar::UpdateSimpleText() {
  if (HandleAllocated() && simplePanel_) Invalidate();
}

void THTMLStatusBar::SetSizeGrip(bool v) {
  if (v == sizeGrip_) return;
  sizeGrip_ = v;
  UpdatePanels(true, false);
  if (HandleAllocated()) Invalidate();
}

void THTMLStatusBar::SetUseSystemFont(bool v) {
  if (v == useSystemFont_) return;
  useSystemFont_ = v;
  if (v) {
    SetParentFont(false);
    SyncToSystemFont();
  }
}

void THTMLStatusBar::SyncToSystemFont() {
  if (useSystemFont_ && Screen && Screen->HintFont()) Font()->Assign(Screen->HintFont());
}

void THTMLStatusBar::SetURLColor(TColor v) {
  if (v == urlColor_) return;
  urlColor_ = v;
  UpdatePanels(false, false);
}

void THTMLStatusBar::SetImages(TCustomImageList* v) {
  images_ = v;
  if (v) v->FreeNotification(this);
  UpdatePanels(false, false);
}

void THTMLStatusBar::SetPictureContainer(TPictureContainer* v) {
  pictureContainer_ = v;
  if (v) v->FreeNotification(this);
  UpdatePanels(false, false);
}

void THTMLStatusBar::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove) {
    if (AComponent == images_) images_ = nullptr;
    if (AComponent == pictureContainer_) pictureContainer_ = nullptr;
    if (!Destroying() && panels_)
      for (int i = 0; i < panels_->Count(); ++i)
        if (panels_->Items(i)->animationImages_ == AComponent) panels_->Items(i)->animationImages_ = nullptr;
  }
  TCustomControl::Notification(AComponent, Operation);
}

// ---- layout

int THTMLStatusBar::PartCount() const {
  const int n = panels_ ? panels_->Count() : 0;
  return n == 0 ? 1 : std::min(n, MaxParts);
}

bool THTMLStatusBar::SizeGripShown() const {
  if (!sizeGrip_) return false;
  auto* form = dynamic_cast<TCustomForm*>(Parent());
  return form && (form->BorderStyle() == bsSizeable || form->BorderStyle() == bsSizeToolWin);
}

TRect THTMLStatusBar::PanelRect(int Index) const {
  const int parts = PartCount();
  if (Index < 0 || Index >= parts) return TRect();
  // Right edges: the sum of the widths up to each part; the last part runs
  // to the border (or to the size grip).
  int edge = 0, left = 0;
  for (int i = 0; i < Index; ++i) edge += panels_->Items(i)->Width();
  if (Index > 0) left = edge + PartGap;
  int right = Index == parts - 1 ? ClientWidth() - (SizeGripShown() ? GripSize : 0)
                                 : edge + panels_->Items(Index)->Width();
  return TRect(left, PartTop, std::max(left, right), Height());
}

int THTMLStatusBar::GetPanelAtPoint(int X) const {
  const int n = std::min(panels_->Count(), MaxParts);
  for (int i = 0; i < n; ++i) {
    const TRect r = PanelRect(i);
    if (X >= r.Left && X <= r.Right) return i;
  }
  return -1;
}

void THTMLStatusBar::PanelsChanged(THTMLStatusPanel* Item) {
  if (Destroying()) return;
  if (Item)
    UpdatePanel(Item->Index(), false);
  else
    UpdatePanels(true, false);
}

void THTMLStatusBar::UpdatePanels(bool UpdateRects, bool UpdateText) {
  if (!HandleAllocated()) return;
  const int parts = PartCount();
  if (UpdateRects) {
    parts_.resize(static_cast<size_t>(parts));
    if (panels_->Count() == 0) parts_[0] = TPart();
  }
  if (UpdateRects && !UpdateText) Invalidate();
  const int n = std::min(panels_->Count(), MaxParts);
  for (int i = 0; i < n; ++i) UpdatePanel(i, UpdateText);
}

void THTMLStatusBar::UpdatePanel(int Index, bool Repaint) {
  if (!HandleAllocated() || Index < 0 || Index >= std::min(panels_->Count(), MaxParts)) return;
  THTMLStatusPanel* p = panels_->Items(Index);
  if (!Repaint) {
    p->updateNeeded_ = true;
    InvalidateRect(PanelRect(Index));
    return;
  }
  if (p->updateNeeded_) SyncPart(Index);
}

void THTMLStatusBar::SyncPart(int Index) {
  THTMLStatusPanel* p = panels_->Items(Index);
  p->updateNeeded_ = false;
  if (parts_.size() < static_cast<size_t>(Index + 1)) parts_.resize(static_cast<size_t>(Index + 1));
  unsigned flags = p->Bevel() == pbNone ? PartNoBorders : p->Bevel() == pbRaised ? PartPopOut : 0;
  if (p->UseRightToLeftReading()) flags |= PartRtlReading;
  if (OwnerDrawn(p)) flags |= PartOwnerDraw;
  TAlignment a = p->Alignment();
  if (BiDiMode() == bdRightToLeft || (!p->ParentBiDiMode() && p->BiDiMode() == bdRightToLeft)) a = Mirrored(a);
  const std::string tabs = a == taCenter ? "\t" : a == taRightJustify ? "\t\t" : "";
  parts_[static_cast<size_t>(Index)].Text = tabs + p->Text();
  parts_[static_cast<size_t>(Index)].Flags = flags;
}

// ---- window

void THTMLStatusBar::CreateWnd() {
  TCustomControl::CreateWnd();
  // Every part is laid out and filled anew for the new window.
  for (int i = 0; i < panels_->Count(); ++i) panels_->Items(i)->updateNeeded_ = true;
  UpdatePanels(true, false);
  if (!simpleText_.empty()) UpdateSimpleText();
  timer_->SetEnabled(true);
}

void THTMLStatusBar::DestroyWnd() {
  timer_->SetEnabled(false);
  TCustomControl::DestroyWnd();
}

bool THTMLStatusBar::TimerActive() const { return timer_->Enabled(); }

void THTMLStatusBar::Loaded() {
  TCustomControl::Loaded();
  UpdateStatus();
}

void THTMLStatusBar::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_TIMER:
      if (Message.WParam == static_cast<WPARAM>(TimerID)) {
        WMTimer();
        Message.Result = 0;
        return;
      }
      break;
    case WM_GETTEXTLENGTH:
      Message.Result = static_cast<LRESULT>(simpleText_.size());
      return;
    case WM_SETTINGCHANGE:
      if (Message.WParam == 0 || Message.WParam == SettingNonClientMetrics) SyncToSystemFont();
      break;
    case CM_SYSFONTCHANGED:
      SyncToSystemFont();
      break;
    case CM_SYSCOLORCHANGE:
      if (HandleAllocated()) Invalidate();
      break;
    default:
      break;
  }
  TCustomControl::WndProc(Message);
}

void THTMLStatusBar::SetBiDiMode(TBiDiMode v) {
  const TBiDiMode old = BiDiMode();
  TCustomControl::SetBiDiMode(v);
  if (v == old) return;
  // Panels that follow the bar read in its new direction and mirror their alignment.
  for (int i = 0; i < panels_->Count(); ++i) {
    THTMLStatusPanel* p = panels_->Items(i);
    if (p->parentBiDiMode_) p->biDiMode_ = BiDiMode();
    p->updateNeeded_ = true;
  }
  if (simplePanel_) return UpdateSimpleText();
  UpdatePanels(true, true);
  if (HandleAllocated()) Invalidate();
}

void THTMLStatusBar::WMTimer() {
  UpdateStatus();
  if (++blinkCounter_ > 10) blinkCounter_ = 0;
}

void THTMLStatusBar::CMParentFontChanged(TMessage& Message) {
  if (ParentFont()) useSystemFont_ = false;
  TCustomControl::CMParentFontChanged(Message);
}

void THTMLStatusBar::CMColorChanged(TMessage& Message) {
  TCustomControl::CMColorChanged(Message);
  if (HandleAllocated()) Invalidate();
}

void THTMLStatusBar::WMSize(TMessage& Message) {
  // While the layout loads a size is no resize yet: nothing fires, nothing repaints.
  if (ComponentState() & csLoading) return;
  TCustomControl::WMSize(Message);
  if (HandleAllocated()) Invalidate();
}

void THTMLStatusBar::UpdateStatus() {
  if (Destroying()) return;
  for (int i = 0; i < panels_->Count(); ++i) {
    THTMLStatusPanel* p = panels_->Items(i);
    switch (p->Style()) {
      case psHTML:
        if ((blinkCounter_ == 5 || blinkCounter_ == 10) && UpperCase(p->Text()).find("<BLINK") != std::string::npos)
          p->Changed(false);  // redrawn in the new blink phase
        break;
      case psTime: p->SetText(FormatDateTime(p->TimeFormat(), Now())); break;
      case psDate: p->SetText(FormatDateTime(p->DateFormat(), Now())); break;
      case psNumLock: p->SetText((GetKeyState(VK_NUMLOCK) & 1) ? "NUM" : ""); break;
      case psCapsLock: p->SetText((GetKeyState(VK_CAPITAL) & 1) ? "CAP" : ""); break;
      case psScrollLock: p->SetText((GetKeyState(VK_SCROLL) & 1) ? "SCRL" : ""); break;
      case psAnimation:
        if (p->AnimationImages() && blinkCounter_ % (p->AnimationDelay() + 1) == 0) {
          if (++p->frame_ >= p->AnimationImages()->Count()) p->frame_ = 0;
          p->Changed(false);
        }
        break;
      default: break;
    }
  }
}

bool THTMLStatusBar::DoHint() {
  if (!OnHint) return false;
  OnHint(this);
  return true;
}

bool THTMLStatusBar::ExecuteAction(TBasicAction* Action) {
  if (auto* hint = dynamic_cast<THintAction*>(Action); hint && ExecuteHintAction(hint->Hint())) return true;
  return TCustomControl::ExecuteAction(Action);
}

bool THTMLStatusBar::ExecuteHintAction(const std::string& Hint) {
  if (!autoHint_ || DoHint()) return false;
  if (!simplePanel_ && panels_->Count() > 0)
    panels_->Items(0)->SetText(Hint);
  else
    SetSimpleText(Hint);
  return true;
}

void THTMLStatusBar::FlipChildren(bool) {
  if (!HandleAllocated() || simplePanel_ || panels_->Count() == 0) return;
  const int n = panels_->Count();
  if (n > 1) {
    const TRect last = PanelRect(std::min(n, MaxParts) - 1);
    int others = 0;
    for (int i = 0; i < n - 1; ++i) others += panels_->Items(i)->Width();
    const int lastOnScreen = n <= MaxParts ? ClientWidth() - others : last.Width();
    std::vector<THTMLStatusPanel*> order;
    for (int i = 0; i < n; ++i) order.push_back(panels_->Items(i));
    panels_->BeginUpdate();
    for (int i = 0; i < n; ++i) order[static_cast<size_t>(n - 1 - i)]->SetIndex(i);
    order.back()->SetWidth(lastOnScreen);
    panels_->EndUpdate();
  }
}

// ---- mouse

bool THTMLStatusBar::HTMLPanel(TCanvas* C, THTMLStatusPanel* Panel, const TRect& R, int X, int Y, bool HitTest,
                               std::string& Anchor) {
  std::string strip, focusAnchor;
  int xs = 0, ys = 0, links = 0, mouseLink = -1;
  TRect hover;
  const bool hit = HTMLDraw(C, Panel->Text(), R, images_, X, Y, -1, -1, ShadowOffset, HitTest, false, false,
                            false, blinkCounter_ >= 6, false, false, 1.0, urlColor_, clNone, clNone, clGray,
                            Anchor, strip, focusAnchor, xs, ys, links, mouseLink, hover, pictureCache_.get(),
                            pictureContainer_);
  return hit;
}

TRect THTMLStatusBar::HTMLRect(int Index) const {
  TRect r = PanelRect(Index);
  InflateRect(r, -1, -1);
  const THTMLStatusPanel* p = panels_->Items(Index);
  r.Left += p->HTMLOffsetX();
  r.Top += p->HTMLOffsetY();
  return r;
}

std::string THTMLStatusBar::GetAnchorAt(int X, int Y) {
  const int i = GetPanelAtPoint(X);
  if (i < 0) return std::string();
  THTMLStatusPanel* p = panels_->Items(i);
  if (p->Style() != psHTML) return std::string();
  // Hit-tested with the font the part is drawn with.
  TCanvas* c = TCustomControl::Canvas();
  c->Font()->Assign(Font());
  std::string anchor;
  if (!HTMLPanel(c, p, HTMLRect(i), X, Y, true, anchor)) return std::string();
  return anchor;
}

bool THTMLStatusBar::InSizeGrip(int X, int Y) const {
  return SizeGripShown() && X >= ClientWidth() - GripSize && X < ClientWidth() && Y >= 0 && Y < ClientHeight();
}

void THTMLStatusBar::MouseMove(TShiftState Shift, int X, int Y) {
  if (sizing_) {
    if (auto* form = dynamic_cast<TCustomForm*>(Parent())) {
      // Screen coordinates: the bar itself moves while the form grows.
      const TPoint p = ClientToScreen(TPoint(X, Y));
      const int w = std::max(MinTrackWidth, formSize_.cx + p.X - sizeFrom_.X);
      const int h = std::max(MinTrackHeight + Height(), formSize_.cy + p.Y - sizeFrom_.Y);
      form->SetBounds(form->Left(), form->Top(), w, h);
    }
    TCustomControl::MouseMove(Shift, X, Y);
    return;
  }
  const int panel = GetPanelAtPoint(X);
  if (panel != mousePanel_) {
    if (Application) Application->CancelHint();
    mousePanel_ = panel;
  }
  const std::string anchor = GetAnchorAt(X, Y);
  if (!anchor.empty()) {
    if (!(Cursor() != crDefault && anchor == mouseAnchor_)) {
      mouseAnchor_ = anchor;
      SetCursor(crHandPoint);
      if (anchorHint_ && Application) Application->CancelHint();
      if (OnAnchorEnter) OnAnchorEnter(this, anchor);
    }
  } else if (Cursor() == crHandPoint) {
    SetCursor(crDefault);
    if (OnAnchorExit) OnAnchorExit(this, std::string());
  }
  if (InSizeGrip(X, Y))
    SetCursor(crSizeNWSE);
  else if (Cursor() == crSizeNWSE)
    SetCursor(crDefault);
  TCustomControl::MouseMove(Shift, X, Y);
}

void THTMLStatusBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (sizing_ && Button == mbLeft) {
    sizing_ = false;
    return;
  }
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void THTMLStatusBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && InSizeGrip(X, Y)) {
    // The grip belongs to the form's frame: it sizes the form and is no panel.
    auto* form = static_cast<TCustomForm*>(Parent());
    sizing_ = true;
    sizeFrom_ = ClientToScreen(TPoint(X, Y));
    formSize_ = TSize{form->Width(), form->Height()};
    SetMouseCapture(true);
    return;
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
  lastDownX_ = X;
  const int panel = GetPanelAtPoint(X);
  if (Button == mbLeft && OnPanelClick) OnPanelClick(this, panel);
  if (Button == mbRight && OnPanelRightClick) OnPanelRightClick(this, panel);
  const std::string anchor = GetAnchorAt(X, Y);
  if (anchor.empty()) return;
  if (anchor.find("://") != std::string::npos || anchor.find("mailto:") != std::string::npos)
    ShellExecute(nullptr, "open", anchor, "", "", SW_SHOWNORMAL);
  else if (OnAnchorClick)
    OnAnchorClick(this, anchor);
}

void THTMLStatusBar::DblClick() {
  TCustomControl::DblClick();
  if (OnPanelDblClick) OnPanelDblClick(this, GetPanelAtPoint(lastDownX_));
}

void THTMLStatusBar::CMHintShow(TMessage& Message) {
  auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
  if (!info) return;
  const int i = GetPanelAtPoint(info->CursorPos.X);
  if (i >= 0) {
    THTMLStatusPanel* p = panels_->Items(i);
    std::string anchor;
    if (p->Style() == psHTML && anchorHint_) anchor = GetAnchorAt(info->CursorPos.X, info->CursorPos.Y);
    if (!anchor.empty()) {
      info->HintStr = anchor;
      const TPoint screen = ClientToScreen(info->CursorPos);
      info->HintPos = TPoint(screen.X + 10, screen.Y - 10);
    } else if (!p->Hint().empty()) {
      info->HintStr = p->Hint();
    }
  }
  info->Show = true;
  Message.Result = 0;
}

// ---- painting

void THTMLStatusBar::Paint() {
  PaintOn(TCustomControl::Canvas());
}

void THTMLStatusBar::PaintOn(TCanvas* C) {
  // What changed since the last paint reaches the parts first; drawn
  // without a window (tests, printing) every part follows its panel.
  const int parts = PartCount();
  if (parts_.size() < static_cast<size_t>(parts)) parts_.resize(static_cast<size_t>(parts));
  const int n = std::min(panels_->Count(), MaxParts);
  for (int i = 0; i < n; ++i)
    if (panels_->Items(i)->updateNeeded_ || !HandleAllocated()) SyncPart(i);
  TCanvasState state(C);
  C->Font()->Assign(Font());
  C->Brush()->SetColor(Color());
  C->Brush()->SetStyle(bsSolid);
  C->FillRect(ClientRect());
  if (simplePanel_) {
    TRect r = ClientRect();
    r.Top = PartTop;
    r.Left += TextMargin;
    C->Brush()->SetStyle(bsClear);
    DrawPanelText(C, simpleText_, r, taLeftJustify, false, BiDiMode() != bdLeftToRight ? DT_RTLREADING : 0);
  } else {
    for (int i = 0; i < parts; ++i) DrawPart(C, i);
  }
  if (SizeGripShown()) DrawSizeGrip(C);
}

void THTMLStatusBar::DrawBevel(TCanvas* C, const TRect& R, unsigned Flags) {
  if (Flags & PartNoBorders) return;
  TRect r = R;
  C->DrawEdge(r, (Flags & PartPopOut) ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
}

void THTMLStatusBar::DrawSizeGrip(TCanvas* C) {
  const int right = ClientWidth(), bottom = ClientHeight();
  for (int k = 0; k < 3; ++k) {
    const int d = 4 + 4 * k;
    C->Pen()->SetColor(clBtnHighlight);
    C->MoveTo(right - d, bottom - 1);
    C->LineTo(right, bottom - d - 1);
    C->Pen()->SetColor(clBtnShadow);
    C->MoveTo(right - d + 1, bottom - 1);
    C->LineTo(right, bottom - d);
    C->MoveTo(right - d + 2, bottom - 1);
    C->LineTo(right, bottom - d + 1);
  }
}

void THTMLStatusBar::DrawPart(TCanvas* C, int Index) {
  const TRect r = PanelRect(Index);
  if (panels_->Count() == 0) {
    DrawBevel(C, r, 0);
    return;
  }
  THTMLStatusPanel* p = panels_->Items(Index);
  const TPart& part = parts_[static_cast<size_t>(Index)];
  DrawBevel(C, r, part.Flags);
  TRect inner = r;
  InflateRect(inner, -1, -1);
  if (part.Flags & PartOwnerDraw) {
    TCanvasState state(C);
    C->Font()->Assign(Font());
    C->Brush()->SetColor(clBtnFace);
    C->Brush()->SetStyle(bsSolid);
    drawCanvas_ = C;
    try {
      DrawPanel(p, inner);
    } catch (...) {
      drawCanvas_ = nullptr;
      throw;
    }
    drawCanvas_ = nullptr;
    return;
  }
  // Drawn by the bar itself: leading tabs centre (one) or right-align (two).
  std::string text = part.Text;
  TAlignment a = taLeftJustify;
  if (text.compare(0, 2, "\t\t") == 0) {
    a = taRightJustify;
    text.erase(0, 2);
  } else if (!text.empty() && text[0] == '\t') {
    a = taCenter;
    text.erase(0, 1);
  }
  inner.Left += TextMargin;
  inner.Right -= TextMargin;
  C->Brush()->SetStyle(bsClear);
  DrawPanelText(C, text, inner, a, false, (part.Flags & PartRtlReading) ? DT_RTLREADING : 0);
}

void THTMLStatusBar::DrawPanelText(TCanvas* C, const std::string& Text, TRect R, TAlignment Align,
                                   bool PathEllipsis, unsigned Extra) {
  const unsigned flags = (PathEllipsis ? DT_PATH_ELLIPSIS : DT_END_ELLIPSIS) | DT_SINGLELINE | DT_VCENTER |
                         AlignFlags(Align) | Extra;
  C->DrawText(Text, R, flags);
}

bool THTMLStatusBar::DrawImage(TCanvas* C, TCustomImageList* List, int Index, TRect& R, int) {
  if (!List) return false;
  R.Left += 2;
  if (Index >= 0 && Index < List->Count())
    List->Draw(C, R.Left, R.Top + (R.Height() - List->Height()) / 2, Index);
  R.Left += List->Width();
  return true;
}

void THTMLStatusBar::DrawPanel(THTMLStatusPanel* Panel, const TRect& Rect) {
  TCanvas* C = Canvas();
  TRect r = Rect;
  const bool left = Panel->Alignment() == taLeftJustify;
  switch (Panel->Style()) {
    case psHTML: {
      r.Left += Panel->HTMLOffsetX();
      r.Top += Panel->HTMLOffsetY();
      std::string anchor;
      HTMLPanel(C, Panel, r, 0, 0, false, anchor);
      return;
    }
    case psProgress:
      DrawProgress(C, Panel, r);
      return;
    case psImage:
      DrawImage(C, images_, Panel->ImageIndex(), r, 0);
      r.Left += 2;
      DrawPanelText(C, Panel->Text(), r, Panel->Alignment(), false);
      return;
    case psImageList:
      if (images_)
        for (int i = 0; i < Panel->ImageIndexLines()->Count(); ++i)
          DrawImage(C, images_, Panel->ImageIndexes(i), r, 0);
      return;
    case psAnimation:
      if (TCustomImageList* list = Panel->AnimationImages())
        DrawImage(C, list, Panel->Animated() ? Panel->AnimationFrame() : 0, r, 0);
      r.Left += 2;
      DrawPanelText(C, Panel->Text(), r, Panel->Alignment(), false);
      return;
    case psEllipsText:
    case psFileEllipsText:
      if (left) r.Left += 2;
      DrawPanelText(C, Panel->Text(), r, Panel->Alignment(), Panel->Style() == psFileEllipsText);
      return;
    default:
      break;
  }
  if (OnDrawPanel) {
    OnDrawPanel(this, Panel, Rect);
    return;
  }
  C->FillRect(Rect);
  if (!Panel->Enabled()) C->Font()->SetColor(clSilver);
  DrawPanelText(C, Panel->Text(), Rect, Panel->Alignment(), false);
}

void THTMLStatusBar::DrawLevel(TCanvas* C, const TProgressStyle* P, int Level, const TRect& R) {
  if (IsRectEmpty(R)) return;
  const TColor from = P->LevelColor(Level), to = P->LevelColorTo(Level);
  if (!P->ShowGradient()) {
    C->Brush()->SetColor(from);
    C->Brush()->SetStyle(bsSolid);
    C->FillRect(R);
    return;
  }
  const int mid = R.Top + R.Height() / 2;
  StatusGradient(C, to, from, ProgressBands, TRect(R.Left, R.Top, R.Right, mid), true);
  StatusGradient(C, from, to, ProgressBands, TRect(R.Left, mid, R.Right, R.Bottom), true);
}

void THTMLStatusBar::DrawSeparators(TCanvas* C, const TProgressStyle* P, const TRect& Segment) {
  C->Brush()->SetColor(P->BackGround());
  C->Brush()->SetStyle(bsSolid);
  for (int x = Segment.Left + 8; x + 2 < Segment.Right; x += 9)
    C->FillRect(TRect(x, Segment.Top, x + 2, Segment.Bottom));
}

void THTMLStatusBar::DrawProgress(TCanvas* C, THTMLStatusPanel* Panel, const TRect& Rect) {
  const TProgressStyle* P = Panel->Progress();
  C->Font()->SetColor(P->TextColor());
  int p = P->Position();
  if (P->Indication() != piPercentage)
    p = P->Max() == P->Min()
            ? 0
            : static_cast<int>(Round((P->Position() - P->Min()) * 100.0 / (P->Max() - P->Min())));

  TRect R = Rect;
  C->Brush()->SetColor(P->BackGround());
  C->Brush()->SetStyle(bsSolid);
  C->Pen()->SetStyle(psSolid);
  C->Pen()->SetWidth(1);
  if (P->ShowBorder()) {
    C->Pen()->SetColor(P->BorderColor());
    InflateRect(R, -1, -1);
  } else {
    C->Pen()->SetColor(P->BackGround());
  }
  C->Rectangle(R);
  int w = R.Width() - 2;
  if (P->ShowBorder()) w -= 2;

  // The bar never reaches past its panel, whatever the position says.
  const int bar = std::clamp(p, 0, 100);
  auto part = [&](int perc) { return static_cast<int>(Round(perc * double(w) / 100)); };
  if (bar > 0) {
    const int l1 = P->Level1Perc(), l2 = P->Level2Perc();
    if (P->Stacked()) {
      const int top = R.Top + 1, bottom = R.Bottom - 2;
      int x = R.Left + 1;
      auto segment = [&](int width, int level) {
        const TRect s(x, top, x + std::max(0, width), bottom);
        DrawLevel(C, P, level, s);
        if (!P->CompletionSmooth()) DrawSeparators(C, P, TRect(s.Left, s.Top + 1, s.Right, s.Bottom - 1));
        x = s.Right;
      };
      const int w1 = part(bar >= l1 ? l1 : bar);
      segment(w1, 0);
      int w2 = 0;
      if (bar >= l1) {
        w2 = part((bar >= l2 ? l2 : bar) - l1);
        segment(w2, 1);
      }
      if (bar >= l2) {
        const int w3 = bar == 100 ? w - w1 - w2 : part(bar - l2);
        const TRect s(x, top, x + std::max(0, w3), bottom);
        if (P->ShowGradient()) {
          DrawLevel(C, P, 2, s);
        } else {
          C->Brush()->SetColor(P->Level3Color());
          C->Brush()->SetStyle(bsSolid);
          if (!IsRectEmpty(s)) C->FillRect(s);
        }
        if (!P->CompletionSmooth()) DrawSeparators(C, P, TRect(s.Left, s.Top + 1, s.Right, s.Bottom - 1));
      }
    } else {
      const int level = bar < l1 ? 0 : bar < l2 ? 1 : bar < 100 ? 2 : 3;
      if (P->CompletionSmooth()) {
        const int left = R.Left + 1;
        DrawLevel(C, P, level, TRect(left, R.Top + 1, left + part(bar), R.Bottom - 1));
      } else {
        const TRect s(R.Left + 2, R.Top + 2, R.Left + part(bar), R.Bottom - 2);
        DrawLevel(C, P, level, s);
        DrawSeparators(C, P, s);
      }
    }
  }
  if (P->ShowPercentage()) {
    C->Brush()->SetStyle(bsClear);
    const std::string text = P->Indication() == piPercentage ? IntToStr(p) + "%"
                                                             : P->Prefix() + IntToStr(P->Position()) + P->Suffix();
    TRect t = R;
    C->DrawText(text, t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}
