// The page control and its pages.
#include <algorithm>

#include "platform/gui/ComCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/SysUtils.h"

namespace {
// Space beside a tab's text, and between buttons.
constexpr int kTabPad = 6, kButtonPad = 8, kButtonGap = 3;
// The frame of the tab style takes this much on each side of the display area.
constexpr int kFrame = 4;
}  // namespace

// ================================================================ TTabSheet
TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
  controlStyle_ |= csAcceptsControls;
  controlStyle_ &= ~csSetCaption;
  visible_ = false;
  parentColor_ = true;
}

TTabSheet::~TTabSheet() {
  if (pageControl_) pageControl_->RemovePage(this);
  OnShow = nullptr;
  OnHide = nullptr;
}

void TTabSheet::SetPageControl(TPageControl* v) { SetParent(v); }

void TTabSheet::SetParent(TWinControl* AParent) {
  if (AParent == parent_) return;
  if (pageControl_) pageControl_->RemovePage(this);
  TWinControl::SetParent(AParent);
  if (auto* pc = dynamic_cast<TPageControl*>(AParent)) pc->InsertPage(this);
}

int TTabSheet::PageIndex() const {
  if (!pageControl_) return -1;
  auto& p = pageControl_->pages_;
  return static_cast<int>(std::find(p.begin(), p.end(), this) - p.begin());
}

void TTabSheet::SetPageIndex(int v) {
  if (pageControl_) pageControl_->MovePage(this, v);
}

void TTabSheet::SetTabVisible(bool v) {
  if (v == tabVisible_) return;
  tabVisible_ = v;
  if (pageControl_) pageControl_->TabsChanged();
}

int TTabSheet::TabIndex() const {
  if (!pageControl_ || !tabVisible_) return -1;
  int n = 0;
  for (TTabSheet* p : pageControl_->pages_) {
    if (p == this) return n;
    if (p->tabVisible_) ++n;
  }
  return -1;
}

void TTabSheet::CMTextChanged(TMessage& Message) {
  TWinControl::CMTextChanged(Message);
  if (pageControl_) pageControl_->TabsChanged();
}

// ================================================================ TPageControl
TPageControl::TPageControl(TComponent* AOwner) : TCustomControl(AOwner) {
  controlStyle_ = csAcceptsControls | csCaptureMouse | csClickEvents | csDoubleClicks | csOpaque;
  width_ = 289;
  height_ = 193;
  tabStop_ = true;
  parentColor_ = true;
  color_ = clBtnFace;
}

TPageControl::~TPageControl() {
  // The pages go with their parent: they must not call back into this control.
  for (TTabSheet* p : pages_) p->pageControl_ = nullptr;
  pages_.clear();
  activePage_ = nullptr;
  OnChange = nullptr;
  OnChanging = nullptr;
}

TTabSheet* TPageControl::Pages(int Index) const {
  if (Index < 0 || Index >= PageCount()) throw EListError(Format("List index out of bounds (%d)", {Index}));
  return pages_[static_cast<size_t>(Index)];
}

void TPageControl::InsertPage(TTabSheet* Page) {
  pages_.push_back(Page);
  Page->pageControl_ = this;
  Page->SetAlign(alNone);
  Page->SetVisible(false);
  TabsChanged();
}

void TPageControl::RemovePage(TTabSheet* Page) {
  TTabSheet* next = nullptr;
  if (Page == activePage_) {
    next = FindNextPage(Page, true, true);
    if (next == Page) next = nullptr;
    activePage_ = nullptr;
  }
  pages_.erase(std::remove(pages_.begin(), pages_.end(), Page), pages_.end());
  Page->pageControl_ = nullptr;
  if (next) ChangeActivePage(next);
  TabsChanged();
}

void TPageControl::MovePage(TTabSheet* Page, int NewIndex) {
  auto it = std::find(pages_.begin(), pages_.end(), Page);
  if (it == pages_.end()) return;
  pages_.erase(it);
  NewIndex = std::clamp(NewIndex, 0, PageCount());
  pages_.insert(pages_.begin() + NewIndex, Page);
  TabsChanged();
}

void TPageControl::SetActivePage(TTabSheet* Page) {
  if (Page && Page->pageControl_ != this) Page = nullptr;
  ChangeActivePage(Page);
}

int TPageControl::ActivePageIndex() const { return activePage_ ? activePage_->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int Index) {
  SetActivePage(Index >= 0 && Index < PageCount() ? pages_[static_cast<size_t>(Index)] : nullptr);
}

void TPageControl::SetStyle(TTabStyle v) {
  if (v == style_) return;
  style_ = v;
  TabsChanged();
}

int TPageControl::VisibleTabCount() const {
  return static_cast<int>(std::count_if(pages_.begin(), pages_.end(), [](TTabSheet* p) { return p->tabVisible_; }));
}

TTabSheet* TPageControl::VisibleTab(int TabIndex) const {
  for (TTabSheet* p : pages_)
    if (p->tabVisible_ && TabIndex-- == 0) return p;
  return nullptr;
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible) const {
  int n = PageCount();
  if (n == 0) return nullptr;
  auto it = std::find(pages_.begin(), pages_.end(), CurPage);
  int start = it == pages_.end() ? (GoForward ? n - 1 : 0) : static_cast<int>(it - pages_.begin());
  for (int k = 1; k <= n; ++k) {
    int i = GoForward ? (start + k) % n : (start - k + n) % n;
    TTabSheet* p = pages_[static_cast<size_t>(i)];
    if (!CheckTabVisible || p->tabVisible_) return p;
  }
  return nullptr;
}

void TPageControl::SelectNextPage(bool GoForward, bool CheckTabVisible) {
  UserSelectPage(FindNextPage(activePage_, GoForward, CheckTabVisible));
}

bool TPageControl::CanChange() {
  bool allow = true;
  FireEvent(OnChanging, this, allow);
  return allow;
}

void TPageControl::Change() {
  FireEvent(OnChange, this);
}

void TPageControl::UserSelectPage(TTabSheet* Page) {
  if (!Page || Page == activePage_) return;
  if (!CanChange()) return;
  ChangeActivePage(Page);
  Change();
}

void TPageControl::ChangeActivePage(TTabSheet* Page) {
  if (Page == activePage_) return;
  TTabSheet* old = activePage_;
  TCustomForm* form = GetParentForm(this);
  bool focusInOld = form && old && form->ActiveControl() && old->ContainsControl(form->ActiveControl());
  activePage_ = Page;
  if (Page) {
    Page->SetBoundsRect(DisplayRect());
    Page->BringToFront();
    Page->SetVisible(true);
  }
  if (focusInOld) {
    // The focus would vanish with the old page: it goes to the new page's first
    // control, or to the page control.
    TWinControl* next = Page ? Page->FindNextControl(nullptr, true, true, false) : nullptr;
    if (next && next->CanFocus()) next->SetFocus();
    else if (CanFocus()) SetFocus();
  }
  if (old) old->SetVisible(false);
  Invalidate();
  if (old && old->OnHide) old->OnHide(old);
  if (Page && Page->OnShow) Page->OnShow(Page);
}

void TPageControl::TabsChanged() {
  Realign();
  Invalidate();
}

int TPageControl::TabRowHeight() const {
  canvas_->SetFont(font_.get());
  int fh = canvas_->TextHeight("Wg");
  return style_ == tsTabs ? fh + 2 * 3 : fh + 2 * 4;
}

TRect TPageControl::TabRect(int TabIndex) const {
  if (TabIndex < 0 || TabIndex >= VisibleTabCount()) return TRect();
  canvas_->SetFont(font_.get());
  int h = TabRowHeight();
  int pad = style_ == tsTabs ? kTabPad : kButtonPad;
  int gap = style_ == tsTabs ? 0 : kButtonGap;
  int x = style_ == tsTabs ? 2 : 0, y = style_ == tsTabs ? 2 : 0;
  int n = 0;
  for (TTabSheet* p : pages_) {
    if (!p->tabVisible_) continue;
    int w = canvas_->TextWidth(StripHotkey(p->Caption())) + 2 * pad;
    if (n++ == TabIndex) return TRect(x, y, x + w, y + h);
    x += w + gap;
  }
  return TRect();
}

int TPageControl::IndexOfTabAt(int X, int Y) const {
  int n = VisibleTabCount();
  for (int i = 0; i < n; ++i) {
    TRect r = TabRect(i);
    if (X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom) return i;
  }
  return -1;
}

TRect TPageControl::DisplayRect() const {
  int w = width_, h = height_;
  bool tabs = VisibleTabCount() > 0;
  if (style_ == tsTabs) {
    int top = tabs ? 2 + TabRowHeight() : 0;
    return TRect(kFrame, top + kFrame, std::max(kFrame, w - kFrame), std::max(top + kFrame, h - kFrame));
  }
  // Buttons have no frame; without a visible button the pages take the whole control.
  int top = tabs ? TabRowHeight() + kButtonGap : 0;
  return TRect(0, top, w, std::max(top, h));
}

void TPageControl::AdjustClientRect(TRect& Rect) { Rect = DisplayRect(); }

void TPageControl::AlignControls(TControl* AControl) {
  TRect r = DisplayRect();
  for (TTabSheet* p : pages_) p->SetBoundsRect(r);
  TCustomControl::AlignControls(AControl);
}

void TPageControl::Paint() {
  TCanvas* c = Canvas();
  TRect all = ClientRect();
  c->Brush()->SetColor(color_);
  c->Brush()->SetStyle(bsSolid);
  c->FillRect(all);
  c->SetFont(font_.get());
  int n = VisibleTabCount();
  int active = TabIndex();
  if (style_ == tsTabs) {
    TRect frame = all;
    frame.Top = n > 0 ? 2 + TabRowHeight() : 0;
    c->DrawEdge(frame, EDGE_RAISED, BF_RECT | BF_SOFT);
  }
  for (int i = 0; i < n; ++i) {
    TRect r = TabRect(i);
    bool on = i == active;
    if (style_ == tsTabs) {
      if (on) r = TRect(r.Left - 2, r.Top - 2, r.Right + 2, r.Bottom + 1);
      c->Brush()->SetColor(color_);
      c->FillRect(r);
      TRect e = r;
      c->DrawEdge(e, EDGE_RAISED, BF_LEFT | BF_TOP | BF_RIGHT | BF_SOFT);
    } else if (style_ == tsButtons) {
      TRect e = r;
      c->DrawEdge(e, on ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    } else if (on) {
      TRect e = r;
      c->DrawEdge(e, BDR_SUNKENOUTER, BF_RECT);
    }
    TRect t = r;
    if (style_ != tsTabs && on) t.Left += 1, t.Top += 1;
    c->Brush()->SetStyle(bsClear);
    c->Font()->SetColor(enabled_ ? font_->Color() : clGrayText);
    c->DrawText(VisibleTab(i)->Caption(), t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    c->Brush()->SetStyle(bsSolid);
    if (on && Focused()) {
      TRect f(r.Left + 3, r.Top + 3, r.Right - 3, r.Bottom - 3);
      c->DrawFocusRect(f);
    }
  }
}

void TPageControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    int i = IndexOfTabAt(X, Y);
    if (i >= 0) {
      if (CanFocus()) SetFocus();
      UserSelectPage(VisibleTab(i));
    }
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TPageControl::KeyDown(WORD& Key, TShiftState Shift) {
  int step = (Key == VK_LEFT || Key == VK_UP) ? -1 : (Key == VK_RIGHT || Key == VK_DOWN) ? 1 : 0;
  if (step != 0 && !(Shift & (ssCtrl | ssAlt))) {
    // The arrows move between visible tabs and stop at either end.
    int i = TabIndex();
    if (i >= 0) UserSelectPage(VisibleTab(i + step));
    Key = 0;
    return;
  }
  TCustomControl::KeyDown(Key, Shift);
}

void TPageControl::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_WANTARROWS; }

void TPageControl::CMFontChanged(TMessage& Message) {
  TCustomControl::CMFontChanged(Message);
  TabsChanged();
}
