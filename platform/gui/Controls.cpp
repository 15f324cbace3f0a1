#include "platform/gui/Controls.h"

#include <QApplication>
#include <QCursor>
#include <QFocusEvent>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <cctype>
#include <map>

#include "platform/gui/Feedback.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiInternal.h"
#include "platform/gui/Menus.h"
#include "platform/gui/QtBridge.h"
#include "platform/gui/QtCanvas.h"
#include "platform/gui/QtPeer.h"
#include "platform/rtl/Win1252.h"

// ---------------------------------------------------------------- globals
namespace {
// The font's colour is the text colour of an enabled control; a disabled one
// keeps the style's grey, as the platform's controls do.
void SetEnabledTextColor(QPalette& Palette, QPalette::ColorRole Role, const QColor& Color) {
  Palette.setColor(QPalette::Active, Role, Color);
  Palette.setColor(QPalette::Inactive, Role, Color);
}
TControl* gCapture = nullptr;
std::map<uintptr_t, TWinControl*>& Handles() {
  static std::map<uintptr_t, TWinControl*> h;
  return h;
}
uintptr_t gNextHandle = 0x100;
}  // namespace

TControl*& GuiMouseControl() {
  static TControl* c = nullptr;
  return c;
}
TShiftState& GuiCurrentShift() {
  static TShiftState s = 0;
  return s;
}
unsigned long& GuiKeySerial() {
  static unsigned long n = 0;
  return n;
}

TControl* GetCaptureControl() { return gCapture; }
void SetCaptureControl(TControl* Control) { gCapture = Control; }
TWinControl* FindControl(HWND Handle) {
  auto it = Handles().find(reinterpret_cast<uintptr_t>(Handle));
  return it == Handles().end() ? nullptr : it->second;
}

void GuiSendToAllWindows(UINT Msg) {
  std::vector<uintptr_t> handles;
  for (const auto& h : Handles()) handles.push_back(h.first);
  // A handler may free windows on the way: each one is looked up again before it is told.
  for (uintptr_t h : handles)
    if (TWinControl* c = FindControl(reinterpret_cast<HWND>(h)))
      GuiRun(static_cast<TControl*>(c), [c, Msg] { c->Perform(Msg); });
}

TShiftState KeyboardStateToShiftState() { return GuiCurrentShift(); }

TPoint Mouse_CursorPos() {
  QPoint p = QCursor::pos();
  return TPoint(p.x(), p.y());
}

void Mouse_SetCursorPos(TPoint P) { QCursor::setPos(P.X, P.Y); }

TControl* FindDragTarget(TPoint Pos, bool AllowDisabled) {
  QWidget* w = QApplication::widgetAt(Pos.X, Pos.Y);
  while (w && !PeerOf(w)) w = w->parentWidget();
  if (!w) return nullptr;
  TWinControl* c = PeerOf(w)->Control;
  if (!c) return nullptr;
  TPoint p = c->ScreenToClient(Pos);
  TControl* g = c->ControlAtPos(p, AllowDisabled);
  return g ? g : c;
}

std::string GetShortHint(const std::string& Hint) {
  size_t i = Hint.find('|');
  return i == std::string::npos ? Hint : Hint.substr(0, i);
}
std::string GetLongHint(const std::string& Hint) {
  size_t i = Hint.find('|');
  return i == std::string::npos ? Hint : Hint.substr(i + 1);
}

bool IsAccel(WORD Key, const std::string& Caption) {
  for (size_t i = 0; i + 1 < Caption.size(); ++i) {
    if (Caption[i] != '&') continue;
    if (Caption[i + 1] == '&') {
      ++i;
      continue;
    }
    return std::toupper(static_cast<unsigned char>(Caption[i + 1])) == std::toupper(Key & 0xFF);
  }
  return false;
}

std::string StripHotkey(const std::string& Caption) {
  std::string r;
  for (size_t i = 0; i < Caption.size(); ++i) {
    if (Caption[i] == '&' && i + 1 < Caption.size()) ++i;
    else if (Caption[i] == '&') continue;
    r += Caption[i];
  }
  return r;
}

TCustomForm* GetParentForm(const TControl* Control) {
  const TControl* c = Control;
  while (c && c->Parent()) c = c->Parent();
  return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

// ---------------------------------------------------------------- TControl
TControl::TControl(TComponent* AOwner)
    : TComponent(AOwner), constraints_(new TSizeConstraints), font_(new TFont) {
  font_->OnChange = [this](TObject*) { FontChangedInternal(); };
  WindowProc = [this](TMessage& m) { WndProc(m); };
}

TControl::~TControl() {
  Destroying();
  *alive_ = false;
  if (gCapture == this) gCapture = nullptr;
  if (GuiMouseControl() == this) GuiMouseControl() = nullptr;
  GuiHintControlGone(this);
  GuiDragControlGone(this);
  if (parent_) parent_->RemoveControl(this);
  parent_ = nullptr;
  font_->OnChange = nullptr;
}

TCustomForm* TControl::ParentForm() const { return GetParentForm(this); }

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == parent_) return;
  if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (parent_) parent_->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

void TControl::UpdateAnchorRules() {
  anchorBounds_ = BoundsRect();
  if (parent_) {
    TRect r = parent_->ClientRect();
    anchorParentSize_ = TSize{r.Right - r.Left, r.Bottom - r.Top};
  } else {
    anchorParentSize_ = TSize{-1, -1};
  }
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (autoSize_ && !inAutoSize_) {
    inAutoSize_ = true;
    int w = AWidth, h = AHeight;
    if (CanAutoSize(w, h)) {
      AWidth = w;
      AHeight = h;
    }
    inAutoSize_ = false;
  }
  AWidth = std::max(0, AWidth);
  AHeight = std::max(0, AHeight);
  if (constraints_->MinWidth > 0) AWidth = std::max(AWidth, constraints_->MinWidth);
  if (constraints_->MaxWidth > 0) AWidth = std::min(AWidth, constraints_->MaxWidth);
  if (constraints_->MinHeight > 0) AHeight = std::max(AHeight, constraints_->MinHeight);
  if (constraints_->MaxHeight > 0) AHeight = std::min(AHeight, constraints_->MaxHeight);
  if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) {
    if (!aligning_ && parent_) UpdateAnchorRules();
    return;
  }
  int w = AWidth, h = AHeight;
  if ((AWidth != width_ || AHeight != height_) && !CanResize(w, h)) {
    AWidth = width_;
    AHeight = height_;
  } else {
    AWidth = w;
    AHeight = h;
  }
  TRect old = BoundsRect();
  bool sized = AWidth != width_ || AHeight != height_;
  left_ = ALeft;
  top_ = ATop;
  width_ = AWidth;
  height_ = AHeight;
  if (!IsWindowed() && parent_ && visible_) {
    parent_->InvalidateRect(old);
    parent_->InvalidateRect(BoundsRect());
  }
  BoundsChanged();
  if (!aligning_ && parent_) {
    UpdateAnchorRules();
    if (align_ != alNone) parent_->AlignControls(this);
  }
  if (sized) Perform(WM_SIZE, 0, MakeLParam(ClientWidth(), ClientHeight()));
}

TRect TControl::ClientRect() const { return TRect(0, 0, width_, height_); }

void TControl::SetClientWidth(int v) { SetClientSize(v, ClientHeight()); }
void TControl::SetClientHeight(int v) { SetClientSize(ClientWidth(), v); }
void TControl::SetClientSize(int W, int H) {
  TRect c = ClientRect();
  SetBounds(left_, top_, W + (width_ - (c.Right - c.Left)), H + (height_ - (c.Bottom - c.Top)));
}

TPoint TControl::ClientOrigin() const {
  // A window asks its widget, which knows the frame and menu bar around it.
  if (auto* w = dynamic_cast<const TWinControl*>(this); w && w->ClientWidget()) {
    QPoint p = w->ClientWidget()->mapToGlobal(QPoint(0, 0));
    return TPoint(p.x(), p.y());
  }
  if (!parent_) return TPoint(left_, top_);
  TPoint p = parent_->ClientOrigin();
  return TPoint(p.X + left_, p.Y + top_);
}
TPoint TControl::ClientToScreen(TPoint P) const {
  TPoint o = ClientOrigin();
  return TPoint(P.X + o.X, P.Y + o.Y);
}
TPoint TControl::ScreenToClient(TPoint P) const {
  TPoint o = ClientOrigin();
  return TPoint(P.X - o.X, P.Y - o.Y);
}

void TControl::SetAlign(TAlign v) {
  if (v == align_) return;
  TAlign old = align_;
  align_ = v;
  if (parent_ && (old != alNone || v != alNone)) parent_->AlignControls(this);
  if (v == alNone) UpdateAnchorRules();
}

void TControl::SetAnchors(TAnchors v) {
  if (v == anchors_) return;
  anchors_ = v;
  UpdateAnchorRules();
}

void TControl::SetAutoSize(bool v) {
  if (v == autoSize_) return;
  autoSize_ = v;
  if (v) AdjustSize();
}

void TControl::AdjustSize() {
  if (autoSize_) SetBounds(left_, top_, width_, height_);
}

bool TControl::CanAutoSize(int&, int&) { return true; }
bool TControl::CanResize(int&, int&) { return true; }

void TControl::SetVisible(bool v) {
  if (v == visible_) return;
  VisibleChanging();
  visible_ = v;
  Perform(CM_VISIBLECHANGED, v ? 1 : 0);
  VisibilityChanged();
  if (parent_) {
    if (align_ != alNone) parent_->AlignControls(this);
    if (!IsWindowed()) parent_->InvalidateRect(BoundsRect());
  }
}

bool TControl::Showing() const {
  if (!visible_) return false;
  if (parent_) return parent_->Showing();
  if (auto* w = dynamic_cast<const TWinControl*>(this)) return w->Peer() && w->Peer()->isVisible();
  return false;
}

void TControl::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  Perform(CM_ENABLEDCHANGED);
}

TColor TControl::ParentColorValue() const { return parent_ ? parent_->Color() : color_; }

void TControl::SetColor(TColor v) {
  if (v == color_ && !parentColor_) return;
  parentColor_ = false;
  if (v == color_) return;
  color_ = v;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool v) {
  if (v == parentColor_) return;
  parentColor_ = v;
  if (v && parent_) Perform(CM_PARENTCOLORCHANGED);
}

namespace {
int gParentFontUpdate = 0;
}

void TControl::FontChangedInternal() {
  if (gParentFontUpdate == 0) parentFont_ = false;
  Perform(CM_FONTCHANGED);
}

void TControl::SetParentFont(bool v) {
  if (v == parentFont_) return;
  parentFont_ = v;
  if (v && parent_) Perform(CM_PARENTFONTCHANGED);
}

void TControl::SetText(const std::string& v) {
  if (v == text_) return;
  text_ = v;
  Perform(CM_TEXTCHANGED);
}

void TControl::SetShowHint(bool v) {
  parentShowHint_ = false;
  if (v == showHint_) return;
  showHint_ = v;
  Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool v) {
  if (v == parentShowHint_) return;
  parentShowHint_ = v;
  if (v && parent_) Perform(CM_PARENTSHOWHINTCHANGED);
}

void TControl::SetBiDiMode(TBiDiMode v) {
  parentBiDiMode_ = false;
  if (v == biDiMode_) return;
  biDiMode_ = v;
  Perform(CM_BIDIMODECHANGED);
}

void TControl::SetParentBiDiMode(bool v) {
  if (v == parentBiDiMode_) return;
  parentBiDiMode_ = v;
  if (v && parent_) Perform(CM_PARENTBIDIMODECHANGED);
}

void TControl::SetCursor(TCursor v) {
  if (v == cursor_) return;
  cursor_ = v;
  Perform(CM_CURSORCHANGED);
}

void TControl::SetPopupMenu(TPopupMenu* v) {
  popupMenu_ = v;
  if (v) v->FreeNotification(this);
}

bool TControl::MouseCapture() const { return gCapture == this; }
void TControl::SetMouseCapture(bool v) {
  if (v)
    gCapture = this;
  else if (gCapture == this)
    ReleaseCapture();
}

void TControl::SendCancelMode() {}

void TControl::Invalidate() {
  if (parent_ && visible_) parent_->InvalidateRect(BoundsRect());
}
void TControl::Update() {
  if (parent_) parent_->Update();
}
void TControl::Repaint() {
  Invalidate();
  Update();
}

void TControl::BringToFront() {
  if (!parent_) return;
  auto& v = parent_->controls_;
  auto it = std::find(v.begin(), v.end(), this);
  if (it != v.end()) {
    v.erase(it);
    v.push_back(this);
  }
  Invalidate();
}

void TControl::SendToBack() {
  if (!parent_) return;
  auto& v = parent_->controls_;
  auto it = std::find(v.begin(), v.end(), this);
  if (it != v.end()) {
    v.erase(it);
    v.insert(v.begin(), this);
  }
  Invalidate();
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m;
  m.Msg = Msg;
  m.WParam = WParam;
  m.LParam = LParam;
  WindowProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& Message) { Dispatch(Message); }

void TControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK: WMMouseButton(m); break;
    case WM_MOUSEMOVE: WMMouseMove(m); break;
    case WM_MOUSEWHEEL: WMMouseWheel(m); break;
    case WM_CONTEXTMENU: WMContextMenu(m); break;
    case WM_SIZE: WMSize(m); break;
    case WM_PAINT: WMPaint(m); break;
    case CM_MOUSEENTER: CMMouseEnter(m); break;
    case CM_MOUSELEAVE: CMMouseLeave(m); break;
    case CM_FONTCHANGED: CMFontChanged(m); break;
    case CM_TEXTCHANGED: CMTextChanged(m); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(m); break;
    case CM_COLORCHANGED: CMColorChanged(m); break;
    case CM_VISIBLECHANGED: CMVisibleChanged(m); break;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(m); break;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(m); break;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(m); break;
    case CM_PARENTBIDIMODECHANGED: CMParentBiDiModeChanged(m); break;
    case CM_HINTSHOW: CMHintShow(m); break;
    case CM_CURSORCHANGED: CMCursorChanged(m); break;
    case CM_SYSCOLORCHANGE: CMSysColorChange(m); break;
    default: DefaultHandler(m);
  }
}

void TControl::DefaultHandler(TMessage&) {}

void TControl::Click() {
  FireEvent(OnClick, this);
}
void TControl::DblClick() {
  FireEvent(OnDblClick, this);
}
void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  FireEvent(OnMouseDown, this, Button, Shift, X, Y);
}
void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  FireEvent(OnMouseMove, this, Shift, X, Y);
}
void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  FireEvent(OnMouseUp, this, Button, Shift, X, Y);
}
bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  bool handled = false;
  FireEvent(OnMouseWheel, this, Shift, WheelDelta, MousePos, handled);
  if (!handled) {
    if (WheelDelta < 0 && OnMouseWheelDown) OnMouseWheelDown(this, Shift, MousePos, handled);
    if (WheelDelta > 0 && OnMouseWheelUp) OnMouseWheelUp(this, Shift, MousePos, handled);
  }
  return handled;
}
void TControl::Resize() {
  FireEvent(OnResize, this);
}
void TControl::DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
  Accept = false;
  if (OnDragOver) {
    Accept = true;
    OnDragOver(this, Source, X, Y, State, Accept);
  }
}
void TControl::Loaded() { TComponent::Loaded(); }

void TControl::DoContextPopup(TPoint MousePos, bool& Handled) {
  FireEvent(OnContextPopup, this, MousePos, Handled);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == popupMenu_) popupMenu_ = nullptr;
}

static TShiftState MouseShift(WPARAM keys) {
  TShiftState s = 0;
  if (keys & MK_SHIFT) s |= ssShift;
  if (keys & MK_CONTROL) s |= ssCtrl;
  if (keys & MK_LBUTTON) s |= ssLeft;
  if (keys & MK_RBUTTON) s |= ssRight;
  if (keys & MK_MBUTTON) s |= ssMiddle;
  if (GuiCurrentShift() & ssAlt) s |= ssAlt;
  return s;
}

void TControl::WMMouseButton(TMessage& m) {
  TMouseButton b = mbLeft;
  bool down = false, up = false, dbl = false;
  switch (m.Msg) {
    case WM_LBUTTONDOWN: down = true; break;
    case WM_LBUTTONUP: up = true; break;
    case WM_LBUTTONDBLCLK: dbl = true; break;
    case WM_RBUTTONDOWN: b = mbRight; down = true; break;
    case WM_RBUTTONUP: b = mbRight; up = true; break;
    case WM_RBUTTONDBLCLK: b = mbRight; dbl = true; break;
    case WM_MBUTTONDOWN: b = mbMiddle; down = true; break;
    case WM_MBUTTONUP: b = mbMiddle; up = true; break;
    default: b = mbMiddle; dbl = true; break;
  }
  // A handler may free the control (a button removing its own row): nothing touches it after that.
  std::shared_ptr<bool> alive = alive_;
  DefaultHandler(m);
  if (!*alive) return;
  if (GuiDragMouse(this, m.Msg, TPoint(m.XPos(), m.YPos()))) return;
  TShiftState s = MouseShift(m.WParam);
  if (dbl && !(controlStyle_ & csDoubleClicks)) {
    dbl = false;  // a control without double clicks hears a second press
    down = true;
  }
  if (down || dbl) {
    if (controlStyle_ & csCaptureMouse) SetMouseCapture(true);
    if (down && b == mbLeft && (controlStyle_ & csClickEvents)) controlState_ |= csClicked;
    if (dbl && b == mbLeft && (controlStyle_ & csDoubleClicks)) DblClick();
    if (!*alive) return;
    MouseDown(b, s | (dbl ? static_cast<TShiftState>(ssDouble) : 0u), m.XPos(), m.YPos());
    if (!*alive) return;
    if (down && b == mbLeft && dragMode_ == dmAutomatic && !Dragging()) BeginDrag(false);
  } else if (up) {
    if (controlStyle_ & csCaptureMouse) SetMouseCapture(false);
    if (b == mbLeft && (controlState_ & csClicked)) {
      controlState_ &= ~csClicked;
      TPoint p(m.XPos(), m.YPos());
      TRect r = ClientRect();
      if (p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom) Click();
      if (!*alive) return;
    }
    MouseUp(b, s, m.XPos(), m.YPos());
  }
}

void TControl::WMMouseMove(TMessage& m) {
  if (GuiDragMouse(this, m.Msg, TPoint(m.XPos(), m.YPos()))) return;
  DefaultHandler(m);
  MouseMove(MouseShift(m.WParam), m.XPos(), m.YPos());
}

void TControl::WMMouseWheel(TMessage& m) {
  TShiftState s = MouseShift(m.WParam & 0xFFFF);
  int delta = static_cast<int16_t>((m.WParam >> 16) & 0xFFFF);
  if (DoMouseWheel(s, delta, TPoint(m.XPos(), m.YPos())))
    m.Result = 1;
  else if (m.Event)
    DefaultHandler(m);
  else if (parent_)
    m.Result = parent_->Perform(WM_MOUSEWHEEL, m.WParam, m.LParam);
}

void TControl::WMContextMenu(TMessage& m) {
  TPoint screen(m.XPos(), m.YPos());
  TPoint local = ScreenToClient(screen);
  bool handled = false;
  DoContextPopup(local, handled);
  if (handled) {
    m.Result = 1;
    return;
  }
  if (popupMenu_ && popupMenu_->AutoPopup()) {
    popupMenu_->SetPopupComponent(this);
    popupMenu_->Popup(screen.X, screen.Y);
    m.Result = 1;
    return;
  }
  if (parent_) m.Result = parent_->Perform(WM_CONTEXTMENU, m.WParam, m.LParam);
}

void TControl::WMSize(TMessage&) { Resize(); }
void TControl::WMPaint(TMessage& m) { DefaultHandler(m); }

void TControl::CMMouseEnter(TMessage&) {
  FireEvent(OnMouseEnter, this);
}
void TControl::CMMouseLeave(TMessage&) {
  FireEvent(OnMouseLeave, this);
}
void TControl::CMFontChanged(TMessage&) { Invalidate(); }
void TControl::CMTextChanged(TMessage&) { Invalidate(); }
void TControl::CMEnabledChanged(TMessage&) { Invalidate(); }
void TControl::CMColorChanged(TMessage&) { Invalidate(); }
void TControl::CMSysColorChange(TMessage&) { Invalidate(); }
void TControl::CMVisibleChanged(TMessage&) {}
void TControl::CMParentFontChanged(TMessage&) {
  if (!parentFont_ || !parent_) return;
  ++gParentFontUpdate;
  font_->Assign(parent_->Font());
  --gParentFontUpdate;
}
void TControl::CMParentColorChanged(TMessage&) {
  if (!parentColor_ || !parent_) return;
  if (color_ != parent_->Color()) {
    color_ = parent_->Color();
    Perform(CM_COLORCHANGED);
  }
}
void TControl::CMParentShowHintChanged(TMessage&) {
  if (parentShowHint_ && parent_) showHint_ = parent_->ShowHint();
}
void TControl::CMParentBiDiModeChanged(TMessage&) {
  if (!parentBiDiMode_ || !parent_) return;
  SetBiDiMode(parent_->BiDiMode());
  parentBiDiMode_ = true;
}
void TControl::CMHintShow(TMessage&) {}
void TControl::CMCursorChanged(TMessage&) {
  if (GuiMouseControl() != this) return;
  GuiApplyCursor(this);
  // As the window system does, the control under the mouse is asked again: a cursor an earlier
  // answer chose would otherwise hide the new one until the mouse moves.
  static bool asking = false;
  if (asking) return;
  struct TAsking {
    TAsking() { asking = true; }
    ~TAsking() { asking = false; }
  } scope;
  GuiAskCursor(this);
}

// ---------------------------------------------------------------- TWinControl
TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner), brush_(new TBrush) {
  brush_->SetColor(color_);
}

TWinControl::~TWinControl() {
  Destroying();
  // A focused control inside this one goes with it: the form must not keep pointing at it
  // (the children are unlinked below, so the form cannot find it inside this control later).
  if (TCustomForm* f = GetParentForm(this); f && f != static_cast<TWinControl*>(this) && f->activeControl_ &&
                                            f->activeControl_ != this && ContainsControl(f->activeControl_))
    f->activeControl_ = nullptr;
  destroying_ = true;
  while (!controls_.empty()) {
    TControl* c = controls_.back();
    controls_.pop_back();
    c->parent_ = nullptr;
    delete c;
  }
  DestroyWnd();
}

void TWinControl::InsertControl(TControl* c) {
  controls_.push_back(c);
  c->parent_ = this;
  if (auto* w = dynamic_cast<TWinControl*>(c)) {
    tabList_.push_back(w);
    if (HandleAllocated()) {
      if (w->HandleAllocated())
        w->peer_->setParent(ClientWidget()), w->UpdatePeerGeometry(), w->peer_->setVisible(w->visible_);
      else
        w->HandleNeeded();
    }
  }
  if (c->parentFont_) c->Perform(CM_PARENTFONTCHANGED);
  if (c->parentColor_) c->Perform(CM_PARENTCOLORCHANGED);
  if (c->parentShowHint_) c->Perform(CM_PARENTSHOWHINTCHANGED);
  if (c->parentBiDiMode_) c->Perform(CM_PARENTBIDIMODECHANGED);
  c->UpdateAnchorRules();
  if (c->align_ != alNone) AlignControls(c);
  if (!c->IsWindowed()) InvalidateRect(c->BoundsRect());
}

void TWinControl::RemoveControl(TControl* c) {
  auto it = std::find(controls_.begin(), controls_.end(), c);
  if (it == controls_.end()) return;
  controls_.erase(it);
  auto t = std::find(tabList_.begin(), tabList_.end(), c);
  if (t != tabList_.end()) tabList_.erase(t);
  c->parent_ = nullptr;
  if (auto* w = dynamic_cast<TWinControl*>(c); w && w->peer_ && !destroying_) {
    w->peer_->hide();
    w->peer_->setParent(nullptr);
  }
  if (destroying_) return;
  if (TCustomForm* f = GetParentForm(this)) {
    if (f->activeControl_ && (f->activeControl_ == c || (c->IsWindowed() &&
                              static_cast<TWinControl*>(c)->ContainsControl(f->activeControl_))))
      f->activeControl_ = nullptr;
  }
  if (c->align_ != alNone) AlignControls(nullptr);
  if (!c->IsWindowed()) InvalidateRect(c->BoundsRect());
}

bool TWinControl::ContainsControl(TControl* Control) const {
  for (TControl* c = Control; c; c = c->parent_)
    if (c == this) return true;
  return false;
}

TControl* TWinControl::ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (!AllowWinControls && c->IsWindowed()) continue;
    if (!c->visible_ || (!c->enabled_ && !AllowDisabled)) continue;
    if (Pos.X >= c->left_ && Pos.X < c->left_ + c->width_ && Pos.Y >= c->top_ && Pos.Y < c->top_ + c->height_)
      return c;
  }
  return nullptr;
}

void TWinControl::Broadcast(TMessage& m) {
  std::vector<TControl*> copy = controls_;
  for (TControl* c : copy) {
    c->WindowProc(m);
    if (m.Result != 0) return;
  }
}

HWND TWinControl::Handle() {
  HandleNeeded();
  return handle_;
}

void TWinControl::HandleNeeded() {
  if (peer_) return;
  if (parent_) parent_->HandleNeeded();
  if (!peer_) CreateHandle();
}

void TWinControl::CreateHandle() {
  if (peer_) return;
  CreateWnd();
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->HandleNeeded();
}

QWidget* TWinControl::CreatePeer(QWidget* ParentWidget) { return new TPeer<QWidget>(this, ParentWidget); }

QWidget* TWinControl::ClientWidget() const { return peer_; }

void TWinControl::CreateWnd() {
  QWidget* pw = parent_ ? parent_->ClientWidget() : nullptr;
  peer_ = CreatePeer(pw);
  if (pw && peer_->parentWidget() != pw) peer_->setParent(pw);
  handle_ = reinterpret_cast<HWND>(gNextHandle++);
  Handles()[reinterpret_cast<uintptr_t>(handle_)] = this;
  peer_->setAttribute(Qt::WA_DeleteOnClose, false);
  peer_->setMouseTracking(true);
  ApplyFocusPolicy();
  peer_->setFont(TQtCanvasBackend::MakeFont(font_->Data()));
  peer_->setEnabled(enabled_);
  QPalette pal = peer_->palette();
  pal.setColor(QPalette::Window, ToQColor(color_));
  SetEnabledTextColor(pal, QPalette::WindowText, ToQColor(font_->Color()));
  peer_->setPalette(pal);
  peer_->setAutoFillBackground(!(controlStyle_ & csOpaque) || PaintsItself());
  if (controlStyle_ & csOpaque) peer_->setAttribute(Qt::WA_OpaquePaintEvent, true);
  GuiApplyCursorTo(peer_, cursor_);
  if (imeMode_ == imDisable || WantsInputMethods()) PushImeMode();
  UpdatePeerGeometry();
  if (parent_) peer_->setVisible(visible_);
}

void TWinControl::SetImeMode(TImeMode v) {
  if (v == imeMode_) return;
  imeMode_ = v;
  PushImeMode();
}

void TWinControl::PushImeMode() {
  if (peer_) peer_->setAttribute(Qt::WA_InputMethodEnabled, imeMode_ != imDisable && WantsInputMethods());
}

void TWinControl::DestroyWnd() {
  if (!peer_) return;
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyWnd();
  Handles().erase(reinterpret_cast<uintptr_t>(handle_));
  handle_ = nullptr;
  QWidget* p = peer_;
  peer_ = nullptr;
  if (auto* pb = PeerOf(p)) pb->Control = nullptr;
  GuiDeleteWidget(p);
}

void TWinControl::RecreateWnd() {
  if (!peer_) return;
  DestroyWnd();
  CreateHandle();
}

void TWinControl::UpdatePeerGeometry() {
  if (peer_) peer_->setGeometry(left_, top_, width_, height_);
}

void TWinControl::BoundsChanged() {
  UpdatePeerGeometry();
  AlignChildren();
}

void TWinControl::VisibilityChanged() {
  if (peer_ && parent_) peer_->setVisible(visible_);
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

TRect TWinControl::ClientRect() const { return TRect(0, 0, width_, height_); }

void TWinControl::SetParent(TWinControl* AParent) { TControl::SetParent(AParent); }

void TWinControl::AlignChildren() {
  TRect r = ClientRect();
  TSize s{r.Right - r.Left, r.Bottom - r.Top};
  if (s == lastClientSize_) return;
  lastClientSize_ = s;
  AlignControls(nullptr);
}

void TWinControl::EnableAlign() {
  if (alignDisabled_ > 0) --alignDisabled_;
  if (alignDisabled_ == 0 && (controlState_ & csAlignmentNeeded)) Realign();
}

void TWinControl::AdjustClientRect(TRect& Rect) {
  Rect.Left += borderWidth_;
  Rect.Top += borderWidth_;
  Rect.Right -= borderWidth_;
  Rect.Bottom -= borderWidth_;
}

void TWinControl::SetBorderWidth(int v) {
  if (v == borderWidth_) return;
  borderWidth_ = v;
  Realign();
  Invalidate();
}

void TWinControl::AlignControls(TControl* AControl) {
  if (alignDisabled_ > 0) {
    controlState_ |= csAlignmentNeeded;
    return;
  }
  controlState_ &= ~csAlignmentNeeded;
  TRect r = ClientRect();
  TSize clientSize{r.Right - r.Left, r.Bottom - r.Top};
  AdjustClientRect(r);
  ++alignDisabled_;
  auto place = [&](TControl* c, int l, int t, int w, int h) {
    c->aligning_ = true;
    c->SetBounds(l, t, std::max(0, w), std::max(0, h));
    c->aligning_ = false;
  };
  for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient}) {
    std::vector<TControl*> list;
    for (TControl* c : controls_)
      if (c->align_ == a && c->visible_) list.push_back(c);
    auto key = [a](TControl* c) {
      switch (a) {
        case alTop: return c->top_;
        case alBottom: return -(c->top_ + c->height_);
        case alLeft: return c->left_;
        case alRight: return -(c->left_ + c->width_);
        default: return 0;
      }
    };
    std::stable_sort(list.begin(), list.end(), [&](TControl* x, TControl* y) {
      int kx = key(x), ky = key(y);
      if (kx != ky) return kx < ky;
      return x == AControl && y != AControl;
    });
    for (TControl* c : list) {
      switch (a) {
        case alTop:
          place(c, r.Left, r.Top, r.Right - r.Left, c->height_);
          r.Top += c->height_;
          break;
        case alBottom:
          place(c, r.Left, r.Bottom - c->height_, r.Right - r.Left, c->height_);
          r.Bottom -= c->height_;
          break;
        case alLeft:
          place(c, r.Left, r.Top, c->width_, r.Bottom - r.Top);
          r.Left += c->width_;
          break;
        case alRight:
          place(c, r.Right - c->width_, r.Top, c->width_, r.Bottom - r.Top);
          r.Right -= c->width_;
          break;
        default:
          place(c, r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
          break;
      }
    }
  }
  // Anchored controls follow the client size from the size they were placed at.
  for (TControl* c : controls_) {
    if (c->align_ != alNone || c->anchorParentSize_.cx < 0) continue;
    if (c->anchors_ == (akLeft | akTop)) continue;
    int dw = clientSize.cx - c->anchorParentSize_.cx, dh = clientSize.cy - c->anchorParentSize_.cy;
    const TRect& b = c->anchorBounds_;
    int l = b.Left, t = b.Top, w = b.Right - b.Left, h = b.Bottom - b.Top;
    if ((c->anchors_ & akLeft) && (c->anchors_ & akRight)) w += dw;
    else if (c->anchors_ & akRight) l += dw;
    else if (!(c->anchors_ & akLeft)) l += dw / 2;
    if ((c->anchors_ & akTop) && (c->anchors_ & akBottom)) h += dh;
    else if (c->anchors_ & akBottom) t += dh;
    else if (!(c->anchors_ & akTop)) t += dh / 2;
    place(c, l, t, w, h);
  }
  --alignDisabled_;
  ClientAreaAligned(r);
}

void TWinControl::Invalidate() {
  if (peer_) ClientWidget()->update();
}
void TWinControl::InvalidateRect(const TRect& R) {
  if (QWidget* w = ClientWidget()) w->update(ToQRect(R));
}
void TWinControl::Update() {
  if (QWidget* w = ClientWidget()) GuiRepaintNow(w);
}
void TWinControl::Repaint() {
  Invalidate();
  Update();
}

void TWinControl::BringToFront() {
  TControl::BringToFront();
  if (peer_) peer_->raise();
}
void TWinControl::SendToBack() {
  TControl::SendToBack();
  if (peer_) peer_->lower();
}

// ----- focus
void TWinControl::SetTabStop(bool v) {
  if (v == tabStop_) return;
  tabStop_ = v;
  ApplyFocusPolicy();
}

void TWinControl::SetClickFocus(bool v) {
  if (v == clickFocus_) return;
  clickFocus_ = v;
  ApplyFocusPolicy();
}

void TWinControl::ApplyFocusPolicy() {
  if (!peer_) return;
  // Tab moves are the layer's own (dialog keys); the Qt tab flag only keeps the widget in reach.
  unsigned p = (tabStop_ ? Qt::TabFocus : 0) | (clickFocus_ ? Qt::ClickFocus : 0);
  peer_->setFocusPolicy(static_cast<Qt::FocusPolicy>(p));
}

int TWinControl::TabOrder() const {
  if (!parent_) return -1;
  auto& l = parent_->tabList_;
  auto it = std::find(l.begin(), l.end(), this);
  return it == l.end() ? -1 : static_cast<int>(it - l.begin());
}

void TWinControl::SetTabOrder(int v) {
  if (!parent_) return;
  auto& l = parent_->tabList_;
  auto it = std::find(l.begin(), l.end(), this);
  if (it == l.end()) return;
  l.erase(it);
  v = std::clamp(v, 0, static_cast<int>(l.size()));
  l.insert(l.begin() + v, this);
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->parent_)
    if (!c->visible_ || !c->enabled_) return false;
  return true;
}

bool TWinControl::Focused() const {
  if (peer_ && peer_->hasFocus()) return true;
  TCustomForm* f = GetParentForm(this);
  return f && f->activeControl_ == this && f->Active();
}

void TWinControl::SetFocus() {
  TCustomForm* f = GetParentForm(this);
  if (f && f != this) {
    f->FocusControl(this);
  } else {
    HandleNeeded();
    peer_->setFocus(Qt::OtherFocusReason);
  }
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) {
  for (TWinControl* c : tabList_) {
    List.push_back(c);
    c->GetTabOrderList(List);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  int n = static_cast<int>(list.size());
  int start = -1;
  for (int i = 0; i < n; ++i)
    if (list[static_cast<size_t>(i)] == CurControl) start = i;
  if (start < 0) start = GoForward ? n - 1 : 0;
  for (int k = 1; k <= n; ++k) {
    int i = GoForward ? (start + k) % n : (start - k + n) % n;
    TWinControl* c = list[static_cast<size_t>(i)];
    if (c == CurControl) continue;
    if ((!CheckTabStop || c->TabStop()) && (!CheckParent || c->parent_ == this) && c->CanFocus()) return c;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  if (TWinControl* c = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop)) c->SetFocus();
}

void TWinControl::DoEnter() {
  FireEvent(OnEnter, this);
}
void TWinControl::DoExit() {
  FireEvent(OnExit, this);
}

// ----- keys
void TWinControl::KeyDown(WORD& Key, TShiftState Shift) {
  FireEvent(OnKeyDown, this, Key, Shift);
}
void TWinControl::KeyUp(WORD& Key, TShiftState Shift) {
  FireEvent(OnKeyUp, this, Key, Shift);
}
void TWinControl::KeyPress(char& Key) {
  FireEvent(OnKeyPress, this, Key);
}

bool TWinControl::DoKeyDown(WORD& Key, TShiftState Shift) {
  TCustomForm* f = GetParentForm(this);
  if (f && f != this && f->KeyPreview()) {
    f->KeyDown(Key, Shift);
    if (Key == 0) return true;
  }
  KeyDown(Key, Shift);
  return Key == 0;
}

bool TWinControl::DoKeyUp(WORD& Key, TShiftState Shift) {
  TCustomForm* f = GetParentForm(this);
  if (f && f != this && f->KeyPreview()) {
    f->KeyUp(Key, Shift);
    if (Key == 0) return true;
  }
  KeyUp(Key, Shift);
  return Key == 0;
}

bool TWinControl::DoKeyPress(char& Key) {
  TCustomForm* f = GetParentForm(this);
  if (f && f != this && f->KeyPreview()) {
    f->KeyPress(Key);
    if (Key == 0) return true;
  }
  KeyPress(Key);
  return Key == 0;
}

bool TWinControl::DoDialogKey(WORD Key, TShiftState Shift) {
  TCustomForm* f = GetParentForm(this);
  if (!f) return false;
  // Menu shortcuts of the form (and of the MDI frame for a child).
  for (TCustomForm* m = f; m; m = m->frame_) {
    if (m->Menu() && m->Menu()->IsShortCut(Key, Shift)) return true;
    if (m->frame_ == nullptr) break;
  }
  if (f->frame_ && f->frame_->Menu() && f->frame_->Menu()->IsShortCut(Key, Shift)) return true;
  LRESULT mask = 0;
  switch (Key) {
    case VK_TAB: mask = DLGC_WANTTAB; break;
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: mask = DLGC_WANTARROWS; break;
    case VK_RETURN: case VK_EXECUTE: case VK_ESCAPE: case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
    default: break;
  }
  if (mask == 0 || Perform(CM_WANTSPECIALKEY, Key) != 0) return false;
  if (Perform(WM_GETDLGCODE) & mask) return false;
  if (Shift & (ssCtrl | ssAlt)) return false;
  return f->Perform(CM_DIALOGKEY, Key, static_cast<LPARAM>(Shift)) != 0;
}

bool TWinControl::DoDialogChar(char Key, bool Alt) {
  TCustomForm* f = GetParentForm(this);
  if (!f) return false;
  if (!Alt && (Perform(WM_GETDLGCODE) & (DLGC_WANTCHARS | DLGC_WANTALLKEYS))) return false;
  if (!Alt && static_cast<unsigned char>(Key) < 0x20) return false;
  return f->Perform(CM_DIALOGCHAR, static_cast<unsigned char>(Key), Alt ? KF_ALTDOWN_LPARAM : 0) != 0;
}

void TWinControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_SETFOCUS: WMSetFocus(m); break;
    case WM_KILLFOCUS: WMKillFocus(m); break;
    case WM_GETDLGCODE: WMGetDlgCode(m); break;
    case CM_DIALOGKEY: CMDialogKey(m); break;
    case CM_DIALOGCHAR: CMDialogChar(m); break;
    case CM_WANTSPECIALKEY: CMWantSpecialKey(m); break;
    case WM_KEYDOWN: case WM_SYSKEYDOWN: WMKeyDown(m); break;
    case WM_KEYUP: case WM_SYSKEYUP: WMKeyUp(m); break;
    case WM_CHAR: case WM_SYSCHAR: WMChar(m); break;
    case CM_ENTER: DoEnter(); break;
    case CM_EXIT: DoExit(); break;
    case WM_SETREDRAW: WMSetRedraw(m); break;
    case CM_SHOWHINTCHANGED: TellChildren(CM_PARENTSHOWHINTCHANGED); break;
    case CM_BIDIMODECHANGED: TellChildren(CM_PARENTBIDIMODECHANGED); break;
    default: TControl::Dispatch(m);
  }
}

void TWinControl::TellChildren(UINT Msg) {
  TMessage pm;
  pm.Msg = Msg;
  for (TControl* c : std::vector<TControl*>(controls_)) c->WindowProc(pm);
}

void TWinControl::DefaultHandler(TMessage& m) {
  if (!m.Event || !peer_) return;
  if (TPeerBase* p = GuiEventPeer()) {
    p->BaseEvent(m.Event);
  } else if (TPeerBase* p2 = PeerOf(peer_)) {
    p2->BaseEvent(m.Event);
  }
}

namespace {
// Per MDI child, the control the toolkit passed the focus to while the child's active control was
// hidden; the toolkit hands the focus back there when the child is activated again.
std::map<const TCustomForm*, QPointer<QWidget>> gPassedOnTo;
}  // namespace

void TWinControl::WMSetFocus(TMessage& m) {
  TCustomForm* f = GetParentForm(this);
  TWinControl* a = f && f != this && f->SubWindow() && m.Event ? f->activeControl_ : nullptr;
  if (a && a != this && !a->ContainsControl(this)) {
    // An MDI child's active control changes only by the user's moves inside the child, as on the
    // window system: the toolkit passing the focus on while the child's sub-window changes state
    // (in Tab order, which the keys here never use) and handing it back there on activation would
    // exit the active control (and run its exit handler) behind the user's back.
    const Qt::FocusReason why = static_cast<QFocusEvent*>(m.Event)->reason();
    const bool passedOn = why == Qt::TabFocusReason || why == Qt::BacktabFocusReason;
    const auto it = gPassedOnTo.find(f);
    const bool handedBack = peer_ && it != gPassedOnTo.end() && it->second == peer_ && why != Qt::MouseFocusReason;
    const bool canTake = a->Peer() && a->Peer()->isVisible() && a->Peer()->isEnabled();
    if (passedOn || (handedBack && canTake)) {
      if (canTake)
        gPassedOnTo.erase(f);
      else
        gPassedOnTo[f] = peer_;
      DefaultHandler(m);
      if (canTake) a->Peer()->setFocus(Qt::OtherFocusReason);
      return;
    }
  }
  gPassedOnTo.erase(f);
  if (f && f != this) f->SetFocusedControl(this);
  DefaultHandler(m);
}

void TWinControl::WMKillFocus(TMessage& m) { DefaultHandler(m); }
void TWinControl::WMGetDlgCode(TMessage& m) { m.Result = 0; }
void TWinControl::WMSetRedraw(TMessage& m) {
  // Turning drawing on again repaints the whole window (callers invalidate anyway).
  if (QWidget* w = ClientWidget()) w->setUpdatesEnabled(m.WParam != 0);
  if (peer_) peer_->setUpdatesEnabled(m.WParam != 0);
}
void TWinControl::CMDialogKey(TMessage& m) { Broadcast(m); }
void TWinControl::CMDialogChar(TMessage& m) { Broadcast(m); }
void TWinControl::CMWantSpecialKey(TMessage& m) { m.Result = 0; }

void TWinControl::WMKeyDown(TMessage& m) {
  WORD key = static_cast<WORD>(m.WParam);
  if (DoKeyDown(key, KeyboardStateToShiftState())) {
    m.Result = 1;
    m.WParam = 0;
    return;
  }
  m.WParam = key;
}
void TWinControl::WMKeyUp(TMessage& m) {
  WORD key = static_cast<WORD>(m.WParam);
  if (DoKeyUp(key, KeyboardStateToShiftState())) {
    m.Result = 1;
    m.WParam = 0;
    return;
  }
  m.WParam = key;
}
char KeyPressChar(char32_t Ch) {
  if (Ch < 0x80) return static_cast<char>(Ch);
  int b = UnicodeToWin1252Char(Ch);
  return b >= 0 ? static_cast<char>(b) : '?';
}

namespace {
char32_t typedChar = 0;
}  // namespace

char32_t KeyPressTypedChar() { return typedChar; }

void TWinControl::WMChar(TMessage& m) {
  // The message carries the typed character; handlers see it as one byte. A byte they leave
  // alone keeps the typed character, one they change stands for its Windows-1252 character,
  // so no handler can put a partial UTF-8 sequence into the text.
  auto typed = static_cast<char32_t>(m.WParam);
  char c0 = KeyPressChar(typed), c = c0;
  struct TTyped {
    char32_t outer = typedChar;
    ~TTyped() { typedChar = outer; }
  } restore;
  typedChar = typed;
  if (DoKeyPress(c)) {
    m.Result = 1;
    m.WParam = 0;
    return;
  }
  if (c != c0) {
    auto b = static_cast<unsigned char>(c);
    m.WParam = b < 0x80 ? b : Win1252ToUnicodeChar(b);
  }
}

void TWinControl::WMPaint(TMessage& m) {
  QWidget* w = ClientWidget();
  if (!m.Event || !w) return;
  if (!PaintsItself()) DefaultHandler(m);
  bool hasGraphic = false;
  for (TControl* c : controls_)
    if (!c->IsWindowed() && c->visible_) hasGraphic = true;
  if (!PaintsItself() && !hasGraphic) return;
  QPainter p(w);
  QRect area = GuiPaintRect(m.Event, w);
  TRect a = FromQRect(area);
  std::vector<TRect> outer;
  outer.swap(updateRects_);
  updateRects_ = GuiPaintRegion(m.Event, w);
  struct Restore {
    std::vector<TRect>& rects;
    std::vector<TRect>& saved;
    ~Restore() { rects.swap(saved); }
  } restore{updateRects_, outer};
  if (PaintsItself()) PaintWindow(&p, a);
  PaintControls(&p, a);
  GuiPaintFeedback(this, &p);
}

bool TWinControl::RectInUpdateRegion(const TRect& R) const {
  if (updateRects_.empty()) return true;
  for (const TRect& u : updateRects_)
    if (R.Left < u.Right && u.Left < R.Right && R.Top < u.Bottom && u.Top < R.Bottom) return true;
  return false;
}

void TWinControl::PaintWindow(QPainter*, const TRect&) {}

void TWinControl::PaintControls(QPainter* Painter, const TRect& Area) {
  std::vector<TControl*> copy = controls_;
  for (TControl* c : copy) {
    auto* g = dynamic_cast<TGraphicControl*>(c);
    if (!g || !g->visible_) continue;
    TRect b = g->BoundsRect();
    if (b.Right <= Area.Left || b.Left >= Area.Right || b.Bottom <= Area.Top || b.Top >= Area.Bottom) continue;
    Painter->save();
    Painter->translate(b.Left, b.Top);
    g->PaintTo(Painter, TRect(0, 0, b.Right - b.Left, b.Bottom - b.Top));
    Painter->restore();
  }
}

void TWinControl::CMEnabledChanged(TMessage& m) {
  if (peer_) peer_->setEnabled(enabled_);
  TControl::CMEnabledChanged(m);
}

void TWinControl::PushWindowColor() {
  for (QWidget* w : {peer_, ClientWidget()}) {
    if (!w) continue;
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, ToQColor(color_));
    w->setPalette(pal);
  }
}

void TWinControl::CMSysColorChange(TMessage& m) {
  // A system colour may stand for another value now; the children hear of it too.
  PushWindowColor();
  TControl::CMSysColorChange(m);
  Broadcast(m);
}

void TWinControl::CMColorChanged(TMessage& m) {
  brush_->SetColor(color_);
  PushWindowColor();
  TControl::CMColorChanged(m);
  TMessage pm;
  pm.Msg = CM_PARENTCOLORCHANGED;
  for (TControl* c : std::vector<TControl*>(controls_)) c->WindowProc(pm);
}

void TWinControl::CMFontChanged(TMessage& m) {
  if (peer_) {
    peer_->setFont(TQtCanvasBackend::MakeFont(font_->Data()));
    QPalette pal = peer_->palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
      SetEnabledTextColor(pal, role, ToQColor(font_->Color()));
    peer_->setPalette(pal);
  }
  TControl::CMFontChanged(m);
  TMessage pm;
  pm.Msg = CM_PARENTFONTCHANGED;
  for (TControl* c : std::vector<TControl*>(controls_)) c->WindowProc(pm);
}

void TWinControl::CMTextChanged(TMessage& m) { TControl::CMTextChanged(m); }

void TWinControl::CMCursorChanged(TMessage& m) {
  if (peer_) GuiApplyCursorTo(peer_, cursor_);
  TControl::CMCursorChanged(m);
}

void TWinControl::CMVisibleChanged(TMessage& m) { TControl::CMVisibleChanged(m); }

// ---------------------------------------------------------------- canvases and painting
TControlCanvas::TControlCanvas(TControl* Control) : control_(Control) {}

TControlCanvas::~TControlCanvas() {
  SetBackend(nullptr);
  if (scratchPainter_) scratchPainter_->end();
}

void TControlCanvas::BeginPaint(QPainter* Painter, const TRect& Clip) {
  if (scratchPainter_) {
    SetBackend(nullptr);
    scratchPainter_->end();
    scratchPainter_.reset();
  }
  Painter->save();
  SetBackend(std::make_unique<TQtCanvasBackend>(Painter, ToQRect(Clip)),
             TSize{control_->Width(), control_->Height()});
  SetPaintArea(&Clip);
  painting_ = true;
}

void TControlCanvas::EndPaint() {
  if (!painting_) return;
  auto* b = static_cast<TQtCanvasBackend*>(Backend());
  QPainter* p = b ? b->Painter() : nullptr;
  SetBackend(nullptr);
  if (p) p->restore();
  painting_ = false;
  SetPaintArea(nullptr);
  RemoveClip();
}

void TControlCanvas::PaintWith(QPainter* Painter, const TRect& Clip, const std::function<void()>& Body) {
  BeginPaint(Painter, Clip);
  try {
    Font()->Assign(control_->Font());
    Brush()->SetColor(control_->Color());
    Body();
  } catch (...) {
    EndPaint();
    throw;
  }
  EndPaint();
}

void TControlCanvas::Changed() {
  TCanvas::Changed();
  if (!painting_) control_->Invalidate();
}

void TControlCanvas::RequiredState() {
  if (Backend()) return;
  int w = std::max(1, control_->Width()), h = std::max(1, control_->Height());
  scratch_ = std::make_unique<QImage>(w, h, QImage::Format_RGB32);
  scratch_->fill(Qt::white);
  scratchPainter_ = std::make_unique<QPainter>(scratch_.get());
  SetBackend(std::make_unique<TQtCanvasBackend>(scratchPainter_.get()), TSize{w, h});
}

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner), canvas_(new TControlCanvas(this)) {}
TCustomControl::~TCustomControl() = default;
void TCustomControl::Paint() {}
void TCustomControl::PaintWindow(QPainter* Painter, const TRect& Area) {
  // The canvas clips to what the window system asks to repaint, as ClipRect tells.
  canvas_->PaintWith(Painter, Area, [this] { Paint(); });
}

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner), canvas_(new TControlCanvas(this)) {}
TGraphicControl::~TGraphicControl() = default;
void TGraphicControl::Paint() {}
void TGraphicControl::PaintTo(QPainter* Painter, const TRect& Clip) {
  canvas_->PaintWith(Painter, Clip, [this] { Paint(); });
}
