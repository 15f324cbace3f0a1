// The translation point: every Qt event, timer tick, posted message and menu
// action reaches the controls through here.

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPointer>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <map>
#include <vector>

#include "platform/gui/Forms.h"
#include "platform/gui/GuiInternal.h"
#include "platform/gui/QtBridge.h"
#include "platform/gui/QtPeer.h"

namespace {
std::vector<TPeerBase*> gPeerStack;
int gDepth = 0;

struct TranslationFrame {
  explicit TranslationFrame(TPeerBase* p) {
    gPeerStack.push_back(p);
    ++gDepth;
  }
  ~TranslationFrame() {
    gPeerStack.pop_back();
    --gDepth;
  }
};

bool FormAlive(TCustomForm* f) {
  if (!f || !Screen) return false;
  for (int i = 0; i < Screen->FormCount(); ++i)
    if (Screen->Forms(i) == f) return true;
  return false;
}

// Counts a handler as running on its form; a release asked meanwhile waits for the end.
struct BusyScope {
  explicit BusyScope(TCustomForm* form) : f(form) {
    if (f) GuiFormBusy(f, +1);
  }
  ~BusyScope() {
    if (f && FormAlive(f)) GuiFormBusy(f, -1);
  }
  TCustomForm* f;
};

TCustomForm* FormOfComponent(TComponent* c) {
  for (TComponent* o = c; o; o = o->Owner()) {
    if (auto* ctl = dynamic_cast<TControl*>(o)) return GetParentForm(ctl);
  }
  return nullptr;
}

void RunCaught(TObject* sender, const std::function<void()>& body) {
  try {
    body();
  } catch (EAbort&) {
  } catch (Exception& e) {
    if (Application) Application->HandleException(sender, e);
  } catch (std::exception& e) {
    Exception wrapped(e.what());
    if (Application) Application->HandleException(sender, wrapped);
  }
}
}  // namespace

TPeerBase* GuiEventPeer() { return gPeerStack.empty() ? nullptr : gPeerStack.back(); }
int GuiTranslationDepth() { return gDepth; }

void GuiRun(TControl* Control, const std::function<void()>& Body) {
  BusyScope scope(Control ? GetParentForm(Control) : nullptr);
  RunCaught(Control, Body);
}

void GuiRun(TComponent* Owner, const std::function<void()>& Body) {
  BusyScope scope(FormOfComponent(Owner));
  RunCaught(Owner, Body);
}

TPeerBase* PeerOf(QWidget* Widget) { return dynamic_cast<TPeerBase*>(Widget); }

void GuiRunDeferred(TPeerBase* Peer, TControl* Control, const std::function<void()>& Body) {
  {
    TranslationFrame frame(Peer);
    GuiRun(Control, Body);
  }
  // Widgets freed meanwhile go when the signal that ran Body has returned.
  if (gDepth == 0) QTimer::singleShot(0, [] { GuiFlushDeletes(); });
}

// ---------------------------------------------------------------- keys
TShiftState ShiftFromQt(Qt::KeyboardModifiers m, Qt::MouseButtons b) {
  TShiftState s = 0;
  if (m & Qt::ShiftModifier) s |= ssShift;
  if (m & Qt::ControlModifier) s |= ssCtrl;
  if (m & Qt::AltModifier) s |= ssAlt;
  if (b & Qt::LeftButton) s |= ssLeft;
  if (b & Qt::RightButton) s |= ssRight;
  if (b & Qt::MiddleButton) s |= ssMiddle;
  return s;
}

namespace {
const std::pair<int, WORD> kKeyMap[] = {
    {Qt::Key_Escape, VK_ESCAPE},   {Qt::Key_Tab, VK_TAB},         {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Backspace, VK_BACK},  {Qt::Key_Return, VK_RETURN},   {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Insert, VK_INSERT},   {Qt::Key_Delete, VK_DELETE},   {Qt::Key_Pause, VK_PAUSE},
    {Qt::Key_Print, VK_SNAPSHOT},  {Qt::Key_Home, VK_HOME},       {Qt::Key_End, VK_END},
    {Qt::Key_Left, VK_LEFT},       {Qt::Key_Up, VK_UP},           {Qt::Key_Right, VK_RIGHT},
    {Qt::Key_Down, VK_DOWN},       {Qt::Key_PageUp, VK_PRIOR},    {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_Shift, VK_SHIFT},     {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU},
    {Qt::Key_Meta, VK_LWIN},       {Qt::Key_CapsLock, VK_CAPITAL}, {Qt::Key_NumLock, VK_NUMLOCK},
    {Qt::Key_ScrollLock, VK_SCROLL}, {Qt::Key_Space, VK_SPACE},   {Qt::Key_Menu, VK_APPS},
    {Qt::Key_Help, VK_HELP},       {Qt::Key_Clear, VK_CLEAR},     {Qt::Key_Semicolon, VK_OEM_1},
    {Qt::Key_Colon, VK_OEM_1},     {Qt::Key_Equal, VK_OEM_PLUS},  {Qt::Key_Plus, VK_OEM_PLUS},
    {Qt::Key_Comma, VK_OEM_COMMA}, {Qt::Key_Less, VK_OEM_COMMA},  {Qt::Key_Minus, VK_OEM_MINUS},
    {Qt::Key_Underscore, VK_OEM_MINUS}, {Qt::Key_Period, VK_OEM_PERIOD}, {Qt::Key_Greater, VK_OEM_PERIOD},
    {Qt::Key_Slash, VK_OEM_2},     {Qt::Key_Question, VK_OEM_2},  {Qt::Key_QuoteLeft, VK_OEM_3},
    {Qt::Key_AsciiTilde, VK_OEM_3}, {Qt::Key_BracketLeft, VK_OEM_4}, {Qt::Key_BraceLeft, VK_OEM_4},
    {Qt::Key_Backslash, VK_OEM_5}, {Qt::Key_Bar, VK_OEM_5},       {Qt::Key_BracketRight, VK_OEM_6},
    {Qt::Key_BraceRight, VK_OEM_6}, {Qt::Key_Apostrophe, VK_OEM_7}, {Qt::Key_QuoteDbl, VK_OEM_7},
    {Qt::Key_Exclam, '1'},         {Qt::Key_At, '2'},             {Qt::Key_NumberSign, '3'},
    {Qt::Key_Dollar, '4'},         {Qt::Key_Percent, '5'},        {Qt::Key_AsciiCircum, '6'},
    {Qt::Key_Ampersand, '7'},      {Qt::Key_Asterisk, '8'},       {Qt::Key_ParenLeft, '9'},
    {Qt::Key_ParenRight, '0'}};
}  // namespace

WORD VirtualKeyFromQt(int k, Qt::KeyboardModifiers m) {
  if (m & Qt::KeypadModifier) {
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return static_cast<WORD>(VK_NUMPAD0 + (k - Qt::Key_0));
    switch (k) {
      case Qt::Key_Asterisk: return VK_MULTIPLY;
      case Qt::Key_Plus: return VK_ADD;
      case Qt::Key_Minus: return VK_SUBTRACT;
      case Qt::Key_Period: case Qt::Key_Comma: return VK_DECIMAL;
      case Qt::Key_Slash: return VK_DIVIDE;
      case Qt::Key_Enter: return VK_RETURN;
      default: break;
    }
  }
  if (k >= Qt::Key_A && k <= Qt::Key_Z) return static_cast<WORD>('A' + (k - Qt::Key_A));
  if (k >= Qt::Key_0 && k <= Qt::Key_9) return static_cast<WORD>('0' + (k - Qt::Key_0));
  if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return static_cast<WORD>(VK_F1 + (k - Qt::Key_F1));
  for (const auto& e : kKeyMap)
    if (e.first == k) return e.second;
  return 0;
}

int QtKeyFromVirtualKey(WORD v) {
  if (v >= 'A' && v <= 'Z') return Qt::Key_A + (v - 'A');
  if (v >= '0' && v <= '9') return Qt::Key_0 + (v - '0');
  if (v >= VK_F1 && v <= VK_F24) return Qt::Key_F1 + (v - VK_F1);
  if (v >= VK_NUMPAD0 && v <= VK_NUMPAD9) return Qt::Key_0 + (v - VK_NUMPAD0);
  for (const auto& e : kKeyMap)
    if (e.second == v) return e.first;
  return Qt::Key_unknown;
}

// ---------------------------------------------------------------- mouse control, cursors
void GuiSetMouseControl(TControl* Control) {
  TControl*& cur = GuiMouseControl();
  if (cur == Control) return;
  TControl* old = cur;
  cur = Control;
  GuiHintMouseEntered(Control);
  if (old) old->Perform(CM_MOUSELEAVE);
  if (Control && GuiMouseControl() == Control) {
    Control->Perform(CM_MOUSEENTER);
    GuiApplyCursor(Control);
    std::string hint;
    for (TControl* c = Control; c && hint.empty(); c = c->Parent()) hint = c->Hint();
    if (Application) Application->SetHint(GetLongHint(hint));
    GuiHintSetBy(Control);
  }
}

static std::map<int, QCursor*>& CursorTable() {
  static std::map<int, QCursor*> t;
  return t;
}

// The screen owns the cursors registered with it: a replaced one is freed,
// and the rest go when the application does (a cursor holds a pixmap, which
// must not outlive the window system).
void GuiFreeRegisteredCursors() {
  std::vector<QCursor*> owned;
  for (auto& [index, cursor] : CursorTable())
    if (std::find(owned.begin(), owned.end(), cursor) == owned.end()) owned.push_back(cursor);
  CursorTable().clear();
  for (QCursor* c : owned) delete c;
}

void GuiRegisterCursor(int Index, HCURSOR Cursor) {
  static bool cleanupRegistered = false;
  if (!cleanupRegistered && QCoreApplication::instance()) {
    qAddPostRoutine(GuiFreeRegisteredCursors);
    cleanupRegistered = true;
  }
  auto* cursor = reinterpret_cast<QCursor*>(Cursor);
  auto& table = CursorTable();
  auto it = table.find(Index);
  if (it != table.end() && it->second != cursor) {
    QCursor* old = it->second;
    it->second = cursor;
    bool stillUsed = false;
    for (auto& [index, c] : table) stillUsed = stillUsed || c == old;
    if (!stillUsed) delete old;
    return;
  }
  table[Index] = cursor;
}
HCURSOR GuiRegisteredCursor(int Index) {
  auto it = CursorTable().find(Index);
  if (it != CursorTable().end()) return reinterpret_cast<HCURSOR>(it->second);
  // The standard cursors are there from the start, as on the screen of the class library.
  if (Index >= 0 || Index < crSizeAll || !QCoreApplication::instance()) return nullptr;
  auto* c = new QCursor(GuiQCursor(Index));
  GuiRegisterCursor(Index, reinterpret_cast<HCURSOR>(c));
  return reinterpret_cast<HCURSOR>(c);
}

QCursor GuiQCursor(TCursor c) {
  switch (c) {
    case crNone: return QCursor(Qt::BlankCursor);
    case crCross: return QCursor(Qt::CrossCursor);
    case crIBeam: return QCursor(Qt::IBeamCursor);
    case crSizeNESW: return QCursor(Qt::SizeBDiagCursor);
    case crSizeNS: return QCursor(Qt::SizeVerCursor);
    case crSizeNWSE: return QCursor(Qt::SizeFDiagCursor);
    case crSizeWE: return QCursor(Qt::SizeHorCursor);
    case crUpArrow: return QCursor(Qt::UpArrowCursor);
    case crHourGlass: case crSQLWait: return QCursor(Qt::WaitCursor);
    case crDrag: case crMultiDrag: return QCursor(Qt::DragMoveCursor);
    case crNoDrop: case crNo: return QCursor(Qt::ForbiddenCursor);
    case crHSplit: return QCursor(Qt::SplitHCursor);
    case crVSplit: return QCursor(Qt::SplitVCursor);
    case crAppStart: return QCursor(Qt::BusyCursor);
    case crHelp: return QCursor(Qt::WhatsThisCursor);
    case crHandPoint: return QCursor(Qt::PointingHandCursor);
    case crSizeAll: return QCursor(Qt::SizeAllCursor);
    default: break;
  }
  if (c > 0) {
    auto it = CursorTable().find(c);
    if (it != CursorTable().end() && it->second) return *it->second;
  }
  return QCursor(Qt::ArrowCursor);
}

void GuiApplyCursorTo(QWidget* Widget, TCursor Cursor) {
  if (!Widget) return;
  if (Cursor == crDefault)
    Widget->unsetCursor();
  else
    Widget->setCursor(GuiQCursor(Cursor));
}

void GuiApplyCursor(TControl* Control) {
  if (!Control) return;
  if (auto* w = dynamic_cast<TWinControl*>(Control)) {
    GuiApplyCursorTo(w->Peer(), w->Cursor());
    return;
  }
  if (Control->Parent()) {
    TCursor c = Control->Cursor() != crDefault ? Control->Cursor() : Control->Parent()->Cursor();
    GuiApplyCursorTo(Control->Parent()->ClientWidget(), c);
  }
}

// ---------------------------------------------------------------- widgets
namespace {
std::vector<QWidget*> gDeferred;
}

void GuiDeleteWidget(QWidget* w) {
  if (!w) return;
  if (gDepth == 0) {
    delete w;
    return;
  }
  w->hide();
  gDeferred.push_back(w);
}

void GuiFlushDeletes() {
  if (gDepth != 0) return;
  std::vector<QWidget*> list;
  list.swap(gDeferred);
  for (QWidget* w : list) delete w;
}

void GuiRepaintNow(QWidget* w) { w->repaint(); }

QRect GuiPaintRect(QEvent* e, QWidget* w) {
  if (e && e->type() == QEvent::Paint) return static_cast<QPaintEvent*>(e)->rect();
  return w->rect();
}

std::vector<TRect> GuiPaintRegion(QEvent* e, QWidget* w) {
  std::vector<TRect> r;
  if (e && e->type() == QEvent::Paint) {
    for (const QRect& q : static_cast<QPaintEvent*>(e)->region()) r.push_back(FromQRect(q));
  } else {
    r.push_back(FromQRect(w->rect()));
  }
  return r;
}

WPARAM GuiWindowOfWidget(QWidget* w) {
  for (; w; w = w->parentWidget()) {
    TPeerBase* p = PeerOf(w);
    if (p && p->Control && p->Control->HandleAllocated()) return reinterpret_cast<WPARAM>(p->Control->Handle());
  }
  return 0;
}

namespace {
QPointer<QWidget> gLastFocusOut;
QPoint gMessagePos;
bool gHaveMessagePos = false;
TControl* gCursorAsked = nullptr;
QWidget* gCursorSet = nullptr;  // the widget whose cursor a WM_SETCURSOR answer chose
QWidget* CursorWidget(TControl* c) {
  if (auto* w = dynamic_cast<TWinControl*>(c)) return w->ClientWidget();
  return c->Parent() ? c->Parent()->ClientWidget() : nullptr;
}
}  // namespace

void GuiAskCursor(TControl* Target) {
  if (!Target) return;
  TControl* cap = GetCaptureControl();
  if (cap && cap != Target) return;
  TControl* prev = gCursorAsked;
  gCursorAsked = Target;
  WPARAM wnd = 0;
  if (auto* w = dynamic_cast<TWinControl*>(Target); w && w->HandleAllocated()) wnd = reinterpret_cast<WPARAM>(w->Handle());
  LRESULT r = Target->Perform(WM_SETCURSOR, wnd, MakeLParam(HTCLIENT, WM_MOUSEMOVE));
  gCursorAsked = prev;
  if (r == 0 && gCursorSet && gCursorSet == CursorWidget(Target)) {
    gCursorSet->unsetCursor();
    gCursorSet = nullptr;
    GuiApplyCursor(Target);
  }
}

TPoint GetMessagePos() {
  QPoint p = gHaveMessagePos ? gMessagePos : QCursor::pos();
  return TPoint(p.x(), p.y());
}

HCURSOR SetCursor(HCURSOR Cursor) {
  TControl* c = gCursorAsked ? gCursorAsked : GuiMouseControl();
  QWidget* w = c ? CursorWidget(c) : nullptr;
  if (!w) return nullptr;
  if (Cursor)
    w->setCursor(*reinterpret_cast<QCursor*>(Cursor));
  else
    w->setCursor(QCursor(Qt::BlankCursor));
  gCursorSet = w;
  return nullptr;
}

// ---------------------------------------------------------------- translation
namespace {
WPARAM MouseKeys(Qt::MouseButtons b, Qt::KeyboardModifiers m) {
  WPARAM k = 0;
  if (b & Qt::LeftButton) k |= MK_LBUTTON;
  if (b & Qt::RightButton) k |= MK_RBUTTON;
  if (b & Qt::MiddleButton) k |= MK_MBUTTON;
  if (m & Qt::ShiftModifier) k |= MK_SHIFT;
  if (m & Qt::ControlModifier) k |= MK_CONTROL;
  return k;
}

UINT MouseMessage(QEvent::Type t, Qt::MouseButton b) {
  int base = b == Qt::RightButton ? 3 : b == Qt::MiddleButton ? 6 : 0;
  switch (t) {
    case QEvent::MouseButtonPress: return WM_LBUTTONDOWN + base;
    case QEvent::MouseButtonRelease: return WM_LBUTTONUP + base;
    case QEvent::MouseButtonDblClick: return WM_LBUTTONDBLCLK + base;
    default: return WM_MOUSEMOVE;
  }
}

QPoint ToClient(TPeerBase* peer, TWinControl* c, QPoint p) {
  QWidget* from = peer->Widget();
  QWidget* to = c->ClientWidget();
  if (!to || from == to) return p;
  // mapFrom and mapTo require an ancestor; a list's viewport sits inside its client widget.
  if (to->isAncestorOf(from)) return from->mapTo(to, p);
  if (from->isAncestorOf(to)) return to->mapFrom(from, p);
  return to->mapFromGlobal(from->mapToGlobal(p));
}

// Sends a mouse message to the graphic child under the point or holding the capture.
void RouteMouse(TWinControl* c, TMessage& m, bool move) {
  TPoint p(m.XPos(), m.YPos());
  TControl* target = c;
  TControl* cap = GetCaptureControl();
  if (cap && cap != c && !cap->IsWindowed() && cap->Parent() == c) {
    target = cap;
  } else if (!cap || cap == c || !c->ContainsControl(cap)) {
    if (TControl* g = c->ControlAtPos(p, false)) target = g;
  }
  if (move) {
    GuiSetMouseControl(target);
    GuiAskCursor(target);
  }
  if (target != c) {
    TMessage t = m;
    t.Event = nullptr;
    t.LParam = MakeLParam(p.X - target->Left(), p.Y - target->Top());
    target->WindowProc(t);
    m.Result = t.Result;
    if (m.Event) {
      // the widget still sees the event (focus, grabs), without our handlers again
      if (TPeerBase* peer = GuiEventPeer()) peer->BaseEvent(m.Event);
    }
    return;
  }
  c->WindowProc(m);
}

// Alt+letter or Alt+digit (Ctrl+Alt is AltGr on many layouts): a mnemonic key.
bool AltMnemonicKey(const QKeyEvent* ke) {
  const auto mods = ke->modifiers();
  if (!(mods & Qt::AltModifier) || (mods & (Qt::ControlModifier | Qt::MetaModifier))) return false;
  const int k = ke->key();
  return (k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9);
}

bool TranslateKey(TPeerBase* peer, TWinControl* c, QKeyEvent* ke) {
  bool press = ke->type() == QEvent::KeyPress;
  TShiftState shift = ShiftFromQt(ke->modifiers());
  GuiCurrentShift() = shift;
  WORD vk0 = VirtualKeyFromQt(ke->key(), ke->modifiers());
  WORD vk = vk0;
  bool alt = shift & ssAlt;
  const LPARAM keyData = (alt ? KF_ALTDOWN_LPARAM : 0) | ((ke->modifiers() & Qt::KeypadModifier) ? KF_KEYPAD_LPARAM : 0);
  if (press) ++GuiKeySerial();
  if (press && ke->key() == Qt::Key_Escape && GuiEscapeDrag()) return true;
  if (!press) {
    if (vk) {
      TMessage m;
      m.Msg = alt ? WM_SYSKEYUP : WM_KEYUP;
      m.WParam = vk;
      m.LParam = keyData;
      c->WindowProc(m);
      if (m.Result || m.WParam == 0) return true;
    }
    return peer->BaseEvent(ke);
  }
  if (vk && c->DoDialogKey(vk, shift)) return true;
  bool keyConsumed = false;
  if (vk) {
    TMessage m;
    m.Msg = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    m.WParam = vk;
    m.LParam = keyData;
    c->WindowProc(m);
    if (m.Result || m.WParam == 0)
      keyConsumed = true;
    else
      vk = static_cast<WORD>(m.WParam);
  }
  // A help key nobody took asks the form for help on the control that has the keys.
  if (!keyConsumed && ((vk == VK_F1 && !(shift & (ssShift | ssCtrl | ssAlt))) || vk == VK_HELP)) {
    TCustomForm* form = GetParentForm(c);
    if (form) form->Perform(WM_HELP, 0, reinterpret_cast<LPARAM>(static_cast<TControl*>(c)));
    return true;
  }
  QString text = ke->text();
  bool hasChar = false, charConsumed = false;
  char32_t ch0 = 0, ch = 0;
  if (!text.isEmpty()) {
    // Typed characters travel as themselves (UTF-8 when they reach the text), not as bytes.
    const QList<uint> chars = text.toUcs4();
    if (!chars.isEmpty() && chars.front() != 0xFFFD) {
      hasChar = true;
      ch0 = ch = static_cast<char32_t>(chars.front());
      if (c->DoDialogChar(KeyPressChar(ch), alt)) {
        charConsumed = true;
      } else if (alt && AltMnemonicKey(ke) && GuiMenuBarMnemonic(GetParentForm(c), static_cast<char>(vk0))) {
        return true;
      } else if (!alt) {
        TMessage m;
        m.Msg = WM_CHAR;
        m.WParam = ch;
        m.LParam = keyData & KF_KEYPAD_LPARAM;
        c->WindowProc(m);
        if (m.Result || m.WParam == 0)
          charConsumed = true;
        else
          ch = static_cast<char32_t>(m.WParam);
      }
    }
  } else if (AltMnemonicKey(ke)) {
    // Alt+letter arrives without text: it is a dialog character (mnemonics); the active
    // form's controls come first, the menu bar only when none of them has the letter.
    if (c->DoDialogChar(static_cast<char>(vk0), true)) return true;
    if (GuiMenuBarMnemonic(GetParentForm(c), static_cast<char>(vk0))) return true;
  }
  if (keyConsumed && (!hasChar || charConsumed)) return true;
  if (!keyConsumed && vk == vk0 && (!hasChar || (!charConsumed && ch == ch0))) return peer->BaseEvent(ke);
  int qk = keyConsumed ? Qt::Key_unknown : (vk == vk0 ? ke->key() : QtKeyFromVirtualKey(vk));
  QString nt;
  if (hasChar && !charConsumed) nt = QString::fromUcs4(&ch, 1);
  QKeyEvent ne(ke->type(), qk, ke->modifiers(), nt, ke->isAutoRepeat(), static_cast<quint16>(ke->count()));
  return peer->BaseEvent(&ne);
}

bool TranslateOne(TPeerBase* peer, TWinControl* c, QEvent* e) {
  switch (e->type()) {
    case QEvent::Paint: {
      if (peer->Widget() != c->ClientWidget()) return peer->BaseEvent(e);
      TMessage m;
      m.Msg = WM_PAINT;
      m.Event = e;
      c->WindowProc(m);
      return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
      auto* me = static_cast<QMouseEvent*>(e);
      GuiCurrentShift() = ShiftFromQt(me->modifiers(), me->buttons());
      gMessagePos = me->globalPosition().toPoint();
      gHaveMessagePos = true;
      QPoint p = ToClient(peer, c, me->position().toPoint());
      TMessage m;
      m.Msg = MouseMessage(e->type(), me->button());
      m.WParam = MouseKeys(me->buttons(), me->modifiers());
      m.LParam = MakeLParam(p.x(), p.y());
      m.Event = e;
      if (e->type() != QEvent::MouseMove && e->type() != QEvent::MouseButtonRelease) GuiHintInput();
      if (e->type() == QEvent::MouseButtonPress && Application && Application->OnAnyMouseDown) {
        auto watcher = Application->OnAnyMouseDown;  // it may clear itself
        watcher(c);
      }
      RouteMouse(c, m, e->type() == QEvent::MouseMove);
      if (e->type() == QEvent::MouseMove) {
        const QPoint g = me->globalPosition().toPoint();
        GuiHintMouseMoved(GuiMouseControl(), TPoint(g.x(), g.y()));
      }
      e->accept();  // mouse messages never go on to the parent window
      return true;
    }
    case QEvent::Wheel: {
      auto* we = static_cast<QWheelEvent*>(e);
      int delta = we->angleDelta().y();
      TMessage m;
      m.Msg = WM_MOUSEWHEEL;
      m.WParam = (MouseKeys(we->buttons(), we->modifiers()) & 0xFFFF) |
                 (static_cast<WPARAM>(static_cast<uint16_t>(static_cast<int16_t>(delta))) << 16);
      QPoint g = we->globalPosition().toPoint();
      m.LParam = MakeLParam(g.x(), g.y());
      m.Event = e;
      c->WindowProc(m);
      if (m.Result) e->accept();
      return true;
    }
    case QEvent::Enter:
      if (GuiMouseControl() == nullptr || !c->ContainsControl(GuiMouseControl())) GuiSetMouseControl(c);
      return peer->BaseEvent(e);
    case QEvent::Leave: {
      TControl* mc = GuiMouseControl();
      if (mc && (mc == c || (mc->Parent() == c && !mc->IsWindowed()))) GuiSetMouseControl(nullptr);
      return peer->BaseEvent(e);
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
      if (e->type() == QEvent::KeyPress) GuiHintInput();
      TranslateKey(peer, c, static_cast<QKeyEvent*>(e));
      e->accept();  // nor do keys: the form sees them through KeyPreview and dialog keys
      return true;
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
      TMessage m;
      m.Msg = e->type() == QEvent::FocusIn ? WM_SETFOCUS : WM_KILLFOCUS;
      // WM_KILLFOCUS names the window taking the focus (the focus has moved already).
      // WM_SETFOCUS names the window that lost it.
      if (e->type() == QEvent::FocusOut) {
        m.WParam = GuiWindowOfWidget(QApplication::focusWidget());
        gLastFocusOut = peer->Widget();
      } else {
        m.WParam = GuiWindowOfWidget(gLastFocusOut.data());
      }
      m.Event = e;
      c->WindowProc(m);
      return true;
    }
    case QEvent::ContextMenu: {
      auto* ce = static_cast<QContextMenuEvent*>(e);
      QPoint p = ToClient(peer, c, ce->pos());
      TControl* target = c->ControlAtPos(TPoint(p.x(), p.y()), false);
      if (!target) target = c;
      target->Perform(WM_CONTEXTMENU, 0, MakeLParam(ce->globalPos().x(), ce->globalPos().y()));
      return true;
    }
    case QEvent::ToolTip: {
      auto* he = static_cast<QHelpEvent*>(e);
      const QPoint p = ToClient(peer, c, he->pos());
      TControl* target = c->ControlAtPos(TPoint(p.x(), p.y()), true);
      GuiHintRequest(target ? target : c, TPoint(he->globalPos().x(), he->globalPos().y()));
      return true;
    }
    default:
      return GuiFormEvent(peer, c, e);
  }
}
}  // namespace

bool GuiTranslate(TPeerBase* Peer, QEvent* Event) {
  TWinControl* c = Peer->Control;
  if (!c) return Peer->BaseEvent(Event);
  if (Event->type() == QEvent::ShortcutOverride && AltMnemonicKey(static_cast<QKeyEvent*>(Event))) {
    // Qt would hand Alt+letter to the menu bar's (or a button's) own shortcut before the key
    // reaches us; taking it here lets the key press decide: controls first, then the menu bar.
    Event->accept();
    return true;
  }
  switch (Event->type()) {
    case QEvent::DragEnter: case QEvent::DragMove: case QEvent::DragLeave: case QEvent::Drop: {
      bool r;
      {
        TranslationFrame frame(Peer);
        r = GuiDragEvent(Peer, Event);
      }
      GuiFlushDeletes();
      return r;
    }
    case QEvent::Paint: case QEvent::MouseButtonPress: case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: case QEvent::MouseMove: case QEvent::Wheel: case QEvent::Enter:
    case QEvent::Leave: case QEvent::KeyPress: case QEvent::KeyRelease: case QEvent::FocusIn:
    case QEvent::FocusOut: case QEvent::ContextMenu: case QEvent::ToolTip: case QEvent::Close:
    case QEvent::WindowActivate: case QEvent::WindowDeactivate: case QEvent::Resize: case QEvent::Move:
    case QEvent::WindowStateChange:
      break;
    default:
      return Peer->BaseEvent(Event);
  }
  bool result = true;
  {
    TranslationFrame frame(Peer);
    GuiRun(static_cast<TControl*>(c), [&] { result = TranslateOne(Peer, c, Event); });
  }
  GuiFlushDeletes();
  return result;
}

// ---------------------------------------------------------------- routing inner widgets
namespace {
class TRouteFilter : public QObject, public TPeerBase {
 public:
  TRouteFilter(TWinControl* c, QWidget* inner) : QObject(inner), inner_(inner) { Control = c; }
  bool BaseEvent(QEvent* e) override {
    passing_ = true;
    bool r = QCoreApplication::sendEvent(inner_, e);
    passing_ = false;
    return r;
  }
  QWidget* Widget() override { return inner_; }

 protected:
  bool eventFilter(QObject* obj, QEvent* e) override {
    if (obj != inner_ || passing_ || !Control) return false;
    switch (e->type()) {
      case QEvent::MouseButtonPress: case QEvent::MouseButtonRelease: case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove: case QEvent::KeyPress: case QEvent::KeyRelease: case QEvent::Wheel:
      case QEvent::ContextMenu:
        GuiTranslate(this, e);
        return true;
      case QEvent::ShortcutOverride:
        GuiTranslate(this, e);  // the inner widget had it already unless the layer took it
        return true;
      default:
        return false;
    }
  }

 private:
  QWidget* inner_;
  bool passing_ = false;
};
}  // namespace

void RouteEvents(TWinControl* Control, QWidget* Inner) {
  auto* f = new TRouteFilter(Control, Inner);
  Inner->installEventFilter(f);
  // The control already had the mouse event: one the inner widget leaves must not reach
  // the control again through the widget's parents.
  Inner->setAttribute(Qt::WA_NoMousePropagation);
}
